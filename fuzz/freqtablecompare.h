#pragma once

// What the fuzz targets of the constancy window's readers share: comparing two windows.

#include "analysis/freqtablemodel.h"

namespace Zelkor::Fuzz {

/// Whether two windows hold the same caption and cells.
inline bool sameTable(const FreqTableModel &a, const FreqTableModel &b)
{
    const CellGrid &x = a.grid();
    const CellGrid &y = b.grid();
    if (a.caption() != b.caption() || x.rowCount() != y.rowCount() || x.colCount() != y.colCount()
        || x.storedCellCount() != y.storedCellCount())
        return false;
    bool same = true;
    for (int r = 0; r < x.rowCount(); ++r)
        x.forEachInRow(r, [&](int c, const QString &text) { same = same && y.cell(c, r) == text; });
    return same;
}

} // namespace Zelkor::Fuzz
