#pragma once

// The threads of the long numeric work (reciprocal averaging, ordination): a crew that runs one
// phase of the work at a time, and a dealer of the phase's blocks. The work stays the same with
// any number of threads when each sum is added up by one thread in a fixed order.

#include <algorithm>
#include <atomic>
#include <cstddef>
#include <functional>
#include <thread>
#include <vector>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace Zelkor {

// Helper threads that run one job together with the calling thread, one phase at a time. They
// wait between phases, first briefly by spinning (a phase of a large table follows the last
// within microseconds), then asleep.
class WorkCrew
{
public:
    explicit WorkCrew(int size)
    {
        for (int t = 1; t < size; ++t)
            m_threads.emplace_back([this, t] { work(t); });
    }
    WorkCrew(const WorkCrew &) = delete;
    WorkCrew &operator=(const WorkCrew &) = delete;
    ~WorkCrew()
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

// Deals out the work of a phase in blocks: whoever is free takes the next block, so a thread
// that the system holds up delays the others by one block at most. Each block is whole sums, so
// whichever thread adds one up, it is added up in the same order.
class WorkBlocks
{
public:
    WorkBlocks(std::size_t count, std::size_t size) : m_count(count), m_size(size) {}
    void reset() { m_next.store(0, std::memory_order_relaxed); }
    /// Calls f(first, last) for blocks until none is left.
    template<typename F>
    void take(F f)
    {
        for (;;) {
            const std::size_t b = m_next.fetch_add(1, std::memory_order_relaxed);
            const std::size_t first = b * m_size;
            if (first >= m_count)
                return;
            f(first, std::min(first + m_size, m_count));
        }
    }

private:
    std::size_t m_count;
    std::size_t m_size;
    std::atomic<std::size_t> m_next{0};
};

} // namespace Zelkor
