#include "table/tablemodel.h"

#include "table/covercode.h"

#include <algorithm>
#include <new>

namespace Zelkor {

namespace {
// Round to the nearest integer, halves to the even one, of num / den (both positive).
int roundHalfEven(long long num, long long den)
{
    long long q = num / den;
    const long long r = num % den;
    if (2 * r > den || (2 * r == den && (q % 2) != 0))
        ++q;
    return int(q);
}

const QString kFreqHeading = QStringLiteral("F＼N");
const QString kSpeciesNumberLabel = QStringLiteral("（現実の種数）");
} // namespace

TableModel::TableModel()
{
    initTableArrays();
}

void TableModel::setCapacities(int maxReleves, int maxSpecies)
{
    m_maxReleves = maxReleves;
    m_maxSpecies = maxSpecies;
    m_speciesFreq.assign(std::size_t(maxSpecies) + 1, 0);
    m_releveSpCount.assign(std::size_t(maxReleves) + 1, 0);
    m_releveLayerLine.assign(std::size_t(maxReleves) + 1, ByteDataSet{});
    m_cover.resize(maxReleves, maxSpecies);
}

int TableModel::speciesFreq(int k) const
{
    return k >= 0 && k < int(m_speciesFreq.size()) ? m_speciesFreq[std::size_t(k)] : 0;
}

int TableModel::releveSpCount(int k) const
{
    return k >= 0 && k < int(m_releveSpCount.size()) ? m_releveSpCount[std::size_t(k)] : 0;
}

int TableModel::relevesWithSpecies(int first, int last) const
{
    int n = 0;
    for (int k = std::max(first, 1); k <= std::min(last, m_releveCount); ++k)
        n += releveSpCount(k) > 0 ? 1 : 0;
    return n;
}

int TableModel::speciesWithEntries() const
{
    int n = 0;
    for (int k = 1; k <= m_speciesCount; ++k)
        n += speciesFreq(k) > 0 ? 1 : 0;
    return n;
}

void TableModel::addSearchHit(int col, int row)
{
    if (int(m_searchHits.size()) < MaxSearchHits)
        m_searchHits.push_back(GridCell{col, row});
}

void TableModel::initTableArrays()
{
    m_dataScaleK = 5;
    m_dataScaleD = 2;
    m_maxReleves = 23;
    m_maxSpecies = 127;
    m_headerRows = 31;
    m_speciesFreq.resize(std::size_t(m_maxSpecies) + 1, 0);
    m_releveSpCount.resize(std::size_t(m_maxReleves) + 1, 0);
    m_releveLayerLine.resize(std::size_t(m_maxReleves) + 1, ByteDataSet{});
    m_cover.resize(m_maxReleves, m_maxSpecies);
    m_speciesCount = 0;
    m_releveCount = 0;
    m_searchHits.clear();
}

void TableModel::clearTable(HeaderItems &items)
{
    m_speciesCount = 0;
    m_releveCount = 0;
    m_grid.clearCells();
    // A blank table carries no cover codes: codes left from the previous table would reappear
    // under the same indexes in the next one.
    m_cover.clear();
    initTableArrays();
    m_grid.setRowCount(m_maxSpecies + 32);
    m_grid.setColCount(releveColumn(m_maxReleves) + 1);
    m_grid.setCell(IndexColumn, NumberRow, QStringLiteral("0"));
    for (int i = 0; i <= m_maxReleves; ++i) {
        m_releveSpCount[std::size_t(i)] = 0;
        m_grid.setCell(releveColumn(i), IndexRow, QString::number(i));
        m_grid.setCell(releveColumn(i), NumberRow, num4Text(i));
    }
    m_grid.setCell(FrequencyColumn, NumberRow, QString());
    reNewTable(items);
    m_modified = false;
}

void TableModel::reNewTable(HeaderItems &items)
{
    const int colWidth = defaultColWidthFor(m_tableFont.pointSize);
    m_grid.setDefaultColWidth(colWidth);
    m_grid.setDefaultRowHeight(defaultRowHeightFor(m_tableFont.pointSize));
    m_grid.setRowHeight(IndexRow, 1);
    m_grid.setColWidth(IndexColumn, 1);
    m_grid.setColWidth(NameColumn, 7 * colWidth);

    if (m_releveCount != 0 || m_speciesCount != 0) {
        // A table exists: its header rows stay, they only take the items' current labels. Rows
        // without relevés (comments written before any extraction, or left after the last
        // relevé was deleted) are a table too: laying the header rows out afresh would write
        // labels and indexes over them.
        for (int n = 1; n <= HeaderItems::Count; ++n) {
            items[n].layout = false;
            items[n].selected = false;
        }
        for (int q = 1; q < m_headerRows; ++q) {
            const int n = indexFromText(m_grid.cell(IndexColumn, q));
            if (n < 1 || n > HeaderItems::Count)
                continue;
            m_grid.setCell(NameColumn, q, items[n].label);
            items[n].layout = true;
            items[n].selected = true;
        }
        return;
    }

    int p = 1;
    for (int q = 1; q <= HeaderItems::Count; ++q) {
        if (!items[q].layout)
            continue;
        m_grid.setCell(IndexColumn, p, QString::number(q));
        m_grid.setCell(NameColumn, p, items[q].label);
        ++p;
    }
    m_headerRows = p;
    if (m_grid.rowCount() < speciesRow(m_maxSpecies) + 1) {
        const int old = m_grid.rowCount();
        m_grid.setRowCount(speciesRow(m_maxSpecies) + 1);
        for (int r = old; r < m_grid.rowCount(); ++r)
            m_grid.setRowHeight(r, m_grid.defaultRowHeight());
    }
    m_grid.setCell(FrequencyColumn, speciesNumberRow(), kFreqHeading);
    m_grid.setCell(NameColumn, speciesNumberRow(), kSpeciesNumberLabel);
    for (int k = 1; k <= m_maxSpecies; ++k) {
        m_speciesFreq[std::size_t(k)] = 0;
        m_grid.setCell(IndexColumn, speciesRow(k), QString::number(k));
        m_grid.setCell(NumberColumn, speciesRow(k), num4Text(k));
    }
    m_grid.setFixedCols(FirstReleveColumn);
    m_grid.setFixedRows(speciesRow(1));
}

bool TableModel::addCol(int mc)
{
    if (mc > m_capacityLimit)
        return false;
    const int oldMax = m_maxReleves;
    const int oldCols = m_grid.colCount();
    int newMax = m_maxReleves;
    while (newMax < mc)
        newMax += 8;
    try {
        m_releveSpCount.resize(std::size_t(newMax) + 1, 0);
        m_releveLayerLine.resize(std::size_t(newMax) + 1, ByteDataSet{});
        m_cover.resize(newMax, m_maxSpecies);
        m_grid.setColCount(releveColumn(newMax) + 1);
        for (int i = mc; i <= newMax; ++i) {
            m_releveSpCount[std::size_t(i)] = 0;
            // A column the grid did not have is empty already (clearing one looks at every row).
            if (releveColumn(i) < oldCols)
                m_grid.clearColumn(releveColumn(i));
            m_grid.setCell(releveColumn(i), IndexRow, QString::number(i));
            m_grid.setCell(releveColumn(i), NumberRow, num4Text(i));
        }
    } catch (const std::bad_alloc &) {
        m_releveSpCount.resize(std::size_t(oldMax) + 1);
        m_releveLayerLine.resize(std::size_t(oldMax) + 1);
        m_cover.resize(oldMax, m_maxSpecies);
        m_grid.setColCount(oldCols);
        return false;
    }
    m_maxReleves = newMax;
    return true;
}

bool TableModel::addRow(int mr)
{
    if (mr > m_capacityLimit)
        return false;
    const int oldMax = m_maxSpecies;
    const int oldRows = m_grid.rowCount();
    int newMax = m_maxSpecies;
    while (newMax < mr)
        newMax += 16;
    try {
        m_speciesFreq.resize(std::size_t(newMax) + 1, 0);
        m_cover.resize(m_maxReleves, newMax);
        m_grid.setRowCount(speciesRow(newMax) + 1);
        for (int i = mr; i <= newMax; ++i) {
            m_speciesFreq[std::size_t(i)] = 0;
            m_grid.clearRow(speciesRow(i));
            m_grid.setCell(IndexColumn, speciesRow(i), QString::number(i));
            m_grid.setCell(NumberColumn, speciesRow(i), num4Text(i));
        }
    } catch (const std::bad_alloc &) {
        m_speciesFreq.resize(std::size_t(oldMax) + 1);
        m_cover.resize(m_maxReleves, oldMax);
        m_grid.setRowCount(oldRows);
        return false;
    }
    m_maxSpecies = newMax;
    return true;
}

void TableModel::checkTableNumber()
{
    if (m_releveCount <= 0)
        return;
    std::vector<int> counts(std::size_t(m_releveCount) + 1, 0);
    const int lastCol = releveColumn(m_releveCount);
    for (int r = speciesRow(1); r <= speciesRow(m_speciesCount); ++r) {
        m_grid.forEachInRow(r, [&](int c, const QString &) {
            if (c >= FirstReleveColumn && c <= lastCol)
                ++counts[std::size_t(releveOfColumn(c))];
        });
    }
    int running = 0;
    for (int k = 1; k <= m_releveCount; ++k) {
        const int n = counts[std::size_t(k)];
        if (k < int(m_releveSpCount.size()))
            m_releveSpCount[std::size_t(k)] = n;
        if (n > 0) {
            ++running;
            m_grid.setCell(releveColumn(k), NumberRow, num4Text(running));
            m_grid.setCell(releveColumn(k), speciesNumberRow(), num4Text(n));
        } else {
            m_grid.setCell(releveColumn(k), NumberRow, QString());
            m_grid.setCell(releveColumn(k), speciesNumberRow(), QString());
        }
    }
}

void TableModel::checkSpeciesNumber()
{
    if (m_speciesCount <= 0)
        return;
    int running = 0;
    for (int k = 1; k <= m_speciesCount; ++k) {
        const int row = speciesRow(k);
        const int n = m_grid.countInRow(row, FirstReleveColumn, releveColumn(m_releveCount));
        if (k < int(m_speciesFreq.size()))
            m_speciesFreq[std::size_t(k)] = n;
        if (n > 0) {
            ++running;
            m_grid.setCell(NumberColumn, row, num4Text(running));
            m_grid.setCell(FrequencyColumn, row, num4Text(n));
        } else {
            m_grid.setCell(NumberColumn, row, QString());
            m_grid.setCell(FrequencyColumn, row, QString());
        }
    }
}

void TableModel::recomputeFrequencies()
{
    checkTableNumber();
    checkSpeciesNumber();
}

TableModel::AppendMark TableModel::markAppend() const
{
    AppendMark mark;
    mark.releveCount = m_releveCount;
    mark.speciesCount = m_speciesCount;
    mark.maxReleves = m_maxReleves;
    mark.maxSpecies = m_maxSpecies;
    mark.colCount = m_grid.colCount();
    mark.rowCount = m_grid.rowCount();
    const int firstSpareCol = releveColumn(m_releveCount + 1);
    const int firstSpareRow = speciesRow(m_speciesCount + 1);
    for (int r = 0; r < m_grid.rowCount(); ++r) {
        const int from = r >= firstSpareRow ? 0 : firstSpareCol;
        m_grid.forEachInRow(r, [&](int c, const QString &text) {
            if (c >= from)
                mark.spareCells.push_back({c, r, text});
        });
    }
    return mark;
}

void TableModel::takeOutAppended(const AppendMark &mark)
{
    // The codes of the relevés appended; the species rows appended have codes in them only.
    for (int i = mark.releveCount + 1; i <= m_releveCount; ++i) {
        const int r = releveIndexAt(releveColumn(i));
        if (r >= 1)
            m_cover.clearReleve(r);
    }
    m_grid.clearColumnsFrom(releveColumn(mark.releveCount + 1));
    for (int r = speciesRow(mark.speciesCount + 1); r < m_grid.rowCount(); ++r)
        m_grid.clearRow(r);
    m_grid.setColCount(mark.colCount);
    m_grid.setRowCount(mark.rowCount);
    for (const AppendMark::Cell &cell : mark.spareCells)
        m_grid.setCell(cell.col, cell.row, cell.text);

    m_maxReleves = mark.maxReleves;
    m_maxSpecies = mark.maxSpecies;
    m_speciesFreq.resize(std::size_t(m_maxSpecies) + 1);
    m_releveSpCount.resize(std::size_t(m_maxReleves) + 1);
    m_releveLayerLine.resize(std::size_t(m_maxReleves) + 1);
    m_cover.resize(m_maxReleves, m_maxSpecies);
    m_releveCount = mark.releveCount;
    m_speciesCount = mark.speciesCount;
}

bool TableModel::deleteRow(int srow)
{
    const int last = speciesRow(m_speciesCount);
    if (srow < speciesRow(1) || srow > last)
        return false;
    const QString x = m_grid.cell(IndexColumn, srow);
    const int s = indexFromText(x);
    m_grid.moveRow(srow, last, false);
    m_grid.clearRow(last);
    m_grid.setCell(IndexColumn, last, x);
    --m_speciesCount;
    // Index 0 carries the relevés' scale bytes, never a species: an unreadable index must not
    // wipe them.
    if (s >= 1)
        m_cover.clearSpecies(s);
    return true;
}

bool TableModel::deleteColumn(int scol)
{
    const int last = releveColumn(m_releveCount);
    if (scol < FirstReleveColumn || scol > last)
        return false;
    const QString x = m_grid.cell(scol, IndexRow);
    const int r = indexFromText(x);
    m_grid.moveColumn(scol, last, false);
    m_grid.clearColumn(last);
    m_grid.setCell(last, IndexRow, x);
    --m_releveCount;
    if (r >= 1)
        m_cover.clearReleve(r);
    return true;
}

int TableModel::releveIndexAt(int col) const
{
    return indexFromText(m_grid.cell(col, IndexRow));
}

int TableModel::speciesIndexAt(int row) const
{
    return indexFromText(m_grid.cell(IndexColumn, row));
}

QString TableModel::num4Text(int n)
{
    QString s = QString::number(n);
    if (s.size() > 4)
        s.truncate(4);
    return s.rightJustified(4, QLatin1Char(' '));
}

int TableModel::indexFromText(const QString &text)
{
    const QString t = text.trimmed();
    if (t.isEmpty() || t.size() > 9)
        return -1;
    int v = 0;
    for (QChar ch : t) {
        if (ch < QLatin1Char('0') || ch > QLatin1Char('9'))
            return -1;
        v = v * 10 + (ch.unicode() - '0');
    }
    return v <= MaxCapacity ? v : -1;
}

int TableModel::defaultColWidthFor(int pointSize)
{
    // pointSize × 4 × 1.1, rounded half to even, in exact integer arithmetic.
    return roundHalfEven(44LL * pointSize, 10);
}

int TableModel::defaultRowHeightFor(int pointSize)
{
    return roundHalfEven(1333LL * pointSize, 1000) + 2;
}

} // namespace Zelkor

namespace Zelkor {

void TableModel::attachJournal(EditJournal *journal)
{
    m_journal.attach(journal);
    m_grid.attachJournal(journal);
    m_cover.attachJournal(journal);
}

TableModel::Shape TableModel::shape() const
{
    return Shape{m_speciesCount, m_releveCount, m_headerRows, m_maxSpecies, m_maxReleves, m_dataScaleK, m_dataScaleD};
}

void TableModel::restoreShape(const Shape &shape)
{
    if (shape == this->shape())
        return;
    if (m_journal)
        m_journal->record([this, old = this->shape()] { restoreShape(old); }, 0);
    m_speciesCount = shape.speciesCount;
    m_releveCount = shape.releveCount;
    m_headerRows = shape.headerRows;
    m_maxSpecies = shape.maxSpecies;
    m_maxReleves = shape.maxReleves;
    m_dataScaleK = shape.dataScaleK;
    m_dataScaleD = shape.dataScaleD;
}

void TableModel::recountStatistics()
{
    m_speciesFreq.assign(std::size_t(std::max(m_maxSpecies, 0)) + 1, 0);
    m_releveSpCount.assign(std::size_t(std::max(m_maxReleves, 0)) + 1, 0);
    m_releveLayerLine.resize(std::size_t(std::max(m_maxReleves, 0)) + 1, ByteDataSet{});
    const int lastCol = releveColumn(m_releveCount);
    for (int k = 1; k <= m_speciesCount && k < int(m_speciesFreq.size()); ++k) {
        m_grid.forEachInRow(speciesRow(k), [&](int c, const QString &) {
            if (c >= FirstReleveColumn && c <= lastCol) {
                ++m_speciesFreq[std::size_t(k)];
                if (releveOfColumn(c) < int(m_releveSpCount.size()))
                    ++m_releveSpCount[std::size_t(releveOfColumn(c))];
            }
        });
    }
    m_searchHits.clear();
}

qint64 TableModel::cellsOutsideTheScale() const
{
    qint64 cells = 0;
    for (int i = 1; i <= releveCount(); ++i) {
        m_cover.forEachInReleve(releveIndexAt(releveColumn(i)), [&](int s, const ByteDataSet &codes) {
            // Species index 0 carries the relevé's scale bytes.
            if (s > 0 && !std::all_of(codes.begin(), codes.end(), isCoverCodeOfTheScale))
                ++cells;
        });
    }
    return cells;
}

} // namespace Zelkor
