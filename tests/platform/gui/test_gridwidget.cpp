// The string grid widget: geometry, scrolling, painting, tints, dragging, selection, editing,
// zoom.
#include "platform/cellgrid.h"
#include "platform/gui/gridwidget.h"
#include "platform/zoomsteps.h"

#include <QApplication>
#include <QImage>
#include <QLineEdit>
#include <QPainter>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTest>
#include <QWheelEvent>

#include <gtest/gtest.h>

#include <tuple>
#include <vector>

#include <set>

using namespace Zelkor;

namespace {

const QColor kYellow(255, 255, 0);
const QColor kCell(255, 255, 208);

// A small grid: column 0 is 10 pixels wide and row 0 is 5 high, the others 40 x 14; one pixel
// of grid line after each. Two fixed columns and rows: the fixed area is 52 x 21 pixels.
// Each cell (c, r) of the scrolling area holds "c,r"; column 0 holds "R<r>", row 0 "C<c>".
struct GridWidgetTest : ::testing::Test
{
    CellGrid grid;
    GridWidget widget;

    void SetUp() override { build(5, 40); }

    void build(int cols, int rows)
    {
        grid.setRowCount(rows);
        grid.setColCount(cols);
        grid.setDefaultColWidth(40);
        grid.setDefaultRowHeight(14);
        grid.setColWidth(0, 10);
        grid.setRowHeight(0, 5);
        grid.setFixedCols(2);
        grid.setFixedRows(2);
        for (int r = 0; r < rows; ++r)
            grid.setCell(0, r, QStringLiteral("R%1").arg(r));
        for (int c = 0; c < cols; ++c)
            grid.setCell(c, 0, QStringLiteral("C%1").arg(c));
        widget.setFrameShape(QFrame::NoFrame);
        widget.setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        widget.setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        widget.resize(300, 200);
        widget.setGrid(&grid);
        widget.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&widget));
        ASSERT_EQ(widget.viewport()->size(), QSize(300, 200));
    }

    QImage paint()
    {
        QImage image(300, 200, QImage::Format_RGB32);
        image.fill(Qt::black);
        QPainter p(&image);
        widget.paintGrid(p, image.rect());
        return image;
    }

    QPoint centre(int c, int r) const { return widget.cellRect(c, r).center(); }

    void press(int c, int r, Qt::KeyboardModifiers mods = {})
    {
        QTest::mousePress(widget.viewport(), Qt::LeftButton, mods, centre(c, r));
    }
    void moveTo(int c, int r) { QTest::mouseMove(widget.viewport(), centre(c, r)); }
    void release(int c, int r)
    {
        QTest::mouseRelease(widget.viewport(), Qt::LeftButton, {}, centre(c, r));
    }
};

TEST_F(GridWidgetTest, CellRectanglesAddWidthsAndGridLines)
{
    EXPECT_EQ(widget.cellRect(0, 0), QRect(0, 0, 10, 5));
    EXPECT_EQ(widget.cellRect(1, 1), QRect(11, 6, 40, 14));
    EXPECT_EQ(widget.cellRect(2, 2), QRect(52, 21, 40, 14));
    EXPECT_EQ(widget.cellRect(4, 3), QRect(134, 36, 40, 14));
    // Outside the grid.
    EXPECT_TRUE(widget.cellRect(5, 3).isEmpty());
    EXPECT_TRUE(widget.cellRect(-1, 3).isEmpty());
}

TEST_F(GridWidgetTest, FixedCellsStayWhileTheRestScrolls)
{
    build(12, 40);
    widget.setTopRow(10);
    widget.setLeftCol(3);
    EXPECT_EQ(widget.topRow(), 10);
    EXPECT_EQ(widget.leftCol(), 3);
    EXPECT_EQ(widget.cellRect(1, 1), QRect(11, 6, 40, 14));
    EXPECT_EQ(widget.cellRect(3, 10), QRect(52, 21, 40, 14));
    EXPECT_EQ(widget.cellRect(1, 10), QRect(11, 21, 40, 14));
    EXPECT_EQ(widget.cellRect(3, 0), QRect(52, 0, 40, 5));
    // Scrolled out of view, under the fixed area.
    EXPECT_TRUE(widget.cellRect(2, 2).isEmpty());
    EXPECT_TRUE(widget.cellRect(2, 9).isEmpty());
}

TEST_F(GridWidgetTest, CellAtFindsTheCellOfEveryPointAndNothingBeyond)
{
    widget.setTopRow(7);
    const GridCell cells[] = {{0, 0}, {1, 1}, {0, 7}, {1, 9}, {3, 1}, {2, 7}, {4, 12}};
    for (const GridCell &cell : cells) {
        const QRect rect = widget.cellRect(cell.col, cell.row);
        ASSERT_FALSE(rect.isEmpty()) << cell.col << "," << cell.row;
        for (const QPoint &p : {rect.topLeft(), rect.center(), rect.bottomRight()})
            EXPECT_EQ(widget.cellAt(p), cell) << p.x() << "," << p.y();
    }
    // Right of the last column, and outside the canvas.
    EXPECT_EQ(widget.cellAt(QPoint(250, 30)), (GridCell{-1, -1}));
    EXPECT_EQ(widget.cellAt(QPoint(-1, 30)), (GridCell{-1, -1}));
    EXPECT_EQ(widget.cellAt(QPoint(60, 200)), (GridCell{-1, -1}));
}

TEST_F(GridWidgetTest, HiddenRowsTakeNoRoom)
{
    grid.setRowHeight(3, 0);
    grid.setRowHeight(4, -1);
    widget.gridChanged();
    EXPECT_TRUE(widget.cellRect(2, 3).isEmpty());
    EXPECT_TRUE(widget.cellRect(2, 4).isEmpty());
    EXPECT_EQ(widget.cellRect(2, 5), QRect(52, 36, 40, 14));
    EXPECT_EQ(widget.cellAt(QPoint(60, 36)), (GridCell{2, 5}));
    // Scrolling to a hidden row shows the next shown one at the top.
    widget.setTopRow(3);
    EXPECT_EQ(widget.topRow(), 5);
    EXPECT_EQ(widget.cellRect(2, 5), QRect(52, 21, 40, 14));
}

TEST_F(GridWidgetTest, ScrollingStopsWithTheLastRowAtTheBottom)
{
    widget.setTopRow(39);
    const QRect last = widget.cellRect(2, 39);
    ASSERT_FALSE(last.isEmpty());
    // The row and its grid line end at the canvas's bottom edge.
    EXPECT_EQ(last.bottom() + 2, 200);
}

TEST_F(GridWidgetTest, CurrentCellStaysOutsideTheFixedArea)
{
    widget.setCurrentCell(0, 0);
    EXPECT_EQ(widget.currentCol(), 2);
    EXPECT_EQ(widget.currentRow(), 2);
    widget.setCurrentCell(99, 99);
    EXPECT_EQ(widget.currentCol(), 4);
    EXPECT_EQ(widget.currentRow(), 39);
    EXPECT_EQ(widget.selection(), (GridRange{4, 39, 4, 39}));
}

TEST_F(GridWidgetTest, PaintsFixedCellsYellowAndTheOthersInTheCellColour)
{
    const QImage image = paint();
    EXPECT_EQ(image.pixelColor(30, 12), kYellow);    // cell (1, 1)
    EXPECT_EQ(image.pixelColor(120, 10), kYellow);   // cell (3, 1), a fixed row
    EXPECT_EQ(image.pixelColor(30, 100), kYellow);   // a fixed column
    EXPECT_EQ(image.pixelColor(100, 100), kCell);    // cell (3, 6)
    EXPECT_EQ(image.pixelColor(250, 100), kCell);    // right of the last column
    EXPECT_EQ(image.pixelColor(51, 12), QColor(Qt::black)); // a grid line of the fixed area
}

namespace {
int darkPixels(const QImage &image, const QRect &rect)
{
    int n = 0;
    for (int y = rect.top(); y <= rect.bottom(); ++y)
        for (int x = rect.left(); x <= rect.right(); ++x)
            n += qGray(image.pixel(x, y)) < 100;
    return n;
}
} // namespace

TEST_F(GridWidgetTest, TextStaysInsideItsCellAndOutOfTheFixedArea)
{
    grid.setCell(2, 3, QStringLiteral("■■■■■■■■■■■■"));
    widget.gridChanged();
    QImage image = paint();
    const QRect own = widget.cellRect(2, 3);
    const QRect right = widget.cellRect(3, 3);
    EXPECT_GT(darkPixels(image, own), 20);
    EXPECT_EQ(darkPixels(image, right), 0);
    // Scrolled half under the fixed rows: nothing of it shows in the fixed rows.
    widget.verticalScrollBar()->setValue(22);
    image = paint();
    const QRect fixedRow = widget.cellRect(2, 1);
    EXPECT_EQ(darkPixels(image, QRect(fixedRow.left(), 6, 40, 14)), 0);
}

TEST(GridWidgetTint, CombinesByBitwiseAndAndRepeatsToTheSamePicture)
{
    QImage image(4, 4, QImage::Format_RGB32);
    image.fill(kCell);
    {
        QPainter p(&image);
        GridWidget::tint(p, QRect(0, 0, 2, 4), QColor(134, 255, 134));
        GridWidget::tint(p, QRect(0, 0, 2, 4), QColor(134, 255, 134));
    }
    EXPECT_EQ(image.pixelColor(0, 0), QColor(134, 255, 128));
    EXPECT_EQ(image.pixelColor(3, 0), kCell);
    image.fill(kYellow);
    {
        QPainter p(&image);
        GridWidget::tint(p, image.rect(), QColor(255, 255, 187));
    }
    EXPECT_EQ(image.pixelColor(1, 1), kYellow);
}

TEST_F(GridWidgetTest, TintsLastUntilTheNextRefresh)
{
    widget.tintRow(5, QColor(174, 255, 170));
    widget.tintColumn(3, QColor(174, 255, 170));
    QImage image = paint();
    const QPoint inRow(widget.cellRect(4, 5).center());
    const QPoint inFixedPartOfRow(widget.cellRect(1, 5).center());
    const QPoint inColumn(widget.cellRect(3, 8).center());
    EXPECT_EQ(image.pixelColor(inRow), QColor(174, 255, 128));
    EXPECT_EQ(image.pixelColor(inFixedPartOfRow), QColor(174, 255, 0));
    EXPECT_EQ(image.pixelColor(inColumn), QColor(174, 255, 128));
    widget.refresh();
    image = paint();
    EXPECT_EQ(image.pixelColor(inRow), kCell);
    EXPECT_EQ(image.pixelColor(inColumn), kCell);
}

TEST_F(GridWidgetTest, PaintsAGridThatChangedSizeBeforeItWasTold)
{
    // A long command lets the window paint while it grows the grid, and tells only at its end.
    grid.setRowCount(400);
    grid.setColCount(60);
    widget.tintRow(350, QColor(174, 255, 170));
    widget.tintColumn(55, QColor(174, 255, 170));
    widget.viewport()->repaint();
    // A cancelled command shrinks it again, below where the tints and the current cell are.
    widget.setCurrentCell(4, 30);
    grid.setRowCount(10);
    grid.setColCount(3);
    widget.viewport()->repaint();
    EXPECT_LT(widget.currentRow(), 10);
    EXPECT_LT(widget.currentCol(), 3);
}

namespace {

// A 20,000 × 5,000 grid shown size × size pixels, scrolled to row 12,000 and column 3,000.
struct LargeGridView
{
    CellGrid grid;
    GridWidget widget;

    explicit LargeGridView(int size)
    {
        grid.setRowCount(20000);
        grid.setColCount(5000);
        grid.setDefaultColWidth(40);
        grid.setDefaultRowHeight(14);
        grid.setFixedCols(4);
        grid.setFixedRows(20);
        widget.setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        widget.setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        widget.setFrameShape(QFrame::NoFrame);
        widget.resize(size, size);
        widget.setGrid(&grid);
        widget.show();
    }
};

} // namespace

TEST(GridWidgetLarge, PaintingLooksOnlyAtTheCellsInView)
{
    LargeGridView view(400);
    GridWidget &widget = view.widget;
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&widget));
    widget.setTopRow(12000);
    widget.setLeftCol(3000);
    std::set<std::pair<int, int>> drawn;
    widget.setDrawCellHook([&drawn](QPainter &, int c, int r, const QRect &) { drawn.insert({c, r}); });
    QImage image(400, 400, QImage::Format_RGB32);
    QPainter p(&image);
    widget.paintGrid(p, image.rect());
    // 4 + 6 columns of 41 pixels across 400, 20 + 7 rows of 15 pixels down 400: every cell
    // drawn is a fixed one or one of the rows and columns scrolled into view.
    EXPECT_EQ(drawn.size(), std::size_t(10 * 27));
    for (const auto &[c, r] : drawn) {
        EXPECT_TRUE(c < 4 || (c >= 3000 && c < 3006)) << c;
        EXPECT_TRUE(r < 20 || (r >= 12000 && r < 12007)) << r;
    }
}

TEST_F(GridWidgetTest, DraggingARowByItsFixedCellsMovesItInTheModel)
{
    QSignalSpy moved(&widget, &GridWidget::rowMoved);
    press(1, 5);
    EXPECT_EQ(widget.draggedRow(), 5);
    moveTo(1, 7);
    moveTo(1, 8);
    release(1, 8);
    ASSERT_EQ(moved.count(), 1);
    EXPECT_EQ(moved.at(0).at(0).toInt(), 5);
    EXPECT_EQ(moved.at(0).at(1).toInt(), 8);
    // The whole row moved, its index cell included; the rows between moved up.
    EXPECT_EQ(grid.cell(0, 8), QStringLiteral("R5"));
    EXPECT_EQ(grid.cell(0, 5), QStringLiteral("R6"));
    EXPECT_EQ(widget.draggedRow(), -1);
}

// The owner may move the row itself (as one step of its history): the widget then leaves the
// grid to it.
TEST_F(GridWidgetTest, AMoveHookMovesTheDroppedRowInsteadOfTheWidget)
{
    std::vector<std::tuple<Qt::Orientation, int, int>> calls;
    widget.setMoveHook([&](Qt::Orientation o, int from, int to) {
        calls.emplace_back(o, from, to);
        grid.moveRow(from, to, true);
        return true;
    });
    QSignalSpy moved(&widget, &GridWidget::rowMoved);
    press(1, 5);
    moveTo(1, 7);
    release(1, 7);
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_EQ(calls[0], std::make_tuple(Qt::Vertical, 5, 7));
    EXPECT_EQ(moved.count(), 1);
    EXPECT_EQ(grid.cell(0, 7), QStringLiteral("R5")); // moved once, by the hook
    EXPECT_EQ(grid.cell(0, 5), QStringLiteral("R6"));
}

TEST_F(GridWidgetTest, DraggingAColumnByItsFixedCellsMovesItInTheModel)
{
    QSignalSpy moved(&widget, &GridWidget::columnMoved);
    press(4, 1);
    moveTo(2, 1);
    release(2, 1);
    ASSERT_EQ(moved.count(), 1);
    EXPECT_EQ(moved.at(0).at(0).toInt(), 4);
    EXPECT_EQ(moved.at(0).at(1).toInt(), 2);
    EXPECT_EQ(grid.cell(2, 0), QStringLiteral("C4"));
    EXPECT_EQ(grid.cell(3, 0), QStringLiteral("C2"));
}

struct NoMoveCase
{
    const char *name;
    bool moving;
    bool refuse;
};

TEST_F(GridWidgetTest, NoMoveWhenMovingIsOffOrRefused)
{
    for (const NoMoveCase c : {NoMoveCase{"moving off", false, false}, NoMoveCase{"refused", true, true}}) {
        widget.setMovingEnabled(c.moving);
        widget.setMoveTargetHook(c.refuse ? GridWidget::MoveTargetHook(
                                                [](Qt::Orientation, int, int) { return -1; })
                                          : GridWidget::MoveTargetHook());
        QSignalSpy moved(&widget, &GridWidget::rowMoved);
        press(1, 5);
        moveTo(1, 8);
        release(1, 8);
        EXPECT_EQ(moved.count(), 0) << c.name;
        EXPECT_EQ(grid.cell(0, 5), QStringLiteral("R5")) << c.name;
    }
}

TEST_F(GridWidgetTest, MoveTargetHookLimitsWhereARowGoes)
{
    widget.setMoveTargetHook([](Qt::Orientation o, int, int to) {
        return o == Qt::Vertical ? std::min(to, 6) : to;
    });
    QSignalSpy moved(&widget, &GridWidget::rowMoved);
    press(1, 3);
    moveTo(1, 9);
    release(1, 9);
    ASSERT_EQ(moved.count(), 1);
    EXPECT_EQ(moved.at(0).at(1).toInt(), 6);
    EXPECT_EQ(grid.cell(0, 6), QStringLiteral("R3"));
}

TEST_F(GridWidgetTest, DraggingOverNonFixedCellsSelectsARange)
{
    press(3, 4);
    moveTo(4, 5);
    moveTo(4, 6);
    release(4, 6);
    EXPECT_EQ(widget.selection(), (GridRange{3, 4, 4, 6}));
    EXPECT_EQ(widget.currentCol(), 4);
    EXPECT_EQ(widget.currentRow(), 6);
    // Dragging over cells never moves rows.
    EXPECT_EQ(grid.cell(0, 4), QStringLiteral("R4"));

    widget.setRangeSelectEnabled(false);
    press(2, 8);
    moveTo(4, 9);
    release(4, 9);
    EXPECT_EQ(widget.selection(), (GridRange{2, 8, 2, 8}));
}

TEST_F(GridWidgetTest, ShiftWithAClickOrTheArrowsExtendsTheSelection)
{
    widget.setCurrentCell(3, 4);
    widget.setFocus();
    press(4, 6, Qt::ShiftModifier);
    release(4, 6);
    EXPECT_EQ(widget.selection(), (GridRange{3, 4, 4, 6}));
    struct Step
    {
        Qt::Key key;
        Qt::KeyboardModifiers mods;
        GridRange selection;
    };
    const Step steps[] = {
        {Qt::Key_Down, Qt::ShiftModifier, {3, 4, 4, 7}},
        {Qt::Key_Left, Qt::ShiftModifier, {3, 4, 3, 7}},
        {Qt::Key_Left, Qt::ShiftModifier, {2, 4, 3, 7}},
        {Qt::Key_Up, Qt::ShiftModifier, {2, 4, 3, 6}},
        {Qt::Key_Right, Qt::NoModifier, {3, 6, 3, 6}},
    };
    for (const Step &s : steps) {
        QTest::keyClick(&widget, s.key, s.mods);
        EXPECT_EQ(widget.selection(), s.selection) << QKeySequence(s.key).toString().toStdString();
        EXPECT_EQ(widget.selectedBlock(), s.selection);
    }
}

TEST_F(GridWidgetTest, AClickOnFixedCellsSelectsWholeRowsAndColumns)
{
    widget.setCurrentCell(3, 4);
    QSignalSpy rowMoved(&widget, &GridWidget::rowMoved);
    QSignalSpy columnMoved(&widget, &GridWidget::columnMoved);
    struct Step
    {
        const char *what;
        int c, r;
        Qt::KeyboardModifiers mods;
        GridRange selection;
        GridRange block;
        bool rows, columns;
        int currentCol, currentRow;
    };
    const Step steps[] = {
        {"row 6", 1, 6, {}, {2, 6, 4, 6}, {0, 6, 4, 6}, true, false, 3, 6},
        {"Shift: rows 6..9", 0, 9, Qt::ShiftModifier, {2, 6, 4, 9}, {0, 6, 4, 9}, true, false, 3, 9},
        {"column 4", 4, 1, {}, {4, 2, 4, 39}, {4, 0, 4, 39}, false, true, 4, 9},
        {"Shift: columns 2..4", 2, 0, Qt::ShiftModifier, {2, 2, 4, 39}, {2, 0, 4, 39}, false, true, 2, 9},
        {"a cell: the cell alone", 3, 5, {}, {3, 5, 3, 5}, {3, 5, 3, 5}, false, false, 3, 5},
        {"Shift on a row: rows 5..7", 1, 7, Qt::ShiftModifier, {2, 5, 4, 7}, {0, 5, 4, 7}, true, false, 3, 7},
    };
    for (const Step &s : steps) {
        press(s.c, s.r, s.mods);
        release(s.c, s.r);
        EXPECT_EQ(widget.selection(), s.selection) << s.what;
        EXPECT_EQ(widget.selectedBlock(), s.block) << s.what;
        EXPECT_EQ(widget.selectsWholeRows(), s.rows) << s.what;
        EXPECT_EQ(widget.selectsWholeColumns(), s.columns) << s.what;
        EXPECT_EQ(widget.currentCol(), s.currentCol) << s.what;
        EXPECT_EQ(widget.currentRow(), s.currentRow) << s.what;
    }
    // Whole rows extend with Shift and the arrows and stay whole.
    widget.setFocus();
    QTest::keyClick(&widget, Qt::Key_Down, Qt::ShiftModifier);
    EXPECT_EQ(widget.selectedBlock(), (GridRange{0, 5, 4, 8}));
    EXPECT_EQ(rowMoved.count(), 0);
    EXPECT_EQ(columnMoved.count(), 0);
    EXPECT_EQ(grid.cell(0, 6), QStringLiteral("R6"));

    // A row dragged elsewhere moves and is not selected; neither is a row clicked while range
    // selection is off, nor a row when moving is off (its fixed cells do nothing then).
    widget.setCurrentCell(3, 4);
    press(1, 5);
    moveTo(1, 8);
    release(1, 8);
    EXPECT_EQ(rowMoved.count(), 1);
    EXPECT_FALSE(widget.selectsWholeRows());
    for (const bool moving : {true, false}) {
        widget.setMovingEnabled(moving);
        widget.setRangeSelectEnabled(!moving);
        press(1, 6);
        release(1, 6);
        EXPECT_FALSE(widget.selectsWholeRows()) << moving;
        EXPECT_EQ(widget.selection(), (GridRange{3, 4, 3, 4})) << moving;
    }
}

TEST_F(GridWidgetTest, WholeRowsShowTheirFixedCellsSelectedToo)
{
    const QColor highlight = widget.palette().color(QPalette::Highlight);
    widget.selectRows(3, 4);
    EXPECT_TRUE(widget.selectsWholeRows());
    EXPECT_EQ(widget.selection(), (GridRange{2, 3, 4, 4}));
    QImage image = paint();
    // The fixed cell of a selected row, one of a row not selected, a selected cell.
    EXPECT_EQ(image.pixelColor(widget.cellRect(1, 3).center()), highlight);
    EXPECT_EQ(image.pixelColor(widget.cellRect(1, 5).center()), kYellow);
    EXPECT_EQ(image.pixelColor(widget.cellRect(4, 4).topRight() + QPoint(-1, 1)), highlight);

    widget.selectColumns(3, 3);
    EXPECT_EQ(widget.selectedBlock(), (GridRange{3, 0, 3, 39}));
    image = paint();
    EXPECT_EQ(image.pixelColor(widget.cellRect(3, 1).center()), highlight);
    EXPECT_EQ(image.pixelColor(widget.cellRect(1, 3).center()), kYellow);
    // A range set afterwards is a range of cells again.
    widget.setSelection(GridRange{2, 2, 3, 3});
    EXPECT_FALSE(widget.selectsWholeColumns());
    EXPECT_EQ(widget.selectedBlock(), (GridRange{2, 2, 3, 3}));
}

TEST_F(GridWidgetTest, ReportsMouseEventsWithTheCellUnderTheMouse)
{
    QSignalSpy pressed(&widget, &GridWidget::mousePressed);
    QSignalSpy released(&widget, &GridWidget::mouseReleased);
    QTest::mousePress(widget.viewport(), Qt::RightButton, Qt::ShiftModifier, centre(3, 7));
    QTest::mouseRelease(widget.viewport(), Qt::RightButton, {}, centre(3, 7));
    ASSERT_EQ(pressed.count(), 1);
    EXPECT_EQ(pressed.at(0).at(0).toInt(), 3);
    EXPECT_EQ(pressed.at(0).at(1).toInt(), 7);
    EXPECT_EQ(pressed.at(0).at(2).value<Qt::MouseButton>(), Qt::RightButton);
    EXPECT_EQ(pressed.at(0).at(3).value<Qt::KeyboardModifiers>(), Qt::ShiftModifier);
    EXPECT_EQ(pressed.at(0).at(4).toPoint(), centre(3, 7));
    ASSERT_EQ(released.count(), 1);
    EXPECT_EQ(released.at(0).at(0).toInt(), 3);
    // A right press changes neither the current cell nor the table.
    EXPECT_EQ(widget.currentRow(), 2);
}

TEST_F(GridWidgetTest, TypedTextIsOfferedToTheOwnerWithoutChangingTheCell)
{
    QSignalSpy edits(&widget, &GridWidget::cellEditRequested);
    widget.setCurrentCell(3, 4);
    widget.setFocus();
    QTest::keyClick(&widget, Qt::Key_A);
    EXPECT_FALSE(widget.isEditorOpen()) << "editing is off at first";
    EXPECT_EQ(edits.count(), 0);

    widget.setEditingEnabled(true);
    QTest::keyClick(&widget, Qt::Key_A);
    ASSERT_TRUE(widget.isEditorOpen());
    auto *editor = widget.findChild<QLineEdit *>();
    ASSERT_NE(editor, nullptr);
    QTest::keyClicks(editor, QStringLiteral("b1"));
    QTest::keyClick(editor, Qt::Key_Return);
    EXPECT_FALSE(widget.isEditorOpen());
    ASSERT_EQ(edits.count(), 1);
    EXPECT_EQ(edits.at(0).at(0).toInt(), 3);
    EXPECT_EQ(edits.at(0).at(1).toInt(), 4);
    EXPECT_EQ(edits.at(0).at(2).toString(), QStringLiteral("ab1"));
    EXPECT_EQ(grid.cell(3, 4), QString());

    // Escape leaves without an offer.
    QTest::keyClick(&widget, Qt::Key_X);
    ASSERT_TRUE(widget.isEditorOpen());
    QTest::keyClick(editor, Qt::Key_Escape);
    EXPECT_FALSE(widget.isEditorOpen());
    EXPECT_EQ(edits.count(), 1);
}

TEST_F(GridWidgetTest, ArrowKeysMoveTheCurrentCellAndScrollItIntoView)
{
    widget.setCurrentCell(2, 2);
    for (int i = 0; i < 30; ++i)
        QTest::keyClick(&widget, Qt::Key_Down);
    EXPECT_EQ(widget.currentRow(), 32);
    EXPECT_FALSE(widget.cellRect(2, 32).isEmpty());
    EXPECT_TRUE(QRect(0, 0, 300, 200).contains(widget.cellRect(2, 32)));
    QTest::keyClick(&widget, Qt::Key_Home, Qt::ControlModifier);
    EXPECT_EQ(widget.currentRow(), 2);
    EXPECT_EQ(widget.topRow(), 2);
}

} // namespace

TEST_F(GridWidgetTest, ZoomScalesTheRowsColumnsAndTextButNotTheGridOrTheWidgetsFont)
{
    QFont font = widget.font();
    font.setPointSizeF(10);
    widget.setFont(font);
    QSignalSpy zoomed(&widget, &GridWidget::zoomChanged);
    struct Case
    {
        int percent;
        QSize cell;     // a 40 x 14 cell
        QSize narrow;   // the 10 x 5 column 0 and row 0
        double points;
    };
    const Case cases[] = {
        {200, {80, 28}, {20, 10}, 20.0},
        {50, {20, 7}, {5, 3}, 5.0},
        {300, {120, 42}, {30, 15}, 30.0},
        {100, {40, 14}, {10, 5}, 10.0},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.percent);
        widget.setZoomPercent(c.percent);
        EXPECT_EQ(widget.zoomPercent(), c.percent);
        EXPECT_EQ(widget.cellRect(1, 1).size(), c.cell);
        EXPECT_EQ(widget.cellRect(0, 0).size(), c.narrow);
        EXPECT_DOUBLE_EQ(widget.viewFont().pointSizeF(), c.points);
        // The model and the widget's own font are untouched.
        EXPECT_EQ(grid.colWidth(1), 40);
        EXPECT_EQ(grid.rowHeight(0), 5);
        EXPECT_DOUBLE_EQ(widget.font().pointSizeF(), 10.0);
    }
    EXPECT_EQ(zoomed.count(), 4);
    // Out of bounds: held at the bounds, and a zoom that does not change says nothing.
    widget.setZoomPercent(1000);
    EXPECT_EQ(widget.zoomPercent(), 300);
    widget.zoomIn();
    EXPECT_EQ(widget.zoomPercent(), 300);
    widget.setZoomPercent(10);
    EXPECT_EQ(widget.zoomPercent(), 50);
    widget.zoomOut();
    EXPECT_EQ(widget.zoomPercent(), 50);
    EXPECT_EQ(zoomed.count(), 6);
    widget.resetZoom();
    EXPECT_EQ(widget.zoomPercent(), 100);
    // A later font change of the widget is shown at the zoom.
    widget.setZoomPercent(150);
    font.setPointSizeF(12);
    widget.setFont(font);
    EXPECT_DOUBLE_EQ(widget.viewFont().pointSizeF(), 18.0);
}

TEST_F(GridWidgetTest, ControlWithTheWheelZoomsTheWheelAloneScrolls)
{
    auto wheel = [this](int delta, Qt::KeyboardModifiers mods) {
        const QPointF at = centre(3, 5);
        QWheelEvent event(at, widget.viewport()->mapToGlobal(at), QPoint(), QPoint(0, delta), Qt::NoButton,
                          mods, Qt::NoScrollPhase, false);
        QApplication::sendEvent(widget.viewport(), &event);
    };
    struct Case
    {
        const char *name;
        std::vector<int> deltas;
        Qt::KeyboardModifiers mods;
        int zoom;
        bool scrolled;
    };
    const Case cases[] = {
        {"one notch up", {120}, Qt::ControlModifier, 110, false},
        {"two notches down", {-120, -120}, Qt::ControlModifier, 80, false},
        {"half notches add up", {60, 60}, Qt::ControlModifier, 110, false},
        {"a half notch alone does nothing", {60}, Qt::ControlModifier, 100, false},
        {"no Ctrl: scrolls", {-120}, Qt::NoModifier, 100, true},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        widget.resetZoom();
        widget.setTopRow(2);
        wheel(0, Qt::NoModifier); // ends any notch left over
        for (int d : c.deltas)
            wheel(d, c.mods);
        EXPECT_EQ(widget.zoomPercent(), c.zoom);
        EXPECT_EQ(widget.topRow() > 2, c.scrolled);
    }
}

TEST(GridWidgetLarge, ZoomKeepsTheFirstRowAndColumnInViewAndPaintsOnlyThem)
{
    LargeGridView view(800);
    GridWidget &widget = view.widget;
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&widget));
    widget.setTopRow(12000);
    widget.setLeftCol(3000);
    for (int percent : {50, 200, 67}) {
        SCOPED_TRACE(percent);
        widget.setZoomPercent(percent);
        EXPECT_EQ(widget.topRow(), 12000);
        EXPECT_EQ(widget.leftCol(), 3000);
        std::set<int> rows;
        widget.setDrawCellHook([&rows](QPainter &, int, int r, const QRect &) { rows.insert(r); });
        QImage image(800, 800, QImage::Format_RGB32);
        QPainter p(&image);
        widget.paintGrid(p, image.rect());
        // The fixed rows and those that fit below them at this zoom.
        const int rowExtent = ZoomSteps::scaled(14, percent) + 1;
        const int shown = (800 - 20 * rowExtent + rowExtent - 1) / rowExtent;
        EXPECT_EQ(rows.size(), std::size_t(20 + shown));
        EXPECT_EQ(*rows.rbegin(), 12000 + shown - 1);
    }
}
