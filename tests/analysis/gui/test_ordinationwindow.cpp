// The window "序列図（CA / DCA）", offscreen: opened from the menu it computes, a click on a
// relevé makes its column the grid's current one, the wheel zooms and a drag pans, the diagram
// and the order of the table follow the choices.
#include "analysis/codedtable.h"
#include "analysis/gui/ordinationwindow.h"
#include "analysis/ordinationcommand.h"
#include "platform/gui/gridwidget.h"
#include "platform/scripteduserinterface.h"
#include "shell/gui/mainwindow.h"
#include "shell/workspace.h"
#include "support/testsupport.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QImage>
#include <QPushButton>
#include <QTest>
#include <QWheelEvent>

#include <gtest/gtest.h>

using namespace Zelkor;

namespace {

struct OrdinationWindowTest : ::testing::Test
{
    Zelkor::Test::TempDir dir;
    ScriptedUserInterface ui;
    Workspace ws{&ui};
    MainWindow window{&ws};
    OrdinationWindow *form = nullptr;

    void SetUp() override
    {
        ws.program().start({}, dir.path(QStringLiteral("zelkor")));
        // Two groups along a gradient; header row 5 holds a number for each relevé.
        Zelkor::Test::fillCodedTable(
            ws.model(),
            {QStringLiteral("Festuca rubra"), QStringLiteral("Poa annua"), QStringLiteral("Juncus effusus"),
             QStringLiteral("Salix repens"), QStringLiteral("Carex nigra")},
            {QStringLiteral("A1"), QStringLiteral("A2"), QStringLiteral("A3"), QString(), QStringLiteral("B1"), QStringLiteral("B2"),
             QStringLiteral("B3")},
            {{30, 10, 0, 0, 1}, {20, 20, 1, 0, 0}, {10, 30, 10, 0, 0}, {}, {0, 10, 30, 1, 0}, {0, 1, 20, 20, 0}, {0, 0, 10, 40, 10}});
        ws.model().grid().setCell(TableModel::IndexColumn, 5, QStringLiteral("12"));
        ws.model().grid().setCell(TableModel::NameColumn, 5, QStringLiteral("水分"));
        for (int p = 1; p <= 7; ++p)
            ws.model().grid().setCell(TableModel::releveColumn(p), 5, p == 4 ? QString() : QString::number(p));
        window.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
        form = window.ordinationWindow();
        ui.clearLog();
    }

    // The point of the diagram where relevé place is drawn.
    QPoint pointOf(int place) const
    {
        OrdinationPlotWidget *w = form->plotWidget();
        const OrdinationPlot &plot = w->plot();
        const OrdinationResult &r = plot.data()->result;
        return plot.toTarget(r.releveScores[std::size_t(plot.xAxis())][std::size_t(place)],
                             r.releveScores[std::size_t(plot.yAxis())][std::size_t(place)], w->rect())
            .toPoint();
    }

    void openFromMenu()
    {
        QAction *item = window.action(QStringLiteral("Item_Ordination"));
        ASSERT_NE(item, nullptr);
        EXPECT_EQ(item->text(), QStringLiteral("序列図（CA / DCA）"));
        item->trigger();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(form));
    }
};

} // namespace

TEST_F(OrdinationWindowTest, TheMenuOpensTheWindowWhichComputesAtOnce)
{
    openFromMenu();
    EXPECT_TRUE(form->isVisible());
    ASSERT_TRUE(ws.ordination().hasData());
    EXPECT_TRUE(form->summaryText().startsWith(QStringLiteral("CA1 ")));
    EXPECT_TRUE(form->plotWidget()->plot().hasAxes());
    // Groups, then every header item.
    EXPECT_EQ(form->colourBox()->itemText(0), QStringLiteral("群（空列で区切る）"));
    EXPECT_GE(form->colourBox()->findText(QStringLiteral("12 水分")), 1);
    EXPECT_EQ(form->plotWidget()->plot().colouring().kind, OrdinationColouring::Categories);
    form->colourBox()->setCurrentIndex(form->colourBox()->findText(QStringLiteral("12 水分")));
    EXPECT_EQ(form->plotWidget()->plot().colouring().kind, OrdinationColouring::Numeric);
    EXPECT_EQ(form->plotWidget()->hoverText(0), QStringLiteral("A1　群1　水分 1"));
    // Scaling for CA only, downweighting for DCA only.
    EXPECT_TRUE(form->scalingBox()->isEnabled());
    EXPECT_FALSE(form->downweightBox()->isEnabled());

    // DCA: axis lengths in the summary and the axis titles; the item chosen stays chosen.
    form->methodBox()->setCurrentIndex(1);
    EXPECT_FALSE(form->scalingBox()->isEnabled());
    EXPECT_TRUE(form->downweightBox()->isEnabled());
    QTest::mouseClick(form->computeButton(), Qt::LeftButton);
    EXPECT_EQ(ws.ordination().data().result.method, OrdinationMethod::Detrended);
    EXPECT_TRUE(form->summaryText().contains(QStringLiteral("SD")));
    EXPECT_EQ(form->colourBox()->currentText(), QStringLiteral("12 水分"));
    EXPECT_TRUE(form->plotWidget()->plot().axisTitle(0).startsWith(QStringLiteral("DCA1（固有値 ")));
    form->axesBox()->setCurrentIndex(2);
    EXPECT_EQ(form->plotWidget()->plot().xAxis(), 1);
    EXPECT_EQ(form->plotWidget()->plot().yAxis(), 2);
}

TEST_F(OrdinationWindowTest, AClickOnARelevéMakesItsColumnTheGridsCurrentOne)
{
    openFromMenu();
    const OrdinationData &data = ws.ordination().data();
    for (const int place : {0, 4}) {
        QTest::mouseClick(form->plotWidget(), Qt::LeftButton, {}, pointOf(place));
        const int column = window.grid()->currentCol();
        EXPECT_EQ(ws.model().grid().cell(column, TableModel::LabelRow), data.releveLabels[place]);
        EXPECT_EQ(form->plotWidget()->plot().marked(), place);
    }
    // After the table's order changed, the click still finds the relevé.
    QTest::mouseClick(form->reorderButton(), Qt::LeftButton);
    EXPECT_TRUE(ws.isModified());
    QTest::mouseClick(form->plotWidget(), Qt::LeftButton, {}, pointOf(5));
    EXPECT_EQ(ws.model().grid().cell(window.grid()->currentCol(), TableModel::LabelRow), data.releveLabels[5]);
    // Nowhere near a relevé: nothing chosen.
    const int before = window.grid()->currentCol();
    QTest::mouseClick(form->plotWidget(), Qt::LeftButton, {}, QPoint(2, 2));
    EXPECT_EQ(window.grid()->currentCol(), before);
}

TEST_F(OrdinationWindowTest, TheWheelZoomsAndADragPansWithoutChoosing)
{
    openFromMenu();
    OrdinationPlotWidget *w = form->plotWidget();
    const QRectF all = w->plot().view();
    const QPoint centre = w->rect().center();
    QWheelEvent wheel(centre, w->mapToGlobal(centre), QPoint(), QPoint(0, 240), Qt::NoButton, Qt::NoModifier,
                      Qt::NoScrollPhase, false);
    QApplication::sendEvent(w, &wheel);
    const QRectF zoomed = w->plot().view();
    EXPECT_NEAR(zoomed.width(), all.width() / 1.5625, 1e-9 * all.width());
    EXPECT_TRUE(all.contains(zoomed));

    const int before = window.grid()->currentCol();
    QTest::mousePress(w, Qt::LeftButton, {}, centre);
    QMouseEvent move(QEvent::MouseMove, QPointF(centre + QPoint(40, 0)), w->mapToGlobal(QPointF(centre + QPoint(40, 0))),
                     Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(w, &move);
    QTest::mouseRelease(w, Qt::LeftButton, {}, centre + QPoint(40, 0));
    const QRectF panned = w->plot().view();
    EXPECT_LT(panned.left(), zoomed.left());
    EXPECT_NEAR(panned.width(), zoomed.width(), 1e-12);
    EXPECT_EQ(window.grid()->currentCol(), before);
    w->resetView();
    EXPECT_EQ(w->plot().view(), all);
}

TEST_F(OrdinationWindowTest, SavesTheDiagramAsPngSvgAndPdf)
{
    openFromMenu();
    for (const QString &name : {QStringLiteral("d.png"), QStringLiteral("d.svg"), QStringLiteral("d.pdf")}) {
        SCOPED_TRACE(name.toStdString());
        ui.answerFile(dir.path(name));
        ASSERT_TRUE(form->savePicture());
        const QByteArray bytes = Zelkor::Test::readBytes(dir.path(name));
        if (name.endsWith(QLatin1String("png")))
            EXPECT_EQ(QImage::fromData(bytes, "PNG").size(), QSize(1200, 900));
        else if (name.endsWith(QLatin1String("svg")))
            EXPECT_TRUE(bytes.contains("CA1"));
        else
            EXPECT_TRUE(bytes.startsWith("%PDF"));
    }
    EXPECT_EQ(ui.lastFileRequest().filters, OrdinationPlot::nameFilters());
    // A name of no known type is refused with a message; nothing is written.
    ui.answerFile(dir.path(QStringLiteral("d.gif")));
    EXPECT_FALSE(form->savePicture());
    EXPECT_TRUE(ui.messages().last().contains(QStringLiteral(".png")));
    EXPECT_FALSE(QFileInfo::exists(dir.path(QStringLiteral("d.gif"))));
}
