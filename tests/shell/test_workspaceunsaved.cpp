// Unsaved changes: which commands mark the table changed, and the question that the commands
// discarding a changed table ask first ("組成表を初期化する", "保存した表を読込む", an entry of
// "最近使った表", a dropped table file, "終了").
#include "platform/scripteduserinterface.h"
#include "shell/workspace.h"
#include "support/testsupport.h"
#include "table/tablefile.h"

#include <QDir>
#include <QFileInfo>

#include <gtest/gtest.h>

#include <functional>

using namespace Zelkor;
using Zelkor::Test::TempDir;

namespace {

const QString kQuestion = QStringLiteral("yesnocancel:現在の表は保存されていません。保存しますか？");

// Two relevés and two species under the title "今の表", as if just loaded.
void fillTable(Workspace &ws)
{
    Zelkor::Test::fillTwoSpecies(ws.model());
    ws.setTableTitle(QStringLiteral("今の表"));
    ws.model().setModified(false);
}

// A workspace started in a folder of its own, its table filled, and another table file beside
// it that the loading commands load.
struct Session
{
    TempDir dir;
    ScriptedUserInterface ui;
    Workspace ws{&ui};
    QString otherTable;

    Session()
    {
        ws.program().start({}, dir.path(QStringLiteral("zelkor")));
        Workspace other(&ui);
        other.document().clearTable();
        fillTable(other);
        otherTable = dir.path(QStringLiteral("other.vtb"));
        TableFile file;
        EXPECT_TRUE(file.write(other.model(), QStringLiteral("別の表"), otherTable));
        fillTable(ws);
        ui.clearLog();
    }

    // Changes the table through a command: a comment row under the species.
    void change()
    {
        ui.answerYes();
        ws.editing().insertRow(ws.model().headerRows() + 3);
        ui.answerText(QStringLiteral("＜群落＞"));
        ws.editing().writeComment(ws.model().headerRows() + 3);
        ASSERT_TRUE(ws.isModified());
        ui.clearLog();
    }
};

enum class Discard { Clear, LoadMenu, Recent, Drop, Quit };

const char *nameOf(Discard d)
{
    switch (d) {
    case Discard::Clear: return "組成表を初期化する";
    case Discard::LoadMenu: return "保存した表を読込む";
    case Discard::Recent: return "最近使った表";
    case Discard::Drop: return "dropped table file";
    case Discard::Quit: return "終了";
    }
    return "";
}

// Runs the command and tells whether it went on (cleared, loaded the other table, quit).
bool runDiscarding(Discard d, Session &s)
{
    switch (d) {
    case Discard::Clear:
        s.ws.tableFile().clearTable();
        return s.ws.model().releveCount() == 0;
    case Discard::LoadMenu:
        s.ui.answerFile(s.otherTable);
        s.ws.tableFile().chooseAndLoadTable();
        return s.ws.tableTitle() == QStringLiteral("別の表");
    case Discard::Recent:
        s.ws.tableFile().openRecentTable(s.otherTable);
        return s.ws.tableTitle() == QStringLiteral("別の表");
    case Discard::Drop:
        s.ws.program().openDroppedFile(s.otherTable);
        return s.ws.tableTitle() == QStringLiteral("別の表");
    case Discard::Quit:
        return s.ws.program().quit();
    }
    return false;
}

enum class Answer { Unchanged, Cancel, No, YesSaveCancelled, YesSaved, YesSaveFails };

} // namespace

TEST(WorkspaceUnsaved, DiscardingCommandsAskAboutAChangedTableOnly)
{
    struct Case
    {
        const char *name;
        Answer answer;
        bool goesOn;
    };
    const Case cases[] = {
        {"unchanged table: no question", Answer::Unchanged, true},
        {"キャンセル leaves everything", Answer::Cancel, false},
        {"いいえ discards", Answer::No, true},
        {"はい with a cancelled save cancels", Answer::YesSaveCancelled, false},
        {"はい saves, then goes on", Answer::YesSaved, true},
        {"はい with a failed save cancels", Answer::YesSaveFails, false},
    };
    for (const Discard command : {Discard::Clear, Discard::LoadMenu, Discard::Recent, Discard::Drop, Discard::Quit}) {
        for (const Case &c : cases) {
            SCOPED_TRACE(std::string(nameOf(command)) + ": " + c.name);
            Session s;
            if (c.answer != Answer::Unchanged)
                s.change();
            const QString saved = s.dir.path(QStringLiteral("saved.vtb"));
            switch (c.answer) {
            case Answer::Unchanged: break;
            case Answer::Cancel: s.ui.answerCancel(); break;
            case Answer::No: s.ui.answerNo(); break;
            case Answer::YesSaveCancelled: s.ui.answerYes(); s.ui.answerFile(QString()); break;
            case Answer::YesSaved: s.ui.answerYes(); s.ui.answerFile(saved); break;
            case Answer::YesSaveFails:
                s.ui.answerYes();
                s.ui.answerFile(s.dir.path(QStringLiteral("no such folder/saved.vtb")));
                break;
            }
            const int speciesBefore = s.ws.model().speciesCount();

            EXPECT_EQ(runDiscarding(command, s), c.goesOn);

            const bool asked = s.ui.log().contains(kQuestion);
            EXPECT_EQ(asked, c.answer != Answer::Unchanged);
            // The save dialog only after はい.
            const bool saveAsked = s.ui.log().contains(QStringLiteral("save:組成表の保存"));
            EXPECT_EQ(saveAsked, c.answer == Answer::YesSaveCancelled || c.answer == Answer::YesSaved
                                     || c.answer == Answer::YesSaveFails);
            EXPECT_EQ(QFileInfo::exists(saved), c.answer == Answer::YesSaved);
            if (!c.goesOn) {
                // Nothing happened to the table: still there, still changed, nothing opened.
                EXPECT_EQ(s.ws.tableTitle(), QStringLiteral("今の表"));
                EXPECT_EQ(s.ws.model().speciesCount(), speciesBefore);
                EXPECT_TRUE(s.ws.isModified());
                EXPECT_FALSE(s.ui.log().contains(QStringLiteral("open:組成表の読込")));
                EXPECT_FALSE(QFileInfo::exists(s.ws.program().programIniFileName()));
            }
            if (c.answer == Answer::YesSaved) {
                // The saved file holds the changed table, comment row included.
                Workspace check(&s.ui);
                check.document().clearTable();
                ASSERT_TRUE(check.tableFile().loadTable(saved));
                EXPECT_EQ(check.model().speciesCount(), 3);
                EXPECT_EQ(check.model().grid().cell(2, check.model().headerRows() + 3), QStringLiteral("＜群落＞"));
            }
        }
    }
}

TEST(WorkspaceUnsaved, CommandsThatChangeTheTableMarkItAndSavingLoadingClearingReset)
{
    struct Case
    {
        const char *name;
        std::function<void(Session &)> command;
        bool changed;
    };
    const int h = 19;
    const Case cases[] = {
        {"delete row", [](Session &s) { s.ui.answerYes(); s.ws.editing().deleteRow(h + 1); }, true},
        {"insert column", [](Session &s) { s.ui.answerYes(); s.ws.editing().insertColumn(4); }, true},
        {"comment", [](Session &s) { s.ui.answerText(QStringLiteral("注")); s.ws.editing().writeComment(h + 2); }, true},
        {"typed cover code", [](Session &s) { s.ws.editing().editCell(5, h + 1, QStringLiteral("H1:2")); }, true},
        {"title", [](Session &s) { s.ui.answerText(QStringLiteral("新しい題")); s.ws.document().editTitle(); }, true},
        {"title, same text", [](Session &s) { s.ui.answerText(QStringLiteral("今の表")); s.ws.document().editTitle(); }, false},
        {"title cancelled", [](Session &s) { s.ui.cancelInput(); s.ws.document().editTitle(); }, false},
        {"dragged row or column", [](Session &s) { s.ws.editing().markRearranged(); }, true},
        {"extraction", [](Session &s) {
             s.ws.session().setDataFile(Zelkor::Test::sourcePath(QStringLiteral("examples/dune.zki")));
             s.ws.model().setModified(false); // the database's title is not the case here
             RetrievalQuery query;
             query.lastRecord = 3;
             s.ws.extraction().scanDatabase(query, true);
             s.ui.cancelInput();
             s.ws.extraction().insertSelected();
         }, true},
        {"search", [](Session &s) { s.ws.editing().search(QStringLiteral("ススキ"), false); }, false},
        {"recompute frequencies", [](Session &s) { s.ws.document().recomputeFrequencies(); }, false},
        {"table font", [](Session &s) { s.ui.answerFont(FontSpec{QStringLiteral("ＭＳ ゴシック"), 12}); s.ws.settingsCommand().chooseTableFont(); }, false},
        {"data check", [](Session &s) { s.ui.answerYes(); s.ws.editing().askShowIndexes(); }, false},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        Session s;
        ASSERT_EQ(s.ws.model().headerRows(), h);
        c.command(s);
        EXPECT_EQ(s.ws.isModified(), c.changed);
    }

    // Saving, loading and clearing each leave an unchanged table.
    const std::pair<const char *, std::function<void(Session &)>> resets[] = {
        {"save", [](Session &s) { s.ui.answerFile(s.dir.path(QStringLiteral("t.vtb"))); EXPECT_TRUE(s.ws.tableFile().saveTable()); }},
        {"load", [](Session &s) { EXPECT_TRUE(s.ws.tableFile().loadTable(s.otherTable)); }},
        {"clear", [](Session &s) { s.ui.answerNo(); s.ws.tableFile().clearTable(); }},
    };
    for (const auto &[name, reset] : resets) {
        SCOPED_TRACE(name);
        Session s;
        s.change();
        reset(s);
        EXPECT_FALSE(s.ws.isModified());
    }
}

TEST(WorkspaceUnsaved, SaveDialogProposesTheTablesOwnFile)
{
    Session s;
    // A table from no file: the title.
    s.ws.tableFile().saveTable();
    EXPECT_EQ(s.ui.lastFileRequest().fileName, QStringLiteral("今の表.vtb"));
    // A loaded table: the file it came from, in its folder.
    ASSERT_TRUE(s.ws.tableFile().loadTable(s.otherTable));
    s.ws.tableFile().saveTable();
    EXPECT_EQ(s.ui.lastFileRequest().fileName, QStringLiteral("other.vtb"));
    EXPECT_EQ(s.ui.lastFileRequest().directory, QFileInfo(s.otherTable).absolutePath());
    // After saving under another name, that name.
    const QString renamed = s.dir.path(QStringLiteral("sub/renamed.vtb"));
    QDir().mkpath(s.dir.path(QStringLiteral("sub")));
    s.ui.answerFile(renamed);
    ASSERT_TRUE(s.ws.tableFile().saveTable());
    s.ws.tableFile().saveTable();
    EXPECT_EQ(s.ui.lastFileRequest().fileName, QStringLiteral("renamed.vtb"));
    EXPECT_EQ(s.ui.lastFileRequest().directory, QFileInfo(renamed).absolutePath());
    // A cleared table comes from no file again.
    s.ws.document().clearTable();
    s.ws.tableFile().saveTable();
    EXPECT_EQ(s.ui.lastFileRequest().fileName, s.ws.tableTitle() + QStringLiteral(".vtb"));
}

TEST(WorkspaceUnsaved, OpenDialogsStartInTheFolderUsedLast)
{
    Session s;
    s.ws.session().setDataFile(Zelkor::Test::sourcePath(QStringLiteral("examples/dune.zki")));
    s.ws.model().setModified(false);
    const QString dataFolder = QFileInfo(Zelkor::Test::sourcePath(QStringLiteral("examples/dune.zki"))).absolutePath();
    s.ws.tableFile().chooseAndLoadTable(); // cancelled: the folder stays
    EXPECT_EQ(s.ui.lastFileRequest().directory, dataFolder);
    s.ui.answerFile(s.otherTable);
    s.ws.tableFile().chooseAndLoadTable();
    // Every open dialog now starts where the table was found.
    s.ws.session().chooseDictionary();
    EXPECT_EQ(s.ui.lastFileRequest().directory, QFileInfo(s.otherTable).absolutePath());
    s.ws.settingsCommand().chooseAndReadSettings();
    EXPECT_EQ(s.ui.lastFileRequest().directory, QFileInfo(s.otherTable).absolutePath());
}
