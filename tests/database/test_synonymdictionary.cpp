#include "database/synonymdictionary.h"

#include "platform/cp932.h"
#include "support/testsupport.h"

#include <QFile>
#include <gtest/gtest.h>

using namespace Zelkor;
using Zelkor::Test::TempDir;

namespace {

struct Dict : ::testing::Test
{
    TempDir dir;
    SynonymDictionary dict;
    QString file(const QString &name, const QStringList &lines) { return dir.writeLines(name, lines); }
    QString map(const QString &name) const { return dict.synToCommonName(name); }
};

} // namespace

TEST_F(Dict, CaseInsensitiveExactNames)
{
    ASSERT_TRUE(dict.load(file(QStringLiteral("a.dic"), {QStringLiteral("ABC,XYZ")})));
    EXPECT_EQ(map(QStringLiteral("abc")), QStringLiteral("XYZ"));
    EXPECT_EQ(map(QStringLiteral("aBc")), QStringLiteral("XYZ"));
    EXPECT_EQ(map(QStringLiteral("ABC ")), QStringLiteral("ABC "));
    EXPECT_EQ(map(QStringLiteral("AB")), QStringLiteral("AB"));
    EXPECT_EQ(map(QString()), QString());
}

TEST_F(Dict, LineForms)
{
    struct Case { QString line; QString lookUp; QString result; };
    const Case cases[] = {
        {QStringLiteral(",X"), QString(), QString()},                                // comma first: nothing
        {QStringLiteral("NoComma"), QStringLiteral("NoComma"), QStringLiteral("NoComma")},
        {QStringLiteral("A,B,C"), QStringLiteral("A"), QStringLiteral("B,C")},       // later commas in the name
        {QStringLiteral("P ,Q"), QStringLiteral("P "), QStringLiteral("Q")},         // nothing is trimmed
        {QStringLiteral("P ,Q"), QStringLiteral("P"), QStringLiteral("P")},
        {QStringLiteral("R, S"), QStringLiteral("R"), QStringLiteral(" S")},
        {QStringLiteral("E,"), QStringLiteral("e"), QStringLiteral("e")},            // an empty standard name: skipped
        {QStringLiteral("ミヤマシキミ,ミヤマシキミ（広義）"), QStringLiteral("ミヤマシキミ"), QStringLiteral("ミヤマシキミ（広義）")},
        {QStringLiteral("Ａｂ,全角"), QStringLiteral("ａＢ"), QStringLiteral("全角")},  // full-width letters fold too
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.line.toStdString());
        SynonymDictionary d;
        ASSERT_TRUE(d.load(file(QStringLiteral("l.dic"), {c.line})));
        EXPECT_EQ(d.synToCommonName(c.lookUp), c.result);
    }
    SynonymDictionary d;
    ASSERT_TRUE(d.load(file(QStringLiteral("n.dic"), {QStringLiteral(",X"), QStringLiteral("NoComma")})));
    EXPECT_EQ(d.entryCount(), 0);
}

TEST_F(Dict, FirstDefinitionWins)
{
    ASSERT_TRUE(dict.load(file(QStringLiteral("1.dic"), {QStringLiteral("A,first"), QStringLiteral("a,second"),
                                                                  QStringLiteral("B,one")})));
    ASSERT_TRUE(dict.load(file(QStringLiteral("2.dic"), {QStringLiteral("A,third"), QStringLiteral("B,two"),
                                                                  QStringLiteral("C,three")})));
    EXPECT_EQ(map(QStringLiteral("A")), QStringLiteral("first"));
    EXPECT_EQ(map(QStringLiteral("b")), QStringLiteral("one"));
    EXPECT_EQ(map(QStringLiteral("C")), QStringLiteral("three"));
    EXPECT_EQ(dict.entryCount(), 6);
}

TEST_F(Dict, NoChaining)
{
    ASSERT_TRUE(dict.load(file(QStringLiteral("c.dic"), {QStringLiteral("A,B"), QStringLiteral("B,C")})));
    EXPECT_EQ(map(QStringLiteral("A")), QStringLiteral("B"));
    EXPECT_EQ(map(QStringLiteral("B")), QStringLiteral("C"));
}

TEST_F(Dict, EmptyAndMissingFiles)
{
    EXPECT_TRUE(dict.load(dir.writeBytes(QStringLiteral("e.dic"), QByteArray())));
    EXPECT_EQ(dict.entryCount(), 0);
    EXPECT_FALSE(dict.load(dir.path(QStringLiteral("none.dic"))));
    EXPECT_FALSE(dict.errorString().isEmpty());
    EXPECT_FALSE(dict.load(dir.path()));
    // A device never ends; it is refused instead of read for ever.
    EXPECT_FALSE(dict.load(QStringLiteral("/dev/zero")));
    EXPECT_EQ(dict.entryCount(), 0);
}

TEST_F(Dict, LineEndsAndUndecodableLines)
{
    // LF-only and CR LF ends, a last line without an end; a line that is no Shift-JIS is skipped
    // and counted, the lines around it count.
    const QByteArray bytes = QByteArray("a,1\nb,2\r\n") + QByteArray("\x81\x20x,bad\r\n", 9) + "c,3";
    ASSERT_TRUE(dict.load(dir.writeBytes(QStringLiteral("m.dic"), bytes)));
    EXPECT_EQ(map(QStringLiteral("a")), QStringLiteral("1"));
    EXPECT_EQ(map(QStringLiteral("b")), QStringLiteral("2"));
    EXPECT_EQ(map(QStringLiteral("c")), QStringLiteral("3"));
    EXPECT_EQ(dict.skippedLines(), 1);
    EXPECT_EQ(dict.entryCount(), 3);
}

TEST_F(Dict, OverlongLineIsSkipped)
{
    const QByteArray bytes = QByteArray("a,1\r\n") + QByteArray(200000, 'x') + ",y\r\nb,2\r\n";
    ASSERT_TRUE(dict.load(dir.writeBytes(QStringLiteral("o.dic"), bytes)));
    EXPECT_EQ(dict.skippedLines(), 1);
    EXPECT_EQ(map(QStringLiteral("b")), QStringLiteral("2"));
    EXPECT_EQ(dict.entryCount(), 2);
}

TEST_F(Dict, SameResultsAsFirstMatchSearch)
{
    // Every Shift-JIS character that has a case (Latin, full-width Latin, Greek, Cyrillic, Roman
    // numerals): the index must give what a search from the top with the case-insensitive
    // comparison gives, for the character in either case.
    QStringList cased;
    for (int lead = 0x81; lead <= 0xFC; ++lead) {
        for (int trail = 0x40; trail <= 0xFC; ++trail) {
            QString c;
            const char bytes[2] = {char(lead), char(trail)};
            if (Cp932::decode(QByteArray(bytes, 2), &c) && c.size() == 1 && c.toUpper() != c.toLower())
                cased << c;
        }
    }
    for (char c = 'A'; c <= 'Z'; ++c)
        cased << QString(QLatin1Char(c));
    ASSERT_GT(cased.size(), 200);

    QStringList lines;
    for (qsizetype i = 0; i < cased.size(); ++i)
        lines << QStringLiteral("x%1,%2").arg(cased.at(i)).arg(i);
    ASSERT_TRUE(dict.load(file(QStringLiteral("u.dic"), lines)));
    EXPECT_EQ(dict.skippedLines(), 0);

    for (const QString &c : std::as_const(cased)) {
        for (const QString &p : {QStringLiteral("X") + c.toUpper(), QStringLiteral("x") + c.toLower()}) {
            QString expected = p;
            for (const QString &line : std::as_const(lines)) {
                const qsizetype comma = line.indexOf(QLatin1Char(','));
                if (QString::compare(line.left(comma), p, Qt::CaseInsensitive) == 0) {
                    expected = line.mid(comma + 1);
                    break;
                }
            }
            EXPECT_EQ(map(p), expected) << p.toStdString();
        }
    }
}

// A lone CR ends a line as CR LF and LF do; a line whose standard name is empty would gather
// every species mapped to it into one nameless row: it is skipped and counted.
TEST_F(Dict, LoneCrEndsALineAndEmptyStandardNamesAreSkipped)
{
    const QString name = dir.writeBytes(QStringLiteral("cr.dic"), "A,B\rC,D\r\nE,\rF,G\nH,\r\nI,J");
    ASSERT_TRUE(dict.load(name));
    EXPECT_EQ(map(QStringLiteral("A")), QStringLiteral("B"));
    EXPECT_EQ(map(QStringLiteral("C")), QStringLiteral("D"));
    EXPECT_EQ(map(QStringLiteral("E")), QStringLiteral("E"));
    EXPECT_EQ(map(QStringLiteral("F")), QStringLiteral("G"));
    EXPECT_EQ(map(QStringLiteral("H")), QStringLiteral("H"));
    EXPECT_EQ(map(QStringLiteral("I")), QStringLiteral("J"));
    EXPECT_EQ(dict.entryCount(), 4);
    EXPECT_EQ(dict.emptyNameLines(), 2);
}
