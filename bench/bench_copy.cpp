// Copying a block of 1,000 relevés × 1,000 species, every cell filled, to the clipboard texts:
// the cells as the grid shows them (tab-separated text and HTML) and the copy by layer (one line
// per species and layer: H1 in every species, T1 in every third). The time runs from the rows
// and columns of the block to both texts. Prints the best of three runs.
#include "generatedtable.h"
#include "table/tableclipboard.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <vector>

using namespace Zelkor;

namespace {

constexpr int kSize = 1000;

} // namespace

int main()
{
    TableModel model;
    if (!Bench::growLargeTable(model, kSize, kSize))
        return 1;
    const int h = model.headerRows();
    const QString covers[] = {QStringLiteral("   +"), QStringLiteral("  +2"), QStringLiteral("23 1"),
                              QStringLiteral(" 2 r"), QStringLiteral("a\"b")};
    for (int s = 1; s <= kSize; ++s) {
        model.grid().setCell(TableModel::NameColumn, h + s, QStringLiteral("Species <%1> & co").arg(s));
        for (int k = 1; k <= kSize; ++k) {
            model.grid().setCell(TableModel::releveColumn(k), h + s, covers[(k + s) % 5]);
            model.coverData().set(k, s, ByteDataSet{quint8(s % 3 == 0 ? 23 : 0), 0, 0, 0, quint8(1 + (k + s) % 5), 0, 0});
        }
    }
    model.setReleveCount(kSize);
    model.setSpeciesCount(kSize);
    model.recomputeFrequencies();

    const CellGrid &grid = model.grid();
    for (const bool byLayer : {false, true}) {
        double best = 1e300;
        qsizetype plainSize = 0;
        qsizetype htmlSize = 0;
        std::size_t lines = 0;
        for (int run = 0; run < 3; ++run) {
            const auto t0 = std::chrono::steady_clock::now();
            const std::vector<int> columns =
                TableClipboard::shownColumns(grid, TableModel::releveColumn(1), TableModel::releveColumn(kSize));
            const std::vector<int> rows = TableClipboard::shownRows(grid, model.speciesRow(1), model.speciesRow(kSize));
            const TableClipboard::Block block = byLayer ? TableClipboard::layerBlock(model, columns, rows, QStringLiteral("T1T2S1S2H1H2 M"))
                                                        : TableClipboard::cellBlock(grid, columns, rows);
            const QString plain = TableClipboard::plainText(block);
            const QByteArray html = TableClipboard::htmlText(block).toUtf8();
            const auto t1 = std::chrono::steady_clock::now();
            best = std::min(best, std::chrono::duration<double, std::milli>(t1 - t0).count());
            plainSize = plain.size();
            htmlSize = html.size();
            lines = block.size();
        }
        std::printf("%s of 1,000 x 1,000 cells: %.1f ms (best of 3); %zu lines, text %lld characters, HTML %lld bytes\n",
                    byLayer ? "copy by layer" : "copy", best, lines, static_cast<long long>(plainSize),
                    static_cast<long long>(htmlSize));
        // The block must be whole: a header line and two lines per three species by layer.
        const std::size_t expected = byLayer ? 1 + kSize + kSize / 3 : kSize;
        if (lines != expected) {
            std::printf("wrong number of lines: %zu, expected %zu\n", lines, expected);
            return 1;
        }
    }
    return 0;
}
