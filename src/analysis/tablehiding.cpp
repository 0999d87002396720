#include "analysis/tablehiding.h"

#include "table/tablemodel.h"

#include <algorithm>

namespace Zelkor {

namespace {
// The first relevé column of the grid.
// A hidden row or column takes no room at all; height 0 leaves its grid line.
constexpr int kHidden = -1;
} // namespace

void TableHiding::hideTableRC(TableModel &model, int c1, int c2, int r1, int r2)
{
    CellGrid &grid = model.grid();
    const int h = model.headerRows();
    // The fixed rows and columns are never hidden, and nothing beyond the grid.
    r1 = std::max(r1, 1);
    r2 = std::min(r2, grid.rowCount() - 1 - h);
    c1 = std::max(c1, 1);
    c2 = std::min(c2, TableModel::releveOfColumn(grid.colCount() - 1));
    if (r2 - r1 >= 2) {
        grid.setRowHeight(model.speciesRow(r1), 1);
        for (int r = r1 + 1; r <= r2 - 1; ++r)
            grid.setRowHeight(model.speciesRow(r), kHidden);
        grid.setRowHeight(model.speciesRow(r2), 0);
    }
    if (c2 - c1 >= 2) {
        grid.setColWidth(TableModel::releveColumn(c1), 1);
        for (int c = c1 + 1; c <= c2; ++c)
            grid.setColWidth(TableModel::releveColumn(c), kHidden);
    }
}

void TableHiding::showAllRC(TableModel &model)
{
    // A block may reach into the spare rows and columns, and rows or columns deleted after a
    // hide leave their sizes behind at the end of the table: those come back too, so that a
    // species or relevé put there later is never out of sight.
    CellGrid &grid = model.grid();
    for (int r = model.speciesRow(1); r < grid.rowCount(); ++r)
        grid.setRowHeight(r, grid.defaultRowHeight());
    for (int c = TableModel::FirstReleveColumn; c < grid.colCount(); ++c)
        grid.setColWidth(c, grid.defaultColWidth());
}

void TableHiding::hideSiteRows(TableModel &model)
{
    // Only header-item rows: with fewer than three items, row 3 is the species-number row or a
    // species row.
    CellGrid &grid = model.grid();
    for (int r = 3; r < model.headerRows(); ++r)
        grid.setRowHeight(r, r == 3 ? 0 : kHidden);
}

void TableHiding::showSiteRows(TableModel &model)
{
    CellGrid &grid = model.grid();
    for (int r = 3; r < model.headerRows(); ++r)
        grid.setRowHeight(r, grid.defaultRowHeight());
}

} // namespace Zelkor
