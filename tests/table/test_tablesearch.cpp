#include "platform/texthelpers.h"
#include "table/covercode.h"
#include "table/headeritems.h"
#include "table/searchhistory.h"
#include "table/tablemodel.h"
#include "table/tablesearch.h"

#include <gtest/gtest.h>

#include <vector>

using namespace Zelkor;

namespace {

// A table laid out from the default items: HeaderRows 19, species from row 20.
struct SearchTable : ::testing::Test
{
    TableModel model;
    HeaderItems items;
    void SetUp() override { model.clearTable(items); }
    int h() const { return model.headerRows(); }

    void putSpecies(int k, const QString &name, const QString &cover = QStringLiteral("   1"))
    {
        model.grid().setCell(2, h() + k, name);
        model.grid().setCell(4, h() + k, cover);
        model.setSpeciesCount(std::max(model.speciesCount(), k));
    }
    std::vector<GridCell> hits() const { return model.searchHits(); }
};

} // namespace

TEST_F(SearchTable, PartialMatchMarksTheFirstTwentyInTableOrder)
{
    model.setReleveCount(2);
    for (int k = 1; k <= 25; ++k)
        putSpecies(k, QStringLiteral("ススキ属%1").arg(k));
    model.grid().setCell(5, 2, QStringLiteral("ススキ原")); // found after the names: not marked

    EXPECT_EQ(TableSearch::search(model, QStringLiteral("ススキ"), false), 20);
    std::vector<GridCell> expected;
    for (int k = 1; k <= 20; ++k)
        expected.push_back({2, h() + k});
    EXPECT_EQ(hits(), expected);
}

TEST_F(SearchTable, HeaderValuesColumnByColumnAfterTheNames)
{
    model.setReleveCount(3);
    putSpecies(1, QStringLiteral("ハマヒルガオ"));
    putSpecies(2, QStringLiteral("コウボウムギ"));
    model.grid().setCell(5, 3, QStringLiteral("浜辺2"));
    model.grid().setCell(4, 5, QStringLiteral("浜辺"));
    model.grid().setCell(4, 2, QStringLiteral("浜辺北"));
    model.grid().setCell(26, 2, QStringLiteral("浜辺 "));             // a spare column is searched too
    model.grid().setCell(6, h() - 1, QStringLiteral("浜"));           // last header row
    model.grid().setCell(7, 1, QStringLiteral("浜"));                 // row 1: running numbers, not searched
    model.grid().setCell(7, h(), QStringLiteral("浜"));               // species-number row, not searched
    model.grid().setCell(4, h() + 1, QStringLiteral("浜"));           // cover cell, not searched
    model.grid().setCell(2, h() + 3, QStringLiteral("浜ススキ"));      // below the species rows in use

    TableSearch::search(model, QStringLiteral("浜"), false);
    const std::vector<GridCell> expected{{4, 2}, {4, 5}, {5, 3}, {6, h() - 1}, {26, 2}};
    EXPECT_EQ(hits(), expected);

    TableSearch::search(model, QStringLiteral("ヒルガオ"), false);
    EXPECT_EQ(hits(), (std::vector<GridCell>{{2, h() + 1}}));
}

TEST_F(SearchTable, ExactMatchMarksOnlyTheNameCell)
{
    model.setReleveCount(2);
    putSpecies(1, QStringLiteral("ススキ"), QStringLiteral("ススキ"));
    putSpecies(2, QStringLiteral("ススキモドキ"));
    putSpecies(3, QStringLiteral("  ススキ\t")); // blanks and control characters around do not count
    putSpecies(4, QStringLiteral("　ススキ"));   // an ideographic space is part of the text
    putSpecies(5, QStringLiteral("すすき"));
    model.grid().setCell(5, 2, QStringLiteral("ススキ草原"));

    TableSearch::search(model, QStringLiteral(" ススキ "), true);
    const std::vector<GridCell> expected{{2, h() + 1}, {2, h() + 3}};
    EXPECT_EQ(hits(), expected);

    TableSearch::search(model, QStringLiteral("　ススキ"), true);
    EXPECT_EQ(hits(), (std::vector<GridCell>{{2, h() + 4}}));
}

TEST_F(SearchTable, CaseCountsUnlessIgnored)
{
    model.setReleveCount(2);
    putSpecies(1, QStringLiteral("Carex"));
    putSpecies(2, QStringLiteral("carex"));
    putSpecies(3, QStringLiteral("Poa annua"));
    putSpecies(4, QStringLiteral(" ＰＯＡ pratensis "));
    putSpecies(5, QStringLiteral("ススキ"));
    model.grid().setCell(4, 2, QStringLiteral("Site１２"));
    model.grid().setCell(5, 2, QStringLiteral("site12b"));

    const int n = h();
    struct Case
    {
        const char *text;
        bool exact;
        bool ignoreCase;
        std::vector<GridCell> expected;
    };
    const Case cases[] = {
        // As typed: case and width count.
        {"Car", false, false, {{2, n + 1}}},
        {"CAREX", true, false, {}},
        {"poa", false, false, {}},
        {"site12", false, false, {{5, 2}}},
        // Ignoring case: capitals, small letters and full-width forms meet, on either side.
        {"car", false, true, {{2, n + 1}, {2, n + 2}}},
        {"CAREX", true, true, {{2, n + 1}, {2, n + 2}}},
        {"poa", false, true, {{2, n + 3}, {2, n + 4}}},
        {"ＰＯＡ", false, true, {{2, n + 3}, {2, n + 4}}},
        {"poa pratensis", true, true, {{2, n + 4}}}, // trimmed before folding
        {"ａｎｎ", false, true, {{2, n + 3}}},
        {"SITE12", false, true, {{4, 2}, {5, 2}}},
        {"site12", true, true, {{4, 2}}},
        // Kana stay as they are: hiragana do not find katakana.
        {"すすき", false, true, {}},
        {"ススキ", true, true, {{2, n + 5}}},
    };
    for (const Case &c : cases) {
        const int marks = TableSearch::search(model, QString::fromUtf8(c.text), c.exact, c.ignoreCase);
        EXPECT_EQ(hits(), c.expected) << c.text << " exact=" << c.exact << " ignoreCase=" << c.ignoreCase;
        EXPECT_EQ(marks, int(c.expected.size())) << c.text;
    }
}

TEST_F(SearchTable, BlankTextClearsTheMarks)
{
    model.setReleveCount(1);
    putSpecies(1, QStringLiteral("ススキ"));
    const QString blanks[] = {QString(), QStringLiteral("   "), QStringLiteral(" \t\r\n")};
    for (const QString &text : blanks) {
        ASSERT_EQ(TableSearch::search(model, QStringLiteral("ススキ"), false), 1);
        EXPECT_EQ(TableSearch::search(model, text, false), 0);
        EXPECT_TRUE(hits().empty());
    }
    // An ideographic space is no blank: it is searched for, and found nowhere here.
    EXPECT_EQ(TableSearch::search(model, QStringLiteral("　"), false), 0);
}

TEST_F(SearchTable, ResetAndClearTableRemoveTheMarks)
{
    model.setReleveCount(1);
    putSpecies(1, QStringLiteral("ススキ"));
    TableSearch::search(model, QStringLiteral("ススキ"), false);
    TableSearch::reset(model);
    EXPECT_TRUE(hits().empty());

    TableSearch::search(model, QStringLiteral("ススキ"), false);
    model.clearTable(items);
    EXPECT_TRUE(hits().empty());
}

// The search trims cells and query with the trim of the database fields.
TEST(TableSearchTrim, OnlyCodesUpToBlank)
{
    struct Case { QString in, out; };
    const Case cases[] = {
        {QStringLiteral("  a b  "), QStringLiteral("a b")},
        {QStringLiteral("\x01\x1f" "x" "\x7f"), QStringLiteral("x\x7f")},
        {QStringLiteral("　x　"), QStringLiteral("　x　")},
        {QStringLiteral(" \t "), QString()},
    };
    for (const Case &c : cases)
        EXPECT_EQ(trimBlanks(c.in), c.out) << c.in.toStdString();
}

TEST(SearchHistoryTest, EverySearchAppendsDuplicatesIncluded)
{
    SearchHistory history;
    EXPECT_TRUE(history.last().isEmpty());
    history.append(QStringLiteral("ススキ"));
    history.append(QStringLiteral(" 浜 "));
    history.append(QStringLiteral("ススキ"));
    EXPECT_EQ(history.texts(), (QStringList{QStringLiteral("ススキ"), QStringLiteral(" 浜 "), QStringLiteral("ススキ")}));
    EXPECT_EQ(history.last(), QStringLiteral("ススキ"));
}
