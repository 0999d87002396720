#include "analysis/exchangesort.h"

#include <algorithm>
#include <cmath>
#include <numeric>

namespace Zelkor {

namespace {

// Counts of marked places, for the number of smaller scores between two places.
class PlaceCounter
{
public:
    explicit PlaceCounter(std::size_t n) : m_tree(n + 1, 0) {}
    void mark(std::size_t place)
    {
        for (std::size_t i = place + 1; i < m_tree.size(); i += i & (~i + 1))
            ++m_tree[i];
    }
    /// Marked places before `place`.
    std::size_t before(std::size_t place) const
    {
        std::size_t n = 0;
        for (std::size_t i = place; i > 0; i -= i & (~i + 1))
            n += m_tree[i];
        return n;
    }

private:
    std::vector<std::size_t> m_tree;
};

} // namespace

void ExchangeSort::sort(std::vector<float> &scores, std::vector<quint16> &counts)
{
    const std::size_t n = std::min(scores.size(), counts.size());
    for (std::size_t r = 0; r + 1 < n; ++r) {
        for (std::size_t s = r + 1; s < n; ++s) {
            if (scores[r] > scores[s]) {
                swapSingle(scores[r], scores[s]);
                swapWord(counts[r], counts[s]);
            }
        }
    }
}

std::vector<int> ExchangeSort::order(const std::vector<float> &scores)
{
    const std::size_t n = scores.size();
    std::vector<int> places(n);
    std::iota(places.begin(), places.end(), 0);
    if (std::any_of(scores.begin(), scores.end(), [](float x) { return std::isnan(x); })) {
        std::vector<float> a = scores;
        for (std::size_t r = 0; r + 1 < n; ++r) {
            for (std::size_t s = r + 1; s < n; ++s) {
                if (a[r] > a[s]) {
                    swapSingle(a[r], a[s]);
                    std::swap(places[r], places[s]);
                }
            }
        }
        return places;
    }

    // Ascending, equal scores by place: the groups of equal scores, each from left to right.
    std::stable_sort(places.begin(), places.end(),
                     [&](int a, int b) { return scores[std::size_t(a)] < scores[std::size_t(b)]; });
    PlaceCounter smaller(n);
    std::vector<int> group;
    for (std::size_t first = 0; first < n;) {
        std::size_t last = first + 1;
        while (last < n && scores[std::size_t(places[last])] == scores[std::size_t(places[first])])
            ++last;
        if (last - first > 1) {
            // The group turns by one for each smaller score after its first member; each member
            // joins at the back when it is reached.
            group.assign(1, places[first]);
            for (std::size_t i = first + 1; i <= last; ++i) {
                const std::size_t from = std::size_t(places[i - 1]) + 1;
                const std::size_t to = i < last ? std::size_t(places[i]) : n;
                const std::size_t turns = (smaller.before(to) - smaller.before(from)) % group.size();
                std::rotate(group.begin(), group.begin() + std::ptrdiff_t(turns), group.end());
                if (i < last)
                    group.push_back(places[i]);
            }
            std::copy(group.begin(), group.end(), places.begin() + std::ptrdiff_t(first));
        }
        for (std::size_t i = first; i < last; ++i)
            smaller.mark(std::size_t(places[i]));
        first = last;
    }
    return places;
}

} // namespace Zelkor
