// Printing the composition table on the printer's text stream: the page allowances from the paper
// and the font, the printer font, and the lines the printer receives.
#include "output/tableprinter.h"

#include "output/printcapture.h"
#include "output/sampletable.h"
#include "output/simpletablelayout.h"
#include "output/tablelayout.h"
#include "platform/cp932.h"
#include "support/testsupport.h"

#include <gtest/gtest.h>

using namespace Zelkor;
using Zelkor::Test::CapturingPrinterStream;
using Zelkor::Test::layer;
using Zelkor::Test::PrintCapture;
using Zelkor::Test::SampleTable;

namespace {

// n relevés, each with one species of its own.
void fillWide(SampleTable &t, int n)
{
    t.setReleves(n);
    for (int i = 1; i <= n; ++i)
        t.addSpecies(QStringLiteral("sp %1").arg(i), {{i, layer(5, 10)}});
    t.finish();
}

// The relevés of each printed page, read from the running-number lines (the line after the first
// rule of each page).
std::vector<int> relevesPerPage(const QStringList &lines, int labelWidth, int columnWidth)
{
    std::vector<int> counts;
    bool firstPage = true;
    for (int i = 0; i + 3 < lines.size(); ++i) {
        if (lines[i].isEmpty() && i + 1 < lines.size() && (i == 0 || lines[i - 1] == QLatin1String("\f"))) {
            // The label field is labelWidth columns wide; a full-width character takes two.
            const QString &line = lines[i + 3];
            const QString numbers = line.mid(firstPage ? Cp932::cutToBytes(line, labelWidth).size() : 0);
            counts.push_back(int(numbers.size()) / columnWidth);
            firstPage = false;
        }
    }
    return counts;
}

} // namespace

TEST(TablePrinter, PageAllowancesFromThePageWidthAndTheColumnWidth)
{
    // 4800 pixels hold 40 columns of 120 ("01234"): W = 32; 100 of 48 ("04"): W = 96.
    EXPECT_EQ(TablePrinter::fullAllowance(4800, 120), 32);
    EXPECT_EQ(TablePrinter::simpleAllowance(4800, 48), 96);
    EXPECT_EQ(TablePrinter::fullAllowance(4799, 120), 31);
    // A font so large that fewer than nine (or five) columns fit still prints a relevé a page.
    EXPECT_EQ(TablePrinter::fullAllowance(4800, 1000), 0);
    EXPECT_EQ(TablePrinter::simpleAllowance(4800, 1200), 0);
    EXPECT_EQ(TablePrinter::fullAllowance(4800, 0), 0);
}

TEST(TablePrinter, PrinterFontHeightFromPointsAndResolution)
{
    struct Case
    {
        int points;
        int dpi;
        int height;
    };
    for (const Case c : {Case{10, 600, -83}, Case{9, 1200, -150}, Case{9, 96, -12}, Case{12, 300, -50}}) {
        SampleTable t{2};
    fillWide(t, 1);
        TableLayoutOptions options;
        options.range = OutputRange{1, 1, 1, 1};
        PrintCapture capture;
        CapturingPrinterStream stream(&capture, 4800, 24, c.dpi);
        TablePrinter printer;
        ASSERT_TRUE(printer.printFull(TableLayout(t.model, t.items, options), 1, 1, FontSpec{QStringLiteral("ＭＳ 明朝"), c.points}, stream));
        EXPECT_EQ(capture.fontHeight, c.height) << c.points << " pt at " << c.dpi;
        EXPECT_EQ(capture.font.name, QStringLiteral("ＭＳ 明朝"));
        EXPECT_TRUE(capture.opened && capture.closed);
    }
}

TEST(TablePrinter, FullPrintIsThePublicationLayoutWithTheComputedAllowance)
{
    // Characters 24 pixels wide: "01234" is 120, W = 32. 80 relevés: pages of 33, 39 and 8.
    SampleTable t{2};
    fillWide(t, 80);
    TableLayoutOptions options;
    options.title = QStringLiteral("Dunes");
    options.range = OutputRange{1, 80, 1, 80};
    const TableLayout layout(t.model, t.items, options);
    PrintCapture capture;
    CapturingPrinterStream stream(&capture, 4800, 24);
    TablePrinter printer;
    ASSERT_TRUE(printer.printFull(layout, 1, 80, FontSpec{}, stream));

    LineListSink expected;
    layout.printTable(expected, 32, 1, 80);
    EXPECT_EQ(capture.lines, expected.lines());
    EXPECT_EQ(relevesPerPage(capture.lines, 32, 5), (std::vector<int>{33, 39, 8}));
    EXPECT_EQ(capture.lines.count(QStringLiteral("\f")), 2);
}

TEST(TablePrinter, FontTooLargeForThePageIsRefused)
{
    // The label field and one relevé column need nine "01234" (five "04") across. One pixel less
    // and the job is dropped with the font size named; exactly enough prints.
    SampleTable t{2};
    fillWide(t, 9);
    TableLayoutOptions options;
    options.range = OutputRange{1, 9, 1, 9};
    const FontSpec font{QStringLiteral("IPAGothic"), 200};
    struct Case { bool simple; int pageWidth; int charWidth; bool prints; };
    const Case cases[] = {
        {false, 9 * 5 * 100 - 1, 100, false}, {false, 9 * 5 * 100, 100, true}, {false, 4800, 0, false},
        {true, 5 * 2 * 100 - 1, 100, false},  {true, 5 * 2 * 100, 100, true},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(testing::Message() << c.simple << " " << c.pageWidth);
        PrintCapture capture;
        CapturingPrinterStream stream(&capture, c.pageWidth, c.charWidth);
        TablePrinter printer;
        const bool ok = c.simple ? printer.printSimple(SimpleTableLayout(t.model, t.items, options), font, stream)
                                 : printer.printFull(TableLayout(t.model, t.items, options), 1, 9, font, stream);
        EXPECT_EQ(ok, c.prints);
        EXPECT_EQ(capture.aborted, !c.prints);
        EXPECT_EQ(capture.lines.isEmpty(), !c.prints);
        if (!c.prints) {
            EXPECT_TRUE(printer.errorString().contains(QStringLiteral("200 ポイント"))) << printer.errorString().toStdString();
        } else {
            EXPECT_EQ(relevesPerPage(capture.lines, 32, c.simple ? 2 : 5).front(), 2); // W + 1 on the first page
        }
    }
}

TEST(TablePrinter, SimplifiedPrintWithTheComputedAllowance)
{
    // "04" is 48 pixels: W = 96. 200 relevés: pages of 97 and 103; with no frequency column
    // to make room for, the last page stays full.
    SampleTable t{2};
    fillWide(t, 200);
    TableLayoutOptions options;
    options.range = OutputRange{1, 200, 1, 3};
    options.frequency = true;
    PrintCapture capture;
    CapturingPrinterStream stream(&capture, 4800, 24);
    TablePrinter printer;
    ASSERT_TRUE(printer.printSimple(SimpleTableLayout(t.model, t.items, options), FontSpec{}, stream));
    EXPECT_EQ(relevesPerPage(capture.lines, 32, 2), (std::vector<int>{97, 103}));
}

TEST(TablePrinter, PrinterThatCannotBeOpenedPrintsNothing)
{
    SampleTable t{2};
    fillWide(t, 2);
    TableLayoutOptions options;
    options.range = OutputRange{1, 2, 1, 2};
    PrintCapture capture;
    CapturingPrinterStream stream(&capture, 4800, 24);
    stream.failToOpen();
    TablePrinter printer;
    EXPECT_FALSE(printer.printFull(TableLayout(t.model, t.items, options), 1, 2, FontSpec{}, stream));
    EXPECT_EQ(printer.errorString(), QStringLiteral("プリンターがありません"));
    EXPECT_TRUE(capture.lines.isEmpty());
}
