// The sorting and hiding commands in the main window, offscreen: the menu items, the range
// panel (PanelofSortRange), the drag that chooses a block to hide, and the grid's mouse modes.
#include "analysis/gui/sortrangepanel.h"
#include "platform/gui/gridwidget.h"
#include "platform/scripteduserinterface.h"
#include "shell/gui/mainwindow.h"
#include "shell/workspace.h"
#include "support/testsupport.h"

#include <QAction>
#include <QApplication>
#include <QGroupBox>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTest>

#include <gtest/gtest.h>

using namespace Zelkor;

namespace {

// Four relevés and six species; species j is found in relevés 1..min(j, 4).
struct SortRangeWindow : ::testing::Test
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
        m.setReleveCount(4);
        m.setSpeciesCount(6);
        for (int k = 1; k <= 4; ++k)
            m.grid().setCell(k + 3, 2, QStringLiteral("R%1").arg(k));
        for (int j = 1; j <= 6; ++j) {
            m.grid().setCell(2, h + j, QStringLiteral("S%1").arg(j));
            for (int k = 1; k <= std::min(j, 4); ++k)
                m.grid().setCell(k + 3, h + j, QStringLiteral("   +"));
        }
        m.recomputeFrequencies();
        window.tableChanged();
        window.updateStatus();
        window.resize(1000, 700);
        window.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
        ui.clearLog();
    }

    SortRangePanel *panel() const { return window.sortRangePanel(); }
    GridWidget *grid() const { return window.grid(); }
    QWidget *canvas() const { return grid()->viewport(); }
    QString cell(int c, int r) const { return ws.model().grid().cell(c, r); }
    QStringList species() const
    {
        QStringList out;
        for (int j = 1; j <= 6; ++j)
            out << cell(2, h + j);
        return out;
    }
    void trigger(const char *name)
    {
        QAction *a = window.action(QString::fromLatin1(name));
        ASSERT_NE(a, nullptr) << name;
        ASSERT_TRUE(a->isEnabled()) << name;
        a->trigger();
    }
    QPoint at(int c, int r) const { return grid()->cellRect(c, r).center(); }
    void mouse(QEvent::Type type, const QPoint &pos, Qt::MouseButton button, Qt::MouseButtons buttons)
    {
        QMouseEvent event(type, QPointF(pos), QPointF(canvas()->mapToGlobal(pos)), button, buttons, Qt::NoModifier);
        QApplication::sendEvent(canvas(), &event);
    }
    void drag(const QPoint &from, const QPoint &to)
    {
        mouse(QEvent::MouseButtonPress, from, Qt::LeftButton, Qt::LeftButton);
        mouse(QEvent::MouseMove, to, Qt::NoButton, Qt::LeftButton);
        mouse(QEvent::MouseButtonRelease, to, Qt::LeftButton, Qt::NoButton);
    }
    template<typename W>
    W *child(const char *name) const
    {
        return panel()->findChild<W *>(QString::fromLatin1(name));
    }
};

} // namespace

TEST_F(SortRangeWindow, TheMenuSortsThroughThePanel)
{
    trigger("Item_SortPlant");
    ASSERT_TRUE(panel()->isVisible());
    EXPECT_EQ(panel()->objectName(), QStringLiteral("PanelofSortRange"));
    EXPECT_EQ(child<QLabel>("Label13")->text(), QStringLiteral("並べ替えをする植物範囲の指定"));
    EXPECT_FALSE(child<QSpinBox>("SN1")->isVisible());
    EXPECT_FALSE(child<QLabel>("Label4")->isVisible());
    ASSERT_TRUE(child<QSpinBox>("SS1")->isVisible());
    EXPECT_EQ(child<QLabel>("Label11")->text(), QStringLiteral("↓"));
    EXPECT_EQ(child<QSpinBox>("SS1")->value(), 1);
    EXPECT_EQ(child<QSpinBox>("SS2")->value(), 6);
    EXPECT_EQ(child<QSpinBox>("SS2")->maximum(), 6);
    EXPECT_TRUE(child<QGroupBox>("GBox1")->isVisible());
    EXPECT_TRUE(child<QRadioButton>("RB_des")->isChecked());
    EXPECT_EQ(child<QRadioButton>("RB_asc")->text(), QStringLiteral("少順"));

    // Species 2..5, many first (S4 and S5 are found alike and keep their order).
    child<QSpinBox>("SS1")->setValue(2);
    child<QSpinBox>("SS2")->setValue(5);
    QTest::mouseClick(child<QPushButton>("BtnSortGo"), Qt::LeftButton);
    EXPECT_FALSE(panel()->isVisible());
    EXPECT_EQ(species(), (QStringList{"S1", "S4", "S5", "S3", "S2", "S6"}));
    EXPECT_EQ(ws.sortAndHide().rangeMode().value(), RangeMode::None);

    // The relevés, few species first.
    trigger("Item_SortReleve");
    EXPECT_EQ(child<QLabel>("Label13")->text(), QStringLiteral("並べ替えをする範囲の指定"));
    EXPECT_TRUE(child<QSpinBox>("SN2")->isVisible());
    EXPECT_FALSE(child<QSpinBox>("SS2")->isVisible());
    EXPECT_EQ(child<QSpinBox>("SN2")->value(), 4);
    QTest::mouseClick(child<QRadioButton>("RB_asc"), Qt::LeftButton);
    QTest::mouseClick(child<QPushButton>("BtnSortGo"), Qt::LeftButton);
    EXPECT_EQ(QStringList({cell(4, 2), cell(5, 2), cell(6, 2), cell(7, 2)}), QStringList({"R4", "R3", "R2", "R1"}));

    // A cancelled sort changes nothing and lets rows be dragged again at the next press.
    trigger("Item_SortPlant");
    EXPECT_TRUE(child<QRadioButton>("RB_asc")->isChecked());
    mouse(QEvent::MouseButtonPress, at(5, h + 2), Qt::LeftButton, Qt::LeftButton);
    EXPECT_TRUE(grid()->isRangeSelectEnabled());
    mouse(QEvent::MouseButtonRelease, at(5, h + 2), Qt::LeftButton, Qt::NoButton);
    QTest::mouseClick(child<QPushButton>("BtnSortStp"), Qt::LeftButton);
    EXPECT_FALSE(panel()->isVisible());
    EXPECT_EQ(species(), (QStringList{"S1", "S4", "S5", "S3", "S2", "S6"}));
    mouse(QEvent::MouseButtonPress, at(5, h + 2), Qt::LeftButton, Qt::LeftButton);
    EXPECT_TRUE(grid()->isMovingEnabled());
    mouse(QEvent::MouseButtonRelease, at(5, h + 2), Qt::LeftButton, Qt::NoButton);
}

TEST_F(SortRangeWindow, ADraggedBlockIsHiddenAndShownAgain)
{
    QAction *hideRC = window.action(QStringLiteral("Item_HideRC"));
    trigger("Item_HideRC");
    EXPECT_TRUE(hideRC->isChecked());
    EXPECT_EQ(ui.log(), QStringList{QStringLiteral("guide:行・列の範囲指定は、マウスの|左ボタンを押しながらドラッグする")});
    EXPECT_TRUE(grid()->isRangeSelectEnabled());
    EXPECT_FALSE(grid()->isMovingEnabled());

    // Species 2..4 in relevé 3: the rows are hidden, the single column is not.
    drag(at(6, h + 2), at(6, h + 4));
    ASSERT_TRUE(panel()->isVisible());
    EXPECT_EQ(child<QLabel>("Label13")->text(), QStringLiteral("一時的に隠す範囲の指定"));
    EXPECT_FALSE(child<QGroupBox>("GBox1")->isVisible());
    EXPECT_FALSE(child<QSpinBox>("SN1")->isVisible());
    EXPECT_EQ(child<QSpinBox>("SS1")->value(), 2);
    EXPECT_EQ(child<QSpinBox>("SS2")->value(), 4);
    // Every field and button of the panel has at least the height it needs, one below the other.
    QWidget *previous = nullptr;
    for (const char *name : {"Label13", "SS1", "Label11", "SS2", "BtnSortGo"}) {
        QWidget *w = child<QWidget>(name);
        ASSERT_NE(w, nullptr) << name;
        EXPECT_GE(w->height(), w->minimumSizeHint().height()) << name;
        if (previous) {
            EXPECT_GE(w->geometry().top(), previous->geometry().bottom()) << name;
        }
        previous = w;
    }
    EXPECT_TRUE(grid()->isMovingEnabled());
    QTest::mouseClick(child<QPushButton>("BtnSortGo"), Qt::LeftButton);
    EXPECT_TRUE(grid()->cellRect(2, h + 3).isEmpty());
    EXPECT_EQ(grid()->cellRect(2, h + 2).height(), 1);
    EXPECT_FALSE(grid()->cellRect(6, h + 1).isEmpty());
    EXPECT_EQ(cell(2, h + 3), QStringLiteral("S3"));
    EXPECT_TRUE(hideRC->isChecked());

    trigger("Item_HideRC");
    EXPECT_FALSE(hideRC->isChecked());
    EXPECT_FALSE(grid()->cellRect(2, h + 3).isEmpty());
}

TEST_F(SortRangeWindow, SiteRowsHideAndShow)
{
    QAction *hideSite = window.action(QStringLiteral("Item_HideSite"));
    trigger("Item_HideSite");
    EXPECT_TRUE(hideSite->isChecked());
    EXPECT_TRUE(grid()->cellRect(5, 3).isEmpty());
    EXPECT_TRUE(grid()->cellRect(5, h - 1).isEmpty());
    EXPECT_FALSE(grid()->cellRect(5, 2).isEmpty());
    EXPECT_FALSE(grid()->cellRect(5, h).isEmpty());
    trigger("Item_HideSite");
    EXPECT_FALSE(hideSite->isChecked());
    EXPECT_FALSE(grid()->cellRect(5, 3).isEmpty());
}
