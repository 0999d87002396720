// The fidelity of every species to every group of a large composition table: 20,000 relevés ×
// 5,000 species, 1 % of the cells filled (50 species in each relevé), in 50 groups of 400
// relevés (49 empty separator columns). The target is under 1 s for the whole fidelity table
// (every phi and every p of Fisher's exact test); the constancy table with the fidelity in the
// diagnostic order (what "出力する" builds), the CSV file of the batch command and the
// reordering of the table are measured beside it.

#include "analysis/constancycommand.h"
#include "analysis/fidelitycsvfile.h"
#include "analysis/fidelitytable.h"
#include "analysis/freqtablemodel.h"
#include "generatedtable.h"
#include "platform/scripteduserinterface.h"

#include <QTemporaryDir>

#include <benchmark/benchmark.h>

using namespace Zelkor;

namespace {

constexpr int kGroups = 50;

TableModel &groupedTable()
{
    static TableModel model;
    static const bool made = Bench::makeGroupedTable(model, Bench::kTableReleves, Bench::kTableSpecies,
                                                     Bench::kTableSpecies / 100, kGroups);
    if (!made)
        std::abort();
    return model;
}

void BM_FidelityTable(benchmark::State &state)
{
    const TableModel &model = groupedTable();
    FidelityOptions options;
    options.standardize = state.range(0) != 0;
    FidelityTable table;
    for (auto _ : state)
        table.compute(model, options);
    int diagnostic = 0;
    for (int s = 1; s <= table.speciesCount(); ++s)
        diagnostic += table.diagnosticGroup(s) >= 0 ? 1 : 0;
    state.counters["groups"] = table.groupsWithReleves();
    state.counters["cells"] = double(table.speciesCount()) * table.groupsWithReleves();
    state.counters["diagnostic"] = diagnostic;
}
BENCHMARK(BM_FidelityTable)->Arg(1)->Arg(0)->Unit(benchmark::kMillisecond)->Iterations(5);

void BM_ConstancyWithFidelity(benchmark::State &state)
{
    TableModel &model = groupedTable();
    ScriptedUserInterface ui;
    FreqTableModel window;
    ConstancyCommand command(&model, &window, &ui, [] { return QStringLiteral("大きな表"); });
    ConstancyOptions options;
    options.fidelity = true;
    options.diagnosticOrder = true;
    for (auto _ : state)
        command.build(QStringLiteral("大きな表常在度表"), options);
    state.counters["rows"] = window.grid().rowCount();
    state.counters["shaded"] = double(window.shadedCells().size());
}
BENCHMARK(BM_ConstancyWithFidelity)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_FidelityCsvFile(benchmark::State &state)
{
    const TableModel &model = groupedTable();
    FidelityTable table;
    table.compute(model, FidelityOptions{});
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("fidelity.csv"));
    for (auto _ : state) {
        FidelityCsvFile file;
        if (!file.write(table, model, path))
            state.SkipWithError("file error");
    }
}
BENCHMARK(BM_FidelityCsvFile)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_SortTableByFidelity(benchmark::State &state)
{
    for (auto _ : state) {
        state.PauseTiming();
        TableModel model = groupedTable();
        state.ResumeTiming();
        FidelityTable::sortSpeciesRows(model, FidelityOptions{});
    }
}
BENCHMARK(BM_SortTableByFidelity)->Unit(benchmark::kMillisecond)->Iterations(2);

} // namespace

BENCHMARK_MAIN();
