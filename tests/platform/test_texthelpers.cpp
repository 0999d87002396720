#include "platform/texthelpers.h"

#include <gtest/gtest.h>

using namespace Zelkor;

TEST(FoldForMatching, LatinLettersAndDigitsFoldTheRestStays)
{
    struct Case
    {
        QString in;
        QString out;
    };
    const Case cases[] = {
        {QString(), QString()},
        {QStringLiteral("Lolium perenne"), QStringLiteral("lolium perenne")},
        {QStringLiteral("POA ANNUA L."), QStringLiteral("poa annua l.")},
        {QStringLiteral("az09@[`{"), QStringLiteral("az09@[`{")}, // the neighbours of the letters stay
        // Full-width capitals, small letters and digits become ASCII.
        {QStringLiteral("ＰＯＡ"), QStringLiteral("poa")},
        {QStringLiteral("ｐｏａ"), QStringLiteral("poa")},
        {QStringLiteral("０１２３４５６７８９"), QStringLiteral("0123456789")},
        {QStringLiteral("ＡＺａｚ"), QStringLiteral("azaz")},
        // Full-width signs next to them in the code table stay full-width.
        {QStringLiteral("／：＠［｀｛　"), QStringLiteral("／：＠［｀｛　")},
        // Mixed: a name half full-width, with a kanji and a number.
        {QStringLiteral("Ｃarex 属２"), QStringLiteral("carex 属2")},
        // Other letters with a case fold too.
        {QStringLiteral("ÄÖÜ ΣΑ"), QStringLiteral("äöü σα")},
        // Kana (full and half width), kanji and the ideographic space are compared as they are.
        {QStringLiteral("ススキ すすき ｽｽｷ 薄　原"), QStringLiteral("ススキ すすき ｽｽｷ 薄　原")},
        // A character beyond the BMP folds as a pair (Deseret capital → small), and a lone
        // surrogate stays.
        {QString::fromUcs4(U"\U00010400x"), QString::fromUcs4(U"\U00010428x")},
        {QString(QChar(0xD800)) + QStringLiteral("A"), QString(QChar(0xD800)) + QStringLiteral("a")},
    };
    for (const Case &c : cases) {
        const QString folded = foldForMatching(c.in);
        EXPECT_EQ(folded, c.out) << c.in.toStdString();
        EXPECT_EQ(folded.size(), c.in.size()) << c.in.toStdString();
        // Folding twice changes nothing more.
        EXPECT_EQ(foldForMatching(folded), folded) << c.in.toStdString();
    }
}
