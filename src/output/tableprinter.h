#pragma once

#include "platform/userinterface.h"

#include <QString>

namespace Zelkor {

class Feedback;
class PrinterStream;
class SimpleTableLayout;
class TableLayout;

/// The composition table on the printer's text stream, in the print font: the full print in the
/// publication layout, with as many relevés across as the paper and the font allow, and the
/// simplified print. Each print opens the stream (the job starts), writes every page and closes
/// it (the job is sent).
class TablePrinter
{
public:
    /// The page allowance W of the full print: the five-character relevé columns that fit the
    /// page width (columnWidth is the width of "01234") less eight (the label field), at least 0.
    static int fullAllowance(int pageWidth, int columnWidth);
    /// The page allowance of the simplified print: the two-character columns that fit (the
    /// width of "04") less four, at least 0.
    static int simpleAllowance(int pageWidth, int columnWidth);

    /// Prints layout's table, species rows firstSpecies..lastSpecies, in font on stream. False
    /// with errorString() when the printer could not be opened, the label field and one relevé
    /// column do not fit the page in that font (nothing is printed), or printing failed. feedback (if
    /// given) follows the pages; cancelled, the job is dropped (Feedback::canceledMessage()).
    bool printFull(const TableLayout &layout, int firstSpecies, int lastSpecies, const FontSpec &font,
                   PrinterStream &stream, Feedback *feedback = nullptr);
    /// Prints the simplified layout in font on stream; false with errorString() as printFull().
    bool printSimple(const SimpleTableLayout &layout, const FontSpec &font, PrinterStream &stream,
                     Feedback *feedback = nullptr);

    /// Why the last print failed, in Japanese.
    QString errorString() const { return m_error; }

private:
    /// Whether columnsNeeded columns of columnWidth fit the page; otherwise the job is dropped
    /// with a message naming the font size.
    bool fitsThePage(PrinterStream &stream, const FontSpec &font, int columnWidth, int columnsNeeded);
    /// Opens stream and sets the printer font; false with the error when it cannot be opened.
    bool begin(PrinterStream &stream, const FontSpec &font);
    /// Closes stream, or drops the job when feedback was cancelled; false with the error when
    /// printing failed or was cancelled.
    bool end(PrinterStream &stream, const Feedback *feedback);

    QString m_error;
};

} // namespace Zelkor
