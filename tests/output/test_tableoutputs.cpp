#include "output/tableoutputs.h"

#include "output/sampletable.h"
#include "output/tabletextfile.h"
#include "platform/scripteduserinterface.h"
#include "shell/workspace.h"
#include "support/testsupport.h"

#include <QDir>

#include <gtest/gtest.h>

using namespace Zelkor;
using Zelkor::Test::layer;
using Zelkor::Test::SampleTable;

namespace {

// The text output run from the output panel of a workspace holding a small table.
struct TextOutputTest : ::testing::Test
{
    ScriptedUserInterface ui;
    Workspace ws{&ui};
    Zelkor::Test::TempDir dir;

    void SetUp() override
    {
        SampleTable t{2, 30};
        t.setReleves(3);
        t.setItem(1, 2, QStringLiteral("A1"));
        t.addSpecies(QStringLiteral("Poa annua"), {{1, layer(5, 10)}, {3, layer(5, 23)}});
        t.addSpecies(QStringLiteral("a comment"));
        t.finish();
        ws.model() = t.model;
        ws.items() = t.items;
        ws.setTableTitle(QStringLiteral("Dunes"));
        ws.model().setModified(false);
    }

    void output(const QString &title)
    {
        ws.outputPanel().itemOutputClick(OutputPanel::TextFile);
        ws.outputPanel().setTitleText(title);
        ws.outputPanel().btnToPrintClick();
    }
};

} // namespace

TEST_F(TextOutputTest, PanelWritesTheLayoutUnderTheNewTitle)
{
    const QString path = dir.path(QStringLiteral("out.txt"));
    ui.answerFile(path);
    output(QStringLiteral("Dune meadows"));
    EXPECT_EQ(ui.lastFileRequest().fileName, QStringLiteral("Dune meadows.txt"));
    EXPECT_EQ(ui.lastFileRequest().filterIndex, 2);
    EXPECT_TRUE(ui.log().contains(QStringLiteral("work:　組成表をテキスト出力しています　|")));
    EXPECT_TRUE(ws.isModified()); // the new title goes with the table

    // The same lines as the layout writes for the whole table.
    TableLayoutOptions options = ws.tableOutputs().layoutOptions(OutputRange{1, 3, 1, 2});
    EXPECT_EQ(options.title, QStringLiteral("Dune meadows"));
    const QString expected = dir.path(QStringLiteral("expected.txt"));
    TableTextFile file;
    ASSERT_TRUE(file.write(TableLayout(ws.model(), ws.items(), options), 1, 2, expected));
    EXPECT_EQ(Zelkor::Test::readBytes(path), Zelkor::Test::readBytes(expected));
    EXPECT_TRUE(Zelkor::Test::readLines(path).contains(QStringLiteral("a comment")));
}

TEST_F(TextOutputTest, DeclinedOrFailedOutputsLeaveTheOldFile)
{
    const QString path = dir.writeBytes(QStringLiteral("old.txt"), "old");
    ui.answerFile(path);
    ui.answerNo(); // "同名のファイルが存在します。書き換えますか？" → Abort
    output(QStringLiteral("Dunes"));
    EXPECT_TRUE(ui.log().contains(QStringLiteral("yesabort:同名のファイルが存在します。書き換えますか？")));
    EXPECT_EQ(Zelkor::Test::readBytes(path), QByteArray("old"));
    EXPECT_FALSE(ws.isModified());

    // A comment that has no Shift-JIS form cannot be written: the old file stays, the user is told.
    ws.model().grid().setCell(2, ws.model().headerRows() + 2, QStringLiteral("a 🌿 comment"));
    ui.answerFile(path);
    ui.answerYes();
    output(QStringLiteral("Dunes"));
    EXPECT_EQ(Zelkor::Test::readBytes(path), QByteArray("old"));
    ASSERT_FALSE(ui.messages().isEmpty());
    EXPECT_TRUE(ui.messages().constLast().startsWith(QStringLiteral("組成表をテキスト出力できませんでした。")));
}

TEST_F(TextOutputTest, NoOutputReplacesAFileInUse)
{
    // The dictionary in use, chosen as the text file by mistake, stays as it was.
    const QString dic = dir.writeLines(QStringLiteral("names.dic"), {QStringLiteral("Poa,Poa annua")});
    ASSERT_TRUE(ws.setDictionary(dic));
    ws.settings().dictFileName = dic;
    const QByteArray before = Zelkor::Test::readBytes(dic);
    ui.clearLog();
    QDir(dir.path()).mkdir(QStringLiteral("sub")); // another spelling of the same file
    ui.answerFile(dir.path(QStringLiteral("sub/../names.dic")));
    output(QStringLiteral("Dunes"));
    EXPECT_EQ(Zelkor::Test::readBytes(dic), before);
    ASSERT_FALSE(ui.messages().isEmpty());
    EXPECT_FALSE(ui.log().join(QLatin1Char('\n')).contains(QStringLiteral("work:")));
}
