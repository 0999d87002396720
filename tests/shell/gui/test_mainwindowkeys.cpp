// The main window's standard keys, the file menu's "最近使った表" and the zoom of the grid.
#include "platform/gui/gridwidget.h"
#include "platform/print/qtfont.h"
#include "platform/scripteduserinterface.h"
#include "shell/gui/mainwindow.h"
#include "shell/workspace.h"
#include "support/testsupport.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QMenu>
#include <QTest>

#include <gtest/gtest.h>

#include <map>

using namespace Zelkor;
using Zelkor::Test::TempDir;

namespace {

struct MainWindowKeys : ::testing::Test
{
    TempDir dir;
    ScriptedUserInterface ui;
    Workspace ws{&ui};
    MainWindow window{&ws};

    void SetUp() override
    {
        ws.program().start({}, dir.path(QStringLiteral("zelkor")));
        window.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
        ui.clearLog();
    }

    QString table(const QString &name, const QString &title)
    {
        return Zelkor::Test::writeTwoSpeciesTable(dir, name, title);
    }

    QStringList recentCaptions() const
    {
        QStringList out;
        for (QAction *a : window.recentTablesMenu()->actions())
            out << a->text();
        return out;
    }

    QString zoomText() const { return window.findChild<QLabel *>(QStringLiteral("ZoomPanel"))->text(); }
};

} // namespace

TEST_F(MainWindowKeys, CommandsCarryTheStandardKeysAndNoKeyIsUsedTwice)
{
    const std::pair<const char *, QKeySequence::StandardKey> cases[] = {
        {"Item_LoadTable", QKeySequence::Open},   {"Item_SaveTable", QKeySequence::Save},
        {"Item_PrintTable", QKeySequence::Print}, {"Btn_Quit", QKeySequence::Quit},
        {"Item_Search", QKeySequence::Find},      {"Item_FindNext", QKeySequence::FindNext},
        {"Item_ZoomIn", QKeySequence::ZoomIn},    {"Item_ZoomOut", QKeySequence::ZoomOut},
        {"Item_Copy", QKeySequence::Copy},
    };
    for (const auto &[name, key] : cases) {
        SCOPED_TRACE(name);
        QAction *a = window.action(QString::fromUtf8(name));
        ASSERT_NE(a, nullptr);
        for (const QKeySequence &binding : QKeySequence::keyBindings(key))
            EXPECT_TRUE(a->shortcuts().contains(binding)) << binding.toString().toStdString();
        // Shown in the menu: the first key is the one the menu prints beside the caption.
        if (!QKeySequence::keyBindings(key).isEmpty()) {
            EXPECT_FALSE(a->shortcut().isEmpty());
        }
    }
    EXPECT_EQ(window.action(QStringLiteral("Item_ZoomReset"))->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_0));

    std::map<QString, QString> owner;
    for (QAction *a : window.findChildren<QAction *>()) {
        for (const QKeySequence &k : a->shortcuts()) {
            const auto [it, inserted] = owner.emplace(k.toString(), a->objectName());
            EXPECT_TRUE(inserted) << k.toString().toStdString() << " on " << it->second.toStdString()
                                  << " and " << a->objectName().toStdString();
        }
    }
}

TEST_F(MainWindowKeys, ZoomKeysScaleTheGridAndLeaveTheTableFontAndTheSavedFile)
{
    Zelkor::Test::fillTwoSpecies(ws.model());
    const QString before = dir.path(QStringLiteral("before.vtb"));
    ui.answerFile(before);
    ASSERT_TRUE(ws.tableFile().saveTable());
    const FontSpec tableFont = ws.model().tableFont();
    const QFont gridFont = window.grid()->font();
    const int width = window.grid()->cellRect(TableModel::NameColumn, 1).width();
    ASSERT_GT(width, 0);
    EXPECT_EQ(zoomText(), QStringLiteral("表示 100%"));

    QApplication::setActiveWindow(&window);
    window.grid()->setFocus();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    struct Step
    {
        const char *name;
        QKeyCombination key;
        int zoom;
    };
    const Step steps[] = {
        {"Ctrl++", Qt::CTRL | Qt::Key_Plus, 110},
        {"Ctrl+=", Qt::CTRL | Qt::Key_Equal, 125},
        {"Ctrl+-", Qt::CTRL | Qt::Key_Minus, 110},
        {"Ctrl+0", Qt::CTRL | Qt::Key_0, 100},
        {"Ctrl+- again", Qt::CTRL | Qt::Key_Minus, 90},
    };
    for (const Step &s : steps) {
        SCOPED_TRACE(s.name);
        QTest::keyClick(window.grid(), s.key.key(), s.key.keyboardModifiers());
        EXPECT_EQ(window.grid()->zoomPercent(), s.zoom);
        EXPECT_EQ(zoomText(), QStringLiteral("表示 %1%").arg(s.zoom));
    }
    for (int i = 0; i < 20; ++i)
        window.action(QStringLiteral("Item_ZoomIn"))->trigger();
    EXPECT_EQ(window.grid()->zoomPercent(), 300);
    EXPECT_EQ(window.grid()->cellRect(TableModel::NameColumn, 1).width(), 3 * width);

    // What is printed and saved keeps the table font: the model, the settings, the grid's own
    // font, and a table saved now is the same file.
    EXPECT_EQ(ws.model().tableFont(), tableFont);
    EXPECT_EQ(ws.settings().tableFont, tableFont);
    EXPECT_EQ(window.grid()->font(), gridFont);
    const QString after = dir.path(QStringLiteral("after.vtb"));
    ui.answerFile(after);
    ASSERT_TRUE(ws.tableFile().saveTable());
    EXPECT_EQ(Zelkor::Test::readBytes(after), Zelkor::Test::readBytes(before));
    // A table laid out again (a loaded table, a new table font) keeps the zoom.
    ASSERT_TRUE(ws.tableFile().loadTable(before));
    EXPECT_EQ(window.grid()->zoomPercent(), 300);
    EXPECT_EQ(window.grid()->cellRect(TableModel::NameColumn, 1).width(), 3 * width);
}

TEST_F(MainWindowKeys, RecentTablesMenuListsLoadsAndDropsGoneFiles)
{
    QMenu *menu = window.recentTablesMenu();
    ASSERT_NE(menu, nullptr);
    EXPECT_EQ(menu->title(), QStringLiteral("最近使った表"));
    EXPECT_TRUE(menu->actions().isEmpty());
    EXPECT_FALSE(menu->menuAction()->isEnabled());

    const QString a = table(QStringLiteral("a.vtb"), QStringLiteral("表A"));
    const QString b = table(QStringLiteral("b&c.vtb"), QStringLiteral("表B"));
    ASSERT_TRUE(ws.tableFile().loadTable(a));
    ASSERT_TRUE(ws.tableFile().loadTable(b));
    EXPECT_TRUE(menu->menuAction()->isEnabled());
    QString bShown = QDir::toNativeSeparators(b);
    bShown.replace(QStringLiteral("&"), QStringLiteral("&&"));
    EXPECT_EQ(recentCaptions(), (QStringList{QStringLiteral("&1 ") + bShown,
                                             QStringLiteral("&2 ") + QDir::toNativeSeparators(a)}));

    // The second entry loads its table.
    menu->actions().at(1)->trigger();
    EXPECT_EQ(ws.tableTitle(), QStringLiteral("表A"));
    QApplication::processEvents();
    ASSERT_EQ(menu->actions().size(), 2);
    EXPECT_EQ(menu->actions().at(0)->data().toString(), QFileInfo(a).absoluteFilePath());

    // A file that is gone leaves the menu with the message.
    ASSERT_TRUE(QFile::remove(b));
    ui.clearLog();
    menu->actions().at(1)->trigger();
    EXPECT_EQ(ui.messages(), QStringList{TableFileCommand::missingRecentMessage(QFileInfo(b).absoluteFilePath())});
    EXPECT_EQ(ws.tableTitle(), QStringLiteral("表A"));
    QApplication::processEvents();
    EXPECT_EQ(recentCaptions(), QStringList{QStringLiteral("&1 ") + QDir::toNativeSeparators(a)});
}

// "元に戻す" and "やり直し" head the edit menu, name the step they would take, are greyed when
// there is none, and answer Ctrl+Z, Ctrl+Y and Ctrl+Shift+Z; undoing back to the state saved
// makes the table unchanged again.
TEST_F(MainWindowKeys, UndoAndRedoNameTheirStepsAndFollowTheKeys)
{
    ASSERT_TRUE(ws.tableFile().loadTable(table(QStringLiteral("two.vtb"), QStringLiteral("二種"))));
    QAction *undo = window.findChild<QAction *>(QStringLiteral("Item_Undo"));
    QAction *redo = window.findChild<QAction *>(QStringLiteral("Item_Redo"));
    ASSERT_TRUE(undo && redo);
    QMenu *edit = window.findChild<QMenu *>(QStringLiteral("Menu_Edit"));
    ASSERT_TRUE(edit);
    EXPECT_EQ(edit->actions().value(0), undo);
    EXPECT_EQ(edit->actions().value(1), redo);
    EXPECT_EQ(undo->shortcuts(), QKeySequence::keyBindings(QKeySequence::Undo));
    EXPECT_TRUE(redo->shortcuts().contains(QKeySequence(Qt::CTRL | Qt::Key_Y)));
    EXPECT_TRUE(redo->shortcuts().contains(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z)));
    EXPECT_FALSE(undo->isEnabled());
    EXPECT_FALSE(redo->isEnabled());

    ui.setDefaultYes(true);
    ws.editing().deleteRow(ws.model().speciesRow(1));
    ASSERT_EQ(ws.model().speciesCount(), 1);
    EXPECT_TRUE(undo->isEnabled());
    EXPECT_EQ(undo->text(), QStringLiteral("元に戻す：行の削除"));
    EXPECT_TRUE(ws.model().isModified());

    QTest::keyClick(&window, Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(ws.model().speciesCount(), 2);
    EXPECT_FALSE(ws.model().isModified());
    EXPECT_FALSE(undo->isEnabled());
    EXPECT_EQ(redo->text(), QStringLiteral("やり直し：行の削除"));
    EXPECT_FALSE(window.isWindowModified());

    QTest::keyClick(&window, Qt::Key_Y, Qt::ControlModifier);
    EXPECT_EQ(ws.model().speciesCount(), 1);
    EXPECT_TRUE(ws.model().isModified());
    QTest::keyClick(&window, Qt::Key_Z, Qt::ControlModifier);
    QTest::keyClick(&window, Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(ws.model().speciesCount(), 1);
    EXPECT_FALSE(redo->isEnabled());
    EXPECT_EQ(redo->text(), QStringLiteral("やり直し"));
}
