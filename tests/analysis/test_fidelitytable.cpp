#include "analysis/fidelitytable.h"
#include "analysis/sampletable.h"
#include "platform/feedback.h"
#include "support/testsupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <vector>

using namespace Zelkor;
using Zelkor::Test::fillGroupedTable;
using Zelkor::Test::GroupedSpecies;

namespace {

// C(n, k), exactly for the small counts of these tests.
double choose(int n, int k)
{
    double c = 1.0;
    for (int i = 1; i <= k; ++i)
        c = c * (n - k + i) / i;
    return c;
}

FidelityOptions plain()
{
    FidelityOptions o;
    o.standardize = false;
    return o;
}

FidelityTable computed(const TableModel &model, const FidelityOptions &options)
{
    FidelityTable table;
    EXPECT_TRUE(table.compute(model, options));
    return table;
}

// Groups A (4 relevés) and B (6 relevés), N = 10.
const std::vector<int> kSizes = {4, 6};
const std::vector<GroupedSpecies> kSpecies = {
    {QStringLiteral("Everywhere"), {4, 6}},
    {QStringLiteral("Only A"), {4, 0}},
    {QStringLiteral("Mostly A"), {3, 1}},
    {QStringLiteral("＜コメント＞"), {}},
    {QStringLiteral("Mostly B"), {0, 5}},
};

// ln C(n, k) as a sum of logarithms in long double, compensated (Neumaier).
long double logChoose(long long n, long long k)
{
    k = std::min(k, n - k);
    long double sum = 0.0L;
    long double carry = 0.0L;
    for (long long i = 1; i <= k; ++i) {
        const long double term = std::log(static_cast<long double>(n - k + i) / static_cast<long double>(i));
        const long double t = sum + term;
        carry += std::fabs(sum) >= std::fabs(term) ? (sum - t) + term : (term - t) + sum;
        sum = t;
    }
    return sum + carry;
}

// P(X ≥ x) of the hypergeometric tail as a sum of its terms in log space: the log of each term
// from log-binomials, then the terms added relative to the largest.
long double referenceTail(long long N, long long m, long long r, long long x)
{
    const long long b = N - r;
    const long long hi = std::min(r, m);
    const long double whole = logChoose(N, m);
    long double logWhite = logChoose(r, x);
    long double logBlack = logChoose(b, m - x);
    std::vector<long double> logs;
    for (long long k = x; k <= hi; ++k) {
        logs.push_back(logWhite + logBlack - whole);
        if (logs.back() < logs.front() - 50.0L)
            break;
        // The next term's log-binomials, in log space.
        logWhite += std::log(static_cast<long double>(r - k) / static_cast<long double>(k + 1));
        logBlack += std::log(static_cast<long double>(m - k) / static_cast<long double>(b - m + k + 1));
    }
    const long double top = *std::max_element(logs.begin(), logs.end());
    long double sum = 0.0L;
    for (long double l : logs)
        sum += std::exp(l - top);
    return std::exp(top + std::log(sum));
}

} // namespace

TEST(FidelityTable, CountsPhiAndPWorkedByHand)
{
    TableModel model;
    fillGroupedTable(&model, kSizes, kSpecies);
    const FidelityTable t = computed(model, plain());
    ASSERT_EQ(t.groups().size(), 2u);
    EXPECT_EQ(t.releves(), 10);
    EXPECT_EQ(t.groupsWithReleves(), 2);
    ASSERT_EQ(t.speciesCount(), 5);
    const int n[] = {10, 4, 4, 0, 5};
    for (int s = 1; s <= 5; ++s)
        EXPECT_EQ(t.frequency(s), n[s - 1]) << s;

    // In every relevé: N − n = 0, phi 0; every group holds it as often as it can, p 1.
    for (int j = 0; j < 2; ++j) {
        EXPECT_EQ(t.cell(1, j).occurrences, kSizes[std::size_t(j)]);
        EXPECT_EQ(t.cell(1, j).phi, 0.0);
        EXPECT_EQ(t.cell(1, j).p, 1.0);
    }
    // Only and always in A: phi 1 there, −1 in B; p = 1 / C(10, 4).
    EXPECT_EQ(t.cell(2, 0).phi, 1.0);
    EXPECT_EQ(t.cell(2, 0).phiPercent, 100);
    EXPECT_EQ(t.cell(2, 1).phi, -1.0);
    EXPECT_NEAR(t.cell(2, 0).p, 1.0 / choose(10, 4), 1e-16);
    EXPECT_EQ(t.cell(2, 1).p, 1.0);
    // 3 of A, 1 of B: (10·3 − 4·4) / sqrt(4·4·6·6) = 14/24; p = (C(4,3)C(6,1) + C(4,4)C(6,0)) / C(10,4).
    EXPECT_DOUBLE_EQ(t.cell(3, 0).phi, 14.0 / 24.0);
    EXPECT_EQ(t.cell(3, 0).phiPercent, 58);
    EXPECT_DOUBLE_EQ(t.cell(3, 1).phi, -14.0 / 24.0);
    EXPECT_EQ(t.cell(3, 1).phiPercent, -58);
    EXPECT_NEAR(t.cell(3, 0).p, (choose(4, 3) * choose(6, 1) + choose(4, 4) * choose(6, 0)) / choose(10, 4), 1e-15);
    // In B at least once: 1 − P(none) = 1 − C(4,0)C(6,6)/C(10,6).
    EXPECT_NEAR(t.cell(3, 1).p, 1.0 - choose(4, 0) * choose(6, 6) / choose(10, 6), 1e-15);
    // The comment row has no values.
    for (int j = 0; j < 2; ++j) {
        EXPECT_EQ(t.cell(4, j).occurrences, 0);
        EXPECT_EQ(t.cell(4, j).phi, 0.0);
        EXPECT_EQ(t.cell(4, j).p, 1.0);
        EXPECT_FALSE(t.cell(4, j).diagnostic);
    }
    // 5 of B: (10·5 − 5·6) / sqrt(5·6·5·4); p = C(5,5)C(5,1)/C(10,6).
    EXPECT_DOUBLE_EQ(t.cell(5, 1).phi, 20.0 / std::sqrt(600.0));
    EXPECT_NEAR(t.cell(5, 1).p, choose(5, 5) * choose(5, 1) / choose(10, 6), 1e-16);

    // Diagnostic (phi ≥ 0.30, p < 0.05): "Only A" for A and "Mostly B" for B; "Mostly A" has
    // the phi but not the p (25/210).
    EXPECT_TRUE(t.cell(2, 0).diagnostic);
    EXPECT_FALSE(t.cell(3, 0).diagnostic);
    EXPECT_TRUE(t.cell(5, 1).diagnostic);
    const int groupOf[] = {-1, 0, -1, -1, 1};
    for (int s = 1; s <= 5; ++s)
        EXPECT_EQ(t.diagnosticGroup(s), groupOf[s - 1]) << s;
}

TEST(FidelityTable, StandardisedGroupSize)
{
    TableModel model;
    fillGroupedTable(&model, kSizes, kSpecies);
    const FidelityTable t = computed(model, FidelityOptions{});

    // "Mostly A" in A with every group counting N / G = 5 relevés, as the definition reads:
    // n_g' = 3·5/4, n' = n_g' + (4 − 3)(10 − 5)/(10 − 4).
    const double N = 10, NgS = 5;
    const double ngS = 3 * NgS / 4;
    const double nS = ngS + (4 - 3) * (N - NgS) / (N - 4);
    const double expected = (N * ngS - nS * NgS) / std::sqrt(nS * NgS * (N - nS) * (N - NgS));
    EXPECT_NEAR(t.cell(3, 0).phi, expected, 1e-15);
    // The same by hand from the counts: 14 / sqrt(22 · 26).
    EXPECT_DOUBLE_EQ(t.cell(3, 0).phi, 14.0 / std::sqrt(572.0));
    EXPECT_NE(t.cell(3, 0).phi, 14.0 / 24.0);
    // The p stays that of the counts as they are.
    EXPECT_NEAR(t.cell(3, 0).p, 25.0 / 210.0, 1e-15);
    // Only and always in a group stays phi 1, everywhere phi 0.
    EXPECT_EQ(t.cell(2, 0).phi, 1.0);
    EXPECT_EQ(t.cell(1, 0).phi, 0.0);

    // Against the definition for a table of counts of several groups.
    struct Case { long long N, Ng, n, ng; int G; };
    for (const Case c : {Case{40, 5, 12, 4, 4}, Case{40, 20, 12, 4, 4}, Case{333, 17, 101, 9, 7},
                         Case{100000, 250, 3000, 30, 50}, Case{12, 3, 7, 0, 3}}) {
        const double gS = double(c.N) / c.G;
        const double oS = c.ng * gS / c.Ng;
        const double fS = oS + (c.n - c.ng) * (c.N - gS) / (c.N - c.Ng);
        const double byDefinition = (c.N * oS - fS * gS) / std::sqrt(fS * gS * (c.N - fS) * (c.N - gS));
        EXPECT_NEAR(FidelityTable::standardizedPhi(c.N, c.Ng, c.n, c.ng, c.G), byDefinition, 1e-13)
            << c.N << " " << c.Ng << " " << c.n << " " << c.ng << " " << c.G;
    }
}

TEST(FidelityTable, ZeroDenominatorsGivePhiZero)
{
    struct Case { const char *what; long long N, Ng, n, ng; int G; };
    const Case cases[] = {
        {"absent species", 10, 4, 0, 0, 2},
        {"species in every relevé", 10, 4, 10, 4, 2},
        {"one group holds every relevé", 10, 10, 3, 3, 1},
        {"empty group", 10, 0, 3, 0, 2},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        const double plainPhi = FidelityTable::phi(c.N, c.Ng, c.n, c.ng);
        const double standardPhi = FidelityTable::standardizedPhi(c.N, c.Ng, c.n, c.ng, c.G);
        EXPECT_EQ(plainPhi, 0.0);
        EXPECT_EQ(standardPhi, 0.0);
        // Never a negative zero, which would read "-0".
        EXPECT_FALSE(std::signbit(plainPhi));
        EXPECT_FALSE(std::signbit(standardPhi));
        EXPECT_EQ(FidelityTable::fisherP(c.N, c.Ng, c.n, c.ng), 1.0);
    }
}

TEST(FidelityTable, OneGroupHasNoDiagnosticSpecies)
{
    TableModel model;
    fillGroupedTable(&model, {7}, {{QStringLiteral("a"), {7}}, {QStringLiteral("b"), {3}}, {QStringLiteral("c"), {1}}});
    for (const bool standardize : {false, true}) {
        FidelityOptions options;
        options.standardize = standardize;
        options.phiThreshold = 0.0;
        options.alpha = 1.0;
        const FidelityTable t = computed(model, options);
        EXPECT_EQ(t.groupsWithReleves(), 1);
        for (int s = 1; s <= 3; ++s) {
            EXPECT_EQ(t.cell(s, 0).phi, 0.0) << s;
            EXPECT_EQ(t.cell(s, 0).p, 1.0) << s;
            EXPECT_FALSE(t.cell(s, 0).diagnostic) << s;
            EXPECT_EQ(t.diagnosticGroup(s), -1) << s;
        }
    }
}

TEST(FidelityTable, EmptyGroupsTakeNoPart)
{
    const std::vector<GroupedSpecies> species = {{QStringLiteral("all"), {3, 0, 3}}, {QStringLiteral("x"), {3, 0, 1}}};
    TableModel withEmpty;
    fillGroupedTable(&withEmpty, {3, 0, 3}, species);
    TableModel without;
    fillGroupedTable(&without, {3, 3}, {{QStringLiteral("all"), {3, 3}}, {QStringLiteral("x"), {3, 1}}});
    for (const bool standardize : {false, true}) {
        FidelityOptions options;
        options.standardize = standardize;
        const FidelityTable a = computed(withEmpty, options);
        const FidelityTable b = computed(without, options);
        ASSERT_EQ(a.groups().size(), 3u);
        EXPECT_EQ(a.groupsWithReleves(), 2);
        EXPECT_EQ(a.releves(), 6);
        EXPECT_EQ(a.cell(2, 1).phi, 0.0);
        EXPECT_EQ(a.cell(2, 1).p, 1.0);
        EXPECT_FALSE(a.cell(2, 1).diagnostic);
        for (int s = 1; s <= 2; ++s) {
            EXPECT_EQ(a.cell(s, 0).phi, b.cell(s, 0).phi);
            EXPECT_EQ(a.cell(s, 2).phi, b.cell(s, 1).phi);
            EXPECT_EQ(a.cell(s, 2).p, b.cell(s, 1).p);
        }
        // The empty group gets a block of its own in neither.
        EXPECT_EQ(a.diagnosticBlocks().size(), b.diagnosticBlocks().size());
    }
}

TEST(FidelityTable, SmallSamplesAgainstTheHypergeometricSum)
{
    struct Case { long long N, Ng, n, ng; double p; };
    const Case cases[] = {
        {10, 4, 4, 3, (choose(4, 3) * choose(6, 1) + choose(4, 4) * choose(6, 0)) / choose(10, 4)},
        {10, 4, 4, 4, choose(4, 4) * choose(6, 0) / choose(10, 4)},
        {10, 6, 4, 1, (choose(4, 1) * choose(6, 5) + choose(4, 2) * choose(6, 4) + choose(4, 3) * choose(6, 3)
                       + choose(4, 4) * choose(6, 2)) / choose(10, 6)},
        {20, 5, 9, 4, (choose(9, 4) * choose(11, 1) + choose(9, 5) * choose(11, 0)) / choose(20, 5)},
        {20, 5, 9, 2, (choose(9, 2) * choose(11, 3) + choose(9, 3) * choose(11, 2) + choose(9, 4) * choose(11, 1)
                       + choose(9, 5) * choose(11, 0)) / choose(20, 5)},
        {18, 8, 10, 7, (choose(10, 7) * choose(8, 1) + choose(10, 8) * choose(8, 0)) / choose(18, 8)},
        {30, 12, 20, 12, choose(20, 12) * choose(10, 0) / choose(30, 12)},
        // Fewer relevés without the species than the group has: at least 2 of 5 hold it.
        {7, 5, 4, 2, 1.0},
        {7, 5, 4, 3, (choose(4, 3) * choose(3, 2) + choose(4, 4) * choose(3, 1)) / choose(7, 5)},
        {7, 5, 4, 0, 1.0},
    };
    for (const Case &c : cases)
        EXPECT_NEAR(FidelityTable::fisherP(c.N, c.Ng, c.n, c.ng), c.p, 1e-14 * c.p)
            << c.N << " " << c.Ng << " " << c.n << " " << c.ng;
}

TEST(FidelityTable, ExtremeTailsAgainstLogSpaceSums)
{
    // Long double sums of logarithms are exact to about 1e-13 here where long double has a
    // 64-bit mantissa; elsewhere the reference itself is only good to about 1e-9.
    const double tolerance = std::numeric_limits<long double>::digits >= 64 ? 1e-12 : 1e-8;
    struct Case { long long N, Ng, n, ng; };
    for (const Case c : {Case{100000, 5000, 3000, 600}, Case{100000, 1000, 1000, 265}, Case{100000, 1000, 1000, 100},
                         Case{1000000, 20000, 10000, 300}, Case{1000000, 400000, 500000, 200500}}) {
        const double p = FidelityTable::fisherP(c.N, c.Ng, c.n, c.ng);
        const long double reference = referenceTail(c.N, c.Ng, c.n, c.ng);
        EXPECT_GT(p, 0.0);
        EXPECT_LE(std::fabs(static_cast<long double>(p) - reference), tolerance * reference)
            << c.N << " " << c.Ng << " " << c.n << " " << c.ng << ": " << p << " against "
            << static_cast<double>(reference);
    }
    // Far below 1e-100, and near the end of the doubles without falling to 0.
    EXPECT_LT(FidelityTable::fisherP(100000, 5000, 3000, 600), 1e-190);
    EXPECT_GT(FidelityTable::fisherP(100000, 1000, 1000, 265), 1e-300);
}

TEST(FidelityTable, PercentAndThresholdDecideOnTheExactPhi)
{
    // phi exactly 0.575 (46/80), 0.125 (1/8) and 0.375 (6/16): halves go to the even percent.
    struct Case { int Ng, rest, inGroup, outside; double phi; int percent; };
    for (const Case c : {Case{8, 10, 7, 3, 0.575, 58}, Case{1, 8, 1, 7, 0.125, 12}, Case{2, 8, 1, 1, 0.375, 38}}) {
        TableModel model;
        fillGroupedTable(&model, {c.Ng, c.rest},
                         {{QStringLiteral("all"), {c.Ng, c.rest}}, {QStringLiteral("s"), {c.inGroup, c.outside}}});
        const FidelityTable t = computed(model, plain());
        EXPECT_NEAR(t.cell(2, 0).phi, c.phi, 1e-15);
        EXPECT_EQ(t.cell(2, 0).phiPercent, c.percent) << c.phi;
    }

    // The threshold 0.575 is reached by phi 0.575 (p = 1005/43758 < 0.05), 0.5751 is not.
    TableModel model;
    fillGroupedTable(&model, {8, 10}, {{QStringLiteral("all"), {8, 10}}, {QStringLiteral("s"), {7, 3}}});
    FidelityOptions options = plain();
    options.phiThreshold = 0.575;
    EXPECT_TRUE(computed(model, options).cell(2, 0).diagnostic);
    options.phiThreshold = 0.5751;
    EXPECT_FALSE(computed(model, options).cell(2, 0).diagnostic);
    // p = 0.023 is below α = 0.03, not below 0.02.
    options.phiThreshold = 0.3;
    options.alpha = 0.03;
    EXPECT_TRUE(computed(model, options).cell(2, 0).diagnostic);
    options.alpha = 0.02;
    EXPECT_FALSE(computed(model, options).cell(2, 0).diagnostic);
}

TEST(FidelityTable, BlocksByGroupAndFallingPhi)
{
    TableModel model;
    // Groups A, B (8 relevés each) and C (16).
    fillGroupedTable(&model, {8, 8, 16},
                     {{QStringLiteral("all"), {8, 8, 16}},
                      {QStringLiteral("A and B"), {8, 7, 0}},   // diagnostic for both, phi higher in A
                      {QStringLiteral("C only"), {0, 0, 14}},
                      {QStringLiteral("A only"), {8, 0, 0}},
                      {QStringLiteral("rare"), {1, 0, 1}},
                      {QStringLiteral("A only, twin"), {8, 0, 0}},
                      {QStringLiteral("B only"), {0, 6, 0}}});
    for (const FidelityOptions &options : {plain(), FidelityOptions{}}) {
        const FidelityTable t = computed(model, options);
        EXPECT_TRUE(t.cell(2, 0).diagnostic);
        EXPECT_TRUE(t.cell(2, 1).diagnostic);
        EXPECT_GT(t.cell(2, 0).phi, t.cell(2, 1).phi);
        EXPECT_EQ(t.diagnosticGroup(2), 0);

        const std::vector<FidelityTable::Block> blocks = t.diagnosticBlocks();
        ASSERT_EQ(blocks.size(), 4u);
        EXPECT_EQ(blocks[0].group, 0);
        // Falling phi; the twins keep their order.
        EXPECT_EQ(blocks[0].species, (std::vector<int>{4, 6, 2}));
        EXPECT_EQ(blocks[1].group, 1);
        EXPECT_EQ(blocks[1].species, (std::vector<int>{7}));
        EXPECT_EQ(blocks[2].group, 2);
        EXPECT_EQ(blocks[2].species, (std::vector<int>{3}));
        EXPECT_EQ(blocks[3].group, -1);
        EXPECT_EQ(blocks[3].species, (std::vector<int>{1, 5}));
    }
}

TEST(FidelityTable, SortingTheTableMovesRowsWithTheirCodes)
{
    TableModel model;
    fillGroupedTable(&model, {4, 6}, kSpecies);
    const auto names = [&] {
        QStringList list;
        for (int s = 1; s <= model.speciesCount(); ++s)
            list << model.grid().cell(TableModel::NameColumn, model.speciesRow(s));
        return list;
    };
    const int indexOfMostlyB = model.speciesIndexAt(model.speciesRow(5));
    model.setModified(false);

    EXPECT_EQ(FidelityTable::sortSpeciesRows(model, FidelityOptions{}), 2);
    EXPECT_EQ(names(), (QStringList{QStringLiteral("Only A"), QStringLiteral("Mostly B"), QStringLiteral("Everywhere"),
                                    QStringLiteral("Mostly A"), QStringLiteral("＜コメント＞")}));
    EXPECT_TRUE(model.isModified());
    // The hidden index travels with its row; the running numbers follow the places.
    EXPECT_EQ(model.speciesIndexAt(model.speciesRow(2)), indexOfMostlyB);
    EXPECT_EQ(model.grid().cell(TableModel::releveColumn(6), model.speciesRow(2)), QStringLiteral("  1 "));
    EXPECT_EQ(model.grid().cell(TableModel::releveColumn(1), model.speciesRow(2)), QString());
    EXPECT_EQ(model.speciesFreq(model.speciesRow(2) - model.headerRows()), 5);

    // Sorted already: nothing moves, nothing changes.
    model.setModified(false);
    EXPECT_EQ(FidelityTable::sortSpeciesRows(model, FidelityOptions{}), 2);
    EXPECT_FALSE(model.isModified());

    // Without a diagnostic species the table stays as it is.
    FidelityOptions strict;
    strict.alpha = 0.001;
    TableModel other;
    fillGroupedTable(&other, {4, 6}, kSpecies);
    other.setModified(false);
    EXPECT_EQ(FidelityTable::sortSpeciesRows(other, strict), 0);
    EXPECT_EQ(other.grid().cell(TableModel::NameColumn, other.speciesRow(1)), QStringLiteral("Everywhere"));
    EXPECT_FALSE(other.isModified());
}

TEST(FidelityTable, CancelledComputationLeavesNothing)
{
    TableModel model;
    fillGroupedTable(&model, kSizes, kSpecies);
    Feedback feedback;
    feedback.setWatcher([](Feedback &f) {
        if (f.position() == 3)
            f.cancel();
    });
    FidelityTable t;
    EXPECT_FALSE(t.compute(model, FidelityOptions{}, &feedback));
    EXPECT_EQ(t.speciesCount(), 0);
    EXPECT_TRUE(t.groups().empty());
}
