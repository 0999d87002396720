#pragma once

#include "output/tablelayout.h"

#include <QString>

#include <functional>

namespace Zelkor {

class Feedback;
class HeaderItems;
class TableModel;

/// The composition table as a spreadsheet workbook (".xlsx"), one sheet, top to bottom:
///  - row 1: the title in column A;
///  - when item 1 is selected, its label and for relevé i of the range the number i;
///  - each selected header item 2..29 of the layout: its label and the relevés' values;
///  - always the species numbers of the relevés, under the label of item 30;
///  - one row per row of the species range (comments and species found once included): the name
///    in column A aligned to the top, the labels of the layers the species has in the range in
///    column B, one per line of the cell, and in each relevé's column the cover texts of those
///    layers, line by line, centred; with the frequency column, the frequency in percent of the
///    range's relevés (those of them the species is found in), centred, in the column after the
///    last relevé; without a relevé in the range there is no frequency column.
/// Relevé i always goes to column i + 2 (column C is relevé 1), whatever the range. The layer
/// labels and cover texts are texts even where they look like numbers.
class TableWorkbook
{
public:
    /// The file type of the save dialog ("label|pattern").
    static QString nameFilter() { return QStringLiteral("エクセル・ファイル(*.xlsx)|*.xlsx"); }

    /// A workbook of model's table with the items' labels and selection; the options give the
    /// title, the range, the frequency column and the layer names. model and items must outlive
    /// the object.
    TableWorkbook(const TableModel &model, const HeaderItems &items, TableLayoutOptions options);

    /// Writes the workbook to fileName; an existing file is replaced only when the workbook was
    /// written whole. False with errorString() (the old file left as it was) when the range does
    /// not fit a sheet or the file cannot be written. feedback (if given) is told the sheet row
    /// being written: the header item's number while the header rows are written, then the sheet
    /// row of each species row; cancelled, nothing is written (Feedback::canceledMessage()).
    bool write(const QString &fileName, Feedback *feedback = nullptr);

    /// Why the last write failed, in Japanese.
    QString errorString() const { return m_error; }

private:
    const TableModel &m_model;
    const HeaderItems &m_items;
    TableLayoutOptions m_options;
    QString m_error;
};

} // namespace Zelkor
