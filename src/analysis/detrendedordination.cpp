// Detrended correspondence analysis: the averaging with detrending by segments, the rescaling of
// the axes and the scores (see Ordination).
#include "analysis/krylov.h"
#include "analysis/ordinationsupport.h"
#include "platform/feedback.h"

#include <algorithm>
#include <cmath>

namespace Zelkor::OrdinationSupport {

namespace {

// Rescaling: segments per unit of the axis (in units of the within-relevé standard deviation),
// and at most this many segments.
constexpr double kSegmentsPerUnit = 5.0;
constexpr int kMostRescalingSegments = 45;
// Rescaling: the segment variances are smoothed at least this many times.
constexpr int kVarianceSmoothings = 5;
// A species is downweighted below this fraction of the largest frequency (one fifth).
constexpr double kRareFraction = 5.0;
// An axis whose eigenvalue is below this ends the search: nothing is left to order.
constexpr double kNoEigenvalue = 1e-12;

// Each relevé's segment along an earlier axis: the axis from its lowest to its highest relevé
// cut into equal segments, the highest relevé in the last.
struct Segmenting
{
    bool usable = false;
    std::vector<int> segment;
};

Segmenting segmentsOf(const std::vector<double> &positions, int segments)
{
    Segmenting s;
    if (positions.empty() || segments < 1)
        return s;
    const auto [lo, hi] = std::minmax_element(positions.begin(), positions.end());
    const double low = *lo;
    const double range = *hi - *lo;
    if (!(range > 0.0))
        return s;
    s.usable = true;
    s.segment.resize(positions.size());
    for (std::size_t i = 0; i < positions.size(); ++i) {
        const double z = std::floor((positions[i] - low) / range * double(segments));
        s.segment[i] = int(std::clamp(z, 0.0, double(segments - 1)));
    }
    return s;
}

// Takes the trend along an earlier axis out of the relevé scores y (weights R): the weighted
// mean of each run of three segments, and for each segment the plain mean of the three runs that
// hold it (runs reach past the ends, where there are no relevés), so that a segment's trend
// rests on its five nearest segments weighted about 1:2:3:2:1.
void detrend(std::vector<double> &y, const Segmenting &s, const std::vector<double> &R, int segments)
{
    if (!s.usable)
        return;
    const std::size_t n = std::size_t(segments);
    // Segment k at index k + 2, two empty segments beyond each end.
    std::vector<double> weight(n + 4, 0.0);
    std::vector<double> sum(n + 4, 0.0);
    for (std::size_t i = 0; i < y.size(); ++i) {
        const std::size_t k = std::size_t(s.segment[i]) + 2;
        weight[k] += R[i];
        sum[k] += R[i] * y[i];
    }
    // The run centred on segment j (j = -1 .. n) at index j + 1.
    std::vector<double> run(n + 2, 0.0);
    for (std::size_t j = 0; j < n + 2; ++j) {
        const double w = weight[j] + weight[j + 1] + weight[j + 2];
        run[j] = w > 0.0 ? (sum[j] + sum[j + 1] + sum[j + 2]) / w : 0.0;
    }
    std::vector<double> trend(n);
    for (std::size_t k = 0; k < n; ++k)
        trend[k] = (run[k] + run[k + 1] + run[k + 2]) / 3.0;
    for (std::size_t i = 0; i < y.size(); ++i)
        y[i] -= trend[std::size_t(s.segment[i])];
}

// Of each relevé: whether its within-relevé variance is defined (it has more than one species
// in effect), and 1 - Σ p² of its species' shares p (the unbiased variance's divisor).
struct VarianceDivisors
{
    std::vector<double> divisor;
    std::vector<char> defined;
    std::size_t count = 0;
};

VarianceDivisors varianceDivisors(const Averages &avg)
{
    const OrdinationMatrix &m = avg.matrix();
    const std::vector<double> &w = avg.speciesWeights();
    const std::vector<double> &R = avg.releveTotals();
    VarianceDivisors d;
    d.divisor.resize(avg.releves());
    d.defined.resize(avg.releves());
    for (std::size_t i = 0; i < avg.releves(); ++i) {
        double squares = 0.0;
        for (std::size_t e = m.releveBegin(i); e < m.releveEnd(i); ++e) {
            const double p = double(m.releveValueAt(e)) * w[m.speciesAt(e)] / R[i];
            squares += p * p;
        }
        d.divisor[i] = 1.0 - squares;
        d.defined[i] = d.divisor[i] > 1e-9;
        d.count += d.defined[i] ? 1 : 0;
    }
    return d;
}

// The unbiased variance of the species scores u within each relevé about its score y (the
// species weighted by their values; Hill's N2 correction); 0 where it is not defined.
std::vector<double> withinVariances(const Averages &avg, const VarianceDivisors &d, const std::vector<double> &u,
                                    const std::vector<double> &y)
{
    const OrdinationMatrix &m = avg.matrix();
    const std::vector<double> &w = avg.speciesWeights();
    const std::vector<double> &R = avg.releveTotals();
    std::vector<double> v(y.size(), 0.0);
    WorkBlocks blocks(y.size(), 4096);
    avg.crew().run([&](int) {
        blocks.take([&](std::size_t first, std::size_t last) {
            for (std::size_t i = first; i < last; ++i) {
                if (!d.defined[i])
                    continue;
                double spread = 0.0;
                for (std::size_t e = m.releveBegin(i); e < m.releveEnd(i); ++e) {
                    const std::size_t j = m.speciesAt(e);
                    const double p = double(m.releveValueAt(e)) * w[j] / R[i];
                    const double dev = u[j] - y[i];
                    spread += p * dev * dev;
                }
                v[i] = spread / d.divisor[i];
            }
        });
    });
    return v;
}

// The root mean of the defined within-relevé variances (0 when none is).
double rootMeanVariance(const VarianceDivisors &d, const std::vector<double> &v)
{
    if (d.count == 0)
        return 0.0;
    double sum = 0.0;
    for (std::size_t i = 0; i < v.size(); ++i)
        if (d.defined[i])
            sum += v[i];
    return std::sqrt(sum / double(d.count));
}

// One pass of running averages 1:2:1, each end standing in for its missing neighbour.
void smoothWithRepeatedEnds(std::vector<double> &z)
{
    const std::size_t n = z.size();
    if (n < 2)
        return;
    std::vector<double> out(n);
    out[0] = 0.75 * z[0] + 0.25 * z[1];
    out[n - 1] = 0.75 * z[n - 1] + 0.25 * z[n - 2];
    for (std::size_t k = 1; k + 1 < n; ++k)
        out[k] = 0.25 * z[k - 1] + 0.5 * z[k] + 0.25 * z[k + 1];
    z.swap(out);
}

// Rescales the species scores u so that the within-relevé standard deviation of the species
// scores is about 1 all along the axis (Hill & Gauch 1980), and gives the relevé scores y as
// their weighted averages, the smallest 0. Each cycle cuts the relevés' range into segments
// (five to a unit of the axis, at most 45), takes the mean within-relevé variance of each
// segment, smooths the segment sums (five times, and on while a segment has no relevé),
// stretches or shrinks each segment to the standard deviation it then has (the species beyond
// the relevés' range moving with the end segments) and scales the axis so that the mean
// within-relevé variance is 1.
void rescale(const Averages &avg, const VarianceDivisors &divisors, std::vector<double> &u, std::vector<double> &y,
             int cycles)
{
    y.assign(avg.releves(), 0.0);
    auto toUnitSpread = [&] {
        avg.releveAverages(u.data(), y.data());
        const double spread = rootMeanVariance(divisors, withinVariances(avg, divisors, u, y));
        if (spread > 0.0 && std::isfinite(spread))
            for (double &uj : u)
                uj /= spread;
        return spread > 0.0 && std::isfinite(spread);
    };
    if (cycles > 0 && toUnitSpread()) {
        for (int cycle = 0; cycle < cycles; ++cycle) {
            avg.releveAverages(u.data(), y.data());
            const std::vector<double> v = withinVariances(avg, divisors, u, y);
            const auto [lo, hi] = std::minmax_element(y.begin(), y.end());
            const double low = *lo;
            const double range = *hi - *lo;
            if (!(range > 0.0) || !std::isfinite(range))
                break;
            const int n = int(std::min(std::floor(kSegmentsPerUnit * range) + 1.0, double(kMostRescalingSegments)));
            const double width = range / double(n);
            std::vector<double> sum(static_cast<std::size_t>(n), 0.0);
            std::vector<double> count(static_cast<std::size_t>(n), 0.0);
            for (std::size_t i = 0; i < y.size(); ++i) {
                if (!divisors.defined[i])
                    continue;
                const int k = int(std::clamp(std::floor((y[i] - low) / width), 0.0, double(n - 1)));
                sum[std::size_t(k)] += v[i];
                count[std::size_t(k)] += 1.0;
            }
            // A segment without relevés is filled from its neighbours; n passes fill any gap.
            for (int pass = 0; pass < n + kVarianceSmoothings; ++pass) {
                if (pass >= kVarianceSmoothings
                    && std::all_of(count.begin(), count.end(), [](double c) { return c > 0.0; }))
                    break;
                smoothWithRepeatedEnds(sum);
                smoothWithRepeatedEnds(count);
            }
            std::vector<double> start(static_cast<std::size_t>(n) + 1, 0.0);
            std::vector<double> length(static_cast<std::size_t>(n), 0.0);
            bool usable = true;
            for (std::size_t k = 0; k < std::size_t(n); ++k) {
                const double variance = count[k] > 0.0 ? sum[k] / count[k] : 0.0;
                usable = usable && variance > 0.0 && std::isfinite(variance);
                length[k] = usable ? width / std::sqrt(variance) : 0.0;
                start[k + 1] = start[k] + length[k];
            }
            if (!usable)
                break;
            for (double &uj : u) {
                const int k = int(std::clamp(std::floor((uj - low) / width), 0.0, double(n - 1)));
                uj = start[std::size_t(k)] + (uj - (low + double(k) * width)) * length[std::size_t(k)] / width;
            }
            if (!toUnitSpread())
                break;
        }
    }
    avg.releveAverages(u.data(), y.data());
    const double low = y.empty() ? 0.0 : *std::min_element(y.begin(), y.end());
    for (double &yi : y)
        yi -= low;
    for (double &uj : u)
        uj -= low;
}

} // namespace

OrdinationResult runDetrended(const OrdinationMatrix &matrix, const OrdinationOptions &options, Feedback *feedback,
                              WorkCrew &crew)
{
    OrdinationResult result;
    result.method = OrdinationMethod::Detrended;
    result.releves = matrix.scoredReleves();
    result.species = matrix.scoredSpecies();
    const std::size_t nr = matrix.scoredReleves().size();
    const std::size_t ns = matrix.scoredSpecies().size();

    std::vector<double> weights(ns, 1.0);
    if (options.downweight) {
        const std::vector<int> frequency = matrix.speciesFrequencies();
        const int most = frequency.empty() ? 0 : *std::max_element(frequency.begin(), frequency.end());
        const double limit = double(most) / kRareFraction;
        for (std::size_t j = 0; j < ns; ++j)
            if (double(frequency[j]) < limit)
                weights[j] = double(frequency[j]) / limit;
    }
    const Averages avg(matrix, std::move(weights), crew);
    const std::vector<double> &R = avg.releveTotals();
    const std::vector<double> &C = avg.speciesTotals();
    const int segments = std::max(options.segments, 1);
    const VarianceDivisors divisors = varianceDivisors(avg);

    // The averaging of axis k on the side with fewer members: relevé scores y → species
    // averages → relevé averages → centred and detrended along the earlier axes (→ species
    // averages when searching on the species' side).
    std::vector<Segmenting> earlier;
    const bool speciesSide = ns < nr;
    std::vector<double> onReleves(nr);
    std::vector<double> onSpecies(ns);
    auto detrended = [&](std::vector<double> &y) {
        double mean = avg.releveMean(y);
        for (double &v : y)
            v -= mean;
        // Along the earlier axes in turn and back again (1, 2, .., k-1, .., 2, 1), so that the
        // last axis is taken out once and every other one twice.
        for (std::size_t a = 0; a < earlier.size(); ++a)
            detrend(y, earlier[a], R, segments);
        for (std::size_t a = earlier.size(); a-- > 1;)
            detrend(y, earlier[a - 1], R, segments);
        mean = avg.releveMean(y);
        for (double &v : y)
            v -= mean;
    };
    auto op = [&](const double *in, double *out) {
        if (speciesSide) {
            avg.releveAverages(in, onReleves.data());
            detrended(onReleves);
            avg.speciesAverages(onReleves.data(), out);
        } else {
            avg.speciesAverages(in, onSpecies.data());
            avg.releveAverages(onSpecies.data(), onReleves.data());
            detrended(onReleves);
            std::copy(onReleves.begin(), onReleves.end(), out);
        }
    };

    const int axes = int(std::min<std::size_t>(std::size_t(std::clamp(options.axes, 0, 4)), std::min(nr, ns) - 1));
    const std::size_t n = speciesSide ? ns : nr;
    // Each axis's search starts from the approximations the last one kept: the averaging of the
    // next axis differs only by one more detrending.
    std::vector<std::vector<double>> starts{Krylov::startVector(int(n))};
    for (int k = 0; k < axes; ++k) {
        if (feedback)
            feedback->setLabel(result.prefix() + QString::number(k + 1) + QStringLiteral(": "));
        const Krylov::Outcome found = Krylov::dominant(int(n), op, speciesSide ? C : R, starts, true,
                                                       Ordination::DetrendedTolerance, Ordination::MaxApplications, feedback);
        result.applications += found.applications;
        if (found.canceled) {
            OrdinationResult canceled;
            canceled.canceled = true;
            return canceled;
        }
        if (found.values.empty() || !(found.values[0] > kNoEigenvalue))
            break;
        result.converged = result.converged && found.converged;
        const double lambda = found.values[0];
        starts = found.others;
        starts.push_back(Krylov::startVector(int(n)));

        // The detrended relevé scores of the eigenvector and the species at their averages.
        std::vector<double> y(nr);
        if (speciesSide) {
            avg.releveAverages(found.vectors[0].data(), y.data());
            detrended(y);
        } else {
            y = found.vectors[0];
        }
        std::vector<double> u(ns);
        avg.speciesAverages(y.data(), u.data());
        rescale(avg, divisors, u, y, std::max(options.rescalings, 0));

        double meanY = 0.0;
        for (std::size_t i = 0; i < nr; ++i)
            meanY += R[i] * y[i];
        meanY /= avg.grandTotal();
        double totalC = 0.0;
        double meanU = 0.0;
        for (std::size_t j = 0; j < ns; ++j) {
            meanU += C[j] * u[j];
            totalC += C[j];
        }
        meanU /= totalC;
        double sitesSquares = 0.0;
        for (std::size_t i = 0; i < nr; ++i)
            sitesSquares += R[i] * (y[i] - meanY) * (y[i] - meanY);
        double speciesSquares = 0.0;
        for (std::size_t j = 0; j < ns; ++j)
            speciesSquares += C[j] * (u[j] - meanU) * (u[j] - meanU);
        const auto [lo, hi] = std::minmax_element(y.begin(), y.end());

        result.iterationEigenvalues.push_back(lambda);
        result.eigenvalues.push_back(speciesSquares > 0.0 ? sitesSquares / speciesSquares : 0.0);
        result.axisLengths.push_back(*hi - *lo);
        earlier.push_back(segmentsOf(y, segments));
        // Scores about the weighted mean of the relevés.
        for (double &v : y)
            v -= meanY;
        for (double &v : u)
            v -= meanY;
        result.releveScores.push_back(std::move(y));
        result.speciesScores.push_back(std::move(u));
    }
    if (feedback)
        feedback->setLabel(QString());
    applySignRule(result);
    return result;
}

} // namespace Zelkor::OrdinationSupport
