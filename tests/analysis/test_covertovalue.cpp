#include "analysis/covertovalue.h"

#include <gtest/gtest.h>

using namespace Zelkor;

TEST(CoverToValue, EveryMethodOnTheCellsThatMatter)
{
    // Layers T1, T2, S1, S2, H1, H2, M.
    struct Case { const char *name; ByteDataSet codes; const char *values[7]; };
    const Case cases[] = {
        {"T1 23, S1 +, H1 r", {23, 0, 1, 0, 6, 0, 0}, {"2", "5", "152", "2.3", "150", "23", "1"}},
        {"three layers +", {1, 1, 0, 0, 1, 0, 0}, {"0.3", "3", "3", "0.1", "1", "+", "1"}},
        {"class 5 twice", {50, 0, 0, 0, 50, 0, 0}, {"5", "10", "875", "5", "875", "50", "1"}},
        {"only the mark *", {7, 7, 7, 7, 7, 7, 7}, {"0", "0", "0", "0", "0", "0", "0"}},
        {"absent", {0, 0, 0, 0, 0, 0, 0}, {"0", "0", "0", "0", "0", "0", "0"}},
        {"unreadable entry 63", {0, 0, 0, 0, 63, 0, 0}, {"0", "0", "0", "6.3", "63", "63", "1"}},
        {"e and ? count as +", {0, 0, 0, 0, 8, 9, 0}, {"0.2", "2", "2", "0.1", "1", "+", "1"}},
        {"class 1 alone", {0, 0, 0, 0, 0, 0, 10}, {"1", "2", "25", "1", "25", "10", "1"}},
        {"sociability 5 of class 2", {0, 0, 25, 0, 0, 0, 0}, {"2", "3", "150", "2.5", "150", "25", "1"}},
        {"code 16 outside the classes", {0, 0, 0, 16, 0, 0, 0}, {"0", "0", "0", "1.6", "16", "16", "1"}},
        {"class 1 and four +: the tenths dropped", {10, 1, 1, 1, 1, 0, 0}, {"1", "6", "29", "1", "25", "10", "1"}},
        {"six r and a +", {6, 6, 6, 6, 6, 6, 1}, {"0.7", "7", "7", "0.1", "1", "+", "1"}},
    };
    for (const Case &c : cases) {
        for (int method = 0; method < CoverMethodCount; ++method) {
            SCOPED_TRACE(std::string(c.name) + ", method " + std::to_string(method));
            const QString text = coverValueText(method, c.codes);
            EXPECT_EQ(text, QString::fromUtf8(c.values[method]));
            // The numeric form gives the same number, "+" meaning the highest code itself.
            if (method != 5) {
                EXPECT_DOUBLE_EQ(coverToNumber(method, c.codes), text.toDouble());
            }
        }
    }
    for (int method : {-1, 7, 100}) {
        EXPECT_TRUE(coverValueText(method, {23, 0, 0, 0, 0, 0, 0}).isEmpty()) << method;
        EXPECT_EQ(coverToTenths(method, {23, 0, 0, 0, 0, 0, 0}), -1) << method;
    }
}
