// The simplified print: one mark per relevé and species, two characters per relevé.
#include "output/simpletablelayout.h"

#include "output/sampletable.h"
#include "support/testsupport.h"

#include <gtest/gtest.h>

using namespace Zelkor;
using Zelkor::Test::layer;
using Zelkor::Test::SampleTable;

namespace {

using Zelkor::Test::blanks;
using Zelkor::Test::rule;

const QString dot = QString(QChar(0xFF65));

} // namespace

TEST(SimpleTableLayout, CellMarkIsTheHighestCoverMark)
{
    struct Case
    {
        QString cell;
        QString mark;
    };
    const Case cases[] = {
        {QStringLiteral(" 213"), QStringLiteral("3")},
        {QStringLiteral("   r"), QStringLiteral("+")},
        {QStringLiteral("r+  "), QStringLiteral("+")},
        {QStringLiteral("  e1"), QStringLiteral("e")},
        {QStringLiteral("5e  "), QStringLiteral("e")},
        {QStringLiteral("0   "), QStringLiteral("0")},  // the mark "?"
        {QStringLiteral("  6 "), QStringLiteral("6")},  // a code that could not be read
        {QString(), dot},
        {QStringLiteral("    "), dot},
        {QStringLiteral("*"), dot},                      // not above "*"
        {QStringLiteral("ア1"), QStringLiteral("1")},    // a two-byte character is no mark
        {QStringLiteral("ｱ"), QStringLiteral("ｱ")},      // a one-byte katakana is
    };
    for (const Case &c : cases)
        EXPECT_EQ(QString(SimpleTableLayout::cellMark(c.cell)), c.mark) << c.cell.toStdString();
}

TEST(SimpleTableLayout, PrintedLinesOfASmallTable)
{
    // Items 1, 2 and 30; relevé 3 has no species, so no running number.
    SampleTable t{2, 30};
    t.setReleves(3);
    t.setItem(1, 2, QStringLiteral("ABCDEF"));
    t.setItem(2, 2, QStringLiteral("XY"));
    t.setItem(3, 2, QStringLiteral("Z"));
    const ByteDataSet mixed{0, 23, 10, 6, 2, 0, 35};  // " 213"
    t.addSpecies(QStringLiteral("コナラ"), {{1, mixed}, {2, layer(5, 6)}});
    t.addSpecies(QStringLiteral("a comment"));
    const ByteDataSet eAndOne{0, 0, 8, 0, 10, 0, 0};   // "  e1"
    t.addSpecies(QStringLiteral("Carex nervata"), {{2, eAndOne}});
    t.finish();
    ASSERT_EQ(t.model.grid().cell(4, t.h() + 1), QStringLiteral(" 213"));

    TableLayoutOptions options;
    options.title = QStringLiteral("Sample");
    options.range = OutputRange{1, 3, 1, 3};
    const SimpleTableLayout layout(t.model, t.items, options);
    LineListSink sink;
    layout.printTable(sink, 45);
    const QStringList expected{
        QString(),
        QStringLiteral("Sample"),
        rule(19),
        // Relevé 3 has no species: its columns stay blank, so the later ones keep their place.
        QStringLiteral("表番号") + blanks(26) + QStringLiteral(" 1 2  "),
        rule(19),
        QStringLiteral("識別記号") + blanks(24) + QStringLiteral("ABXYZ "),
        blanks(32) + QStringLiteral("CD    "),
        blanks(32) + QStringLiteral("EF    "),
        blanks(32 + 6),
        rule(19),
        QStringLiteral("コナラ") + blanks(26) + QStringLiteral(" 3 + ") + dot,
        QStringLiteral("a comment") + blanks(23) + QStringLiteral(" ") + dot + QStringLiteral(" ") + dot + QStringLiteral(" ") + dot,
        QStringLiteral("Carex nervata") + blanks(19) + QStringLiteral(" ") + dot + QStringLiteral(" e ") + dot,
        rule(19),
    };
    EXPECT_EQ(sink.lines(), expected);

    // Two relevés on the first page: the third goes to a page headed "続き" without labels.
    LineListSink paged;
    layout.printTable(paged, 1);
    const QStringList lines = paged.lines();
    ASSERT_EQ(lines.size(), 2 * expected.size() + 1);
    EXPECT_EQ(lines[expected.size()], QStringLiteral("\f"));
    const QStringList second = lines.mid(expected.size() + 1);
    EXPECT_EQ(second[1], QStringLiteral("続き"));
    EXPECT_EQ(second[2], rule(1));
    EXPECT_EQ(second[3], blanks(2));                  // relevé 3 has no running number
    EXPECT_EQ(second[5], QStringLiteral("Z "));
    EXPECT_EQ(second[10], QStringLiteral(" ") + dot);
}

TEST(SimpleTableLayout, RunningNumbersShowTheirLastTwoDigits)
{
    SampleTable t{};
    t.setReleves(124);
    for (int i = 1; i <= 124; ++i)
        t.addSpecies(QStringLiteral("sp %1").arg(i), {{i, layer(5, 10)}});
    t.finish();
    TableLayoutOptions options;
    options.range = OutputRange{98, 124, 1, 1};
    LineListSink sink;
    SimpleTableLayout(t.model, t.items, options).printTable(sink, 45);
    EXPECT_EQ(sink.lines()[3].mid(QStringLiteral("表番号").size() + 26), QStringLiteral("9899000102030405060708091011121314151617181920212223"
                                                      "24"));
}
