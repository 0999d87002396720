// Painting the composition table grid: one full viewport of a very large table, offscreen.
#include "platform/cellgrid.h"
#include "platform/gui/gridwidget.h"

#include <QApplication>
#include <QFont>
#include <QImage>
#include <QPainter>
#include <QRandomGenerator>
#include <QScrollBar>

#include <benchmark/benchmark.h>

#include <memory>

using namespace Zelkor;

namespace {

constexpr int kSpecies = 20000;
constexpr int kReleves = 5000;
constexpr int kHeaderRows = 19;
constexpr int kWidth = 1600;
constexpr int kHeight = 900;

// A table laid out as the program lays it out: hidden index row and column, running numbers,
// names and frequencies in the fixed columns, header rows, and cover texts in `percent` of the
// species cells. With denseView, every cell around the painted view holds a cover text too (the
// worst case for painting; a whole table that full would not fit in memory).
std::unique_ptr<CellGrid> makeTable(int percent, bool denseView)
{
    auto g = std::make_unique<CellGrid>();
    g->setRowCount(kSpecies + kHeaderRows + 1);
    g->setColCount(kReleves + 4);
    g->setDefaultColWidth(40);
    g->setDefaultRowHeight(14);
    g->setRowHeight(0, 1);
    g->setColWidth(0, 1);
    g->setColWidth(2, 280);
    g->setFixedCols(4);
    g->setFixedRows(kHeaderRows + 1);
    for (int c = 3; c < g->colCount(); ++c) {
        g->setCell(c, 0, QString::number(c - 3));
        g->setCell(c, 1, QStringLiteral("%1").arg(c - 3, 4));
        for (int r = 2; r < kHeaderRows; ++r)
            g->setCell(c, r, QStringLiteral("%1").arg((c * 7 + r) % 1000, 4));
    }
    for (int r = 1; r < kHeaderRows; ++r)
        g->setCell(2, r, QStringLiteral("項目%1").arg(r));
    g->setCell(2, kHeaderRows, QStringLiteral("（現実の種数）"));
    g->setCell(3, kHeaderRows, QStringLiteral("F＼N"));
    const QString covers[] = {QStringLiteral("  + "), QStringLiteral("  1 "), QStringLiteral(" 2 r"),
                              QStringLiteral("3 + "), QStringLiteral(" +  ")};
    QRandomGenerator rng(42);
    for (int k = 1; k <= kSpecies; ++k) {
        const int r = kHeaderRows + k;
        g->setCell(0, r, QString::number(k));
        g->setCell(1, r, QStringLiteral("%1").arg(k % 10000, 4));
        g->setCell(2, r, QStringLiteral("ヤマザクラ種%1").arg(k));
        g->setCell(3, r, QStringLiteral("%1").arg(k % 500, 4));
        for (int c = 4; c < g->colCount(); ++c)
            if (int(rng.bounded(100)) < percent)
                g->setCell(c, r, covers[rng.bounded(5)]);
    }
    if (denseView) {
        for (int r = kSpecies / 2 - 50; r < kSpecies / 2 + 150; ++r)
            for (int c = kReleves / 2 - 20; c < kReleves / 2 + 80; ++c)
                g->setCell(c, r, covers[(r + c) % 5]);
    }
    return g;
}

struct Fixture
{
    std::unique_ptr<CellGrid> grid;
    std::unique_ptr<GridWidget> widget;
    QImage image{kWidth, kHeight, QImage::Format_RGB32};

    Fixture(int percent, bool denseView)
        : grid(makeTable(percent, denseView))
        , widget(std::make_unique<GridWidget>())
    {
        QFont font(QStringLiteral("ＭＳ 明朝"));
        font.setPointSize(9);
        widget->setFont(font);
        widget->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        widget->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        widget->setFrameShape(QFrame::NoFrame);
        widget->resize(kWidth, kHeight);
        widget->setGrid(grid.get());
        // The viewport takes its size when the widget is laid out on the (offscreen) screen.
        widget->show();
        QCoreApplication::processEvents();
        // The species-number row is tinted after every cell, as the main window does.
        widget->setDrawCellHook([](QPainter &p, int, int row, const QRect &rect) {
            if (row == kHeaderRows)
                GridWidget::tint(p, rect, QColor(255, 255, 187));
        });
        widget->setTopRow(kSpecies / 2);
        widget->setLeftCol(kReleves / 2);
    }

    void paint()
    {
        Q_ASSERT(widget->viewport()->size() == QSize(kWidth, kHeight));
        QPainter p(&image);
        widget->paintGrid(p, QRect(0, 0, kWidth, kHeight));
    }
};

void BM_PaintViewport(benchmark::State &state)
{
    static Fixture sparse(1, false);
    static Fixture dense(1, true);
    Fixture &f = state.range(0) == 0 ? sparse : dense;
    for (auto _ : state) {
        f.paint();
        benchmark::DoNotOptimize(f.image.constBits());
    }
    state.SetLabel(QStringLiteral("%1x%2 px, %3 rows x %4 columns, %5")
                       .arg(kWidth).arg(kHeight).arg(f.grid->rowCount()).arg(f.grid->colCount())
                       .arg(state.range(0) == 0 ? QStringLiteral("1% of cover cells filled")
                                                : QStringLiteral("every cell in view filled"))
                       .toStdString());
}
BENCHMARK(BM_PaintViewport)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

// Scrolling one page down and painting again: what a user's page-down costs.
void BM_ScrollAndPaint(benchmark::State &state)
{
    static Fixture f(1, false);
    int step = 0;
    for (auto _ : state) {
        f.widget->setTopRow(100 + (step++ * 57) % (kSpecies - 200));
        f.paint();
        benchmark::DoNotOptimize(f.image.constBits());
    }
}
BENCHMARK(BM_ScrollAndPaint)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QFont::insertSubstitution(QStringLiteral("ＭＳ 明朝"), QStringLiteral("IPAMincho"));
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    // ZELKOR_BENCH_SAVE=file.png keeps one painted view for a look.
    if (const QString save = qEnvironmentVariable("ZELKOR_BENCH_SAVE"); !save.isEmpty()) {
        Fixture f(1, true);
        f.paint();
        f.image.save(save);
    }
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
