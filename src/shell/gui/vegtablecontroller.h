#pragma once

#include "platform/gui/gridwidget.h"
#include "table/gui/celltip.h"
#include "table/gui/commandpanel.h"
#include "table/gui/querypanel.h"
#include "table/tableediting.h"

#include <QColor>
#include <QObject>
#include <QPointer>

namespace Zelkor {

class Workspace;

/// The mouse side of the composition table grid (VegTable) and its editing and search widgets:
/// the row and column pop-up panels with their press-slide-release commands, the tints of the
/// draw step, the cell tip, the grid's mouse modes, the limits of dragged rows and columns,
/// typed cell texts, and the search panel. Every change of the table is left to the workspace's
/// commands; this class only gathers the mouse and the keys. The mouse modes follow the
/// workspace's range mode on every press: with no range operation rows and columns can be
/// dragged by their fixed cells, otherwise they cannot, and a range released with the left
/// button goes to the sorting and hiding commands. A block of cells can be selected in both
/// (for copying).
class VegTableController : public QObject
{
    Q_OBJECT

public:
    /// The tint colours: pale green for the row or column a command or a press is about to act
    /// on, pale yellow for the species-number row, green for the search marks.
    static QColor targetTint() { return QColor(174, 255, 170); }
    static QColor speciesNumberRowTint() { return QColor(255, 255, 187); }
    static QColor searchHitTint() { return QColor(134, 255, 134); }

    /// Drives grid over workspace's table; the panels become children of panelParent (the main
    /// window). workspace and grid must outlive the controller.
    VegTableController(Workspace *workspace, GridWidget *grid, QWidget *panelParent);
    ~VegTableController() override;

    /// The row panel (Panel_forRow), the column panel (Panel_forCol), the cell tip and the
    /// search panel.
    CommandPanel *rowPanel() const { return m_rowPanel.data(); }
    CommandPanel *columnPanel() const { return m_colPanel.data(); }
    CellTip *cellTip() const { return m_cellTip.data(); }
    QueryPanel *queryPanel() const { return m_queryPanel.data(); }

    /// The draw step of the grid (VegTableDrawCell): tints the species-number row, the search
    /// marks, the row or column of an open question and the row or column being pressed, over
    /// area of the canvas.
    void paintTints(QPainter &painter, const QRect &area);
    /// The row or column tinted by the mouse press in progress (None when no press tints).
    EditTarget pressTint() const { return m_pressTint; }

    // --- Menu commands, on the grid's current cell ------------------------------------------
    /// "表内を検索する": shows the search panel over the grid.
    void itemSearchClick();
    /// "検索状態の解除": removes the search marks.
    void itemResetSearchClick();
    /// "次の検索位置へ": scrolls the next search mark into view; the current cell moves to its row
    /// (a species name) or its column (a header value).
    void itemFindNextClick();
    /// "この行を削除する", "この列を削除する", "この上に行を挿入", "この左に列を挿入",
    /// "コメントを書込む" on the current row or column.
    void itemDelRowClick();
    void itemDelColClick();
    void itemInsRowClick();
    void itemInsColClick();
    void itemCommentClick();
    /// "組成表の標題を編集".
    void itemEditTitleClick();
    /// "コピー": the selected block of the grid, as the grid shows it, to the clipboard as
    /// tab-separated text and as an HTML table. Whole rows take their fixed cells (names, numbers,
    /// frequencies) with them and whole columns their header cells; they end at the last relevé
    /// and species in use. Hidden rows and columns are left out.
    void itemCopyClick();
    /// "測定の層別コピー": the relevés and species of the selected block to the clipboard in the
    /// same two forms, one line per species and layer with the layers' print texts under a line
    /// of relevé labels (TableClipboard::layerBlock()).
    void itemCopyByLayerClick();

private:
    void vegTableMouseDown(int col, int row, Qt::MouseButton button, Qt::KeyboardModifiers modifiers,
                           const QPoint &pos);
    void vegTableMouseMove(int col, int row, Qt::MouseButtons buttons, Qt::KeyboardModifiers modifiers,
                           const QPoint &pos);
    void vegTableMouseUp(int col, int row, Qt::MouseButton button, Qt::KeyboardModifiers modifiers,
                         const QPoint &pos);
    /// A release on button index of a panel: hides it and, for the right button, runs its command
    /// on the current row or column.
    void rowPanelReleased(int index, Qt::MouseButton button);
    void columnPanelReleased(int index, Qt::MouseButton button);
    /// Canvas point of the grid to the panels' parent coordinates.
    QPoint toPanelParent(const QPoint &canvasPos) const;
    /// The cell tip for the text of relevé cell (col, row) when it is longer than minLength.
    void showCellTip(int col, int row, int minLength, const QPoint &canvasPos);
    void setPressTint(const EditTarget &target);
    /// The two copy commands.
    void copyBlock(bool byLayer);
    /// The end of every press: panels and cell tip hidden, normal cursor, the press's tints
    /// removed by a repaint.
    void endPress();

    Workspace *m_ws;
    GridWidget *m_grid;
    QPointer<QWidget> m_panelParent;
    // The panels are children of the window, which deletes them when it goes first.
    QPointer<CommandPanel> m_rowPanel;
    QPointer<CommandPanel> m_colPanel;
    QPointer<CellTip> m_cellTip;
    QPointer<QueryPanel> m_queryPanel;
    EditTarget m_pressTint;
};

} // namespace Zelkor
