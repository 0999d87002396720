// Start-up, quit and the shell commands of the workspace, without a window.
#include "platform/scripteduserinterface.h"
#include "shell/workspace.h"
#include "support/testsupport.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

#include <gtest/gtest.h>


using namespace Zelkor;
using Zelkor::Test::TempDir;

namespace {

struct WorkspaceStartup : ::testing::Test
{
    TempDir dir;
    ScriptedUserInterface ui;
    Workspace ws{&ui};

    // The program file lives in the temporary folder, so its settings file is written there.
    QString programPath() const { return dir.path(QStringLiteral("zelkor")); }
    QString ownIni() const { return dir.path(QStringLiteral("zelkor.ini")); }
    void start(const QStringList &arguments = {}) { ws.program().start(arguments, programPath()); }
    // A settings file whose values differ from the defaults in ways the test can see.
    QString writeIni(const QString &name, const QString &title, int fontSize,
                     const QStringList &extra = {})
    {
        QStringList lines{QStringLiteral("[Table]"),
                          QStringLiteral("FontName=ＭＳ ゴシック"),
                          QStringLiteral("FontSize=%1").arg(fontSize),
                          QStringLiteral("Title=") + title};
        return dir.writeLines(name, lines + extra);
    }
};

TEST_F(WorkspaceStartup, WithoutArgumentsOrSettingsLaysOutTheEmptyTable)
{
    start();
    const TableModel &m = ws.model();
    EXPECT_EQ(m.grid().rowCount(), 159);
    EXPECT_EQ(m.grid().colCount(), 27);
    EXPECT_EQ(m.headerRows(), 19);
    EXPECT_EQ(m.grid().cell(3, 19), QStringLiteral("F＼N"));
    EXPECT_EQ(ws.iniFileName(), ownIni());
    EXPECT_EQ(ws.dataFileName(), Workspace::notSpecified());
    // The dictionary name stays as read when its file is missing.
    EXPECT_EQ(ws.dictFileName(), QStringLiteral("SynDict.dic"));
    EXPECT_TRUE(ui.log().contains(QStringLiteral("work:　組成表を白紙化しています　|")));
    EXPECT_FALSE(ui.workMessageShown());
}

TEST_F(WorkspaceStartup, ReadsTheProgramsOwnSettingsFile)
{
    writeIni(QStringLiteral("zelkor.ini"), QStringLiteral("Own"), 12);
    start();
    EXPECT_EQ(ws.settings().title, QStringLiteral("Own"));
    EXPECT_EQ(ws.model().tableFont().pointSize, 12);
    // The grid's sizes follow the font read: Round(12 * 4.4) and Round(12 * 1.333) + 2.
    EXPECT_EQ(ws.model().grid().defaultColWidth(), 53);
    EXPECT_EQ(ws.model().grid().defaultRowHeight(), 18);
}

struct CommandLineCase
{
    const char *argument;
    bool readsIni;     // the argument is read as the settings file
    bool namesTable;   // the argument becomes the table file name
};

class WorkspaceCommandLine : public WorkspaceStartup,
                             public ::testing::WithParamInterface<CommandLineCase>
{
};

TEST_P(WorkspaceCommandLine, TakesTheFirstArgumentByItsExtensionInAnyCase)
{
    const CommandLineCase c = GetParam();
    writeIni(QStringLiteral("zelkor.ini"), QStringLiteral("Own"), 9);
    const QString arg = dir.path(QString::fromUtf8(c.argument));
    writeIni(QString::fromUtf8(c.argument), QStringLiteral("FromArgument"), 10);
    start({arg, dir.path(QStringLiteral("second.ini"))});
    EXPECT_EQ(ws.settings().title, c.readsIni ? QStringLiteral("FromArgument") : QStringLiteral("Own"));
    EXPECT_EQ(ws.iniFileName(), c.readsIni ? arg : ownIni());
    // A table argument is loaded (here it holds no table, so the load says so).
    EXPECT_EQ(ui.log().join(QLatin1Char('\n')).contains(QStringLiteral("組成表を読み込めませんでした")), c.namesTable);
}

INSTANTIATE_TEST_SUITE_P(
    Arguments, WorkspaceCommandLine,
    ::testing::Values(CommandLineCase{"other.ini", true, false},
                      CommandLineCase{"other.INI", true, false},
                      CommandLineCase{"other.Ini", true, false},
                      CommandLineCase{"table.vtb", false, true},
                      CommandLineCase{"table.VtB", false, true},
                      CommandLineCase{"notes.txt", false, false},
                      CommandLineCase{"a.ini.txt", false, false},
                      CommandLineCase{"noextension", false, false}));

TEST_F(WorkspaceStartup, DatabaseNamedOnTheCommandLineIsOpenedInsteadOfTheSettingsOne)
{
    // A double-clicked database file starts the program with it, whatever the settings name.
    struct Case { const char *argument; bool opens; };
    const Case cases[] = {{"veg.zki", true}, {"veg.ZKI", true}, {"gone.zki", false}};
    for (const Case &c : cases) {
        SCOPED_TRACE(c.argument);
        TempDir folder;
        const QString zki = folder.writeBytes(QString::fromUtf8(c.argument).replace(QLatin1String("gone"), QLatin1String("other")),
                                              Zelkor::Test::readBytes(Zelkor::Test::sourcePath(QStringLiteral("examples/dune.zki"))));
        folder.writeBytes(QFileInfo(zki).completeBaseName() + QStringLiteral(".zkd"),
                          Zelkor::Test::readBytes(Zelkor::Test::sourcePath(QStringLiteral("examples/dune.zkd"))));
        ScriptedUserInterface ui2;
        Workspace ws2(&ui2);
        ws2.program().start({folder.path(QString::fromUtf8(c.argument))}, programPath());
        EXPECT_EQ(ws2.dataFileName(), c.opens ? zki : Workspace::notSpecified());
        EXPECT_EQ(ws2.session().recordCount() > 0, c.opens);
        EXPECT_TRUE(ui2.messages().isEmpty()) << ui2.log().join(QLatin1Char('\n')).toStdString();
        EXPECT_FALSE(ws2.isModified());
    }
}

TEST_F(WorkspaceStartup, OpensTheDatabaseFromTheDataFolderWhenItsZkiExists)
{
    const QString data = dir.path(QStringLiteral("data"));
    QDir().mkpath(data);
    dir.writeBytes(QStringLiteral("data/veg.zki"), QByteArray(256, ' '));
    dir.writeBytes(QStringLiteral("data/veg.zkd"), QByteArray("#\0", 2) + QByteArray(510, ' '));
    dir.writeLines(QStringLiteral("zelkor.ini"),
                   {QStringLiteral("[DataDir]"), QStringLiteral("Directory=") + data,
                    QStringLiteral("[DataFile]"), QStringLiteral("DataFile=veg.zki")});
    ws.items()[3].selected = !ws.items()[3].layout;
    start();
    EXPECT_EQ(ws.dataFileName(), data + QStringLiteral("/veg.zki"));
    // Opening a database sets every item's check mark to its layout flag.
    for (int n = 1; n <= HeaderItems::Count; ++n)
        EXPECT_EQ(ws.items()[n].selected, ws.items()[n].layout) << n;
}

TEST_F(WorkspaceStartup, MissingDatabaseIsNotSpecified)
{
    dir.writeLines(QStringLiteral("zelkor.ini"),
                   {QStringLiteral("[DataDir]"), QStringLiteral("Directory=") + dir.path(),
                    QStringLiteral("[DataFile]"), QStringLiteral("DataFile=gone.zki")});
    start();
    EXPECT_EQ(ws.dataFileName(), Workspace::notSpecified());
    EXPECT_EQ(ws.statusTexts().at(1), Workspace::notSpecified());
}

TEST_F(WorkspaceStartup, QuitWritesTheProgramsOwnSettingsFileEvenWhenAnotherWasRead)
{
    const QString other = writeIni(QStringLiteral("other.ini"), QStringLiteral("FromArgument"), 10);
    const QByteArray otherBefore = Zelkor::Test::readBytes(other);
    start({other});
    ws.settings().winWidth = 777;
    ASSERT_TRUE(ws.program().quit());
    EXPECT_EQ(ws.iniFileName(), ownIni());
    const QStringList lines = Zelkor::Test::readLines(ownIni());
    EXPECT_TRUE(lines.contains(QStringLiteral("Title=FromArgument")));
    EXPECT_TRUE(lines.contains(QStringLiteral("Width=777")));
    EXPECT_EQ(Zelkor::Test::readBytes(other), otherBefore);
    EXPECT_TRUE(ui.messages().isEmpty());
}

TEST_F(WorkspaceStartup, QuitReportsASettingsFileThatCannotBeWritten)
{
    start();
    // A folder where the settings file should be: writing must fail, and say so.
    QDir().mkpath(ownIni());
    EXPECT_FALSE(ws.program().quit());
    ASSERT_EQ(ui.messages().size(), 1);
    EXPECT_TRUE(ui.log().constLast().startsWith(QStringLiteral("error:エラー:")));
    EXPECT_TRUE(ui.messages().constFirst().contains(QStringLiteral("zelkor.ini")));
}

TEST_F(WorkspaceStartup, SettingsGoToTheUserConfigurationWhenTheProgramFolderIsNotWritable)
{
    QStandardPaths::setTestModeEnabled(true);
    ws.program().start({}, QStringLiteral("/nonexistent-zelkor-folder/bin/zelkor"));
    const QString expected = QDir(QStandardPaths::writableLocation(QStandardPaths::AppConfigLocation))
                                 .filePath(QStringLiteral("zelkor.ini"));
    EXPECT_EQ(ws.program().programIniFileName(), expected);
    EXPECT_EQ(ws.iniFileName(), expected);
    QStandardPaths::setTestModeEnabled(false);
}

TEST_F(WorkspaceStartup, ProgramIniFileNameReplacesTheProgramsExtension)
{
    ws.program().start({}, dir.path(QStringLiteral("zelkor.exe")));
    EXPECT_EQ(ws.program().programIniFileName(), ownIni());
}

TEST_F(WorkspaceStartup, DataCheckShowsOrHidesTheIndexRowAndColumn)
{
    start();
    ui.clearLog();
    int changes = 0;
    QObject::connect(&ws, &Workspace::tableChanged, &ws, [&changes] { ++changes; });
    ui.answerYes();
    ws.editing().askShowIndexes();
    EXPECT_EQ(ws.model().grid().rowHeight(0), 16);
    EXPECT_EQ(ws.model().grid().colWidth(0), 28);
    ui.answerNo();
    ws.editing().askShowIndexes();
    EXPECT_EQ(ws.model().grid().rowHeight(0), 1);
    EXPECT_EQ(ws.model().grid().colWidth(0), 1);
    EXPECT_EQ(changes, 2);
    EXPECT_EQ(ui.log().constFirst(),
              QStringLiteral("yesno:データ検査のため、内部データの参照を示す 行０、列０を表示しますか？"));
}

TEST_F(WorkspaceStartup, TableFontChoiceBecomesThePrintFontAndResizesTheGrid)
{
    start();
    EXPECT_EQ(ws.settingsCommand().fontDialogFont(), (FontSpec{QStringLiteral("ＭＳ ゴシック"), 9}));
    const FontSpec chosen{QStringLiteral("ＭＳ ゴシック"), 12};
    ui.answerFont(chosen);
    ws.settingsCommand().chooseTableFont();
    EXPECT_EQ(ws.settings().tableFont, chosen);
    EXPECT_EQ(ws.settings().printFont, chosen);
    EXPECT_EQ(ws.model().tableFont(), chosen);
    EXPECT_EQ(ws.model().grid().defaultColWidth(), 53);
    EXPECT_EQ(ws.model().grid().colWidth(2), 7 * 53);
    // The dialog opens with the font last chosen in it.
    EXPECT_EQ(ws.settingsCommand().fontDialogFont(), chosen);
}

TEST_F(WorkspaceStartup, CancelledFontDialogStillLaysTheTableOutAgain)
{
    start();
    ui.answerYes();
    ws.editing().askShowIndexes();
    const FontSpec before = ws.settings().tableFont;
    ui.cancelFont();
    ws.settingsCommand().chooseTableFont();
    EXPECT_EQ(ws.settings().tableFont, before);
    // The layout step hides the index row and column again.
    EXPECT_EQ(ws.model().grid().colWidth(0), 1);
    EXPECT_EQ(ws.model().grid().rowHeight(0), 1);
}

TEST_F(WorkspaceStartup, PrintFontButtonLeavesTheTableFont)
{
    start();
    const FontSpec table = ws.settings().tableFont;
    const FontSpec print{QStringLiteral("ＭＳ 明朝"), 11, true, false};
    ui.answerFont(print);
    ws.settingsCommand().choosePrintFont();
    EXPECT_EQ(ws.settings().printFont, print);
    EXPECT_EQ(ws.settings().tableFont, table);
    EXPECT_EQ(ws.model().tableFont(), table);
}

// Dropped files are told apart by case-sensitive substrings of their path.
struct DropCase
{
    const char *name;      // the dropped file, created in the folder (empty content)
    bool zkiBeside;        // a database pair of the same name lies beside it
    const char *expected;  // "table", "dictionary", "database" or "nothing"
};

class WorkspaceDrop : public WorkspaceStartup, public ::testing::WithParamInterface<DropCase>
{
};

TEST_P(WorkspaceDrop, TakesTheFileForWhatItsNameSays)
{
    const DropCase c = GetParam();
    start();
    const QString name = QString::fromUtf8(c.name);
    QString dropped;
    if (QString(name).endsWith(QLatin1String(".dic")))
        dropped = dir.writeBytes(name, Zelkor::Test::readBytes(Zelkor::Test::sourcePath(QStringLiteral("examples/dune.dic"))));
    else
        dropped = dir.writeBytes(name, "not a table\r\n");
    if (c.zkiBeside) {
        const QString base = QFileInfo(dropped).completeBaseName();
        for (const char *ext : {".zki", ".zkd"})
            dir.writeBytes(base + QLatin1String(ext),
                           Zelkor::Test::readBytes(Zelkor::Test::sourcePath(QStringLiteral("examples/dune") + QLatin1String(ext))));
    }
    ui.clearLog();
    ws.program().openDroppedFile(dropped);

    const QString expected = QString::fromUtf8(c.expected);
    // A table file that is no table is refused with a message: that shows it was read as one.
    EXPECT_EQ(!ui.messages().isEmpty(), expected == QLatin1String("table")) << ui.log().join(QLatin1Char('\n')).toStdString();
    EXPECT_EQ(ws.session().dictionary().entryCount() > 0, expected == QLatin1String("dictionary"));
    EXPECT_EQ(ws.dataFileName() == dropped, expected == QLatin1String("database"));
}

INSTANTIATE_TEST_SUITE_P(
    Names, WorkspaceDrop,
    ::testing::Values(DropCase{"t.vtb", false, "table"},
                      DropCase{"t.vtb", true, "table"},
                      DropCase{"a.dic.vtb", false, "table"},
                      DropCase{"syn.dic", false, "dictionary"},
                      DropCase{"T.VTB", true, "database"},
                      DropCase{"T.VTB", false, "nothing"},
                      DropCase{"syn.DIC", false, "nothing"},
                      DropCase{"notes.txt", false, "nothing"},
                      DropCase{"veg.csv", true, "database"}),
    [](const ::testing::TestParamInfo<DropCase> &info) {
        return Zelkor::Test::caseName(info.param.name) + (info.param.zkiBeside ? "_beside_a_database" : "");
    });

TEST(WorkspaceShell, WebHelpIsOnTheProgramsSite)
{
    EXPECT_TRUE(ProgramCommands::webHelpUrl().endsWith(QStringLiteral("/zkdb/zelkor-pg1.html")));
    EXPECT_TRUE(ProgramCommands::webHelpUrl().startsWith(QStringLiteral("https://")));
}

TEST(WorkspaceShell, HelpOpensTheInstalledGuideWhenItIsThere)
{
    // The program in PREFIX/bin, the guide in PREFIX/share/doc/zelkor/guide.
    TempDir prefix;
    QDir().mkpath(prefix.path(QStringLiteral("bin")));
    ScriptedUserInterface ui;
    Workspace ws(&ui);
    ws.program().start({}, prefix.path(QStringLiteral("bin/zelkor")));
    // Not installed: the guide of the source tree.
    EXPECT_EQ(ws.program().helpUrl(), QUrl::fromLocalFile(Zelkor::Test::sourcePath(QStringLiteral("docs/guide/index.html"))));

    QDir().mkpath(prefix.path(QStringLiteral("share/doc/zelkor/guide")));
    const QString index = prefix.writeBytes(QStringLiteral("share/doc/zelkor/guide/index.html"), "<html></html>");
    EXPECT_EQ(ws.program().helpUrl(), QUrl::fromLocalFile(index));
}

} // namespace
