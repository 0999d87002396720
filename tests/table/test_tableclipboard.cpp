#include "table/tableclipboard.h"

#include "output/sampletable.h"
#include "platform/cellgrid.h"
#include "support/testsupport.h"

#include <gtest/gtest.h>

using namespace Zelkor;
using Zelkor::Test::layer;
using Zelkor::Test::SampleTable;

namespace {

using Block = TableClipboard::Block;

// The HTML document around the given rows.
QString htmlDocument(const QString &rows)
{
    return QStringLiteral("<!DOCTYPE html>\n<html>\n<head>\n<meta charset=\"utf-8\">\n</head>\n<body>\n<table>\n")
           + rows + QStringLiteral("</table>\n</body>\n</html>\n");
}

const QString kBr = QStringLiteral("<br style=\"mso-data-placement:same-cell\">");

} // namespace

TEST(TableClipboard, PlainAndHtmlTextOfABlock)
{
    struct Case
    {
        const char *what;
        Block block;
        QString plain;
        QString htmlRows;
    };
    const Case cases[] = {
        {"plain cells", {{"a", "b"}, {"c", "d"}}, "a\tb\r\nc\td\r\n",
         "<tr><td>a</td><td>b</td></tr>\n<tr><td>c</td><td>d</td></tr>\n"},
        {"blanks kept", {{"   1", " + "}}, "   1\t + \r\n", "<tr><td>   1</td><td> + </td></tr>\n"},
        {"empty cells", {{"", "x", ""}, {"", "", ""}}, "\tx\t\r\n\t\t\r\n",
         "<tr><td></td><td>x</td><td></td></tr>\n<tr><td></td><td></td><td></td></tr>\n"},
        {"a tab stays in its cell", {{"a\tb", "c"}}, "\"a\tb\"\tc\r\n", "<tr><td>a\tb</td><td>c</td></tr>\n"},
        {"a line break stays in its cell", {{"a\nb", "c"}}, "\"a\nb\"\tc\r\n",
         "<tr><td>a" + kBr + "b</td><td>c</td></tr>\n"},
        {"CR LF inside a cell is one break", {{"a\r\nb"}}, "\"a\r\nb\"\r\n", "<tr><td>a" + kBr + "b</td></tr>\n"},
        {"quotes doubled", {{"5\" tall", "\""}}, "\"5\"\" tall\"\t\"\"\"\"\r\n",
         "<tr><td>5&quot; tall</td><td>&quot;</td></tr>\n"},
        {"markup escaped", {{"<b>", "A & B", "x>y"}}, "<b>\tA & B\tx>y\r\n",
         "<tr><td>&lt;b&gt;</td><td>A &amp; B</td><td>x&gt;y</td></tr>\n"},
        {"an entity stays text", {{"&amp;"}}, "&amp;\r\n", "<tr><td>&amp;amp;</td></tr>\n"},
        {"Japanese", {{"ススキ", "測定 1（砂丘）"}}, "ススキ\t測定 1（砂丘）\r\n",
         "<tr><td>ススキ</td><td>測定 1（砂丘）</td></tr>\n"},
        {"short rows filled in HTML", {{"a", "b"}, {"c"}}, "a\tb\r\nc\r\n",
         "<tr><td>a</td><td>b</td></tr>\n<tr><td>c</td><td></td></tr>\n"},
        {"nothing", {}, "", ""},
    };
    for (const Case &c : cases) {
        EXPECT_EQ(TableClipboard::plainText(c.block), c.plain) << c.what;
        EXPECT_EQ(TableClipboard::htmlText(c.block), htmlDocument(c.htmlRows)) << c.what;
    }
}

TEST(TableClipboard, HiddenRowsAndColumnsAreLeftOut)
{
    CellGrid grid;
    grid.setColCount(6);
    grid.setRowCount(5);
    grid.setColWidth(0, 1);   // the index column
    grid.setColWidth(3, 0);   // hidden
    grid.setColWidth(4, 2);   // narrow but there
    grid.setRowHeight(1, 1);
    grid.setRowHeight(2, 0);
    EXPECT_EQ(TableClipboard::shownColumns(grid, 0, 5), (std::vector<int>{1, 2, 4, 5}));
    EXPECT_EQ(TableClipboard::shownRows(grid, 0, 4), (std::vector<int>{0, 3, 4}));
    // Clamped to the grid; an empty range gives nothing.
    EXPECT_EQ(TableClipboard::shownColumns(grid, -3, 99), (std::vector<int>{1, 2, 4, 5}));
    EXPECT_EQ(TableClipboard::shownRows(grid, 4, 3), std::vector<int>{});
    EXPECT_EQ(TableClipboard::shownRows(grid, 7, 9), std::vector<int>{});
}

TEST(TableClipboard, CellBlockHoldsTheTextsOfTheRowsAndColumnsGiven)
{
    CellGrid grid;
    grid.setColCount(4);
    grid.setRowCount(3);
    for (int r = 0; r < 3; ++r)
        for (int c = 0; c < 4; ++c)
            if ((r + c) % 2 == 0)
                grid.setCell(c, r, QStringLiteral("%1,%2").arg(c).arg(r));
    const Block block = TableClipboard::cellBlock(grid, {1, 3, 0}, {2, 0});
    EXPECT_EQ(block, (Block{{"", "", "0,2"}, {"", "", "0,0"}}));
    EXPECT_EQ(TableClipboard::cellBlock(grid, {0, 2}, {0, 1, 2}),
              (Block{{"0,0", "2,0"}, {"", ""}, {"0,2", "2,2"}}));
}

// Two relevés labelled A and (none); Quercus serrata with T1 2.3 | T1 1, H1 + ; Carex nervata H1 +.2
// in relevé 1 only; a comment row; Pinus with "*" in S1 of relevé 2.
struct LayerCopy : ::testing::Test
{
    SampleTable t{2};
    int quercus = 0;
    int carex = 0;
    int comment = 0;
    int pinus = 0;

    void SetUp() override
    {
        t.setReleves(3);
        t.model.grid().setCell(TableModel::releveColumn(1), TableModel::LabelRow, QStringLiteral("  A "));
        t.model.grid().setCell(TableModel::releveColumn(3), TableModel::LabelRow, QStringLiteral("C<1>"));
        ByteDataSet second = layer(1, 10);
        second[4] = 1;
        quercus = t.h() + t.addSpecies(QStringLiteral("Quercus serrata"), {{1, layer(1, 23)}, {2, second}});
        carex = t.h() + t.addSpecies(QStringLiteral("Carex nervata"), {{1, layer(5, 2)}});
        comment = t.h() + t.addSpecies(QStringLiteral("-- 低木 --"));
        pinus = t.h() + t.addSpecies(QStringLiteral("Pinus thunbergii"), {{2, layer(3, 7)}, {3, layer(6, 6)}});
        t.finish();
    }

    Block copy(const std::vector<int> &releves, const std::vector<int> &rows,
               const QString &layerNames = QStringLiteral("T1T2S1S2H1H2 M")) const
    {
        std::vector<int> columns;
        for (int i : releves)
            columns.push_back(TableModel::releveColumn(i));
        return TableClipboard::layerBlock(t.model, columns, rows, layerNames);
    }
};

TEST_F(LayerCopy, OneLinePerSpeciesAndLayerOfTheBlock)
{
    EXPECT_EQ(copy({1, 2}, {quercus, carex, comment, pinus}),
              (Block{{"", "A", "2"},
                     {"Quercus serrata T1", "2.3", "1"},
                     {"Quercus serrata H1", "", "+"},
                     {"Carex nervata H1", "+.2", ""},
                     {"Pinus thunbergii S1", "", "*"}}));
}

TEST_F(LayerCopy, TheBlockDecidesTheLayersAndSpecies)
{
    struct Case
    {
        const char *what;
        std::vector<int> releves;
        std::vector<int> rows; // offsets into the species: 0 Quercus, 1 Carex, 2 comment, 3 Pinus
        Block expected;
    };
    const Case cases[] = {
        {"relevé 1 alone: no H1 line for Quercus", {1}, {0, 1, 3},
         {{"", "A"}, {"Quercus serrata T1", "2.3"}, {"Carex nervata H1", "+.2"}}},
        {"relevé 3: its label as it is", {3}, {0, 3},
         {{"", "C<1>"}, {"Pinus thunbergii H2", "r"}}},
        {"no species rows", {1, 2}, {}, {{"", "A", "2"}}},
    };
    const int rowOf[] = {quercus, carex, comment, pinus};
    for (const Case &c : cases) {
        std::vector<int> rows;
        for (int k : c.rows)
            rows.push_back(rowOf[k]);
        EXPECT_EQ(copy(c.releves, rows), c.expected) << c.what;
    }
}

TEST_F(LayerCopy, ColumnsAndRowsOutsideTheTableAreLeftOut)
{
    // The name column, a relevé beyond the table, the header rows and a spare row.
    const std::vector<int> columns{TableModel::NameColumn, TableModel::releveColumn(1), TableModel::releveColumn(5)};
    const std::vector<int> rows{TableModel::NumberRow, quercus, t.h() + 10};
    EXPECT_EQ(TableClipboard::layerBlock(t.model, columns, rows, QStringLiteral("T1T2S1S2H1H2 M")),
              (Block{{"", "A"}, {"Quercus serrata T1", "2.3"}}));
}

TEST_F(LayerCopy, ScaleOneAndLayerNamesOfTheSettings)
{
    t.model.setDataScaleD(1);
    EXPECT_EQ(copy({1, 2}, {quercus, carex}, QStringLiteral("B1B2S1S2K1K2M ")),
              (Block{{"", "A", "2"}, {"Quercus serrata B1", "2", "1"}, {"Quercus serrata K1", "", "+"},
                     {"Carex nervata K1", "+", ""}}));
}

TEST_F(LayerCopy, TheLayerCopyGoesThroughTheSameTexts)
{
    const Block block = copy({3}, {pinus});
    EXPECT_EQ(TableClipboard::plainText(block), QStringLiteral("\tC<1>\r\nPinus thunbergii H2\tr\r\n"));
    EXPECT_TRUE(TableClipboard::htmlText(block).contains(QStringLiteral("<td>C&lt;1&gt;</td>")));
}
