// The settings command of the workspace: "設定ファイルの読込み" takes another settings file.
#include "platform/scripteduserinterface.h"
#include "shell/workspace.h"
#include "support/testsupport.h"

#include <QDir>

#include <gtest/gtest.h>

using namespace Zelkor;
using Zelkor::Test::TempDir;

namespace {

struct WorkspaceSettings : ::testing::Test
{
    TempDir dir;
    ScriptedUserInterface ui;
    Workspace ws{&ui};
    int settingsSignals = 0;

    void SetUp() override
    {
        ws.program().start({}, dir.path(QStringLiteral("zelkor")));
        QObject::connect(&ws, &Workspace::settingsRead, [this] { ++settingsSignals; });
        ws.settings().dataFileName = QStringLiteral("/data/veg/hakone.zki");
        ws.settings().dataDirectory = QStringLiteral("/data/veg");
        ws.settings().dictFileName = QStringLiteral("/data/veg/hakone.dic");
        ui.clearLog();
    }

    // A settings file that changes a little of everything the command takes or leaves.
    QString otherIni()
    {
        return dir.writeLines(QStringLiteral("other.ini"),
                              {QStringLiteral("[DataDir]"), QStringLiteral("Directory=/elsewhere"),
                               QStringLiteral("[DataFile]"), QStringLiteral("DataFile=other.zki"),
                               QStringLiteral("[Files]"), QStringLiteral("SynDict=other.dic"),
                               QStringLiteral("[Table]"), QStringLiteral("FontName=ＭＳ ゴシック"),
                               QStringLiteral("FontSize=11"), QStringLiteral("[Item]"),
                               QStringLiteral("UseDataItem=0"), QStringLiteral("C05flg=1"),
                               QStringLiteral("C05str=方位角"), QStringLiteral("Kaisou=A1A2B1B2C1C2 M"),
                               QStringLiteral("[WinSize]"), QStringLiteral("Width=720")});
    }
};

} // namespace

TEST_F(WorkspaceSettings, ReadINIAsksForASettingsFile)
{
    ui.answerFile(QString());
    ws.settingsCommand().chooseAndReadSettings();
    const FileDialogRequest &r = ui.lastFileRequest();
    EXPECT_EQ(r.selectedFilter(), QStringLiteral("設定ファイル (*.ini)|*.ini"));
    EXPECT_EQ(r.fileName, QStringLiteral("*.ini"));
    EXPECT_EQ(r.directory, QStringLiteral("/data/veg"));
    // Cancelled: nothing read.
    EXPECT_EQ(settingsSignals, 0);
    EXPECT_TRUE(ws.settings().useDataItem);
    EXPECT_NE(ws.iniFileName(), otherIni());
}

TEST_F(WorkspaceSettings, ReadINITakesTheSettingsButKeepsTheFilesInUse)
{
    const int headerRows = ws.model().headerRows();
    const QString path = otherIni();
    ui.answerFile(path);
    ws.settingsCommand().chooseAndReadSettings();
    EXPECT_TRUE(ui.messages().isEmpty());
    EXPECT_EQ(settingsSignals, 1);
    EXPECT_EQ(ws.iniFileName(), path);
    EXPECT_FALSE(ws.settings().useDataItem);
    EXPECT_EQ(ws.settings().tableFont, (FontSpec{QStringLiteral("ＭＳ ゴシック"), 11}));
    EXPECT_EQ(ws.model().tableFont().pointSize, 11);
    EXPECT_EQ(ws.settings().layerNames, QStringLiteral("A1A2B1B2C1C2 M"));
    EXPECT_EQ(ws.settings().winWidth, 720);
    EXPECT_TRUE(ws.items()[5].layout);
    EXPECT_EQ(ws.items()[5].label, QStringLiteral("方位角"));
    // No database or dictionary is opened by reading: the names stay those in use.
    EXPECT_EQ(ws.dataFileName(), QStringLiteral("/data/veg/hakone.zki"));
    EXPECT_EQ(ws.settings().dataDirectory, QStringLiteral("/data/veg"));
    EXPECT_EQ(ws.dictFileName(), QStringLiteral("/data/veg/hakone.dic"));
    // The new layout waits for the next clearing of the table.
    EXPECT_EQ(ws.model().headerRows(), headerRows);
    ws.document().clearTable();
    EXPECT_EQ(ws.model().headerRows(), headerRows + 1);
}

TEST_F(WorkspaceSettings, ReadINIOfAFileThatCannotBeReadChangesNothing)
{
    // A folder of that name cannot be read as a file.
    const QString folder = dir.path(QStringLiteral("folder.ini"));
    ASSERT_TRUE(QDir().mkpath(folder));
    const QString before = ws.iniFileName();
    ws.settings().useDataItem = true;
    ws.settings().layerNames = QStringLiteral("T1T2S1S2H1H2 M");
    ui.answerFile(folder);
    ws.settingsCommand().chooseAndReadSettings();
    ASSERT_EQ(ui.messages().size(), 1);
    EXPECT_TRUE(ui.log().constLast().startsWith(QStringLiteral("error:エラー:設定ファイル")));
    EXPECT_EQ(settingsSignals, 0);
    EXPECT_EQ(ws.iniFileName(), before);
    EXPECT_TRUE(ws.settings().useDataItem);
    EXPECT_EQ(ws.settings().layerNames, QStringLiteral("T1T2S1S2H1H2 M"));
}
