// The main window's commands of other programs' data: "表計算の表を読込む" in the file menu, and
// "Cornell 形式で出力する" among the outputs that need relevés.
#include "platform/gui/gridwidget.h"
#include "platform/scripteduserinterface.h"
#include "shell/gui/mainwindow.h"
#include "shell/workspace.h"
#include "support/testsupport.h"

#include <QAction>
#include <QTest>
#include <gtest/gtest.h>

using namespace Zelkor;

TEST(MainWindowImport, TheMenuCommandShowsTheImportedTable)
{
    Zelkor::Test::TempDir dir;
    ScriptedUserInterface ui;
    Workspace ws{&ui};
    MainWindow window{&ws};
    ws.program().start({}, dir.path(QStringLiteral("zelkor")));
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));

    QAction *import = window.action(QStringLiteral("Item_ImportTable"));
    QAction *cornell = window.action(QStringLiteral("Item_Cornell"));
    ASSERT_NE(import, nullptr);
    ASSERT_NE(cornell, nullptr);
    EXPECT_EQ(import->text(), QStringLiteral("表計算の表を読込む"));
    EXPECT_EQ(cornell->text(), QStringLiteral("Cornell 形式で出力する"));
    EXPECT_TRUE(import->isEnabled());
    EXPECT_FALSE(cornell->isEnabled());

    ui.answerFile(Zelkor::Test::fixturePath(QStringLiteral("spreadsheet/layered-libreoffice.csv")));
    ui.answerChoice(0);
    import->trigger();
    EXPECT_TRUE(ui.unansweredQuestions().isEmpty());
    const CellGrid &cells = *window.grid()->grid();
    EXPECT_EQ(cells.cell(TableModel::NameColumn, ws.model().speciesRow(1)), QStringLiteral("コナラ"));
    EXPECT_EQ(cells.cell(TableModel::releveColumn(3), TableModel::LabelRow), QStringLiteral("K03"));
    EXPECT_TRUE(cornell->isEnabled());
    EXPECT_TRUE(window.windowTitle().contains(QStringLiteral("（layered）"))) << window.windowTitle().toStdString();
    EXPECT_EQ(window.statusTexts().at(3), QStringLiteral("3"));
}
