#include "platform/texthelpers.h"
#include "table/covercode.h"

#include "platform/cp932.h"

#include <gtest/gtest.h>

using namespace Zelkor;

namespace {

// The 14 code bytes of an entry with code in layer `layer` (0..6) and blanks elsewhere.
QByteArray entryWith(int layer, const QByteArray &code)
{
    QByteArray bytes(14, ' ');
    bytes.replace(layer * 2, code.size(), code);
    return bytes;
}

ByteDataSet layerSet(int layer, quint8 v)
{
    ByteDataSet s{};
    s[std::size_t(layer)] = v;
    return s;
}

} // namespace

TEST(CoverCodeToData, TwoCharacterCodesOfOneLayer)
{
    struct Case { QByteArray code; int value; };
    const Case cases[] = {
        {"  ", 0},   {"+ ", 1},  {"+1", 1},  {" +", 1},  {"+2", 2},  {"+5", 5},  {"+3", 3},
        {" r", 6},   {"r ", 6},  {"R ", 0},  {"E ", 0},  {"r2", 63}, {"++", 63}, {"1+", 63},
        {"( ", 7},   {"* ", 7},  {" *", 7},  {"e ", 8},  {"? ", 9},  {"1 ", 10}, {" 3", 30},
        {"5 ", 50},  {"0 ", 0},  {"6 ", 0},  {"9 ", 0},  {"x ", 0},  {"10", 10}, {"23", 23},
        {"55", 55},  {"60", 60}, {"99", 99}, {"00", 0},  {"-1", 255}, {"+0", 0},
        {QByteArray("\t5", 2), 50}, {QByteArray("\0r", 2), 6},
    };
    for (const Case &c : cases) {
        for (int layer = 0; layer < 7; ++layer) {
            SCOPED_TRACE(QStringLiteral("code \"%1\" layer %2").arg(QString::fromLatin1(c.code)).arg(layer).toStdString());
            EXPECT_EQ(coverCodeToData(entryWith(layer, c.code)), layerSet(layer, quint8(c.value)));
        }
    }
}

TEST(CoverCodeToData, SevenLayersInOrder)
{
    EXPECT_EQ(coverCodeToData(QByteArray("23+2r 1 e ? 55")), (ByteDataSet{23, 2, 6, 10, 8, 9, 55}));
}

TEST(CoverCodeToData, NonAsciiCodesAreNoCodes)
{
    // A full-width digit is one Shift-JIS character: no database code. A lone lead byte does not
    // decode and must neither crash nor bleed into the next layer.
    QByteArray fullWidth;
    ASSERT_TRUE(Cp932::encode(QStringLiteral("５"), &fullWidth));
    EXPECT_EQ(coverCodeToData(entryWith(2, fullWidth)), ByteDataSet{});
    QByteArray lone = entryWith(0, QByteArray("\x81", 1));
    lone.replace(2, 2, "+2");
    EXPECT_EQ(coverCodeToData(lone), (ByteDataSet{0, 2, 0, 0, 0, 0, 0}));
}

TEST(DataToCellText, LayerGroupsAndOrder)
{
    struct Case { ByteDataSet codes; const char *text; };
    const Case cases[] = {
        {{0, 23, 10, 6, 2, 0, 35}, " 213"},   // the worked example
        {{0, 0, 0, 0, 0, 0, 0}, "    "},
        {{7, 7, 7, 7, 7, 7, 7}, "    "},      // "*" is listed but shows blank
        {{0, 0, 6, 3, 0, 0, 0}, "  + "},      // r below +
        {{0, 0, 8, 50, 0, 0, 0}, "  e "},     // e above every digit
        {{0, 0, 0, 0, 9, 0, 0}, "   0"},      // "?" shows 0
        {{0, 0, 0, 0, 63, 0, 0}, "   6"},     // "r2", "++"
        {{6, 1, 0, 0, 0, 0, 0}, "r+  "},
        {{0, 0, 0, 0, 6, 7, 0}, "   r"},      // r above blank and "*"
        {{0, 0, 0, 0, 1, 10, 6}, "   1"},     // digit above + and r
        {{0, 0, 0, 0, 55, 20, 8}, "   e"},
        {{0, 0, 0, 0, 0, 0, 63}, "   6"},
        {{0, 0, 40, 12, 0, 0, 0}, "  4 "},
        {{255, 100, 0, 0, 0, 0, 0}, "I:  "},   // out-of-scale bytes: 48 + v div 10
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(dataToCellText(c.codes), QString::fromLatin1(c.text));
    }
}

TEST(DataToCellText, EqualTextsShareTheirData)
{
    const QString a = dataToCellText({0, 0, 0, 0, 10, 0, 0});
    const QString b = dataToCellText({0, 0, 0, 0, 11, 0, 0});
    EXPECT_EQ(a, b);
    EXPECT_EQ(a.constData(), b.constData());
}

TEST(DataToCellText, GridCharacterOrder)
{
    // Every pair of single-layer bytes in the ground group: the shown character is that of the
    // higher byte in the order blank < r < + < digits < e.
    auto rank = [](quint8 v) {
        if (v == 0 || v == 7) return 0;
        if (v == 6) return 1;
        if (v <= 5) return 2;
        if (v == 8) return 100;
        return 3 + v / 10;
    };
    const quint8 values[] = {0, 1, 3, 6, 7, 8, 9, 10, 23, 35, 50, 55, 63};
    for (quint8 x : values) {
        for (quint8 y : values) {
            const QString tx = dataToCellText({0, 0, 0, 0, x, 0, 0});
            const QString ty = dataToCellText({0, 0, 0, 0, 0, 0, y});
            const QString both = dataToCellText({0, 0, 0, 0, x, 0, y});
            SCOPED_TRACE(QStringLiteral("%1 %2").arg(x).arg(y).toStdString());
            EXPECT_EQ(both, rank(x) >= rank(y) ? tx : ty);
        }
    }
}

TEST(RightAlign4, PadsAndCuts)
{
    EXPECT_EQ(rightAlign4(QString()), QStringLiteral("    "));
    EXPECT_EQ(rightAlign4(QStringLiteral("12")), QStringLiteral("  12"));
    EXPECT_EQ(rightAlign4(QStringLiteral("1234")), QStringLiteral("1234"));
    EXPECT_EQ(rightAlign4(QStringLiteral("12345")), QStringLiteral("1234"));
    EXPECT_EQ(rightAlign4(QStringLiteral("北")), QStringLiteral("   北"));
}

// A byte outside the scale (a database's "60", kept as read) is an occurrence of unknown cover:
// it prints as " ? ", never as " . ", the mark of no entry.
TEST(CoverPrintText, BothScales)
{
    struct Case { quint8 v; const char *d1; const char *d2; bool inScale; };
    const Case cases[] = {
        {0, " . ", " . ", true},   {1, " + ", " + ", true},   {2, " + ", "+.2", true},   {4, " + ", "+.4", true},
        {5, " + ", "+.5", true},   {6, " r ", " r ", true},   {7, " * ", " * ", true},   {8, " e ", " e ", true},
        {9, " ? ", " ? ", true},   {10, " 1 ", " 1 ", true},  {23, " 2 ", "2.3", true},  {30, " 3 ", " 3 ", true},
        {34, " 3 ", "3.4", true},  {55, " 5 ", "5.5", true},  {16, " 1 ", "1.6", false}, {56, " ? ", " ? ", false},
        {60, " ? ", " ? ", false}, {63, " ? ", " ? ", false}, {255, " ? ", " ? ", false},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(int(c.v));
        EXPECT_EQ(coverPrintText(c.v, 1), QString::fromLatin1(c.d1));
        EXPECT_EQ(coverPrintText(c.v, 2), QString::fromLatin1(c.d2));
        EXPECT_EQ(isCoverCodeOfTheScale(c.v), c.inScale);
    }
}

TEST(CoverPrintText, OtherScalesGiveNoText)
{
    for (int d : {0, 3, 5, 9, -1})
        EXPECT_TRUE(coverPrintText(23, d).isNull()) << d;
}

TEST(TrimBlanks, KeepsIdeographicSpace)
{
    EXPECT_EQ(trimBlanks(QStringLiteral("  12\t ")), QStringLiteral("12"));
    EXPECT_EQ(trimBlanks(QStringLiteral("\u3000北 ")), QStringLiteral("\u3000北"));
    EXPECT_EQ(trimBlanks(QString(3, QChar(0))), QString());
}
