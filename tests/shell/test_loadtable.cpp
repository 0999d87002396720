// The table file commands of the workspace: "現在の表を保存する", "保存した表を読込む" and
// loading a table file with the settings file beside it.
#include "platform/scripteduserinterface.h"
#include "shell/workspace.h"
#include "support/testsupport.h"
#include "table/tablefile.h"
#include "table/tablefilecommand.h"

#include <QDir>
#include <QFileInfo>

#include <gtest/gtest.h>

using namespace Zelkor;
using Zelkor::Test::TempDir;

namespace {

const QString kOverwrite = QStringLiteral("同名のファイルが存在します。書き換えますか？");

struct TableFileCommands : ::testing::Test
{
    TempDir dir;
    ScriptedUserInterface ui;
    Workspace ws{&ui};
    int tableChanges = 0;

    void SetUp() override
    {
        QObject::connect(&ws, &Workspace::tableChanged, [this] { ++tableChanges; });
        ws.document().clearTable();
        ui.clearLog();
    }

    // Fills the workspace's table with `releves` relevés of `species` species (every species in
    // every relevé) and sets its title.
    void fill(int releves, int species, const QString &title)
    {
        TableModel &m = ws.model();
        const int h = m.headerRows();
        m.setReleveCount(releves);
        m.setSpeciesCount(species);
        for (int i = 1; i <= species; ++i) {
            m.grid().setCell(2, h + i, QStringLiteral("%1 sp%2").arg(title).arg(i));
            for (int j = 1; j <= releves; ++j) {
                m.grid().setCell(j + 3, h + i, QStringLiteral("   1"));
                m.coverData().set(m.releveIndexAt(j + 3), m.speciesIndexAt(h + i), ByteDataSet{0, 0, 0, 0, 10, 0, 0});
            }
        }
        m.recomputeFrequencies();
        ws.setTableTitle(title);
    }

    // A table file written straight through the table file class.
    QString writeTable(const QString &name, int releves, int species, const QString &title)
    {
        TableModel m;
        HeaderItems items;
        m.clearTable(items);
        const int h = m.headerRows();
        m.setReleveCount(releves);
        m.setSpeciesCount(species);
        for (int i = 1; i <= species; ++i) {
            m.grid().setCell(2, h + i, QStringLiteral("sp%1").arg(i));
            m.grid().setCell(4, h + i, QStringLiteral("   2"));
            m.coverData().set(1, i, ByteDataSet{0, 0, 0, 0, 20, 0, 0});
        }
        m.recomputeFrequencies();
        TableFile file;
        const QString path = dir.path(name);
        EXPECT_TRUE(file.write(m, title, path)) << file.errorString().toStdString();
        return path;
    }

    QStringList cellsOf(const TableModel &m) const
    {
        QStringList out;
        for (int r = 0; r < m.grid().rowCount(); ++r)
            m.grid().forEachInRow(r, [&](int c, const QString &t) { out << QStringLiteral("%1,%2=%3").arg(c).arg(r).arg(t); });
        return out;
    }
};

} // namespace

TEST_F(TableFileCommands, SaveAsksWithTheTableFileTypeAndTheTitleAsName)
{
    fill(2, 3, QStringLiteral("丹沢"));
    const QString path = dir.path(QStringLiteral("丹沢.vtb"));
    ui.answerFile(path);
    ws.tableFile().saveTable();

    const FileDialogRequest &r = ui.lastFileRequest();
    EXPECT_EQ(r.title, QStringLiteral("組成表の保存"));
    EXPECT_EQ(r.selectedFilter(), QStringLiteral("組成表で保存 (*.vtb)|*.vtb"));
    EXPECT_EQ(r.defaultExtension, QStringLiteral(".vtb"));
    EXPECT_EQ(r.fileName, QStringLiteral("丹沢.vtb"));
    EXPECT_FALSE(ui.log().contains(QStringLiteral("yesabort:") + kOverwrite));
    EXPECT_TRUE(ui.log().contains(QStringLiteral("work:　組成表を保存中　|")));
    EXPECT_EQ(ui.log().last(), QStringLiteral("work-closed"));
    ASSERT_TRUE(QFileInfo::exists(path));
    EXPECT_EQ(Zelkor::Test::readLines(path).value(1), QStringLiteral("3 2 19"));
    // The status bar names the file saved to, then the one saved under a new name; a cleared
    // table comes from no file.
    int statusSignals = 0;
    QObject::connect(&ws.document(), &TableDocument::statusChanged, [&] { ++statusSignals; });
    EXPECT_EQ(ws.tableFileName(), QStringLiteral("丹沢.vtb"));
    EXPECT_EQ(ws.statusTexts().at(9), QStringLiteral("丹沢.vtb"));
    ui.answerFile(dir.path(QStringLiteral("箱根.vtb")));
    ws.tableFile().saveTable();
    EXPECT_EQ(ws.statusTexts().at(9), QStringLiteral("箱根.vtb"));
    EXPECT_EQ(statusSignals, 1);
    ws.tableFile().clearTable();
    EXPECT_EQ(ws.statusTexts().at(9), QString());
    EXPECT_EQ(statusSignals, 2);
}

TEST_F(TableFileCommands, OverwriteAbortLeavesTheFileYesReplacesIt)
{
    const QString path = writeTable(QStringLiteral("old.vtb"), 1, 1, QStringLiteral("old"));
    const QByteArray old = Zelkor::Test::readBytes(path);
    fill(2, 2, QStringLiteral("new"));

    ui.answerFile(path);
    ui.answerNo(); // Abort
    ws.tableFile().saveTable();
    EXPECT_TRUE(ui.log().contains(QStringLiteral("yesabort:") + kOverwrite));
    EXPECT_FALSE(ui.log().contains(QStringLiteral("work:　組成表を保存中　|")));
    EXPECT_EQ(Zelkor::Test::readBytes(path), old);

    ui.answerFile(path);
    ui.answerYes();
    ws.tableFile().saveTable();
    EXPECT_EQ(Zelkor::Test::readLines(path).value(0), QStringLiteral("new"));
}

TEST_F(TableFileCommands, CancelledSaveDialogDoesNothing)
{
    fill(1, 1, QStringLiteral("t"));
    ws.tableFile().saveTable(); // nothing queued: the dialog is cancelled
    EXPECT_EQ(ui.log(), QStringList{QStringLiteral("save:組成表の保存")});
    EXPECT_TRUE(QDir(dir.path()).isEmpty());
}

TEST_F(TableFileCommands, FailedSaveIsReportedAndTheOldFileStays)
{
    const QString path = writeTable(QStringLiteral("old.vtb"), 1, 1, QStringLiteral("old"));
    const QByteArray old = Zelkor::Test::readBytes(path);
    fill(2, 2, QStringLiteral("new"));
    ws.model().coverData().set(1, 1, ByteDataSet{250, 0, 0, 0, 0, 0, 0}); // beyond one byte

    ui.answerFile(path);
    ui.answerYes();
    ws.tableFile().saveTable();
    ASSERT_EQ(ui.messages().size(), 1);
    EXPECT_TRUE(ui.messages()[0].contains(QStringLiteral("組成表を保存できませんでした")));
    EXPECT_TRUE(ui.messages()[0].contains(QStringLiteral("250")));
    EXPECT_EQ(ui.log().filter(QStringLiteral("work-closed")).size(), 1);
    EXPECT_FALSE(ui.workMessageShown());
    EXPECT_EQ(Zelkor::Test::readBytes(path), old);
}

TEST_F(TableFileCommands, LoadFromTheMenu)
{
    const QString path = writeTable(QStringLiteral("stored.vtb"), 1, 2, QStringLiteral("保存した表"));
    tableChanges = 0;
    ui.answerFile(path);
    ws.tableFile().chooseAndLoadTable();

    const FileDialogRequest &r = ui.lastFileRequest();
    EXPECT_EQ(r.title, QStringLiteral("組成表の読込"));
    EXPECT_EQ(r.selectedFilter(), QStringLiteral("植生組成表ファイル (*.vtb)|*.VTB"));
    EXPECT_EQ(r.fileName, QStringLiteral("*.vtb"));

    EXPECT_EQ(ws.model().releveCount(), 1);
    EXPECT_EQ(ws.model().speciesCount(), 2);
    EXPECT_EQ(ws.model().dataScaleD(), 2);
    EXPECT_EQ(ws.tableTitle(), QStringLiteral("保存した表"));
    EXPECT_EQ(ws.tableFileName(), QStringLiteral("stored.vtb"));
    EXPECT_EQ(ws.statusTexts().value(9), QStringLiteral("stored.vtb"));
    EXPECT_TRUE(ui.log().contains(QStringLiteral("work:　組成表を読込中　|")));
    EXPECT_EQ(ui.log().last(), QStringLiteral("work-closed"));
    EXPECT_GE(tableChanges, 1);
    EXPECT_TRUE(ui.messages().isEmpty());
}

TEST_F(TableFileCommands, SettingsFileBesideTheTableIsReadFirst)
{
    const QString path = writeTable(QStringLiteral("site.vtb"), 1, 1, QStringLiteral("site"));
    dir.writeLines(QStringLiteral("site.ini"),
                   {QStringLiteral("[Table]"), QStringLiteral("FontSize=12"), QStringLiteral("Title=From ini"),
                    QStringLiteral("[DataDir]"), QStringLiteral("Directory=/elsewhere"),
                    QStringLiteral("[DataFile]"), QStringLiteral("DataFile=other.zki"),
                    QStringLiteral("[Item]"), QStringLiteral("C05str=緯度（ini）")});
    const QString dataFile = ws.dataFileName();
    const QString dataDir = ws.settings().dataDirectory;
    int settingsReads = 0;
    QObject::connect(&ws, &Workspace::settingsRead, [&] { ++settingsReads; });

    ASSERT_TRUE(ws.tableFile().loadTable(path));
    EXPECT_EQ(ws.settings().tableFont.pointSize, 12);
    EXPECT_EQ(ws.model().tableFont().pointSize, 12);
    EXPECT_EQ(ws.model().grid().defaultColWidth(), TableModel::defaultColWidthFor(12));
    EXPECT_EQ(ws.settings().title, QStringLiteral("From ini"));
    EXPECT_EQ(ws.items()[5].label, QStringLiteral("緯度（ini）")); // not a header row of the table
    EXPECT_FALSE(ws.items()[5].layout);
    EXPECT_EQ(settingsReads, 1);
    // The open database is not the table's business.
    EXPECT_EQ(ws.dataFileName(), dataFile);
    EXPECT_EQ(ws.settings().dataDirectory, dataDir);
}

TEST_F(TableFileCommands, FailedLoadKeepsEverythingAsItWas)
{
    const QString good = writeTable(QStringLiteral("good.vtb"), 2, 3, QStringLiteral("good"));
    ASSERT_TRUE(ws.tableFile().loadTable(good));
    QByteArray bytes = Zelkor::Test::readBytes(good);
    bytes.chop(20); // cut off in the last line
    bytes.replace("good", "baad");
    bytes.truncate(bytes.lastIndexOf('\n') + 1);
    const QString bad = dir.writeBytes(QStringLiteral("bad.vtb"), bytes);
    dir.writeLines(QStringLiteral("bad.ini"), {QStringLiteral("[Table]"), QStringLiteral("FontSize=20")});

    const QStringList cells = cellsOf(ws.model());
    const int fontSize = ws.settings().tableFont.pointSize;
    ui.clearLog();
    EXPECT_FALSE(ws.tableFile().loadTable(bad));

    EXPECT_EQ(cellsOf(ws.model()), cells);
    EXPECT_EQ(ws.model().releveCount(), 2);
    EXPECT_EQ(ws.model().speciesCount(), 3);
    EXPECT_EQ(ws.tableTitle(), QStringLiteral("good"));
    EXPECT_EQ(ws.tableFileName(), QStringLiteral("good.vtb"));
    EXPECT_EQ(ws.settings().tableFont.pointSize, fontSize);
    ASSERT_EQ(ui.messages().size(), 1);
    EXPECT_TRUE(ui.messages()[0].contains(QStringLiteral("組成表を読み込めませんでした")));
    EXPECT_TRUE(ui.messages()[0].contains(QStringLiteral("bad.vtb")));
    EXPECT_TRUE(ui.log().contains(QStringLiteral("work:　組成表を読込中　|")));
    EXPECT_TRUE(ui.log().contains(QStringLiteral("work-closed")));
    EXPECT_FALSE(ui.workMessageShown());
}

TEST_F(TableFileCommands, UnreadableSettingsFileBesideTheTableStopsTheLoad)
{
    const QString path = writeTable(QStringLiteral("odd.vtb"), 1, 1, QStringLiteral("odd"));
    dir.writeBytes(QStringLiteral("odd.ini"), QByteArray("[Table]\r\nTitle=\x81\x20\r\n"));
    fill(1, 2, QStringLiteral("before"));
    const QStringList cells = cellsOf(ws.model());

    EXPECT_FALSE(ws.tableFile().loadTable(path));
    EXPECT_EQ(cellsOf(ws.model()), cells);
    EXPECT_EQ(ws.tableTitle(), QStringLiteral("before"));
    ASSERT_EQ(ui.messages().size(), 1);
    EXPECT_TRUE(ui.messages()[0].contains(QStringLiteral("odd.ini")));
    EXPECT_FALSE(ui.workMessageShown());
}

TEST_F(TableFileCommands, StartUpLoadsTheTableNamedOnTheCommandLine)
{
    const QString path = writeTable(QStringLiteral("cmd.VTB"), 1, 2, QStringLiteral("cmd"));
    ws.program().start({path}, dir.path(QStringLiteral("zelkor")));
    EXPECT_EQ(ws.tableTitle(), QStringLiteral("cmd"));
    EXPECT_EQ(ws.model().speciesCount(), 2);
}

// The save dialog may name the database, the dictionary or the settings file in use, or a file
// that is none: the table is not written there, and nothing is asked before the refusal.
TEST_F(TableFileCommands, SaveRefusesTheFilesInUseAndSpecialFiles)
{
    const QString zki = dir.writeBytes(QStringLiteral("db/d.zki"),
                                       Zelkor::Test::readBytes(Zelkor::Test::sourcePath(QStringLiteral("examples/dune.zki"))));
    const QString zkd = dir.writeBytes(QStringLiteral("db/d.zkd"),
                                       Zelkor::Test::readBytes(Zelkor::Test::sourcePath(QStringLiteral("examples/dune.zkd"))));
    const QString dic = dir.writeBytes(QStringLiteral("db/d.dic"), "A,B\r\n");
    ws.session().setDataFile(zki);
    ASSERT_TRUE(ws.session().loadDictionary(dic));
    ws.settings().dictFileName = dic;
    ASSERT_TRUE(Zelkor::Test::makeFifo(dir.path(QStringLiteral("pipe.vtb"))));
    fill(1, 1, QStringLiteral("t"));
    ui.clearLog();
    const struct { const char *what; QString path; } cases[] = {
        {"relevé file", zki},
        {"species file, spelled otherwise", dir.path(QStringLiteral("db/../db/d.zkd"))},
        {"dictionary", dic},
        {"pipe", dir.path(QStringLiteral("pipe.vtb"))},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        const bool file = QFileInfo(c.path).isFile(); // a pipe is not read: it would wait for ever
        const QByteArray before = file ? Zelkor::Test::readBytes(c.path) : QByteArray();
        ui.clearLog();
        ui.answerFile(c.path);
        ws.tableFile().saveTable();
        ASSERT_EQ(ui.messages().size(), 1);
        EXPECT_TRUE(ui.messages().at(0).contains(QStringLiteral("出力先"))) << qPrintable(ui.messages().at(0));
        EXPECT_EQ(ui.log().size(), 2) << qPrintable(ui.log().join(QLatin1Char('\n'))); // the dialog, the error
        if (file) {
            EXPECT_EQ(Zelkor::Test::readBytes(c.path), before);
        }
    }
    EXPECT_FALSE(QFileInfo(dir.path(QStringLiteral("pipe.vtb"))).isFile());
    EXPECT_EQ(Zelkor::Test::readBytes(zkd),
              Zelkor::Test::readBytes(Zelkor::Test::sourcePath(QStringLiteral("examples/dune.zkd"))));
}

// The load and the save show their progress with "中止"; pressed, the load leaves the table, its
// settings and names as they were, the save leaves the old file, and neither says a word.
TEST_F(TableFileCommands, StoppedLoadAndSaveChangeNothing)
{
    const QString other = writeTable(QStringLiteral("other.vtb"), 3, 2, QStringLiteral("other"));
    dir.writeLines(QStringLiteral("other.ini"), {QStringLiteral("[Table]"), QStringLiteral("FontSize=20")});
    fill(2, 3, QStringLiteral("present"));
    ws.model().setModified(true);
    const QStringList cells = cellsOf(ws.model());
    const int fontSize = ws.settings().tableFont.pointSize;

    // At the first report (the file read in one piece) and at the last (the table made).
    for (const int at : {1, 2}) {
        ui.clearLog();
        ui.cancelWorkAt(at);
        EXPECT_FALSE(ws.tableFile().loadTable(other));
        EXPECT_TRUE(ui.log().contains(QStringLiteral("cancel"))) << at;
        EXPECT_TRUE(ui.log().contains(QStringLiteral("work:　組成表を読込中　|"))) << at;
        EXPECT_TRUE(ui.messages().isEmpty()) << at;
        EXPECT_FALSE(ui.workMessageShown());
        EXPECT_EQ(cellsOf(ws.model()), cells);
        EXPECT_EQ(ws.tableTitle(), QStringLiteral("present"));
        EXPECT_TRUE(ws.tableFileName().isEmpty());
        EXPECT_EQ(ws.settings().tableFont.pointSize, fontSize);
        EXPECT_TRUE(ws.model().isModified());
    }

    const QByteArray old = Zelkor::Test::readBytes(other);
    ui.clearLog();
    ui.answerFile(other);
    ui.answerYes(); // overwrite
    ui.cancelWorkAt(1);
    EXPECT_FALSE(ws.tableFile().saveTable());
    EXPECT_TRUE(ui.log().contains(QStringLiteral("cancel")));
    EXPECT_TRUE(ui.log().contains(QStringLiteral("work:　組成表を保存中　|")));
    EXPECT_TRUE(ui.messages().isEmpty());
    EXPECT_EQ(Zelkor::Test::readBytes(other), old);
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden),
              (QStringList{QStringLiteral("other.ini"), QStringLiteral("other.vtb")}));
    EXPECT_TRUE(ws.model().isModified());
    EXPECT_TRUE(ws.document().tableFilePath().isEmpty());

    // Not stopped, both go through, and the progress reaches the whole file.
    ui.clearLog();
    ui.answerFile(other);
    ui.answerYes();
    ASSERT_TRUE(ws.tableFile().saveTable());
    EXPECT_TRUE(ui.log().contains(QStringLiteral("work:　組成表を保存中　|") + TableFileCommand::progressLabel() + QStringLiteral("100")));
    EXPECT_FALSE(ws.model().isModified());
    ui.clearLog();
    ASSERT_TRUE(ws.tableFile().loadTable(other));
    EXPECT_TRUE(ui.log().contains(QStringLiteral("work:　組成表を読込中　|") + TableFileCommand::progressLabel() + QStringLiteral("100")));
    EXPECT_EQ(ws.tableFileName(), QStringLiteral("other.vtb"));
    EXPECT_EQ(ws.model().speciesCount(), 3);
}

// Codes outside the cover scale (a database's "60") are kept and count as occurrences; loading
// says how many cells hold them, and the published text prints them " ? ", not " . ".
TEST_F(TableFileCommands, CodesOutsideTheScaleAreToldAndPrintedAsUnknown)
{
    TableModel m;
    HeaderItems items;
    m.clearTable(items);
    const int h = m.headerRows();
    m.setReleveCount(2);
    m.setSpeciesCount(2);
    const ByteDataSet codes[2][2] = {{{0, 0, 0, 0, 60, 0, 0}, {0, 0, 0, 0, 20, 0, 0}},
                                     {{0, 0, 0, 0, 23, 0, 63}, {0, 0, 0, 0, 0, 0, 0}}};
    for (int i = 1; i <= 2; ++i) {
        m.grid().setCell(2, h + i, QStringLiteral("sp%1").arg(i));
        for (int j = 1; j <= 2; ++j) {
            if (isEmpty(codes[i - 1][j - 1]))
                continue;
            m.grid().setCell(j + 3, h + i, QStringLiteral("   x"));
            m.coverData().set(m.releveIndexAt(j + 3), m.speciesIndexAt(h + i), codes[i - 1][j - 1]);
        }
    }
    m.recomputeFrequencies();
    EXPECT_EQ(m.cellsOutsideTheScale(), 2);
    const QString path = dir.path(QStringLiteral("outside.vtb"));
    ASSERT_TRUE(TableFile().write(m, QStringLiteral("t"), path));

    ASSERT_TRUE(ws.tableFile().loadTable(path));
    EXPECT_EQ(ws.model().coverData().at(ws.model().releveIndexAt(4), ws.model().speciesIndexAt(h + 1))[4], 60);
    EXPECT_EQ(ui.messages(), QStringList{QStringLiteral("表の 2 個の升目に、被度の尺度にない符号があります（出現として数え、出力では「?」と示します）。")});

    const QString text = dir.path(QStringLiteral("outside.txt"));
    const auto r = Zelkor::Test::runCli({QStringLiteral("export"), QStringLiteral("text"), path, QStringLiteral("-o"), text});
    ASSERT_EQ(r.exitCode, 0) << r.errText().toStdString();
    EXPECT_TRUE(r.errText().contains(QStringLiteral("警告: 表の 2 個の升目"))) << r.errText().toStdString();
    const QStringList lines = Zelkor::Test::readLines(text);
    const QStringList sp1 = lines.filter(QStringLiteral("sp1"));
    ASSERT_EQ(sp1.size(), 1);
    EXPECT_TRUE(sp1[0].endsWith(QStringLiteral("H1:   ?    2 "))) << sp1[0].toStdString();
}
