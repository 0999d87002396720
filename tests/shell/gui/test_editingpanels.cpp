// The editing side of the composition table grid, offscreen: the row and column pop-up panels
// with their press-slide-release commands, the tints, the cell tip, the mouse modes and moves,
// typing into cells, and the search panel.
#include "platform/gui/gridwidget.h"
#include "platform/scripteduserinterface.h"
#include "shell/gui/mainwindow.h"
#include "shell/gui/vegtablecontroller.h"
#include "shell/workspace.h"
#include "support/testsupport.h"
#include "table/gui/celltip.h"
#include "table/gui/commandpanel.h"
#include "table/gui/querypanel.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

#include <functional>
#include <vector>

using namespace Zelkor;

namespace {

QColor andOf(const QColor &a, const QColor &b)
{
    return QColor(a.red() & b.red(), a.green() & b.green(), a.blue() & b.blue());
}

// Answers from a script and lets the test look at the window while a question is open.
class WatchingUi : public ScriptedUserInterface
{
public:
    std::function<void()> onAsk;
    bool askYesNo(const QString &text) override
    {
        if (onAsk)
            onAsk();
        return ScriptedUserInterface::askYesNo(text);
    }
    bool getText(const QString &caption, const QString &prompt, QString *value) override
    {
        if (onAsk)
            onAsk();
        return ScriptedUserInterface::getText(caption, prompt, value);
    }
};

// A table of three relevés and six species. Species 5 grows only in relevé 3, so deleting it
// leaves relevé 3 without species. Header row 2 holds long site names, row 3 short values.
struct EditingPanels : ::testing::Test
{
    Zelkor::Test::TempDir dir;
    WatchingUi ui;
    Workspace ws{&ui};
    MainWindow window{&ws};
    std::vector<EditTarget> tintWhileAsked;
    std::vector<QImage> imageWhileAsked;
    int h = 0;

    void SetUp() override
    {
        ws.program().start({}, dir.path(QStringLiteral("zelkor")));
        TableModel &m = ws.model();
        h = m.headerRows();
        m.setReleveCount(3);
        const char *names[] = {"ススキ", "ヨモギ", "チガヤ", "ススキノキ", "カワラナデシコ", "ハマヒルガオ"};
        const std::vector<std::vector<int>> releves = {{1, 2}, {1}, {2}, {1, 2}, {3}, {1}};
        for (int k = 0; k < 6; ++k) {
            m.grid().setCell(2, h + 1 + k, QString::fromUtf8(names[k]));
            for (int rel : releves[std::size_t(k)])
                m.grid().setCell(3 + rel, h + 1 + k, QStringLiteral("   1"));
        }
        m.setSpeciesCount(6);
        for (int rel = 1; rel <= 3; ++rel) {
            m.grid().setCell(3 + rel, 2, QStringLiteral("Site-%1-Dunes").arg(rel));
            m.grid().setCell(3 + rel, 3, QStringLiteral("ab"));
        }
        m.recomputeFrequencies();
        window.tableChanged();
        window.resize(1000, 700);
        window.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
        ui.onAsk = [this] {
            tintWhileAsked.push_back(ws.editing().pendingTint());
            imageWhileAsked.push_back(grab());
        };
        ui.clearLog();
    }

    GridWidget *grid() const { return window.grid(); }
    QWidget *canvas() const { return grid()->viewport(); }
    VegTableController *controller() const { return window.tableController(); }
    CommandPanel *rowPanel() const { return controller()->rowPanel(); }
    CommandPanel *colPanel() const { return controller()->columnPanel(); }
    QString cell(int c, int r) const { return ws.model().grid().cell(c, r); }
    QImage grab() const { return canvas()->grab().toImage(); }

    // The middle of cell (c, r) and a point of it that no text covers (its top right corner).
    QPoint at(int c, int r) const { return grid()->cellRect(c, r).center(); }
    QPoint bare(int c, int r) const
    {
        const QRect rect = grid()->cellRect(c, r);
        return QPoint(rect.right() - 2, rect.top() + 2);
    }
    // Canvas position of the middle of a panel button, as the grid sees a release there.
    QPoint onButton(const QWidget *button) const
    {
        return canvas()->mapFromGlobal(button->mapToGlobal(button->rect().center()));
    }
    // Window position of a canvas point (where the panels live).
    QPoint inWindow(const QPoint &canvasPos) const
    {
        return window.mapFromGlobal(canvas()->mapToGlobal(canvasPos));
    }

    void mouse(QEvent::Type type, const QPoint &pos, Qt::MouseButton button, Qt::MouseButtons buttons,
               Qt::KeyboardModifiers modifiers = Qt::NoModifier)
    {
        QMouseEvent event(type, QPointF(pos), QPointF(canvas()->mapToGlobal(pos)), button, buttons, modifiers);
        QApplication::sendEvent(canvas(), &event);
    }
    void press(const QPoint &pos, Qt::MouseButton button, Qt::KeyboardModifiers mods = Qt::NoModifier)
    {
        mouse(QEvent::MouseButtonPress, pos, button, button, mods);
    }
    void moveHeld(const QPoint &pos, Qt::MouseButton held) { mouse(QEvent::MouseMove, pos, Qt::NoButton, held); }
    void hover(const QPoint &pos, Qt::KeyboardModifiers mods)
    {
        mouse(QEvent::MouseMove, pos, Qt::NoButton, Qt::NoButton, mods);
    }
    void release(const QPoint &pos, Qt::MouseButton button)
    {
        mouse(QEvent::MouseButtonRelease, pos, button, Qt::NoButton);
    }

    // The grid's cells and the counts, to see that nothing changed.
    QStringList snapshot() const
    {
        QStringList s;
        const CellGrid &g = ws.model().grid();
        for (int r = 0; r < g.rowCount(); ++r)
            for (int c = 0; c < g.colCount(); ++c)
                s << g.cell(c, r);
        s << QString::number(ws.model().speciesCount()) << QString::number(ws.model().releveCount());
        return s;
    }
};

QPushButton *buttonNamed(QWidget *panel, const char *name)
{
    return panel->findChild<QPushButton *>(QString::fromLatin1(name));
}

} // namespace

// --- The pop-up panels -----------------------------------------------------------------------------

TEST_F(EditingPanels, RightPressOnANameShowsTheRowPanelBesideTheMouse)
{
    const QPoint p = at(2, h + 3);
    press(p, Qt::RightButton);
    ASSERT_TRUE(rowPanel()->isVisible());
    EXPECT_FALSE(colPanel()->isVisible());
    EXPECT_EQ(rowPanel()->objectName(), QStringLiteral("Panel_forRow"));
    EXPECT_EQ(rowPanel()->geometry(), QRect(inWindow(p) + QPoint(6, -40), QSize(120, 72)));
    struct Expect { const char *name; const char *caption; const char *hint; };
    const Expect buttons[] = {{"Btn_InsRow", "行を挿入する", "行を挿入する"},
                              {"Btn_DelRow", "行を削除する", "行を削除する"},
                              {"Btn_Remark", "行コメント記入", "コメント記入"}};
    for (int i = 0; i < 3; ++i) {
        const QPushButton *b = rowPanel()->button(i);
        ASSERT_NE(b, nullptr);
        EXPECT_EQ(b->objectName(), QString::fromLatin1(buttons[i].name));
        EXPECT_EQ(b->text(), QString::fromUtf8(buttons[i].caption));
        EXPECT_EQ(b->toolTip(), QString::fromUtf8(buttons[i].hint));
        EXPECT_EQ(b->geometry(), QRect(0, 24 * i, 120, 24));
    }
    EXPECT_EQ(grid()->currentRow(), h + 3);
    // The row is tinted pale green while the button is down.
    EXPECT_EQ(grab().pixelColor(bare(5, h + 3)), andOf(GridWidget::cellColor(), VegTableController::targetTint()));
    release(p, Qt::RightButton);
    EXPECT_EQ(grab().pixelColor(bare(5, h + 3)), GridWidget::cellColor());
}

TEST_F(EditingPanels, RightPressOnARelevéHeaderShowsTheColumnPanelLeftOfTheMouse)
{
    const QPoint p = at(5, 3);
    press(p, Qt::RightButton);
    ASSERT_TRUE(colPanel()->isVisible());
    EXPECT_FALSE(rowPanel()->isVisible());
    EXPECT_EQ(colPanel()->objectName(), QStringLiteral("Panel_forCol"));
    EXPECT_EQ(colPanel()->geometry(), QRect(inWindow(p) + QPoint(-135, -20), QSize(120, 48)));
    EXPECT_EQ(colPanel()->button(0)->text(), QStringLiteral("列を挿入する"));
    EXPECT_EQ(colPanel()->button(1)->text(), QStringLiteral("列を削除する"));
    EXPECT_EQ(grid()->currentCol(), 5);
    EXPECT_EQ(grab().pixelColor(bare(5, h + 5)), andOf(GridWidget::cellColor(), VegTableController::targetTint()));
    release(p, Qt::RightButton);
    EXPECT_FALSE(colPanel()->isVisible());
}

TEST_F(EditingPanels, RightPressElsewhereShowsNoPanel)
{
    struct Case { int c, r; bool rowPanel; bool colPanel; };
    const Case cases[] = {
        {1, h + 2, true, false},    // the running number of a species: still the row panel
        {3, h + 40, true, false},   // a spare row below the species
        {5, h + 2, false, false},   // a cover cell
        {5, h, false, false},       // the species-number row
        {2, h, false, false},       // its label
        {2, 3, false, false},       // a header label
        {10, 2, false, true},       // a spare relevé column's header
    };
    for (const Case &c : cases) {
        grid()->ensureCellVisible(c.c, c.r);
        const QPoint p = at(c.c, c.r);
        press(p, Qt::RightButton);
        EXPECT_EQ(rowPanel()->isVisible(), c.rowPanel) << c.c << "," << c.r;
        EXPECT_EQ(colPanel()->isVisible(), c.colPanel) << c.c << "," << c.r;
        release(p, Qt::RightButton);
        EXPECT_FALSE(rowPanel()->isVisible());
        EXPECT_FALSE(colPanel()->isVisible());
    }
    EXPECT_TRUE(ui.log().isEmpty()) << ui.log().join(QLatin1Char('\n')).toStdString();
}

TEST_F(EditingPanels, RightSlideOntoDeleteRowRemovesTheRowAndTheRelevéLeftEmpty)
{
    const QPoint p = at(2, h + 5);
    press(p, Qt::RightButton);
    ASSERT_TRUE(rowPanel()->isVisible());
    QPushButton *del = buttonNamed(rowPanel(), "Btn_DelRow");
    const QPoint target = onButton(del);
    moveHeld((p + target) / 2, Qt::RightButton);
    moveHeld(target, Qt::RightButton);
    // The button under the slide looks pressed.
    EXPECT_TRUE(del->isDown());
    EXPECT_FALSE(buttonNamed(rowPanel(), "Btn_InsRow")->isDown());

    ui.answerYes();
    release(target, Qt::RightButton);

    EXPECT_FALSE(rowPanel()->isVisible());
    ASSERT_EQ(ui.log(), QStringList{QStringLiteral("yesno:この行を削除しますか？")});
    // The question was asked with the row tinted pale green.
    ASSERT_EQ(tintWhileAsked.size(), 1u);
    EXPECT_EQ(tintWhileAsked[0], (EditTarget{EditTarget::Row, h + 5}));
    EXPECT_EQ(imageWhileAsked[0].pixelColor(bare(4, h + 5)),
              andOf(GridWidget::cellColor(), VegTableController::targetTint()));
    EXPECT_EQ(imageWhileAsked[0].pixelColor(bare(4, h + 4)), GridWidget::cellColor());

    // The row is gone, the species below moved up and are renumbered; relevé 3 had only it.
    EXPECT_EQ(ws.model().speciesCount(), 5);
    EXPECT_EQ(cell(2, h + 5), QStringLiteral("ハマヒルガオ"));
    EXPECT_EQ(cell(1, h + 5), QStringLiteral("   5"));
    EXPECT_EQ(ws.model().releveCount(), 2);
    EXPECT_EQ(cell(6, 2), QString());
    EXPECT_EQ(window.statusTexts().at(3), QStringLiteral("2"));
    EXPECT_EQ(window.statusTexts().at(5), QStringLiteral("5"));
    // The tint of the question went with the answer.
    EXPECT_EQ(ws.editing().pendingTint(), EditTarget{});
    EXPECT_EQ(grab().pixelColor(bare(4, h + 5)), GridWidget::cellColor());
}

TEST_F(EditingPanels, EachPanelButtonRunsItsCommandOnTheRowOrColumnPressed)
{
    // Every question is answered No (or cancelled): the command ran, the table stays.
    struct Case { int c, r; const char *button; const char *asked; EditTarget target; };
    const Case cases[] = {
        {2, h + 3, "Btn_InsRow", "yesno:この上に行を挿入しますか？", {EditTarget::Row, h + 3}},
        {2, h + 3, "Btn_DelRow", "yesno:この行を削除しますか？", {EditTarget::Row, h + 3}},
        {0, h + 3, "Btn_Remark", "input:　コメント行＝:チガヤ:", {EditTarget::Row, h + 3}},
        {5, 2, "Btn_InsCol", "yesno:この左に列を挿入しますか？", {EditTarget::Column, 5}},
        {6, 1, "Btn_DelCol", "yesno:この列を削除しますか？", {EditTarget::Column, 6}},
    };
    const QStringList before = snapshot();
    for (const Case &c : cases) {
        ui.clearLog();
        tintWhileAsked.clear();
        const QPoint p = at(c.c, c.r);
        press(p, Qt::RightButton);
        CommandPanel *panel = c.target.kind == EditTarget::Row ? rowPanel() : colPanel();
        QPushButton *b = buttonNamed(panel, c.button);
        ASSERT_NE(b, nullptr) << c.button;
        moveHeld(onButton(b), Qt::RightButton);
        release(onButton(b), Qt::RightButton);
        EXPECT_EQ(ui.log(), QStringList{QString::fromUtf8(c.asked)}) << c.button;
        ASSERT_EQ(tintWhileAsked.size(), 1u) << c.button;
        EXPECT_EQ(tintWhileAsked[0], c.target) << c.button;
        EXPECT_FALSE(panel->isVisible()) << c.button;
    }
    EXPECT_EQ(snapshot(), before);
}

TEST_F(EditingPanels, ReleaseWithoutMovingHidesThePanelAndChangesNothing)
{
    const QStringList before = snapshot();
    const QPoint p = at(2, h + 5);
    press(p, Qt::RightButton);
    ASSERT_TRUE(rowPanel()->isVisible());
    release(p, Qt::RightButton);
    EXPECT_FALSE(rowPanel()->isVisible());
    EXPECT_TRUE(ui.log().isEmpty()) << ui.log().join(QLatin1Char('\n')).toStdString();
    EXPECT_EQ(snapshot(), before);
}

TEST_F(EditingPanels, OnlyTheRightButtonReleasedOnAPanelButtonRunsTheCommand)
{
    // The release arrives at the grid (which holds the mouse since the press) or, should the
    // panel button get the mouse itself, at the button.
    struct Case { bool atButtonItself; Qt::MouseButton released; bool runs; };
    const Case cases[] = {
        {false, Qt::LeftButton, false},
        {false, Qt::MiddleButton, false},
        {false, Qt::RightButton, true},
        {true, Qt::LeftButton, false},
        {true, Qt::RightButton, true},
    };
    for (const Case &c : cases) {
        ui.clearLog();
        const QPoint p = at(2, h + 2);
        press(p, Qt::RightButton);
        QPushButton *del = buttonNamed(rowPanel(), "Btn_DelRow");
        ASSERT_TRUE(rowPanel()->isVisible());
        if (c.atButtonItself) {
            QMouseEvent up(QEvent::MouseButtonRelease, QPointF(del->rect().center()),
                           QPointF(del->mapToGlobal(del->rect().center())), c.released, Qt::NoButton,
                           Qt::NoModifier);
            QApplication::sendEvent(del, &up);
        } else {
            release(onButton(del), c.released);
        }
        EXPECT_FALSE(rowPanel()->isVisible()) << c.atButtonItself << c.released;
        EXPECT_EQ(ui.log().contains(QStringLiteral("yesno:この行を削除しますか？")), c.runs)
            << c.atButtonItself << " " << c.released;
        EXPECT_EQ(ws.model().speciesCount(), 6);
    }
}

// --- Tints ----------------------------------------------------------------------------------------

TEST_F(EditingPanels, TheDrawStepTintsWithTheAndMask)
{
    ws.model().addSearchHit(2, h + 2);
    ws.model().addSearchHit(5, 3);
    window.tableChanged();
    const QImage shown = grab();
    const QColor green = VegTableController::searchHitTint();
    // The species-number row is fixed: pale yellow over the fixed colour.
    EXPECT_EQ(shown.pixelColor(bare(12, h)), andOf(GridWidget::fixedColor(), VegTableController::speciesNumberRowTint()));
    EXPECT_EQ(shown.pixelColor(bare(2, h + 2)), andOf(GridWidget::fixedColor(), green));
    EXPECT_EQ(shown.pixelColor(bare(5, 3)), andOf(GridWidget::fixedColor(), green));
    EXPECT_EQ(shown.pixelColor(bare(6, 3)), GridWidget::fixedColor());

    // On a white canvas the draw step's own colours show: the whole species-number row to the
    // last column, the marked cells and nothing else.
    QImage white(canvas()->size(), QImage::Format_RGB32);
    white.fill(Qt::white);
    {
        QPainter p(&white);
        controller()->paintTints(p, white.rect());
    }
    const QRect rowRect = grid()->rowTintRect(h);
    EXPECT_EQ(rowRect.left(), 0);
    EXPECT_EQ(white.pixelColor(rowRect.left(), rowRect.center().y()), VegTableController::speciesNumberRowTint());
    EXPECT_EQ(white.pixelColor(rowRect.right(), rowRect.center().y()), VegTableController::speciesNumberRowTint());
    EXPECT_EQ(white.pixelColor(at(2, h + 2)), green);
    EXPECT_EQ(white.pixelColor(at(5, 3)), green);
    EXPECT_EQ(white.pixelColor(at(3, h + 2)), QColor(Qt::white));
    EXPECT_EQ(white.pixelColor(at(5, h + 2)), QColor(Qt::white));

    // Marks on cells that scroll show green over the cell colour.
    ws.model().addSearchHit(6, h + 6);
    window.tableChanged();
    EXPECT_EQ(grab().pixelColor(bare(6, h + 6)), andOf(GridWidget::cellColor(), green));
}

TEST_F(EditingPanels, LeftPressTintsTheRowOrColumnADragWouldMove)
{
    struct Case { int c, r; EditTarget tinted; };
    const Case cases[] = {
        {2, h + 4, {EditTarget::Row, h + 4}},
        {0, h + 1, {EditTarget::Row, h + 1}},
        {5, 3, {EditTarget::Column, 5}},
        {5, h, {EditTarget::Column, 5}},   // the species-number row is a fixed row too
        {5, h + 2, {}},                    // a cover cell: nothing
        {2, h, {}},                        // the label of the species-number row
    };
    const QColor paleGreen = andOf(GridWidget::cellColor(), VegTableController::targetTint());
    for (const Case &c : cases) {
        // The click before selected its row or column whole: each case starts from one cell.
        grid()->setCurrentCell(4, h + 1);
        press(at(c.c, c.r), Qt::LeftButton);
        EXPECT_EQ(controller()->pressTint(), c.tinted) << c.c << "," << c.r;
        const QImage shown = grab();
        if (c.tinted.kind == EditTarget::Row) {
            EXPECT_EQ(shown.pixelColor(bare(5, c.tinted.index)), paleGreen);
        } else if (c.tinted.kind == EditTarget::Column) {
            EXPECT_EQ(shown.pixelColor(bare(5, h + 5)), paleGreen);
        }
        release(at(c.c, c.r), Qt::LeftButton);
        EXPECT_EQ(controller()->pressTint(), EditTarget{});
    }
}

// --- Cell tip and cursor --------------------------------------------------------------------------

TEST_F(EditingPanels, CellTipOnPressAndOnShiftHover)
{
    CellTip *tip = controller()->cellTip();
    ASSERT_NE(tip, nullptr);
    EXPECT_EQ(tip->objectName(), QStringLiteral("Panel_ShowCell"));
    EXPECT_EQ(tip->font().pixelSize(), 15);
    EXPECT_EQ(tip->font().family(), QStringLiteral("ＭＳ ゴシック"));

    enum How { Press, MiddlePress, RightPress, ShiftHover, PlainHover, ShiftCtrlHover };
    struct Case { How how; int c, r; const char *shows; };
    const Case cases[] = {
        {Press, 4, h + 1, "   1"},               // a cover cell: four characters are enough
        {MiddlePress, 5, 2, "Site-2-Dunes"},
        {Press, 5, 3, nullptr},                  // "ab": two characters are not
        {Press, 2, h + 1, nullptr},              // not a relevé column
        {RightPress, 4, h + 1, nullptr},
        {ShiftHover, 4, h + 1, nullptr},         // hovering needs five characters
        {ShiftHover, 6, 2, "Site-3-Dunes"},
        {PlainHover, 6, 2, nullptr},
        {ShiftCtrlHover, 6, 2, nullptr},         // Shift alone
    };
    for (const Case &c : cases) {
        const QPoint p = at(c.c, c.r);
        switch (c.how) {
        case Press: press(p, Qt::LeftButton); break;
        case MiddlePress: press(p, Qt::MiddleButton); break;
        case RightPress: press(p, Qt::RightButton); break;
        case ShiftHover: hover(p, Qt::ShiftModifier); break;
        case PlainHover: hover(p, Qt::NoModifier); break;
        case ShiftCtrlHover: hover(p, Qt::ShiftModifier | Qt::ControlModifier); break;
        }
        EXPECT_EQ(tip->isVisible(), c.shows != nullptr) << c.how << " " << c.c << "," << c.r;
        if (c.shows) {
            EXPECT_EQ(tip->text(), QString::fromUtf8(c.shows));
            // Its top right corner at the mouse.
            EXPECT_EQ(tip->geometry().right() + 1, inWindow(p).x());
            EXPECT_EQ(tip->geometry().top(), inWindow(p).y());
            EXPECT_GE(tip->width(), 79);
            EXPECT_EQ(tip->height(), 20);
        }
        // The tip stays until the next release.
        hover(p, Qt::NoModifier);
        EXPECT_EQ(tip->isVisible(), c.shows != nullptr);
        release(p, c.how == MiddlePress ? Qt::MiddleButton
                              : c.how == RightPress ? Qt::RightButton : Qt::LeftButton);
        EXPECT_FALSE(tip->isVisible());
    }
    // A four-character tip is the usual 79 x 20.
    press(at(4, h + 1), Qt::LeftButton);
    EXPECT_EQ(tip->size(), QSize(79, 20));
    release(at(4, h + 1), Qt::LeftButton);
}

TEST_F(EditingPanels, DragCursorFromPressToRelease)
{
    const QPoint p = at(5, h + 2);
    press(p, Qt::LeftButton);
    EXPECT_TRUE(canvas()->testAttribute(Qt::WA_SetCursor));
    EXPECT_EQ(canvas()->cursor().shape(), Qt::DragMoveCursor);
    release(p, Qt::LeftButton);
    EXPECT_FALSE(canvas()->testAttribute(Qt::WA_SetCursor));
}

// --- Modes, moves and typing ----------------------------------------------------------------------

TEST_F(EditingPanels, EveryPressSetsTheModesFromTheRangeMode)
{
    struct Case { int rangeMode; bool moving; bool range; };
    // A block of cells can be selected (to be copied) in every mode.
    const Case cases[] = {{0, true, true}, {4, false, true}, {0, true, true}};
    for (const Case &c : cases) {
        ws.sortAndHide().rangeMode().set(RangeMode::Value(c.rangeMode));
        press(at(5, h + 2), Qt::LeftButton);
        EXPECT_EQ(grid()->isMovingEnabled(), c.moving) << c.rangeMode;
        EXPECT_EQ(grid()->isRangeSelectEnabled(), c.range) << c.rangeMode;
        release(at(5, h + 2), Qt::LeftButton);
    }
    EXPECT_FALSE(grid()->isEditingEnabled());
}

TEST_F(EditingPanels, DraggedRowsAndColumnsStayInTheTable)
{
    struct Case { Qt::Orientation o; int fromC, fromR, toC, toR; int checkC, checkR; const char *lands; bool moves; };
    const Case cases[] = {
        // Species 2 dropped on a spare row lands on the last species row.
        {Qt::Vertical, 2, h + 2, 2, h + 10, 2, h + 6, "ヨモギ", true},
        // A spare row cannot be dragged into the species.
        {Qt::Vertical, 2, h + 9, 2, h + 3, 2, h + 3, "ススキノキ", false},
        // Relevé 1 dropped on a spare column lands on the last relevé column.
        {Qt::Horizontal, 4, 2, 10, 2, 6, 2, "Site-1-Dunes", true},
        // A move within the table goes where it is dropped.
        {Qt::Vertical, 2, h + 1, 2, h + 2, 2, h + 2, "ススキ", true},
    };
    for (const Case &c : cases) {
        ws.model().setModified(false);
        const QPoint from = at(c.fromC, c.fromR);
        const QPoint to = at(c.toC, c.toR);
        press(from, Qt::LeftButton);
        moveHeld(to, Qt::LeftButton);
        release(to, Qt::LeftButton);
        EXPECT_EQ(cell(c.checkC, c.checkR), QString::fromUtf8(c.lands)) << c.lands;
        // A move changes the table's order: it counts as a change to be saved.
        EXPECT_EQ(ws.isModified(), c.moves) << c.lands;
    }
    EXPECT_EQ(ws.model().speciesCount(), 6);
    EXPECT_EQ(ws.model().releveCount(), 3);
}

TEST_F(EditingPanels, TypedCoverTextGoesThroughTheWorkspace)
{
    // Off by default: typing does not open an editor.
    grid()->setCurrentCell(6, h + 1);
    QTest::keyClick(grid(), Qt::Key_H);
    EXPECT_FALSE(grid()->isEditorOpen());

    grid()->setEditingEnabled(true);
    QTest::keyClick(grid(), Qt::Key_H);
    ASSERT_TRUE(grid()->isEditorOpen());
    QLineEdit *editor = canvas()->findChild<QLineEdit *>();
    ASSERT_NE(editor, nullptr);
    QTest::keyClicks(editor, QStringLiteral("1:2"));
    QTest::keyClick(editor, Qt::Key_Return);
    const TableModel &m = ws.model();
    EXPECT_EQ(m.coverData().at(m.releveIndexAt(6), m.speciesIndexAt(h + 1)), (ByteDataSet{0, 0, 0, 0, 20, 0, 0}));
    EXPECT_FALSE(cell(6, h + 1).isEmpty());
    EXPECT_EQ(cell(3, h + 1), QStringLiteral("   3"));

    // A text that is no cover entry is refused with a message; the cell keeps its text.
    ui.clearLog();
    grid()->setCurrentCell(6, h + 2);
    QTest::keyClick(grid(), Qt::Key_X);
    editor = canvas()->findChild<QLineEdit *>();
    QTest::keyClicks(editor, QStringLiteral("yz"));
    QTest::keyClick(editor, Qt::Key_Return);
    EXPECT_EQ(ui.messages().size(), 1);
    EXPECT_TRUE(cell(6, h + 2).isEmpty());
}

// --- Menu commands --------------------------------------------------------------------------------

TEST_F(EditingPanels, EditMenuCommandsActOnTheCurrentCell)
{
    struct Case { const char *action; int c, r; const char *asked; };
    const Case cases[] = {
        {"Item_DelRow", 5, h + 4, "yesno:この行を削除しますか？"},
        {"Item_DelCol", 6, h + 4, "yesno:この列を削除しますか？"},
        {"Item_InsRow", 5, h + 2, "yesno:この上に行を挿入しますか？"},
        {"Item_InsCol", 4, h + 2, "yesno:この左に列を挿入しますか？"},
        {"Item_Comment", 5, h + 4, "input:　コメント行＝:ススキノキ:"},
        {"Item_EditTitle", 5, h + 4, "input:　表の見出しを編修する::"},
    };
    for (const Case &c : cases) {
        QAction *a = window.action(QString::fromLatin1(c.action));
        ASSERT_NE(a, nullptr) << c.action;
        EXPECT_TRUE(a->isEnabled()) << c.action;
        grid()->setCurrentCell(c.c, c.r);
        ui.clearLog();
        tintWhileAsked.clear();
        a->trigger();
        EXPECT_EQ(ui.log(), QStringList{QString::fromUtf8(c.asked)}) << c.action;
    }
    EXPECT_EQ(tintWhileAsked.back(), EditTarget{}); // the title has no row to tint
    EXPECT_EQ(ws.model().speciesCount(), 6);
}

// --- The search panel -----------------------------------------------------------------------------

TEST_F(EditingPanels, SearchPanelEnterSearchesPartlyEscapeCancels)
{
    QueryPanel *panel = controller()->queryPanel();
    QComboBox *box = panel->queryBox();
    QAction *search = window.action(QStringLiteral("Item_Search"));
    ASSERT_NE(search, nullptr);
    EXPECT_TRUE(search->isEnabled());
    EXPECT_TRUE(window.action(QStringLiteral("Item_ResetSearch"))->isEnabled());

    search->trigger();
    ASSERT_TRUE(panel->isVisible());
    EXPECT_EQ(panel->size(), QSize(289, 105));
    EXPECT_EQ(panel->objectName(), QStringLiteral("QueryPanel"));
    EXPECT_EQ(panel->queryLabel()->text(), QStringLiteral("検索する文字列"));
    EXPECT_EQ(panel->exactButton()->text(), QStringLiteral("完全一致"));
    EXPECT_EQ(panel->partialButton()->text(), QStringLiteral("部分一致"));
    EXPECT_EQ(panel->cancelButton()->text(), QStringLiteral("中止"));
    EXPECT_TRUE(window.focusWidget() == box || window.focusWidget() == box->lineEdit());

    // Enter: partial match — every name with "ススキ", and the panel goes.
    box->setEditText(QStringLiteral("ススキ"));
    QTest::keyClick(box, Qt::Key_Return);
    EXPECT_FALSE(panel->isVisible());
    EXPECT_EQ(ws.model().searchHits(), (std::vector<GridCell>{{2, h + 1}, {2, h + 4}}));

    // The box keeps the text and lists the earlier searches; "完全一致" matches whole names.
    search->trigger();
    EXPECT_EQ(box->currentText(), QStringLiteral("ススキ"));
    EXPECT_EQ(box->count(), 1);
    QTest::mouseClick(panel->exactButton(), Qt::LeftButton);
    EXPECT_FALSE(panel->isVisible());
    EXPECT_EQ(ws.model().searchHits(), (std::vector<GridCell>{{2, h + 1}}));

    // Enter after "完全一致" is partial again, in the box's own edit field too.
    search->trigger();
    QTest::keyClick(box->lineEdit(), Qt::Key_Enter);
    EXPECT_EQ(ws.model().searchHits().size(), 2u);

    // "部分一致" on a header value.
    search->trigger();
    box->setEditText(QStringLiteral("Dunes"));
    QTest::mouseClick(panel->partialButton(), Qt::LeftButton);
    EXPECT_EQ(ws.model().searchHits(), (std::vector<GridCell>{{4, 2}, {5, 2}, {6, 2}}));
    EXPECT_EQ(ws.editing().searchHistory().texts(),
              (QStringList{QStringLiteral("ススキ"), QStringLiteral("ススキ"), QStringLiteral("ススキ"),
                           QStringLiteral("Dunes")}));

    // Escape and "中止" hide the panel; the marks stay.
    for (int how = 0; how < 2; ++how) {
        search->trigger();
        ASSERT_TRUE(panel->isVisible());
        box->setEditText(QStringLiteral("チガヤ"));
        if (how == 0)
            QTest::keyClick(box, Qt::Key_Escape);
        else
            QTest::mouseClick(panel->cancelButton(), Qt::LeftButton);
        EXPECT_FALSE(panel->isVisible());
        EXPECT_EQ(ws.model().searchHits().size(), 3u);
    }
    EXPECT_EQ(ws.editing().searchHistory().texts().size(), 4);

    // "検索状態の解除" removes the marks.
    window.action(QStringLiteral("Item_ResetSearch"))->trigger();
    EXPECT_TRUE(ws.model().searchHits().empty());
}

TEST_F(EditingPanels, SearchPanelIgnoreCaseBoxReachesTheSearch)
{
    QueryPanel *panel = controller()->queryPanel();
    QAction *search = window.action(QStringLiteral("Item_Search"));
    search->trigger();
    QCheckBox *ignoreCase = panel->ignoreCaseBox();
    EXPECT_EQ(ignoreCase->text(), QStringLiteral("大文字・小文字を区別しない"));
    EXPECT_FALSE(ignoreCase->isChecked());
    EXPECT_TRUE(panel->geometry().contains(ignoreCase->geometry().translated(panel->pos())));

    // Off: "ＤＵＮＥＳ" finds nothing and the status bar says so.
    panel->queryBox()->setEditText(QStringLiteral("ＤＵＮＥＳ"));
    QTest::mouseClick(panel->partialButton(), Qt::LeftButton);
    EXPECT_TRUE(ws.model().searchHits().empty());

    // On: the three site names; the box keeps its state for the next search.
    search->trigger();
    QTest::mouseClick(ignoreCase, Qt::LeftButton, {}, QPoint(4, ignoreCase->height() / 2));
    ASSERT_TRUE(ignoreCase->isChecked());
    QTest::mouseClick(panel->partialButton(), Qt::LeftButton);
    EXPECT_EQ(ws.model().searchHits(), (std::vector<GridCell>{{4, 2}, {5, 2}, {6, 2}}));
    search->trigger();
    EXPECT_TRUE(ignoreCase->isChecked());
    panel->queryBox()->setEditText(QStringLiteral("site-2-dunes"));
    QTest::mouseClick(panel->exactButton(), Qt::LeftButton);
    EXPECT_EQ(ws.model().searchHits(), (std::vector<GridCell>{{5, 2}}));
}
