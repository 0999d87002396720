#include "output/simpletablelayout.h"

#include "platform/cp932.h"
#include "platform/feedback.h"
#include "platform/texthelpers.h"
#include "table/headeritems.h"
#include "table/tablemodel.h"

#include <algorithm>

namespace Zelkor {

namespace {

constexpr int kLabelWidth = 32;
constexpr int kNameBytes = 28;
constexpr int kColumnWidth = 2;
constexpr int kReleveNumberItem = 2;

// The Shift-JIS value of a character that takes one byte there: ASCII and the half-width
// katakana; -1 for a character of two bytes.
int singleByte(QChar c)
{
    const char16_t u = c.unicode();
    if (u < 0x80)
        return u;
    if (u >= 0xFF61 && u <= 0xFF9F)
        return u - 0xFF61 + 0xA1;
    return -1;
}

QChar fromSingleByte(int b)
{
    return b < 0x80 ? QChar(b) : QChar(char16_t(b - 0xA1 + 0xFF61));
}

// The last `bytes` bytes of text in Shift-JIS, without splitting a character.
QString lastBytes(const QString &text, int bytes)
{
    int used = 0;
    qsizetype from = text.size();
    while (from > 0) {
        const int n = Cp932::byteCount(text.mid(from - 1, 1));
        if (used + n > bytes)
            break;
        used += n;
        --from;
    }
    return text.mid(from);
}

} // namespace

SimpleTableLayout::SimpleTableLayout(const TableModel &model, const HeaderItems &items, TableLayoutOptions options)
    : m_model(model)
    , m_items(items)
    , m_options(std::move(options))
{
    // There is no frequency column to make room for.
    m_options.frequency = false;
}

QChar SimpleTableLayout::cellMark(const QString &cellText)
{
    // The highest single-byte character of the text, with r counted as +; a character of two
    // bytes cannot stand in a one-column mark and is passed over.
    int highest = 0;
    for (QChar c : Cp932::cutToBytes(cellText, kNameBytes)) {
        if (c == QLatin1Char('r'))
            c = QLatin1Char('+');
        highest = std::max(highest, singleByte(c));
    }
    return highest > '*' ? fromSingleByte(highest) : QChar(0xFF65);
}

std::vector<TableLayout::Page> SimpleTableLayout::pages(int wc) const
{
    return TableLayout(m_model, m_items, m_options).pages(wc);
}

void SimpleTableLayout::printTable(LineSink &sink, int wc, Feedback *feedback) const
{
    const std::vector<TableLayout::Page> all = pages(wc);
    for (std::size_t p = 0; p < all.size(); ++p) {
        if (!Feedback::advance(feedback, int(p) + 1))
            return;
        writePage(sink, all[p], p == 0, feedback);
        if (p + 1 < all.size())
            sink.writeLine(QStringLiteral("\f"));
    }
}

void SimpleTableLayout::writePage(LineSink &sink, const TableLayout::Page &page, bool firstPage,
                                  Feedback *feedback) const
{
    const int p1 = page.first;
    const int p2 = page.last;
    const int columns = std::max(0, p2 - p1 + 1);
    const QString rule = TableLayout::ruleLine(kColumnWidth * columns + (firstPage ? kLabelWidth : 0));
    const CellGrid &grid = m_model.grid();
    const int headerRows = m_model.headerRows();
    const QString labelBlanks(kLabelWidth, QLatin1Char(' '));
    // Fields are cut and padded by their width: a full-width character takes two columns.
    auto labelField = [](const QString &label) { return Cp932::fieldOfWidth(label, kLabelWidth); };
    // Relevé columns outside the table have no cells.
    auto cell = [&](int releve, int row) {
        return releve >= 1 && releve <= m_model.releveCount() && row >= 0 ? grid.cell(TableModel::releveColumn(releve), row) : QString();
    };

    sink.writeLine(QString());
    sink.writeLine(firstPage ? oneLine(m_options.title) : QStringLiteral("続き"));
    sink.writeLine(rule);

    // The last two digits of the running numbers; a relevé without species has none and keeps
    // its columns blank.
    QString line = firstPage ? labelField(m_items[1].label) : QString();
    for (int i = p1; i <= p2; ++i) {
        const QString digits = lastBytes(cell(i, TableModel::NumberRow), kColumnWidth);
        line += QString(kColumnWidth - Cp932::byteCount(digits), QLatin1Char(' ')) + digits;
    }
    sink.writeLine(line);
    sink.writeLine(rule);

    // The relevé numbers, two columns on each of four lines, from the row that holds item 2; a
    // full-width character goes whole to the next line rather than be split.
    int numberRow = -1;
    for (int q = 1; q < headerRows; ++q) {
        if (TableModel::indexFromText(grid.cell(TableModel::IndexColumn, q)) == kReleveNumberItem) {
            numberRow = q;
            break;
        }
    }
    for (int part = 0; part < 4; ++part) {
        line = firstPage ? (part == 0 ? labelField(m_items[kReleveNumberItem].label) : labelBlanks) : QString();
        for (int i = p1; i <= p2; ++i) {
            QString value = cell(i, numberRow);
            for (int before = 0; before < part; ++before)
                value.remove(0, Cp932::cutToBytes(value, kColumnWidth).size());
            line += Cp932::fieldOfWidth(value, kColumnWidth);
        }
        sink.writeLine(line);
    }
    sink.writeLine(rule);

    // Every row of the species range, comments and species found once included.
    const int first = std::max(m_options.range.firstSpecies, 1);
    const int last = std::min(m_options.range.lastSpecies, m_model.speciesCount());
    for (int j = first; j <= last; ++j) {
        if (Feedback::canceled(feedback))
            return;
        const int row = m_model.speciesRow(j);
        line.clear();
        if (firstPage) {
            line = Cp932::cutToBytes(grid.cell(TableModel::NameColumn, row), kNameBytes);
            line += QString(kLabelWidth - Cp932::byteCount(line), QLatin1Char(' '));
        }
        for (int i = p1; i <= p2; ++i) {
            line += QLatin1Char(' ');
            line += cellMark(cell(i, row));
        }
        sink.writeLine(line);
    }
    sink.writeLine(rule);
}

} // namespace Zelkor
