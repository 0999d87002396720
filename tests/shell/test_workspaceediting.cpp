#include "analysis/codedtable.h"
#include "platform/scripteduserinterface.h"
#include "shell/workspace.h"
#include "support/testsupport.h"
#include "table/tablegrouping.h"

#include <gtest/gtest.h>

using namespace Zelkor;

namespace {

// Counts the emissions of one signal.
struct SignalCount
{
    int count = 0;
    template<typename Sender, typename Signal>
    SignalCount(Sender *sender, Signal signal)
    {
        QObject::connect(sender, signal, sender, [this] { ++count; });
    }
};

// Answers from a script and notes which row or column the workspace had tinted while asking.
class TintWatchingUi : public ScriptedUserInterface
{
public:
    Workspace *workspace = nullptr;
    std::vector<EditTarget> tintWhileAsked;
    bool askYesNo(const QString &text) override
    {
        tintWhileAsked.push_back(workspace->editing().pendingTint());
        return ScriptedUserInterface::askYesNo(text);
    }
    bool getText(const QString &caption, const QString &prompt, QString *value) override
    {
        tintWhileAsked.push_back(workspace->editing().pendingTint());
        return ScriptedUserInterface::getText(caption, prompt, value);
    }
};

struct WorkspaceEditing : ::testing::Test
{
    TintWatchingUi ui;
    Workspace ws{&ui};
    void SetUp() override
    {
        ui.workspace = &ws;
        ws.document().clearTable();
        Zelkor::Test::fillTwoSpecies(ws.model());
        ui.clearLog();
    }
    int h() const { return ws.model().headerRows(); }
};

} // namespace

TEST_F(WorkspaceEditing, DeleteTintsTheRowWhileAskingAndReportsTheChange)
{
    SignalCount table(&ws, &Workspace::tableChanged);
    SignalCount status(&ws, &Workspace::statusChanged);
    SignalCount tint(&ws.editing(), &TableEditCommands::tintChanged);
    ui.answerYes();
    ws.editing().deleteRow(h() + 2);
    ASSERT_EQ(ui.tintWhileAsked.size(), 1u);
    EXPECT_EQ(ui.tintWhileAsked[0], (EditTarget{EditTarget::Row, h() + 2}));
    EXPECT_EQ(ws.editing().pendingTint(), EditTarget{});
    EXPECT_EQ(tint.count, 2);
    EXPECT_EQ(ws.model().speciesCount(), 1);
    EXPECT_EQ(ws.model().releveCount(), 1);
    EXPECT_EQ(ws.statusTexts()[3], QStringLiteral("1"));
    EXPECT_GE(table.count, 1);
    EXPECT_GE(status.count, 1);
}

TEST_F(WorkspaceEditing, NoAnswerLeavesTintClearedAndTableUnchanged)
{
    SignalCount table(&ws, &Workspace::tableChanged);
    SignalCount tint(&ws.editing(), &TableEditCommands::tintChanged);
    ui.answerNo();
    ws.editing().insertColumn(5);
    EXPECT_EQ(ui.tintWhileAsked.at(0), (EditTarget{EditTarget::Column, 5}));
    EXPECT_EQ(ws.editing().pendingTint(), EditTarget{});
    EXPECT_EQ(tint.count, 2); // set, then cleared: the grid repaints without it
    EXPECT_EQ(table.count, 0);
    EXPECT_EQ(ws.model().releveCount(), 2);
}

TEST_F(WorkspaceEditing, TitleStartsFromDatabaseNameAndUpdatesTheTitleBar)
{
    ws.settings().dataFileName = QStringLiteral("/data/Kanto.zki");
    ws.setTableTitle(QString());
    SignalCount status(&ws, &Workspace::statusChanged);
    ui.answerText(QStringLiteral("関東"));
    ws.document().editTitle();
    EXPECT_EQ(ui.log().last(), QStringLiteral("input:　表の見出しを編修する::Kanto"));
    EXPECT_EQ(ws.tableTitle(), QStringLiteral("関東"));
    EXPECT_TRUE(ws.windowTitle().contains(QStringLiteral("（関東）")));
    ui.cancelInput();
    ws.document().editTitle();
    EXPECT_EQ(ws.tableTitle(), QStringLiteral("関東"));
    EXPECT_EQ(status.count, 2);
}

TEST_F(WorkspaceEditing, SearchKeepsHistoryAndResetRemovesMarks)
{
    EXPECT_EQ(ws.editing().search(QStringLiteral("ススキ"), true), 1);
    EXPECT_EQ(ws.editing().search(QStringLiteral("ススキ"), false), 1);
    EXPECT_EQ(ws.editing().search(QStringLiteral("  "), false), 0);
    EXPECT_EQ(ws.editing().searchHistory().texts(),
              (QStringList{QStringLiteral("ススキ"), QStringLiteral("ススキ"), QStringLiteral("  ")}));
    ws.editing().search(QStringLiteral("ギ"), false);
    EXPECT_EQ(ws.model().searchHits().size(), 1u);
    ws.editing().resetSearch();
    EXPECT_TRUE(ws.model().searchHits().empty());
}

TEST_F(WorkspaceEditing, SearchThatMarksNothingSaysSoInTheStatusBar)
{
    QStringList notes;
    QObject::connect(&ws, &Workspace::statusMessage, [&notes](const QString &text) { notes << text; });
    struct Case { const char *text; bool exact; const char *note; };
    const Case cases[] = {
        {"ススキ", true, nullptr},
        {" ススキ属 ", true, "「ススキ属」は表の中に見つかりませんでした"},
        {"スス", true, "「スス」は表の中に見つかりませんでした"},
        {"スス", false, nullptr},
        {"  ", false, nullptr}, // a blank search only clears the marks
    };
    for (const Case &c : cases) {
        notes.clear();
        ws.editing().search(QString::fromUtf8(c.text), c.exact);
        EXPECT_EQ(notes, c.note ? QStringList{QString::fromUtf8(c.note)} : QStringList()) << c.text;
    }
}

TEST_F(WorkspaceEditing, NextSearchMarkGoesRoundTheMarksAndStartsOverWithANewSearch)
{
    QStringList notes;
    QObject::connect(&ws, &Workspace::statusMessage, [&notes](const QString &text) { notes << text; });
    const GridCell none{-1, -1};
    EXPECT_EQ(ws.editing().nextSearchHit(), none);
    EXPECT_EQ(notes, QStringList{QStringLiteral("検索の印がありません。「表内を検索する」で検索してください。")});

    // Two marks: the name ススキ and a header value of the first relevé.
    ws.model().grid().setCell(4, 2, QStringLiteral("ススキ草原"));
    ASSERT_EQ(ws.editing().search(QStringLiteral("ススキ"), false), 2);
    const std::vector<GridCell> hits = ws.model().searchHits();
    notes.clear();
    std::vector<GridCell> visited;
    for (int i = 0; i < 3; ++i)
        visited.push_back(ws.editing().nextSearchHit());
    EXPECT_EQ(visited, (std::vector<GridCell>{hits[0], hits[1], hits[0]}));
    EXPECT_EQ(notes, (QStringList{QStringLiteral("検索の印 1 / 2"), QStringLiteral("検索の印 2 / 2"),
                                  QStringLiteral("検索の印 1 / 2")}));
    // A new search starts from its first mark; a reset leaves none.
    ASSERT_EQ(ws.editing().search(QStringLiteral("ヨモギ"), true), 1);
    EXPECT_EQ(ws.editing().nextSearchHit(), ws.model().searchHits()[0]);
    EXPECT_EQ(ws.editing().nextSearchHit(), ws.model().searchHits()[0]);
    ws.editing().resetSearch();
    EXPECT_EQ(ws.editing().nextSearchHit(), none);
}

TEST_F(WorkspaceEditing, RefusedCellEditIsReportedAndKeepsTheCell)
{
    EXPECT_FALSE(ws.editing().editCell(4, h() + 1, QStringLiteral("5")));
    ASSERT_EQ(ui.messages().size(), 1);
    EXPECT_TRUE(ui.messages()[0].contains(QStringLiteral("層:被度")));
    EXPECT_EQ(ws.model().grid().cell(4, h() + 1), QStringLiteral("   1"));

    ws.settings().layerNames = QStringLiteral("B1B2K1K2K3K4 M");
    EXPECT_TRUE(ws.editing().editCell(5, h() + 1, QStringLiteral("K3:+")));
    EXPECT_EQ(ws.model().grid().cell(5, h() + 1), QStringLiteral("   +"));
    EXPECT_EQ(ws.model().speciesFreq(1), 2);
}

TEST_F(WorkspaceEditing, GroupByItemAsksForTheItem)
{
    // Three relevés with item 3 values a, b, a.
    Zelkor::Test::fillCodedTable(ws.model(), {QStringLiteral("Poa annua")},
                                 {QStringLiteral("R1"), QStringLiteral("R2"), QStringLiteral("R3")}, {{10}, {20}, {30}});
    const int row = TableGrouping::itemRow(ws.model(), 3);
    ASSERT_GT(row, 0);
    for (int i = 1; i <= 3; ++i)
        ws.model().grid().setCell(TableModel::releveColumn(i), row, i == 2 ? QStringLiteral("b") : QStringLiteral("a"));
    SignalCount table(&ws, &Workspace::tableChanged);

    // Cancelled: nothing changes.
    ui.cancelChoice();
    EXPECT_FALSE(ws.editing().groupByItem());
    EXPECT_EQ(ws.model().releveCount(), 3);
    EXPECT_EQ(table.count, 0);

    // The list holds the table's header items 2..29 by number and label; item 3 chosen.
    QStringList offered;
    for (int r = TableModel::LabelRow; r < ws.model().speciesNumberRow(); ++r) {
        const int n = TableModel::indexFromText(ws.model().grid().cell(TableModel::IndexColumn, r));
        if (n >= 2 && n <= 29)
            offered << QString::number(n);
    }
    ui.answerChoice(int(offered.indexOf(QStringLiteral("3"))));
    EXPECT_TRUE(ws.editing().groupByItem());
    QStringList labels;
    for (int i = 1; i <= ws.model().releveCount(); ++i)
        labels << ws.model().grid().cell(TableModel::releveColumn(i), TableModel::LabelRow);
    EXPECT_EQ(labels, (QStringList{QStringLiteral("R1"), QStringLiteral("R3"), QString(), QStringLiteral("R2")}));
    EXPECT_TRUE(ws.model().isModified());
    EXPECT_GE(table.count, 1);
}
