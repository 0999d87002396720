// Printing a 5,000-relevé × 2,000-species table (1 % filled) to a PDF file on A4 landscape in
// "ＭＳ 明朝" 9 pt: the full print in the publication layout and the simplified print. Prints
// the best of three runs, the sheets and the size of each.
#include "generatedtable.h"
#include "output/simpletablelayout.h"
#include "output/tablelayout.h"
#include "output/tableprinter.h"
#include "platform/print/fontsubstitutes.h"
#include "platform/print/qtprinterstream.h"

#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QPageLayout>
#include <QPageSize>
#include <QPdfWriter>
#include <QTemporaryDir>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <functional>

using namespace Zelkor;

namespace {

constexpr int kReleves = 5000;
constexpr int kSpecies = 2000;

// Prints with print into a PDF file at path; the sheets printed, or -1.
int printPdf(const QString &path, const std::function<bool(TablePrinter &, PrinterStream &)> &print)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return -1;
    QPdfWriter pdf(&file);
    pdf.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Landscape, QMarginsF(15, 15, 15, 15),
                                  QPageLayout::Millimeter));
    QtPrinterStream stream(&pdf);
    TablePrinter printer;
    if (!print(printer, stream)) {
        std::fprintf(stderr, "%s\n", qPrintable(printer.errorString()));
        return -1;
    }
    return stream.sheetCount();
}

int runs = 3;

void report(const char *what, const QString &path, const std::function<bool(TablePrinter &, PrinterStream &)> &print)
{
    double best = 1e300;
    int sheets = 0;
    for (int run = 0; run < runs; ++run) {
        const auto t0 = std::chrono::steady_clock::now();
        sheets = printPdf(path, print);
        const auto t1 = std::chrono::steady_clock::now();
        if (sheets < 0)
            return;
        best = std::min(best, std::chrono::duration<double, std::milli>(t1 - t0).count());
    }
    std::printf("%s: %.0f ms, %d sheets, %.1f MiB\n", what, best, sheets, QFileInfo(path).size() / 1048576.0);
}

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    installFontSubstitutes();
    // "once": one run of each, to profile.
    if (argc > 1 && QByteArray(argv[1]) == "once")
        runs = 1;

    TableModel model;
    if (!Bench::makeLargeTable(model, kReleves, kSpecies))
        return 1;
    HeaderItems items;
    items.selectLayout();
    TableLayoutOptions options;
    options.title = QStringLiteral("Generated");
    options.range = OutputRange{1, kReleves, 1, kSpecies};
    options.frequency = true;
    const FontSpec font{QStringLiteral("ＭＳ 明朝"), 9};

    QTemporaryDir dir;
    const TableLayout layout(model, items, options);
    report("full print", dir.filePath(QStringLiteral("full.pdf")), [&](TablePrinter &printer, PrinterStream &stream) {
        return printer.printFull(layout, 1, kSpecies, font, stream);
    });
    const SimpleTableLayout simple(model, items, options);
    report("simplified print", dir.filePath(QStringLiteral("simple.pdf")),
           [&](TablePrinter &printer, PrinterStream &stream) { return printer.printSimple(simple, font, stream); });
    return 0;
}
