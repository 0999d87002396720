#include "output/outputpanel.h"

#include "output/sampletable.h"
#include "platform/scripteduserinterface.h"
#include "table/settings.h"

#include <gtest/gtest.h>

using namespace Zelkor;
using Zelkor::Test::layer;
using Zelkor::Test::SampleTable;

namespace {

// A table of 3 relevés and 20 species with the default layout (18 items) behind the panel.
struct OutputPanelTest : ::testing::Test
{
    SampleTable t{2, 3, 8, 9, 10, 11, 12, 15, 16, 17, 18, 20, 23, 24, 25, 27, 30};
    Settings settings;
    QString title = QStringLiteral("Dunes");
    ScriptedUserInterface ui;
    int cleared = 0;
    std::vector<OutputRange> ran;
    OutputPanel panel{t.model, t.items, settings, &title, ui,
                      OutputPanel::Hooks{[this] {
                                             ++cleared;
                                             t.model.clearTable(t.items);
                                         },
                                         [this] { t.model.recomputeFrequencies(); }, {}, {}, {}}};

    void SetUp() override
    {
        t.setReleves(3);
        for (int k = 1; k <= 20; ++k)
            t.addSpecies(QStringLiteral("Species %1").arg(k), {{1 + k % 3, layer(5, 10)}});
        t.finish();
        panel.setOutput(OutputPanel::TextFile, [this](const OutputRange &range) { ran.push_back(range); });
    }

    // Layout flag and tick of every item.
    std::vector<std::pair<bool, bool>> flags() const
    {
        std::vector<std::pair<bool, bool>> f;
        for (int n = 1; n <= HeaderItems::Count; ++n)
            f.emplace_back(t.items[n].layout, t.items[n].selected);
        return f;
    }
};

} // namespace

TEST_F(OutputPanelTest, EachModeGreysWhatItDoesNotRead)
{
    struct Case
    {
        int mode;
        const char *heading;
        bool items, tableOptions, direction, method, font, note;
    };
    const Case cases[] = {
        {0, "組成表テキスト出力、項目選択と表題修正", true, true, false, false, false, false},
        {1, "組成表エクセル出力、項目選択と表題修正", true, true, false, false, false, false},
        {2, "組成表を印刷出力、項目選択と表題修正", true, true, false, false, true, false},
        {3, "組成表の簡易印刷、項目選択と表題修正", true, true, false, false, true, false},
        {4, "数値表をCSV形式で出力", false, false, true, true, false, true},
        {5, "PCord用の数値表をCSV出力", false, false, false, true, false, true},
    };
    const auto layoutBefore = flags();
    for (const Case &c : cases) {
        SCOPED_TRACE(c.mode);
        panel.openForOutput(c.mode);
        EXPECT_TRUE(panel.isVisible());
        EXPECT_EQ(panel.heading(), QString::fromUtf8(c.heading));
        EXPECT_EQ(panel.confirmCaption(), QStringLiteral("出力する"));
        EXPECT_EQ(panel.itemEnabled(3), c.items);
        EXPECT_FALSE(panel.itemEnabled(4)); // not in the layout
        EXPECT_EQ(panel.frequencyEnabled(), c.tableOptions);
        EXPECT_EQ(panel.oneTimeEnabled(), c.tableOptions);
        EXPECT_EQ(panel.directionEnabled(), c.direction);
        EXPECT_EQ(panel.methodEnabled(), c.method);
        EXPECT_EQ(panel.fontPanelVisible(), c.font);
        EXPECT_EQ(panel.numericNoteVisible(), c.note);
        EXPECT_EQ(panel.titleWidth(), 376);
        // Greying the items changes no layout flag: a new table lays out the same rows.
        EXPECT_EQ(flags(), layoutBefore);
    }
}

TEST_F(OutputPanelTest, RangesFollowTheTableAndItemsAreTickedAgain)
{
    panel.openForOutput(OutputPanel::TextFile);
    EXPECT_EQ(panel.speciesTo().value(), 20);
    panel.setItemChecked(3, false);
    panel.cancel();
    EXPECT_FALSE(panel.isVisible());
    EXPECT_FALSE(t.items[3].selected);

    for (int k = 21; k <= 35; ++k)
        t.addSpecies(QStringLiteral("Species %1").arg(k), {{1, layer(5, 10)}});
    panel.openForOutput(OutputPanel::TextFile);
    EXPECT_TRUE(panel.itemChecked(3));
    EXPECT_EQ(panel.speciesFrom().value(), 1);
    EXPECT_EQ(panel.speciesTo().value(), 35);
    EXPECT_EQ(panel.speciesTo().maximum(), 35);
    panel.speciesTo().setText(QStringLiteral("40"));
    panel.speciesTo().leave();
    EXPECT_EQ(panel.speciesTo().value(), 35);
    panel.releveFrom().setText(QStringLiteral("x"));
    EXPECT_EQ(panel.releveFrom().value(), 1);
}

TEST_F(OutputPanelTest, OutputTakesTheTitleAndRangesCancelKeepsThem)
{
    panel.openForOutput(OutputPanel::TextFile);
    EXPECT_EQ(panel.titleText(), QStringLiteral("Dunes"));
    panel.setTitleText(QStringLiteral("Dune meadows"));
    panel.releveFrom().setValue(2);
    panel.speciesTo().setValue(5);
    panel.confirm();
    EXPECT_EQ(title, QStringLiteral("Dune meadows"));
    ASSERT_EQ(ran.size(), 1u);
    EXPECT_EQ(ran[0], (OutputRange{2, 3, 1, 5}));

    panel.openForOutput(OutputPanel::TextFile);
    panel.setTitleText(QStringLiteral("Something else"));
    panel.cancel();
    EXPECT_EQ(title, QStringLiteral("Dune meadows"));
    EXPECT_EQ(panel.range(), (OutputRange{2, 3, 1, 5}));
    EXPECT_EQ(ran.size(), 1u);
}

TEST_F(OutputPanelTest, ItemChangeAnsweredNoLeavesEverything)
{
    const auto before = flags();
    ui.answerNo();
    panel.beginItemChange();
    EXPECT_TRUE(ui.log().contains(QStringLiteral("yesno:表が初期化されます、続けますか？")));
    EXPECT_FALSE(panel.isVisible());
    EXPECT_EQ(flags(), before);
    EXPECT_TRUE(settings.useDataItem);
    EXPECT_EQ(cleared, 0);
    EXPECT_EQ(t.model.releveCount(), 3);
}

TEST_F(OutputPanelTest, ItemChangeCancelledPutsTheLayoutBack)
{
    const auto before = flags();
    ui.answerYes();
    panel.beginItemChange();
    EXPECT_TRUE(panel.isVisible());
    EXPECT_TRUE(panel.itemChangeMode());
    EXPECT_EQ(panel.confirmCaption(), QStringLiteral("設定する"));
    EXPECT_EQ(panel.heading(), QStringLiteral("項目組込は左、名称修正は右クリック"));
    EXPECT_EQ(panel.titleText(), QString());
    EXPECT_EQ(panel.titleWidth(), 170);
    EXPECT_FALSE(settings.useDataItem);
    EXPECT_TRUE(panel.itemEnabled(4)); // every item can be ticked now
    EXPECT_FALSE(panel.frequencyEnabled());
    EXPECT_FALSE(panel.methodEnabled());
    panel.setItemChecked(4, true);

    panel.cancel();
    EXPECT_EQ(flags(), before);
    EXPECT_TRUE(settings.useDataItem);
    EXPECT_EQ(cleared, 0);
}

TEST_F(OutputPanelTest, ItemChangeAppliesTheTicksAndKeepsItemOne)
{
    ui.answerYes();
    panel.beginItemChange();
    for (int n = 1; n <= HeaderItems::Count; ++n)
        panel.setItemChecked(n, n == 4 || n == 8);
    // A right click picks item 9's label; "修正" renames it; a left click forgets the pick.
    panel.pressItem(9, true);
    EXPECT_EQ(panel.titleText(), QStringLiteral("傾斜方位"));
    panel.setTitleText(QStringLiteral("方位"));
    panel.renameItem();
    EXPECT_EQ(t.items[9].label, QStringLiteral("方位"));
    panel.pressItem(10, false);
    panel.setTitleText(QStringLiteral("nothing"));
    panel.renameItem();
    EXPECT_EQ(t.items[10].label, QStringLiteral("傾斜角度"));

    panel.confirm();
    EXPECT_EQ(cleared, 1);
    EXPECT_FALSE(panel.isVisible());
    // Item 1 stays: row 1 carries the relevés' running numbers.
    EXPECT_EQ(t.items.layoutCount(), 3);
    EXPECT_TRUE(t.items[1].layout && t.items[4].layout && t.items[8].layout);
    EXPECT_EQ(t.model.headerRows(), 4);
    EXPECT_EQ(t.model.grid().cell(2, 2), QStringLiteral("調査年月日"));
    EXPECT_EQ(title, QStringLiteral("Dunes")); // the title box was the label editor
}

TEST(NumberField, Bounds)
{
    NumberField f;
    f.setBounds(1, 10);
    f.setValue(12);
    EXPECT_EQ(f.value(), 10);
    f.setValue(-3);
    EXPECT_EQ(f.value(), 1);
    f.setText(QStringLiteral("15")); // typed: taken as it stands until the field is left
    EXPECT_EQ(f.value(), 15);
    f.leave();
    EXPECT_EQ(f.value(), 10);
    f.setBounds(5, 5); // equal bounds bound nothing
    f.setValue(99);
    EXPECT_EQ(f.value(), 99);
}
