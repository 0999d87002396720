#include "platform/scripteduserinterface.h"
#include "table/headeritems.h"
#include "table/tableediting.h"
#include "table/tablemodel.h"

#include <gtest/gtest.h>

#include <functional>
#include <vector>

using namespace Zelkor;

namespace {

const ByteDataSet kHerb{0, 0, 0, 0, 10, 0, 0};

// A table laid out from the default items (HeaderRows 19) that the tests fill species by species.
struct EditTable : ::testing::Test
{
    TableModel model;
    HeaderItems items;
    ScriptedUserInterface ui;
    std::vector<EditTarget> tints;
    TintHook tint = [this](const EditTarget &t) { tints.push_back(t); };

    void SetUp() override { model.clearTable(items); }

    int h() const { return model.headerRows(); }

    // Relevés 1..n with a site name in header row 2.
    void setReleves(int n)
    {
        model.setReleveCount(n);
        for (int k = 1; k <= n; ++k)
            model.grid().setCell(k + 3, 2, QStringLiteral("Site%1").arg(k));
    }

    // Species in display row k with an entry in each listed relevé (none: a comment row).
    void putSpecies(int k, const QString &name, std::initializer_list<int> releves)
    {
        const int row = h() + k;
        model.grid().setCell(2, row, name);
        for (int rel : releves) {
            model.grid().setCell(rel + 3, row, QStringLiteral("   1"));
            model.coverData().set(model.releveIndexAt(rel + 3), model.speciesIndexAt(row), kHerb);
        }
        model.setSpeciesCount(std::max(model.speciesCount(), k));
    }

    QString name(int k) const { return model.grid().cell(2, h() + k); }
    QString site(int k) const { return model.grid().cell(k + 3, 2); }

    // Every cell, count and cover code, to prove that a command changed nothing.
    struct Snapshot
    {
        QStringList cells;
        std::vector<int> numbers;
        std::vector<ByteDataSet> codes;
        bool operator==(const Snapshot &) const = default;
    };
    Snapshot snapshot() const
    {
        Snapshot s;
        const CellGrid &g = model.grid();
        for (int r = 0; r < g.rowCount(); ++r)
            for (int c = 0; c < g.colCount(); ++c)
                s.cells << g.cell(c, r);
        s.numbers = {model.speciesCount(), model.releveCount(), model.maxSpecies(), model.maxReleves(),
                     model.headerRows(), g.rowCount(), g.colCount()};
        for (int r = 0; r <= model.maxReleves(); ++r)
            for (int sp = 0; sp <= model.maxSpecies(); ++sp)
                s.codes.push_back(model.coverData().at(r, sp));
        return s;
    }
};

} // namespace

// --- Deleting ---------------------------------------------------------------------------------

TEST_F(EditTable, DeleteRowRemovesRelevesLeftWithoutSpecies)
{
    setReleves(4);
    putSpecies(1, QStringLiteral("ススキ"), {1, 3});
    putSpecies(2, QStringLiteral("ヨモギ"), {2, 4});
    putSpecies(3, QStringLiteral("チガヤ"), {3, 4});
    model.recomputeFrequencies();
    const int freedSpecies = model.speciesIndexAt(h() + 2);
    const int freedReleve = model.releveIndexAt(5);

    ui.answerYes();
    ASSERT_TRUE(TableEditing::deleteRow(model, ui, h() + 2, tint));

    EXPECT_EQ(ui.log(), QStringList{QStringLiteral("yesno:この行を削除しますか？")});
    ASSERT_EQ(tints.size(), 2u);
    EXPECT_EQ(tints[0], (EditTarget{EditTarget::Row, h() + 2}));
    EXPECT_EQ(tints[1], EditTarget{});

    // Relevé 2 had only ヨモギ: it went; relevé 4 kept チガヤ.
    EXPECT_EQ(model.speciesCount(), 2);
    EXPECT_EQ(model.releveCount(), 3);
    EXPECT_EQ(name(1), QStringLiteral("ススキ"));
    EXPECT_EQ(name(2), QStringLiteral("チガヤ"));
    EXPECT_EQ(site(1), QStringLiteral("Site1"));
    EXPECT_EQ(site(2), QStringLiteral("Site3"));
    EXPECT_EQ(site(3), QStringLiteral("Site4"));
    // Running numbers and species numbers follow the surviving columns.
    EXPECT_EQ(model.grid().cell(6, 1), QStringLiteral("   3"));
    EXPECT_EQ(model.grid().cell(5, h()), QStringLiteral("   2"));
    EXPECT_EQ(model.grid().cell(6, h()), QStringLiteral("   1"));
    // The per-position counts are those of the relevés now in those columns.
    EXPECT_EQ(model.releveSpCount(1), 1);
    EXPECT_EQ(model.releveSpCount(2), 2);
    EXPECT_EQ(model.releveSpCount(3), 1);
    EXPECT_EQ(model.speciesFreq(2), 2);
    // The freed indexes wait in the first spare row and column with no codes.
    EXPECT_EQ(model.speciesIndexAt(h() + 3), freedSpecies);
    EXPECT_EQ(model.releveIndexAt(7), freedReleve);
    for (int r = 0; r <= model.maxReleves(); ++r)
        EXPECT_TRUE(isEmpty(model.coverData().at(r, freedSpecies))) << r;
    for (int s = 0; s <= model.maxSpecies(); ++s)
        EXPECT_TRUE(isEmpty(model.coverData().at(freedReleve, s))) << s;
}

// --- Inserting --------------------------------------------------------------------------------

TEST_F(EditTable, InsertRowAboveFirstSpeciesOfFullTableGrows)
{
    setReleves(1);
    for (int k = 1; k <= 127; ++k)
        putSpecies(k, QStringLiteral("種%1").arg(k), {1});
    model.recomputeFrequencies();
    ASSERT_EQ(model.maxSpecies(), 127);

    ui.answerYes();
    ASSERT_TRUE(TableEditing::insertRow(model, ui, h() + 1, tint));

    EXPECT_EQ(ui.log(), QStringList{QStringLiteral("yesno:この上に行を挿入しますか？")});
    EXPECT_EQ(tints.front(), (EditTarget{EditTarget::Row, h() + 1}));
    EXPECT_EQ(model.maxSpecies(), 143);
    EXPECT_EQ(model.speciesCount(), 128);
    EXPECT_EQ(model.grid().rowCount(), 143 + h() + 1);
    // The new row took the index of the first spare row and has no name, entry or number.
    EXPECT_EQ(model.speciesIndexAt(h() + 1), 128);
    for (int c = 1; c <= 4; ++c)
        EXPECT_TRUE(model.grid().cell(c, h() + 1).isEmpty()) << c;
    for (int r = 0; r <= model.maxReleves(); ++r)
        EXPECT_TRUE(isEmpty(model.coverData().at(r, 128))) << r;
    EXPECT_EQ(name(2), QStringLiteral("種1"));
    EXPECT_EQ(name(128), QStringLiteral("種127"));
    EXPECT_EQ(model.speciesIndexAt(h() + 2), 1);
    EXPECT_EQ(model.grid().cell(1, h() + 2), QStringLiteral("   1"));
    EXPECT_EQ(model.speciesFreq(1), 0);
    EXPECT_EQ(model.speciesFreq(128), 1);
    EXPECT_EQ(model.speciesIndexAt(h() + 129), 129);
}

TEST_F(EditTable, InsertRowTakesFirstSpareIndexAndZeroesItsCodes)
{
    setReleves(2);
    putSpecies(1, QStringLiteral("ススキ"), {1});
    putSpecies(2, QStringLiteral("ヨモギ"), {2});
    model.recomputeFrequencies();
    // Swap the first spare row's index with an unused one and leave stale codes under it.
    model.grid().setCell(0, h() + 3, QStringLiteral("77"));
    model.grid().setCell(0, h() + 77, QStringLiteral("3"));
    model.coverData().set(model.releveIndexAt(4), 77, kHerb);

    ui.answerYes();
    ASSERT_TRUE(TableEditing::insertRow(model, ui, h() + 2));
    EXPECT_EQ(model.speciesIndexAt(h() + 2), 77);
    EXPECT_TRUE(isEmpty(model.coverData().at(model.releveIndexAt(4), 77)));
    EXPECT_EQ(name(3), QStringLiteral("ヨモギ"));
    EXPECT_EQ(model.grid().cell(5, h() + 3), QStringLiteral("   1"));
    EXPECT_EQ(model.grid().cell(1, h() + 3), QStringLiteral("   2"));
}

TEST_F(EditTable, InsertRowAtFirstSpareRowAppends)
{
    setReleves(1);
    putSpecies(1, QStringLiteral("ススキ"), {1});
    ui.answerYes();
    ASSERT_TRUE(TableEditing::insertRow(model, ui, h() + 2));
    EXPECT_EQ(model.speciesCount(), 2);
    EXPECT_EQ(name(1), QStringLiteral("ススキ"));
    EXPECT_EQ(model.speciesIndexAt(h() + 2), 2);
}

TEST_F(EditTable, InsertColumnTakesFirstSpareIndex)
{
    setReleves(3);
    putSpecies(1, QStringLiteral("ススキ"), {1, 2, 3});
    model.recomputeFrequencies();
    model.coverData().set(4, 1, kHerb); // stale codes under the first spare column's index
    model.coverData().set(4, 0, ByteDataSet{5, 2, 0, 0, 0, 0, 0});

    ui.answerYes();
    ASSERT_TRUE(TableEditing::insertColumn(model, ui, 5, tint));

    EXPECT_EQ(ui.log(), QStringList{QStringLiteral("yesno:この左に列を挿入しますか？")});
    EXPECT_EQ(tints.front(), (EditTarget{EditTarget::Column, 5}));
    EXPECT_EQ(model.releveCount(), 4);
    EXPECT_EQ(model.releveIndexAt(5), 4);
    EXPECT_EQ(model.releveIndexAt(6), 2);
    for (int s = 0; s <= model.maxSpecies(); ++s)
        EXPECT_TRUE(isEmpty(model.coverData().at(4, s))) << s;
    EXPECT_TRUE(site(2).isEmpty());
    EXPECT_EQ(site(3), QStringLiteral("Site2"));
    EXPECT_TRUE(model.grid().cell(5, h() + 1).isEmpty());
    // The empty relevé gets no running number; the others keep counting.
    EXPECT_TRUE(model.grid().cell(5, 1).isEmpty());
    EXPECT_EQ(model.grid().cell(6, 1), QStringLiteral("   2"));
    EXPECT_EQ(model.releveSpCount(3), 1);
    EXPECT_EQ(model.releveSpCount(2), 0);
}

TEST_F(EditTable, InsertColumnIntoFullTableGrows)
{
    setReleves(23);
    putSpecies(1, QStringLiteral("ススキ"), {1, 23});
    model.recomputeFrequencies();
    ui.answerYes();
    ASSERT_TRUE(TableEditing::insertColumn(model, ui, 4));
    EXPECT_EQ(model.maxReleves(), 31);
    EXPECT_EQ(model.grid().colCount(), 35);
    EXPECT_EQ(model.releveCount(), 24);
    EXPECT_EQ(model.releveIndexAt(4), 24);
    EXPECT_EQ(site(2), QStringLiteral("Site1"));
    EXPECT_EQ(site(24), QStringLiteral("Site23"));
    EXPECT_EQ(model.releveIndexAt(28), 25);
}

TEST_F(EditTable, InsertThatCannotGrowLeavesTableAsItWas)
{
    // A table already at the largest capacity: growing fails as when memory runs out.
    model.setCapacities(2, TableModel::MaxCapacity);
    model.grid().setRowCount(TableModel::MaxCapacity + h() + 1);
    setReleves(2);
    putSpecies(1, QStringLiteral("ススキ"), {1});
    model.setSpeciesCount(TableModel::MaxCapacity);
    const int rows = model.grid().rowCount();

    ui.answerYes();
    EXPECT_FALSE(TableEditing::insertRow(model, ui, h() + 1));
    EXPECT_EQ(model.speciesCount(), TableModel::MaxCapacity);
    EXPECT_EQ(model.maxSpecies(), TableModel::MaxCapacity);
    EXPECT_EQ(model.grid().rowCount(), rows);
    EXPECT_EQ(name(1), QStringLiteral("ススキ"));
    EXPECT_EQ(model.grid().cell(4, h() + 1), QStringLiteral("   1"));
}

// --- Comment rows and the title -----------------------------------------------------------------

TEST_F(EditTable, CommentInInsertedRowSurvivesRenumbering)
{
    setReleves(2);
    putSpecies(1, QStringLiteral("ススキ"), {1});
    putSpecies(2, QStringLiteral("ヨモギ"), {2});
    putSpecies(3, QStringLiteral("チガヤ"), {1, 2});
    model.recomputeFrequencies();

    ui.answerYes();
    ASSERT_TRUE(TableEditing::insertRow(model, ui, h() + 2));
    ui.answerText(QStringLiteral("＜ヨモギ群＞"));
    ASSERT_TRUE(TableEditing::writeComment(model, ui, h() + 2, tint));
    EXPECT_EQ(ui.log().last(), QStringLiteral("input:　コメント行＝::"));
    EXPECT_EQ(tints.front(), (EditTarget{EditTarget::Row, h() + 2}));

    ui.answerYes();
    ASSERT_TRUE(TableEditing::deleteRow(model, ui, h() + 1));
    model.recomputeFrequencies();
    EXPECT_EQ(name(1), QStringLiteral("＜ヨモギ群＞"));
    EXPECT_TRUE(model.grid().cell(1, h() + 1).isEmpty());
    EXPECT_TRUE(model.grid().cell(3, h() + 1).isEmpty());
    EXPECT_EQ(model.grid().cell(1, h() + 2), QStringLiteral("   1"));
    EXPECT_EQ(model.grid().cell(1, h() + 3), QStringLiteral("   2"));
}

TEST_F(EditTable, CommentShowsOldTextAsPromptAndEmptyEntryEmptiesIt)
{
    setReleves(1);
    putSpecies(1, QStringLiteral("ススキ"), {1});
    putSpecies(2, QStringLiteral("旧コメント"), {});
    ui.answerText(QString());
    ASSERT_TRUE(TableEditing::writeComment(model, ui, h() + 2));
    EXPECT_EQ(ui.log().last(), QStringLiteral("input:　コメント行＝:旧コメント:"));
    EXPECT_TRUE(name(2).isEmpty());
}

TEST(TableEditingTitle, StartValue)
{
    struct Case { const char *title, *dataFile, *expected; };
    const Case cases[] = {
        {"", "/data/veg/Kanto.zki", "Kanto"},
        {"", "C:\\Data\\Veg\\dune.v2.zki", "dune.v2"},
        {"", "NoFile.zki", "NoFile"},
        {"", "noext", "noext"},
        {"", "未指定", ""},
        {"砂丘植生", "/data/veg/Kanto.zki", "砂丘植生"},
    };
    for (const Case &c : cases)
        EXPECT_EQ(TableEditing::titleStartValue(QString::fromUtf8(c.title), QString::fromUtf8(c.dataFile)),
                  QString::fromUtf8(c.expected))
            << c.dataFile;
}

TEST(TableEditingTitle, DialogStartsFromDatabaseNameAndStoresAnswer)
{
    ScriptedUserInterface ui;
    QString title;
    ui.answerText(QStringLiteral("関東の砂丘"));
    EXPECT_TRUE(TableEditing::editTitle(ui, &title, QStringLiteral("/d/Kanto.zki")));
    EXPECT_EQ(ui.log().last(), QStringLiteral("input:　表の見出しを編修する::Kanto"));
    EXPECT_EQ(title, QStringLiteral("関東の砂丘"));

    ui.cancelInput();
    EXPECT_FALSE(TableEditing::editTitle(ui, &title, QStringLiteral("/d/Kanto.zki")));
    EXPECT_EQ(ui.log().last(), QStringLiteral("input:　表の見出しを編修する::関東の砂丘"));
    EXPECT_EQ(title, QStringLiteral("関東の砂丘"));
}

// --- Where the commands act ------------------------------------------------------------------------

namespace {

enum class Cmd { DelRow, DelCol, InsRow, InsCol, Comment };

bool run(Cmd cmd, TableModel &model, UserInterface &ui, int at)
{
    switch (cmd) {
    case Cmd::DelRow: return TableEditing::deleteRow(model, ui, at);
    case Cmd::DelCol: return TableEditing::deleteColumn(model, ui, at);
    case Cmd::InsRow: return TableEditing::insertRow(model, ui, at);
    case Cmd::InsCol: return TableEditing::insertColumn(model, ui, at);
    case Cmd::Comment: return TableEditing::writeComment(model, ui, at);
    }
    return false;
}

} // namespace

TEST_F(EditTable, CommandsDoNothingOutsideTheirRowsAndColumns)
{
    setReleves(3);
    putSpecies(1, QStringLiteral("ススキ"), {1, 2, 3});
    putSpecies(2, QStringLiteral("ヨモギ"), {2});
    model.recomputeFrequencies();
    // HeaderRows 19: species rows 20, 21; first spare row 22. Relevé columns 4..6; spare 7.
    struct Case { Cmd cmd; int at; };
    const Case cases[] = {
        {Cmd::DelRow, 19}, {Cmd::DelRow, 22}, {Cmd::DelRow, 1}, {Cmd::DelRow, 0}, {Cmd::DelRow, -1},
        {Cmd::DelRow, 100000},
        {Cmd::DelCol, 3}, {Cmd::DelCol, 7}, {Cmd::DelCol, 0}, {Cmd::DelCol, 26}, {Cmd::DelCol, 27},
        {Cmd::InsRow, 19}, {Cmd::InsRow, 23}, {Cmd::InsRow, 2}, {Cmd::InsRow, 500},
        {Cmd::InsCol, 3}, {Cmd::InsCol, 8}, {Cmd::InsCol, 1}, {Cmd::InsCol, 60},
        {Cmd::Comment, 19}, {Cmd::Comment, 22}, {Cmd::Comment, 5}, {Cmd::Comment, -3},
    };
    ui.setDefaultYes(true); // any question asked would be answered Yes
    const Snapshot before = snapshot();
    for (const Case &c : cases) {
        EXPECT_FALSE(run(c.cmd, model, ui, c.at)) << int(c.cmd) << " at " << c.at;
        EXPECT_TRUE(ui.log().isEmpty()) << int(c.cmd) << " at " << c.at;
        ui.clearLog();
    }
    EXPECT_TRUE(snapshot() == before);
    EXPECT_FALSE(model.isModified());
}

TEST_F(EditTable, InsertingIntoAFullGridHasNoColumnBeyondTheLast)
{
    setReleves(23);
    putSpecies(1, QStringLiteral("ススキ"), {1});
    ui.setDefaultYes(true);
    // Column 27 would be the first spare column, but the grid ends at 26.
    EXPECT_FALSE(TableEditing::insertColumn(model, ui, 27));
    EXPECT_TRUE(ui.log().isEmpty());
}

TEST_F(EditTable, NoOrCancelChangesNothing)
{
    setReleves(3);
    putSpecies(1, QStringLiteral("ススキ"), {1, 2});
    putSpecies(2, QStringLiteral("ヨモギ"), {3});
    model.recomputeFrequencies();
    struct Case { Cmd cmd; int at; const char *asked; };
    const Case cases[] = {
        {Cmd::DelRow, 20, "yesno:この行を削除しますか？"},
        {Cmd::DelCol, 6, "yesno:この列を削除しますか？"},
        {Cmd::InsRow, 20, "yesno:この上に行を挿入しますか？"},
        {Cmd::InsCol, 4, "yesno:この左に列を挿入しますか？"},
        {Cmd::Comment, 21, "input:　コメント行＝:ヨモギ:"},
    };
    const Snapshot before = snapshot();
    for (const Case &c : cases) {
        ui.clearLog();
        if (c.cmd == Cmd::Comment)
            ui.cancelInput();
        else
            ui.answerNo();
        EXPECT_FALSE(run(c.cmd, model, ui, c.at)) << c.asked;
        EXPECT_EQ(ui.log(), QStringList{QString::fromUtf8(c.asked)});
        EXPECT_EQ(ui.pendingAnswers(), 0) << c.asked;
    }
    EXPECT_TRUE(snapshot() == before);
    EXPECT_FALSE(model.isModified());
}

TEST_F(EditTable, TintIsClearedWhateverTheAnswer)
{
    setReleves(1);
    putSpecies(1, QStringLiteral("ススキ"), {1});
    ui.answerNo();
    TableEditing::insertColumn(model, ui, 4, tint);
    const std::vector<EditTarget> expected{{EditTarget::Column, 4}, {}};
    EXPECT_EQ(tints, expected);
}

// --- Moving rows and columns ------------------------------------------------------------------------

TEST_F(EditTable, MovesStayWithinTheRowsAndColumnsInUse)
{
    setReleves(5);
    for (int k = 1; k <= 4; ++k)
        putSpecies(k, QStringLiteral("種%1").arg(k), {1});
    // Species rows 20..23, first spare row 24; relevé columns 4..8, first spare column 9.
    struct Case { bool row; int from, to, expected; };
    const Case cases[] = {
        {true, 21, 22, 22},  {true, 21, 23, 23},   {true, 21, 24, 23}, {true, 20, 150, 23},
        {true, 23, 20, 20},  {true, 23, 19, 20},   {true, 23, 3, 20},
        {true, 24, 21, 24},  {true, 100, 20, 100}, {true, 5, 21, 5},
        {false, 5, 7, 7},    {false, 5, 9, 8},     {false, 4, 26, 8},  {false, 8, 3, 4},
        {false, 8, 1, 4},    {false, 9, 5, 9},     {false, 2, 5, 2},
    };
    for (const Case &c : cases) {
        const int got = c.row ? TableEditing::clampRowMove(model, c.from, c.to)
                              : TableEditing::clampColumnMove(model, c.from, c.to);
        EXPECT_EQ(got, c.expected) << (c.row ? "row " : "column ") << c.from << " -> " << c.to;
    }
}

// --- Typing into a cover cell -----------------------------------------------------------------------

TEST_F(EditTable, CellEditParsesLayerEntriesAndKeepsCodesAndTextTogether)
{
    setReleves(2);
    putSpecies(1, QStringLiteral("ススキ"), {1});
    putSpecies(2, QStringLiteral("ヨモギ"), {2});
    model.recomputeFrequencies();
    const int rel2 = model.releveIndexAt(5);
    const int sp1 = model.speciesIndexAt(h() + 1);

    struct Case { const char *typed; const char *text; ByteDataSet codes; };
    const Case cases[] = {
        {"H1:+2 T1:3", "3  +", {30, 0, 0, 0, 2, 0, 0}},
        {"h1:+2,t1:3", "3  +", {30, 0, 0, 0, 2, 0, 0}},
        {"Ｓ２：ｒ　Ｍ：２３", "  r2", {0, 0, 0, 6, 0, 0, 23}},
        {"T2:1 S1:+", " 1+ ", {0, 10, 1, 0, 0, 0, 0}},
        {"M:55", "   5", {0, 0, 0, 0, 0, 0, 55}},
        {"H2:*", "    ", {0, 0, 0, 0, 0, 7, 0}},
        {"H2:( H1:e", "   e", {0, 0, 0, 0, 8, 7, 0}},
        {" T1:? ", "0   ", {9, 0, 0, 0, 0, 0, 0}},
    };
    for (const Case &c : cases) {
        QString error;
        ASSERT_TRUE(TableEditing::applyCellEdit(model, 5, h() + 1, QString::fromUtf8(c.typed), &error))
            << c.typed << ": " << error.toStdString();
        EXPECT_EQ(model.coverData().at(rel2, sp1), c.codes) << c.typed;
        EXPECT_EQ(model.grid().cell(5, h() + 1), QString::fromUtf8(c.text)) << c.typed;
        // The new entry counts at once.
        EXPECT_EQ(model.speciesFreq(1), 2) << c.typed;
        EXPECT_EQ(model.releveSpCount(2), 2) << c.typed;
    }

    // An empty text deletes the entry.
    ASSERT_TRUE(TableEditing::applyCellEdit(model, 5, h() + 1, QStringLiteral("  ")));
    EXPECT_TRUE(isEmpty(model.coverData().at(rel2, sp1)));
    EXPECT_TRUE(model.grid().cell(5, h() + 1).isEmpty());
    EXPECT_EQ(model.speciesFreq(1), 1);
    EXPECT_EQ(model.grid().cell(5, h()), QStringLiteral("   1"));
}

TEST_F(EditTable, CellEditUsesTheLayerNamesOfTheSettings)
{
    setReleves(1);
    putSpecies(1, QStringLiteral("ススキ"), {1});
    const QString names = QStringLiteral("B1B2K1K2K3K4 M");
    ASSERT_TRUE(TableEditing::applyCellEdit(model, 4, h() + 1, QStringLiteral("K3:2"), nullptr, names));
    EXPECT_EQ(model.coverData().at(model.releveIndexAt(4), model.speciesIndexAt(h() + 1)),
              (ByteDataSet{0, 0, 0, 0, 20, 0, 0}));
    QString error;
    EXPECT_FALSE(TableEditing::applyCellEdit(model, 4, h() + 1, QStringLiteral("H1:2"), &error, names));
    EXPECT_TRUE(error.contains(QStringLiteral("B1 B2 K1 K2 K3 K4 M"))) << error.toStdString();
}

TEST_F(EditTable, CellEditRefusesWhatItCannotReadAndChangesNothing)
{
    setReleves(2);
    putSpecies(1, QStringLiteral("ススキ"), {1});
    putSpecies(2, QStringLiteral("ヨモギ"), {2});
    model.recomputeFrequencies();
    struct Case { int c, r; const char *typed; const char *says; };
    const Case cases[] = {
        {4, 20, "   3", "層がありません"},       // the grid form cannot say which layer
        {4, 20, "3", "層がありません"},
        {4, 20, "X1:3", "層の名前ではありません"},
        {4, 20, "H1:6", "被度として読めません"},
        {4, 20, "H1:0", "被度として読めません"},
        {4, 20, "H1:+6", "被度として読めません"},
        {4, 20, "H1:R", "被度として読めません"},
        {4, 20, "H1:", "被度として読めません"},
        {4, 20, "H1:123", "被度として読めません"},
        {4, 20, "H1:2 H1:3", "二度"},
        {4, 22, "H1:2", "編集できません"},   // first spare row
        {7, 20, "H1:2", "編集できません"},   // first spare column
        {3, 20, "H1:2", "編集できません"},   // frequency column
        {4, 19, "H1:2", "編集できません"},   // species-number row
        {4, 2, "H1:2", "編集できません"},    // header value
    };
    const Snapshot before = snapshot();
    for (const Case &c : cases) {
        QString error;
        EXPECT_FALSE(TableEditing::applyCellEdit(model, c.c, c.r, QString::fromUtf8(c.typed), &error)) << c.typed;
        EXPECT_TRUE(error.contains(QString::fromUtf8(c.says))) << c.typed << ": " << error.toStdString();
    }
    EXPECT_TRUE(snapshot() == before);
}

TEST_F(EditTable, CellEditWithUnchangedTextKeepsTheCodes)
{
    setReleves(2);
    putSpecies(1, QStringLiteral("ススキ"), {1});
    model.coverData().set(model.releveIndexAt(4), model.speciesIndexAt(h() + 1), ByteDataSet{0, 0, 0, 0, 12, 3, 0});
    EXPECT_TRUE(TableEditing::applyCellEdit(model, 4, h() + 1, QStringLiteral("   1")));
    EXPECT_EQ(model.coverData().at(model.releveIndexAt(4), model.speciesIndexAt(h() + 1)),
              (ByteDataSet{0, 0, 0, 0, 12, 3, 0}));
    // Leaving the editor of a spare or header cell unchanged is no error either.
    EXPECT_TRUE(TableEditing::applyCellEdit(model, 4, h() + 2, QString()));
    EXPECT_TRUE(TableEditing::applyCellEdit(model, 5, 2, QStringLiteral("Site2")));
    EXPECT_FALSE(TableEditing::applyCellEdit(model, 5, 2, QStringLiteral("Site9")));
}

// --- Deleting keeps the user's structure -------------------------------------------------------------

namespace {

struct DeleteCase
{
    const char *name;
    int releves;
    // Species rows top to bottom: name and the relevés it has an entry in (none: a comment row
    // or an inserted empty row).
    std::vector<std::pair<const char *, std::vector<int>>> rows;
    Cmd cmd;
    int at; ///< species display position (DelRow) or relevé display position (DelCol)
    std::vector<const char *> namesAfter;
    std::vector<int> sitesAfter; ///< the relevés left, by their original display position
};

} // namespace

TEST_F(EditTable, DeletingRemovesOnlyWhatTheDeletionEmptied)
{
    const DeleteCase cases[] = {
        {"column: comment row and inserted empty row stay, the row it emptied goes", 3,
         {{"ススキ", {1, 2}}, {"ヨモギ", {2}}, {"＜ススキ群落＞", {}}, {"", {}}, {"チガヤ", {3}}},
         Cmd::DelCol, 2,
         {"ススキ", "＜ススキ群落＞", "", "チガヤ"}, {1, 3}},
        {"last column: the comment row stays", 1,
         {{"ススキ", {1}}, {"コメント", {}}},
         Cmd::DelCol, 1,
         {"コメント"}, {}},
        {"column whose rows all have other entries removes no row", 3,
         {{"ススキ", {1, 2}}, {"ヨモギ", {2, 3}}},
         Cmd::DelCol, 2,
         {"ススキ", "ヨモギ"}, {1, 3}},
        {"row: the empty column between groups stays, the column it emptied goes", 4,
         {{"ススキ", {1, 3}}, {"ヨモギ", {4}}, {"チガヤ", {3}}},
         Cmd::DelRow, 2,
         {"ススキ", "チガヤ"}, {1, 2, 3}},
        {"row emptying two relevés around a separator", 5,
         {{"ススキ", {1}}, {"ヨモギ", {2, 4}}, {"チガヤ", {1, 5}}},
         Cmd::DelRow, 2,
         {"ススキ", "チガヤ"}, {1, 3, 5}},
        {"row whose relevés keep other species removes no column", 3,
         {{"ススキ", {1, 3}}, {"ヨモギ", {1, 3}}},
         Cmd::DelRow, 1,
         {"ヨモギ"}, {1, 2, 3}},
    };
    for (const DeleteCase &c : cases) {
        SCOPED_TRACE(c.name);
        model.clearTable(items);
        setReleves(c.releves);
        int k = 0;
        for (const auto &[rowName, releves] : c.rows) {
            ++k;
            model.grid().setCell(2, h() + k, QString::fromUtf8(rowName));
            for (int rel : releves) {
                model.grid().setCell(rel + 3, h() + k, QStringLiteral("   1"));
                model.coverData().set(model.releveIndexAt(rel + 3), model.speciesIndexAt(h() + k), kHerb);
            }
        }
        model.setSpeciesCount(k);
        model.recomputeFrequencies();

        ui.answerYes();
        ASSERT_TRUE(run(c.cmd, model, ui, c.cmd == Cmd::DelRow ? h() + c.at : c.at + 3));

        QStringList names, expectedNames;
        for (int i = 1; i <= model.speciesCount(); ++i)
            names << name(i);
        for (const char *n : c.namesAfter)
            expectedNames << QString::fromUtf8(n);
        EXPECT_EQ(names, expectedNames);
        QStringList sites, expectedSites;
        for (int i = 1; i <= model.releveCount(); ++i)
            sites << site(i);
        for (int rel : c.sitesAfter)
            expectedSites << QStringLiteral("Site%1").arg(rel);
        EXPECT_EQ(sites, expectedSites);
        // The numbers are those of the rows and columns now in place.
        for (int i = 1; i <= model.speciesCount(); ++i)
            EXPECT_EQ(model.speciesFreq(i), model.grid().countInRow(h() + i, 4, model.releveCount() + 3)) << i;
        for (int i = 1; i <= model.releveCount(); ++i) {
            int entries = 0;
            for (int r = h() + 1; r <= h() + model.speciesCount(); ++r)
                entries += model.grid().isCellEmpty(i + 3, r) ? 0 : 1;
            EXPECT_EQ(model.releveSpCount(i), entries) << i;
        }
        EXPECT_TRUE(model.isModified());
    }
}

// --- What marks the table as changed ---------------------------------------------------------------

TEST_F(EditTable, CommandsThatChangeTheTableMarkItChanged)
{
    struct Case
    {
        const char *name;
        std::function<bool()> command;
        bool changes;
    };
    const Case cases[] = {
        {"delete row", [&] { ui.answerYes(); return TableEditing::deleteRow(model, ui, h() + 2); }, true},
        {"delete column", [&] { ui.answerYes(); return TableEditing::deleteColumn(model, ui, 5); }, true},
        {"insert row", [&] { ui.answerYes(); return TableEditing::insertRow(model, ui, h() + 1); }, true},
        {"insert column", [&] { ui.answerYes(); return TableEditing::insertColumn(model, ui, 4); }, true},
        {"comment", [&] { ui.answerText(QStringLiteral("＜群落＞")); return TableEditing::writeComment(model, ui, h() + 1); }, true},
        {"comment, same text again", [&] { ui.answerText(QStringLiteral("ススキ")); return TableEditing::writeComment(model, ui, h() + 1); }, false},
        {"typed cover code", [&] { return TableEditing::applyCellEdit(model, 5, h() + 1, QStringLiteral("H1:3")); }, true},
        {"typed text unchanged", [&] { return TableEditing::applyCellEdit(model, 4, h() + 1, QStringLiteral("   1")); }, false},
        {"delete answered No", [&] { ui.answerNo(); return TableEditing::deleteRow(model, ui, h() + 1); }, false},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        model.clearTable(items);
        setReleves(2);
        putSpecies(1, QStringLiteral("ススキ"), {1});
        putSpecies(2, QStringLiteral("ヨモギ"), {2});
        model.recomputeFrequencies();
        ASSERT_FALSE(model.isModified());
        c.command();
        EXPECT_EQ(model.isModified(), c.changes);
        // Clearing gives a blank table that counts as unchanged.
        model.clearTable(items);
        EXPECT_FALSE(model.isModified());
    }
}
