#pragma once

#include <QString>

#include <vector>

namespace Zelkor {

class CellGrid;
class TableModel;

/// A block of the composition table as the clipboard carries it to spreadsheets and word
/// processors: the same texts as tab-separated plain text and as an HTML table.
///
/// Plain text: the cells of a row are separated by tabs and every row ends with CR LF, as
/// spreadsheets write and read their own clipboard; a cell holding a tab, a line break or a
/// double quote is put in double quotes with its quotes doubled ("5"" 2" for 5" 2), so that
/// it stays one cell. HTML: a UTF-8 document with one <td> per cell, its text escaped, line
/// breaks as <br>.
class TableClipboard
{
public:
    /// The texts of a block, row by row. Rows may differ in length; a missing cell is empty.
    using Block = std::vector<std::vector<QString>>;

    /// The block as tab-separated text.
    static QString plainText(const Block &block);
    /// The block as an HTML document holding one table.
    static QString htmlText(const Block &block);

    /// The rows first..last / columns first..last of grid that show, in order: a row lower or a
    /// column narrower than two pixels (the index row and column, the hidden rows and columns)
    /// is left out. The range is clamped to the grid.
    static std::vector<int> shownRows(const CellGrid &grid, int first, int last);
    static std::vector<int> shownColumns(const CellGrid &grid, int first, int last);

    /// The texts of the given rows and columns of grid as the grid shows them.
    static Block cellBlock(const CellGrid &grid, const std::vector<int> &columns, const std::vector<int> &rows);

    /// The cover codes of the species rows among rows in the relevé columns among columns, one
    /// line per species and layer: a header line of the relevés' labels (the label row, or the
    /// running number when it is empty) after an empty corner cell, then for every species and
    /// every layer in which it has a code in one of these relevés a line "name layer" with the
    /// layer's print text in each relevé ("2.3", "+", "r"; empty where it has none). layerNames
    /// holds two characters per layer, T1 first. Species without a code here, comment rows and
    /// the columns and rows outside the table are left out.
    static Block layerBlock(const TableModel &model, const std::vector<int> &columns, const std::vector<int> &rows,
                            const QString &layerNames);
};

} // namespace Zelkor
