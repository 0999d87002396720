// The undo history on a 20,000-relevé × 5,000-species table (1 % filled): undo and redo of a
// relevé sort and of deleting a species row (best of three), what the history takes after 100
// sorts, and undo and redo of an extraction of 10,000 relevés from a generated database.
#include "analysis/tablesort.h"
#include "database/extraction.h"
#include "database/synonymdictionary.h"
#include "database/vegdatabase.h"
#include "generateddatabase.h"
#include "generatedtable.h"
#include "table/headeritems.h"
#include "table/tablehistory.h"
#include "table/tablemodel.h"

#include <QFile>
#include <QTemporaryDir>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <functional>
#include <numeric>
#include <random>
#include <unistd.h>

using namespace Zelkor;

namespace {

double ms(std::chrono::steady_clock::duration d) { return std::chrono::duration<double, std::milli>(d).count(); }

double timed(const std::function<void()> &f)
{
    const auto t0 = std::chrono::steady_clock::now();
    f();
    return ms(std::chrono::steady_clock::now() - t0);
}

// Resident memory of the process in MiB.
double residentMiB()
{
    QFile statm(QStringLiteral("/proc/self/statm"));
    if (!statm.open(QIODevice::ReadOnly))
        return 0;
    const QList<QByteArray> fields = statm.readAll().split(' ');
    return fields.size() > 1 ? fields[1].toDouble() * double(::sysconf(_SC_PAGESIZE)) / (1024.0 * 1024.0) : 0;
}

// Best of three undo-redo cycles of the last step.
void undoRedo(TableHistory &history, const char *what)
{
    double undo = 1e300;
    double redo = 1e300;
    for (int run = 0; run < 3; ++run) {
        undo = std::min(undo, timed([&] { history.undo(); }));
        redo = std::min(redo, timed([&] { history.redo(); }));
    }
    std::printf("%s: undo %.1f ms, redo %.1f ms (best of 3)\n", what, undo, redo);
}

} // namespace

int main()
{
    TableModel model;
    HeaderItems items;
    QString title = QStringLiteral("bench");
    if (!Bench::makeLargeTable(model))
        return 1;
    TableHistory history(&model, &title, &items);
    std::mt19937 rng(5);
    std::vector<int> order(std::size_t(Bench::kTableReleves));
    std::iota(order.begin(), order.end(), TableModel::FirstReleveColumn);
    std::shuffle(order.begin(), order.end(), rng);
    model.grid().permuteColumns(TableModel::FirstReleveColumn, order, false);
    model.recomputeFrequencies();

    {
        TableHistory::Step step(history, QStringLiteral("測定の並べ替え"));
        TableSort::sortReleve(model, 1, Bench::kTableReleves, true);
    }
    undoRedo(history, "sort of 20,000 relevé columns");

    {
        TableHistory::Step step(history, QStringLiteral("行の削除"));
        model.deleteRow(model.speciesRow(2500));
        model.recomputeFrequencies();
    }
    undoRedo(history, "deleting one of 5,000 species rows");

    history.clear();
    const double before = residentMiB();
    for (int k = 0; k < 100; ++k) {
        TableHistory::Step step(history, QStringLiteral("測定の並べ替え"));
        TableSort::sortReleve(model, 1 + k % 7, Bench::kTableReleves, k % 2 == 0);
    }
    std::printf("history after 100 relevé sorts: %d steps, %.2f MiB counted, resident %+.1f MiB\n", history.count(),
                double(history.bytes()) / (1024.0 * 1024.0), residentMiB() - before);

    // An extraction of 10,000 relevés into a table of its own.
    QTemporaryDir dir;
    const QString zki = dir.filePath(QStringLiteral("big.zki"));
    if (!Bench::writeDatabase(zki, dir.filePath(QStringLiteral("big.zkd"))))
        return 1;
    VegDatabase db;
    if (!db.openDataFile(zki))
        return 1;
    SynonymDictionary dict;
    RetrievalQuery q;
    q.firstRecord = 1;
    q.lastRecord = 10000;
    Extraction extraction;
    extraction.scan(db, dict, q, true);
    TableModel table;
    HeaderItems tableItems;
    QString tableTitle;
    table.clearTable(tableItems);
    TableHistory tableHistory(&table, &tableTitle, &tableItems);
    double insert = 0;
    {
        TableHistory::Step step(tableHistory, QStringLiteral("測定の組み込み"));
        insert = timed([&] {
            extraction.insert(db, dict, table, tableItems);
            table.recomputeFrequencies();
        });
    }
    std::printf("extraction of %d relevés (%d species rows): %.0f ms with the history, step %.1f MiB\n",
                table.releveCount(), table.speciesCount(), insert, double(tableHistory.bytes()) / (1024.0 * 1024.0));
    undoRedo(tableHistory, "extraction of 10,000 relevés");
    return 0;
}
