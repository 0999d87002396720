#include "platform/cellgrid.h"

#include <algorithm>

namespace Zelkor {

namespace {
const QString kEmpty;

template<typename Row>
auto lowerCol(Row &row, int c)
{
    return std::lower_bound(row.begin(), row.end(), c,
                            [](const auto &e, int key) { return e.col < key; });
}
} // namespace

CellGrid::Row::iterator CellGrid::findCol(Row &row, int c)
{
    return lowerCol(row, c);
}

void CellGrid::recordCells(std::vector<Placed> cells)
{
    std::size_t bytes = cells.capacity() * sizeof(Placed);
    for (const Placed &p : cells)
        bytes += std::size_t(p.text.size()) * sizeof(char16_t);
    m_journal->record([this, cells = std::move(cells)] {
        for (const Placed &p : cells)
            setCell(p.col, p.row, p.text);
    }, bytes, this);
}

void CellGrid::setFixedCols(int n)
{
    if (m_journal && n != m_fixedCols)
        m_journal->record([this, old = m_fixedCols] { setFixedCols(old); }, 0, this);
    m_fixedCols = n;
}

void CellGrid::setFixedRows(int n)
{
    if (m_journal && n != m_fixedRows)
        m_journal->record([this, old = m_fixedRows] { setFixedRows(old); }, 0, this);
    m_fixedRows = n;
}

void CellGrid::setColCount(int count)
{
    count = std::max(count, 0);
    if (m_journal && count != colCount()) {
        // Back to the old count first, then the cells beyond the new one.
        std::vector<Placed> dropped;
        for (int r = 0; r < rowCount(); ++r) {
            const Row &row = m_rows[std::size_t(r)];
            for (auto it = lowerCol(row, count); it != row.end(); ++it)
                dropped.push_back(Placed{it->col, r, it->text});
        }
        if (!dropped.empty())
            recordCells(std::move(dropped));
        m_journal->record([this, old = colCount()] { setColCount(old); }, 0, this);
    }
    if (count < colCount()) {
        for (Row &row : m_rows)
            row.erase(lowerCol(row, count), row.end());
    }
    m_colWidths.resize(std::size_t(count), m_defaultColWidth);
}

void CellGrid::setRowCount(int count)
{
    count = std::max(count, 0);
    if (m_journal && count != rowCount()) {
        std::vector<Placed> dropped;
        for (int r = count; r < rowCount(); ++r)
            for (const Entry &e : m_rows[std::size_t(r)])
                dropped.push_back(Placed{e.col, r, e.text});
        if (!dropped.empty())
            recordCells(std::move(dropped));
        m_journal->record([this, old = rowCount()] { setRowCount(old); }, 0, this);
    }
    m_rows.resize(std::size_t(count));
    m_rowHeights.resize(std::size_t(count), m_defaultRowHeight);
}

const QString &CellGrid::cell(int c, int r) const
{
    if (r < 0 || r >= rowCount() || c < 0 || c >= colCount())
        return kEmpty;
    const Row &row = m_rows[std::size_t(r)];
    auto it = lowerCol(row, c);
    if (it != row.end() && it->col == c)
        return it->text;
    return kEmpty;
}

void CellGrid::setCell(int c, int r, const QString &text)
{
    if (r < 0 || r >= rowCount() || c < 0 || c >= colCount())
        return;
    if (m_journal) {
        const QString &old = cell(c, r);
        if (old == text)
            return;
        // One cell's old text costs only itself (an empty one, the usual case of cells filled,
        // twelve bytes): the cells set one after another are one batch.
        struct OldTexts : EditJournal::Batch
        {
            struct Slot
            {
                int col;
                int row;
                int text; // in texts; -1 for an empty cell
            };
            CellGrid *grid = nullptr;
            std::vector<Slot> slots;
            std::vector<QString> texts;
            void undo() override
            {
                static const QString empty;
                for (auto it = slots.rbegin(); it != slots.rend(); ++it)
                    grid->setCell(it->col, it->row, it->text < 0 ? empty : texts[std::size_t(it->text)]);
            }
        };
        OldTexts &batch = m_journal->batch<OldTexts>(this);
        batch.grid = this;
        if (old.isEmpty()) {
            batch.slots.push_back(OldTexts::Slot{c, r, -1});
            m_journal->addBytes(sizeof(OldTexts::Slot));
        } else {
            batch.slots.push_back(OldTexts::Slot{c, r, int(batch.texts.size())});
            batch.texts.push_back(old);
            m_journal->addBytes(sizeof(OldTexts::Slot) + sizeof(QString));
        }
    }
    Row &row = m_rows[std::size_t(r)];
    // A row filled from left to right (a table being read) grows at its end.
    if ((row.empty() || row.back().col < c) && !text.isEmpty()) {
        row.push_back(Entry{c, text});
        return;
    }
    auto it = findCol(row, c);
    const bool found = it != row.end() && it->col == c;
    if (text.isEmpty()) {
        if (found)
            row.erase(it);
    } else if (found) {
        it->text = text;
    } else {
        row.insert(it, Entry{c, text});
    }
}

void CellGrid::clearCells()
{
    if (m_journal)
        clearColumnsFrom(0);
    for (Row &row : m_rows)
        Row().swap(row);
}

void CellGrid::replaceCells(CellGrid &&cells)
{
    if (&cells == this)
        return;
    if (m_journal) {
        // Cell by cell, so that the change can be taken back.
        clearCells();
        setRowCount(cells.rowCount());
        setColCount(cells.colCount());
        for (int r = 0; r < cells.rowCount(); ++r)
            cells.forEachInRow(r, [&](int c, const QString &text) { setCell(c, r, text); });
        cells = CellGrid();
        return;
    }
    m_rows = std::move(cells.m_rows);
    m_rowHeights.resize(m_rows.size(), m_defaultRowHeight);
    m_colWidths.resize(cells.m_colWidths.size(), m_defaultColWidth);
    cells.m_rows.clear();
    cells.m_rowHeights.clear();
    cells.m_colWidths.clear();
}

void CellGrid::clearColumnsFrom(int c)
{
    if (m_journal) {
        std::vector<Placed> cleared;
        for (int r = 0; r < rowCount(); ++r) {
            const Row &row = m_rows[std::size_t(r)];
            for (auto it = lowerCol(row, std::max(c, 0)); it != row.end(); ++it)
                cleared.push_back(Placed{it->col, r, it->text});
        }
        if (!cleared.empty())
            recordCells(std::move(cleared));
    }
    for (Row &row : m_rows)
        row.erase(lowerCol(row, std::max(c, 0)), row.end());
}

void CellGrid::clearRow(int r)
{
    if (m_journal && r >= 0 && r < rowCount() && !m_rows[std::size_t(r)].empty()) {
        std::vector<Placed> cleared;
        for (const Entry &e : m_rows[std::size_t(r)])
            cleared.push_back(Placed{e.col, r, e.text});
        recordCells(std::move(cleared));
    }
    if (r >= 0 && r < rowCount())
        Row().swap(m_rows[std::size_t(r)]);
}

void CellGrid::clearColumn(int c)
{
    if (m_journal) {
        std::vector<Placed> cleared;
        for (int r = 0; r < rowCount(); ++r)
            if (const QString &text = cell(c, r); !text.isEmpty())
                cleared.push_back(Placed{c, r, text});
        if (!cleared.empty())
            recordCells(std::move(cleared));
    }
    for (Row &row : m_rows) {
        auto it = findCol(row, c);
        if (it != row.end() && it->col == c)
            row.erase(it);
    }
}

void CellGrid::moveRow(int from, int to, bool withSize)
{
    if (from < 0 || to < 0 || from >= rowCount() || to >= rowCount() || from == to)
        return;
    if (m_journal)
        m_journal->record([this, from, to, withSize] { moveRow(to, from, withSize); }, 0, this);
    auto rotate = [from, to](auto &v) {
        if (from < to)
            std::rotate(v.begin() + from, v.begin() + from + 1, v.begin() + to + 1);
        else
            std::rotate(v.begin() + to, v.begin() + from, v.begin() + from + 1);
    };
    rotate(m_rows);
    if (withSize)
        rotate(m_rowHeights);
}

void CellGrid::moveColumn(int from, int to, bool withSize)
{
    if (from < 0 || to < 0 || from >= colCount() || to >= colCount() || from == to)
        return;
    if (m_journal)
        m_journal->record([this, from, to, withSize] { moveColumn(to, from, withSize); }, 0, this);
    const int lo = std::min(from, to);
    const int hi = std::max(from, to);
    for (Row &row : m_rows) {
        auto first = lowerCol(row, lo);
        auto last = lowerCol(row, hi + 1);
        if (first == last)
            continue;
        if (from < to) {
            // Cells in from+1..to shift left; the cell of `from` goes behind them.
            if (first->col == from) {
                first->col = to;
                std::rotate(first, first + 1, last);
                for (auto it = first; it != last - 1; ++it)
                    --it->col;
            } else {
                for (auto it = first; it != last; ++it)
                    --it->col;
            }
        } else {
            // Cells in to..from-1 shift right; the cell of `from` goes in front of them.
            if ((last - 1)->col == from) {
                (last - 1)->col = to;
                std::rotate(first, last - 1, last);
                for (auto it = first + 1; it != last; ++it)
                    ++it->col;
            } else {
                for (auto it = first; it != last; ++it)
                    ++it->col;
            }
        }
    }
    if (withSize) {
        if (from < to)
            std::rotate(m_colWidths.begin() + from, m_colWidths.begin() + from + 1, m_colWidths.begin() + to + 1);
        else
            std::rotate(m_colWidths.begin() + to, m_colWidths.begin() + from, m_colWidths.begin() + from + 1);
    }
}

namespace {

// The order that puts back what order did: position order[k] receives what is now at first + k.
// Empty when order changes nothing.
std::vector<int> inverseOrder(int first, const std::vector<int> &order)
{
    std::vector<int> inverse(order.size());
    bool identity = true;
    for (std::size_t k = 0; k < order.size(); ++k) {
        inverse[std::size_t(order[k] - first)] = first + int(k);
        identity = identity && order[k] == first + int(k);
    }
    return identity ? std::vector<int>() : inverse;
}

} // namespace

void CellGrid::permuteRows(int first, const std::vector<int> &order, bool withSize, int keepColumn)
{
    if (m_journal) {
        std::vector<int> inverse = inverseOrder(first, order);
        if (inverse.empty())
            return;
        const std::size_t bytes = inverse.size() * sizeof(int);
        m_journal->record([this, first, inverse = std::move(inverse), withSize, keepColumn] {
            permuteRows(first, inverse, withSize, keepColumn);
        }, bytes, this);
    }
    // The kept column's cells, by place, to be put back after the rows moved.
    std::vector<QString> kept;
    if (keepColumn >= 0) {
        kept.reserve(order.size());
        for (std::size_t k = 0; k < order.size(); ++k)
            kept.push_back(cell(keepColumn, first + int(k)));
    }
    std::vector<Row> rows;
    std::vector<int> heights;
    rows.reserve(order.size());
    heights.reserve(order.size());
    for (int src : order) {
        rows.push_back(std::move(m_rows[std::size_t(src)]));
        heights.push_back(m_rowHeights[std::size_t(src)]);
    }
    for (std::size_t k = 0; k < order.size(); ++k) {
        m_rows[std::size_t(first) + k] = std::move(rows[k]);
        if (withSize)
            m_rowHeights[std::size_t(first) + k] = heights[k];
    }
    if (keepColumn >= 0) {
        // Part of this one change: the cells go back where they were, unrecorded.
        EditJournal *journal = m_journal.get();
        m_journal.attach(nullptr);
        for (std::size_t k = 0; k < kept.size(); ++k)
            setCell(keepColumn, first + int(k), kept[k]);
        m_journal.attach(journal);
    }
}

void CellGrid::permuteColumns(int first, const std::vector<int> &order, bool withSize, int keepRow)
{
    if (m_journal) {
        std::vector<int> inverse = inverseOrder(first, order);
        if (inverse.empty())
            return;
        const std::size_t bytes = inverse.size() * sizeof(int);
        m_journal->record([this, first, inverse = std::move(inverse), withSize, keepRow] {
            permuteColumns(first, inverse, withSize, keepRow);
        }, bytes, this);
    }
    const int last = first + int(order.size()) - 1;
    std::vector<int> newPos(order.size());
    for (std::size_t k = 0; k < order.size(); ++k)
        newPos[std::size_t(order[k] - first)] = first + int(k);
    for (std::size_t r = 0; r < m_rows.size(); ++r) {
        if (int(r) == keepRow)
            continue;
        Row &row = m_rows[r];
        auto b = lowerCol(row, first);
        auto e = lowerCol(row, last + 1);
        if (b == e)
            continue;
        for (auto it = b; it != e; ++it)
            it->col = newPos[std::size_t(it->col - first)];
        std::sort(b, e, [](const Entry &x, const Entry &y) { return x.col < y.col; });
    }
    if (!withSize)
        return;
    std::vector<int> widths(order.size());
    for (std::size_t k = 0; k < order.size(); ++k)
        widths[k] = m_colWidths[std::size_t(order[k])];
    std::copy(widths.begin(), widths.end(), m_colWidths.begin() + first);
}

int CellGrid::countInRow(int r, int c0, int c1) const
{
    if (r < 0 || r >= rowCount() || c1 < c0)
        return 0;
    const Row &row = m_rows[std::size_t(r)];
    return int(lowerCol(row, c1 + 1) - lowerCol(row, c0));
}

void CellGrid::setDefaultColWidth(int width)
{
    m_defaultColWidth = width;
    std::fill(m_colWidths.begin(), m_colWidths.end(), width);
}

void CellGrid::setDefaultRowHeight(int height)
{
    m_defaultRowHeight = height;
    std::fill(m_rowHeights.begin(), m_rowHeights.end(), height);
}

int CellGrid::colWidth(int c) const
{
    return c >= 0 && c < colCount() ? m_colWidths[std::size_t(c)] : m_defaultColWidth;
}

int CellGrid::rowHeight(int r) const
{
    return r >= 0 && r < rowCount() ? m_rowHeights[std::size_t(r)] : m_defaultRowHeight;
}

void CellGrid::setColWidth(int c, int width)
{
    if (c >= 0 && c < colCount())
        m_colWidths[std::size_t(c)] = width;
}

void CellGrid::setRowHeight(int r, int height)
{
    if (r >= 0 && r < rowCount())
        m_rowHeights[std::size_t(r)] = height;
}

std::size_t CellGrid::storedCellCount() const
{
    std::size_t n = 0;
    for (const Row &row : m_rows)
        n += row.size();
    return n;
}

std::size_t CellGrid::memoryBytes() const
{
    std::size_t n = m_rows.capacity() * sizeof(Row) + (m_rowHeights.capacity() + m_colWidths.capacity()) * sizeof(int);
    for (const Row &row : m_rows) {
        n += row.capacity() * sizeof(Entry);
        for (const Entry &e : row) {
            // Shared texts (the same cover text in many cells) are counted once per cell here,
            // an upper bound.
            if (!e.text.isEmpty())
                n += sizeof(char16_t) * std::size_t(e.text.capacity() + 1) + 16;
        }
    }
    return n;
}

} // namespace Zelkor
