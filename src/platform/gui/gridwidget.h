#pragma once

#include "platform/cellgrid.h"

#include <QAbstractScrollArea>
#include <QColor>
#include <QFont>
#include <QHash>
#include <QPoint>
#include <QRect>
#include <QStaticText>
#include <QTimer>

#include <functional>
#include <vector>

class QLineEdit;

namespace Zelkor {

class CellGrid;

/// A rectangle of grid cells, inclusive on every side (grid columns and rows).
struct GridRange
{
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
    bool contains(int c, int r) const { return c >= left && c <= right && r >= top && r <= bottom; }
    bool operator==(const GridRange &) const = default;
};

/// The string grid of the composition table. It paints the cells of a CellGrid straight from the
/// model: the fixed columns and rows stay in place while the rest scrolls, and only the cells in
/// view are looked at. It keeps a current cell outside the fixed area and a selected range, lets
/// the user drag whole rows and columns to new places and, when editing is on, asks its owner to
/// change a cell's text. The model is not owned; after changing cells or sizes call gridChanged().
class GridWidget : public QAbstractScrollArea
{
    Q_OBJECT

public:
    /// The colour of the cells, the fixed cells and the grid lines.
    static QColor cellColor() { return QColor(255, 255, 208); }
    static QColor fixedColor() { return QColor(255, 255, 0); }

    /// Called after each visible cell is drawn, with the visible part of the cell.
    using DrawCellHook = std::function<void(QPainter &painter, int col, int row, const QRect &rect)>;
    /// Called once per paint after all cells are drawn, with the canvas area being painted: the
    /// owner's tints of the whole view at once (the same picture as tinting after every cell).
    using PaintOverHook = std::function<void(QPainter &painter, const QRect &area)>;
    /// Told where the user dropped a dragged row (Qt::Vertical) or column (Qt::Horizontal);
    /// returns the position it may go to, or -1 to refuse the move.
    using MoveTargetHook = std::function<int(Qt::Orientation orientation, int from, int to)>;
    /// Moves a dragged row (Qt::Vertical) or column the way the owner keeps its changes (one step
    /// of its history, say); false when nothing moved.
    using MoveHook = std::function<bool(Qt::Orientation orientation, int from, int to)>;

    explicit GridWidget(QWidget *parent = nullptr);
    ~GridWidget() override;

    /// Shows grid (not owned; may be null for an empty grid).
    void setGrid(CellGrid *grid);
    CellGrid *grid() const { return m_grid; }
    /// Takes up changed cells, sizes, counts or fixed areas of the model and repaints, which
    /// removes the tints.
    void gridChanged();
    /// Repaints the grid, removing the tints (cells and sizes unchanged).
    void refresh();

    // --- Scrolling -----------------------------------------------------------------------
    /// The first non-fixed row / column at the top / left edge of the scrolling area.
    int topRow() const;
    int leftCol() const;
    /// Scrolls so that row r / column c is the first one after the fixed area (as far as the
    /// table reaches).
    void setTopRow(int r);
    void setLeftCol(int c);
    /// Scrolls the least needed to show cell (c, r) whole.
    void ensureCellVisible(int c, int r);

    // --- Cells and the mouse -------------------------------------------------------------
    /// The cell under point p of the grid's canvas (viewport coordinates); {-1, -1} outside
    /// every cell.
    GridCell cellAt(const QPoint &p) const;
    /// The rectangle of cell (c, r) on the canvas, without its grid lines; empty when the cell
    /// is hidden or wholly out of view.
    QRect cellRect(int c, int r) const;

    /// The current cell; it always lies outside the fixed area.
    int currentCol() const { return m_curCol; }
    int currentRow() const { return m_curRow; }
    /// Makes (c, r) the current cell, moved out of the fixed area and into the grid; the
    /// selection becomes that one cell.
    void setCurrentCell(int c, int r);
    /// The selected range of non-fixed cells (the current cell alone when nothing is dragged).
    /// Whole rows reach from the first non-fixed column to the last, whole columns from the
    /// first non-fixed row to the last.
    GridRange selection() const;
    /// Selects range (clamped to the non-fixed cells); the current cell becomes its bottom right.
    void setSelection(const GridRange &range);
    /// Selects rows first..last / columns first..last whole (clamped to the non-fixed ones): the
    /// current cell moves to row last / column last and keeps its column / row. A click on a
    /// row's fixed cells or a column's fixed cells does the same (Shift: from the anchor on).
    void selectRows(int first, int last);
    void selectColumns(int first, int last);
    /// Whether whole rows / whole columns are selected.
    bool selectsWholeRows() const { return m_wholeRows; }
    bool selectsWholeColumns() const { return m_wholeCols; }
    /// The selection with the fixed cells that belong to it: whole rows take in the fixed
    /// columns, whole columns the fixed rows (what is copied and highlighted).
    GridRange selectedBlock() const;

    // --- Modes ---------------------------------------------------------------------------
    /// Dragging whole rows (by their fixed columns) and columns (by their fixed rows).
    bool isMovingEnabled() const { return m_moving; }
    void setMovingEnabled(bool on) { m_moving = on; }
    /// Dragging a rectangle of non-fixed cells, Shift with a click or the arrow keys, and, while
    /// moving is on too, a click on a row's or column's fixed cells that does not move it.
    bool isRangeSelectEnabled() const { return m_rangeSelect; }
    void setRangeSelectEnabled(bool on) { m_rangeSelect = on; }
    /// Typing into non-fixed cells; the typed text is offered through cellEditRequested().
    bool isEditingEnabled() const { return m_editing; }
    void setEditingEnabled(bool on);
    /// True while the in-cell editor is open.
    bool isEditorOpen() const;

    // --- Drawing -------------------------------------------------------------------------
    /// Installs the step that runs after each cell is drawn (owner drawing).
    void setDrawCellHook(DrawCellHook hook) { m_drawCellHook = std::move(hook); }
    /// Installs the step that runs once per paint after the cells (owner drawing of the view).
    void setPaintOverHook(PaintOverHook hook) { m_paintOverHook = std::move(hook); }
    /// Installs the rule that limits where dragged rows and columns may go (none: anywhere
    /// outside the fixed area).
    void setMoveTargetHook(MoveTargetHook hook) { m_moveTargetHook = std::move(hook); }
    /// Installs the owner's move of a dropped row or column (none: the grid moves it itself).
    void setMoveHook(MoveHook hook) { m_moveHook = std::move(hook); }
    /// Combines colour with the pixels of rect by bitwise AND: text stays readable and tinting
    /// twice changes nothing.
    static void tint(QPainter &painter, const QRect &rect, const QColor &colour);
    /// Tints row r from the left of column 0 to the right of the last column (or the grid's
    /// right edge), column c from the top of row 0 down, or one cell, until the next repaint.
    void tintRow(int r, const QColor &colour);
    void tintColumn(int c, const QColor &colour);
    void tintCell(int c, int r, const QColor &colour);
    /// Removes the tints at once.
    void clearTints();
    /// The canvas rectangles that tintRow(r), tintColumn(c) and tintCell(c, r) cover in the
    /// present view; empty when out of view.
    QRect rowTintRect(int r) const { return tintRect(Tint{TintKind::Row, 0, r, QColor()}); }
    QRect columnTintRect(int c) const { return tintRect(Tint{TintKind::Column, c, 0, QColor()}); }
    QRect cellTintRect(int c, int r) const { return tintRect(Tint{TintKind::Cell, c, r, QColor()}); }
    /// Paints the part area of the canvas as the grid shows it now (what paintEvent draws).
    void paintGrid(QPainter &painter, const QRect &area);

    // --- Zoom ----------------------------------------------------------------------------
    /// The zoom of the view in percent (ZoomSteps::Min … Max, 100 at first). The cells are drawn
    /// in the widget's font scaled by it, and the rows and columns take the grid's sizes scaled
    /// by it; the grid and the widget's font stay as they are. The first row and column in view
    /// stay in view.
    int zoomPercent() const { return m_zoom; }
    void setZoomPercent(int percent);
    /// One step of ZoomSteps up or down; back to 100 %. Ctrl with the mouse wheel zooms too.
    void zoomIn();
    void zoomOut();
    void resetZoom();
    /// The font the cells are drawn in: the widget's font at the zoom.
    QFont viewFont() const { return m_viewFont; }

    /// The row or column being dragged, -1 when none.
    int draggedRow() const { return m_drag == Drag::Row ? m_dragFrom : -1; }
    int draggedColumn() const { return m_drag == Drag::Column ? m_dragFrom : -1; }

Q_SIGNALS:
    /// The user dragged row `from` to position `to`; the model has been changed already.
    void rowMoved(int from, int to);
    /// The user dragged column `from` to position `to`; the model has been changed already.
    void columnMoved(int from, int to);
    /// The user typed text into cell (c, r) (editing on). The grid does not change the cell.
    void cellEditRequested(int col, int row, const QString &text);
    /// Mouse events on the canvas, with the cell under the mouse ({-1, -1} outside the cells).
    /// The press is reported before the grid acts on it, the release after.
    void mousePressed(int col, int row, Qt::MouseButton button, Qt::KeyboardModifiers modifiers,
                      const QPoint &pos);
    void mouseMoved(int col, int row, Qt::MouseButtons buttons, Qt::KeyboardModifiers modifiers,
                    const QPoint &pos);
    void mouseReleased(int col, int row, Qt::MouseButton button, Qt::KeyboardModifiers modifiers,
                       const QPoint &pos);
    /// The current cell changed.
    void currentCellChanged(int col, int row);
    /// The zoom changed (zoomPercent()).
    void zoomChanged(int percent);

protected:
    /// Owner drawing after cell (c, r); rect is its visible part. Calls the hook by default.
    virtual void drawCell(QPainter &painter, int col, int row, const QRect &rect);

    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void scrollContentsBy(int dx, int dy) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void wheelEvent(QWheelEvent *event) override;
    void focusInEvent(QFocusEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;
    void changeEvent(QEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    enum class Drag { None, Row, Column, Select };
    enum class TintKind { Row, Column, Cell };
    struct Tint
    {
        TintKind kind;
        int col;
        int row;
        QColor colour;
    };
    struct Line
    {
        int index; // row or column
        int pos;   // canvas position of its top or left edge
        int size;  // height or width (> 0)
    };

    int rowCount() const;
    int colCount() const;
    /// A grid size in pixels at the zoom.
    int zoomed(int size) const;
    void updateViewFont();
    int fixedRows() const;
    int fixedCols() const;
    void rebuildOffsets();
    void updateScrollBars();
    int fixedWidth() const;
    int fixedHeight() const;
    /// Canvas right edge of the last column / bottom of the last row, at most the viewport's.
    int gridRight() const;
    int gridBottom() const;
    /// Canvas position of the left edge of column c / top of row r (scroll applied).
    int colX(int c) const;
    int rowY(int r) const;
    /// The column / row at canvas position x / y; -1 outside.
    int colAtX(int x) const;
    int rowAtY(int y) const;
    /// Visible columns / rows meeting [from, to) on the canvas.
    void visibleCols(int from, int to, std::vector<Line> *out) const;
    void visibleRows(int from, int to, std::vector<Line> *out) const;
    static void visibleLines(const std::vector<int> &pos, int fixedCount, int fixedExtent,
                             int offset, int from, int to, std::vector<Line> *out);
    QRect tintRect(const Tint &t) const;
    const QStaticText &staticText(const QString &text);
    void clampCurrent();
    void moveCurrent(int c, int r, bool extend);
    void startAutoScroll();
    void autoScrollStep();
    void dragTo(const QPoint &pos);
    void openEditor(const QString &initial, bool selectAll);
    void commitEditor();
    void closeEditor();

    CellGrid *m_grid = nullptr;
    // m_colPos[c] is the offset of column c from column 0 (widths plus grid lines), with one
    // entry more for the right edge; hidden rows and columns take no room. Rebuilt by
    // gridChanged(), searched by bisection.
    std::vector<int> m_colPos;
    std::vector<int> m_rowPos;
    int m_fixedCols = 0;
    int m_fixedRows = 0;

    int m_curCol = 0;
    int m_curRow = 0;
    int m_anchorCol = 0;
    int m_anchorRow = 0;
    bool m_wholeRows = false;
    bool m_wholeCols = false;

    bool m_moving = true;
    bool m_rangeSelect = true;
    bool m_editing = false;

    Drag m_drag = Drag::None;
    int m_dragFrom = -1;
    int m_dragTo = -1;
    // Shift was held when the row or column drag began: a click extends the selection.
    bool m_dragExtends = false;
    QPoint m_lastMouse;
    QTimer m_autoScroll;

    std::vector<Tint> m_tints;
    DrawCellHook m_drawCellHook;
    PaintOverHook m_paintOverHook;
    MoveTargetHook m_moveTargetHook;
    MoveHook m_moveHook;

    QHash<QString, QStaticText> m_textCache;
    int m_textCacheFontKey = 0;

    int m_zoom = 100;
    QFont m_viewFont;
    // Wheel turns of less than a notch (high-resolution wheels) add up to one.
    int m_wheelZoom = 0;

    QLineEdit *m_editor = nullptr;
    int m_editCol = -1;
    int m_editRow = -1;
};

} // namespace Zelkor
