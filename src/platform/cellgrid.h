#pragma once

#include "platform/editjournal.h"

#include <QString>

#include <cstddef>
#include <vector>

namespace Zelkor {

/// A grid cell address (column, row), both from 0.
struct GridCell
{
    int col = 0;
    int row = 0;
    bool operator==(const GridCell &) const = default;
};

/// The text cells of the composition table grid with its fixed areas, column widths and row
/// heights. Cells are addressed (column, row) from 0; every cell holds a text, empty by default.
/// Only non-empty cells are stored, row by row, so an empty cell costs no memory.
class CellGrid
{
public:
    /// While a journal is attached, every change of the cells, of their order, of the counts and
    /// of the fixed areas records how to take it back (sizes are view and are not recorded).
    void attachJournal(EditJournal *journal) { m_journal.attach(journal); }

    int colCount() const { return int(m_colWidths.size()); }
    int rowCount() const { return int(m_rows.size()); }
    /// Changes the number of columns or rows; cells beyond the new size are dropped, new columns
    /// and rows are empty and get the default size.
    void setColCount(int count);
    void setRowCount(int count);

    /// The text of cell (c, r); empty outside the grid.
    const QString &cell(int c, int r) const;
    bool isCellEmpty(int c, int r) const { return cell(c, r).isEmpty(); }
    /// Sets the text of cell (c, r); ignored outside the grid.
    void setCell(int c, int r, const QString &text);

    /// Empties every cell.
    void clearCells();
    /// Takes the cells of `cells` and its numbers of rows and columns in place of its own, leaving
    /// `cells` without any; the rows and columns kept keep their sizes, new ones get the default.
    void replaceCells(CellGrid &&cells);
    /// Empties every cell of row r / column c.
    void clearRow(int r);
    void clearColumn(int c);
    /// Empties the cells of columns c and beyond, in every row; the sizes stay.
    void clearColumnsFrom(int c);

    /// Moves the cells of row `from` to position `to`; the rows between shift by one. With
    /// withSize the row height travels too (a user's drag), otherwise heights stay by position.
    void moveRow(int from, int to, bool withSize = true);
    /// The same for columns.
    void moveColumn(int from, int to, bool withSize = true);
    /// Puts the rows first..last into the given order: row first+k receives old row order[k]
    /// (order holds every row of the range once). With withSize the heights travel with their
    /// rows, otherwise they stay by position (only the cells change places). The cells of column
    /// keepColumn (if any) stay by position too: running numbers, which count places.
    void permuteRows(int first, const std::vector<int> &order, bool withSize = true, int keepColumn = -1);
    /// The same for columns, row keepRow staying by position.
    void permuteColumns(int first, const std::vector<int> &order, bool withSize = true, int keepRow = -1);

    /// Number of non-empty cells of row r in columns c0..c1.
    int countInRow(int r, int c0, int c1) const;
    /// Calls f(column, text) for every non-empty cell of row r, in column order.
    template<typename F>
    void forEachInRow(int r, F f) const
    {
        if (r < 0 || r >= rowCount())
            return;
        for (const Entry &e : m_rows[std::size_t(r)])
            f(e.col, e.text);
    }

    // Fixed areas and sizes.
    int fixedCols() const { return m_fixedCols; }
    int fixedRows() const { return m_fixedRows; }
    void setFixedCols(int n);
    void setFixedRows(int n);
    int defaultColWidth() const { return m_defaultColWidth; }
    int defaultRowHeight() const { return m_defaultRowHeight; }
    /// Sets the default width and resets every column to it.
    void setDefaultColWidth(int width);
    /// Sets the default height and resets every row to it.
    void setDefaultRowHeight(int height);
    int colWidth(int c) const;
    int rowHeight(int r) const;
    void setColWidth(int c, int width);
    /// A height of 0 or less hides the row.
    void setRowHeight(int r, int height);

    /// Number of stored cells, and the bytes the cells take (text included).
    std::size_t storedCellCount() const;
    std::size_t memoryBytes() const;

private:
    struct Entry
    {
        int col;
        QString text;
    };
    using Row = std::vector<Entry>;
    Row::iterator findCol(Row &row, int c);
    struct Placed
    {
        int col;
        int row;
        QString text;
    };
    /// Records that the cells given are to come back (each through setCell()).
    void recordCells(std::vector<Placed> cells);
    JournalLink m_journal;
    std::vector<Row> m_rows;
    std::vector<int> m_rowHeights;
    std::vector<int> m_colWidths;
    int m_fixedCols = 0;
    int m_fixedRows = 0;
    int m_defaultColWidth = 64;
    int m_defaultRowHeight = 24;
};

} // namespace Zelkor
