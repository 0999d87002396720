#pragma once

#include <QString>
#include <QStringList>

namespace Zelkor {

class CellGrid;
class FreqTableModel;

/// The printout of the second window's table, as lines for the printer's text stream. Widths
/// count Shift-JIS bytes (a full-width character takes two, like two columns of the fixed-pitch
/// print font); a field is cut without splitting a character and padded with blanks.
class FreqTablePrint
{
public:
    /// Width of the label field.
    static constexpr int LabelBytes = 28;

    /// The lines to print: the caption, then the grid. A constancy table (tool panel shown) prints
    /// each row as the label in 28 bytes and every group cell in columnBytes(), or in
    /// fidelityColumnBytes() when its cells carry the fidelity; a score table
    /// prints the species name in 28 bytes, its score right-aligned in 5, three blanks, the
    /// relevé label in 7 and its score in 5.
    static QStringList lines(const FreqTableModel &model);

    /// Bytes of a group column: 3 when column 0 is at least six times as wide as column 1 (a
    /// table of classes only), 7 otherwise (classes with cover ranges).
    static int columnBytes(const CellGrid &grid);

    /// Bytes of a group column of a table with the fidelity: one more than its widest cell
    /// after column 0 (at least 3), so that no cell is cut.
    static int fidelityColumnBytes(const CellGrid &grid);

    /// The printer font's height in printer pixels for a font of pointSize points on a printer
    /// of dotsPerInch: the negative of pointSize × dotsPerInch / 72, taken down (a negative
    /// height asks for the character height without the leading).
    static int printerFontHeight(int pointSize, int dotsPerInch);

    /// text cut to at most bytes Shift-JIS bytes and padded with blanks on the right to bytes.
    static QString field(const QString &text, int bytes);
};

} // namespace Zelkor
