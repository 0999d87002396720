// The output panel over the main window, offscreen: opened by the output commands, driven by
// its controls, writing the text file.
#include "output/gui/outputpanelwidget.h"

#include "output/sampletable.h"
#include "platform/scripteduserinterface.h"
#include "shell/gui/mainwindow.h"
#include "shell/workspace.h"
#include "support/testsupport.h"

#include <QAction>
#include <QCheckBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTest>

#include <gtest/gtest.h>

using namespace Zelkor;
using Zelkor::Test::layer;

namespace {

struct PanelToPrintTest : ::testing::Test
{
    Zelkor::Test::TempDir dir;
    ScriptedUserInterface ui;
    Workspace ws{&ui};
    MainWindow window{&ws};
    OutputPanelWidget *panel = window.outputPanelWidget();

    void SetUp() override
    {
        ws.program().start({}, dir.path(QStringLiteral("zelkor")));
        Zelkor::Test::SampleTable t{2, 3, 30};
        t.setReleves(2);
        t.setItem(1, 2, QStringLiteral("R1"));
        t.setItem(2, 2, QStringLiteral("R2"));
        t.addSpecies(QStringLiteral("Poa annua"), {{1, layer(5, 10)}, {2, layer(5, 20)}});
        t.finish();
        ws.model() = t.model;
        ws.items() = t.items;
        ws.setTableTitle(QStringLiteral("Dunes"));
        ws.document().reNewTable();
        ws.model().setModified(false);
        Q_EMIT ws.document().statusChanged();
        window.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    }

    template<typename T>
    T *child(const char *name) const
    {
        return panel->findChild<T *>(QString::fromLatin1(name));
    }

    // A click on the box's indicator (the box is wider than its caption).
    void clickBox(const char *name, Qt::MouseButton button)
    {
        QCheckBox *box = child<QCheckBox>(name);
        QTest::mouseClick(box, button, {}, QPoint(6, box->height() / 2));
    }
};

} // namespace

TEST_F(PanelToPrintTest, TextOutputFromTheMenuThroughThePanel)
{
    ASSERT_TRUE(window.action(QStringLiteral("Item_TextFile"))->isEnabled());
    window.action(QStringLiteral("Item_TextFile"))->trigger();
    ASSERT_TRUE(panel->isVisible());
    EXPECT_EQ(child<QLineEdit>("EditTitle")->text(), QStringLiteral("Dunes"));
    EXPECT_TRUE(child<QCheckBox>("ChkBox3")->isEnabled());
    EXPECT_FALSE(child<QCheckBox>("ChkBox4")->isEnabled());
    EXPECT_EQ(child<QSpinBox>("TN2")->value(), 2);
    EXPECT_FALSE(child<QGroupBox>("RG_Method")->isEnabled());

    // Untick item 3, type a title and a range, tick the frequency column, output.
    clickBox("ChkBox3", Qt::LeftButton);
    EXPECT_FALSE(ws.items()[3].selected);
    child<QLineEdit>("EditTitle")->clear();
    QTest::keyClicks(child<QLineEdit>("EditTitle"), QStringLiteral("Dune meadows"));
    child<QCheckBox>("ChkBoxfq")->click();
    child<QSpinBox>("TN1")->setValue(2);
    const QString path = dir.path(QStringLiteral("out.txt"));
    ui.answerFile(path);
    QTest::mouseClick(child<QPushButton>("BtnToPrint"), Qt::LeftButton);
    EXPECT_FALSE(panel->isVisible());
    EXPECT_EQ(ws.tableTitle(), QStringLiteral("Dune meadows"));
    EXPECT_TRUE(window.windowTitle().contains(QStringLiteral("（Dune meadows）")));
    const QStringList lines = Zelkor::Test::readLines(path);
    ASSERT_GE(lines.size(), 10);
    EXPECT_EQ(lines[1], QStringLiteral("Dune meadows"));
    EXPECT_TRUE(lines[3].endsWith(QStringLiteral("    2"))); // relevé 2 alone
    EXPECT_FALSE(lines.join(QLatin1Char('\n')).contains(QStringLiteral("調査地名")));
    EXPECT_TRUE(lines[9].endsWith(QStringLiteral("  100"))); // the frequency column
}

TEST_F(PanelToPrintTest, NumericOutputsGreyTheItemsAndTheItemChangeEditsLabels)
{
    window.action(QStringLiteral("Item_ValueMatrix"))->trigger();
    EXPECT_FALSE(child<QCheckBox>("ChkBox3")->isEnabled());
    EXPECT_TRUE(child<QGroupBox>("RG_Direct")->isEnabled());
    EXPECT_FALSE(child<QCheckBox>("ChkBoxfq")->isEnabled());
    QTest::mouseClick(child<QPushButton>("BtnCancelPrint"), Qt::LeftButton);
    EXPECT_FALSE(panel->isVisible());

    ui.answerYes(); // the table will be blanked
    window.action(QStringLiteral("Item_ChangeItem"))->trigger();
    ASSERT_TRUE(panel->isVisible());
    EXPECT_TRUE(child<QPushButton>("BtnItemEdt")->isVisible());
    EXPECT_EQ(child<QPushButton>("BtnToPrint")->text(), QStringLiteral("設定する"));
    EXPECT_FALSE(window.action(QStringLiteral("Item_UseFI"))->isChecked());
    clickBox("ChkBox9", Qt::RightButton);
    EXPECT_EQ(child<QLineEdit>("EditTitle")->text(), QStringLiteral("傾斜方位"));
    EXPECT_FALSE(ws.items()[9].selected); // the right button does not tick
    child<QLineEdit>("EditTitle")->clear();
    child<QLineEdit>("EditTitle")->insert(QStringLiteral("方位")); // as the input method types it
    QTest::mouseClick(child<QPushButton>("BtnItemEdt"), Qt::LeftButton);
    clickBox("ChkBox9", Qt::LeftButton);
    EXPECT_EQ(child<QCheckBox>("ChkBox9")->text(), QStringLiteral("方位"));
    EXPECT_TRUE(ws.items()[9].selected);
    EXPECT_TRUE(child<QCheckBox>("ChkBox9")->isChecked());
    QTest::mouseClick(child<QPushButton>("BtnToPrint"), Qt::LeftButton);
    EXPECT_EQ(ws.model().releveCount(), 0);
    EXPECT_EQ(ws.model().grid().cell(2, 4), QStringLiteral("方位"));
}
