// Saving and loading a large composition table: 5,000 relevés × 2,000 species, about 15 % of
// the cells filled, in the default header layout.

#include "table/covercode.h"
#include "table/headeritems.h"
#include "table/tablefile.h"
#include "table/tablemodel.h"

#include <QFileInfo>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <cstdio>
#include <random>

using namespace Zelkor;

namespace {

constexpr int kReleves = 5000;
constexpr int kSpecies = 2000;

struct BigTable
{
    TableModel model;
    HeaderItems items;
    QTemporaryDir dir;
    QString path;

    BigTable()
    {
        model.clearTable(items);
        model.addCol(kReleves);
        model.addRow(kSpecies);
        model.setReleveCount(kReleves);
        model.setSpeciesCount(kSpecies);
        const int h = model.headerRows();
        CellGrid &g = model.grid();

        std::mt19937 rng(20240601);
        std::uniform_real_distribution<double> unit(0.0, 1.0);
        const quint8 codes[] = {1, 2, 6, 7, 10, 11, 12, 21, 22, 23, 32, 33, 44, 55};
        std::uniform_int_distribution<int> pick(0, int(std::size(codes)) - 1);
        std::uniform_int_distribution<int> layer(0, 6);

        for (int j = 1; j <= kReleves; ++j) {
            g.setCell(j + 3, 2, QStringLiteral("R%1").arg(j, 5, 10, QLatin1Char('0')));
            g.setCell(j + 3, 3, j % 3 ? QStringLiteral("丹沢 大山") : QStringLiteral("高尾山"));
            g.setCell(j + 3, 4, rightAlign4(QString::number(300 + j % 1500)));
            model.coverData().set(j, 0, ByteDataSet{5, 2, 0, 0, 0, 0, 0});
        }
        for (int i = 1; i <= kSpecies; ++i) {
            const int row = h + i;
            g.setCell(2, row, i % 4 ? QStringLiteral("Species %1 sp.").arg(i) : QStringLiteral("ススキ %1").arg(i));
            for (int j = 1; j <= kReleves; ++j) {
                if (unit(rng) >= 0.15)
                    continue;
                ByteDataSet cell{};
                cell[std::size_t(layer(rng))] = codes[pick(rng)];
                if (unit(rng) < 0.3)
                    cell[4] = codes[pick(rng)];
                model.coverData().set(j, i, cell);
                g.setCell(j + 3, row, dataToCellText(cell));
            }
        }
        model.recomputeFrequencies();
        path = dir.filePath(QStringLiteral("big.vtb"));
    }
};

BigTable &bigTable()
{
    static BigTable table;
    return table;
}

void BM_SaveTable(benchmark::State &state)
{
    BigTable &t = bigTable();
    TableFile file;
    for (auto _ : state) {
        if (!file.write(t.model, QStringLiteral("大きな表"), t.path))
            state.SkipWithError(file.errorString().toStdString().c_str());
    }
    state.counters["MB"] = double(QFileInfo(t.path).size()) / 1e6;
}
BENCHMARK(BM_SaveTable)->Unit(benchmark::kMillisecond)->Iterations(5);

void BM_LoadTable(benchmark::State &state)
{
    BigTable &t = bigTable();
    TableFile file;
    if (!QFileInfo::exists(t.path) && !file.write(t.model, QStringLiteral("大きな表"), t.path)) {
        state.SkipWithError(file.errorString().toStdString().c_str());
        return;
    }
    for (auto _ : state) {
        TableModel loaded;
        HeaderItems items;
        QString title;
        if (!file.read(t.path, &loaded, &items, &title))
            state.SkipWithError(file.errorString().toStdString().c_str());
        state.PauseTiming(); // the table's destruction is no part of loading
        { TableModel gone = std::move(loaded); }
        state.ResumeTiming();
    }
}
BENCHMARK(BM_LoadTable)->Unit(benchmark::kMillisecond)->Iterations(5);

} // namespace

BENCHMARK_MAIN();
