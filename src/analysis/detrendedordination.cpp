// Detrended correspondence analysis: the averaging with detrending by segments, the rescaling of
// the axes and the scores (see Ordination).
#include "analysis/krylov.h"
#include "analysis/ordinationsupport.h"
#include "platform/feedback.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace Zelkor::OrdinationSupport {

namespace {

// Rescaling cuts the axis into this many segments.
constexpr int kRescalingSegments = 10;
// Detrending smooths the segment sums this many times.
constexpr int kDetrendingSmoothings = 3;
// A species is downweighted below this fraction of the largest frequency (one fifth).
constexpr double kRareFraction = 5.0;
// An axis whose eigenvalue is below this ends the search: nothing is left to order.
constexpr double kNoEigenvalue = 1e-12;

// Each relevé's place along an earlier axis, cut into segments: the segment end below it and
// how far it is towards the next (0..1).
struct Segmenting
{
    bool usable = false;
    std::vector<int> node;
    std::vector<double> fraction;
};

Segmenting segmentsOf(const std::vector<double> &positions, int segments)
{
    Segmenting s;
    if (positions.empty() || segments < 2)
        return s;
    const auto [lo, hi] = std::minmax_element(positions.begin(), positions.end());
    const double low = *lo;
    const double range = *hi - *lo;
    if (!(range > 0.0))
        return s;
    s.usable = true;
    s.node.resize(positions.size());
    s.fraction.resize(positions.size());
    for (std::size_t i = 0; i < positions.size(); ++i) {
        const double z = (positions[i] - low) / range * double(segments - 1);
        const int j = std::clamp(int(std::floor(z)), 0, segments - 2);
        s.node[i] = j;
        s.fraction[i] = std::clamp(z - double(j), 0.0, 1.0);
    }
    return s;
}

// One pass of running averages 1:2:1 over the segments, nothing beyond the ends.
void smoothWithZeroEnds(std::vector<double> &z)
{
    const std::size_t n = z.size();
    std::vector<double> out(n);
    for (std::size_t k = 0; k < n; ++k) {
        const double left = k > 0 ? z[k - 1] : 0.0;
        const double right = k + 1 < n ? z[k + 1] : 0.0;
        out[k] = (left + 2.0 * z[k] + right) / 4.0;
    }
    z.swap(out);
}

// One pass of running averages 1:2:1, each end standing in for its missing neighbour.
void smoothWithRepeatedEnds(std::vector<double> &z)
{
    const std::size_t n = z.size();
    std::vector<double> out(n);
    for (std::size_t k = 0; k < n; ++k) {
        const double left = k > 0 ? z[k - 1] : z[k];
        const double right = k + 1 < n ? z[k + 1] : z[k];
        out[k] = (left + 2.0 * z[k] + right) / 4.0;
    }
    z.swap(out);
}

// Takes the running mean along an earlier axis out of the relevé scores y (weights R).
void detrend(std::vector<double> &y, const Segmenting &s, const std::vector<double> &R, int segments)
{
    if (!s.usable)
        return;
    std::vector<double> weight(std::size_t(segments), 0.0);
    std::vector<double> sum(std::size_t(segments), 0.0);
    for (std::size_t i = 0; i < y.size(); ++i) {
        const std::size_t j = std::size_t(s.node[i]);
        const double f = s.fraction[i];
        weight[j] += R[i] * (1.0 - f);
        sum[j] += R[i] * (1.0 - f) * y[i];
        weight[j + 1] += R[i] * f;
        sum[j + 1] += R[i] * f * y[i];
    }
    for (int t = 0; t < kDetrendingSmoothings; ++t) {
        smoothWithZeroEnds(weight);
        smoothWithZeroEnds(sum);
    }
    std::vector<double> mean(std::size_t(segments), 0.0);
    for (std::size_t k = 0; k < mean.size(); ++k)
        mean[k] = weight[k] > 0.0 ? sum[k] / weight[k] : 0.0;
    for (std::size_t i = 0; i < y.size(); ++i) {
        const std::size_t j = std::size_t(s.node[i]);
        const double f = s.fraction[i];
        y[i] -= mean[j] * (1.0 - f) + mean[j + 1] * f;
    }
}

// The unbiased variance of the species scores u within each relevé, about its score y (the
// species weighted by their values); NaN for a relevé of one species.
std::vector<double> withinVariances(const Averages &avg, const std::vector<double> &u, const std::vector<double> &y)
{
    const OrdinationMatrix &m = avg.matrix();
    const std::vector<double> &w = avg.speciesWeights();
    const std::vector<double> &R = avg.releveTotals();
    std::vector<double> v(y.size());
    WorkBlocks blocks(y.size(), 4096);
    avg.crew().run([&](int) {
        blocks.take([&](std::size_t first, std::size_t last) {
            for (std::size_t i = first; i < last; ++i) {
                double spread = 0.0;
                double squares = 0.0;
                for (std::size_t e = m.releveBegin(i); e < m.releveEnd(i); ++e) {
                    const std::size_t j = m.speciesAt(e);
                    const double p = double(m.releveValueAt(e)) * w[j] / R[i];
                    const double d = u[j] - y[i];
                    spread += p * d * d;
                    squares += p * p;
                }
                const double left = 1.0 - squares;
                v[i] = left > 1e-12 ? spread / left : std::numeric_limits<double>::quiet_NaN();
            }
        });
    });
    return v;
}

double meanOfDefined(const std::vector<double> &values)
{
    double sum = 0.0;
    std::size_t count = 0;
    for (double v : values) {
        if (!std::isnan(v)) {
            sum += v;
            ++count;
        }
    }
    return count > 0 ? sum / double(count) : std::numeric_limits<double>::quiet_NaN();
}

// Rescales the species scores u so that the spread of species within relevés is about 1 along
// the whole axis, and gives the relevé scores y as their weighted averages, the smallest 0.
void rescale(const Averages &avg, std::vector<double> &u, std::vector<double> &y, int cycles)
{
    y.assign(avg.releves(), 0.0);
    for (int cycle = 0; cycle < cycles; ++cycle) {
        avg.releveAverages(u.data(), y.data());
        const std::vector<double> v = withinVariances(avg, u, y);
        const auto [lo, hi] = std::minmax_element(y.begin(), y.end());
        const double low = *lo;
        const double width = (*hi - *lo) / double(kRescalingSegments);
        if (!(width > 0.0))
            break;
        std::vector<double> sum(kRescalingSegments, 0.0);
        std::vector<double> count(kRescalingSegments, 0.0);
        for (std::size_t i = 0; i < y.size(); ++i) {
            if (std::isnan(v[i]))
                continue;
            const int k = std::min(int(std::floor((y[i] - low) / width)), kRescalingSegments - 1);
            sum[std::size_t(k)] += v[i];
            count[std::size_t(k)] += 1.0;
        }
        smoothWithRepeatedEnds(sum);
        smoothWithRepeatedEnds(count);
        std::vector<double> variance(kRescalingSegments);
        for (int k = 0; k < kRescalingSegments; ++k)
            variance[std::size_t(k)] = count[std::size_t(k)] > 0.0 && sum[std::size_t(k)] > 0.0
                                           ? sum[std::size_t(k)] / count[std::size_t(k)]
                                           : std::numeric_limits<double>::quiet_NaN();
        const double typical = meanOfDefined(variance);
        if (std::isnan(typical))
            break;
        // Each segment stretched or shrunk to unit spread; the species beyond the relevés'
        // range move with the end segments.
        std::vector<double> length(kRescalingSegments);
        std::vector<double> start(kRescalingSegments + 1, 0.0);
        for (int k = 0; k < kRescalingSegments; ++k) {
            const double vk = std::isnan(variance[std::size_t(k)]) ? typical : variance[std::size_t(k)];
            length[std::size_t(k)] = width / std::sqrt(vk);
            start[std::size_t(k) + 1] = start[std::size_t(k)] + length[std::size_t(k)];
        }
        for (double &uj : u) {
            const int k = std::clamp(int(std::floor((uj - low) / width)), 0, kRescalingSegments - 1);
            uj = start[std::size_t(k)] + (uj - (low + double(k) * width)) * length[std::size_t(k)] / width;
        }
        avg.releveAverages(u.data(), y.data());
        const double spread = meanOfDefined(withinVariances(avg, u, y));
        if (spread > 0.0) {
            const double f = 1.0 / std::sqrt(spread);
            for (double &uj : u)
                uj *= f;
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
    const int segments = std::max(options.segments, 2);

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
        for (const Segmenting &s : earlier)
            detrend(y, s, R, segments);
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
        rescale(avg, u, y, std::max(options.rescalings, 0));

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
