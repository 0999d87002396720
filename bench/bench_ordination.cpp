// Correspondence analysis and detrended correspondence analysis with 4 axes of whole tables, as
// the ordination window and "zelkor-cli ordination" run them: converting the filled cells
// (method 1) and the eigensolver. Two generated tables with random species lists (no gradient,
// so the largest eigenvalues lie close together, the hard case for the eigensolvers): 5,000
// relevés × 2,000 species with 1 % of the cells filled, and 50,000 relevés × 5,000 species with
// 7.5 million filled cells. Prints the best of three runs with the threads the program uses,
// then one run with one thread, the applications of the operator (one pass over the cells both
// ways each), the eigenvalues and the memory the converted cells take.
// Usage: bench_ordination [small|large] [ca|dca]
#include "analysis/ordination.h"
#include "analysis/ordinationmatrix.h"
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
    double convert = 0.0;
    double solve = 0.0;
    OrdinationResult result;
    std::size_t cells = 0;
    std::size_t matrixBytes = 0;
    double total() const { return convert + solve; }
};

Run runOnce(const TableModel &table, OrdinationMethod method, int threads)
{
    Run run;
    const auto t0 = Clock::now();
    const OrdinationMatrix matrix = OrdinationMatrix::fromTable(table, 1);
    const auto t1 = Clock::now();
    OrdinationOptions options;
    options.method = method;
    run.result = Ordination::run(matrix, options, nullptr, threads > 0 ? threads : Ordination::threadsFor(matrix));
    const auto t2 = Clock::now();
    run.convert = seconds(t0, t1);
    run.solve = seconds(t1, t2);
    run.cells = matrix.cellCount();
    run.matrixBytes = matrix.memoryBytes();
    return run;
}

void measure(const char *name, int releves, int species, int perReleve, bool ca, bool dca)
{
    TableModel table;
    if (!Bench::makeGeneratedTable(table, releves, species, perReleve)) {
        std::fprintf(stderr, "growing the table failed\n");
        return;
    }
    for (const OrdinationMethod method : {OrdinationMethod::Correspondence, OrdinationMethod::Detrended}) {
        if ((method == OrdinationMethod::Correspondence && !ca) || (method == OrdinationMethod::Detrended && !dca))
            continue;
        for (const int threads : {0, 1}) {
            Run best;
            best.solve = 1e300;
            for (int i = 0; i < (threads == 0 ? 3 : 1); ++i) {
                Run r = runOnce(table, method, threads);
                if (r.total() < best.total())
                    best = std::move(r);
            }
            const OrdinationResult &r = best.result;
            std::printf("%s, %s, %s: %.3f s (convert %.3f s, solve %.3f s, %d applications = %.1f ms each)%s; "
                        "%zu filled cells, converted %.1f MB; eigenvalues",
                        name, method == OrdinationMethod::Correspondence ? "CA" : "DCA",
                        threads == 0 ? "threads as the program uses them (best of 3)" : "one thread", best.total(),
                        best.convert, best.solve, r.applications, best.solve * 1000.0 / std::max(r.applications, 1),
                        r.converged ? "" : " NOT CONVERGED", best.cells, double(best.matrixBytes) / (1024.0 * 1024.0));
            for (double e : r.eigenvalues)
                std::printf(" %.7g", e);
            std::printf("\n");
            std::fflush(stdout);
        }
    }
}

} // namespace

int main(int argc, char **argv)
{
    bool small = true;
    bool large = true;
    bool ca = true;
    bool dca = true;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "small") == 0)
            large = false;
        else if (std::strcmp(argv[i], "large") == 0)
            small = false;
        else if (std::strcmp(argv[i], "ca") == 0)
            dca = false;
        else if (std::strcmp(argv[i], "dca") == 0)
            ca = false;
    }
    if (small)
        measure("5,000 relevés × 2,000 species, 1 % filled", 5000, 2000, 20, ca, dca);
    if (large)
        measure("50,000 relevés × 5,000 species, 7.5 million filled cells", 50000, 5000, 150, ca, dca);
    return 0;
}
