#include "database/coverscale.h"

#include <gtest/gtest.h>

using namespace Zelkor;

namespace {

struct ScaleCase
{
    CoverScale scale;
    const char *text;
    int code; // -1: refused
};

// The value of text on scale, or -1 when it is refused.
int codeOf(CoverScale scale, const char *text)
{
    DecimalText value;
    if (!DecimalText::parse(QString::fromUtf8(text), &value, false, scale == CoverScale::Percent))
        return -2;
    quint8 code = 0;
    QString why;
    if (!scaleValueToCode(scale, value, &code, &why)) {
        EXPECT_FALSE(why.isEmpty());
        return -1;
    }
    return code;
}

} // namespace

TEST(CoverScale, NumbersBecomeCodesAtTheStatedEdges)
{
    const ScaleCase cases[] = {
        // Percent: r below 0.1, + below 1, then 1, 5, 25, 50, 75 open each class; 100 is 5.
        {CoverScale::Percent, "0", 0},
        {CoverScale::Percent, "0.0", 0},
        {CoverScale::Percent, "0.0000001", 6},
        {CoverScale::Percent, "0.09", 6},
        {CoverScale::Percent, "0.1", 1},
        {CoverScale::Percent, "0.99999999", 1},
        {CoverScale::Percent, "1", 10},
        {CoverScale::Percent, "4.9999", 10},
        {CoverScale::Percent, "5", 20},
        {CoverScale::Percent, "24.99", 20},
        {CoverScale::Percent, "25", 30},
        {CoverScale::Percent, "49.9", 30},
        {CoverScale::Percent, "50", 40},
        {CoverScale::Percent, "74.9", 40},
        {CoverScale::Percent, "75", 50},
        {CoverScale::Percent, "100", 50},
        {CoverScale::Percent, "100.0000001", -1},
        {CoverScale::Percent, "12%", 20},
        {CoverScale::Percent, "-1", -1},
        // van der Maarel's scale: 1 r, 2 +, 3 1, 4..6 2, 7 3, 8 4, 9 5.
        {CoverScale::Ordinal, "1", 6},
        {CoverScale::Ordinal, "2", 1},
        {CoverScale::Ordinal, "3", 10},
        {CoverScale::Ordinal, "4", 20},
        {CoverScale::Ordinal, "6.0", 20},
        {CoverScale::Ordinal, "7", 30},
        {CoverScale::Ordinal, "9", 50},
        {CoverScale::Ordinal, "10", -1},
        {CoverScale::Ordinal, "2.5", -1},
        // Classes: below 1 is +, the whole part is the class.
        {CoverScale::Classes, "0.1", 1},
        {CoverScale::Classes, "1", 10},
        {CoverScale::Classes, "2.3", 20},
        {CoverScale::Classes, "5.5", 50},
        {CoverScale::Classes, "6", -1},
        {CoverScale::Presence, "0.001", 1},
        {CoverScale::Presence, "875", 1},
        {CoverScale::Presence, "0", 0},
    };
    for (const ScaleCase &c : cases)
        EXPECT_EQ(codeOf(c.scale, c.text), c.code) << coverScaleName(c.scale).toStdString() << " " << c.text;
}

TEST(CoverScale, DecimalTextReadsOnlyNumbers)
{
    DecimalText v;
    for (const char *bad : {"", " ", "abc", "1.2.3", "+", "-.", "1e3", "12%", "1,5", "1234567890123"})
        EXPECT_FALSE(DecimalText::parse(QString::fromUtf8(bad), &v)) << bad;
    ASSERT_TRUE(DecimalText::parse(QStringLiteral("2,5"), &v, true));
    EXPECT_EQ(v.compareTenths(25), 0);
    ASSERT_TRUE(DecimalText::parse(QStringLiteral(" .5 "), &v));
    EXPECT_EQ(v.compareTenths(5), 0);
    ASSERT_TRUE(DecimalText::parse(QStringLiteral("-0"), &v));
    EXPECT_FALSE(v.negative);
}

TEST(CoverScale, TheTextsOurOutputsWriteReadBack)
{
    struct Case
    {
        const char *text;
        int code;
    };
    const Case cases[] = {
        {"", 0},      {" . ", 0},   {".", 0},     {" r ", 6},  {"+", 1},    {" + ", 1},   {"+.2", 2},  {"+2", 2},
        {"+.5", 5},   {"1", 10},    {" 5 ", 50},  {"2.3", 23}, {"23", 23},  {"10", 10},  {"5.5", 55}, {"*", 7},
        {"(", 7},     {" e ", 8},   {"?", 9},     {"6", -1},   {"2.6", -1}, {"1.0", -1}, {"+.6", -1}, {"R", -1},
        {"x", -1},    {"..", -1},   {"2.", -1},   {"+0", -1},  {"60", -1},  {"0", -1},
    };
    for (const Case &c : cases) {
        quint8 code = 99;
        QString why;
        const bool ok = coverTextToCode(QString::fromUtf8(c.text), &code, &why);
        EXPECT_EQ(ok ? int(code) : -1, c.code) << c.text;
        if (!ok)
            EXPECT_TRUE(why.contains(QString::fromUtf8(c.text).trimmed())) << why.toStdString();
    }
    // Every code our print texts write comes back as itself.
    for (int v : {1, 2, 5, 6, 7, 8, 9, 10, 11, 23, 50, 55}) {
        const QString field = coverCodeField(quint8(v));
        quint8 code = 0;
        QString why;
        ASSERT_TRUE(coverTextToCode(field, &code, &why)) << v;
        EXPECT_EQ(code, v);
    }
}
