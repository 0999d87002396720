// Reciprocal averaging from the main window's menu, offscreen: the score table in the second
// window and the reordered grid.
#include "analysis/codedtable.h"
#include "analysis/gui/constancywindow.h"
#include "analysis/gui/freqtablepanel.h"
#include "platform/gui/gridwidget.h"
#include "platform/scripteduserinterface.h"
#include "shell/gui/mainwindow.h"
#include "shell/workspace.h"
#include "support/testsupport.h"

#include <QAction>
#include <QFrame>
#include <QTest>
#include <QWindow>

#include <gtest/gtest.h>

using namespace Zelkor;

TEST(RecipWindow, MenuShowsTheScoresInTheSecondWindowAndReordersTheGrid)
{
    Zelkor::Test::TempDir dir;
    ScriptedUserInterface ui;
    Workspace ws{&ui};
    MainWindow window{&ws};
    ws.program().start({}, dir.path(QStringLiteral("zelkor")));
    // Along the gradient the relevés run R1, R3, R2.
    Zelkor::Test::fillCodedTable(ws.model(), {QStringLiteral("Festuca"), QStringLiteral("Poa"), QStringLiteral("Juncus")},
                                 {QStringLiteral("R1"), QStringLiteral("R2"), QStringLiteral("R3")},
                                 {{30, 10, 0}, {0, 10, 30}, {10, 30, 10}});
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    ConstancyWindow *form2 = window.constancyWindow();
    QAction *recip = window.action(QStringLiteral("Item_Recip"));
    ASSERT_TRUE(recip->isEnabled());

    // The constancy settings panel gives way to the score window.
    window.action(QStringLiteral("Item_MakeFreqTable"))->trigger();
    ASSERT_TRUE(window.freqTablePanel()->isVisible());
    ui.clearLog();
    ui.answerYes();
    ui.answerNo();
    recip->trigger();
    EXPECT_FALSE(window.freqTablePanel()->isVisible());
    EXPECT_TRUE(form2->isVisible());
    EXPECT_EQ(form2->windowTitle(), QStringLiteral("Reciprocal Averaging Score"));
    EXPECT_FALSE(form2->toolPanel()->isVisible());
    EXPECT_EQ(window.action(QStringLiteral("Item_ShowFreqTable"))->text(), QStringLiteral("スコア表を再表示する"));
    const CellGrid *scores = form2->grid()->grid();
    EXPECT_EQ(scores->cell(0, 1), QStringLiteral("Festuca"));
    EXPECT_EQ(scores->cell(3, 3), QStringLiteral("R3"));
    EXPECT_FALSE(scores->cell(1, 1).isEmpty());
    EXPECT_EQ(ui.unansweredQuestions(), QStringList());
    const int h = ws.model().headerRows();
    EXPECT_EQ(ws.model().grid().cell(2, h + 1), QStringLiteral("Festuca"));
    EXPECT_FALSE(ws.isModified());

    // The window stays over the main window (the window manager keeps a transient window over
    // its owner) and saves its scores itself.
    EXPECT_EQ(form2->windowType(), Qt::Dialog);
    ASSERT_NE(form2->windowHandle(), nullptr);
    EXPECT_EQ(form2->windowHandle()->transientParent(), window.windowHandle());
    auto *saveScores = form2->findChild<QWidget *>(QStringLiteral("Btn_ScoresCSV"));
    ASSERT_NE(saveScores, nullptr);
    EXPECT_TRUE(saveScores->isVisible());
    const QString scoresFile = dir.path(QStringLiteral("scores.csv"));
    ui.answerFile(scoresFile);
    QTest::mouseClick(saveScores, Qt::LeftButton);
    const QStringList saved = Zelkor::Test::readLines(scoresFile);
    ASSERT_EQ(saved.size(), 5); // the title, the headings and three rows
    EXPECT_EQ(saved[0], QStringLiteral("Reciprocal Averaging Score"));
    EXPECT_TRUE(saved[2].startsWith(QStringLiteral("Festuca,"))) << saved[2].toStdString();

    // Closed and shown again from the menu, it keeps the scores; Yes reorders the grid.
    QTest::mouseClick(form2->findChild<QWidget *>(QStringLiteral("Btn_Close")), Qt::LeftButton);
    EXPECT_FALSE(form2->isVisible());
    window.action(QStringLiteral("Item_ShowFreqTable"))->trigger();
    EXPECT_TRUE(form2->isVisible());
    EXPECT_EQ(scores->cell(3, 3), QStringLiteral("R3"));
    ui.answerYes();
    ui.answerYes();
    recip->trigger();
    EXPECT_TRUE(ws.isModified());
    QStringList order;
    for (int r = 1; r <= 3; ++r)
        order << ws.model().grid().cell(r + 3, 2);
    EXPECT_TRUE(order == (QStringList{QStringLiteral("R1"), QStringLiteral("R3"), QStringLiteral("R2")})
                || order == (QStringList{QStringLiteral("R2"), QStringLiteral("R3"), QStringLiteral("R1")}))
        << order.join(QLatin1Char(' ')).toStdString();
    EXPECT_EQ(ws.model().grid().cell(2, h + 2), QStringLiteral("Poa"));
}
