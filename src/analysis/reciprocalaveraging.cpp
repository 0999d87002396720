#include "analysis/reciprocalaveraging.h"

#include "analysis/recipmatrix.h"

#include <algorithm>
#include <atomic>
#include <cmath>
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

// Helper threads that run one job together with the calling thread, one phase at a time. They
// wait between phases, first briefly by spinning (a phase of a large table follows the last
// within microseconds), then asleep.
class Crew
{
public:
    explicit Crew(int size)
    {
        for (int t = 1; t < size; ++t)
            m_threads.emplace_back([this, t] { work(t); });
    }
    ~Crew()
    {
        m_stop.store(true, std::memory_order_relaxed);
        m_generation.fetch_add(1, std::memory_order_release);
        m_generation.notify_all();
        for (std::thread &th : m_threads)
            th.join();
    }
    int size() const { return int(m_threads.size()) + 1; }

    /// Runs job(t) for every member t (0 on the calling thread) and returns when all are done.
    template<typename Job>
    void run(const Job &job)
    {
        if (m_threads.empty()) {
            job(0);
            return;
        }
        m_job = [&job](int t) { job(t); };
        m_pending.store(int(m_threads.size()), std::memory_order_relaxed);
        m_generation.fetch_add(1, std::memory_order_release);
        m_generation.notify_all();
        job(0);
        int left;
        int spins = 0;
        while ((left = m_pending.load(std::memory_order_acquire)) != 0) {
            if (++spins < kSpins)
                pause();
            else
                m_pending.wait(left, std::memory_order_acquire);
        }
    }

private:
    static constexpr int kSpins = 1000;
    static void pause()
    {
#if defined(__SSE2__)
        _mm_pause();
#endif
    }
    void work(int t)
    {
        unsigned seen = 0;
        for (;;) {
            unsigned now;
            int spins = 0;
            while ((now = m_generation.load(std::memory_order_acquire)) == seen) {
                if (++spins < kSpins)
                    pause();
                else
                    m_generation.wait(seen, std::memory_order_acquire);
            }
            seen = now;
            if (m_stop.load(std::memory_order_relaxed))
                return;
            m_job(t);
            if (m_pending.fetch_sub(1, std::memory_order_acq_rel) == 1)
                m_pending.notify_one();
        }
    }

    std::vector<std::thread> m_threads;
    std::function<void(int)> m_job;
    std::atomic<unsigned> m_generation{0};
    std::atomic<int> m_pending{0};
    std::atomic<bool> m_stop{false};
};

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

// The two passes over the cells, for species places of type Col; Unit when every value is 1
// (1 × score is the score itself, so the product is left out).
template<typename Col, bool Unit>
struct Passes
{
    const Col *species;
    const quint8 *values;
    const std::size_t *rowStart;
    int maxValue;
    // The values as double-precision numbers.
    double valueOf[256];

    double term(std::size_t e, const double *scores) const
    {
        if constexpr (Unit)
            return scores[species[e]];
        else
            return valueOf[values[e]] * scores[species[e]];
    }

    // Relevés r0..r1-1: the sum of value × species score over each relevé's cells in species
    // order, divided by its total. Four relevés are added up side by side, each in its own
    // order, so that one sum need not wait for the last addition of another.
    void releveQuotients(const double *speciesScores, const float *totals, float *out, std::size_t r0,
                         std::size_t r1, Bounds &bounds) const
    {
        auto finish = [&](std::size_t r, double sum) {
            const double x = sum / double(totals[r]);
            out[r] = float(x);
            bounds.take(x);
        };
        std::size_t r = r0;
        for (; r + 4 <= r1; r += 4) {
            const std::size_t b0 = rowStart[r], b1 = rowStart[r + 1], b2 = rowStart[r + 2], b3 = rowStart[r + 3],
                              e3 = rowStart[r + 4];
            const std::size_t n = std::min(std::min(b1 - b0, b2 - b1), std::min(b3 - b2, e3 - b3));
            double s0 = 0.0, s1 = 0.0, s2 = 0.0, s3 = 0.0;
            for (std::size_t i = 0; i < n; ++i) {
                s0 += term(b0 + i, speciesScores);
                s1 += term(b1 + i, speciesScores);
                s2 += term(b2 + i, speciesScores);
                s3 += term(b3 + i, speciesScores);
            }
            for (std::size_t e = b0 + n; e < b1; ++e)
                s0 += term(e, speciesScores);
            for (std::size_t e = b1 + n; e < b2; ++e)
                s1 += term(e, speciesScores);
            for (std::size_t e = b2 + n; e < b3; ++e)
                s2 += term(e, speciesScores);
            for (std::size_t e = b3 + n; e < e3; ++e)
                s3 += term(e, speciesScores);
            finish(r, s0);
            finish(r + 1, s1);
            finish(r + 2, s2);
            finish(r + 3, s3);
        }
        for (; r < r1; ++r) {
            double s = 0.0;
            for (std::size_t e = rowStart[r]; e < rowStart[r + 1]; ++e)
                s += term(e, speciesScores);
            finish(r, s);
        }
    }

    // Adds value × relevé score of the cells first[r] .. last[r]-1 of every relevé r, in relevé
    // order, to the sums of their species. The values are small whole numbers: the products of
    // a relevé's score with each of them are formed once per relevé and looked up.
    void speciesSums(const float *releveScores, std::size_t releves, const std::size_t *first,
                     const std::size_t *last, std::size_t stride, double *sums) const
    {
        double products[256];
        for (std::size_t r = 0; r < releves; ++r) {
            const double score = double(releveScores[r]);
            const std::size_t end = last[r * stride];
            if constexpr (Unit) {
                for (std::size_t e = first[r * stride]; e < end; ++e)
                    sums[species[e]] += score;
            } else {
                for (int v = 1; v <= maxValue; ++v)
                    products[v] = double(v) * score;
                for (std::size_t e = first[r * stride]; e < end; ++e)
                    sums[species[e]] += products[values[e]];
            }
        }
    }
};

template<typename Col, bool Unit>
ReciprocalAveraging::Result iterate(const RecipMatrix &m, const Col *species,
                                    const ReciprocalAveraging::Progress &progress, int threads, int maxIterations)
{
    ReciprocalAveraging::Result result;
    const std::size_t nr = m.scoredReleves().size();
    const std::size_t ns = m.scoredSpecies().size();
    Passes<Col, Unit> passes{species, m.values().empty() ? nullptr : m.values().data(), m.rowStarts().data(), 1, {}};
    for (int v = 0; v < 256; ++v)
        passes.valueOf[v] = double(v);
    for (quint8 v : m.values())
        passes.maxValue = std::max(passes.maxValue, int(v));
    const float *releveTotals = m.releveTotals().data();
    const float *speciesTotals = m.speciesTotals().data();

    threads = std::max(1, int(std::min<std::size_t>({std::size_t(std::max(threads, 1)), nr, ns})));

    // The relevé pass is shared by relevés, the species pass by species: each member adds up
    // whole sums, so no sum is split. The parts hold about as many cells each.
    std::vector<std::size_t> releveFrom(std::size_t(threads) + 1, nr);
    releveFrom[0] = 0;
    for (int t = 1; t < threads; ++t) {
        const std::size_t goal = m.cellCount() * std::size_t(t) / std::size_t(threads);
        releveFrom[std::size_t(t)] = std::size_t(
            std::lower_bound(m.rowStarts().begin(), m.rowStarts().begin() + std::ptrdiff_t(nr), goal) - m.rowStarts().begin());
    }
    std::vector<std::size_t> speciesFrom(std::size_t(threads) + 1, ns);
    speciesFrom[0] = 0;
    if (threads > 1) {
        std::vector<std::size_t> cells(ns + 1, 0);
        for (std::size_t e = 0; e < m.cellCount(); ++e)
            ++cells[std::size_t(species[e]) + 1];
        for (std::size_t k = 1; k <= ns; ++k)
            cells[k] += cells[k - 1];
        for (int t = 1; t < threads; ++t) {
            const std::size_t goal = m.cellCount() * std::size_t(t) / std::size_t(threads);
            speciesFrom[std::size_t(t)] = std::size_t(std::lower_bound(cells.begin(), cells.end(), goal) - cells.begin());
        }
    }
    // Where the cells of each species part begin in each relevé: bounds[r * stride + t].
    const std::size_t stride = std::size_t(threads) + 1;
    std::vector<std::size_t> bounds;
    if (threads > 1) {
        bounds.resize(nr * stride);
        for (std::size_t r = 0; r < nr; ++r) {
            const Col *b = species + m.rowStart(r);
            const Col *e = species + m.rowStart(r + 1);
            bounds[r * stride] = m.rowStart(r);
            for (int t = 1; t < threads; ++t)
                bounds[r * stride + std::size_t(t)] =
                    m.rowStart(r) + std::size_t(std::lower_bound(b, e, Col(speciesFrom[std::size_t(t)])) - b);
            bounds[r * stride + stride - 1] = m.rowStart(r + 1);
        }
    }
    const std::size_t *firstOf = threads > 1 ? bounds.data() : m.rowStarts().data();
    const std::size_t boundStride = threads > 1 ? stride : 1;

    // Two generations of scores; iteration k writes B when odd, A when even.
    std::vector<float> speciesA(ns, ReciprocalAveraging::StartScore);
    if (ns > 0)
        speciesA[0] = ReciprocalAveraging::FirstStartScore;
    std::vector<float> speciesB = speciesA;
    std::vector<float> releveA(nr, 0.0f);
    std::vector<float> releveB(nr, 0.0f);
    std::vector<float> releveQuotient(nr, 0.0f);
    std::vector<double> oldSpecies(ns, 0.0);
    std::vector<double> sums(ns, 0.0);
    std::vector<Bounds> parts(static_cast<std::size_t>(threads));

    Crew crew(threads);
    int k = 0;
    double speciesShift = 0.0;
    double releveShift = 0.0;
    while (k < maxIterations) {
        ++k;
        if (progress)
            progress(k);
        const bool odd = (k % 2) == 1;
        std::vector<float> &speciesOld = odd ? speciesA : speciesB;
        std::vector<float> &speciesNew = odd ? speciesB : speciesA;
        std::vector<float> &releveOld = odd ? releveA : releveB;
        std::vector<float> &releveNew = odd ? releveB : releveA;

        for (std::size_t s = 0; s < ns; ++s)
            oldSpecies[s] = double(speciesOld[s]);
        crew.run([&](int t) {
            parts[std::size_t(t)] = Bounds{};
            passes.releveQuotients(oldSpecies.data(), releveTotals, releveQuotient.data(), releveFrom[std::size_t(t)],
                                   releveFrom[std::size_t(t) + 1], parts[std::size_t(t)]);
        });
        Bounds releveBounds;
        for (const Bounds &b : parts) {
            releveBounds.take(b.min);
            releveBounds.take(b.max);
        }
        const double releveMin = releveBounds.min;
        const double releveRange = rangeOf(releveBounds);

        crew.run([&](int t) {
            for (std::size_t r = releveFrom[std::size_t(t)]; r < releveFrom[std::size_t(t) + 1]; ++r)
                releveNew[r] = rescaled(releveQuotient[r], releveMin, releveRange);
        });

        std::fill(sums.begin(), sums.end(), 0.0);
        crew.run([&](int t) {
            passes.speciesSums(releveNew.data(), nr, firstOf + t, firstOf + t + 1, boundStride, sums.data());
            // The change of the relevé scores, added up in order by one member.
            if (t == threads - 1) {
                double shift = 0.0;
                for (std::size_t r = 0; r < nr; ++r)
                    shift += std::fabs(double(releveOld[r]) - double(releveNew[r]));
                releveShift = shift;
            }
        });

        Bounds speciesBounds;
        for (std::size_t s = 0; s < ns; ++s) {
            const double x = sums[s] / double(speciesTotals[s]);
            speciesNew[s] = float(x);
            speciesBounds.take(x);
        }
        const double speciesMin = speciesBounds.min;
        const double speciesRange = rangeOf(speciesBounds);
        speciesShift = 0.0;
        for (std::size_t s = 0; s < ns; ++s) {
            speciesNew[s] = rescaled(speciesNew[s], speciesMin, speciesRange);
            speciesShift += std::fabs(double(speciesOld[s]) - double(speciesNew[s]));
        }
        if (speciesShift < ReciprocalAveraging::ConvergenceLimit && releveShift < ReciprocalAveraging::ConvergenceLimit)
            break;
    }

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

} // namespace

int ReciprocalAveraging::threadsFor(const RecipMatrix &matrix)
{
    const std::size_t useful = std::max<std::size_t>(matrix.cellCount() / kCellsPerThread, 1);
    return int(std::min<std::size_t>(useful, std::size_t(std::max(1u, std::thread::hardware_concurrency()))));
}

ReciprocalAveraging::Result ReciprocalAveraging::run(const RecipMatrix &matrix, const Progress &progress, int threads,
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
    const bool unit = matrix.values().empty();
    if (matrix.isWide()) {
        const quint32 *species = matrix.species32().data();
        return unit ? iterate<quint32, true>(matrix, species, progress, threads, maxIterations)
                    : iterate<quint32, false>(matrix, species, progress, threads, maxIterations);
    }
    const quint16 *species = matrix.species16().data();
    return unit ? iterate<quint16, true>(matrix, species, progress, threads, maxIterations)
                : iterate<quint16, false>(matrix, species, progress, threads, maxIterations);
}

} // namespace Zelkor
