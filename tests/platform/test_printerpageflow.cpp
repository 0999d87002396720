// Where the printer's text stream puts its lines: line heights, the wrap at the right edge and
// the page breaks.
#include "platform/printerpageflow.h"

#include "support/testsupport.h"

#include <gtest/gtest.h>

using namespace Zelkor;
using Piece = PrinterPageFlow::Piece;

namespace {

// Every character 10 pixels wide.
int fitTens(const QString &text, int width)
{
    return std::min(int(text.size()), width / 10);
}

std::vector<Piece> flowLines(PrinterPageFlow &flow, const QStringList &lines)
{
    std::vector<Piece> pieces;
    for (const QString &line : lines)
        flow.writeLine(line, fitTens, &pieces);
    return pieces;
}

} // namespace

TEST(PrinterPageFlow, LinesAreTheCellHighPlusTwoAndAPageEndsTwoLinesAboveTheBottom)
{
    // Page 100 high, cell 10: lines of 12 at 0, 12, .. 72; below 72 the next line (84) would
    // come closer to the bottom than 24, so the eighth line starts the second sheet.
    PrinterPageFlow flow(1000, 100, 10);
    QStringList lines;
    for (int i = 1; i <= 9; ++i)
        lines << QStringLiteral("line %1").arg(i);
    const std::vector<Piece> pieces = flowLines(flow, lines);
    ASSERT_EQ(pieces.size(), 9u);
    for (int i = 0; i < 7; ++i)
        EXPECT_EQ(pieces[std::size_t(i)], (Piece{0, 12 * i, lines[i]}));
    EXPECT_EQ(pieces[7], (Piece{1, 0, lines[7]}));
    EXPECT_EQ(pieces[8], (Piece{1, 12, lines[8]}));
    EXPECT_EQ(flow.sheetCount(), 2);
}

TEST(PrinterPageFlow, EmptyLinesAreOnlyTheCellHigh)
{
    PrinterPageFlow flow(1000, 1000, 10);
    const std::vector<Piece> pieces = flowLines(flow, {QString(), QString(), QStringLiteral("a"), QString(), QStringLiteral("b")});
    EXPECT_EQ(pieces, (std::vector<Piece>{{0, 20, QStringLiteral("a")}, {0, 42, QStringLiteral("b")}}));
}

TEST(PrinterPageFlow, TextPastTheRightEdgeGoesOnInTheNextLine)
{
    struct Case
    {
        const char *name;
        int pageWidth;
        QString line;
        QStringList parts;
    };
    const Case cases[] = {
        {"fits exactly", 50, QStringLiteral("abcde"), {QStringLiteral("abcde")}},
        {"wraps twice", 45, QStringLiteral("abcdefghij"), {QStringLiteral("abcd"), QStringLiteral("efgh"), QStringLiteral("ij")}},
        {"a character wider than the page still goes on", 5, QStringLiteral("xyz"),
         {QStringLiteral("x"), QStringLiteral("y"), QStringLiteral("z")}},
    };
    for (const Case &c : cases) {
        PrinterPageFlow flow(c.pageWidth, 1000, 10);
        const std::vector<Piece> pieces = flowLines(flow, {c.line, QStringLiteral("n")});
        ASSERT_EQ(pieces.size(), std::size_t(c.parts.size()) + 1) << c.name;
        for (int i = 0; i < c.parts.size(); ++i)
            EXPECT_EQ(pieces[std::size_t(i)], (Piece{0, 12 * i, c.parts[i]})) << c.name;
        EXPECT_EQ(pieces.back().y, 12 * int(c.parts.size())) << c.name;
    }
}

TEST(PrinterPageFlow, FormFeedStartsANewSheetButNeverABlankOne)
{
    PrinterPageFlow flow(1000, 1000, 10);
    // A form feed before anything is printed, and one after another, add no sheet.
    const std::vector<Piece> pieces = flowLines(flow, {QStringLiteral("\f"), QStringLiteral("one"), QStringLiteral("\f"),
                                                       QStringLiteral("\f"), QStringLiteral("two"), QStringLiteral("\f")});
    EXPECT_EQ(pieces, (std::vector<Piece>{{0, 0, QStringLiteral("one")}, {1, 0, QStringLiteral("two")}}));
    EXPECT_EQ(flow.sheetCount(), 2);
}
