#pragma once

namespace Zelkor {

class TableModel;

/// Hiding parts of the composition table for a while. Only row heights and column widths
/// change; every cell keeps its text, and the parts come back at the grid's default size.
class TableHiding
{
public:
    /// Hides a block of species rows r1..r2 and relevé columns c1..c2 (table positions, kept
    /// within the grid's rows and columns below and right of the fixed area). A block of three
    /// or more rows shows as two thin lines: row r1 1 pixel high, the rows between hidden, row r2
    /// at height 0. A block of three or more columns shows as one thin line: column c1 1 pixel
    /// wide, the others hidden. A block of one or two rows (columns) leaves the rows (columns).
    static void hideTableRC(TableModel &model, int c1, int c2, int r1, int r2);
    /// Gives every species row and relevé column of the grid, spare ones included, its default
    /// size again, whatever hid it.
    static void showAllRC(TableModel &model);
    /// Hides the site-attribute rows from grid row 3 down to the last header-item row: row 3 at
    /// height 0, the rest hidden. Grid rows 0..2 and the species-number row stay. A layout of
    /// fewer than three header items has no such rows, and nothing is hidden.
    static void hideSiteRows(TableModel &model);
    /// Gives the site-attribute rows from grid row 3 down their default height again.
    static void showSiteRows(TableModel &model);
};

} // namespace Zelkor
