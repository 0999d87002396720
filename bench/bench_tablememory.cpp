// Memory footprint of a large composition table: 20,000 relevés × 5,000 species, first empty,
// then with 1 % of its cover cells filled (as extraction fills them: header values, a cover text
// per cell and the codes). Prints the resident-set growth and the model's own count.
#include "generatedtable.h"

#include <QFile>
#include <QString>

#include <chrono>
#include <cstdio>

using namespace Zelkor;

namespace {

long residentKiB()
{
    QFile f(QStringLiteral("/proc/self/status"));
    if (!f.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : f.readAll().split('\n')) {
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').value(0).toLong();
    }
    return -1;
}

double mib(double kib) { return kib / 1024.0; }

} // namespace

int main()
{
    constexpr int kReleves = Bench::kTableReleves;
    constexpr int kSpecies = Bench::kTableSpecies;
    const long base = residentKiB();

    TableModel model;
    auto t0 = std::chrono::steady_clock::now();
    if (!Bench::growLargeTable(model)) {
        std::fprintf(stderr, "growing the table failed\n");
        return 1;
    }
    auto t1 = std::chrono::steady_clock::now();
    const long empty = residentKiB();
    std::printf("empty %d x %d table: grid %d x %d cells, RSS +%.1f MiB (model count %.1f MiB), grown in %.0f ms\n",
                kReleves, kSpecies, model.grid().colCount(), model.grid().rowCount(), mib(empty - base),
                (model.grid().memoryBytes() + model.coverData().memoryBytes()) / 1048576.0,
                std::chrono::duration<double, std::milli>(t1 - t0).count());

    // Fill 1 % of the cells: 50 species in each relevé, plus the header values.
    Bench::fillLargeTable(model);
    auto t2 = std::chrono::steady_clock::now();
    model.recomputeFrequencies();
    auto t3 = std::chrono::steady_clock::now();
    const long filled = residentKiB();
    std::printf("1%% filled: %zu cover entries, %zu grid cells, RSS +%.1f MiB over empty (total +%.1f MiB); "
                "recomputing frequencies %.0f ms\n",
                model.coverData().entryCount(), model.grid().storedCellCount(), mib(filled - empty),
                mib(filled - base), std::chrono::duration<double, std::milli>(t3 - t2).count());
    return 0;
}
