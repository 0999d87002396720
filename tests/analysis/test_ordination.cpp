#include "analysis/ordination.h"
#include "analysis/ordinationfixtures.h"
#include "analysis/ordinationmatrix.h"
#include "platform/feedback.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <map>
#include <random>

using namespace Zelkor;
using Zelkor::Test::correlation;

namespace {

// Axis k of result, by the labels of the table, beside vegan's.
struct Paired
{
    std::vector<double> ours;
    std::vector<double> theirs;
};

Paired pairedReleves(const OrdinationResult &result, const Zelkor::Test::OrdinationTable &table,
                     const Zelkor::Test::OrdinationReference &ref, int k)
{
    Paired p;
    for (std::size_t i = 0; i < result.releves.size(); ++i) {
        const QString label = table.releves.at(result.releves[i] - 1);
        p.ours.push_back(result.releveScores[std::size_t(k)][i]);
        p.theirs.push_back(ref.releves.at(label).at(std::size_t(k)));
    }
    return p;
}

Paired pairedSpecies(const OrdinationResult &result, const Zelkor::Test::OrdinationTable &table,
                     const Zelkor::Test::OrdinationReference &ref, int k)
{
    Paired p;
    for (std::size_t j = 0; j < result.species.size(); ++j) {
        const QString name = table.species.at(result.species[j] - 1);
        p.ours.push_back(result.speciesScores[std::size_t(k)][j]);
        p.theirs.push_back(ref.species.at(name).at(std::size_t(k)));
    }
    return p;
}

// The largest difference of the scores from vegan's, turned to the same sign, against vegan's
// largest score.
double relativeDifference(const Paired &p)
{
    const double sign = correlation(p.ours, p.theirs) < 0.0 ? -1.0 : 1.0;
    double largest = 0.0;
    double difference = 0.0;
    for (std::size_t i = 0; i < p.ours.size(); ++i) {
        largest = std::max(largest, std::fabs(p.theirs[i]));
        difference = std::max(difference, std::fabs(sign * p.ours[i] - p.theirs[i]));
    }
    return difference / largest;
}

const char *const kFixtures[] = {"dune", "lichen", "gradient"};

OrdinationResult ordinate(const OrdinationMatrix &m, OrdinationMethod method, int scaling = 2, int threads = 1,
                          int axes = 4)
{
    OrdinationOptions o;
    o.method = method;
    o.scaling = scaling;
    o.axes = axes;
    return Ordination::run(m, o, nullptr, threads);
}

// A random table: releves × species, about `percent` % of the cells filled with 1..10; every
// relevé and species has a value.
OrdinationMatrix randomMatrix(int releves, int species, int percent, unsigned seed)
{
    std::mt19937 rng(seed);
    std::vector<OrdinationMatrix::Cell> cells;
    for (int r = 1; r <= releves; ++r) {
        for (int k = 1; k <= species; ++k) {
            if (int(rng() % 100) < percent || k == 1 + (r - 1) % species || r == 1 + (k - 1) % releves)
                cells.push_back({r, k, 1 + int(rng() % 10)});
        }
    }
    return OrdinationMatrix::fromCells(releves, species, cells);
}

} // namespace

TEST(CorrespondenceAnalysis, EigenvaluesAndScoresAreVegansCca)
{
    for (const char *name : kFixtures) {
        const Zelkor::Test::OrdinationTable table = Zelkor::Test::ordinationTable(QString::fromLatin1(name));
        ASSERT_FALSE(table.cells.empty()) << name;
        const OrdinationMatrix m = table.matrix();
        for (const int scaling : {1, 2}) {
            SCOPED_TRACE(std::string(name) + " scaling " + std::to_string(scaling));
            const Zelkor::Test::OrdinationReference ref = Zelkor::Test::ordinationReference(
                QStringLiteral("%1-ca-scaling%2.csv").arg(QString::fromLatin1(name)).arg(scaling));
            const OrdinationResult r = ordinate(m, OrdinationMethod::Correspondence, scaling);
            ASSERT_EQ(r.axisCount(), 4);
            EXPECT_TRUE(r.converged);
            EXPECT_EQ(r.scaling, scaling);
            for (int k = 0; k < 4; ++k) {
                SCOPED_TRACE(k + 1);
                const double want = ref.single.at(QStringLiteral("eigenvalue")).at(std::size_t(k));
                EXPECT_NEAR(r.eigenvalues[std::size_t(k)], want, 1e-6 * want);
                const Paired releves = pairedReleves(r, table, ref, k);
                const Paired species = pairedSpecies(r, table, ref, k);
                EXPECT_GT(std::fabs(correlation(releves.ours, releves.theirs)), 0.9999);
                EXPECT_GT(std::fabs(correlation(species.ours, species.theirs)), 0.9999);
                // The scaling too: the very numbers, up to the sign.
                EXPECT_LT(relativeDifference(releves), 1e-6);
                EXPECT_LT(relativeDifference(species), 1e-6);
            }
        }
    }
}

namespace {

// Expects the relevé and species scores of the first `axes` axes of r to correlate with ref's
// beyond `atLeast` (either sign).
void expectScoresCorrelate(const OrdinationResult &r, const Zelkor::Test::OrdinationTable &table,
                           const Zelkor::Test::OrdinationReference &ref, int axes, double atLeast)
{
    for (int k = 0; k < axes; ++k) {
        SCOPED_TRACE(k + 1);
        const Paired releves = pairedReleves(r, table, ref, k);
        const Paired species = pairedSpecies(r, table, ref, k);
        EXPECT_GT(std::fabs(correlation(releves.ours, releves.theirs)), atLeast);
        EXPECT_GT(std::fabs(correlation(species.ours, species.theirs)), atLeast);
    }
}

} // namespace

TEST(DetrendedCorrespondenceAnalysis, FirstTwoAxesAreVegansDecorana)
{
    // The detrending is decorana's to the last digit (next test); the rescaling follows Hill &
    // Gauch's outline, so the rescaled axes agree closely rather than exactly: relevé and species
    // scores to r > 0.99 and the eigenvalues to 1 % on the first two axes, the axis lengths to 1 %
    // and 4 %.
    for (const char *name : kFixtures) {
        SCOPED_TRACE(name);
        const Zelkor::Test::OrdinationTable table = Zelkor::Test::ordinationTable(QString::fromLatin1(name));
        const Zelkor::Test::OrdinationReference ref =
            Zelkor::Test::ordinationReference(QString::fromLatin1(name) + QStringLiteral("-dca.csv"));
        const OrdinationResult r = ordinate(table.matrix(), OrdinationMethod::Detrended);
        ASSERT_EQ(r.axisCount(), 4);
        ASSERT_EQ(r.axisLengths.size(), 4u);
        ASSERT_EQ(r.iterationEigenvalues.size(), 4u);
        EXPECT_TRUE(r.converged);
        EXPECT_EQ(r.axisName(1), QStringLiteral("DCA2"));
        expectScoresCorrelate(r, table, ref, 2, 0.99);
        for (int k = 0; k < 2; ++k) {
            SCOPED_TRACE(k + 1);
            const double want = ref.single.at(QStringLiteral("eigenvalue")).at(std::size_t(k));
            EXPECT_NEAR(r.eigenvalues[std::size_t(k)], want, 0.01 * want);
            const double length = ref.single.at(QStringLiteral("length")).at(std::size_t(k));
            EXPECT_NEAR(r.axisLengths[std::size_t(k)], length, (k == 0 ? 0.01 : 0.04) * length);
        }
        // Hill's eigenvalue of the first axis is correspondence analysis's.
        EXPECT_NEAR(r.iterationEigenvalues[0], ref.single.at(QStringLiteral("iteration")).at(0), 1e-6);
        // The length is the range of the relevé scores, which lie about their weighted mean.
        for (int k = 0; k < 4; ++k) {
            const auto [lo, hi] = std::minmax_element(r.releveScores[std::size_t(k)].begin(), r.releveScores[std::size_t(k)].end());
            EXPECT_NEAR(*hi - *lo, r.axisLengths[std::size_t(k)], 1e-12);
            EXPECT_LT(*lo, 0.0);
            EXPECT_GT(*hi, 0.0);
        }
    }
}

TEST(DetrendedCorrespondenceAnalysis, WithoutRescalingAllFourAxesAreDecoranas)
{
    // Without rescaling, each axis is the dominant eigenvector of the detrended averaging alone:
    // its eigenvalue and scores show the detrending segment by segment, on every axis (the third
    // and fourth detrended along two and three earlier axes). decorana stops its iterations at a
    // looser tolerance, hence 1e-5.
    for (const char *name : kFixtures) {
        SCOPED_TRACE(name);
        OrdinationOptions o;
        o.method = OrdinationMethod::Detrended;
        o.rescalings = 0;
        const Zelkor::Test::OrdinationTable table = Zelkor::Test::ordinationTable(QString::fromLatin1(name));
        const OrdinationResult r = Ordination::run(table.matrix(), o);
        ASSERT_EQ(r.axisCount(), 4);
        const Zelkor::Test::OrdinationReference ref =
            Zelkor::Test::ordinationReference(QString::fromLatin1(name) + QStringLiteral("-dca-norescale.csv"));
        for (int k = 0; k < 4; ++k) {
            const double want = ref.single.at(QStringLiteral("iteration")).at(std::size_t(k));
            EXPECT_NEAR(r.iterationEigenvalues[std::size_t(k)], want, 1e-5 * want) << "axis " << k + 1;
        }
        expectScoresCorrelate(r, table, ref, 4, 0.9999);
    }
}

TEST(Ordination, BothFindTheKnownGradients)
{
    // The synthetic table's relevés lie on a grid of two gradients, a (0..6) and b (0..4); the
    // axes follow them, if not in a straight line (the ends are drawn in).
    const Zelkor::Test::OrdinationTable table = Zelkor::Test::ordinationTable(QStringLiteral("gradient"));
    std::map<QString, std::pair<double, double>> position;
    const std::vector<Csv::Record> records = Zelkor::Test::fixtureRecords(QStringLiteral("gradient-positions.csv"));
    for (std::size_t r = 1; r < records.size(); ++r)
        position[records[r].fields.value(0)] = {records[r].fields.value(1).toDouble(), records[r].fields.value(2).toDouble()};
    ASSERT_EQ(position.size(), std::size_t(table.releves.size()));
    for (const OrdinationMethod method : {OrdinationMethod::Correspondence, OrdinationMethod::Detrended}) {
        const OrdinationResult r = ordinate(table.matrix(), method);
        std::vector<double> a;
        std::vector<double> b;
        for (int place : r.releves) {
            a.push_back(position.at(table.releves.at(place - 1)).first);
            b.push_back(position.at(table.releves.at(place - 1)).second);
        }
        EXPECT_GT(std::fabs(correlation(r.releveScores[0], a)), 0.9) << r.prefix().toStdString();
        // Correspondence analysis bends the second gradient into the arch of the first; the
        // detrended analysis straightens it.
        const double second = std::fabs(correlation(r.releveScores[1], b));
        if (method == OrdinationMethod::Detrended)
            EXPECT_GT(second, 0.9);
        else
            EXPECT_GT(second, 0.5);
    }
}

TEST(CorrespondenceAnalysis, AxesAreCentredAndUncorrelatedUnderTheRowWeights)
{
    const Zelkor::Test::OrdinationTable table = Zelkor::Test::ordinationTable(QStringLiteral("lichen"));
    const OrdinationMatrix m = table.matrix();
    for (const int scaling : {1, 2}) {
        SCOPED_TRACE(scaling);
        const OrdinationResult r = ordinate(m, OrdinationMethod::Correspondence, scaling, 1, 8);
        ASSERT_EQ(r.axisCount(), 8);
        const std::vector<double> &R = m.releveTotals();
        double total = 0.0;
        for (double w : R)
            total += w;
        for (int k = 0; k < 8; ++k) {
            const std::vector<double> &x = r.releveScores[std::size_t(k)];
            double mean = 0.0;
            for (std::size_t i = 0; i < x.size(); ++i)
                mean += R[i] * x[i] / total;
            EXPECT_NEAR(mean, 0.0, 1e-12);
            for (int l = 0; l <= k; ++l) {
                const std::vector<double> &y = r.releveScores[std::size_t(l)];
                double product = 0.0;
                for (std::size_t i = 0; i < x.size(); ++i)
                    product += R[i] * x[i] * y[i] / total;
                // Standardised scores (scaling 2) have unit variance; scaling 1 scales them by
                // the square root of the eigenvalue.
                const double want = k != l ? 0.0 : scaling == 2 ? 1.0 : r.eigenvalues[std::size_t(k)];
                EXPECT_NEAR(product, want, 1e-10) << k << " " << l;
            }
            if (k > 0) {
                EXPECT_LE(r.eigenvalues[std::size_t(k)], r.eigenvalues[std::size_t(k) - 1]);
            }
        }
    }
}

TEST(Ordination, TheFirstRelevéWithAScoreScoresPositive)
{
    // The same table with its relevés in the opposite order: each axis turns so that the
    // first relevé is positive in both, the scores otherwise the same.
    const Zelkor::Test::OrdinationTable table = Zelkor::Test::ordinationTable(QStringLiteral("dune"));
    const int n = int(table.releves.size());
    std::vector<OrdinationMatrix::Cell> reversed = table.cells;
    for (OrdinationMatrix::Cell &c : reversed)
        c.releve = n + 1 - c.releve;
    const OrdinationMatrix forward = table.matrix();
    const OrdinationMatrix backward = OrdinationMatrix::fromCells(n, int(table.species.size()), reversed);
    for (const OrdinationMethod method : {OrdinationMethod::Correspondence, OrdinationMethod::Detrended}) {
        const OrdinationResult a = ordinate(forward, method);
        const OrdinationResult b = ordinate(backward, method);
        ASSERT_EQ(a.axisCount(), 4);
        ASSERT_EQ(b.axisCount(), 4);
        for (int k = 0; k < 4; ++k) {
            EXPECT_GT(a.releveScores[std::size_t(k)].front(), 0.0);
            EXPECT_GT(b.releveScores[std::size_t(k)].front(), 0.0);
            const double sign = a.releveScores[std::size_t(k)].back() / b.releveScores[std::size_t(k)].front();
            EXPECT_NEAR(std::fabs(sign), 1.0, 1e-6);
            for (int i = 0; i < n; ++i)
                EXPECT_NEAR(a.releveScores[std::size_t(k)][std::size_t(i)],
                            sign * b.releveScores[std::size_t(k)][std::size_t(n - 1 - i)], 1e-6);
            for (std::size_t j = 0; j < a.species.size(); ++j)
                EXPECT_NEAR(a.speciesScores[std::size_t(k)][j], sign * b.speciesScores[std::size_t(k)][j], 1e-6);
        }
    }
}

TEST(Ordination, OneOrTwoThreadsGiveTheSameBits)
{
    // Enough cells for several blocks of each pass.
    const OrdinationMatrix m = randomMatrix(3000, 300, 20, 5);
    ASSERT_GT(m.cellCount(), 150000u);
    for (const OrdinationMethod method : {OrdinationMethod::Correspondence, OrdinationMethod::Detrended}) {
        const OrdinationResult one = ordinate(m, method, 2, 1);
        const OrdinationResult two = ordinate(m, method, 2, 2);
        ASSERT_EQ(one.axisCount(), 4);
        EXPECT_EQ(one.applications, two.applications);
        EXPECT_EQ(one.eigenvalues, two.eigenvalues);
        EXPECT_EQ(one.releveScores, two.releveScores);
        EXPECT_EQ(one.speciesScores, two.speciesScores);
        EXPECT_EQ(one.axisLengths, two.axisLengths);
    }
}

TEST(Ordination, SmallAndDisconnectedTables)
{
    struct Case
    {
        const char *name;
        int releves;
        int species;
        std::vector<OrdinationMatrix::Cell> cells;
        int caAxes;
        int dcaAxes;
    };
    const Case cases[] = {
        {"nothing", 0, 0, {}, 0, 0},
        {"one relevé", 1, 3, {{1, 1, 5}, {1, 2, 3}}, 0, 0},
        {"one species", 3, 1, {{1, 1, 5}, {2, 1, 3}, {3, 1, 1}}, 0, 0},
        {"two relevés, one axis", 2, 3, {{1, 1, 5}, {1, 2, 1}, {2, 2, 4}, {2, 3, 2}}, 1, 1},
        // Two groups without a species in common: the first axis separates them (eigenvalue 1).
        {"two groups", 4, 4, {{1, 1, 2}, {1, 2, 1}, {2, 1, 1}, {2, 2, 3}, {3, 3, 2}, {3, 4, 2}, {4, 3, 1}, {4, 4, 3}}, 3, 3},
        // Identical relevés add nothing: one axis is left.
        {"copies", 4, 3, {{1, 1, 2}, {1, 2, 1}, {2, 1, 2}, {2, 2, 1}, {3, 2, 1}, {3, 3, 3}, {4, 2, 1}, {4, 3, 3}}, 1, 1},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        const OrdinationMatrix m = OrdinationMatrix::fromCells(c.releves, c.species, c.cells);
        const OrdinationResult ca = ordinate(m, OrdinationMethod::Correspondence, 2, 1, 10);
        EXPECT_EQ(ca.axisCount(), c.caAxes);
        EXPECT_EQ(ca.releveScores.size(), std::size_t(c.caAxes));
        for (double e : ca.eigenvalues) {
            EXPECT_GT(e, 0.0);
            EXPECT_LE(e, 1.0 + 1e-12);
        }
        if (std::string(c.name) == "two groups") {
            EXPECT_NEAR(ca.eigenvalues[0], 1.0, 1e-10);
        }
        const OrdinationResult dca = ordinate(m, OrdinationMethod::Detrended);
        EXPECT_EQ(dca.axisCount(), c.dcaAxes);
        for (const std::vector<double> &axis : dca.releveScores)
            for (double v : axis)
                EXPECT_TRUE(std::isfinite(v));
    }
}

TEST(Ordination, ACancelledRunHasNothing)
{
    const OrdinationMatrix m = randomMatrix(300, 100, 10, 3);
    for (const OrdinationMethod method : {OrdinationMethod::Correspondence, OrdinationMethod::Detrended}) {
        Feedback feedback;
        int reports = 0;
        feedback.setWatcher([&](Feedback &f) {
            if (++reports == 5)
                f.cancel();
        });
        OrdinationOptions o;
        o.method = method;
        const OrdinationResult r = Ordination::run(m, o, &feedback, 1);
        EXPECT_TRUE(r.canceled);
        EXPECT_EQ(r.axisCount(), 0);
        EXPECT_TRUE(r.releveScores.empty());
        EXPECT_GE(reports, 5);
    }
}

TEST(DetrendedCorrespondenceAnalysis, DownweightingTakesRareSpeciesDown)
{
    // A rare species alone at one end pulls the first axis towards it; downweighted (it occurs
    // in one relevé of twelve where the commonest occurs in all), it pulls less.
    std::vector<OrdinationMatrix::Cell> cells;
    for (int r = 1; r <= 12; ++r) {
        cells.push_back({r, 1, 3});
        cells.push_back({r, 2 + (r - 1) / 3, 4});
    }
    cells.push_back({1, 6, 8});
    const OrdinationMatrix m = OrdinationMatrix::fromCells(12, 6, cells);
    OrdinationOptions o;
    o.method = OrdinationMethod::Detrended;
    const OrdinationResult plain = Ordination::run(m, o);
    o.downweight = true;
    const OrdinationResult down = Ordination::run(m, o);
    ASSERT_GE(plain.axisCount(), 1);
    ASSERT_GE(down.axisCount(), 1);
    // Relevé 1 (the rare species' one) against relevés 2 and 3 (the same species otherwise).
    auto gap = [](const OrdinationResult &r) {
        return std::fabs(r.releveScores[0][0] - (r.releveScores[0][1] + r.releveScores[0][2]) / 2.0);
    };
    EXPECT_LT(gap(down), gap(plain));
    EXPECT_NE(plain.eigenvalues[0], down.eigenvalues[0]);
}
