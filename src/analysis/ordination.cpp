#include "analysis/ordination.h"

#include "analysis/krylov.h"
#include "analysis/ordinationsupport.h"
#include "platform/feedback.h"

#include <algorithm>
#include <cmath>
#include <thread>

namespace Zelkor {

namespace {

// Below this many filled cells per thread a pass is too short to share.
constexpr std::size_t kCellsPerThread = 100000;
// A score counts as 0 for the sign rule below this fraction of the axis's largest.
constexpr double kZeroScore = 1e-9;

} // namespace

namespace OrdinationSupport {

Averages::Averages(const OrdinationMatrix &matrix, std::vector<double> speciesWeights, WorkCrew &crew)
    : m_matrix(matrix)
    , m_weights(std::move(speciesWeights))
    , m_crew(crew)
{
    const std::size_t ns = matrix.scoredSpecies().size();
    if (m_weights.size() != ns)
        m_weights.assign(ns, 1.0);
    m_releveTotals.assign(matrix.scoredReleves().size(), 0.0);
    matrix.releveSums(m_weights.data(), m_releveTotals.data(), crew);
    m_speciesTotals.resize(ns);
    for (std::size_t j = 0; j < ns; ++j)
        m_speciesTotals[j] = m_weights[j] * matrix.speciesTotals()[j];
    for (double r : m_releveTotals)
        m_grandTotal += r;
    m_scratch.resize(ns);
}

void Averages::speciesAverages(const double *releveScores, double *speciesScores) const
{
    // The weight of a species is in both the sum and its total: the raw ones do.
    m_matrix.speciesSums(releveScores, speciesScores, m_crew);
    const std::vector<double> &raw = m_matrix.speciesTotals();
    for (std::size_t j = 0; j < raw.size(); ++j)
        speciesScores[j] /= raw[j];
}

void Averages::releveAverages(const double *speciesScores, double *releveScores) const
{
    for (std::size_t j = 0; j < m_weights.size(); ++j)
        m_scratch[j] = m_weights[j] * speciesScores[j];
    m_matrix.releveSums(m_scratch.data(), releveScores, m_crew);
    for (std::size_t i = 0; i < m_releveTotals.size(); ++i)
        releveScores[i] /= m_releveTotals[i];
}

double Averages::releveMean(const std::vector<double> &scores) const
{
    double sum = 0.0;
    for (std::size_t i = 0; i < scores.size(); ++i)
        sum += m_releveTotals[i] * scores[i];
    return sum / m_grandTotal;
}

void applySignRule(OrdinationResult &result)
{
    for (std::size_t k = 0; k < result.releveScores.size(); ++k) {
        std::vector<double> &releves = result.releveScores[k];
        double largest = 0.0;
        for (double v : releves)
            largest = std::max(largest, std::fabs(v));
        for (double v : releves) {
            if (std::fabs(v) <= kZeroScore * largest)
                continue;
            if (v < 0.0) {
                for (double &x : releves)
                    x = -x;
                for (double &x : result.speciesScores[k])
                    x = -x;
            }
            break;
        }
        // A score of exactly 0 stays so, never "-0".
        for (double &x : releves)
            x += 0.0;
        for (double &x : result.speciesScores[k])
            x += 0.0;
    }
}

} // namespace OrdinationSupport

namespace {

using OrdinationSupport::Averages;

OrdinationResult runCorrespondence(const OrdinationMatrix &matrix, const OrdinationOptions &options,
                                   Feedback *feedback, WorkCrew &crew)
{
    OrdinationResult result;
    result.method = OrdinationMethod::Correspondence;
    result.scaling = options.scaling == 1 ? 1 : 2;
    result.releves = matrix.scoredReleves();
    result.species = matrix.scoredSpecies();
    const Averages avg(matrix, {}, crew);
    const std::size_t nr = avg.releves();
    const std::size_t ns = avg.species();
    const std::vector<double> &R = avg.releveTotals();
    const std::vector<double> &C = avg.speciesTotals();
    const double N = avg.grandTotal();

    // The symmetric form of the two averaging steps on the side with fewer members,
    // D^-1/2 X' R^-1 X D^-1/2 (D the totals of that side), whose largest eigenvector is the
    // square root of the totals (eigenvalue 1), kept out of the search.
    const bool speciesSide = ns <= nr;
    const std::size_t n = speciesSide ? ns : nr;
    const std::vector<double> &D = speciesSide ? C : R;
    std::vector<double> rootD(n);
    for (std::size_t k = 0; k < n; ++k)
        rootD[k] = std::sqrt(D[k]);
    std::vector<double> trivial(n);
    for (std::size_t k = 0; k < n; ++k)
        trivial[k] = rootD[k] / std::sqrt(N);
    std::vector<double> onReleves(nr);
    std::vector<double> onSpecies(ns);
    auto op = [&](const double *in, double *out) {
        if (speciesSide) {
            for (std::size_t j = 0; j < ns; ++j)
                onSpecies[j] = in[j] / rootD[j];
            matrix.releveSums(onSpecies.data(), onReleves.data(), crew);
            for (std::size_t i = 0; i < nr; ++i)
                onReleves[i] /= R[i];
            matrix.speciesSums(onReleves.data(), out, crew);
            for (std::size_t j = 0; j < ns; ++j)
                out[j] /= rootD[j];
        } else {
            for (std::size_t i = 0; i < nr; ++i)
                onReleves[i] = in[i] / rootD[i];
            matrix.speciesSums(onReleves.data(), onSpecies.data(), crew);
            for (std::size_t j = 0; j < ns; ++j)
                onSpecies[j] /= C[j];
            matrix.releveSums(onSpecies.data(), out, crew);
            for (std::size_t i = 0; i < nr; ++i)
                out[i] /= rootD[i];
        }
    };
    // The centred table's rank is below both counts.
    const int wanted = int(std::min<std::size_t>(std::size_t(std::max(options.axes, 0)), std::min(nr, ns) - 1));
    const Krylov::Outcome found =
        Krylov::largestSymmetric(int(n), wanted, op, {trivial}, Ordination::Tolerance, Ordination::MaxApplications, feedback);
    result.applications = found.applications;
    if (found.canceled) {
        OrdinationResult canceled;
        canceled.canceled = true;
        return canceled;
    }
    result.converged = found.converged;

    // Standardised scores (weighted mean 0, weighted variance 1) on the searched side, the other
    // side's from them by one averaging step divided by the square root of the eigenvalue.
    for (std::size_t k = 0; k < found.values.size(); ++k) {
        const double lambda = found.values[k];
        const double sigma = std::sqrt(lambda);
        std::vector<double> a(nr);
        std::vector<double> b(ns);
        const std::vector<double> &x = found.vectors[k];
        if (speciesSide) {
            for (std::size_t j = 0; j < ns; ++j)
                b[j] = x[j] * std::sqrt(N / C[j]);
            avg.releveAverages(b.data(), a.data());
            for (double &v : a)
                v /= sigma;
        } else {
            for (std::size_t i = 0; i < nr; ++i)
                a[i] = x[i] * std::sqrt(N / R[i]);
            avg.speciesAverages(a.data(), b.data());
            for (double &v : b)
                v /= sigma;
        }
        if (result.scaling == 1) {
            for (double &v : a)
                v *= sigma;
        } else {
            for (double &v : b)
                v *= sigma;
        }
        result.eigenvalues.push_back(lambda);
        result.releveScores.push_back(std::move(a));
        result.speciesScores.push_back(std::move(b));
    }
    OrdinationSupport::applySignRule(result);
    return result;
}

} // namespace

QString OrdinationResult::prefix() const
{
    return method == OrdinationMethod::Detrended ? QStringLiteral("DCA") : QStringLiteral("CA");
}

QString OrdinationResult::axisName(int k) const
{
    return prefix() + QString::number(k + 1);
}

OrdinationResult Ordination::run(const OrdinationMatrix &matrix, const OrdinationOptions &options, Feedback *feedback,
                                 int threads)
{
    if (matrix.scoredReleves().size() < 2 || matrix.scoredSpecies().size() < 2) {
        OrdinationResult none;
        none.method = options.method;
        none.scaling = options.method == OrdinationMethod::Correspondence ? (options.scaling == 1 ? 1 : 2) : 0;
        none.releves = matrix.scoredReleves();
        none.species = matrix.scoredSpecies();
        return none;
    }
    WorkCrew crew(std::max(1, threads));
    if (options.method == OrdinationMethod::Detrended)
        return OrdinationSupport::runDetrended(matrix, options, feedback, crew);
    return runCorrespondence(matrix, options, feedback, crew);
}

int Ordination::threadsFor(const OrdinationMatrix &matrix)
{
    const std::size_t useful = std::max<std::size_t>(matrix.cellCount() / kCellsPerThread, 1);
    return int(std::min<std::size_t>(useful, std::size_t(std::max(1u, std::thread::hardware_concurrency()))));
}

} // namespace Zelkor
