#pragma once

#include "database/coverscale.h"
#include "database/importedtable.h"
#include "table/headeritems.h"

#include <QByteArray>
#include <QString>

namespace Zelkor {

class Feedback;

/// A composition table kept in a spreadsheet, saved as CSV, in the shape our workbook writes:
///  - an optional title line: a text in column A and nothing else;
///  - header rows: in column A the label of a header item as the settings name it (or "項目N"),
///    in each relevé's column its value; the row of item 1 (running numbers) is recomputed and
///    its values ignored; the row labelled as item 30 holds the species numbers, which are
///    recomputed too, and may carry "出現頻度" over a frequency column, which is ignored;
///  - species rows: the name in column A, in column B the layer label(s) (one per line of the
///    cell, an apostrophe in front allowed), in each relevé's column the cover texts of those
///    layers, one per line; a row without layer labels and codes is a comment row.
/// Relevé i is column i + 2 (C is relevé 1); when there are header rows, the relevés reach as
/// far as their values. An empty column separates groups and stays one. Two rows of the same
/// name are one species when their layers differ.
///
/// The file may be UTF-8 (with or without a byte-order mark), Shift-JIS (CP932) or UTF-16 with
/// a byte-order mark; the separator (comma, semicolon or tab) is found from the first records;
/// fields are quoted as RFC 4180 has it, line breaks in quoted fields included. Every fault is
/// reported with its line and column, and then nothing is read.
class WideTableCsv
{
public:
    struct Options
    {
        CoverScale scale = CoverScale::Codes;
        /// Header rows may name any item 1..30, not only those of the layout (a database carries
        /// them all).
        bool anyItem = false;
    };

    /// The file types of the open dialog ("label|pattern").
    static QString nameFilter() { return QStringLiteral("表計算の表 CSV (*.csv;*.txt;*.tsv)|*.csv;*.txt;*.tsv"); }
    /// Files larger than this are refused.
    static constexpr qint64 MaxBytes = qint64(1) << 30;

    /// items: the header items whose labels (and layout) the header rows are matched with;
    /// layerNames: the settings' layer labels, two characters per layer, T1 first.
    WideTableCsv(const HeaderItems &items, const QString &layerNames, Options options);

    /// Reads fileName into *table (replaced only on success). False with errorString().
    /// feedback (if given) is told each record; cancelled, false with
    /// Feedback::canceledMessage().
    bool read(const QString &fileName, ImportedTable *table, Feedback *feedback = nullptr);
    /// The same for the file's bytes; shownName names the file in messages.
    bool readData(const QByteArray &data, const QString &shownName, ImportedTable *table,
                  Feedback *feedback = nullptr);

    QString errorString() const { return m_error; }
    /// What the last read found: the encoding's name and the separator.
    QString encodingName() const { return m_encoding; }
    char separator() const { return m_separator; }

    /// The spreadsheet's name of a column (1 "A", 27 "AA").
    static QString columnLetters(int column);

private:
    HeaderItems m_items;
    QString m_layerNames;
    Options m_options;
    QString m_error;
    QString m_encoding;
    char m_separator = ',';
};

} // namespace Zelkor
