// Sorting a large composition table: the 5,000 species rows of a 20,000-relevé × 5,000-species
// table (1 % filled) by frequency, and its 20,000 relevé columns by species number, both
// directions. Each run starts from a freshly shuffled order (not timed); the time includes the
// renumbering that follows the sort. Prints the best of three runs.
#include "analysis/tablesort.h"
#include "generatedtable.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <numeric>
#include <random>
#include <vector>

using namespace Zelkor;

namespace {

// Puts the positions first..first+count-1 into a random order, as moves by hand would.
std::vector<int> shuffled(int first, int count, std::mt19937 &rng)
{
    std::vector<int> order(static_cast<std::size_t>(count));
    std::iota(order.begin(), order.end(), first);
    std::shuffle(order.begin(), order.end(), rng);
    return order;
}

} // namespace

int main()
{
    TableModel model;
    if (!Bench::makeLargeTable(model))
        return 1;
    const int h = model.headerRows();
    std::mt19937 rng(5);

    for (const bool rows : {true, false}) {
        for (const bool descending : {true, false}) {
            double best = 1e300;
            for (int run = 0; run < 3; ++run) {
                if (rows)
                    model.grid().permuteRows(h + 1, shuffled(h + 1, Bench::kTableSpecies, rng), false);
                else
                    model.grid().permuteColumns(4, shuffled(4, Bench::kTableReleves, rng), false);
                model.recomputeFrequencies();
                const auto t0 = std::chrono::steady_clock::now();
                if (rows)
                    TableSort::sortPlants(model, 1, Bench::kTableSpecies, descending);
                else
                    TableSort::sortReleve(model, 1, Bench::kTableReleves, descending);
                const auto t1 = std::chrono::steady_clock::now();
                best = std::min(best, std::chrono::duration<double, std::milli>(t1 - t0).count());
            }
            std::printf("%s by %s, %s: %.1f ms (best of 3)\n", rows ? "5,000 species rows" : "20,000 relevé columns",
                        rows ? "frequency" : "species number", descending ? "descending" : "ascending", best);
        }
    }
    // The sort must have put the keys in order: check once, so that a fast wrong sort shows.
    for (int j = 2; j <= Bench::kTableSpecies; ++j) {
        if (model.speciesFreq(j - 1) > model.speciesFreq(j)) {
            std::fprintf(stderr, "species rows out of order at %d\n", j);
            return 1;
        }
    }
    return 0;
}
