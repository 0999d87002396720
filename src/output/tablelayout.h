#pragma once

#include "platform/linesink.h"
#include "table/outputrange.h"

#include <QString>

#include <vector>

namespace Zelkor {

class Feedback;
class HeaderItems;
class TableModel;
struct Settings;

/// What the publication layout takes from the output panel and the settings.
struct TableLayoutOptions
{
    QString title;             ///< the table title of the first page
    OutputRange range;         ///< relevés and species to write
    bool frequency = false;    ///< "出現頻度": the frequency column on the page that ends at the last relevé
    bool oneTimeApart = false; ///< "出現１回の種を別書": species found once listed after the body
    QString layerNames = QStringLiteral("T1T2S1S2H1H2 M"); ///< two characters per layer

    /// The options of an output of range with title, the frequency and single-occurrence boxes
    /// and the layer names of settings: what the output panel and the batch command both hand
    /// to the layouts.
    static TableLayoutOptions make(const QString &title, const OutputRange &range, const Settings &settings);
};

/// The publication layout of the composition table: a fixed-pitch listing in which the relevés
/// run across in columns five characters wide and every species takes one line per vegetation
/// layer it occurs in, under the site attributes of the relevés. Relevés that do not fit across
/// continue on further pages headed "続き"; only the first page carries the 32-character field
/// of labels and names, so the later pages take six more relevés.
///
/// The same lines go to the text file and to the printer; they differ only in the page
/// allowance W (a page holds up to W + 1 relevés, later pages W + 7).
///
/// A page whose running numbers reach 100,000 has wider columns (one blank and the digits of
/// its last column's number), and holds as many fewer relevés as keeps its lines as long as a
/// page of five-character columns: no number runs into its neighbour.
class TableLayout
{
public:
    /// The page allowance of the text file.
    static constexpr int TextFileAllowance = 45;

    /// The first and last relevé of one page (table column numbers).
    struct Page
    {
        int first;
        int last;
        bool operator==(const Page &) const = default;
    };

    /// A layout of model's table with the header items' labels, layout and selection flags.
    /// model and items must outlive the layout.
    TableLayout(const TableModel &model, const HeaderItems &items, TableLayoutOptions options);

    /// The pages of the relevé range for the page allowance wc. When the frequency column is
    /// wanted and the last page would be full, its last relevé goes to a page of its own, so
    /// that the column fits the page's width.
    std::vector<Page> pages(int wc) const;

    /// Writes every page of the table to sink: title, rules, the running numbers, the selected
    /// header items, the species rows firstSpecies..lastSpecies (table row numbers) and, on the
    /// first page, the list of species found once. Pages are separated by a form-feed line.
    /// feedback (if given) is told each page's number; cancelled, the layout stops where it is.
    void printTable(LineSink &sink, int wc, int firstSpecies, int lastSpecies, Feedback *feedback = nullptr) const;

    /// The width of the relevé columns of a page whose last column is lastColumn: 5 while the
    /// numbers have at most five digits, else one more than the digits of lastColumn (no running
    /// number on the page is larger).
    static int columnWidth(int lastColumn);

    /// The rule line of a layout width w: w / 2 (halves to the even number) characters "─".
    static QString ruleLine(int width);
    /// count out of total in percent, rounded to the nearest whole number (halves to the even
    /// one); 0 when total is 0.
    static int roundedPercent(int count, int total);

private:
    struct Context;
    void writePage(LineSink &sink, Context &context, const Page &page, bool firstPage) const;
    void printOneTimeSp(LineSink &sink, const Context &context) const;
    QString layerLabel(int layer) const;
    QString coverText(quint8 code) const;

    const TableModel &m_model;
    const HeaderItems &m_items;
    TableLayoutOptions m_options;
};

} // namespace Zelkor
