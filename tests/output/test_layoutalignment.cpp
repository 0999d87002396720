// The fixed-pitch layouts keep their columns under Japanese labels and values: a full-width
// character takes two columns, as it takes two bytes in the file.
#include "output/printcapture.h"
#include "output/sampletable.h"
#include "output/simpletablelayout.h"
#include "output/tablelayout.h"
#include "output/tableprinter.h"
#include "output/tabletextfile.h"
#include "platform/cp932.h"
#include "support/testsupport.h"

#include <gtest/gtest.h>

using namespace Zelkor;
using Zelkor::Test::layer;
using Zelkor::Test::SampleTable;

namespace {

constexpr int kLabelWidth = 32;

// Four relevés, the third an empty separator column; header values Japanese, mixed and Latin,
// some longer than their field; species names Japanese and Latin.
SampleTable japaneseTable()
{
    SampleTable t{2, 3, 7, 8, 30};
    t.setReleves(4);
    const QString idents[] = {QStringLiteral("砂丘草地"), QStringLiteral("a砂丘bc"), QString(), QStringLiteral("D-01xyz")};
    const QString places[] = {QStringLiteral("ハマナス原野の奥"), QStringLiteral("x"), QString(), QStringLiteral("湿地A")};
    const QString meshes[] = {QStringLiteral("5339"), QStringLiteral("５３"), QString(), QStringLiteral("a５b")};
    for (int i = 0; i < 4; ++i) {
        t.setItem(i + 1, 2, idents[i]);
        t.setItem(i + 1, 3, places[i]);
        t.setItem(i + 1, 8, meshes[i]);
    }
    t.addSpecies(QStringLiteral("ハマヒルガオ"), {{1, layer(5, 23)}, {2, layer(5, 1)}, {4, layer(5, 30)}});
    ByteDataSet twoLayers = layer(1, 10);
    twoLayers[4] = 2;
    t.addSpecies(QStringLiteral("コウボウムギ（カヤツリグサ科の海浜植物）"), {{1, twoLayers}, {4, layer(5, 6)}});
    t.addSpecies(QStringLiteral("＜海浜群落＞"));
    t.addSpecies(QStringLiteral("Carex kobomugi"), {{2, layer(7, 40)}});
    t.finish();
    return t;
}

// Checks that every line of a page is cut into the label field and one field of columnWidth
// columns per relevé (the frequency column after them when there is one), no character
// straddling a field boundary. Rule lines span the page. Returns the number of lines checked.
int expectAligned(const QStringList &lines, int columnWidth, int releves, bool frequency)
{
    const int width = kLabelWidth + columnWidth * releves;
    int checked = 0;
    for (const QString &text : lines) {
        // The title, blank lines, form feeds and comment rows are no columns.
        if (text.isEmpty() || text == QLatin1String("Sample") || text == QLatin1String("\f")
            || text == QStringLiteral("＜海浜群落＞"))
            continue;
        const QByteArray bytes = Cp932::encodeLossy(text);
        SCOPED_TRACE(text.toStdString());
        if (text.startsWith(QChar(0x2500))) {
            EXPECT_GE(bytes.size(), width);
            EXPECT_LE(bytes.size(), width + 2);
            continue;
        }
        ++checked;
        if (bytes.size() != width)
            EXPECT_TRUE(frequency && bytes.size() == width + 5) << bytes.size() << " columns, not " << width;
        for (int k = 0; k <= releves; ++k) {
            const int from = k == 0 ? 0 : kLabelWidth + columnWidth * (k - 1);
            const int size = k == 0 ? kLabelWidth : columnWidth;
            QString field;
            EXPECT_TRUE(Cp932::decode(bytes.mid(from, size), &field)) << "field " << k << " is cut inside a character";
        }
    }
    return checked;
}

qsizetype lineStartingWith(const QStringList &lines, const QString &start)
{
    for (qsizetype i = 0; i < lines.size(); ++i)
        if (lines[i].startsWith(start))
            return i;
    return -1;
}

} // namespace

TEST(LayoutAlignment, TextFileAndFullPrintKeepTheirColumns)
{
    const SampleTable t = japaneseTable();
    TableLayoutOptions options;
    options.title = QStringLiteral("Sample");
    options.range = OutputRange{1, 4, 1, 4};
    options.frequency = true;
    const TableLayout layout(t.model, t.items, options);

    Zelkor::Test::TempDir dir;
    TableTextFile file;
    ASSERT_TRUE(file.write(layout, 1, 4, dir.path(QStringLiteral("t.txt")))) << file.errorString().toStdString();
    const QStringList written = Zelkor::Test::readLines(dir.path(QStringLiteral("t.txt")));
    EXPECT_GE(expectAligned(written, 5, 4, true), 12);
    // Items 2..7 take two lines of four columns: "砂丘草地" splits into "砂丘" and "草地".
    const qsizetype ident = lineStartingWith(written, QStringLiteral("識別記号"));
    ASSERT_GE(ident, 0);
    EXPECT_TRUE(written[ident].contains(QStringLiteral(" 砂丘 a砂 ")));
    EXPECT_TRUE(written[ident + 1].contains(QStringLiteral(" 草地 丘bc ")));

    // The printer receives the same lines; a narrow page splits them into pages.
    Zelkor::Test::PrintCapture capture;
    Zelkor::Test::CapturingPrinterStream stream(&capture, 24 * 48, 24);
    TablePrinter printer;
    ASSERT_TRUE(printer.printFull(layout, 1, 4, FontSpec{}, stream));
    EXPECT_GE(expectAligned(capture.lines.mid(0, capture.lines.indexOf(QStringLiteral("\f"))), 5, 2, false), 12);
}

TEST(LayoutAlignment, SimplifiedPrintKeepsItsColumns)
{
    const SampleTable t = japaneseTable();
    TableLayoutOptions options;
    options.title = QStringLiteral("Sample");
    options.range = OutputRange{1, 4, 1, 4};
    Zelkor::Test::PrintCapture capture;
    Zelkor::Test::CapturingPrinterStream stream(&capture, 4800, 24);
    TablePrinter printer;
    ASSERT_TRUE(printer.printSimple(SimpleTableLayout(t.model, t.items, options), FontSpec{}, stream));
    EXPECT_GE(expectAligned(capture.lines, 2, 4, false), 9);
    // The identification codes stack two columns a line; the empty column keeps its place.
    const qsizetype ident = lineStartingWith(capture.lines, QStringLiteral("識別記号"));
    ASSERT_GE(ident, 0);
    EXPECT_TRUE(capture.lines[ident].endsWith(QStringLiteral("砂a   D-")));
    EXPECT_TRUE(capture.lines[ident + 1].endsWith(QStringLiteral("丘砂  01")));
}
