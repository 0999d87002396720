#pragma once

#include "platform/cellgrid.h"
#include "platform/editjournal.h"
#include "platform/userinterface.h"
#include "table/bytedataset.h"
#include "table/covertable.h"
#include "table/headeritems.h"

#include <QString>
#include <vector>

namespace Zelkor {

/// The composition table: the grid of text cells with its hidden index row 0 and column 0, the
/// counts and capacities, the cover codes and the per-species and per-relevé statistics.
///
/// Layout: column 0 holds header-item numbers and species indexes, column 1 species running
/// numbers, column 2 names and labels, column 3 frequencies; relevé i is column i + 3. Row 0 holds
/// relevé indexes, row 1 relevé running numbers, rows 2 .. headerRows()-1 the other header items,
/// row headerRows() the species numbers of the relevés; species j is row headerRows() + j.
/// The cover codes are addressed by the hidden indexes, the statistics by display position.
class TableModel
{
public:
    /// The largest relevé or species capacity the table grows to; beyond it growing fails as
    /// when memory runs out.
    static constexpr int MaxCapacity = 1000000;
    /// At most this many search marks are kept.
    static constexpr int MaxSearchHits = 20;

    TableModel();

    // --- Grid positions ---------------------------------------------------------------------
    /// Column 0 holds the species' hidden indexes and the header rows' item numbers, column 1
    /// the species' running numbers, column 2 the names and labels, column 3 the frequencies.
    static constexpr int IndexColumn = 0;
    static constexpr int NumberColumn = 1;
    static constexpr int NameColumn = 2;
    static constexpr int FrequencyColumn = 3;
    /// Row 0 holds the relevés' hidden indexes, row 1 their running numbers (header item 1),
    /// row 2 the values of the next header item, which label the relevés in the matrices and
    /// the score table.
    static constexpr int IndexRow = 0;
    static constexpr int NumberRow = 1;
    static constexpr int LabelRow = 2;
    /// The grid column of relevé i (from 1), and the relevé of grid column c.
    static constexpr int FirstReleveColumn = FrequencyColumn + 1;
    static constexpr int releveColumn(int i) { return FirstReleveColumn - 1 + i; }
    static constexpr int releveOfColumn(int c) { return c - (FirstReleveColumn - 1); }
    /// The grid row of species j (from 1); the species numbers ("F＼N") are in the row above
    /// the first.
    int speciesRow(int j) const { return m_headerRows + j; }
    int speciesNumberRow() const { return m_headerRows; }

    CellGrid &grid() { return m_grid; }
    const CellGrid &grid() const { return m_grid; }
    CoverTable &coverData() { return m_cover; }
    const CoverTable &coverData() const { return m_cover; }

    int speciesCount() const { return m_speciesCount; }
    int releveCount() const { return m_releveCount; }
    int headerRows() const { return m_headerRows; }
    int maxSpecies() const { return m_maxSpecies; }
    int maxReleves() const { return m_maxReleves; }
    void setSpeciesCount(int n) { m_speciesCount = n; }
    void setReleveCount(int n) { m_releveCount = n; }
    void setHeaderRows(int n) { m_headerRows = n; }
    /// Sets both capacities and sizes the arrays to them (statistics zeroed, cover codes kept
    /// within the new bounds). Used by the table file reader.
    void setCapacities(int maxReleves, int maxSpecies);

    /// Frequency of the species in display row headerRows()+k (k = 1..maxSpecies()).
    int speciesFreq(int k) const;
    /// Number of species of the relevé in display column k+3 (k = 1..maxReleves()).
    int releveSpCount(int k) const;
    /// The relevés among positions first..last (within the table) that hold species, and the
    /// species rows that hold entries: empty columns separate groups and rows without entries are
    /// comments, neither is a relevé or a species. The counts come from the numbers last
    /// recomputed.
    int relevesWithSpecies(int first, int last) const;
    int relevesWithSpecies() const { return relevesWithSpecies(1, m_releveCount); }
    int speciesWithEntries() const;
    /// Scratch line of the outputs: codes of relevé k for the species row being written.
    std::vector<ByteDataSet> &releveLayerLine() { return m_releveLayerLine; }

    /// The relevé's DataScaleK / DataScaleD of the cover encoding (5 and 2 by default).
    int dataScaleK() const { return m_dataScaleK; }
    int dataScaleD() const { return m_dataScaleD; }
    void setDataScaleK(int k) { m_dataScaleK = k; }
    void setDataScaleD(int d) { m_dataScaleD = d; }

    /// The grid's font (its point size gives the column widths and row heights).
    const FontSpec &tableFont() const { return m_tableFont; }
    void setTableFont(const FontSpec &font) { m_tableFont = font; }

    /// Search marks, in search order.
    const std::vector<GridCell> &searchHits() const { return m_searchHits; }
    /// Adds a mark unless MaxSearchHits are already there.
    void addSearchHit(int col, int row);
    void clearSearchHits() { m_searchHits.clear(); }

    /// Whether the table changed since it was last saved, loaded or cleared. Every command that
    /// changes cells, cover codes, the order of rows or columns, comments or the title sets it;
    /// saving, loading and clearing reset it. The commands that would discard the table ask
    /// before they do when it is set.
    bool isModified() const { return m_modified; }
    void setModified(bool modified) { m_modified = modified; }

    /// While a journal is attached, every change of the grid's cells and order, of the cover
    /// codes and of the counts, capacities and scales records how to take it back.
    void attachJournal(EditJournal *journal);
    /// The counts, capacities and scales: what an edit may change beside the grid and the codes.
    struct Shape
    {
        int speciesCount = 0;
        int releveCount = 0;
        int headerRows = 0;
        int maxSpecies = 0;
        int maxReleves = 0;
        int dataScaleK = 0;
        int dataScaleD = 0;
        bool operator==(const Shape &) const = default;
    };
    Shape shape() const;
    /// Sets the counts, capacities and scales (recorded in the journal attached); the grid and
    /// the codes stay. recountStatistics() then sizes and fills the statistics again.
    void restoreShape(const Shape &shape);
    /// The species frequencies and the relevés' species numbers counted again from the grid,
    /// without writing any cell (after an edit was taken back).
    void recountStatistics();

    /// Lowers the capacity growth stops at (MaxCapacity by default), as when memory runs out.
    void setCapacityLimit(int limit) { m_capacityLimit = limit; }

    /// Resets capacities (23 relevés, 127 species), counts, statistics, scales and search marks.
    void initTableArrays();
    /// Empties the table and lays it out afresh from the items' layout flags; the blank table
    /// counts as unchanged.
    void clearTable(HeaderItems &items);
    /// Applies the font sizes; relabels the header rows (a table exists: relevés or species
    /// rows) or lays them out from the layout flags (no rows at all).
    void reNewTable(HeaderItems &items);
    /// Grows the relevé capacity in steps of 8 until relevé mc fits; false (nothing changed)
    /// when that cannot be done.
    bool addCol(int mc);
    /// Grows the species capacity in steps of 16 until species mr fits; false as addCol.
    bool addRow(int mr);
    /// Recomputes the species numbers of the relevés and the relevé running numbers.
    void checkTableNumber();
    /// Recomputes the species frequencies and the species running numbers.
    void checkSpeciesNumber();
    /// Both recomputations, relevés first.
    void recomputeFrequencies();
    /// What appending relevés and species rows (an extraction) may change in the table, kept to
    /// take them out again: the counts and capacities, the grid's size and the cells of the
    /// spare columns and rows.
    struct AppendMark
    {
        int releveCount = 0;
        int speciesCount = 0;
        int maxReleves = 0;
        int maxSpecies = 0;
        int colCount = 0;
        int rowCount = 0;
        struct Cell
        {
            int col;
            int row;
            QString text;
        };
        std::vector<Cell> spareCells;
    };
    /// The table before relevés are appended to it.
    AppendMark markAppend() const;
    /// Takes out what was appended since mark: the relevé columns and species rows after the
    /// counts of then, with their cells, names and cover codes. The spare columns and rows, the
    /// capacities and the counts are as they were, so the table is the one of mark again.
    void takeOutAppended(const AppendMark &mark);

    /// Removes the species row srow; its index goes to the first spare row with zeroed codes.
    /// False (nothing done) when srow is not a species row in use.
    bool deleteRow(int srow);
    /// Removes the relevé column scol; its index goes to the first spare column with zeroed
    /// codes. False (nothing done) when scol is not a relevé column in use.
    bool deleteColumn(int scol);

    /// The hidden relevé index of grid column col / species index of grid row row; -1 when the
    /// index cell does not hold a number.
    int releveIndexAt(int col) const;
    int speciesIndexAt(int row) const;
    /// How many cells (a relevé and a species) of the table's relevés hold a layer code outside
    /// the cover scale (isCoverCodeOfTheScale()).
    qint64 cellsOutsideTheScale() const;

    /// n right-aligned in 4 characters; a longer text keeps its first 4 ("1234" for 12345).
    static QString num4Text(int n);
    /// A whole decimal index number in text (blanks around allowed); -1 when it is none or
    /// beyond MaxCapacity.
    static int indexFromText(const QString &text);
    /// Default column width and row height of the grid for a font of pointSize points.
    static int defaultColWidthFor(int pointSize);
    static int defaultRowHeightFor(int pointSize);

private:
    CellGrid m_grid;
    CoverTable m_cover;
    std::vector<int> m_speciesFreq;
    std::vector<int> m_releveSpCount;
    std::vector<ByteDataSet> m_releveLayerLine;
    std::vector<GridCell> m_searchHits;
    FontSpec m_tableFont{QStringLiteral("ＭＳ 明朝"), 9};
    int m_speciesCount = 0;
    int m_releveCount = 0;
    int m_headerRows = 31;
    int m_maxSpecies = 127;
    int m_maxReleves = 23;
    int m_dataScaleK = 5;
    int m_dataScaleD = 2;
    int m_capacityLimit = MaxCapacity;
    bool m_modified = false;
    JournalLink m_journal;
};

} // namespace Zelkor
