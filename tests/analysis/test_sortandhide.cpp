#include "analysis/sortandhide.h"
#include "platform/scripteduserinterface.h"
#include "table/headeritems.h"
#include "table/tablemodel.h"

#include <gtest/gtest.h>

#include <vector>

using namespace Zelkor;

namespace {

// Five relevés and six species; species j is found in the first j relevés (capped at 5), so the
// frequencies rise down the table and the species numbers fall across it.
struct SortAndHideTest : ::testing::Test
{
    TableModel model;
    HeaderItems items;
    ScriptedUserInterface ui;
    SortAndHide commands{&model, &ui};
    // What the commands asked of the grid: true range selection, false moving.
    std::vector<bool> mouseModes;
    int tableChanges = 0;

    void SetUp() override
    {
        QObject::connect(&commands, &SortAndHide::mouseModeRequested, [this](bool range) { mouseModes.push_back(range); });
        QObject::connect(&commands, &SortAndHide::tableChanged, [this] { ++tableChanges; });
        model.clearTable(items);
        const int h = model.headerRows();
        model.setReleveCount(5);
        model.setSpeciesCount(6);
        for (int k = 1; k <= 5; ++k)
            model.grid().setCell(k + 3, 2, QStringLiteral("R%1").arg(k));
        for (int j = 1; j <= 6; ++j) {
            model.grid().setCell(2, h + j, QStringLiteral("S%1").arg(j));
            for (int k = 1; k <= std::min(j, 5); ++k)
                model.grid().setCell(k + 3, h + j, QStringLiteral("   +"));
        }
        model.recomputeFrequencies();
    }
    int h() const { return model.headerRows(); }
    QString species(int j) const { return model.grid().cell(2, h() + j); }
    QString releve(int k) const { return model.grid().cell(k + 3, 2); }
};

} // namespace

TEST_F(SortAndHideTest, SortPanelProposesTheWholeTableAndRunsTheSort)
{
    commands.beginSpeciesSort();
    const SortAndHide::RangePanel &p = commands.panel();
    EXPECT_EQ(commands.rangeMode().value(), RangeMode::SortSpecies);
    EXPECT_TRUE(p.visible);
    EXPECT_EQ(p.heading, QStringLiteral("並べ替えをする植物範囲の指定"));
    EXPECT_FALSE(p.releveFields);
    EXPECT_TRUE(p.speciesFields);
    EXPECT_TRUE(p.directionBox);
    EXPECT_EQ(p.ss1, 1);
    EXPECT_EQ(p.ss2, 6);
    EXPECT_EQ(p.speciesMax, 6);
    EXPECT_TRUE(p.descending);

    // The user narrows the range to 2..5 (9 is beyond the bound) and keeps "多順".
    commands.setPanelRange(1, 1, 2, 9);
    EXPECT_EQ(p.ss2, 6);
    commands.setPanelRange(1, 1, 2, 5);
    commands.sortRange();
    EXPECT_FALSE(p.visible);
    EXPECT_EQ(commands.rangeMode().value(), RangeMode::None);
    EXPECT_EQ(QStringList({species(1), species(2), species(3), species(4), species(5), species(6)}),
              QStringList({"S1", "S5", "S4", "S3", "S2", "S6"}));
    EXPECT_EQ(ui.log(), (QStringList{QStringLiteral("work:　植物を並べ替えています　|  "), QStringLiteral("work-closed")}));
    EXPECT_EQ(tableChanges, 1);

    // The relevés, few species first; the direction chosen stays for the next use.
    ui.clearLog();
    commands.beginReleveSort();
    EXPECT_EQ(p.heading, QStringLiteral("並べ替えをする範囲の指定"));
    EXPECT_TRUE(p.releveFields);
    EXPECT_FALSE(p.speciesFields);
    EXPECT_EQ(p.sn1, 1);
    EXPECT_EQ(p.sn2, 5);
    EXPECT_EQ(p.releveMax, 5);
    commands.setDescending(false);
    commands.sortRange();
    EXPECT_EQ(QStringList({releve(1), releve(2), releve(3), releve(4), releve(5)}),
              QStringList({"R5", "R4", "R3", "R2", "R1"}));
    EXPECT_EQ(ui.log().value(0), QStringLiteral("work:　測定を並べ替えています　|"));
    commands.beginSpeciesSort();
    EXPECT_FALSE(commands.panel().descending);
}

TEST_F(SortAndHideTest, CancellingEndsTheRangeModeAndOnlyAHidingLosesItsCheck)
{
    commands.toggleBlockHiding();
    commands.rangeReleased(5, h() + 1, 8, h() + 4);
    commands.sortRange();
    ASSERT_TRUE(commands.blockHidingChecked());
    mouseModes.clear();

    // A cancelled sort: nothing sorted, the grid back to moving, the hiding still checked.
    commands.beginSpeciesSort();
    commands.cancelSort();
    EXPECT_FALSE(commands.panel().visible);
    EXPECT_EQ(commands.rangeMode().value(), RangeMode::None);
    EXPECT_EQ(mouseModes, std::vector<bool>{false});
    EXPECT_EQ(species(1), QStringLiteral("S1"));
    EXPECT_TRUE(commands.blockHidingChecked());

    // Showing all, then a cancelled hiding: the check goes.
    commands.toggleBlockHiding();
    ASSERT_FALSE(commands.blockHidingChecked());
    commands.toggleBlockHiding();
    commands.rangeReleased(5, h() + 1, 8, h() + 4);
    commands.cancelSort();
    EXPECT_FALSE(commands.blockHidingChecked());
    EXPECT_EQ(model.grid().rowHeight(h() + 2), model.grid().defaultRowHeight());
}

TEST_F(SortAndHideTest, HidingADraggedBlock)
{
    commands.toggleBlockHiding();
    EXPECT_TRUE(commands.blockHidingChecked());
    EXPECT_EQ(commands.rangeMode().value(), RangeMode::HideBlock);
    EXPECT_EQ(ui.log(), QStringList{QStringLiteral("guide:行・列の範囲指定は、マウスの|左ボタンを押しながらドラッグする")});
    EXPECT_EQ(mouseModes, std::vector<bool>{true});

    // Relevé 2 alone, species 3..5.
    commands.rangeReleased(5, h() + 3, 5, h() + 5);
    const SortAndHide::RangePanel &p = commands.panel();
    EXPECT_TRUE(p.visible);
    EXPECT_EQ(p.heading, QStringLiteral("一時的に隠す範囲の指定"));
    EXPECT_FALSE(p.directionBox);
    EXPECT_FALSE(p.releveFields);
    EXPECT_TRUE(p.speciesFields);
    EXPECT_EQ(p.ss1, 3);
    EXPECT_EQ(p.ss2, 5);
    EXPECT_EQ(ui.log().value(1), QStringLiteral("work-closed"));
    EXPECT_EQ(mouseModes, (std::vector<bool>{true, false}));

    commands.sortRange();
    EXPECT_EQ(model.grid().rowHeight(h() + 3), 1);
    EXPECT_EQ(model.grid().rowHeight(h() + 4), -1);
    EXPECT_EQ(model.grid().rowHeight(h() + 5), 0);
    EXPECT_EQ(model.grid().colWidth(5), model.grid().defaultColWidth());
    EXPECT_EQ(commands.rangeMode().value(), RangeMode::None);
    EXPECT_TRUE(commands.blockHidingChecked());

    // A release with no hiding waiting does nothing.
    commands.rangeReleased(4, h() + 1, 6, h() + 6);
    EXPECT_FALSE(p.visible);

    // The command again shows everything.
    commands.toggleBlockHiding();
    EXPECT_FALSE(commands.blockHidingChecked());
    EXPECT_EQ(model.grid().rowHeight(h() + 4), model.grid().defaultRowHeight());
}

TEST_F(SortAndHideTest, ChoosingTheHidingAgainBeforeADragGivesItUp)
{
    commands.toggleBlockHiding();
    commands.toggleBlockHiding();
    EXPECT_FALSE(commands.blockHidingChecked());
    EXPECT_EQ(commands.rangeMode().value(), RangeMode::None);
    EXPECT_EQ(ui.log().value(1), QStringLiteral("work-closed"));
    commands.rangeReleased(5, h() + 3, 5, h() + 5);
    EXPECT_FALSE(commands.panel().visible);
}

TEST_F(SortAndHideTest, HidingAndShowingTheSiteRows)
{
    commands.toggleSiteRows();
    EXPECT_TRUE(commands.siteRowsHidden());
    EXPECT_EQ(commands.rangeMode().value(), RangeMode::SiteHidden);
    EXPECT_TRUE(commands.rangeMode().selectsRange());
    EXPECT_EQ(model.grid().rowHeight(3), 0);
    EXPECT_EQ(model.grid().rowHeight(h() - 1), -1);
    EXPECT_EQ(model.grid().rowHeight(2), model.grid().defaultRowHeight());

    commands.toggleSiteRows();
    EXPECT_FALSE(commands.siteRowsHidden());
    EXPECT_EQ(commands.rangeMode().value(), RangeMode::None);
    EXPECT_EQ(model.grid().rowHeight(3), model.grid().defaultRowHeight());
}
