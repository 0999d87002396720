// Copying a block of the main grid to the clipboard: selected with the mouse and the keys,
// copied with Ctrl+C and the edit menu's two commands.
#include "platform/gui/gridwidget.h"
#include "platform/scripteduserinterface.h"
#include "shell/gui/mainwindow.h"
#include "shell/workspace.h"
#include "support/testsupport.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QMenu>
#include <QMimeData>
#include <QMouseEvent>
#include <QTest>

#include <gtest/gtest.h>

using namespace Zelkor;

namespace {

// Three relevés labelled "砂丘-1" … and three species:
//   Quercus <serrata>  T1 2.3 in relevé 1, T1 1 and H1 + in relevé 2
//   ススキ              H1 +.2 in relevé 1 and 3
//   "Carex" & co.       H1 r in relevé 3
struct MainWindowCopy : ::testing::Test
{
    Zelkor::Test::TempDir dir;
    ScriptedUserInterface ui;
    Workspace ws{&ui};
    MainWindow window{&ws};
    int h = 0;

    void SetUp() override
    {
        ws.program().start({}, dir.path(QStringLiteral("zelkor")));
        TableModel &m = ws.model();
        h = m.headerRows();
        m.setReleveCount(3);
        for (int i = 1; i <= 3; ++i)
            m.grid().setCell(TableModel::releveColumn(i), TableModel::LabelRow, QStringLiteral("砂丘-%1").arg(i));
        struct Entry
        {
            int species, releve;
            const char *text;
            ByteDataSet codes;
        };
        const char *names[] = {"Quercus <serrata>", "ススキ", "\"Carex\" & co."};
        const Entry entries[] = {
            {1, 1, "23  ", {23, 0, 0, 0, 0, 0, 0}}, {1, 2, "1  +", {10, 0, 0, 0, 1, 0, 0}},
            {2, 1, "  +2", {0, 0, 0, 0, 2, 0, 0}},  {2, 3, "  +2", {0, 0, 0, 0, 2, 0, 0}},
            {3, 3, "   r", {0, 0, 0, 0, 6, 0, 0}},
        };
        for (int k = 1; k <= 3; ++k)
            m.grid().setCell(TableModel::NameColumn, m.speciesRow(k), QString::fromUtf8(names[k - 1]));
        for (const Entry &e : entries) {
            const int col = TableModel::releveColumn(e.releve);
            const int row = m.speciesRow(e.species);
            m.grid().setCell(col, row, QString::fromUtf8(e.text));
            m.coverData().set(m.releveIndexAt(col), m.speciesIndexAt(row), e.codes);
        }
        m.setSpeciesCount(3);
        m.recomputeFrequencies();
        window.tableChanged();
        window.resize(1000, 700);
        window.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
        QApplication::setActiveWindow(&window);
        grid()->setFocus();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
        QGuiApplication::clipboard()->clear();
    }

    GridWidget *grid() const { return window.grid(); }
    QWidget *canvas() const { return grid()->viewport(); }
    QString cell(int c, int r) const { return ws.model().grid().cell(c, r); }
    QPoint at(int c, int r) const { return grid()->cellRect(c, r).center(); }

    void mouse(QEvent::Type type, const QPoint &pos, Qt::MouseButton button, Qt::MouseButtons buttons,
               Qt::KeyboardModifiers modifiers = Qt::NoModifier)
    {
        QMouseEvent event(type, QPointF(pos), QPointF(canvas()->mapToGlobal(pos)), button, buttons, modifiers);
        QApplication::sendEvent(canvas(), &event);
    }
    void click(const QPoint &pos, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
    {
        mouse(QEvent::MouseButtonPress, pos, Qt::LeftButton, Qt::LeftButton, modifiers);
        mouse(QEvent::MouseButtonRelease, pos, Qt::LeftButton, Qt::NoButton, modifiers);
    }
    void drag(const QPoint &from, const QPoint &to)
    {
        mouse(QEvent::MouseButtonPress, from, Qt::LeftButton, Qt::LeftButton);
        mouse(QEvent::MouseMove, to, Qt::NoButton, Qt::LeftButton);
        mouse(QEvent::MouseButtonRelease, to, Qt::LeftButton, Qt::NoButton);
    }
    void ctrlC() { QTest::keyClick(grid(), Qt::Key_C, Qt::ControlModifier); }

    QString clipText() const
    {
        const QMimeData *data = QGuiApplication::clipboard()->mimeData();
        return data && data->hasText() ? data->text() : QString();
    }
    QString clipHtml() const
    {
        const QMimeData *data = QGuiApplication::clipboard()->mimeData();
        return data && data->hasHtml() ? data->html() : QString();
    }
};

} // namespace

TEST_F(MainWindowCopy, ADraggedBlockGoesToTheClipboardAsTextAndHtml)
{
    drag(at(TableModel::releveColumn(1), h + 1), at(TableModel::releveColumn(2), h + 2));
    EXPECT_EQ(grid()->selection(), (GridRange{4, h + 1, 5, h + 2}));
    ctrlC();
    EXPECT_EQ(clipText(), QStringLiteral("23  \t1  +\r\n  +2\t\r\n"));
    const QString html = clipHtml();
    EXPECT_TRUE(html.contains(QStringLiteral("<meta charset=\"utf-8\">")));
    EXPECT_TRUE(html.contains(QStringLiteral("<tr><td>23  </td><td>1  +</td></tr>\n<tr><td>  +2</td><td></td></tr>\n")))
        << html.toStdString();
    // Nothing of the table changed, and the selection stays for the next command.
    EXPECT_EQ(cell(TableModel::releveColumn(1), h + 1), QStringLiteral("23  "));
    EXPECT_EQ(grid()->selection(), (GridRange{4, h + 1, 5, h + 2}));
}

TEST_F(MainWindowCopy, WholeRowsTakeTheirNamesAndStopAtTheLastRelevé)
{
    // A click on a name selects the row; Shift with the down arrow takes the next one in.
    click(at(TableModel::NameColumn, h + 2));
    QTest::keyClick(grid(), Qt::Key_Down, Qt::ShiftModifier);
    ASSERT_TRUE(grid()->selectsWholeRows());
    ctrlC();
    QStringList expected;
    for (int r : {h + 2, h + 3}) {
        QStringList cells;
        for (int c = TableModel::NumberColumn; c <= TableModel::releveColumn(3); ++c)
            cells << cell(c, r);
        expected << cells.join(QLatin1Char('\t'));
    }
    EXPECT_EQ(expected[0].section(QLatin1Char('\t'), 1, 1), QStringLiteral("ススキ"));
    // The quotes of a name are doubled inside quotes; HTML escapes them.
    EXPECT_EQ(clipText(), expected[0] + QStringLiteral("\r\n") + expected[1].replace(
                              QStringLiteral("\"Carex\" & co."), QStringLiteral("\"\"\"Carex\"\" & co.\"")) + QStringLiteral("\r\n"));
    EXPECT_TRUE(clipHtml().contains(QStringLiteral("<td>&quot;Carex&quot; &amp; co.</td>")));
}

TEST_F(MainWindowCopy, AWholeColumnTakesItsHeaderCellsAndStopsAtTheLastSpecies)
{
    const int col = TableModel::releveColumn(2);
    click(at(col, TableModel::NumberRow));
    ASSERT_TRUE(grid()->selectsWholeColumns());
    ctrlC();
    const QStringList lines = clipText().split(QStringLiteral("\r\n"));
    ASSERT_GE(lines.size(), 4);
    // The relevé's running number, then its label; the last species last; no spare rows.
    EXPECT_EQ(lines.first(), cell(col, TableModel::NumberRow));
    EXPECT_EQ(lines.at(1), QStringLiteral("砂丘-2"));
    EXPECT_EQ(lines.at(lines.size() - 4), QStringLiteral("1  +"));
    EXPECT_EQ(lines.at(lines.size() - 3), QString());
    EXPECT_EQ(lines.at(lines.size() - 2), QString());
    EXPECT_EQ(lines.last(), QString());
    int shown = 0;
    for (int r = 0; r <= h + 3; ++r)
        shown += ws.model().grid().rowHeight(r) > 1;
    EXPECT_EQ(lines.size(), shown + 1);
}

TEST_F(MainWindowCopy, LayerCopyOfTheSelectedRelevésAndSpecies)
{
    grid()->setCurrentCell(TableModel::releveColumn(1), h + 1);
    for (Qt::Key key : {Qt::Key_Right, Qt::Key_Down, Qt::Key_Down})
        QTest::keyClick(grid(), key, Qt::ShiftModifier);
    EXPECT_EQ(grid()->selection(), (GridRange{4, h + 1, 5, h + 3}));
    QAction *copy = window.action(QStringLiteral("Item_CopyByLayer"));
    ASSERT_NE(copy, nullptr);
    copy->trigger();
    EXPECT_EQ(clipText(), QStringLiteral("\t砂丘-1\t砂丘-2\r\n"
                                         "Quercus <serrata> T1\t2.3\t1\r\n"
                                         "Quercus <serrata> H1\t\t+\r\n"
                                         "ススキ H1\t+.2\t\r\n"));
    EXPECT_TRUE(clipHtml().contains(QStringLiteral("<tr><td>Quercus &lt;serrata&gt; H1</td><td></td><td>+</td></tr>")))
        << clipHtml().toStdString();
}

TEST_F(MainWindowCopy, TheCopyCommandsFollowUndoAndRedoInTheEditMenu)
{
    QMenu *edit = window.findChild<QMenu *>(QStringLiteral("Menu_Edit"));
    ASSERT_NE(edit, nullptr);
    const QList<QAction *> actions = edit->actions();
    ASSERT_GE(actions.size(), 6);
    EXPECT_EQ(actions.at(0)->objectName(), QStringLiteral("Item_Undo"));
    EXPECT_EQ(actions.at(1)->objectName(), QStringLiteral("Item_Redo"));
    EXPECT_TRUE(actions.at(2)->isSeparator());
    EXPECT_EQ(actions.at(3)->objectName(), QStringLiteral("Item_Copy"));
    EXPECT_EQ(actions.at(4)->objectName(), QStringLiteral("Item_CopyByLayer"));
    EXPECT_TRUE(actions.at(5)->isSeparator());
}
