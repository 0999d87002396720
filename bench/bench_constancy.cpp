// Building a constancy table of a large composition table: 20,000 relevés × 5,000 species, 1 %
// of the cells filled, in 50 groups (49 empty separator columns). The target is under 1 s for
// the "出力する" command (frequencies recomputed, then the table built); the derivation alone
// and the two files of the window are measured beside it.

#include "analysis/constancycommand.h"
#include "analysis/constancytable.h"
#include "analysis/freqtablecsvfile.h"
#include "analysis/freqtablemodel.h"
#include "analysis/freqtabletextfile.h"
#include "platform/scripteduserinterface.h"
#include "table/covercode.h"
#include "table/headeritems.h"
#include "table/tablemodel.h"

#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <random>

using namespace Zelkor;

namespace {

constexpr int kReleves = 20000;
constexpr int kSpecies = 5000;
constexpr int kGroups = 50;
constexpr double kFill = 0.01;

struct BigTable
{
    TableModel model;
    HeaderItems items;

    BigTable()
    {
        const int columns = kReleves + kGroups - 1;
        model.clearTable(items);
        model.addCol(columns);
        model.addRow(kSpecies);
        model.setReleveCount(columns);
        model.setSpeciesCount(kSpecies);
        const int h = model.headerRows();
        CellGrid &g = model.grid();

        // 400 relevé columns a group, an empty column between two groups.
        std::vector<int> releveColumns;
        for (int group = 0, p = 1; group < kGroups; ++group, ++p)
            for (int k = 0; k < kReleves / kGroups; ++k)
                releveColumns.push_back(3 + p++);

        std::mt19937 rng(20240601);
        std::uniform_real_distribution<double> unit(0.0, 1.0);
        const quint8 codes[] = {1, 2, 6, 7, 10, 11, 12, 21, 22, 23, 32, 33, 44, 55};
        std::uniform_int_distribution<int> pick(0, int(std::size(codes)) - 1);
        for (int s = 1; s <= kSpecies; ++s) {
            const int row = h + s;
            g.setCell(2, row, QStringLiteral("Species %1 sp.").arg(s));
            for (int col : releveColumns) {
                // Species 1 is in every relevé, so that no relevé column is empty by chance.
                if (s > 1 && unit(rng) >= kFill)
                    continue;
                ByteDataSet cell{};
                cell[4] = codes[pick(rng)];
                g.setCell(col, row, dataToCellText(cell));
            }
        }
        model.recomputeFrequencies();
    }
};

BigTable &bigTable()
{
    static BigTable table;
    return table;
}

void BM_ConstancyCommand(benchmark::State &state)
{
    BigTable &t = bigTable();
    ScriptedUserInterface ui;
    FreqTableModel window;
    ConstancyCommand command(&t.model, &window, &ui, [] { return QStringLiteral("大きな表"); });
    for (auto _ : state)
        command.build(QStringLiteral("大きな表常在度表"), ConstancyOptions{});
    state.counters["groups"] = window.grid().colCount() - 1;
    state.counters["rows"] = window.grid().rowCount();
}
BENCHMARK(BM_ConstancyCommand)->Unit(benchmark::kMillisecond)->Iterations(5);

void BM_ConstancyBuild(benchmark::State &state)
{
    BigTable &t = bigTable();
    FreqTableModel window;
    const ConstancyContent content = ConstancyContent(state.range(0));
    for (auto _ : state)
        ConstancyTable::build(t.model, ConstancyOptions{content, false}, QStringLiteral("T"), &window);
}
BENCHMARK(BM_ConstancyBuild)->Arg(0)->Arg(3)->Unit(benchmark::kMillisecond)->Iterations(5);

void BM_ConstancyFiles(benchmark::State &state)
{
    BigTable &t = bigTable();
    FreqTableModel window;
    ConstancyTable::build(t.model, ConstancyOptions{}, QStringLiteral("T"), &window);
    QTemporaryDir dir;
    const QString text = dir.filePath(QStringLiteral("t.txt"));
    const QString csv = dir.filePath(QStringLiteral("t.csv"));
    for (auto _ : state) {
        FreqTableTextFile textFile;
        FreqTableCsvFile csvFile;
        FreqTableModel read = window;
        if (!textFile.write(window, QStringLiteral("2024/06/01"), text) || !csvFile.write(window, csv)
            || !textFile.read(text, &read) || !csvFile.read(csv, &read))
            state.SkipWithError("file error");
    }
}
BENCHMARK(BM_ConstancyFiles)->Unit(benchmark::kMillisecond)->Iterations(3);

} // namespace

BENCHMARK_MAIN();
