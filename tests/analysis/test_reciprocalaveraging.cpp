#include "analysis/recipmatrix.h"
#include "analysis/reciprocalaveraging.h"
#include "platform/feedback.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>

using namespace Zelkor;

namespace {

using Dense = std::vector<std::vector<int>>; // [relevé][species], both from 1

// The averaging as written for a whole matrix of values: every cell visited, zeros included.
ReciprocalAveraging::Result writtenAveraging(const Dense &m, int releves, int species, int limit = 1001)
{
    std::vector<float> releveTotal(std::size_t(releves) + 1, 0.0f);
    std::vector<float> speciesTotal(std::size_t(species) + 1, 0.0f);
    for (int r = 1; r <= releves; ++r) {
        for (int k = 1; k <= species; ++k) {
            releveTotal[std::size_t(r)] += float(m[std::size_t(r)][std::size_t(k)]);
            speciesTotal[std::size_t(k)] += float(m[std::size_t(r)][std::size_t(k)]);
        }
    }
    std::vector<float> sp[2];
    std::vector<float> rel[2];
    for (int g = 0; g < 2; ++g) {
        sp[g].assign(std::size_t(species) + 1, 50.0f);
        sp[g][1] = 40.0f;
        rel[g].assign(std::size_t(releves) + 1, 0.0f);
    }
    ReciprocalAveraging::Result out;
    for (int k = 1;; ++k) {
        const int o = k % 2 == 1 ? 0 : 1; // generation A is 0
        const int n = 1 - o;
        double mn = 6000.0;
        double mx = 0.0;
        for (int r = 1; r <= releves; ++r) {
            double s = 0.0;
            for (int j = 1; j <= species; ++j)
                s += double(m[std::size_t(r)][std::size_t(j)]) * double(sp[o][std::size_t(j)]);
            const double x = s / double(releveTotal[std::size_t(r)]);
            rel[n][std::size_t(r)] = float(x);
            mn = x < mn ? x : mn;
            mx = x > mx ? x : mx;
        }
        double range = mx - mn < 1.0 ? 1.0 : mx - mn;
        for (int r = 1; r <= releves; ++r)
            rel[n][std::size_t(r)] = float((double(rel[n][std::size_t(r)]) - mn) * 100.0 / range);
        mn = 6000.0;
        mx = 0.0;
        for (int j = 1; j <= species; ++j) {
            double s = 0.0;
            for (int r = 1; r <= releves; ++r)
                s += double(m[std::size_t(r)][std::size_t(j)]) * double(rel[n][std::size_t(r)]);
            const double x = s / double(speciesTotal[std::size_t(j)]);
            sp[n][std::size_t(j)] = float(x);
            mn = x < mn ? x : mn;
            mx = x > mx ? x : mx;
        }
        range = mx - mn < 1.0 ? 1.0 : mx - mn;
        for (int j = 1; j <= species; ++j)
            sp[n][std::size_t(j)] = float((double(sp[n][std::size_t(j)]) - mn) * 100.0 / range);
        out.speciesScoreShift = 0.0;
        for (int j = 1; j <= species; ++j)
            out.speciesScoreShift += std::fabs(double(sp[o][std::size_t(j)]) - double(sp[n][std::size_t(j)]));
        out.releveScoreShift = 0.0;
        for (int r = 1; r <= releves; ++r)
            out.releveScoreShift += std::fabs(double(rel[o][std::size_t(r)]) - double(rel[n][std::size_t(r)]));
        out.iterations = k;
        if ((out.speciesScoreShift < 2.0 && out.releveScoreShift < 2.0) || k == limit)
            break;
    }
    out.speciesScores = sp[0];
    out.releveScores = rel[0];
    return out;
}

RecipMatrix matrixOf(const Dense &m, int releves, int species)
{
    std::vector<RecipMatrix::Cell> cells;
    for (int r = 1; r <= releves; ++r)
        for (int k = 1; k <= species; ++k)
            if (m[std::size_t(r)][std::size_t(k)] > 0)
                cells.push_back({r, k, m[std::size_t(r)][std::size_t(k)]});
    return RecipMatrix::fromCells(releves, species, cells);
}

// A random matrix in which every relevé and species has a value; `blocks` groups of relevés
// share no species with one another.
Dense randomMatrix(std::mt19937 &rng, int releves, int species, int percent, bool presence, int blocks = 1)
{
    Dense m(std::size_t(releves) + 1, std::vector<int>(std::size_t(species) + 1, 0));
    auto blockOf = [&](int i, int n) { return (i - 1) * blocks / n; };
    for (int r = 1; r <= releves; ++r)
        for (int k = 1; k <= species; ++k)
            if (blockOf(r, releves) == blockOf(k, species) && int(rng() % 100) < percent)
                m[std::size_t(r)][std::size_t(k)] = presence ? 1 : 1 + int(rng() % 10);
    for (int r = 1; r <= releves; ++r) {
        const int k = 1 + blockOf(r, releves) * species / blocks;
        if (m[std::size_t(r)][std::size_t(k)] == 0)
            m[std::size_t(r)][std::size_t(k)] = 2;
    }
    for (int k = 1; k <= species; ++k) {
        const int r = 1 + blockOf(k, species) * releves / blocks;
        if (m[std::size_t(r)][std::size_t(k)] == 0)
            m[std::size_t(r)][std::size_t(k)] = 3;
    }
    return m;
}

void expectSameScores(const ReciprocalAveraging::Result &got, const ReciprocalAveraging::Result &want, int releves,
                      int species)
{
    EXPECT_EQ(got.iterations, want.iterations);
    EXPECT_EQ(got.speciesScoreShift, want.speciesScoreShift);
    EXPECT_EQ(got.releveScoreShift, want.releveScoreShift);
    for (int k = 1; k <= species; ++k)
        ASSERT_EQ(got.speciesScores[std::size_t(k)], want.speciesScores[std::size_t(k)]) << "species " << k;
    for (int r = 1; r <= releves; ++r)
        ASSERT_EQ(got.releveScores[std::size_t(r)], want.releveScores[std::size_t(r)]) << "relevé " << r;
}

} // namespace

TEST(ReciprocalAveraging, ScoresAreThoseOfTheWrittenAveragingToTheLastBit)
{
    // limit: the last iteration allowed (1001 as the command runs it); a loop that ends after an
    // odd iteration shows the scores of the one before.
    struct Case { const char *name; int releves; int species; int percent; bool presence; int blocks; int limit; };
    const Case cases[] = {
        {"small, classes", 7, 5, 50, false, 1, 1001},
        {"sparse, classes", 40, 60, 8, false, 1, 1001},
        {"sparse, presence", 60, 40, 10, true, 1, 1001},
        {"dense, classes", 25, 25, 90, false, 1, 1001},
        {"two unconnected groups", 30, 24, 30, false, 2, 1001},
        {"one species", 9, 1, 100, false, 1, 1001},
        {"stopped after an odd iteration", 40, 60, 8, false, 1, 7},
        {"stopped after an even iteration", 40, 60, 8, false, 1, 8},
        {"stopped after the first iteration", 40, 60, 8, false, 1, 1},
        // Places beyond 16 bits on either side.
        {"more than 65,536 species", 3, 70000, 40, false, 1, 5},
        {"more than 65,536 relevés", 70000, 3, 40, true, 1, 4},
    };
    std::mt19937 rng(7);
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        const Dense m = randomMatrix(rng, c.releves, c.species, c.percent, c.presence, c.blocks);
        const ReciprocalAveraging::Result want = writtenAveraging(m, c.releves, c.species, c.limit);
        const RecipMatrix matrix = matrixOf(m, c.releves, c.species);
        for (int threads : {1, 2, 3}) {
            SCOPED_TRACE(threads);
            expectSameScores(ReciprocalAveraging::run(matrix, {}, threads, c.limit), want, c.releves, c.species);
        }
    }
}

TEST(ReciprocalAveraging, OneReleveEndsAfterTheSecondIterationWithAllScoresZero)
{
    const RecipMatrix matrix = RecipMatrix::fromCells(1, 3, {{1, 1, 5}, {1, 2, 1}, {1, 3, 8}});
    std::vector<int> seen;
    Feedback feedback;
    feedback.setWatcher([&](Feedback &f) { seen.push_back(f.position()); });
    const ReciprocalAveraging::Result r = ReciprocalAveraging::run(matrix, &feedback);
    EXPECT_EQ(r.iterations, 2);
    EXPECT_EQ(seen, (std::vector<int>{1, 2}));
    EXPECT_EQ(r.releveScores[1], 0.0f);
    for (int k = 1; k <= 3; ++k)
        EXPECT_EQ(r.speciesScores[std::size_t(k)], 0.0f) << k;
}

TEST(ReciprocalAveraging, RowsAndColumnsWithoutValuesAreLeftOutAndChangeNothing)
{
    std::mt19937 rng(11);
    const int releves = 12;
    const int species = 9;
    const Dense m = randomMatrix(rng, releves, species, 35, false);
    const ReciprocalAveraging::Result plain = ReciprocalAveraging::run(matrixOf(m, releves, species));

    // The same table with an empty first and fifth species row (comment rows) and an empty
    // column before every fourth relevé (group separators).
    std::vector<int> newSpecies(std::size_t(species) + 1);
    int k2 = 0;
    for (int k = 1; k <= species; ++k) {
        if (k == 1 || k == 4)
            ++k2;
        newSpecies[std::size_t(k)] = ++k2;
    }
    std::vector<int> newReleve(std::size_t(releves) + 1);
    int r2 = 0;
    for (int r = 1; r <= releves; ++r) {
        if (r % 4 == 1)
            ++r2;
        newReleve[std::size_t(r)] = ++r2;
    }
    std::vector<RecipMatrix::Cell> cells;
    for (int r = 1; r <= releves; ++r)
        for (int k = 1; k <= species; ++k)
            if (m[std::size_t(r)][std::size_t(k)] > 0)
                cells.push_back({newReleve[std::size_t(r)], newSpecies[std::size_t(k)], m[std::size_t(r)][std::size_t(k)]});
    // A cell of value 0 (a species present only as "*") is no value either.
    cells.push_back({1, 1, 0});
    const RecipMatrix spread = RecipMatrix::fromCells(r2, k2, cells);
    const ReciprocalAveraging::Result got = ReciprocalAveraging::run(spread);

    EXPECT_EQ(got.iterations, plain.iterations);
    EXPECT_EQ(got.speciesScoreShift, plain.speciesScoreShift);
    EXPECT_EQ(got.releveScoreShift, plain.releveScoreShift);
    int scoredSpecies = 0;
    for (int k = 1; k <= species; ++k) {
        EXPECT_EQ(got.speciesScores[std::size_t(newSpecies[std::size_t(k)])], plain.speciesScores[std::size_t(k)]);
        scoredSpecies += got.speciesScored[std::size_t(newSpecies[std::size_t(k)])];
    }
    EXPECT_EQ(scoredSpecies, species);
    EXPECT_FALSE(got.speciesScored[1]);
    EXPECT_FALSE(got.speciesScored[5]);
    for (int r = 1; r <= releves; ++r)
        EXPECT_EQ(got.releveScores[std::size_t(newReleve[std::size_t(r)])], plain.releveScores[std::size_t(r)]);
    for (int r : {1, 6, 11})
        EXPECT_FALSE(got.releveScored[std::size_t(r)]) << r;

    // Nothing to average: no iterations, no scores.
    const ReciprocalAveraging::Result none = ReciprocalAveraging::run(RecipMatrix::fromCells(3, 2, {{1, 1, 0}}));
    EXPECT_EQ(none.iterations, 0);
    EXPECT_EQ(std::count(none.speciesScored.begin(), none.speciesScored.end(), true), 0);
}
