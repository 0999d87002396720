#include "platform/gui/gridwidget.h"

#include "platform/cellgrid.h"
#include "platform/zoomsteps.h"

#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <QWheelEvent>

#include <algorithm>
#include <climits>
#include <cmath>

namespace Zelkor {

namespace {

// One pixel of grid line lies right of every column and below every row.
constexpr int kLineWidth = 1;
// A row or column never takes more room than this, so that the offsets cannot overflow even in
// a table whose sizes come from a damaged file.
constexpr int kMaxExtent = 10000;
constexpr int kTextMargin = 2;
constexpr int kTextCacheLimit = 20000;

const QColor kFixedLineColor(0, 0, 0);
const QColor kLineColor(192, 192, 192);
const QColor kDropMarkColor(0, 0, 160);

int extentOf(int size)
{
    return size > 0 ? std::min(size, kMaxExtent) + kLineWidth : 0;
}

void buildOffsets(int count, const std::function<int(int)> &sizeOf, std::vector<int> *pos)
{
    pos->assign(std::size_t(count) + 1, 0);
    long long acc = 0;
    for (int i = 0; i < count; ++i) {
        (*pos)[std::size_t(i)] = int(acc);
        acc = std::min<long long>(acc + extentOf(sizeOf(i)), INT_MAX / 2);
    }
    (*pos)[std::size_t(count)] = int(acc);
}

} // namespace

GridWidget::GridWidget(QWidget *parent)
    : QAbstractScrollArea(parent)
{
    setFocusPolicy(Qt::StrongFocus);
    viewport()->setAutoFillBackground(false);
    viewport()->setMouseTracking(true);
    setMouseTracking(true);
    m_autoScroll.setInterval(50);
    connect(&m_autoScroll, &QTimer::timeout, this, &GridWidget::autoScrollStep);
    updateViewFont();
    rebuildOffsets();
}

GridWidget::~GridWidget() = default;

void GridWidget::setGrid(CellGrid *grid)
{
    closeEditor();
    m_grid = grid;
    gridChanged();
}

void GridWidget::gridChanged()
{
    rebuildOffsets();
    clampCurrent();
    updateScrollBars();
    if (m_editor && m_editor->isVisible()
        && (m_editCol >= colCount() || m_editRow >= rowCount()))
        closeEditor();
    refresh();
}

void GridWidget::refresh()
{
    m_tints.clear();
    viewport()->update();
}

int GridWidget::rowCount() const { return m_grid ? m_grid->rowCount() : 0; }
int GridWidget::colCount() const { return m_grid ? m_grid->colCount() : 0; }
int GridWidget::fixedRows() const { return m_fixedRows; }
int GridWidget::fixedCols() const { return m_fixedCols; }

int GridWidget::zoomed(int size) const
{
    return ZoomSteps::scaled(size, m_zoom);
}

void GridWidget::rebuildOffsets()
{
    // One pass over the rows and columns, never over the cells.
    const CellGrid *g = m_grid;
    const int zoom = m_zoom;
    buildOffsets(colCount(), [g, zoom](int c) { return ZoomSteps::scaled(g->colWidth(c), zoom); }, &m_colPos);
    buildOffsets(rowCount(), [g, zoom](int r) { return ZoomSteps::scaled(g->rowHeight(r), zoom); }, &m_rowPos);
    m_fixedCols = g ? std::clamp(g->fixedCols(), 0, colCount()) : 0;
    m_fixedRows = g ? std::clamp(g->fixedRows(), 0, rowCount()) : 0;
}

int GridWidget::fixedWidth() const { return m_colPos[std::size_t(m_fixedCols)]; }
int GridWidget::fixedHeight() const { return m_rowPos[std::size_t(m_fixedRows)]; }

void GridWidget::updateScrollBars()
{
    const int hTotal = m_colPos.back() - fixedWidth();
    const int hAvail = std::max(0, viewport()->width() - fixedWidth());
    horizontalScrollBar()->setRange(0, std::max(0, hTotal - hAvail));
    horizontalScrollBar()->setPageStep(std::max(1, hAvail));
    horizontalScrollBar()->setSingleStep(extentOf(m_grid ? zoomed(m_grid->defaultColWidth()) : 1));

    const int vTotal = m_rowPos.back() - fixedHeight();
    const int vAvail = std::max(0, viewport()->height() - fixedHeight());
    verticalScrollBar()->setRange(0, std::max(0, vTotal - vAvail));
    verticalScrollBar()->setPageStep(std::max(1, vAvail));
    verticalScrollBar()->setSingleStep(extentOf(m_grid ? zoomed(m_grid->defaultRowHeight()) : 1));
}

int GridWidget::colX(int c) const
{
    // A scrolling column's canvas position is its offset less the scroll value: the fixed
    // columns' width is both its offset base and its canvas base.
    if (c < m_fixedCols)
        return m_colPos[std::size_t(c)];
    return m_colPos[std::size_t(c)] - horizontalScrollBar()->value();
}

int GridWidget::rowY(int r) const
{
    if (r < m_fixedRows)
        return m_rowPos[std::size_t(r)];
    return m_rowPos[std::size_t(r)] - verticalScrollBar()->value();
}

namespace {
// The index whose span [pos[i], pos[i+1]) holds offset m among indexes first..count-1; -1 when
// m lies beyond them. Of several spans starting at m, hidden ones are empty and skipped.
int indexAt(const std::vector<int> &pos, int first, int count, int m)
{
    if (count <= first || m < pos[std::size_t(first)])
        return -1;
    auto it = std::upper_bound(pos.begin() + first, pos.begin() + count + 1, m);
    const int i = int(it - pos.begin()) - 1;
    return i < count ? i : -1;
}
} // namespace

int GridWidget::colAtX(int x) const
{
    if (x < 0 || x >= viewport()->width())
        return -1;
    if (x < fixedWidth())
        return indexAt(m_colPos, 0, m_fixedCols, x);
    return indexAt(m_colPos, m_fixedCols, colCount(), x + horizontalScrollBar()->value());
}

int GridWidget::rowAtY(int y) const
{
    if (y < 0 || y >= viewport()->height())
        return -1;
    if (y < fixedHeight())
        return indexAt(m_rowPos, 0, m_fixedRows, y);
    return indexAt(m_rowPos, m_fixedRows, rowCount(), y + verticalScrollBar()->value());
}

void GridWidget::visibleLines(const std::vector<int> &pos, int fixedCount, int fixedExtent,
                              int offset, int from, int to, std::vector<Line> *out)
{
    out->clear();
    const int count = int(pos.size()) - 1;
    for (int i = 0; i < fixedCount && pos[std::size_t(i)] < to; ++i) {
        const int ext = pos[std::size_t(i) + 1] - pos[std::size_t(i)];
        if (ext > 0 && pos[std::size_t(i)] + ext > from)
            out->push_back(Line{i, pos[std::size_t(i)], ext - kLineWidth});
    }
    // The scrolling part: canvas position = model offset - offset (the fixed extent cancels).
    const int start = std::max(from, fixedExtent);
    if (start >= to || count <= fixedCount)
        return;
    int i = indexAt(pos, fixedCount, count, start + offset);
    if (i < 0)
        return;
    const auto end = pos.begin() + count + 1;
    while (i < count) {
        // Skip the hidden ones: they share their start with the next shown one.
        const auto next = std::upper_bound(pos.begin() + i, end, pos[std::size_t(i)]);
        if (next == end)
            break;
        const int j = int(next - pos.begin());
        const int k = j - 1;
        const int p = pos[std::size_t(k)] - offset;
        if (p >= to)
            break;
        out->push_back(Line{k, p, pos[std::size_t(j)] - pos[std::size_t(k)] - kLineWidth});
        i = j;
    }
}

void GridWidget::visibleCols(int from, int to, std::vector<Line> *out) const
{
    visibleLines(m_colPos, m_fixedCols, fixedWidth(), horizontalScrollBar()->value(), from, to, out);
}

void GridWidget::visibleRows(int from, int to, std::vector<Line> *out) const
{
    visibleLines(m_rowPos, m_fixedRows, fixedHeight(), verticalScrollBar()->value(), from, to, out);
}

int GridWidget::topRow() const
{
    const int r = indexAt(m_rowPos, m_fixedRows, rowCount(), fixedHeight() + verticalScrollBar()->value());
    return r < 0 ? m_fixedRows : r;
}

int GridWidget::leftCol() const
{
    const int c = indexAt(m_colPos, m_fixedCols, colCount(), fixedWidth() + horizontalScrollBar()->value());
    return c < 0 ? m_fixedCols : c;
}

void GridWidget::setTopRow(int r)
{
    r = std::clamp(r, m_fixedRows, std::max(m_fixedRows, rowCount() - 1));
    verticalScrollBar()->setValue(m_rowPos[std::size_t(r)] - fixedHeight());
}

void GridWidget::setLeftCol(int c)
{
    c = std::clamp(c, m_fixedCols, std::max(m_fixedCols, colCount() - 1));
    horizontalScrollBar()->setValue(m_colPos[std::size_t(c)] - fixedWidth());
}

void GridWidget::ensureCellVisible(int c, int r)
{
    auto ensure = [](QScrollBar *bar, const std::vector<int> &pos, int fixedCount, int index,
                     int count, int avail) {
        if (index < fixedCount || index >= count)
            return;
        const int base = pos[std::size_t(fixedCount)];
        const int start = pos[std::size_t(index)] - base;
        const int end = pos[std::size_t(index) + 1] - base;
        int v = bar->value();
        if (end > v + avail)
            v = end - avail;
        if (start < v)
            v = start;
        bar->setValue(v);
    };
    ensure(horizontalScrollBar(), m_colPos, m_fixedCols, c, colCount(),
           std::max(0, viewport()->width() - fixedWidth()));
    ensure(verticalScrollBar(), m_rowPos, m_fixedRows, r, rowCount(),
           std::max(0, viewport()->height() - fixedHeight()));
}

GridCell GridWidget::cellAt(const QPoint &p) const
{
    const int c = colAtX(p.x());
    const int r = rowAtY(p.y());
    if (c < 0 || r < 0)
        return GridCell{-1, -1};
    return GridCell{c, r};
}

QRect GridWidget::cellRect(int c, int r) const
{
    if (c < 0 || r < 0 || c >= colCount() || r >= rowCount())
        return QRect();
    const int w = m_colPos[std::size_t(c) + 1] - m_colPos[std::size_t(c)] - kLineWidth;
    const int h = m_rowPos[std::size_t(r) + 1] - m_rowPos[std::size_t(r)] - kLineWidth;
    if (w <= 0 || h <= 0)
        return QRect();
    const QRect rect(colX(c), rowY(r), w, h);
    QRect region = viewport()->rect();
    if (c >= m_fixedCols)
        region.setLeft(fixedWidth());
    if (r >= m_fixedRows)
        region.setTop(fixedHeight());
    if (!rect.intersects(region))
        return QRect();
    return rect;
}

// --- Current cell and selection -----------------------------------------------------------

void GridWidget::clampCurrent()
{
    auto clampTo = [](int v, int lo, int count) { return count > lo ? std::clamp(v, lo, count - 1) : lo; };
    m_curCol = clampTo(m_curCol, m_fixedCols, colCount());
    m_curRow = clampTo(m_curRow, m_fixedRows, rowCount());
    m_anchorCol = clampTo(m_anchorCol, m_fixedCols, colCount());
    m_anchorRow = clampTo(m_anchorRow, m_fixedRows, rowCount());
}

void GridWidget::setCurrentCell(int c, int r)
{
    moveCurrent(c, r, false);
}

void GridWidget::moveCurrent(int c, int r, bool extend)
{
    if (isEditorOpen())
        commitEditor();
    const int oldCol = m_curCol;
    const int oldRow = m_curRow;
    m_curCol = c;
    m_curRow = r;
    if (!extend) {
        m_anchorCol = c;
        m_anchorRow = r;
        m_wholeRows = m_wholeCols = false;
    }
    clampCurrent();
    viewport()->update();
    if (oldCol != m_curCol || oldRow != m_curRow)
        Q_EMIT currentCellChanged(m_curCol, m_curRow);
}

GridRange GridWidget::selection() const
{
    GridRange range{std::min(m_anchorCol, m_curCol), std::min(m_anchorRow, m_curRow),
                    std::max(m_anchorCol, m_curCol), std::max(m_anchorRow, m_curRow)};
    if (m_wholeRows) {
        range.left = m_fixedCols;
        range.right = std::max(m_fixedCols, colCount() - 1);
    }
    if (m_wholeCols) {
        range.top = m_fixedRows;
        range.bottom = std::max(m_fixedRows, rowCount() - 1);
    }
    return range;
}

GridRange GridWidget::selectedBlock() const
{
    GridRange range = selection();
    if (m_wholeRows)
        range.left = 0;
    if (m_wholeCols)
        range.top = 0;
    return range;
}

void GridWidget::setSelection(const GridRange &range)
{
    m_wholeRows = m_wholeCols = false;
    m_anchorCol = range.left;
    m_anchorRow = range.top;
    moveCurrent(range.right, range.bottom, true);
}

void GridWidget::selectRows(int first, int last)
{
    m_wholeRows = true;
    m_wholeCols = false;
    m_anchorRow = first;
    moveCurrent(m_curCol, last, true);
}

void GridWidget::selectColumns(int first, int last)
{
    m_wholeCols = true;
    m_wholeRows = false;
    m_anchorCol = first;
    moveCurrent(last, m_curRow, true);
}

void GridWidget::setEditingEnabled(bool on)
{
    m_editing = on;
    if (!on)
        closeEditor();
}

// --- Drawing ------------------------------------------------------------------------------

void GridWidget::tint(QPainter &painter, const QRect &rect, const QColor &colour)
{
    if (rect.isEmpty())
        return;
    const QPainter::CompositionMode mode = painter.compositionMode();
    painter.setCompositionMode(QPainter::RasterOp_SourceAndDestination);
    painter.fillRect(rect, colour);
    painter.setCompositionMode(mode);
}

void GridWidget::tintRow(int r, const QColor &colour)
{
    m_tints.push_back(Tint{TintKind::Row, 0, r, colour});
    viewport()->update();
}

void GridWidget::tintColumn(int c, const QColor &colour)
{
    m_tints.push_back(Tint{TintKind::Column, c, 0, colour});
    viewport()->update();
}

void GridWidget::tintCell(int c, int r, const QColor &colour)
{
    m_tints.push_back(Tint{TintKind::Cell, c, r, colour});
    viewport()->update();
}

void GridWidget::clearTints()
{
    if (m_tints.empty())
        return;
    m_tints.clear();
    viewport()->update();
}

int GridWidget::gridRight() const
{
    const int right = colCount() > m_fixedCols ? m_colPos.back() - horizontalScrollBar()->value() : m_colPos.back();
    return std::min(viewport()->width(), right);
}

int GridWidget::gridBottom() const
{
    const int bottom = rowCount() > m_fixedRows ? m_rowPos.back() - verticalScrollBar()->value() : m_rowPos.back();
    return std::min(viewport()->height(), bottom);
}

QRect GridWidget::tintRect(const Tint &t) const
{
    switch (t.kind) {
    case TintKind::Row: {
        if (t.row < 0 || t.row >= rowCount())
            return QRect();
        const int h = m_rowPos[std::size_t(t.row) + 1] - m_rowPos[std::size_t(t.row)];
        if (h <= 0)
            return QRect();
        QRect rect(0, rowY(t.row), gridRight(), h - kLineWidth);
        if (t.row >= m_fixedRows && rect.top() < fixedHeight())
            rect.setTop(fixedHeight());
        return rect.bottom() < 0 || rect.top() >= viewport()->height() ? QRect() : rect;
    }
    case TintKind::Column: {
        if (t.col < 0 || t.col >= colCount())
            return QRect();
        const int w = m_colPos[std::size_t(t.col) + 1] - m_colPos[std::size_t(t.col)];
        if (w <= 0)
            return QRect();
        QRect rect(colX(t.col), 0, w - kLineWidth, gridBottom());
        if (t.col >= m_fixedCols && rect.left() < fixedWidth())
            rect.setLeft(fixedWidth());
        return rect.right() < 0 || rect.left() >= viewport()->width() ? QRect() : rect;
    }
    case TintKind::Cell: {
        QRect rect = cellRect(t.col, t.row);
        if (rect.isEmpty())
            return rect;
        if (t.col >= m_fixedCols && rect.left() < fixedWidth())
            rect.setLeft(fixedWidth());
        if (t.row >= m_fixedRows && rect.top() < fixedHeight())
            rect.setTop(fixedHeight());
        return rect;
    }
    }
    return QRect();
}

const QStaticText &GridWidget::staticText(const QString &text)
{
    auto it = m_textCache.find(text);
    if (it != m_textCache.end())
        return it.value();
    if (m_textCache.size() >= kTextCacheLimit)
        m_textCache.clear();
    QStaticText st(text);
    st.setTextFormat(Qt::PlainText);
    st.setPerformanceHint(QStaticText::AggressiveCaching);
    st.prepare(QTransform(), m_viewFont);
    return m_textCache.insert(text, st).value();
}

void GridWidget::paintEvent(QPaintEvent *event)
{
    // A long command lets the window paint while it works, before it tells that the grid grew
    // or shrank: the offsets follow the grid's size first.
    if (m_colPos.size() != std::size_t(colCount()) + 1 || m_rowPos.size() != std::size_t(rowCount()) + 1) {
        rebuildOffsets();
        clampCurrent();
    }
    QPainter painter(viewport());
    paintGrid(painter, event->rect());
}

void GridWidget::paintGrid(QPainter &p, const QRect &areaIn)
{
    const QRect area = areaIn & viewport()->rect();
    p.fillRect(area, cellColor());
    if (!m_grid || area.isEmpty())
        return;
    p.setFont(m_viewFont);

    const int fw = fixedWidth();
    const int fh = fixedHeight();
    const int vw = viewport()->width();
    const int vh = viewport()->height();
    const int gridRight = this->gridRight();
    const int gridBottom = this->gridBottom();

    std::vector<Line> cols;
    std::vector<Line> rows;
    visibleCols(area.left(), area.right() + 1, &cols);
    visibleRows(area.top(), area.bottom() + 1, &rows);

    // Fixed areas: the fixed rows across the whole width, the fixed columns down the rest.
    p.fillRect(QRect(0, 0, gridRight, fh) & area, fixedColor());
    p.fillRect(QRect(0, fh, fw, gridBottom - fh) & area, fixedColor());

    // The part of a cell that shows: scrolling cells slide under the fixed ones.
    auto visiblePart = [fw, fh, this](const Line &col, const Line &row) {
        QRect rect(col.pos, row.pos, col.size, row.size);
        if (col.index >= m_fixedCols && rect.left() < fw)
            rect.setLeft(fw);
        if (row.index >= m_fixedRows && rect.top() < fh)
            rect.setTop(fh);
        return rect;
    };

    // The selected range with the fixed cells of whole rows and columns (the current cell keeps
    // its normal look).
    const GridRange sel = selectedBlock();
    const bool hasRange = m_rangeSelect && (sel.left != sel.right || sel.top != sel.bottom);
    if (hasRange) {
        const QColor hl = palette().color(QPalette::Highlight);
        for (const Line &row : rows) {
            if (row.index < sel.top || row.index > sel.bottom)
                continue;
            for (const Line &col : cols) {
                if (col.index >= sel.left && col.index <= sel.right
                    && !(col.index == m_curCol && row.index == m_curRow))
                    p.fillRect(visiblePart(col, row), hl);
            }
        }
    }

    // Grid lines below every row and right of every column.
    QVector<QLine> fixedLines;
    QVector<QLine> lines;
    for (const Line &row : rows) {
        const int y = row.pos + row.size;
        if (row.index < m_fixedRows) {
            fixedLines.append(QLine(0, y, gridRight - 1, y));
        } else {
            fixedLines.append(QLine(0, y, fw - 1, y));
            lines.append(QLine(fw, y, gridRight - 1, y));
        }
    }
    for (const Line &col : cols) {
        const int x = col.pos + col.size;
        if (col.index < m_fixedCols) {
            fixedLines.append(QLine(x, 0, x, gridBottom - 1));
        } else {
            fixedLines.append(QLine(x, 0, x, fh - 1));
            lines.append(QLine(x, fh, x, gridBottom - 1));
        }
    }
    p.setPen(kLineColor);
    p.drawLines(lines);
    p.setPen(kFixedLineColor);
    p.drawLines(fixedLines);

    // Texts, left aligned with a small margin, clipped to their cells only when they overflow.
    const QColor textColour = palette().color(QPalette::Active, QPalette::WindowText).value() < 128
                                  ? palette().color(QPalette::Active, QPalette::WindowText)
                                  : QColor(Qt::black);
    const QColor selectedText = palette().color(QPalette::HighlightedText);
    bool penSelected = false;
    p.setPen(textColour);
    // A row lower than half a line of text (the one-pixel index row) or a column no wider than
    // the margin (the index column) shows no text: clipped to it, a text would leave a stripe
    // of glyph fragments along the grid's edge.
    const int minTextHeight = std::max(2, p.fontMetrics().height() / 2);
    for (const Line &row : rows) {
        if (row.size < minTextHeight)
            continue;
        const bool rowInSel = hasRange && row.index >= sel.top && row.index <= sel.bottom;
        for (const Line &col : cols) {
            if (col.size <= kTextMargin)
                continue;
            const QString &text = m_grid->cell(col.index, row.index);
            if (text.isEmpty())
                continue;
            const bool selected = rowInSel && col.index >= sel.left && col.index <= sel.right
                                  && !(col.index == m_curCol && row.index == m_curRow);
            if (selected != penSelected) {
                p.setPen(selected ? selectedText : textColour);
                penSelected = selected;
            }
            const QStaticText &st = staticText(text);
            const QSizeF size = st.size();
            const QPointF at(col.pos + kTextMargin, row.pos + (row.size - size.height()) / 2.0);
            const QRect vis = visiblePart(col, row);
            const QRectF textRect(at, size);
            if (QRectF(vis).contains(textRect)) {
                p.drawStaticText(at, st);
            } else {
                p.setClipRect(vis);
                p.drawStaticText(at, st);
                p.setClipping(false);
            }
        }
    }

    // Owner drawing after the cells.
    for (const Line &row : rows)
        for (const Line &col : cols)
            drawCell(p, col.index, row.index, visiblePart(col, row));
    if (m_paintOverHook)
        m_paintOverHook(p, area);

    for (const Tint &t : m_tints)
        tint(p, tintRect(t), t.colour);

    // The current cell's focus frame.
    if (hasFocus() && !isEditorOpen()) {
        const QRect cur = cellRect(m_curCol, m_curRow);
        if (!cur.isEmpty()) {
            QRect frame = cur;
            if (frame.left() < fw)
                frame.setLeft(fw);
            if (frame.top() < fh)
                frame.setTop(fh);
            QPen pen(Qt::black, 1, Qt::DotLine);
            p.setPen(pen);
            p.setBrush(Qt::NoBrush);
            p.drawRect(frame.adjusted(0, 0, -1, -1));
        }
    }

    // Where a dragged row or column will land.
    if (m_drag == Drag::Row && m_dragTo >= 0) {
        const int h = m_rowPos[std::size_t(m_dragTo) + 1] - m_rowPos[std::size_t(m_dragTo)];
        if (h > 0) {
            const int y = m_dragTo > m_dragFrom ? rowY(m_dragTo) + h - 1 : rowY(m_dragTo);
            if (y >= fh - 1 && y < vh)
                p.fillRect(QRect(0, y - 1, gridRight, 3), kDropMarkColor);
        }
    } else if (m_drag == Drag::Column && m_dragTo >= 0) {
        const int w = m_colPos[std::size_t(m_dragTo) + 1] - m_colPos[std::size_t(m_dragTo)];
        if (w > 0) {
            const int x = m_dragTo > m_dragFrom ? colX(m_dragTo) + w - 1 : colX(m_dragTo);
            if (x >= fw - 1 && x < vw)
                p.fillRect(QRect(x - 1, 0, 3, gridBottom), kDropMarkColor);
        }
    }
}

void GridWidget::drawCell(QPainter &painter, int col, int row, const QRect &rect)
{
    if (m_drawCellHook)
        m_drawCellHook(painter, col, row, rect);
}

// --- Events -------------------------------------------------------------------------------

void GridWidget::resizeEvent(QResizeEvent *event)
{
    QAbstractScrollArea::resizeEvent(event);
    updateScrollBars();
}

void GridWidget::scrollContentsBy(int, int)
{
    if (isEditorOpen())
        commitEditor();
    viewport()->update();
}

void GridWidget::mousePressEvent(QMouseEvent *event)
{
    const QPoint pos = event->position().toPoint();
    m_lastMouse = pos;
    const GridCell cell = cellAt(pos);
    if (isEditorOpen())
        commitEditor();
    // The owner sees the press first: it may switch the modes for this very press.
    Q_EMIT mousePressed(cell.col, cell.row, event->button(), event->modifiers(), pos);
    if (event->button() != Qt::LeftButton || cell.col < 0 || cell.row < 0)
        return;
    setFocus(Qt::MouseFocusReason);
    m_dragExtends = event->modifiers() & Qt::ShiftModifier;
    if (m_moving && cell.col < m_fixedCols && cell.row >= m_fixedRows) {
        m_drag = Drag::Row;
        m_dragFrom = m_dragTo = cell.row;
        viewport()->update();
    } else if (m_moving && cell.row < m_fixedRows && cell.col >= m_fixedCols) {
        m_drag = Drag::Column;
        m_dragFrom = m_dragTo = cell.col;
        viewport()->update();
    } else if (cell.col >= m_fixedCols && cell.row >= m_fixedRows) {
        const bool extend = m_rangeSelect && (event->modifiers() & Qt::ShiftModifier);
        moveCurrent(cell.col, cell.row, extend);
        if (m_rangeSelect)
            m_drag = Drag::Select;
    }
}

void GridWidget::mouseMoveEvent(QMouseEvent *event)
{
    const QPoint pos = event->position().toPoint();
    m_lastMouse = pos;
    const GridCell cell = cellAt(pos);
    Q_EMIT mouseMoved(cell.col, cell.row, event->buttons(), event->modifiers(), pos);
    if (m_drag == Drag::None)
        return;
    dragTo(pos);
    const QRect inner(fixedWidth(), fixedHeight(), viewport()->width() - fixedWidth(),
                      viewport()->height() - fixedHeight());
    if (!inner.contains(pos))
        startAutoScroll();
    else
        m_autoScroll.stop();
}

void GridWidget::dragTo(const QPoint &pos)
{
    const int x = std::clamp(pos.x(), fixedWidth(), std::max(fixedWidth(), viewport()->width() - 1));
    const int y = std::clamp(pos.y(), fixedHeight(), std::max(fixedHeight(), viewport()->height() - 1));
    int c = colAtX(x);
    int r = rowAtY(y);
    if (c < 0)
        c = colCount() - 1;
    if (r < 0)
        r = rowCount() - 1;
    c = std::max(c, m_fixedCols);
    r = std::max(r, m_fixedRows);
    switch (m_drag) {
    case Drag::Row:
        if (r != m_dragTo && r < rowCount()) {
            m_dragTo = r;
            viewport()->update();
        }
        break;
    case Drag::Column:
        if (c != m_dragTo && c < colCount()) {
            m_dragTo = c;
            viewport()->update();
        }
        break;
    case Drag::Select:
        if (c < colCount() && r < rowCount() && (c != m_curCol || r != m_curRow))
            moveCurrent(c, r, true);
        break;
    case Drag::None:
        break;
    }
}

void GridWidget::startAutoScroll()
{
    if (!m_autoScroll.isActive())
        m_autoScroll.start();
}

void GridWidget::autoScrollStep()
{
    if (m_drag == Drag::None) {
        m_autoScroll.stop();
        return;
    }
    const QPoint pos = m_lastMouse;
    if (m_drag != Drag::Column) {
        QScrollBar *v = verticalScrollBar();
        if (pos.y() >= viewport()->height())
            v->setValue(v->value() + v->singleStep());
        else if (pos.y() < fixedHeight())
            v->setValue(v->value() - v->singleStep());
    }
    if (m_drag != Drag::Row) {
        QScrollBar *h = horizontalScrollBar();
        if (pos.x() >= viewport()->width())
            h->setValue(h->value() + h->singleStep());
        else if (pos.x() < fixedWidth())
            h->setValue(h->value() - h->singleStep());
    }
    dragTo(pos);
}

void GridWidget::mouseReleaseEvent(QMouseEvent *event)
{
    const QPoint pos = event->position().toPoint();
    m_autoScroll.stop();
    const Drag drag = m_drag;
    const int from = m_dragFrom;
    int to = m_dragTo;
    m_drag = Drag::None;
    m_dragFrom = m_dragTo = -1;
    // A row or column pressed and let go where it was is selected whole.
    if (m_rangeSelect && event->button() == Qt::LeftButton && from >= 0 && from == to) {
        if (drag == Drag::Row) {
            m_wholeRows = true;
            m_wholeCols = false;
            if (!m_dragExtends)
                m_anchorRow = from;
            moveCurrent(m_curCol, from, true);
        } else if (drag == Drag::Column) {
            m_wholeCols = true;
            m_wholeRows = false;
            if (!m_dragExtends)
                m_anchorCol = from;
            moveCurrent(from, m_curRow, true);
        }
    }
    if (m_moveTargetHook && (drag == Drag::Row || drag == Drag::Column) && from >= 0 && to >= 0 && from != to)
        to = m_moveTargetHook(drag == Drag::Row ? Qt::Vertical : Qt::Horizontal, from, to);
    if (event->button() == Qt::LeftButton && m_grid && from >= 0 && to >= 0 && from != to) {
        if (drag == Drag::Row && to >= m_fixedRows && to < rowCount()) {
            if (m_moveHook)
                m_moveHook(Qt::Vertical, from, to);
            else
                m_grid->moveRow(from, to, true);
            rebuildOffsets();
            updateScrollBars();
            Q_EMIT rowMoved(from, to);
        } else if (drag == Drag::Column && to >= m_fixedCols && to < colCount()) {
            if (m_moveHook)
                m_moveHook(Qt::Horizontal, from, to);
            else
                m_grid->moveColumn(from, to, true);
            rebuildOffsets();
            updateScrollBars();
            Q_EMIT columnMoved(from, to);
        }
    }
    viewport()->update();
    const GridCell cell = cellAt(pos);
    Q_EMIT mouseReleased(cell.col, cell.row, event->button(), event->modifiers(), pos);
}

void GridWidget::mouseDoubleClickEvent(QMouseEvent *event)
{
    const GridCell cell = cellAt(event->position().toPoint());
    if (m_editing && event->button() == Qt::LeftButton && cell.col >= m_fixedCols
        && cell.row >= m_fixedRows) {
        moveCurrent(cell.col, cell.row, false);
        openEditor(m_grid ? m_grid->cell(cell.col, cell.row) : QString(), false);
        return;
    }
    mousePressEvent(event);
}

void GridWidget::keyPressEvent(QKeyEvent *event)
{
    const bool extend = m_rangeSelect && (event->modifiers() & Qt::ShiftModifier);
    const bool ctrl = event->modifiers() & Qt::ControlModifier;
    const int pageRows = std::max(1, (viewport()->height() - fixedHeight())
                                         / std::max(1, extentOf(m_grid ? zoomed(m_grid->defaultRowHeight()) : 1)));
    int c = m_curCol;
    int r = m_curRow;
    switch (event->key()) {
    case Qt::Key_Left: --c; break;
    case Qt::Key_Right: ++c; break;
    case Qt::Key_Up: --r; break;
    case Qt::Key_Down: ++r; break;
    case Qt::Key_PageUp: r -= pageRows; break;
    case Qt::Key_PageDown: r += pageRows; break;
    case Qt::Key_Home:
        c = m_fixedCols;
        if (ctrl)
            r = m_fixedRows;
        break;
    case Qt::Key_End:
        c = colCount() - 1;
        if (ctrl)
            r = rowCount() - 1;
        break;
    case Qt::Key_F2:
    case Qt::Key_Return:
    case Qt::Key_Enter:
        if (m_editing && m_grid) {
            openEditor(m_grid->cell(m_curCol, m_curRow), false);
            return;
        }
        QAbstractScrollArea::keyPressEvent(event);
        return;
    default: {
        const QString text = event->text();
        if (m_editing && !ctrl && !text.isEmpty() && text.at(0).isPrint()) {
            openEditor(text, false);
            return;
        }
        QAbstractScrollArea::keyPressEvent(event);
        return;
    }
    }
    moveCurrent(c, r, extend);
    ensureCellVisible(m_curCol, m_curRow);
}

void GridWidget::wheelEvent(QWheelEvent *event)
{
    if (!(event->modifiers() & Qt::ControlModifier)) {
        m_wheelZoom = 0;
        QAbstractScrollArea::wheelEvent(event);
        return;
    }
    event->accept();
    // One notch (120) is one step.
    m_wheelZoom += event->angleDelta().y();
    while (m_wheelZoom >= 120) {
        m_wheelZoom -= 120;
        zoomIn();
    }
    while (m_wheelZoom <= -120) {
        m_wheelZoom += 120;
        zoomOut();
    }
}

// --- Zoom ---------------------------------------------------------------------------------

void GridWidget::setZoomPercent(int percent)
{
    percent = ZoomSteps::bounded(percent);
    if (percent == m_zoom)
        return;
    if (isEditorOpen())
        commitEditor();
    const int top = topRow();
    const int left = leftCol();
    m_zoom = percent;
    updateViewFont();
    rebuildOffsets();
    updateScrollBars();
    setTopRow(top);
    setLeftCol(left);
    viewport()->update();
    Q_EMIT zoomChanged(m_zoom);
}

void GridWidget::zoomIn() { setZoomPercent(ZoomSteps::zoomIn(m_zoom)); }
void GridWidget::zoomOut() { setZoomPercent(ZoomSteps::zoomOut(m_zoom)); }
void GridWidget::resetZoom() { setZoomPercent(ZoomSteps::Normal); }

void GridWidget::updateViewFont()
{
    QFont f = font();
    if (m_zoom != ZoomSteps::Normal) {
        if (f.pointSizeF() > 0)
            f.setPointSizeF(f.pointSizeF() * m_zoom / 100.0);
        else if (f.pixelSize() > 0)
            f.setPixelSize(std::max(1, int(std::lround(f.pixelSize() * m_zoom / 100.0))));
    }
    m_viewFont = f;
    m_textCache.clear();
    if (m_editor)
        m_editor->setFont(m_viewFont);
}

void GridWidget::focusInEvent(QFocusEvent *event)
{
    QAbstractScrollArea::focusInEvent(event);
    viewport()->update();
}

void GridWidget::focusOutEvent(QFocusEvent *event)
{
    QAbstractScrollArea::focusOutEvent(event);
    viewport()->update();
}

void GridWidget::changeEvent(QEvent *event)
{
    if (event->type() == QEvent::FontChange) {
        updateViewFont();
        viewport()->update();
    }
    QAbstractScrollArea::changeEvent(event);
}

// --- In-cell editing ----------------------------------------------------------------------

bool GridWidget::isEditorOpen() const
{
    return m_editor && m_editor->isVisible();
}

void GridWidget::openEditor(const QString &initial, bool selectAll)
{
    if (!m_grid || m_curCol < m_fixedCols || m_curRow < m_fixedRows || m_curCol >= colCount()
        || m_curRow >= rowCount())
        return;
    ensureCellVisible(m_curCol, m_curRow);
    const QRect rect = cellRect(m_curCol, m_curRow);
    if (rect.isEmpty())
        return;
    if (!m_editor) {
        m_editor = new QLineEdit(viewport());
        m_editor->setFrame(false);
        m_editor->setFont(m_viewFont);
        m_editor->installEventFilter(this);
    }
    m_editCol = m_curCol;
    m_editRow = m_curRow;
    m_editor->setGeometry(rect.adjusted(0, 0, 1, 1));
    m_editor->setText(initial);
    if (selectAll)
        m_editor->selectAll();
    else
        m_editor->end(false);
    m_editor->show();
    m_editor->setFocus();
    viewport()->update();
}

void GridWidget::commitEditor()
{
    if (!isEditorOpen())
        return;
    const QString text = m_editor->text();
    const int c = m_editCol;
    const int r = m_editRow;
    closeEditor();
    if (m_grid && text != m_grid->cell(c, r))
        Q_EMIT cellEditRequested(c, r, text);
}

void GridWidget::closeEditor()
{
    if (!isEditorOpen())
        return;
    const bool hadFocus = m_editor->hasFocus();
    m_editor->hide();
    m_editCol = m_editRow = -1;
    if (hadFocus)
        setFocus();
    viewport()->update();
}

bool GridWidget::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_editor) {
        if (event->type() == QEvent::KeyPress) {
            auto *key = static_cast<QKeyEvent *>(event);
            switch (key->key()) {
            case Qt::Key_Escape:
                closeEditor();
                return true;
            case Qt::Key_Return:
            case Qt::Key_Enter:
                commitEditor();
                return true;
            case Qt::Key_Up:
            case Qt::Key_Down:
                commitEditor();
                keyPressEvent(key);
                return true;
            default:
                break;
            }
        } else if (event->type() == QEvent::FocusOut) {
            commitEditor();
        }
    }
    return QAbstractScrollArea::eventFilter(watched, event);
}

} // namespace Zelkor
