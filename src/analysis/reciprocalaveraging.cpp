#include "analysis/reciprocalaveraging.h"

#include "analysis/recipmatrix.h"
#include "analysis/workcrew.h"
#include "platform/feedback.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstring>
#include <thread>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace Zelkor {

namespace {

constexpr double kInitialMin = 6000.0;
constexpr double kInitialMax = 0.0;
constexpr double kScoreScale = 100.0;
constexpr double kSmallestRange = 1.0;
// Below this many filled cells per thread a pass is too short to share.
constexpr std::size_t kCellsPerThread = 100000;

// The running smallest and largest quotient of a pass.
struct Bounds
{
    double min = kInitialMin;
    double max = kInitialMax;
    void take(double x)
    {
        if (x < min)
            min = x;
        if (x > max)
            max = x;
    }
    /// Takes in the bounds of another part of the same pass (which may have seen nothing).
    void merge(const Bounds &other)
    {
        if (other.min < min)
            min = other.min;
        if (other.max > max)
            max = other.max;
    }
};

// A score rescaled into 0..100 from the pass's bounds.
inline float rescaled(float score, double min, double range)
{
    return float((double(score) - min) * kScoreScale / range);
}

inline double rangeOf(const Bounds &b)
{
    const double range = b.max - b.min;
    return range < kSmallestRange ? kSmallestRange : range;
}

#if !defined(__SSE2__)
// The value of each small whole number as a double-precision number: looked up rather than
// converted, which costs the inner loops less.
struct ValueTable
{
    double of[256];
    ValueTable()
    {
        for (int v = 0; v < 256; ++v)
            of[v] = double(v);
    }
};
const ValueTable kValues;
#endif

#if defined(__SSE2__)
// The four indexes of one step of a group, read at once.
template<typename Index>
inline void fourIndexes(const Index *at, std::size_t (&i)[4])
{
    if constexpr (sizeof(Index) == 2) {
        quint64 x;
        std::memcpy(&x, at, sizeof x);
        i[0] = std::size_t(x & 0xffffu);
        i[1] = std::size_t((x >> 16) & 0xffffu);
        i[2] = std::size_t((x >> 32) & 0xffffu);
        i[3] = std::size_t(x >> 48);
    } else {
        quint64 x;
        quint64 y;
        std::memcpy(&x, at, sizeof x);
        std::memcpy(&y, at + 2, sizeof y);
        i[0] = std::size_t(x & 0xffffffffu);
        i[1] = std::size_t(x >> 32);
        i[2] = std::size_t(y & 0xffffffffu);
        i[3] = std::size_t(y >> 32);
    }
}

// Two scores as double-precision numbers (exactly: single-precision ones are widened).
inline __m128d twoScores(const double *scores, std::size_t a, std::size_t b)
{
    return _mm_loadh_pd(_mm_load_sd(scores + a), scores + b);
}
inline __m128d twoScores(const float *scores, std::size_t a, std::size_t b)
{
    return _mm_cvtps_pd(_mm_unpacklo_ps(_mm_load_ss(scores + a), _mm_load_ss(scores + b)));
}
#endif

// The sums of groups g0..g1-1 of a layout: for each member, value × score over its entries in
// its order, four members side by side. scores has one more element than the members on the
// other side, holding 0, for the padding. Calls finish(member, sum) for every member. With SSE2
// two sums share a register: each lane is multiplied and added on its own, exactly as one sum
// alone would be.
template<typename Index, bool Unit, typename Score, typename Finish>
void groupSums(const RecipMatrix::Layout &layout, const Index *index, std::size_t g0, std::size_t g1,
               const Score *scores, Finish finish)
{
    constexpr std::size_t lanes = RecipMatrix::Layout::Lanes;
    static_assert(lanes == 4);
    const quint8 *values = layout.values.data();
    for (std::size_t g = g0; g < g1; ++g) {
        double sums[lanes];
        const std::size_t end = layout.groupStart[g + 1];
#if defined(__SSE2__)
        __m128d s01 = _mm_setzero_pd();
        __m128d s23 = _mm_setzero_pd();
        for (std::size_t e = layout.groupStart[g]; e < end; e += lanes) {
            std::size_t i[4];
            fourIndexes(index + e, i);
            const __m128d p01 = twoScores(scores, i[0], i[1]);
            const __m128d p23 = twoScores(scores, i[2], i[3]);
            if constexpr (Unit) {
                s01 = _mm_add_pd(s01, p01);
                s23 = _mm_add_pd(s23, p23);
            } else {
                quint32 four;
                std::memcpy(&four, values + e, sizeof four);
                const __m128i zero = _mm_setzero_si128();
                const __m128i v = _mm_unpacklo_epi16(_mm_unpacklo_epi8(_mm_cvtsi32_si128(int(four)), zero), zero);
                s01 = _mm_add_pd(s01, _mm_mul_pd(_mm_cvtepi32_pd(v), p01));
                s23 = _mm_add_pd(s23, _mm_mul_pd(_mm_cvtepi32_pd(_mm_srli_si128(v, 8)), p23));
            }
        }
        _mm_storeu_pd(sums, s01);
        _mm_storeu_pd(sums + 2, s23);
#else
        auto term = [&](std::size_t e) {
            if constexpr (Unit)
                return double(scores[index[e]]);
            else
                return kValues.of[values[e]] * double(scores[index[e]]);
        };
        double s0 = 0.0, s1 = 0.0, s2 = 0.0, s3 = 0.0;
        for (std::size_t e = layout.groupStart[g]; e < end; e += lanes) {
            s0 += term(e);
            s1 += term(e + 1);
            s2 += term(e + 2);
            s3 += term(e + 3);
        }
        sums[0] = s0;
        sums[1] = s1;
        sums[2] = s2;
        sums[3] = s3;
#endif
        for (std::size_t l = 0; l < lanes; ++l) {
            const quint32 member = layout.members[g * lanes + l];
            if (member != RecipMatrix::Layout::NoMember)
                finish(member, sums[l]);
        }
    }
}

template<typename Index>
const Index *indexesOf(const RecipMatrix::Layout &layout)
{
    if constexpr (sizeof(Index) == 2)
        return layout.index16.data();
    else
        return layout.index32.data();
}

template<typename SpeciesIndex, typename ReleveIndex, bool Unit>
ReciprocalAveraging::Result iterate(const RecipMatrix &m, Feedback *feedback, int threads,
                                    int maxIterations)
{
    const std::size_t nr = m.scoredReleves().size();
    const std::size_t ns = m.scoredSpecies().size();
    const RecipMatrix::Layout &byReleve = m.byReleve();
    const RecipMatrix::Layout &bySpecies = m.bySpecies();
    const SpeciesIndex *speciesIndex = indexesOf<SpeciesIndex>(byReleve);
    const ReleveIndex *releveIndex = indexesOf<ReleveIndex>(bySpecies);
    const float *releveTotals = m.releveTotals().data();
    const float *speciesTotals = m.speciesTotals().data();

    threads = std::max(1, int(std::min<std::size_t>({std::size_t(std::max(threads, 1)), byReleve.groupCount(),
                                                     bySpecies.groupCount()})));
    // Blocks of about 50,000 cells, or of relevés to rescale.
    auto groupsPerBlock = [](const RecipMatrix::Layout &layout) {
        const std::size_t perGroup = std::max<std::size_t>(layout.groupStart.back() / std::max<std::size_t>(layout.groupCount(), 1), 1);
        return std::max<std::size_t>(50000 / perGroup, 1);
    };
    WorkBlocks releveGroups(byReleve.groupCount(), groupsPerBlock(byReleve));
    WorkBlocks speciesGroups(bySpecies.groupCount(), groupsPerBlock(bySpecies));
    WorkBlocks releveRuns(nr, 8192);
    std::atomic<bool> shiftTaken{false};

    // Two generations of scores; iteration k writes B when odd, A when even. One more element,
    // 0, is what the padding of the layouts reads.
    std::vector<float> speciesA(ns, ReciprocalAveraging::StartScore);
    speciesA[0] = ReciprocalAveraging::FirstStartScore;
    std::vector<float> speciesB = speciesA;
    std::vector<float> releveA(nr + 1, 0.0f);
    std::vector<float> releveB(nr + 1, 0.0f);
    std::vector<float> releveQuotient(nr, 0.0f);
    std::vector<double> oldSpecies(ns + 1, 0.0);
    std::vector<double> speciesQuotient(ns, 0.0);
    std::vector<Bounds> releveParts(static_cast<std::size_t>(threads));
    std::vector<Bounds> speciesParts(static_cast<std::size_t>(threads));

    WorkCrew crew(threads);
    int k = 0;
    double speciesShift = 0.0;
    double releveShift = 0.0;
    while (k < maxIterations) {
        ++k;
        if (!Feedback::advance(feedback, k)) {
            ReciprocalAveraging::Result canceled;
            canceled.canceled = true;
            return canceled;
        }
        const bool odd = (k % 2) == 1;
        std::vector<float> &speciesOld = odd ? speciesA : speciesB;
        std::vector<float> &speciesNew = odd ? speciesB : speciesA;
        std::vector<float> &releveOld = odd ? releveA : releveB;
        std::vector<float> &releveNew = odd ? releveB : releveA;

        for (std::size_t s = 0; s < ns; ++s)
            oldSpecies[s] = double(speciesOld[s]);
        releveGroups.reset();
        crew.run([&](int t) {
            Bounds &bounds = releveParts[std::size_t(t)];
            bounds = Bounds{};
            releveGroups.take([&](std::size_t g0, std::size_t g1) {
                groupSums<SpeciesIndex, Unit>(byReleve, speciesIndex, g0, g1, oldSpecies.data(),
                                              [&](quint32 r, double sum) {
                                                  const double x = sum / double(releveTotals[r]);
                                                  releveQuotient[r] = float(x);
                                                  bounds.take(x);
                                              });
            });
        });
        Bounds releveBounds;
        for (const Bounds &b : releveParts)
            releveBounds.merge(b);
        const double releveMin = releveBounds.min;
        const double releveRange = rangeOf(releveBounds);

        releveRuns.reset();
        crew.run([&](int) {
            releveRuns.take([&](std::size_t r0, std::size_t r1) {
                for (std::size_t r = r0; r < r1; ++r)
                    releveNew[r] = rescaled(releveQuotient[r], releveMin, releveRange);
            });
        });

        speciesGroups.reset();
        shiftTaken.store(false, std::memory_order_relaxed);
        crew.run([&](int t) {
            // The change of the relevé scores, added up in order by the first one free.
            if (!shiftTaken.exchange(true, std::memory_order_relaxed)) {
                double shift = 0.0;
                for (std::size_t r = 0; r < nr; ++r)
                    shift += std::fabs(double(releveOld[r]) - double(releveNew[r]));
                releveShift = shift;
            }
            Bounds &bounds = speciesParts[std::size_t(t)];
            bounds = Bounds{};
            speciesGroups.take([&](std::size_t g0, std::size_t g1) {
                groupSums<ReleveIndex, Unit>(bySpecies, releveIndex, g0, g1, releveNew.data(),
                                             [&](quint32 s, double sum) {
                                                 const double x = sum / double(speciesTotals[s]);
                                                 speciesQuotient[s] = x;
                                                 bounds.take(x);
                                             });
            });
        });

        Bounds speciesBounds;
        for (const Bounds &b : speciesParts)
            speciesBounds.merge(b);
        const double speciesMin = speciesBounds.min;
        const double speciesRange = rangeOf(speciesBounds);
        speciesShift = 0.0;
        for (std::size_t s = 0; s < ns; ++s) {
            speciesNew[s] = rescaled(float(speciesQuotient[s]), speciesMin, speciesRange);
            speciesShift += std::fabs(double(speciesOld[s]) - double(speciesNew[s]));
        }
        if (speciesShift < ReciprocalAveraging::ConvergenceLimit && releveShift < ReciprocalAveraging::ConvergenceLimit)
            break;
    }

    ReciprocalAveraging::Result result;
    result.iterations = k;
    result.speciesScoreShift = speciesShift;
    result.releveScoreShift = releveShift;
    result.speciesScores.assign(std::size_t(m.speciesCount()) + 1, 0.0f);
    result.releveScores.assign(std::size_t(m.releveCount()) + 1, 0.0f);
    result.speciesScored.assign(std::size_t(m.speciesCount()) + 1, false);
    result.releveScored.assign(std::size_t(m.releveCount()) + 1, false);
    for (std::size_t s = 0; s < ns; ++s) {
        const std::size_t at = std::size_t(m.scoredSpecies()[s]);
        result.speciesScores[at] = speciesA[s];
        result.speciesScored[at] = true;
    }
    for (std::size_t r = 0; r < nr; ++r) {
        const std::size_t at = std::size_t(m.scoredReleves()[r]);
        result.releveScores[at] = releveA[r];
        result.releveScored[at] = true;
    }
    return result;
}

template<typename SpeciesIndex, typename ReleveIndex>
ReciprocalAveraging::Result iterateWith(const RecipMatrix &m, Feedback *feedback,
                                        int threads, int maxIterations)
{
    return m.byReleve().values.empty()
               ? iterate<SpeciesIndex, ReleveIndex, true>(m, feedback, threads, maxIterations)
               : iterate<SpeciesIndex, ReleveIndex, false>(m, feedback, threads, maxIterations);
}

} // namespace

int ReciprocalAveraging::threadsFor(const RecipMatrix &matrix)
{
    const std::size_t useful = std::max<std::size_t>(matrix.cellCount() / kCellsPerThread, 1);
    return int(std::min<std::size_t>(useful, std::size_t(std::max(1u, std::thread::hardware_concurrency()))));
}

ReciprocalAveraging::Result ReciprocalAveraging::run(const RecipMatrix &matrix, Feedback *feedback, int threads,
                                                     int maxIterations)
{
    if (matrix.scoredReleves().empty() || matrix.scoredSpecies().empty()) {
        Result empty;
        empty.speciesScores.assign(std::size_t(matrix.speciesCount()) + 1, 0.0f);
        empty.releveScores.assign(std::size_t(matrix.releveCount()) + 1, 0.0f);
        empty.speciesScored.assign(std::size_t(matrix.speciesCount()) + 1, false);
        empty.releveScored.assign(std::size_t(matrix.releveCount()) + 1, false);
        return empty;
    }
    const bool wideSpecies = matrix.byReleve().wide;
    const bool wideReleves = matrix.bySpecies().wide;
    if (wideSpecies)
        return wideReleves ? iterateWith<quint32, quint32>(matrix, feedback, threads, maxIterations)
                           : iterateWith<quint32, quint16>(matrix, feedback, threads, maxIterations);
    return wideReleves ? iterateWith<quint16, quint32>(matrix, feedback, threads, maxIterations)
                       : iterateWith<quint16, quint16>(matrix, feedback, threads, maxIterations);
}

} // namespace Zelkor
