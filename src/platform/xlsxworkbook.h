#pragma once

#include <QByteArray>
#include <QString>

#include <memory>

class QTemporaryDir;
struct lxw_format;
struct lxw_workbook;
struct lxw_worksheet;

namespace Zelkor {

/// A spreadsheet workbook of one sheet in the ".xlsx" format (Office Open XML), told what to hold
/// the way a spreadsheet application is told: a value for a cell, the cell's alignments, then
/// "save as" and close. Cells are addressed (row, column) from 1 and sent row by row: once a
/// later row has been addressed, the cells of earlier rows are finished.
///
/// A text value with a leading apostrophe is stored as text, without the apostrophe; a text that
/// reads as a number and gives the same text back (blanks around it aside) is stored as a
/// number; any other text is stored as text, never as a formula.
///
/// The workbook is built in a temporary folder; saveAs() replaces an existing file only when the
/// whole workbook was written, so a failure leaves the old file as it was.
class XlsxWorkbook
{
public:
    /// The largest sheet the format holds.
    static constexpr int MaxRows = 1048576;
    static constexpr int MaxColumns = 16384;

    XlsxWorkbook();
    /// Discards a workbook that was not saved.
    ~XlsxWorkbook();
    XlsxWorkbook(const XlsxWorkbook &) = delete;
    XlsxWorkbook &operator=(const XlsxWorkbook &) = delete;

    /// A new workbook with one empty sheet; false with errorString() when it cannot be made.
    bool add();

    /// The value of cell (row, column): a text (see the class comment) or a whole number.
    void setValue(int row, int column, const QString &value);
    void setValue(int row, int column, int value);
    /// Aligns the cell's contents to its top edge.
    void setVerticalAlignmentTop(int row, int column);
    /// Centres the cell's contents horizontally.
    void setHorizontalAlignmentCenter(int row, int column);

    /// Writes the workbook to fileName, replacing an existing file only when the workbook was
    /// written whole. False with errorString() when a cell could not be stored or the file could
    /// not be written; the workbook is closed in either case.
    bool saveAs(const QString &fileName);
    /// Closes the workbook; one not saved is discarded.
    void close();

    /// Whether a call failed since add(); the calls after it are ignored.
    bool failed() const { return !m_error.isEmpty(); }
    /// What failed, in Japanese.
    QString errorString() const { return m_error; }

private:
    // The cell being told its value and alignments; stored when another cell is addressed.
    struct Cell
    {
        int row = 0;
        int column = 0;
        enum Kind { Nothing, Text, Number } kind = Nothing;
        QByteArray text;      // UTF-8, from textOffset on
        int textOffset = 0;
        double number = 0;
        bool top = false;
        bool center = false;
    };

    /// Makes (row, column) the cell being told, storing the one before; false after a failure.
    bool address(int row, int column);
    /// Stores the pending cell in the sheet.
    void storeCell();
    void fail(const QString &error);
    /// UTF-8 of text, kept for the next cell when the same text comes again.
    const QByteArray &utf8(const QString &text);

    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_path;
    QByteArray m_dirName;
    lxw_workbook *m_workbook = nullptr;
    lxw_worksheet *m_sheet = nullptr;
    lxw_format *m_formats[8] = {}; // by top alignment (1), centring (2), wrapped lines (4)
    Cell m_cell;
    int m_lastRow = 0;
    QString m_lastText;
    QByteArray m_lastUtf8;
    QString m_error;
};

} // namespace Zelkor
