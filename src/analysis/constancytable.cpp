#include "analysis/constancytable.h"

#include "analysis/fidelitytable.h"
#include "analysis/freqtablemodel.h"
#include "platform/cp932.h"
#include "table/tablemodel.h"

#include <algorithm>

namespace Zelkor {

namespace {

// n / d rounded to the nearest integer, halves to the even one (n >= 0, d > 0).
long long roundHalfEven(long long n, long long d)
{
    long long q = n / d;
    const long long r = n % d;
    if (2 * r > d || (2 * r == d && (q % 2) != 0))
        ++q;
    return q;
}

// The Roman numeral characters Ⅰ … Ⅹ of the constancy classes 1 … 10.
QString romanClass(int c)
{
    return QString(QChar(char16_t(0x2160 + std::clamp(c, 1, 10) - 1)));
}

// A count in full-width digits ("３").
QString fullWidthCount(int n)
{
    QString text = QString::number(n);
    for (QChar &ch : text)
        ch = QChar(char16_t(ch.unicode() - u'0' + 0xFF10));
    return text;
}

// The cell text as the cover characters are read from it: its first four bytes in CP932.
QString firstFourBytes(const QString &text)
{
    if (text.size() <= 4) {
        bool ascii = true;
        for (QChar ch : text)
            ascii = ascii && ch.unicode() < 0x80;
        if (ascii)
            return text;
    }
    return Cp932::cutToBytes(text, 4);
}

const QString kAbsent = QStringLiteral("・");

// The order of the cover marks, as the cell texts rank them: r below "+", "+" below the
// classes, the classes in their order, "e" above them.
char16_t coverRank(QChar mark)
{
    return mark == QLatin1Char('r') ? u'(' : mark.unicode();
}

} // namespace

std::vector<ReleveGroup> ConstancyTable::findGroups(const TableModel &model)
{
    std::vector<ReleveGroup> groups;
    ReleveGroup current;
    current.first = 1;
    const int releves = model.releveCount();
    for (int p = 1; p <= releves; ++p) {
        if (model.releveSpCount(p) > 0) {
            current.speciesSum += model.releveSpCount(p);
            continue;
        }
        current.last = p - 1;
        current.count = p - current.first;
        groups.push_back(current);
        current = ReleveGroup();
        current.first = p + 1;
    }
    current.last = std::max(releves, current.first - 1);
    current.count = current.last - current.first + 1;
    groups.push_back(current);
    return groups;
}

std::vector<int> ConstancyTable::groupOfColumns(const TableModel &model, const std::vector<ReleveGroup> &groups)
{
    const int releves = std::max(model.releveCount(), 0);
    std::vector<int> groupOfColumn(std::size_t(TableModel::releveColumn(releves)) + 1, -1);
    for (std::size_t j = 0; j < groups.size(); ++j)
        for (int p = groups[j].first; p <= groups[j].last; ++p)
            groupOfColumn[std::size_t(TableModel::releveColumn(p))] = int(j);
    return groupOfColumn;
}

bool ConstancyTable::holdsSpecies(const QString &cellText)
{
    return !firstFourBytes(cellText).isEmpty();
}

void ConstancyTable::countReleves(const TableModel &model, int *nonEmpty, int *empty)
{
    int filled = 0;
    int blank = 0;
    for (int p = 1; p <= model.releveCount(); ++p) {
        if (model.releveSpCount(p) > 0)
            ++filled;
        else
            ++blank;
    }
    *nonEmpty = filled;
    *empty = blank;
}

QString ConstancyTable::groupName(int j)
{
    if (j >= 1 && j <= 30)
        return QString(QChar(char16_t(64 + j)));
    return QString::number(j);
}

QString ConstancyTable::meanSpeciesNumber(long long speciesSum, int count)
{
    if (count <= 0)
        return QString();
    const long long tenths = roundHalfEven(speciesSum * 10, count);
    QString text = QString::number(tenths / 10);
    if (tenths % 10 != 0)
        text += QLatin1Char('.') + QString::number(tenths % 10);
    return text;
}

QString ConstancyTable::cellText(ConstancyContent content, int n, int count, QChar low, QChar high)
{
    // The ten-step class: 10 n / N rounded up.
    const int c = int((10LL * n + count - 1) / count);
    QString text;
    switch (content) {
    case ConstancyContent::Classes5WithCover:
    case ConstancyContent::Classes5:
        text = count >= 5 ? romanClass((c + 1) / 2) : fullWidthCount(n);
        break;
    case ConstancyContent::Classes10WithCover:
    case ConstancyContent::Classes10:
        text = count >= 10 ? romanClass(c) : fullWidthCount(n);
        break;
    case ConstancyContent::Occurrences:
        return QString::number(n);
    }
    // No cover mark was seen (cells of blanks alone): the class stands alone.
    if ((content == ConstancyContent::Classes5WithCover || content == ConstancyContent::Classes10WithCover)
        && !low.isNull()) {
        text += QLatin1Char(' ');
        text += low;
        if (high != low) {
            text += QLatin1Char('-');
            text += high;
        }
    }
    return text;
}

QString ConstancyTable::diagnosticHeading(int j)
{
    return QStringLiteral("　%1 の診断種").arg(groupName(j));
}

void ConstancyTable::build(const TableModel &model, const ConstancyOptions &options,
                           const QString &title, FreqTableModel *out)
{
    const std::vector<ReleveGroup> groups = findGroups(model);
    const int groupCount = int(groups.size());
    const int speciesCount = std::max(model.speciesCount(), 0);
    const int size = model.tableFont().pointSize;
    const bool withCover = options.content == ConstancyContent::Classes5WithCover
                           || options.content == ConstancyContent::Classes10WithCover;

    FidelityTable fidelity;
    if (options.fidelity)
        fidelity.compute(model, options.fidelityOptions);

    // The grid row of each species (from 1), and the heading rows of the diagnostic order.
    std::vector<int> rowOfSpecies(std::size_t(speciesCount) + 1);
    std::vector<std::pair<int, QString>> headings;
    if (options.fidelity && options.diagnosticOrder) {
        int row = 3;
        for (const FidelityTable::Block &block : fidelity.diagnosticBlocks()) {
            if (block.group >= 0)
                headings.push_back({row++, diagnosticHeading(block.group + 1)});
            else if (!block.species.empty())
                headings.push_back({row++, otherSpeciesHeading()});
            for (int s : block.species)
                rowOfSpecies[std::size_t(s)] = row++;
        }
    } else {
        for (int s = 1; s <= speciesCount; ++s)
            rowOfSpecies[std::size_t(s)] = s + 2;
    }

    // The phi percentage takes about as much room again as a class.
    const long long widthTenths = (withCover ? 50LL : 25LL) + (options.fidelity ? 25LL : 0LL);
    CellGrid grid;
    grid.setDefaultColWidth(int(roundHalfEven(widthTenths * size, 10)));
    grid.setDefaultRowHeight(TableModel::defaultRowHeightFor(size));
    grid.setColCount(groupCount + 1);
    grid.setRowCount(speciesCount + int(headings.size()) + 3);
    grid.setColWidth(0, 20 * size);
    grid.setFixedCols(1);
    grid.setFixedRows(3);

    grid.setCell(0, 0, QStringLiteral("　群落区分"));
    grid.setCell(0, 1, QStringLiteral("　測定数"));
    grid.setCell(0, 2, QStringLiteral("　平均種数"));
    for (int j = 1; j <= groupCount; ++j) {
        const ReleveGroup &g = groups[std::size_t(j - 1)];
        grid.setCell(j, 0, groupName(j));
        grid.setCell(j, 1, QString::number(g.count));
        grid.setCell(j, 2, meanSpeciesNumber(g.speciesSum, g.count));
    }
    for (const auto &[row, text] : headings)
        grid.setCell(0, row, text);

    const std::vector<int> groupOfColumn = groupOfColumns(model, groups);

    const QString absent = options.blankEmpty ? QString() : kAbsent;
    std::vector<int> found(std::size_t(groupCount), 0);
    std::vector<QChar> low(static_cast<std::size_t>(groupCount));
    std::vector<QChar> high(static_cast<std::size_t>(groupCount));
    std::vector<GridCell> shaded;
    const CellGrid &table = model.grid();
    for (int s = 1; s <= speciesCount; ++s) {
        std::fill(found.begin(), found.end(), 0);
        std::fill(low.begin(), low.end(), QChar());
        std::fill(high.begin(), high.end(), QChar());
        // Only the cells that hold text are visited: an empty cell contributes nothing.
        table.forEachInRow(model.speciesRow(s), [&](int col, const QString &text) {
            if (col >= int(groupOfColumn.size()) || groupOfColumn[std::size_t(col)] < 0)
                return;
            const std::size_t j = std::size_t(groupOfColumn[std::size_t(col)]);
            const QString cover = firstFourBytes(text);
            if (cover.isEmpty())
                return;
            ++found[j];
            for (QChar ch : cover) {
                if (ch.unicode() <= 32)
                    continue;
                if (high[j].isNull() || coverRank(ch) > coverRank(high[j]))
                    high[j] = ch;
                if (low[j].isNull() || coverRank(ch) < coverRank(low[j]))
                    low[j] = ch;
            }
        });
        const int row = rowOfSpecies[std::size_t(s)];
        grid.setCell(0, row, table.cell(TableModel::NameColumn, model.speciesRow(s)));
        for (int j = 0; j < groupCount; ++j) {
            const int n = found[std::size_t(j)];
            if (n == 0) {
                grid.setCell(j + 1, row, absent);
                continue;
            }
            QString text = cellText(options.content, n, groups[std::size_t(j)].count, low[std::size_t(j)],
                                    high[std::size_t(j)]);
            if (options.fidelity) {
                const FidelityCell &c = fidelity.cell(s, j);
                if (c.phiPercent > 0)
                    text += QLatin1Char(' ') + QString::number(c.phiPercent);
                if (c.diagnostic)
                    shaded.push_back(GridCell{j + 1, row});
            }
            grid.setCell(j + 1, row, text);
        }
    }

    out->grid() = std::move(grid);
    out->setShadedCells(std::move(shaded));
    out->setShowsFidelity(options.fidelity);
    out->setCaption(title);
    out->setFont(model.tableFont());
    out->setToolPanelVisible(true);
}

} // namespace Zelkor
