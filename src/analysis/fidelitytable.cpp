#include "analysis/fidelitytable.h"

#include "platform/feedback.h"
#include "table/tablemodel.h"

#include <algorithm>
#include <cmath>
#include <numeric>

namespace Zelkor {

namespace {

// Products of counts up to 1,000,000 squared and squared again need 128 bits.
__extension__ typedef __int128 Int128;

// phi as an exact quantity: phi = num · sqrt(k / q), with k ≥ 1; phi = 0 when q = 0.
struct PhiRatio
{
    long long num = 0;
    long long k = 1;
    Int128 q = 0;
};

PhiRatio plainRatio(long long N, long long Ng, long long n, long long ng)
{
    PhiRatio r;
    r.num = N * ng - n * Ng;
    r.q = Int128(n * Ng) * Int128((N - n) * (N - Ng));
    return r;
}

// With A = n_g (N − N_g) and B = (n − n_g) N_g, the standardised counts give
// phi' = sqrt(G − 1)(A − B) / sqrt(X (G N_g (N − N_g) − X)), X = A + (G − 1) B.
PhiRatio standardizedRatio(long long N, long long Ng, long long n, long long ng, int G)
{
    PhiRatio r;
    if (G < 2)
        return r;
    const long long a = ng * (N - Ng);
    const long long b = (n - ng) * Ng;
    const long long x = a + (G - 1) * b;
    const long long y = G * (Ng * (N - Ng)) - x;
    r.num = a - b;
    r.k = G - 1;
    r.q = Int128(x) * Int128(y);
    return r;
}

double valueOf(const PhiRatio &r)
{
    if (r.q <= 0 || r.num == 0)
        return 0.0;
    const Int128 square = Int128(r.num) * r.num * r.k;
    const double phi = std::sqrt(double(square) / double(r.q));
    return std::min(phi, 1.0) * (r.num < 0 ? -1.0 : 1.0);
}

// The sign of |phi| − a/b, exactly (a ≥ 0, 0 < b ≤ 20000).
int compareMagnitude(const PhiRatio &r, long long a, long long b)
{
    if (r.q <= 0 || r.num == 0)
        return a == 0 ? 0 : -1;
    if (a == 0)
        return 1;
    // |phi| against a/b: k num² b² against a² q.
    const Int128 lhs = Int128(r.num) * r.num * r.k * b * b;
    const Int128 a2 = Int128(a) * a;
    const Int128 quotient = lhs / a2;
    if (quotient != r.q)
        return quotient > r.q ? 1 : -1;
    return lhs % a2 != 0 ? 1 : 0;
}

// 100 |phi| rounded to an integer, halves to the even one, decided on the exact value.
int percentOf(const PhiRatio &r, double phi)
{
    int k = std::clamp(int(std::floor(100.0 * std::fabs(phi))), 0, 100);
    while (k > 0 && compareMagnitude(r, k, 100) < 0)
        --k;
    while (k < 100 && compareMagnitude(r, k + 1, 100) >= 0)
        ++k;
    const int half = compareMagnitude(r, 2 * k + 1, 200);
    if (half > 0 || (half == 0 && k % 2 != 0))
        ++k;
    return k;
}

// phi ≥ threshold; exactly for a threshold of up to four decimals in 0 … 1 (what the panel and the
// command line take), in doubles otherwise.
bool reaches(const PhiRatio &r, double phi, double threshold)
{
    const double scaled = threshold * 10000.0;
    const double a = std::nearbyint(scaled);
    if (std::fabs(scaled - a) > 1e-6 || a < 0.0 || a > 10000.0)
        return phi >= threshold;
    if (r.num < 0)
        return false;
    return compareMagnitude(r, static_cast<long long>(a), 10000) >= 0;
}

// --- Fisher's exact test -------------------------------------------------------------------
//
// The log of a hypergeometric probability is taken from three binomial ones, each computed by
// Loader's saddle-point expansion (C. Loader 2000, "Fast and accurate computation of binomial
// probabilities"): the error of Stirling's formula and the deviance term are small numbers
// computed directly, so the result does not lose the digits that a difference of log-factorials
// of large counts loses.

constexpr double kLn2Pi = 1.8378770664093454835606594728112;
constexpr double kLnSqrt2Pi = 0.91893853320467274178032973640562;

// ln n! − ln(sqrt(2πn) (n/e)^n) for a whole n ≥ 1.
double stirlingError(double n)
{
    if (n <= 15.0)
        return std::lgamma(n + 1.0) - (n + 0.5) * std::log(n) + n - kLnSqrt2Pi;
    // The Stirling series 1/12n − 1/360n³ + 1/1260n⁵ − 1/1680n⁷ + 1/1188n⁹: beyond n = 15 the
    // next term is below 1e-16.
    const double nn = n * n;
    constexpr double s0 = 1.0 / 12.0;
    constexpr double s1 = 1.0 / 360.0;
    constexpr double s2 = 1.0 / 1260.0;
    constexpr double s3 = 1.0 / 1680.0;
    constexpr double s4 = 1.0 / 1188.0;
    return (s0 - (s1 - (s2 - (s3 - s4 / nn) / nn) / nn) / nn) / n;
}

// x ln(x / M) + M − x for the mean M = a / N (whole x ≥ 1, a ≥ 1, N ≥ 1), accurate also where x
// is close to M (the series in v = (x − M)/(x + M)). The difference x − M comes from the whole
// numbers x N − a: a mean that has no exact double costs no digits.
double deviance(long long x, long long a, long long N)
{
    const double d = double(x * N - a);
    const double s = double(x * N + a);
    if (std::fabs(d) < 0.5 * s) {
        double v = d / s;
        double sum = d / double(N) * v;
        double term = 2.0 * double(x) * v;
        v *= v;
        for (int j = 1; j < 1000; ++j) {
            term *= v;
            const double next = sum + term / double(2 * j + 1);
            if (next == sum)
                break;
            sum = next;
        }
        return sum;
    }
    return double(x) * std::log(double(x * N) / double(a)) - d / double(N);
}

// ln of C(n, x) p^x q^(n − x) with p = m / N and q = (N − m) / N (0 ≤ x ≤ n, 0 ≤ m ≤ N).
double logBinomial(long long x, long long n, long long m, long long N)
{
    if (m == 0)
        return x == 0 ? 0.0 : -HUGE_VAL;
    if (m == N)
        return x == n ? 0.0 : -HUGE_VAL;
    if (x == 0)
        return n == 0 ? 0.0 : -deviance(n, n * (N - m), N) - double(n * m) / double(N);
    if (x == n)
        return -deviance(n, n * m, N) - double(n * (N - m)) / double(N);
    const double lc = stirlingError(double(n)) - stirlingError(double(x)) - stirlingError(double(n - x))
                      - deviance(x, n * m, N) - deviance(n - x, n * (N - m), N);
    const double lf = kLn2Pi + std::log(double(x)) + std::log1p(-double(x) / double(n));
    return lc - 0.5 * lf;
}

// ln P(X = x) for X hypergeometric: m drawn from r holding the species and b without it. With
// p = m / (r + b) the three binomials are each near their mean, where the expansion is best.
double logHypergeometric(long long x, long long r, long long b, long long m)
{
    const long long N = r + b;
    return logBinomial(x, r, m, N) + logBinomial(m - x, b, m, N) - logBinomial(m, N, m, N);
}

} // namespace

double FidelityTable::phi(long long N, long long groupSize, long long n, long long occurrences)
{
    return valueOf(plainRatio(N, groupSize, n, occurrences));
}

double FidelityTable::standardizedPhi(long long N, long long groupSize, long long n, long long occurrences,
                                      int groups)
{
    return valueOf(standardizedRatio(N, groupSize, n, occurrences, groups));
}

double FidelityTable::fisherP(long long N, long long groupSize, long long n, long long occurrences)
{
    const long long r = n;
    const long long b = N - n;
    const long long m = groupSize;
    const long long lo = std::max(0LL, m - b);
    const long long hi = std::min(r, m);
    if (occurrences <= lo)
        return 1.0;
    if (occurrences > hi)
        return 0.0;
    // The terms fall on either side of the mode: the tail that starts beyond it is summed, each
    // term from the one before by the ratio of consecutive probabilities, relative to the first.
    const long long mode = (r + 1) * (m + 1) / (N + 2);
    if (occurrences > mode) {
        double term = 1.0;
        double sum = 1.0;
        for (long long k = occurrences; k < hi; ++k) {
            term *= double(r - k) * double(m - k) / (double(k + 1) * double(b - m + k + 1));
            sum += term;
            if (term < sum * 1e-17)
                break;
        }
        return std::exp(logHypergeometric(occurrences, r, b, m) + std::log(sum));
    }
    // At or below the mode the upper tail is at least about a half: 1 − P(X < n_g).
    double term = 1.0;
    double sum = 1.0;
    for (long long k = occurrences - 1; k > lo; --k) {
        term *= double(k) * double(b - m + k) / (double(r - k + 1) * double(m - k + 1));
        sum += term;
        if (term < sum * 1e-17)
            break;
    }
    const double lower = std::exp(logHypergeometric(occurrences - 1, r, b, m) + std::log(sum));
    return std::clamp(1.0 - lower, 0.0, 1.0);
}

bool FidelityTable::compute(const TableModel &model, const FidelityOptions &options, Feedback *feedback)
{
    m_groups = ConstancyTable::findGroups(model);
    const std::size_t groupCount = m_groups.size();
    m_releves = 0;
    m_groupsWithReleves = 0;
    for (const ReleveGroup &g : m_groups) {
        m_releves += g.count;
        if (g.count > 0)
            ++m_groupsWithReleves;
    }
    m_speciesCount = std::max(model.speciesCount(), 0);
    m_frequency.assign(std::size_t(m_speciesCount) + 1, 0);
    m_diagnosticGroup.assign(std::size_t(m_speciesCount) + 1, -1);
    m_cells.assign(std::size_t(m_speciesCount) * groupCount, FidelityCell());

    const std::vector<int> groupOfColumn = ConstancyTable::groupOfColumns(model, m_groups);

    const long long N = m_releves;
    const int G = m_groupsWithReleves;
    std::vector<int> found(groupCount, 0);
    const CellGrid &table = model.grid();
    for (int s = 1; s <= m_speciesCount; ++s) {
        if (!Feedback::advance(feedback, s)) {
            *this = FidelityTable();
            return false;
        }
        std::fill(found.begin(), found.end(), 0);
        table.forEachInRow(model.speciesRow(s), [&](int col, const QString &text) {
            if (col < int(groupOfColumn.size()) && groupOfColumn[std::size_t(col)] >= 0
                && ConstancyTable::holdsSpecies(text))
                ++found[std::size_t(groupOfColumn[std::size_t(col)])];
        });
        const long long n = std::accumulate(found.begin(), found.end(), 0LL);
        m_frequency[std::size_t(s)] = int(n);
        int best = -1;
        double bestPhi = 0.0;
        for (std::size_t j = 0; j < groupCount; ++j) {
            FidelityCell &c = m_cells[std::size_t(s - 1) * groupCount + j];
            c.occurrences = found[j];
            const long long Ng = m_groups[j].count;
            if (Ng == 0 || n == 0)
                continue;
            const PhiRatio ratio = options.standardize ? standardizedRatio(N, Ng, n, c.occurrences, G)
                                                       : plainRatio(N, Ng, n, c.occurrences);
            c.phi = valueOf(ratio);
            c.phiPercent = c.phi < 0.0 ? -percentOf(ratio, c.phi) : percentOf(ratio, c.phi);
            c.p = fisherP(N, Ng, n, c.occurrences);
            c.diagnostic = reaches(ratio, c.phi, options.phiThreshold) && c.p < options.alpha;
            if (c.diagnostic && (best < 0 || c.phi > bestPhi)) {
                best = int(j);
                bestPhi = c.phi;
            }
        }
        m_diagnosticGroup[std::size_t(s)] = best;
    }
    return true;
}

std::vector<FidelityTable::Block> FidelityTable::diagnosticBlocks() const
{
    std::vector<Block> blocks;
    for (std::size_t j = 0; j < m_groups.size(); ++j) {
        if (m_groups[j].count == 0)
            continue;
        Block block;
        block.group = int(j);
        for (int s = 1; s <= m_speciesCount; ++s)
            if (diagnosticGroup(s) == int(j))
                block.species.push_back(s);
        std::stable_sort(block.species.begin(), block.species.end(),
                         [&](int a, int b) { return cell(a, int(j)).phi > cell(b, int(j)).phi; });
        blocks.push_back(std::move(block));
    }
    Block rest;
    for (int s = 1; s <= m_speciesCount; ++s)
        if (diagnosticGroup(s) < 0)
            rest.species.push_back(s);
    blocks.push_back(std::move(rest));
    return blocks;
}

int FidelityTable::sortSpeciesRows(TableModel &model, const FidelityOptions &options)
{
    FidelityTable table;
    table.compute(model, options);
    const std::vector<Block> blocks = table.diagnosticBlocks();
    std::vector<int> order;
    order.reserve(std::size_t(table.speciesCount()));
    int diagnostic = 0;
    for (const Block &block : blocks) {
        if (block.group >= 0)
            diagnostic += int(block.species.size());
        for (int s : block.species)
            order.push_back(model.speciesRow(s));
    }
    if (diagnostic == 0)
        return 0;
    bool moved = false;
    for (std::size_t k = 0; k < order.size(); ++k)
        moved = moved || order[k] != model.speciesRow(int(k) + 1);
    if (moved) {
        // Rows keep their heights by place: a row hidden before stays hidden at its place.
        model.grid().permuteRows(model.speciesRow(1), order, false, TableModel::NumberColumn);
        model.checkSpeciesNumber();
        model.setModified(true);
    }
    return diagnostic;
}

} // namespace Zelkor
