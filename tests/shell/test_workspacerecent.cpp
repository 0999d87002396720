// The tables used last: saving and loading put a table on the list, an entry whose file is gone
// leaves it with a message, and the list lives in the program's settings file.
#include "platform/scripteduserinterface.h"
#include "shell/workspace.h"
#include "support/testsupport.h"
#include "table/tablefilecommand.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <gtest/gtest.h>

using namespace Zelkor;
using Zelkor::Test::TempDir;

namespace {

struct Session
{
    TempDir dir;
    ScriptedUserInterface ui;
    Workspace ws{&ui};

    Session()
    {
        ws.program().start({}, dir.path(QStringLiteral("zelkor")));
        ui.clearLog();
    }

    // A table file of two species titled title.
    QString table(const QString &name, const QString &title)
    {
        return Zelkor::Test::writeTwoSpeciesTable(dir, name, title);
    }

    QStringList recentNames() const
    {
        QStringList out;
        for (const QString &path : ws.settings().recentTables.paths())
            out << QFileInfo(path).fileName();
        return out;
    }
};

} // namespace

TEST(WorkspaceRecent, SavedAndLoadedTablesGoOnTopFailedOnesDoNot)
{
    Session s;
    const QString a = s.table(QStringLiteral("a.vtb"), QStringLiteral("表A"));
    const QString b = s.table(QStringLiteral("b.vtb"), QStringLiteral("表B"));
    ASSERT_TRUE(s.ws.tableFile().loadTable(a));
    ASSERT_TRUE(s.ws.tableFile().loadTable(b));
    EXPECT_EQ(s.recentNames(), (QStringList{QStringLiteral("b.vtb"), QStringLiteral("a.vtb")}));

    s.ui.answerFile(s.dir.path(QStringLiteral("saved.vtb")));
    ASSERT_TRUE(s.ws.tableFile().saveTable());
    EXPECT_EQ(s.recentNames(), (QStringList{QStringLiteral("saved.vtb"), QStringLiteral("b.vtb"), QStringLiteral("a.vtb")}));

    // A damaged file, a failed save and a cancelled save leave the list alone.
    const QString damaged = s.dir.writeBytes(QStringLiteral("damaged.vtb"), QByteArrayLiteral("not a table"));
    s.ui.answerNo(); // in case a question comes
    EXPECT_FALSE(s.ws.tableFile().loadTable(damaged));
    s.ui.answerFile(s.dir.path(QStringLiteral("no such folder/x.vtb")));
    EXPECT_FALSE(s.ws.tableFile().saveTable());
    s.ui.answerFile(QString());
    EXPECT_FALSE(s.ws.tableFile().saveTable());
    EXPECT_EQ(s.recentNames(), (QStringList{QStringLiteral("saved.vtb"), QStringLiteral("b.vtb"), QStringLiteral("a.vtb")}));

    // A table with its own settings file beside it brings its layout, not another list.
    s.dir.writeLines(QStringLiteral("a.ini"), {QStringLiteral("[RecentTables]"), QStringLiteral("File1=/elsewhere/x.vtb")});
    ASSERT_TRUE(s.ws.tableFile().loadTable(a));
    EXPECT_EQ(s.recentNames(), (QStringList{QStringLiteral("a.vtb"), QStringLiteral("saved.vtb"), QStringLiteral("b.vtb")}));
}

TEST(WorkspaceRecent, AnEntryWhoseFileIsGoneIsRemovedWithAMessage)
{
    Session s;
    const QString a = s.table(QStringLiteral("a.vtb"), QStringLiteral("表A"));
    const QString b = s.table(QStringLiteral("b.vtb"), QStringLiteral("表B"));
    ASSERT_TRUE(s.ws.tableFile().loadTable(a));
    ASSERT_TRUE(s.ws.tableFile().loadTable(b));
    ASSERT_TRUE(QFile::remove(a));
    // Even a changed table is not questioned for a file that cannot be loaded.
    s.ws.editing().markRearranged();
    ASSERT_TRUE(s.ws.isModified());
    s.ui.clearLog();

    EXPECT_FALSE(s.ws.tableFile().openRecentTable(a));

    EXPECT_EQ(s.ui.log(), QStringList{QStringLiteral("message:表ファイル「%1」が見つかりません。一覧から外します。")
                                          .arg(QDir::toNativeSeparators(a))});
    EXPECT_EQ(s.recentNames(), QStringList{QStringLiteral("b.vtb")});
    EXPECT_EQ(s.ws.tableTitle(), QStringLiteral("表B"));
    EXPECT_TRUE(s.ws.isModified());

    // An entry that is there loads, after the question about the changed table.
    const QString c = s.table(QStringLiteral("c.vtb"), QStringLiteral("表C"));
    s.ws.settings().recentTables.add(c);
    s.ui.answerNo();
    EXPECT_TRUE(s.ws.tableFile().openRecentTable(c));
    EXPECT_TRUE(s.ui.log().contains(QStringLiteral("yesnocancel:") + TableFileCommand::unsavedQuestion()));
    EXPECT_EQ(s.ws.tableTitle(), QStringLiteral("表C"));
    EXPECT_EQ(s.recentNames(), (QStringList{QStringLiteral("c.vtb"), QStringLiteral("b.vtb")}));
}

TEST(WorkspaceRecent, TheListLastsFromQuitToTheNextStart)
{
    Session s;
    const QString a = s.table(QStringLiteral("a.vtb"), QStringLiteral("表A"));
    const QString b = s.table(QStringLiteral("b.vtb"), QStringLiteral("表B"));
    ASSERT_TRUE(s.ws.tableFile().loadTable(b));
    ASSERT_TRUE(s.ws.tableFile().loadTable(a));
    ASSERT_TRUE(s.ws.program().quit());

    ScriptedUserInterface ui;
    Workspace next(&ui);
    next.program().start({}, s.dir.path(QStringLiteral("zelkor")));
    EXPECT_EQ(next.settings().recentTables.paths(), (QStringList{QFileInfo(a).absoluteFilePath(), QFileInfo(b).absoluteFilePath()}));
}
