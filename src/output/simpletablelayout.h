#pragma once

#include "output/tablelayout.h"
#include "platform/linesink.h"

#include <QChar>
#include <QString>

namespace Zelkor {

class Feedback;

class HeaderItems;
class TableModel;

/// The simplified print of the composition table: an overview two characters per relevé, in
/// which every row of the species range takes one line and each cell shows only one mark, the
/// highest cover class of the species in that relevé. Above the species stand the relevés'
/// running numbers (their last two digits) and the relevé numbers of item 2 in blocks of two
/// characters on four lines. Relevés that do not fit across continue on further pages headed
/// "続き"; only the first page carries the 32-character field of labels and names. The layout
/// reads the grid's texts, not the cover codes.
class SimpleTableLayout
{
public:
    /// A layout of model's table with the header items' labels; the options give the title and
    /// the range (the other options do not apply). model and items must outlive the layout.
    SimpleTableLayout(const TableModel &model, const HeaderItems &items, TableLayoutOptions options);

    /// The pages of the relevé range for the page allowance wc: a page holds up to wc + 1
    /// relevés, later pages wc + 7.
    std::vector<TableLayout::Page> pages(int wc) const;

    /// Writes every page to sink; pages are separated by a form-feed line. feedback (if given)
    /// is told each page's number; cancelled, the layout stops where it is.
    void printTable(LineSink &sink, int wc, Feedback *feedback = nullptr) const;

    /// The mark of a cover cell's text: "e" when a layer shows "e", else its highest cover-class
    /// digit, else "+" for the classes + and r, else the dot "･" (nothing or blanks).
    static QChar cellMark(const QString &cellText);

private:
    void writePage(LineSink &sink, const TableLayout::Page &page, bool firstPage, Feedback *feedback) const;

    const TableModel &m_model;
    const HeaderItems &m_items;
    TableLayoutOptions m_options;
};

} // namespace Zelkor
