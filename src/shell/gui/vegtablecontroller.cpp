#include "shell/gui/vegtablecontroller.h"

#include "shell/workspace.h"
#include "table/tableclipboard.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>
#include <QPainter>

#include <algorithm>

namespace Zelkor {

namespace {

// Where the panels appear against the mouse.
const QPoint kRowPanelOffset(6, -40);
const QPoint kColumnPanelOffset(-135, -20);

// The buttons of the row panel and of the column panel, top to bottom.
enum RowButton { InsRow, DelRow, Remark };
enum ColumnButton { InsCol, DelCol };

} // namespace

VegTableController::VegTableController(Workspace *workspace, GridWidget *grid, QWidget *panelParent)
    : QObject(grid)
    , m_ws(workspace)
    , m_grid(grid)
    , m_panelParent(panelParent)
    , m_rowPanel(new CommandPanel(QStringLiteral("Panel_forRow"),
                                  {{QStringLiteral("Btn_InsRow"), QStringLiteral("行を挿入する"), {}},
                                   {QStringLiteral("Btn_DelRow"), QStringLiteral("行を削除する"), {}},
                                   {QStringLiteral("Btn_Remark"), QStringLiteral("行コメント記入"),
                                    QStringLiteral("コメント記入")}},
                                  panelParent))
    , m_colPanel(new CommandPanel(QStringLiteral("Panel_forCol"),
                                  {{QStringLiteral("Btn_InsCol"), QStringLiteral("列を挿入する"), {}},
                                   {QStringLiteral("Btn_DelCol"), QStringLiteral("列を削除する"), {}}},
                                  panelParent))
    , m_cellTip(new CellTip(panelParent))
    , m_queryPanel(new QueryPanel(panelParent))
{
    connect(grid, &GridWidget::mousePressed, this, &VegTableController::vegTableMouseDown);
    connect(grid, &GridWidget::mouseMoved, this, &VegTableController::vegTableMouseMove);
    connect(grid, &GridWidget::mouseReleased, this, &VegTableController::vegTableMouseUp);
    connect(m_rowPanel, &CommandPanel::buttonReleased, this, &VegTableController::rowPanelReleased);
    connect(m_colPanel, &CommandPanel::buttonReleased, this, &VegTableController::columnPanelReleased);

    grid->setPaintOverHook([this](QPainter &p, const QRect &area) { paintTints(p, area); });
    // A dragged row or column stays among those in use; a refused move snaps back.
    grid->setMoveTargetHook([this](Qt::Orientation o, int from, int to) {
        const int at = o == Qt::Vertical ? m_ws->editing().clampRowMove(from, to) : m_ws->editing().clampColumnMove(from, to);
        return at == from ? -1 : at;
    });
    // A dragged row or column moves as one step of the table's history.
    grid->setMoveHook([this](Qt::Orientation o, int from, int to) {
        return o == Qt::Vertical ? m_ws->editing().moveRow(from, to) : m_ws->editing().moveColumn(from, to);
    });
    // A dragged row or column changes the order of the table.
    connect(grid, &GridWidget::rowMoved, this, [this] { m_ws->editing().markRearranged(); });
    connect(grid, &GridWidget::columnMoved, this, [this] { m_ws->editing().markRearranged(); });
    connect(grid, &GridWidget::cellEditRequested, this,
            [this](int c, int r, const QString &text) { m_ws->editing().editCell(c, r, text); });
    // The row or column of an open question shows while the question waits.
    connect(&workspace->editing(), &TableEditCommands::tintChanged, grid->viewport(), qOverload<>(&QWidget::update));

    // The hiding and sorting commands switch the grid's mouse mode at once, not only at the
    // next press.
    connect(&workspace->sortAndHide(), &SortAndHide::mouseModeRequested, this, [this](bool rangeSelect) {
        m_grid->setMovingEnabled(!rangeSelect);
        m_grid->setRangeSelectEnabled(true);
        if (rangeSelect)
            m_grid->setEditingEnabled(false);
    });

    connect(m_queryPanel, &QueryPanel::searchRequested, this,
            [this](const QString &text, bool exact, bool ignoreCase) {
                m_ws->editing().search(text, exact, ignoreCase);
            });
}

VegTableController::~VegTableController()
{
    // The panels belong to the window, which may outlive the grid's controller.
    delete m_rowPanel.data();
    delete m_colPanel.data();
    delete m_cellTip.data();
    delete m_queryPanel.data();
}

// --- Drawing ------------------------------------------------------------------------------------

void VegTableController::paintTints(QPainter &painter, const QRect &area)
{
    const TableModel &m = m_ws->model();
    auto tint = [&](const QRect &rect, const QColor &colour) {
        GridWidget::tint(painter, rect & area, colour);
    };
    auto tintTarget = [&](const EditTarget &t) {
        if (t.kind == EditTarget::Row)
            tint(m_grid->rowTintRect(t.index), targetTint());
        else if (t.kind == EditTarget::Column)
            tint(m_grid->columnTintRect(t.index), targetTint());
    };
    tint(m_grid->rowTintRect(m.speciesNumberRow()), speciesNumberRowTint());
    for (const GridCell &hit : m.searchHits())
        tint(m_grid->cellTintRect(hit.col, hit.row), searchHitTint());
    tintTarget(m_ws->editing().pendingTint());
    tintTarget(m_pressTint);
}

void VegTableController::setPressTint(const EditTarget &target)
{
    if (m_pressTint == target)
        return;
    m_pressTint = target;
    m_grid->viewport()->update();
}

// --- The mouse ----------------------------------------------------------------------------------

QPoint VegTableController::toPanelParent(const QPoint &canvasPos) const
{
    const QPoint global = m_grid->viewport()->mapToGlobal(canvasPos);
    return m_panelParent ? m_panelParent->mapFromGlobal(global) : global;
}

void VegTableController::showCellTip(int col, int row, int minLength, const QPoint &canvasPos)
{
    if (col < TableModel::FirstReleveColumn || row < 0 || !m_grid->grid())
        return;
    const QString &text = m_grid->grid()->cell(col, row);
    if (text.size() > minLength)
        m_cellTip->showText(text, toPanelParent(canvasPos));
}

void VegTableController::vegTableMouseDown(int col, int row, Qt::MouseButton button,
                                           Qt::KeyboardModifiers, const QPoint &pos)
{
    // The modes follow the range operation for this very press (the grid acts after us). A block
    // of cells can always be selected, to be copied; it goes to the range operation only while
    // one waits for it.
    const bool selectsRange = m_ws->sortAndHide().rangeMode().selectsRange();
    m_grid->setMovingEnabled(!selectsRange);
    m_grid->setRangeSelectEnabled(true);
    if (col < 0 || row < 0)
        return;
    const int headerRows = m_ws->model().headerRows();

    if (button == Qt::RightButton) {
        if (col < TableModel::FirstReleveColumn && row > headerRows) {
            setPressTint(EditTarget{EditTarget::Row, row});
            m_colPanel->hidePanel();
            m_rowPanel->popUp(toPanelParent(pos) + kRowPanelOffset);
            m_grid->setCurrentCell(m_grid->currentCol(), row);
        } else if (row < headerRows && col >= TableModel::FirstReleveColumn) {
            setPressTint(EditTarget{EditTarget::Column, col});
            m_rowPanel->hidePanel();
            m_colPanel->popUp(toPanelParent(pos) + kColumnPanelOffset);
            m_grid->setCurrentCell(col, m_grid->currentRow());
        }
        return;
    }

    m_grid->viewport()->setCursor(Qt::DragMoveCursor);
    showCellTip(col, row, 2, pos);
    // Show the row or column a drag will move.
    if (col < TableModel::FirstReleveColumn && row > headerRows)
        setPressTint(EditTarget{EditTarget::Row, row});
    else if (row <= headerRows && col >= TableModel::FirstReleveColumn)
        setPressTint(EditTarget{EditTarget::Column, col});
}

void VegTableController::vegTableMouseMove(int col, int row, Qt::MouseButtons buttons,
                                           Qt::KeyboardModifiers modifiers, const QPoint &pos)
{
    if (buttons != Qt::NoButton) {
        // The slide from the grid onto a panel button.
        const QPoint global = m_grid->viewport()->mapToGlobal(pos);
        if (m_rowPanel->isVisible())
            m_rowPanel->trackMouse(global);
        if (m_colPanel->isVisible())
            m_colPanel->trackMouse(global);
        return;
    }
    if (modifiers == Qt::ShiftModifier)
        showCellTip(col, row, 4, pos);
}

void VegTableController::vegTableMouseUp(int, int, Qt::MouseButton button, Qt::KeyboardModifiers,
                                         const QPoint &pos)
{
    // The grid keeps the mouse while a button is down, so a release over a panel button arrives
    // here: find the button under it before the panels go.
    const QPoint global = m_grid->viewport()->mapToGlobal(pos);
    const int rowButton = m_rowPanel->buttonAt(global);
    const int colButton = m_colPanel->buttonAt(global);

    endPress();
    if (button == Qt::LeftButton && m_ws->sortAndHide().rangeMode().selectsRange()) {
        const GridRange range = m_grid->selection();
        m_ws->sortAndHide().rangeReleased(range.left, range.top, range.right, range.bottom);
    }
    if (rowButton >= 0)
        rowPanelReleased(rowButton, button);
    else if (colButton >= 0)
        columnPanelReleased(colButton, button);
}

void VegTableController::endPress()
{
    m_rowPanel->hidePanel();
    m_colPanel->hidePanel();
    m_cellTip->hide();
    m_grid->viewport()->unsetCursor();
    // The repaint removes the tints of the press.
    m_pressTint = EditTarget{};
    m_grid->refresh();
}

void VegTableController::rowPanelReleased(int index, Qt::MouseButton button)
{
    endPress();
    if (button != Qt::RightButton)
        return;
    switch (index) {
    case InsRow: itemInsRowClick(); break;
    case DelRow: itemDelRowClick(); break;
    case Remark: itemCommentClick(); break;
    default: break;
    }
}

void VegTableController::columnPanelReleased(int index, Qt::MouseButton button)
{
    endPress();
    if (button != Qt::RightButton)
        return;
    switch (index) {
    case InsCol: itemInsColClick(); break;
    case DelCol: itemDelColClick(); break;
    default: break;
    }
}

// --- Menu commands ------------------------------------------------------------------------------

void VegTableController::itemSearchClick()
{
    QPoint at(0, 0);
    if (m_panelParent) {
        // Over the grid, centred near its top.
        const QPoint gridTop = m_grid->mapTo(m_panelParent.data(), QPoint(0, 0));
        at = gridTop + QPoint((m_grid->width() - QueryPanel::PanelWidth) / 2, 40);
    }
    m_queryPanel->showPanel(at, m_ws->editing().searchHistory().texts());
}

void VegTableController::itemResetSearchClick() { m_ws->editing().resetSearch(); }

void VegTableController::itemFindNextClick()
{
    const GridCell hit = m_ws->editing().nextSearchHit();
    if (hit.col < 0)
        return;
    // The marks lie in the fixed name column and header rows, where the current cell never is:
    // it takes the mark's row or column and keeps the other.
    const CellGrid &g = m_ws->model().grid();
    const int col = hit.col >= g.fixedCols() ? hit.col : m_grid->currentCol();
    const int row = hit.row >= g.fixedRows() ? hit.row : m_grid->currentRow();
    m_grid->setCurrentCell(col, row);
    m_grid->ensureCellVisible(m_grid->currentCol(), m_grid->currentRow());
}
void VegTableController::itemDelRowClick() { m_ws->editing().deleteRow(m_grid->currentRow()); }
void VegTableController::itemDelColClick() { m_ws->editing().deleteColumn(m_grid->currentCol()); }
void VegTableController::itemInsRowClick() { m_ws->editing().insertRow(m_grid->currentRow()); }
void VegTableController::itemInsColClick() { m_ws->editing().insertColumn(m_grid->currentCol()); }
void VegTableController::itemCommentClick() { m_ws->editing().writeComment(m_grid->currentRow()); }
void VegTableController::itemEditTitleClick() { m_ws->document().editTitle(); }

void VegTableController::itemCopyClick() { copyBlock(false); }
void VegTableController::itemCopyByLayerClick() { copyBlock(true); }

void VegTableController::copyBlock(bool byLayer)
{
    const TableModel &m = m_ws->model();
    const CellGrid &g = m.grid();
    GridRange block = m_grid->selectedBlock();
    // Whole rows and columns stop at the table in use, not at the spare columns and rows.
    if (m_grid->selectsWholeRows())
        block.right = std::min(block.right, std::max(int(TableModel::FrequencyColumn), TableModel::releveColumn(m.releveCount())));
    if (m_grid->selectsWholeColumns())
        block.bottom = std::min(block.bottom, std::max(m.speciesNumberRow(), m.speciesRow(m.speciesCount())));
    const std::vector<int> columns = TableClipboard::shownColumns(g, block.left, block.right);
    const std::vector<int> rows = TableClipboard::shownRows(g, block.top, block.bottom);
    const TableClipboard::Block cells = byLayer ? TableClipboard::layerBlock(m, columns, rows, m_ws->settings().layerNames)
                                                : TableClipboard::cellBlock(g, columns, rows);
    auto *data = new QMimeData;
    data->setText(TableClipboard::plainText(cells));
    data->setHtml(TableClipboard::htmlText(cells));
    QGuiApplication::clipboard()->setMimeData(data);
}

} // namespace Zelkor
