#include "analysis/exchangesort.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <numeric>
#include <random>

using namespace Zelkor;

namespace {

// The places the exchanges leave, found by running the sort itself with the places as counts.
std::vector<int> exchangedPlaces(std::vector<float> scores)
{
    std::vector<quint16> counts(scores.size());
    std::iota(counts.begin(), counts.end(), quint16(0));
    ExchangeSort::sort(scores, counts);
    return std::vector<int>(counts.begin(), counts.end());
}

} // namespace

TEST(ExchangeSort, SortsAscendingWithoutKeepingEqualScoresInOrder)
{
    struct Case { const char *name; std::vector<float> scores; std::vector<int> places; };
    const Case cases[] = {
        {"equal scores change places", {5, 5, 3}, {2, 1, 0}},
        {"already ascending", {1, 2, 2, 3}, {0, 1, 2, 3}},
        {"all equal", {7, 7, 7}, {0, 1, 2}},
        {"descending", {3, 2, 1}, {2, 1, 0}},
        {"a smaller score behind two equal ones", {4, 1, 4, 0}, {3, 1, 2, 0}},
        {"empty", {}, {}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(exchangedPlaces(c.scores), c.places);
        EXPECT_EQ(ExchangeSort::order(c.scores), c.places);
    }

    // The counts travel with their scores.
    std::vector<float> scores{5, 5, 3};
    std::vector<quint16> counts{10, 20, 30};
    ExchangeSort::sort(scores, counts);
    EXPECT_EQ(scores, (std::vector<float>{3, 5, 5}));
    EXPECT_EQ(counts, (std::vector<quint16>{30, 20, 10}));
}

TEST(ExchangeSort, OrderIsWhatTheExchangesLeaveForManyEqualScores)
{
    std::mt19937 rng(20240611);
    for (int trial = 0; trial < 3000; ++trial) {
        const int n = int(rng() % 60);
        const int distinct = 1 + int(rng() % 8);
        std::vector<float> scores(std::size_t(n), 0.0f);
        for (float &x : scores) {
            x = float(rng() % unsigned(distinct)) * 12.5f;
            // -0 and +0 are equal scores; a NaN compares with nothing.
            if (x == 0.0f && rng() % 2)
                x = -0.0f;
            if (trial % 10 == 9 && rng() % 15 == 0)
                x = std::numeric_limits<float>::quiet_NaN();
        }
        SCOPED_TRACE(trial);
        ASSERT_EQ(ExchangeSort::order(scores), exchangedPlaces(scores));
    }
}
