#include "output/tableworkbook.h"

#include "platform/feedback.h"
#include "platform/texthelpers.h"
#include "platform/xlsxworkbook.h"
#include "table/covercode.h"
#include "table/headeritems.h"
#include "table/tablemodel.h"

#include <algorithm>
#include <vector>

namespace Zelkor {

namespace {

// Layers whose only entries are the marks "*" (7) and "e" (8) are not shown as layers.
bool countsForLayer(quint8 code)
{
    return code != 0 && code != 7 && code != 8;
}

// A text the spreadsheet stores as text, whatever it looks like.
const QChar kTextMark = QLatin1Char('\'');

// A text of the user's, which may begin with an apostrophe of its own ("'93 survey"): such a one
// gets the mark in front, so that the workbook keeps the apostrophe instead of taking it for one.
QString userText(const QString &text)
{
    return text.startsWith(kTextMark) ? kTextMark + text : text;
}

} // namespace

TableWorkbook::TableWorkbook(const TableModel &model, const HeaderItems &items, TableLayoutOptions options)
    : m_model(model)
    , m_items(items)
    , m_options(std::move(options))
{
}

bool TableWorkbook::write(const QString &fileName, Feedback *feedback)
{
    m_error.clear();
    const OutputRange &range = m_options.range;
    const int firstReleve = range.firstReleve;
    const int lastReleve = range.lastReleve;
    const int releves = std::max(0, lastReleve - firstReleve + 1);
    // Without a relevé in the range there is nothing to take a frequency of.
    const bool frequency = m_options.frequency && releves > 0;
    const int lastColumn = releves > 0 ? lastReleve + 2 + (frequency ? 1 : 0) : 2;
    if (lastColumn > XlsxWorkbook::MaxColumns) {
        m_error = QStringLiteral("ワークシートは %1 列までです。測定 %2 以降は入りません。測定の出力範囲を狭めて下さい。")
                      .arg(XlsxWorkbook::MaxColumns)
                      .arg(XlsxWorkbook::MaxColumns - 2 - (frequency ? 1 : 0) + 1);
        return false;
    }
    const int releveCount = m_model.releveCount();
    // The frequency counts the relevés of the range, not its empty separator columns.
    const int occupied = m_model.relevesWithSpecies(firstReleve, lastReleve);
    const CellGrid &grid = m_model.grid();
    const int headerRows = m_model.headerRows();
    auto releveCell = [&](int i, int row) {
        return i >= 1 && i <= releveCount && row >= 0 ? grid.cell(TableModel::releveColumn(i), row) : QString();
    };

    XlsxWorkbook book;
    if (!book.add()) {
        m_error = book.errorString();
        return false;
    }
    int sheetRow = 1;
    book.setValue(sheetRow, 1, userText(m_options.title));

    // The header rows: item 1 as numbers, the selected items of the layout, the species numbers.
    if (m_items[1].selected) {
        ++sheetRow;
        Feedback::advance(feedback, 1);
        book.setValue(sheetRow, 1, userText(grid.cell(TableModel::NameColumn, TableModel::NumberRow)));
        // Numbered as the text layout numbers them: an empty column separates groups and
        // takes no number.
        int serial = firstReleve - 1;
        for (int i = firstReleve; i <= lastReleve; ++i)
            if (i >= 1 && i <= releveCount && m_model.releveSpCount(i) > 0)
                book.setValue(sheetRow, i + 2, ++serial);
    }
    std::vector<int> rowOfItem(HeaderItems::Count + 1, -1);
    for (int q = 1; q < headerRows; ++q) {
        const int n = TableModel::indexFromText(grid.cell(TableModel::IndexColumn, q));
        if (n >= 1 && n <= HeaderItems::Count && rowOfItem[std::size_t(n)] < 0)
            rowOfItem[std::size_t(n)] = q;
    }
    for (int n = 2; n < HeaderItems::Count; ++n) {
        const int r = rowOfItem[std::size_t(n)];
        if (r < 0 || !m_items[n].layout || !m_items[n].selected)
            continue;
        ++sheetRow;
        Feedback::advance(feedback, n);
        book.setValue(sheetRow, 1, userText(grid.cell(TableModel::NameColumn, r)));
        // The values without the blanks that pad them in the grid; a blank value is no cell.
        for (int i = firstReleve; i <= lastReleve; ++i) {
            const QString value = trimBlanks(releveCell(i, r));
            if (!value.isEmpty())
                book.setValue(sheetRow, i + 2, userText(value));
        }
    }
    // The species numbers counted in the table, under item 30's label (its row's, when laid out).
    ++sheetRow;
    Feedback::advance(feedback, HeaderItems::Count);
    const int row30 = rowOfItem[HeaderItems::Count];
    book.setValue(sheetRow, 1, userText(row30 > 0 ? grid.cell(TableModel::NameColumn, row30) : m_items[HeaderItems::Count].label));
    for (int i = firstReleve; i <= lastReleve; ++i) {
        const QString number = trimBlanks(releveCell(i, m_model.speciesNumberRow()));
        if (!number.isEmpty())
            book.setValue(sheetRow, i + 2, number);
    }
    // The frequency column's heading.
    if (frequency) {
        book.setValue(sheetRow, lastReleve + 3, QStringLiteral("出現頻度"));
        book.setHorizontalAlignmentCenter(sheetRow, lastReleve + 3);
    }

    // The codes of the range by species index: relevé positions in increasing order.
    struct Entry
    {
        int releve;
        ByteDataSet codes;
    };
    std::vector<std::vector<Entry>> bySpecies(std::size_t(m_model.maxSpecies()) + 1);
    for (int i = firstReleve; i <= lastReleve; ++i) {
        if (i < 1 || i > releveCount)
            continue;
        m_model.coverData().forEachInReleve(m_model.releveIndexAt(TableModel::releveColumn(i)), [&](int s, const ByteDataSet &codes) {
            if (s > 0 && std::size_t(s) < bySpecies.size())
                bySpecies[std::size_t(s)].push_back(Entry{i, codes});
        });
    }

    const int scale = m_model.dataScaleD() == 1 ? 1 : 2;
    QString coverTexts[256];
    for (int v = 0; v < 256; ++v)
        coverTexts[v] = coverPrintText(quint8(v), scale);
    const std::vector<Entry> none;
    const int firstSpecies = std::max(range.firstSpecies, 1);
    const int lastSpecies = std::min(range.lastSpecies, m_model.speciesCount());
    QString text;
    for (int j = firstSpecies; j <= lastSpecies && !book.failed(); ++j) {
        const int row = m_model.speciesRow(j);
        ++sheetRow;
        // The workbook is built in a folder of its own: dropping it leaves no file.
        if (!Feedback::advance(feedback, sheetRow)) {
            m_error = Feedback::canceledMessage();
            return false;
        }
        const int s = m_model.speciesIndexAt(row);
        const std::vector<Entry> &entries = s > 0 && std::size_t(s) < bySpecies.size() ? bySpecies[std::size_t(s)] : none;
        int layers[7];
        int present = 0;
        for (int k = 0; k < 7; ++k) {
            const bool shown = std::any_of(entries.begin(), entries.end(),
                                           [k](const Entry &e) { return countsForLayer(e.codes[std::size_t(k)]); });
            if (shown)
                layers[present++] = k;
        }
        auto joined = [&](auto part) {
            QString out(kTextMark);
            for (int p = 0; p < present; ++p) {
                if (p > 0)
                    out += QLatin1Char('\n');
                out += part(layers[p]);
            }
            return out;
        };

        book.setValue(sheetRow, 1, userText(grid.cell(TableModel::NameColumn, row)));
        book.setVerticalAlignmentTop(sheetRow, 1);
        book.setValue(sheetRow, 2, joined([&](int k) { return m_options.layerNames.mid(2 * k, 2).leftJustified(2); }));
        // A relevé without the species shows the text of code 0 in each of its layers.
        const QString absent = joined([&](int) { return coverTexts[0]; });
        auto entry = entries.begin();
        for (int i = firstReleve; i <= lastReleve; ++i) {
            while (entry != entries.end() && entry->releve < i)
                ++entry;
            if (entry != entries.end() && entry->releve == i) {
                const ByteDataSet &codes = entry->codes;
                text = joined([&](int k) { return coverTexts[codes[std::size_t(k)]]; });
                book.setValue(sheetRow, i + 2, text);
            } else {
                book.setValue(sheetRow, i + 2, absent);
            }
            book.setHorizontalAlignmentCenter(sheetRow, i + 2);
        }
        if (frequency) {
            // The relevés of the range the species is found in, counted as the table counts its
            // frequencies: a count of the whole table over the range's relevés could pass 100 %.
            const int found = grid.countInRow(row, TableModel::releveColumn(std::max(firstReleve, 1)),
                                            TableModel::releveColumn(std::min(lastReleve, releveCount)));
            const int percent = TableLayout::roundedPercent(found, occupied);
            book.setValue(sheetRow, lastReleve + 3, QString::number(percent).rightJustified(4, QLatin1Char(' ')));
            book.setHorizontalAlignmentCenter(sheetRow, lastReleve + 3);
        }
    }

    if (!book.saveAs(fileName)) {
        m_error = book.errorString();
        return false;
    }
    return true;
}

} // namespace Zelkor
