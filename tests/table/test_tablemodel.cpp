#include "table/headeritems.h"
#include "table/tablemodel.h"

#include <gtest/gtest.h>

using namespace Zelkor;

namespace {

// A fresh table laid out from the default items (18 items, HeaderRows 19).
struct FreshTable : ::testing::Test
{
    TableModel model;
    HeaderItems items;
    void SetUp() override { model.clearTable(items); }

    // Puts species named name into display row k with a cover text in the given relevé columns.
    void putSpecies(int k, const QString &name, std::initializer_list<int> releves)
    {
        const int row = model.headerRows() + k;
        model.grid().setCell(2, row, name);
        for (int rel : releves) {
            model.grid().setCell(rel + 3, row, QStringLiteral("   1"));
            model.coverData().set(model.releveIndexAt(rel + 3), model.speciesIndexAt(row), ByteDataSet{0, 0, 0, 0, 10, 0, 0});
        }
    }
};

} // namespace

TEST_F(FreshTable, LayoutAtNinePoints)
{
    const CellGrid &g = model.grid();
    EXPECT_EQ(g.rowCount(), 159);
    EXPECT_EQ(g.colCount(), 27);
    EXPECT_EQ(model.headerRows(), 19);
    EXPECT_EQ(g.fixedCols(), 4);
    EXPECT_EQ(g.fixedRows(), 20);
    EXPECT_EQ(g.defaultColWidth(), 40);
    EXPECT_EQ(g.defaultRowHeight(), 14);
    EXPECT_EQ(g.colWidth(0), 1);
    EXPECT_EQ(g.rowHeight(0), 1);
    EXPECT_EQ(g.colWidth(2), 280);
    EXPECT_EQ(g.colWidth(3), 40);

    EXPECT_TRUE(g.cell(3, 1).isEmpty());
    for (int c = 4; c <= 26; ++c) {
        EXPECT_EQ(g.cell(c, 1), TableModel::num4Text(c - 3));
        EXPECT_EQ(g.cell(c, 0), QString::number(c - 3));
    }
    EXPECT_EQ(g.cell(4, 1), QStringLiteral("   1"));
    EXPECT_EQ(g.cell(26, 1), QStringLiteral("  23"));
    EXPECT_EQ(g.cell(3, 0), QStringLiteral("0"));
    for (int k = 1; k <= 127; ++k) {
        EXPECT_EQ(g.cell(1, 19 + k), TableModel::num4Text(k));
        EXPECT_EQ(g.cell(0, 19 + k), QString::number(k));
    }
    EXPECT_EQ(g.cell(1, 146), QStringLiteral(" 127"));
    EXPECT_EQ(g.cell(3, 19), QStringLiteral("F＼N"));
    EXPECT_EQ(g.cell(2, 19), QStringLiteral("（現実の種数）"));

    // Header rows: the default layout items in increasing number.
    const int expected[] = {1, 2, 3, 8, 9, 10, 11, 12, 15, 16, 17, 18, 20, 23, 24, 25, 27, 30};
    for (int q = 1; q <= 18; ++q) {
        EXPECT_EQ(g.cell(0, q), QString::number(expected[q - 1]));
        EXPECT_EQ(g.cell(2, q), items[expected[q - 1]].label);
    }
    EXPECT_EQ(g.cell(2, 1), QStringLiteral("表番号"));
    EXPECT_EQ(g.cell(2, 9), QStringLiteral("調査面積（㎡）"));
}

TEST(TableModelSizes, FromFontSize)
{
    struct Case { int pt, width, height; };
    // width = round(pt × 4.4), height = round(pt × 1.333) + 2, halves to even.
    const Case cases[] = {{9, 40, 14}, {10, 44, 15}, {12, 53, 18}, {15, 66, 22}, {5, 22, 9}};
    for (const Case &c : cases) {
        EXPECT_EQ(TableModel::defaultColWidthFor(c.pt), c.width) << c.pt;
        EXPECT_EQ(TableModel::defaultRowHeightFor(c.pt), c.height) << c.pt;
    }
    // 500 pt: 666.5 is a half and goes to the even 666.
    EXPECT_EQ(TableModel::defaultRowHeightFor(500), 668);
}

TEST(TableModelNum4Text, Cases)
{
    EXPECT_EQ(TableModel::num4Text(0), QStringLiteral("   0"));
    EXPECT_EQ(TableModel::num4Text(7), QStringLiteral("   7"));
    EXPECT_EQ(TableModel::num4Text(42), QStringLiteral("  42"));
    EXPECT_EQ(TableModel::num4Text(9999), QStringLiteral("9999"));
    EXPECT_EQ(TableModel::num4Text(12345), QStringLiteral("1234"));
    EXPECT_EQ(TableModel::num4Text(10000), QStringLiteral("1000"));
}

TEST(TableModelIndexText, WholeNumbersBeyondFourDigits)
{
    EXPECT_EQ(TableModel::indexFromText(QStringLiteral("12345")), 12345);
    EXPECT_EQ(TableModel::indexFromText(QStringLiteral(" 7 ")), 7);
    EXPECT_EQ(TableModel::indexFromText(QStringLiteral("")), -1);
    EXPECT_EQ(TableModel::indexFromText(QStringLiteral("1a")), -1);
    EXPECT_EQ(TableModel::indexFromText(QStringLiteral("-3")), -1);
    EXPECT_EQ(TableModel::indexFromText(QStringLiteral("99999999999")), -1);
}

TEST_F(FreshTable, AddColAndAddRowGrowInSteps)
{
    ASSERT_TRUE(model.addCol(24));
    EXPECT_EQ(model.maxReleves(), 31);
    EXPECT_EQ(model.grid().colCount(), 35);
    for (int c = 27; c <= 34; ++c) {
        EXPECT_EQ(model.grid().cell(c, 0), QString::number(c - 3));
        EXPECT_EQ(model.grid().cell(c, 1), TableModel::num4Text(c - 3));
    }
    EXPECT_EQ(model.grid().cell(27, 1), QStringLiteral("  24"));
    EXPECT_EQ(model.coverData().maxReleves(), 31);

    ASSERT_TRUE(model.addRow(128));
    EXPECT_EQ(model.maxSpecies(), 143);
    EXPECT_EQ(model.grid().rowCount(), 143 + 19 + 1);
    EXPECT_EQ(model.grid().cell(0, 19 + 143), QStringLiteral("143"));
    EXPECT_EQ(model.grid().cell(1, 19 + 128), QStringLiteral(" 128"));
    EXPECT_EQ(model.coverData().maxSpecies(), 143);
}

TEST_F(FreshTable, GrowingBeyondTheCapacityLimitFailsAndChangesNothing)
{
    EXPECT_FALSE(model.addCol(TableModel::MaxCapacity + 1));
    EXPECT_EQ(model.maxReleves(), 23);
    EXPECT_EQ(model.grid().colCount(), 27);
    EXPECT_FALSE(model.addRow(TableModel::MaxCapacity + 1));
    EXPECT_EQ(model.maxSpecies(), 127);
}

TEST_F(FreshTable, CheckNumbersSkipEmptyRowsAndColumns)
{
    model.setReleveCount(3);
    model.setSpeciesCount(3);
    putSpecies(1, QStringLiteral("A"), {1, 3});
    putSpecies(2, QStringLiteral("B"), {});
    putSpecies(3, QStringLiteral("C"), {3});
    model.recomputeFrequencies();
    const CellGrid &g = model.grid();
    const int H = model.headerRows();
    EXPECT_EQ(g.cell(1, H + 1), QStringLiteral("   1"));
    EXPECT_EQ(g.cell(3, H + 1), QStringLiteral("   2"));
    EXPECT_TRUE(g.cell(1, H + 2).isEmpty());
    EXPECT_TRUE(g.cell(3, H + 2).isEmpty());
    EXPECT_EQ(g.cell(1, H + 3), QStringLiteral("   2"));
    EXPECT_EQ(model.speciesFreq(1), 2);
    EXPECT_EQ(model.speciesFreq(2), 0);
    // Relevé 2 has no species: no running number, and relevé 3 is number 2.
    EXPECT_EQ(g.cell(4, 1), QStringLiteral("   1"));
    EXPECT_TRUE(g.cell(5, 1).isEmpty());
    EXPECT_TRUE(g.cell(5, H).isEmpty());
    EXPECT_EQ(g.cell(6, 1), QStringLiteral("   2"));
    EXPECT_EQ(g.cell(6, H), QStringLiteral("   2"));
    EXPECT_EQ(model.releveSpCount(3), 2);
}

TEST_F(FreshTable, CheckNumbersOnEmptyCountsChangeNothing)
{
    model.grid().setCell(1, 20, QStringLiteral("keep"));
    model.grid().setCell(4, 1, QStringLiteral("keep"));
    model.recomputeFrequencies();
    EXPECT_EQ(model.grid().cell(1, 20), QStringLiteral("keep"));
    EXPECT_EQ(model.grid().cell(4, 1), QStringLiteral("keep"));
}

TEST_F(FreshTable, MovedAndDeletedRowFreesItsIndex)
{
    model.setReleveCount(2);
    model.setSpeciesCount(6);
    for (int k = 1; k <= 6; ++k)
        putSpecies(k, QStringLiteral("S%1").arg(k), {1, 2});
    const int H = model.headerRows();
    model.grid().moveRow(H + 5, H + 2);
    ASSERT_EQ(model.speciesIndexAt(H + 2), 5);
    ASSERT_TRUE(model.deleteRow(H + 2));
    EXPECT_EQ(model.speciesCount(), 5);
    // The freed index waits in the first spare row; its codes are gone in every relevé.
    EXPECT_EQ(model.grid().cell(0, H + 6), QStringLiteral("5"));
    EXPECT_TRUE(model.grid().cell(2, H + 6).isEmpty());
    EXPECT_TRUE(isEmpty(model.coverData().at(1, 5)));
    EXPECT_TRUE(isEmpty(model.coverData().at(2, 5)));
    EXPECT_FALSE(isEmpty(model.coverData().at(1, 6)));
    // The rows below moved up.
    EXPECT_EQ(model.grid().cell(2, H + 2), QStringLiteral("S2"));
    EXPECT_EQ(model.grid().cell(2, H + 5), QStringLiteral("S6"));
    // Outside the species rows nothing happens.
    EXPECT_FALSE(model.deleteRow(H));
    EXPECT_FALSE(model.deleteRow(H + 6));
    EXPECT_EQ(model.speciesCount(), 5);
}

TEST_F(FreshTable, DeletedColumnFreesItsIndexAndScaleBytes)
{
    model.setReleveCount(3);
    model.setSpeciesCount(1);
    putSpecies(1, QStringLiteral("A"), {1, 2, 3});
    model.coverData().set(2, 0, ByteDataSet{5, 2, 0, 0, 0, 0, 0});
    ASSERT_TRUE(model.deleteColumn(5));
    EXPECT_EQ(model.releveCount(), 2);
    EXPECT_EQ(model.grid().cell(6, 0), QStringLiteral("2"));
    EXPECT_EQ(model.grid().cell(5, 0), QStringLiteral("3"));
    EXPECT_TRUE(model.grid().cell(6, model.headerRows() + 1).isEmpty());
    EXPECT_TRUE(isEmpty(model.coverData().at(2, 0)));
    EXPECT_TRUE(isEmpty(model.coverData().at(2, 1)));
    EXPECT_FALSE(isEmpty(model.coverData().at(3, 1)));
    EXPECT_FALSE(model.deleteColumn(3));
    EXPECT_FALSE(model.deleteColumn(6));
}

TEST_F(FreshTable, ClearTableForgetsCoverCodesAndMarks)
{
    model.setReleveCount(1);
    model.setSpeciesCount(1);
    putSpecies(1, QStringLiteral("A"), {1});
    model.addSearchHit(2, 20);
    ASSERT_TRUE(model.addCol(40));
    model.clearTable(items);
    EXPECT_EQ(model.maxReleves(), 23);
    EXPECT_EQ(model.grid().colCount(), 27);
    EXPECT_TRUE(isEmpty(model.coverData().at(1, 1)));
    EXPECT_TRUE(model.searchHits().empty());
    EXPECT_TRUE(model.grid().cell(2, 20).isEmpty());
}

TEST_F(FreshTable, ReNewTableWithRelevesKeepsHeaderRows)
{
    model.setReleveCount(1);
    items[9].label = QStringLiteral("方位");
    items[9].layout = false;
    items[4].layout = true;
    model.reNewTable(items);
    EXPECT_EQ(model.headerRows(), 19);
    EXPECT_EQ(model.grid().cell(2, 5), QStringLiteral("方位"));
    EXPECT_TRUE(items[9].layout);
    EXPECT_TRUE(items[9].selected);
    EXPECT_FALSE(items[4].layout);
}

TEST(CellGridMoves, ColumnMovesCarryEveryCell)
{
    CellGrid g;
    g.setColCount(8);
    g.setRowCount(3);
    for (int c = 0; c < 8; ++c)
        for (int r = 0; r < 3; ++r)
            if ((c + r) % 2 == 0)
                g.setCell(c, r, QStringLiteral("%1/%2").arg(c).arg(r));
    g.setColWidth(2, 99);
    CellGrid moved = g;
    moved.moveColumn(2, 6);
    moved.moveColumn(6, 2);
    for (int c = 0; c < 8; ++c)
        for (int r = 0; r < 3; ++r)
            EXPECT_EQ(moved.cell(c, r), g.cell(c, r)) << c << "," << r;
    g.moveColumn(6, 1);
    EXPECT_EQ(g.cell(1, 0), QStringLiteral("6/0"));
    EXPECT_EQ(g.cell(2, 1), QStringLiteral("1/1"));
    EXPECT_EQ(g.cell(7, 1), QStringLiteral("7/1"));
    EXPECT_EQ(g.colWidth(3), 99);
}

// A relevé's source belongs to its hidden index: it follows the column through moves, goes with
// the column deleted or appended and taken out again, and every such change comes back through
// the journal.
TEST_F(FreshTable, SourcesFollowTheirColumnAndComeBackThroughTheJournal)
{
    model.setReleveCount(3);
    model.setSpeciesCount(1);
    putSpecies(1, QStringLiteral("A"), {1, 2, 3});
    const auto sourceAt = [&](int col) { return model.coverData().source(model.releveIndexAt(col)).record; };
    for (int col = 4; col <= 6; ++col)
        model.coverData().setSource(model.releveIndexAt(col), ReleveSource{QStringLiteral("/db.zki"), col * 10});
    EditJournal journal;
    model.attachJournal(&journal);

    model.grid().permuteColumns(4, {6, 4, 5}, false);
    EXPECT_EQ((std::vector<int>{sourceAt(4), sourceAt(5), sourceAt(6)}), (std::vector<int>{60, 40, 50}));
    model.grid().moveColumn(4, 6);
    EXPECT_EQ((std::vector<int>{sourceAt(4), sourceAt(5), sourceAt(6)}), (std::vector<int>{40, 50, 60}));
    ASSERT_TRUE(model.deleteColumn(5));
    EXPECT_EQ((std::vector<int>{sourceAt(4), sourceAt(5), sourceAt(6)}), (std::vector<int>{40, 60, 0}));
    // Growing and shrinking the capacities drops the sources beyond them.
    const TableModel::AppendMark mark = model.markAppend();
    ASSERT_TRUE(model.addCol(40));
    model.coverData().setSource(model.releveIndexAt(TableModel::releveColumn(40)), ReleveSource{QStringLiteral("/db.zki"), 400});
    model.setReleveCount(40);
    model.takeOutAppended(mark);
    EXPECT_EQ(model.coverData().source(40).record, 0);
    model.coverData().clear();
    EXPECT_FALSE(model.coverData().hasSources());

    journal.undo();
    model.attachJournal(nullptr);
    EXPECT_EQ((std::vector<int>{sourceAt(4), sourceAt(5), sourceAt(6)}), (std::vector<int>{40, 50, 60}));
    EXPECT_EQ(model.coverData().source(40).record, 0);
}

// Replacing every code at once (as a table file is read) with a journal attached goes code by
// code: the journal takes it back to the codes and sources from before.
TEST_F(FreshTable, CodesAssignedWholeComeBackThroughTheJournal)
{
    model.setReleveCount(3);
    model.setSpeciesCount(2);
    putSpecies(1, QStringLiteral("A"), {1, 2});
    putSpecies(2, QStringLiteral("B"), {3});
    model.coverData().setSource(model.releveIndexAt(4), ReleveSource{QStringLiteral("/db.zki"), 7});
    const CoverTable before = model.coverData();
    EditJournal journal;
    model.attachJournal(&journal);
    // Species 1 now in relevé 3 only, species 2 in relevé 1 only: places that held nothing.
    const std::vector<CoverTable::SpeciesCell> cells{{3, ByteDataSet{0, 0, 0, 0, 30, 0, 0}},
                                                     {1, ByteDataSet{0, 0, 0, 0, 1, 0, 0}}};
    model.coverData().assignBySpecies(cells, {0, 0, 1, 2});
    ASSERT_TRUE(isEmpty(before.at(3, 1)) && isEmpty(before.at(1, 2)));
    EXPECT_EQ(model.coverData().at(3, 1)[4], 30);
    EXPECT_EQ(model.coverData().at(1, 2)[4], 1);
    EXPECT_EQ(model.coverData().entryCount(), 2u);
    EXPECT_FALSE(model.coverData().hasSources());
    journal.undo();
    model.attachJournal(nullptr);
    for (int r = 0; r <= model.maxReleves(); ++r) {
        for (int s = 0; s <= model.maxSpecies(); ++s)
            ASSERT_EQ(model.coverData().at(r, s), before.at(r, s)) << r << "," << s;
        EXPECT_EQ(model.coverData().source(r).record, before.source(r).record) << r;
    }
}
