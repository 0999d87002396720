#include "analysis/freqtablemodel.h"
#include "analysis/freqtableprint.h"

#include <gtest/gtest.h>

using namespace Zelkor;

namespace {

FreqTableModel gridOf(const QList<QStringList> &rows, int col0Width = 180, int colWidth = 45)
{
    FreqTableModel model;
    CellGrid &g = model.grid();
    g.setRowCount(int(rows.size()));
    g.setColCount(int(rows.value(0).size()));
    for (int r = 0; r < rows.size(); ++r)
        for (int c = 0; c < rows[r].size(); ++c)
            g.setCell(c, r, rows[r][c]);
    g.setDefaultColWidth(colWidth);
    g.setColWidth(0, col0Width);
    return model;
}

} // namespace

TEST(FreqTableModel, ClipboardTextOfAThreeByTwoGrid)
{
    const FreqTableModel model = gridOf({{QStringLiteral("　群落区分"), QStringLiteral("A")},
                                         {QStringLiteral("　測定数"), QString()},
                                         {QStringLiteral("Festuca rubra"), QStringLiteral("Ⅱ +-2")}});
    EXPECT_EQ(model.clipboardText(),
              QStringLiteral("　群落区分\tA\r\n　測定数\t\r\nFestuca rubra\tⅡ +-2\r\n"));
}

TEST(FreqTableModel, FontSizesFollowTheFirstSpeciesRow)
{
    FreqTableModel model = gridOf({{QStringLiteral("a"), QStringLiteral("A"), QStringLiteral("B")},
                                   {QStringLiteral("b"), QStringLiteral("12"), QStringLiteral("3")},
                                   {QStringLiteral("c"), QStringLiteral("long heading"), QString()},
                                   {QStringLiteral("d"), QStringLiteral("Ⅱ"), QStringLiteral("Ⅴ +-2")}});
    model.setFont(FontSpec{QStringLiteral("f"), 12});
    // Seven pixels a character, so the widths tell which texts were measured.
    const auto width = [](const FontSpec &font, const QString &text) {
        EXPECT_EQ(font.pointSize, 12);
        return 7 * int(text.size());
    };
    model.applyFontSizes(width);
    const CellGrid &g = model.grid();
    EXPECT_EQ(g.defaultRowHeight(), 18);
    EXPECT_EQ(g.defaultColWidth(), 7 * 5 + 5);
    EXPECT_EQ(g.colWidth(2), 40);
    EXPECT_EQ(g.colWidth(0), 240);

    // A table without a species row keeps the smallest width.
    FreqTableModel bare = gridOf({{QStringLiteral("a"), QStringLiteral("A")}});
    bare.setFont(model.font());
    bare.applyFontSizes(width);
    EXPECT_EQ(bare.grid().defaultColWidth(), 7);
}

TEST(FreqTableModel, FidelityTablesTakeTheWidestCellOfEveryRow)
{
    // Row 3 is the heading of a block: its group cells are empty.
    FreqTableModel model = gridOf({{QStringLiteral("a"), QStringLiteral("A"), QStringLiteral("B")},
                                   {QStringLiteral("b"), QStringLiteral("12"), QStringLiteral("3")},
                                   {QStringLiteral("c"), QStringLiteral("long heading"), QString()},
                                   {QStringLiteral("　A の診断種"), QString(), QString()},
                                   {QStringLiteral("d"), QStringLiteral("Ⅴ 100"), QStringLiteral("Ⅰ")},
                                   {QStringLiteral("e"), QStringLiteral("Ⅱ"), QStringLiteral("Ⅴ +-2 45")}});
    model.grid().setFixedRows(3);
    model.setShowsFidelity(true);
    model.setFont(FontSpec{QStringLiteral("f"), 12});
    model.applyFontSizes([](const FontSpec &, const QString &text) { return 7 * int(text.size()); });
    EXPECT_EQ(model.grid().defaultColWidth(), 7 * 8 + 5);
}

TEST(FreqTableModel, ShadedCellsBelongToTheirRows)
{
    FreqTableModel model = gridOf(QList<QStringList>(4, QStringList(3, QStringLiteral("x"))));
    model.setShadedCells({GridCell{2, 3}, GridCell{1, 1}, GridCell{2, 1}});
    EXPECT_EQ(model.shadedCells(), (std::vector<GridCell>{{1, 1}, {2, 1}, {2, 3}}));
    EXPECT_TRUE(model.isShaded(2, 3));
    EXPECT_TRUE(model.isShaded(1, 1));
    EXPECT_FALSE(model.isShaded(1, 3));
    EXPECT_FALSE(model.isShaded(3, 2));
    model.setShowsFidelity(true);
    const FreqTableModel copy = model;
    EXPECT_TRUE(copy.isShaded(2, 1));
    // A score table is none of it.
    model.setScoreTable(FontSpec{QStringLiteral("f"), 9}, {}, {});
    EXPECT_TRUE(model.shadedCells().empty());
    EXPECT_FALSE(model.showsFidelity());
}

TEST(FreqTableModel, ScoreTableLayout)
{
    FreqTableModel model = gridOf(QList<QStringList>(8, QStringList(6, QStringLiteral("old"))));
    model.setScoreTable(FontSpec{QStringLiteral("ＭＳ 明朝"), 10},
                        {{QStringLiteral("Festuca rubra"), QStringLiteral("53.2")}, {QStringLiteral("Poa annua"), QStringLiteral("0.0")}},
                        {{QStringLiteral("R1"), QStringLiteral("100.0")}, {QStringLiteral("R2"), QStringLiteral("12.5")},
                         {QStringLiteral("R3"), QStringLiteral("0.0")}});
    const CellGrid &g = model.grid();
    EXPECT_EQ(model.caption(), QStringLiteral("Reciprocal Averaging Score"));
    EXPECT_FALSE(model.isToolPanelVisible());
    EXPECT_EQ(model.font().pointSize, 10);
    ASSERT_EQ(g.colCount(), 5);
    ASSERT_EQ(g.rowCount(), 4);
    EXPECT_EQ(g.fixedRows(), 1);
    const int widths[5] = {200, 60, 10, 80, 60};
    for (int c = 0; c < 5; ++c)
        EXPECT_EQ(g.colWidth(c), widths[c]);
    EXPECT_EQ(g.defaultRowHeight(), 15);
    const QList<QStringList> expected = {
        {QStringLiteral("　植物名"), QStringLiteral("スコア"), QString(), QStringLiteral("測定ＩＤ"), QStringLiteral("スコア")},
        {QStringLiteral("Festuca rubra"), QStringLiteral("53.2"), QString(), QStringLiteral("R1"), QStringLiteral("100.0")},
        {QStringLiteral("Poa annua"), QStringLiteral("0.0"), QString(), QStringLiteral("R2"), QStringLiteral("12.5")},
        {QString(), QString(), QString(), QStringLiteral("R3"), QStringLiteral("0.0")},
    };
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 5; ++c)
            EXPECT_EQ(g.cell(c, r), expected[r][c]) << c << "," << r;
}

TEST(FreqTablePrint, ConstancyTableColumnsFollowTheirWidths)
{
    const QList<QStringList> rows = {{QStringLiteral("　群落区分"), QStringLiteral("A"), QStringLiteral("B")},
                                     {QStringLiteral("Carex arenaria ssp. arenaria var."), QStringLiteral("Ⅱ +-2"), QStringLiteral("・")}};
    // Classes only: columns of 2.5 × size against 20 × size; with cover ranges 5 × size.
    const auto blanks = [](int n) { return QString(n, QLatin1Char(' ')); };
    struct Case { int col0; int col; int bytes; QStringList lines; };
    const Case cases[] = {
        {180, 22, 3, {QStringLiteral("T"), QStringLiteral("　群落区分") + blanks(18) + QStringLiteral("A  B  "),
                      QStringLiteral("Carex arenaria ssp. arenariaⅡ ・ ")}},
        {180, 45, 7, {QStringLiteral("T"), QStringLiteral("　群落区分") + blanks(18) + QStringLiteral("A      B      "),
                      QStringLiteral("Carex arenaria ssp. arenariaⅡ +-2 ・     ")}},
        {240, 40, 3, {}},
        {235, 40, 7, {}},
    };
    for (const Case &c : cases) {
        FreqTableModel model = gridOf(rows, c.col0, c.col);
        model.setCaption(QStringLiteral("T"));
        EXPECT_EQ(FreqTablePrint::columnBytes(model.grid()), c.bytes) << c.col0 << "/" << c.col;
        if (!c.lines.isEmpty()) {
            EXPECT_EQ(FreqTablePrint::lines(model), c.lines);
        }
    }
}

TEST(FreqTablePrint, FidelityColumnsHoldTheirWidestCell)
{
    FreqTableModel model = gridOf({{QStringLiteral("　群落区分"), QStringLiteral("A"), QStringLiteral("B")},
                                   {QStringLiteral("Festuca rubra"), QStringLiteral("Ⅴ +-2 100"), QStringLiteral("・")},
                                   {QStringLiteral("Poa annua"), QStringLiteral("Ⅰ"), QStringLiteral("Ⅳ 45")}},
                                  180, 22);
    model.setCaption(QStringLiteral("T"));
    model.setShowsFidelity(true);
    // "Ⅴ +-2 100" is 10 bytes: columns of 11, whatever the widths on screen.
    EXPECT_EQ(FreqTablePrint::fidelityColumnBytes(model.grid()), 11);
    EXPECT_EQ(FreqTablePrint::lines(model),
              (QStringList{QStringLiteral("T"),
                           QStringLiteral("　群落区分") + QString(18, QLatin1Char(' ')) + QStringLiteral("A          B          "),
                           QStringLiteral("Festuca rubra") + QString(15, QLatin1Char(' ')) + QStringLiteral("Ⅴ +-2 100 ・         "),
                           QStringLiteral("Poa annua") + QString(19, QLatin1Char(' ')) + QStringLiteral("Ⅰ         Ⅳ 45      ")}));
    // The same grid without the fidelity prints as it always has.
    model.setShowsFidelity(false);
    EXPECT_EQ(FreqTablePrint::lines(model).value(2), QStringLiteral("Festuca rubra") + QString(15, QLatin1Char(' ')) + QStringLiteral("Ⅴ ・ "));
}

TEST(FreqTablePrint, ScoreTableRightAlignsTheScores)
{
    FreqTableModel model;
    model.setScoreTable(FontSpec{QStringLiteral("ＭＳ 明朝"), 9},
                        {{QStringLiteral("Festuca rubra"), QStringLiteral("53.2")}, {QStringLiteral("Poa"), QStringLiteral("100.0")}},
                        {{QStringLiteral("R12345678"), QStringLiteral("7.5")}});
    const auto blanks = [](int n) { return QString(n, QLatin1Char(' ')); };
    // The relevé heading is cut to 7 bytes without splitting a character.
    const QStringList expected = {
        QStringLiteral("Reciprocal Averaging Score"),
        QStringLiteral("　植物名") + blanks(20) + QStringLiteral("スコア   測定Ｉ スコア"),
        QStringLiteral("Festuca rubra") + blanks(15) + QStringLiteral(" 53.2   R123456  7.5"),
        QStringLiteral("Poa") + blanks(25) + QStringLiteral("100.0") + blanks(3 + 7 + 5),
    };
    EXPECT_EQ(FreqTablePrint::lines(model), expected);
}

TEST(FreqTablePrint, FieldsAndFontHeight)
{
    // A two-byte character that does not fit whole is left out, and the field is filled up.
    EXPECT_EQ(FreqTablePrint::field(QStringLiteral("abⅡ"), 3), QStringLiteral("ab "));
    EXPECT_EQ(FreqTablePrint::field(QStringLiteral("Ⅱ"), 3), QStringLiteral("Ⅱ "));
    EXPECT_EQ(FreqTablePrint::field(QString(), 2), QStringLiteral("  "));
    struct Case { int size; int dpi; int height; };
    for (const Case c : {Case{9, 1200, -150}, Case{9, 96, -12}, Case{10, 600, -83}, Case{11, 300, -45}})
        EXPECT_EQ(FreqTablePrint::printerFontHeight(c.size, c.dpi), c.height) << c.size << " pt " << c.dpi;
}
