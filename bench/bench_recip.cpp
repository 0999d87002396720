// Reciprocal averaging of whole tables, as the menu command runs it with both answers Yes:
// converting the filled cells, every iteration it needs, and moving the rows and columns into
// score order with their renumbering. Two generated tables with random species lists (no
// gradient, so the averaging settles late): 5,000 relevés × 2,000 species with 1 % of the cells
// filled, and 50,000 relevés × 5,000 species with 7.5 million filled cells. Each run starts from
// a copy of the table in its first order (not timed). Prints the best of three runs, its parts,
// the iterations, and the memory the converted cells take; then the same with one thread.
// Usage: bench_recip [small|large]
#include "analysis/recipcommand.h"
#include "analysis/recipmatrix.h"
#include "analysis/reciprocalaveraging.h"
#include "generatedtable.h"

#include <chrono>
#include <cstdio>
#include <cstring>

using namespace Zelkor;

namespace {

using Clock = std::chrono::steady_clock;

double seconds(Clock::time_point a, Clock::time_point b)
{
    return std::chrono::duration<double>(b - a).count();
}

struct Run
{
    double prepare = 0.0;
    double iterate = 0.0;
    double reorder = 0.0;
    int iterations = 0;
    std::size_t cells = 0;
    std::size_t matrixBytes = 0;
    double total() const { return prepare + iterate + reorder; }
};

Run runOnce(const TableModel &original, int threads)
{
    TableModel model = original;
    Run run;
    const auto t0 = Clock::now();
    const RecipMatrix matrix = RecipMatrix::fromTable(model, 1);
    const auto t1 = Clock::now();
    const ReciprocalAveraging::Result scores =
        ReciprocalAveraging::run(matrix, {}, threads > 0 ? threads : ReciprocalAveraging::threadsFor(matrix));
    const auto t2 = Clock::now();
    RecipCommand::reorderTable(model, scores);
    const auto t3 = Clock::now();
    run.prepare = seconds(t0, t1);
    run.iterate = seconds(t1, t2);
    run.reorder = seconds(t2, t3);
    run.iterations = scores.iterations;
    run.cells = matrix.cellCount();
    run.matrixBytes = matrix.memoryBytes();
    return run;
}

void measure(const char *name, int releves, int species, int perReleve)
{
    TableModel table;
    if (!Bench::makeGeneratedTable(table, releves, species, perReleve)) {
        std::fprintf(stderr, "growing the table failed\n");
        return;
    }
    for (const int threads : {0, 1}) {
        Run best;
        best.prepare = 1e300;
        for (int i = 0; i < 3; ++i) {
            const Run r = runOnce(table, threads);
            if (r.total() < best.total())
                best = r;
        }
        std::printf("%s, %s: %.3f s (convert %.3f s, %d iterations %.3f s = %.2f ms each, reorder %.3f s); "
                    "%zu filled cells, converted %.1f MB (best of 3)\n",
                    name, threads == 0 ? "threads as the command uses them" : "one thread", best.total(),
                    best.prepare, best.iterations, best.iterate, best.iterate * 1000.0 / best.iterations,
                    best.reorder, best.cells, double(best.matrixBytes) / (1024.0 * 1024.0));
    }
}

} // namespace

int main(int argc, char **argv)
{
    const bool small = argc < 2 || std::strcmp(argv[1], "large") != 0;
    const bool large = argc < 2 || std::strcmp(argv[1], "small") != 0;
    if (small)
        measure("5,000 relevés × 2,000 species, 1 % filled", 5000, 2000, 20);
    if (large)
        measure("50,000 relevés × 5,000 species, 7.5 million filled cells", 50000, 5000, 150);
    return 0;
}
