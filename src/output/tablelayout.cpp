#include "output/tablelayout.h"

#include "platform/cp932.h"
#include "platform/feedback.h"
#include "platform/texthelpers.h"
#include "table/covercode.h"
#include "table/headeritems.h"
#include "table/settings.h"
#include "table/tablemodel.h"

#include <algorithm>
#include <array>

namespace Zelkor {

TableLayoutOptions TableLayoutOptions::make(const QString &title, const OutputRange &range, const Settings &settings)
{
    TableLayoutOptions options;
    options.title = title;
    options.range = range;
    options.frequency = settings.frequency;
    options.oneTimeApart = settings.oneTime;
    options.layerNames = settings.layerNames;
    return options;
}

namespace {

constexpr int kLabelWidth = 32;
constexpr int kNameBytes = 28;
constexpr int kColumnWidth = 5;
constexpr int kValueWidth = 4;

// Layers whose only entries are the marks "*" (7) and "e" (8) get no line of their own.
bool countsForLayer(quint8 code)
{
    return code != 0 && code != 7 && code != 8;
}

// Fields are cut and padded by their width in the listing: a full-width character takes two
// columns, as it takes two bytes in the file.
QString labelField(const QString &label)
{
    return Cp932::fieldOfWidth(label, kLabelWidth);
}

} // namespace

// What every page needs, gathered once per output.
struct TableLayout::Context
{
    struct Releve
    {
        int index = -1;   // hidden relevé index; -1 for a column outside the table
        int species = 0;  // ReleveSpCount
    };
    struct SpeciesRow
    {
        int row = 0;        // table row number j
        int index = -1;     // hidden species index
        int freq = 0;       // SpeciesFreq
        QString nameField;  // the name cut and padded to 28 bytes
        quint8 layers = 0;  // bit k: layer k+1 has a code other than 0, "*" and "e" in the range
    };
    std::vector<Releve> releves; // by table column number - first relevé of the range
    std::vector<SpeciesRow> species;
    std::array<QString, 256> cells; // the five characters of each code in a relevé column
    int serial = 0;
    Feedback *feedback = nullptr;

    bool canceled() const { return Feedback::canceled(feedback); }

    const Releve &releve(int i, int first) const { return releves[std::size_t(i - first)]; }
};

TableLayout::TableLayout(const TableModel &model, const HeaderItems &items, TableLayoutOptions options)
    : m_model(model)
    , m_items(items)
    , m_options(std::move(options))
{
}

QString TableLayout::ruleLine(int width)
{
    // w / 2 to the nearest whole number, halves to the even one.
    int n = width / 2;
    if (width % 2 != 0 && n % 2 != 0)
        ++n;
    return QString(std::max(0, n), QChar(0x2500));
}

int TableLayout::roundedPercent(int count, int total)
{
    if (total <= 0)
        return 0;
    const qint64 scaled = qint64(count) * 100;
    qint64 q = scaled / total;
    const qint64 twice = 2 * (scaled % total);
    if (twice > total || (twice == total && q % 2 != 0))
        ++q;
    return int(q);
}

int TableLayout::columnWidth(int lastColumn)
{
    int digits = 1;
    for (int n = lastColumn; n >= 10; n /= 10)
        ++digits;
    return digits <= kColumnWidth ? kColumnWidth : digits + 1;
}

std::vector<TableLayout::Page> TableLayout::pages(int wc) const
{
    std::vector<Page> result;
    const int first = m_options.range.firstReleve;
    const int last = m_options.range.lastReleve;
    int w = std::max(0, wc);
    int p1 = first;
    for (;;) {
        int span = w;
        int p2 = std::min(p1 + span, last);
        // Wider columns: as many fewer of them as keeps the page's width.
        if (const int width = columnWidth(p2); width > kColumnWidth) {
            span = std::max(0, (w + 1) * kColumnWidth / width - 1);
            p2 = std::min(p1 + span, last);
        }
        // The frequency column widens the page that ends at the table's last relevé by one
        // column: a full page gives up its last relevé to a page of its own.
        if (m_options.frequency && p2 == last && last == m_model.releveCount() && p2 > p1 && p2 - p1 == span)
            --p2;
        result.push_back(Page{p1, p2});
        if (p2 >= last)
            break;
        p1 = p2 + 1;
        if (result.size() == 1)
            w += 6;
    }
    return result;
}

QString TableLayout::layerLabel(int layer) const
{
    return m_options.layerNames.mid(2 * layer, 2).leftJustified(2, QLatin1Char(' '));
}

QString TableLayout::coverText(quint8 code) const
{
    // A scale other than 1 and 2 has no print texts of its own: it prints as scale 2, which
    // shows everything the code holds.
    const int d = m_model.dataScaleD();
    return coverPrintText(code, d == 1 ? 1 : 2);
}

void TableLayout::printTable(LineSink &sink, int wc, int firstSpecies, int lastSpecies, Feedback *feedback) const
{
    Context context;
    context.feedback = feedback;
    const OutputRange &range = m_options.range;
    const int releveCount = m_model.releveCount();
    const CoverTable &cover = m_model.coverData();

    // The relevés of the range, and per species index the layers in which some relevé of the
    // range has a code that gets a line.
    std::vector<quint8> layersOfIndex(std::size_t(m_model.maxSpecies()) + 1, 0);
    for (int i = range.firstReleve; i <= range.lastReleve; ++i) {
        Context::Releve r;
        if (i >= 1 && i <= releveCount) {
            r.index = m_model.releveIndexAt(TableModel::releveColumn(i));
            r.species = m_model.releveSpCount(i);
            cover.forEachInReleve(r.index, [&](int s, const ByteDataSet &codes) {
                if (s <= 0 || std::size_t(s) >= layersOfIndex.size())
                    return;
                for (int k = 0; k < 7; ++k)
                    if (countsForLayer(codes[std::size_t(k)]))
                        layersOfIndex[std::size_t(s)] |= quint8(1u << k);
            });
        }
        context.releves.push_back(r);
    }

    const int first = std::max(firstSpecies, 1);
    const int last = std::min(lastSpecies, m_model.speciesCount());
    for (int j = first; j <= last; ++j) {
        Context::SpeciesRow row;
        row.row = j;
        row.index = m_model.speciesIndexAt(m_model.speciesRow(j));
        row.freq = m_model.speciesFreq(j);
        if (row.index > 0 && std::size_t(row.index) < layersOfIndex.size())
            row.layers = layersOfIndex[std::size_t(row.index)];
        if (row.freq > 0) {
            const QString name = Cp932::cutToBytes(m_model.grid().cell(TableModel::NameColumn, m_model.speciesRow(j)), kNameBytes);
            row.nameField = name + QString(kNameBytes - Cp932::byteCount(name), QLatin1Char(' '));
        }
        context.species.push_back(std::move(row));
    }

    for (int v = 0; v < 256; ++v)
        context.cells[std::size_t(v)] = QStringLiteral("  ") + coverText(quint8(v));
    context.serial = range.firstReleve - 1;
    const std::vector<Page> all = pages(wc);
    for (std::size_t p = 0; p < all.size(); ++p) {
        if (!Feedback::advance(feedback, int(p) + 1))
            return;
        writePage(sink, context, all[p], p == 0);
        if (p + 1 < all.size())
            sink.writeLine(QStringLiteral("\f"));
    }
}

void TableLayout::writePage(LineSink &sink, Context &context, const Page &page, bool firstPage) const
{
    const int p1 = page.first;
    const int p2 = page.last;
    const int firstReleve = m_options.range.firstReleve;
    const int columns = std::max(0, p2 - p1 + 1);
    const int width = columnWidth(p2);
    const QString widen(width - kColumnWidth, QLatin1Char(' '));
    const QString blankColumn(width, QLatin1Char(' '));
    const QString rule = ruleLine(width * columns + (firstPage ? kLabelWidth + 1 : 0));
    const CellGrid &grid = m_model.grid();
    const int headerRows = m_model.headerRows();
    const int lineLength = (firstPage ? kLabelWidth : 0) + width * columns + kColumnWidth;

    sink.writeLine(QString());
    sink.writeLine(firstPage ? oneLine(m_options.title) : QStringLiteral("続き"));
    sink.writeLine(rule);

    // The running numbers of the relevés with species; they go on from page to page.
    QString line;
    line.reserve(lineLength);
    if (firstPage)
        line += labelField(m_items[1].label);
    for (int i = p1; i <= p2; ++i) {
        if (context.releve(i, firstReleve).species > 0)
            line += QString::number(++context.serial).rightJustified(width, QLatin1Char(' '));
        else
            line += blankColumn;
    }
    sink.writeLine(line);
    sink.writeLine(rule);

    // The selected header items, each from the row that holds its number.
    std::vector<int> rowOfItem(HeaderItems::Count + 1, -1);
    for (int q = 1; q < headerRows; ++q) {
        const int n = TableModel::indexFromText(grid.cell(TableModel::IndexColumn, q));
        if (n >= 1 && n <= HeaderItems::Count && rowOfItem[std::size_t(n)] < 0)
            rowOfItem[std::size_t(n)] = q;
    }
    for (int n = 2; n <= HeaderItems::Count; ++n) {
        const HeaderItem &item = m_items[n];
        if (!item.layout || !item.selected)
            continue;
        // Item 30 prints the species numbers counted in the table, not the stored values.
        const int r = n == HeaderItems::Count ? m_model.speciesNumberRow() : rowOfItem[std::size_t(n)];
        // Values of items 2..7 take two lines of four columns, the others one.
        const int lines = n <= 7 ? 2 : 1;
        for (int part = 0; part < lines; ++part) {
            line.clear();
            if (firstPage)
                line += part == 0 ? labelField(item.label) : QString(kLabelWidth, QLatin1Char(' '));
            for (int i = p1; i <= p2; ++i) {
                QString value = r > 0 ? grid.cell(TableModel::releveColumn(i), r) : QString();
                // A character that would straddle the two halves goes whole to the second.
                if (part == 1)
                    value.remove(0, Cp932::cutToBytes(value, kValueWidth).size());
                line += QLatin1Char(' ');
                line += widen;
                line += Cp932::fieldOfWidth(value, kValueWidth);
            }
            sink.writeLine(line);
        }
    }
    sink.writeLine(rule);

    // The species rows.
    const bool frequencyColumn = m_options.frequency && p2 == m_model.releveCount();
    std::vector<ByteDataSet> codes(static_cast<std::size_t>(columns));
    for (const Context::SpeciesRow &row : context.species) {
        if (context.canceled())
            return;
        if (row.freq == 0) {
            // A comment row, or a species in no relevé: its text on the first page only.
            sink.writeLine(p1 == firstReleve ? grid.cell(TableModel::NameColumn, m_model.speciesRow(row.row)) : QString());
            continue;
        }
        if (row.freq == 1 && m_options.oneTimeApart)
            continue;
        if (row.index <= 0)
            continue;
        if (row.layers == 0) {
            sink.writeLine(QString());
            continue;
        }
        for (int i = p1; i <= p2; ++i) {
            const int index = context.releve(i, firstReleve).index;
            codes[std::size_t(i - p1)] = index >= 0 ? m_model.coverData().at(index, row.index) : ByteDataSet{};
        }
        bool firstLine = true;
        for (int k = 0; k < 7; ++k) {
            if (!(row.layers & (1u << k)))
                continue;
            line.clear();
            if (firstPage) {
                line += firstLine ? row.nameField : QString(kNameBytes, QLatin1Char(' '));
                line += QLatin1Char(' ');
                line += layerLabel(k);
                line += QLatin1Char(':');
            }
            for (int i = p1; i <= p2; ++i) {
                if (context.releve(i, firstReleve).species > 0) {
                    line += widen;
                    line += context.cells[codes[std::size_t(i - p1)][std::size_t(k)]];
                } else {
                    line += blankColumn;
                }
            }
            if (firstLine && frequencyColumn) {
                line += QLatin1Char(' ');
                // Of the relevés, not of the columns: an empty column only separates groups.
                line += QString::number(roundedPercent(row.freq, m_model.relevesWithSpecies())).rightJustified(4, QLatin1Char(' '));
            }
            firstLine = false;
            sink.writeLine(line);
        }
    }
    sink.writeLine(rule);

    if (firstPage && m_options.oneTimeApart)
        printOneTimeSp(sink, context);
}

void TableLayout::printOneTimeSp(LineSink &sink, const Context &context) const
{
    sink.writeLine(QStringLiteral("出現回数１回の種"));

    // The species of the species range found once, by their hidden index.
    std::vector<int> onceRow(std::size_t(m_model.maxSpecies()) + 1, -1);
    for (const Context::SpeciesRow &row : context.species)
        if (row.freq == 1 && row.index > 0 && std::size_t(row.index) < onceRow.size())
            onceRow[std::size_t(row.index)] = row.row;

    // The relevés of the output range, numbered as in the body.
    const OutputRange &range = m_options.range;
    int c = range.firstReleve - 1;
    std::vector<std::pair<int, ByteDataSet>> found;
    for (int i = range.firstReleve; i <= range.lastReleve; ++i) {
        const Context::Releve &releve = context.releve(i, range.firstReleve);
        if (releve.species > 0)
            ++c;
        found.clear();
        m_model.coverData().forEachInReleve(releve.index, [&](int s, const ByteDataSet &codes) {
            if (s > 0 && std::size_t(s) < onceRow.size() && onceRow[std::size_t(s)] > 0)
                found.emplace_back(onceRow[std::size_t(s)], codes);
        });
        if (found.empty())
            continue;
        std::sort(found.begin(), found.end(), [](const auto &a, const auto &b) { return a.first < b.first; });
        QString line = QStringLiteral("No.") + QString::number(c);
        for (const auto &[row, codes] : found) {
            line += QStringLiteral(", ") + trimBlanks(m_model.grid().cell(TableModel::NameColumn, m_model.speciesRow(row)));
            for (int k = 0; k < 7; ++k) {
                const quint8 code = codes[std::size_t(k)];
                if (code == 0)
                    continue;
                line += QLatin1Char(' ') + layerLabel(k) + QLatin1Char(':');
                line += coverText(code).remove(QLatin1Char(' '));
            }
        }
        line += QLatin1Char('.');
        sink.writeLine(line);
    }
    sink.writeLine(QString());
}

} // namespace Zelkor
