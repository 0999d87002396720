// The database and dictionary commands of the workspace: SetDataFile, ReadDataHeader, the menu
// commands that choose a database or dictionary, and "データ埋込項目を使う".
#include "database/databasebuilder.h"
#include "platform/scripteduserinterface.h"
#include "shell/workspace.h"
#include "support/testsupport.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <gtest/gtest.h>

using namespace Zelkor;
using Zelkor::Test::TempDir;

namespace {

struct WorkspaceDatabase : ::testing::Test
{
    TempDir dir;
    ScriptedUserInterface ui;
    Workspace ws{&ui};
    int databaseSignals = 0;
    int statusSignals = 0;

    void SetUp() override
    {
        QObject::connect(&ws.session(), &DatabaseSession::databaseChanged, [this] { ++databaseSignals; });
        QObject::connect(&ws, &Workspace::statusChanged, [this] { ++statusSignals; });
        ws.document().clearTable();
        ui.clearLog();
        statusSignals = 0;
    }

    // A database of `releves` relevés whose header renames item 11, takes item 8 out of the
    // layout and sets K 4, D 1.
    QString makeDatabase(const QString &name, int releves = 2, const QString &title = QStringLiteral("Testdaten"))
    {
        DatabaseBuilder b;
        b.setTitle(title);
        EXPECT_TRUE(b.setScales(4, 1));
        EXPECT_TRUE(b.setHeaderItem(11, true, QStringLiteral("水分")));
        EXPECT_TRUE(b.setHeaderItem(8, false, QStringLiteral("標高")));
        for (int i = 1; i <= releves; ++i) {
            DatabaseBuilder::Site s;
            s.id = QString::number(i);
            EXPECT_TRUE(b.addSite(s));
            EXPECT_TRUE(b.addSpecies(s.id, QStringLiteral("Poa annua"), QStringLiteral("H1"), QStringLiteral("1")));
        }
        const QString path = dir.path(name);
        QDir().mkpath(QFileInfo(path).absolutePath());
        EXPECT_TRUE(b.write(path)) << b.errorString().toStdString();
        return path;
    }
};

} // namespace

TEST_F(WorkspaceDatabase, SetDataFileTakesTheHeaderItemsWhenAskedTo)
{
    const QString db = makeDatabase(QStringLiteral("sub/veg.zki"));
    ASSERT_TRUE(ws.settings().useDataItem);
    ws.session().setDataFile(db);
    EXPECT_EQ(ws.dataFileName(), db);
    EXPECT_EQ(ws.settings().dataDirectory, dir.path(QStringLiteral("sub")));
    EXPECT_EQ(ws.session().recordCount(), 2);
    EXPECT_EQ(ws.tableTitle(), QStringLiteral("Testdaten"));
    EXPECT_EQ(ws.items()[11].label, QStringLiteral("水分"));
    EXPECT_TRUE(ws.items()[11].layout);
    EXPECT_EQ(ws.items()[8].label, QStringLiteral("標高"));
    EXPECT_FALSE(ws.items()[8].layout);
    // No relevés in the table: it is laid out afresh from the new flags.
    EXPECT_EQ(ws.model().headerRows(), ws.items().layoutCount() + 1);
    EXPECT_EQ(ws.model().grid().cell(2, 6), QStringLiteral("水分"));
    EXPECT_FALSE(ws.session().database().isOpen());
    EXPECT_EQ(databaseSignals, 1);
    EXPECT_GE(statusSignals, 1);
    EXPECT_EQ(ws.statusTexts().at(1), QStringLiteral("veg"));
    EXPECT_TRUE(ui.messages().isEmpty());
}

TEST_F(WorkspaceDatabase, SetDataFileLeavesTheItemsWhenNotAsked)
{
    const QString db = makeDatabase(QStringLiteral("veg.zki"));
    ws.settings().useDataItem = false;
    ws.setTableTitle(QStringLiteral("Mine"));
    ws.session().setDataFile(db);
    EXPECT_EQ(ws.session().recordCount(), 2);
    EXPECT_EQ(ws.tableTitle(), QStringLiteral("Mine"));
    EXPECT_EQ(ws.items()[11].label, HeaderItems::defaultLabel(11));
    EXPECT_TRUE(ws.items()[8].layout);
    EXPECT_EQ(databaseSignals, 1);
}

// A file that is no database is refused when it is chosen, saying why; the previous database
// stays the current one.
TEST_F(WorkspaceDatabase, FileThatIsNoDatabaseIsRefusedAndThePreviousOneStays)
{
    const QString good = makeDatabase(QStringLiteral("good.zki"), 3);
    ASSERT_TRUE(ws.session().setDataFile(good));
    ASSERT_EQ(ws.session().recordCount(), 3);
    const QStringList statusBefore = ws.statusTexts();

    const QString half = makeDatabase(QStringLiteral("half.zki"));
    QFile::remove(dir.path(QStringLiteral("half.zkd")));
    struct Case
    {
        const char *zki;
        QByteArray zkiBytes; // empty: a database made by the builder
        QByteArray zkdBytes;
        const char *says;
    };
    const QByteArray record0(256, ' ');
    QByteArray textHeader = QByteArray("# not UTF-16\r\n").leftJustified(512, ' ');
    QByteArray random(4096, '\0');
    for (int i = 0; i < random.size(); ++i)
        random[i] = char((i * 7919 + 13) % 251);
    const Case cases[] = {
        {"half.zki", {}, {}, "と対になる種のファイル"},
        {"empty.zki", QByteArray(), QByteArray(" "), "最初のレコードもありません"},
        {"text.zki", QByteArray("Achillea,1\r\nPoa,2\r\n"), textHeader, "最初のレコードもありません"},
        {"textpair.zki", record0 + record0, textHeader, "見出しのレコードがありません"},
        {"random.zki", random, random, "見出しのレコードがありません"},
        {"short.zki", record0 + record0, QByteArray("#\0"), "見出しのレコードがありません"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.zki);
        const QString zki = dir.path(QString::fromLatin1(c.zki));
        if (QString::fromLatin1(c.zki) != QLatin1String("half.zki")) {
            dir.writeBytes(QString::fromLatin1(c.zki), c.zkiBytes);
            dir.writeBytes(QString::fromLatin1(c.zki).replace(QLatin1String(".zki"), QLatin1String(".zkd")), c.zkdBytes);
        }
        ui.clearLog();
        databaseSignals = 0;
        EXPECT_FALSE(ws.session().setDataFile(zki));
        ASSERT_EQ(ui.messages().size(), 1);
        EXPECT_TRUE(ui.messages()[0].contains(QString::fromUtf8(c.says))) << ui.messages()[0].toStdString();
        EXPECT_TRUE(ui.messages()[0].endsWith(QStringLiteral("データファイルは %1 のままです。").arg(QDir::toNativeSeparators(good))));
        EXPECT_EQ(ws.dataFileName(), good);
        EXPECT_EQ(ws.session().recordCount(), 3);
        EXPECT_EQ(ws.statusTexts(), statusBefore);
        EXPECT_EQ(databaseSignals, 0);
    }
}

TEST_F(WorkspaceDatabase, ReadOnlyDatabaseOpens)
{
    const QString db = makeDatabase(QStringLiteral("ro.zki"));
    QFile::setPermissions(db, QFileDevice::ReadOwner);
    QFile::setPermissions(dir.path(QStringLiteral("ro.zkd")), QFileDevice::ReadOwner);
    ws.session().setDataFile(db);
    EXPECT_TRUE(ui.messages().isEmpty());
    EXPECT_EQ(ws.session().recordCount(), 2);
}

TEST_F(WorkspaceDatabase, FileChangeCommandAsksForAZkiFile)
{
    const QString db = makeDatabase(QStringLiteral("veg.zki"));
    ws.settings().dataDirectory = dir.path();
    ui.answerFile(QString());
    ws.session().chooseDataFile();
    const FileDialogRequest &r = ui.lastFileRequest();
    EXPECT_EQ(r.title, QStringLiteral("データファイルの指定・変更"));
    EXPECT_EQ(r.selectedFilter(), QStringLiteral("植生データファイル (*.zki)|*.zki"));
    EXPECT_EQ(r.fileName, QStringLiteral("*.zki"));
    EXPECT_EQ(r.directory, dir.path());
    EXPECT_EQ(ws.session().recordCount(), 0);
    EXPECT_EQ(databaseSignals, 0);

    ui.answerFile(db);
    ws.session().chooseDataFile();
    EXPECT_EQ(ws.dataFileName(), db);
    EXPECT_EQ(ws.session().recordCount(), 2);
}

TEST_F(WorkspaceDatabase, UseDataItemsCommand)
{
    const QString db = makeDatabase(QStringLiteral("veg.zki"));
    ws.settings().useDataItem = false;
    ws.session().setDataFile(db);
    ASSERT_EQ(ws.items()[11].label, HeaderItems::defaultLabel(11));

    ui.answerNo();
    ws.session().askUseDataItems();
    EXPECT_TRUE(ui.log().contains(QStringLiteral("yesno:見出し項目をデータファイルと一致させますか？")));
    EXPECT_FALSE(ws.settings().useDataItem);
    EXPECT_EQ(ws.items()[11].label, HeaderItems::defaultLabel(11));

    ui.answerYes();
    ws.session().askUseDataItems();
    EXPECT_TRUE(ws.settings().useDataItem);
    EXPECT_EQ(ws.items()[11].label, QStringLiteral("水分"));
    EXPECT_EQ(ws.tableTitle(), QStringLiteral("Testdaten"));
    EXPECT_EQ(ws.model().dataScaleK(), 4);
    EXPECT_EQ(ws.model().dataScaleD(), 1);
    EXPECT_EQ(ws.model().grid().cell(2, 6), QStringLiteral("水分")); // the table was laid out again
    EXPECT_FALSE(ws.session().database().isOpen());
}

TEST_F(WorkspaceDatabase, UseDataItemsWithoutADatabase)
{
    ASSERT_EQ(ws.dataFileName(), QStringLiteral("NoFile.zki"));
    ui.answerYes();
    ws.session().askUseDataItems();
    EXPECT_EQ(ui.messages(), QStringList{QStringLiteral("正しいデータファイルを指定して下さい")});
    EXPECT_EQ(ws.items()[11].label, HeaderItems::defaultLabel(11));
}

TEST_F(WorkspaceDatabase, HeaderForAnotherItemCountChangesNothing)
{
    const QString db = makeDatabase(QStringLiteral("veg.zki"));
    // Turn "#30$" into "#29$".
    QFile f(dir.path(QStringLiteral("veg.zkd")));
    ASSERT_TRUE(f.open(QIODevice::ReadWrite));
    ASSERT_TRUE(f.seek(4));
    f.write("2\0", 2);
    f.close();
    ws.setTableTitle(QString());
    ws.session().setDataFile(db);
    EXPECT_EQ(ws.session().recordCount(), 2);
    EXPECT_TRUE(ws.tableTitle().isEmpty());
    EXPECT_EQ(ws.items()[11].label, HeaderItems::defaultLabel(11));
}

TEST_F(WorkspaceDatabase, RecordCountChangeIsAnnounced)
{
    const QString db = makeDatabase(QStringLiteral("veg.zki"), 2);
    ws.session().setDataFile(db);
    databaseSignals = 0;
    ASSERT_TRUE(ws.session().openDataFile());
    ws.session().closeDataFile();
    EXPECT_EQ(databaseSignals, 0);
    makeDatabase(QStringLiteral("veg.zki"), 5); // the file changed on disk
    ASSERT_TRUE(ws.session().openDataFile());
    ws.session().closeDataFile();
    EXPECT_EQ(ws.session().recordCount(), 5);
    EXPECT_EQ(databaseSignals, 1);
}

TEST_F(WorkspaceDatabase, NewTableResetsTheSpeciesList)
{
    // A relevé whose count field asks for 30 entries beyond the 160: the list grows, and a new
    // table brings it back.
    DatabaseBuilder b;
    DatabaseBuilder::Site s;
    s.id = QStringLiteral("1");
    s.items[30] = QStringLiteral("190");
    ASSERT_TRUE(b.addSite(s));
    for (int i = 1; i <= 190; ++i)
        ASSERT_TRUE(b.addSpecies(s.id, QStringLiteral("sp %1").arg(i), QStringLiteral("H1"), QStringLiteral("+")));
    const QString db = dir.path(QStringLiteral("big.zki"));
    ASSERT_TRUE(b.write(db));
    ws.session().setDataFile(db);
    ASSERT_TRUE(ws.session().openDataFile());
    ASSERT_TRUE(ws.session().database().readReleve(1));
    ws.session().closeDataFile();
    EXPECT_EQ(ws.session().database().plantSetMax(), 194);
    ws.document().clearTable();
    EXPECT_EQ(ws.session().database().plantSetMax(), 159);
    EXPECT_EQ(ws.session().database().plantSet().size(), 160u);
}

TEST_F(WorkspaceDatabase, DictionaryCommand)
{
    const QString dic = dir.writeLines(QStringLiteral("syn.dic"), {QStringLiteral("Leontodon autumnalis,Scorzoneroides autumnalis")});
    ui.answerFile(dic);
    ws.session().chooseDictionary();
    EXPECT_EQ(ui.lastFileRequest().selectedFilter(), QStringLiteral("異名辞書ファイル (*.dic)|*.dic"));
    EXPECT_EQ(ui.lastFileRequest().fileName, QStringLiteral("*.dic"));
    EXPECT_EQ(ws.dictFileName(), dic);
    EXPECT_EQ(ws.session().synToCommonName(QStringLiteral("leontodon autumnalis")), QStringLiteral("Scorzoneroides autumnalis"));
    EXPECT_EQ(ws.statusTexts().at(7), QStringLiteral("syn.dic"));

    // Cancelled: the name stays, the status is refreshed all the same.
    statusSignals = 0;
    ui.answerFile(QString());
    ws.session().chooseDictionary();
    EXPECT_EQ(ws.dictFileName(), dic);
    EXPECT_EQ(statusSignals, 1);

    // A file that vanished before it was read: "未指定".
    ui.answerFile(dir.path(QStringLiteral("gone.dic")));
    ws.session().chooseDictionary();
    EXPECT_EQ(ws.dictFileName(), Workspace::notSpecified());
    EXPECT_EQ(ws.statusTexts().at(7), Workspace::notSpecified());
    // The entries loaded before stay: dictionaries are only added to.
    EXPECT_EQ(ws.session().synToCommonName(QStringLiteral("Leontodon autumnalis")), QStringLiteral("Scorzoneroides autumnalis"));
}

TEST_F(WorkspaceDatabase, DictionaryLinesThatAreNoShiftJisAreReported)
{
    const QString dic = dir.writeBytes(QStringLiteral("mixed.dic"), QByteArray("a,b\r\n\x82\xFF,c\r\nd,e\r\n"));
    EXPECT_TRUE(ws.session().loadDictionary(dic));
    ASSERT_EQ(ui.messages().size(), 1);
    EXPECT_TRUE(ui.messages().at(0).contains(QStringLiteral("1 行"))) << ui.messages().at(0).toStdString();
    EXPECT_EQ(ws.session().synToCommonName(QStringLiteral("D")), QStringLiteral("e"));
}

TEST_F(WorkspaceDatabase, DroppedDictionaryAndDatabase)
{
    const QString dic = dir.writeLines(QStringLiteral("drop.dic"), {QStringLiteral("A,B")});
    const QString before = ws.dictFileName();
    ws.program().openDroppedFile(dic);
    EXPECT_EQ(ws.session().synToCommonName(QStringLiteral("a")), QStringLiteral("B"));
    EXPECT_EQ(ws.dictFileName(), before);

    const QString db = makeDatabase(QStringLiteral("drop.zki"));
    ws.program().openDroppedFile(dir.path(QStringLiteral("drop.zkd")));
    EXPECT_EQ(ws.dataFileName(), dir.path(QStringLiteral("drop.zkd")));
    EXPECT_EQ(ws.session().recordCount(), 2);
    Q_UNUSED(db);
}

TEST_F(WorkspaceDatabase, StartUpOpensTheExampleDatabaseAndDictionary)
{
    const QString examples = Zelkor::Test::sourcePath(QStringLiteral("examples"));
    const QString ini = dir.writeLines(QStringLiteral("start.ini"),
                                       {QStringLiteral("[DataDir]"), QStringLiteral("Directory=") + examples,
                                        QStringLiteral("[DataFile]"), QStringLiteral("DataFile=dune.zki"),
                                        QStringLiteral("[Files]"), QStringLiteral("SynDict=") + examples + QStringLiteral("/dune.dic")});
    ws.program().start({ini}, dir.path(QStringLiteral("zelkor")));
    EXPECT_TRUE(ui.messages().isEmpty()) << ui.messages().join(QLatin1Char('|')).toStdString();
    EXPECT_EQ(ws.session().recordCount(), 20);
    EXPECT_EQ(ws.tableTitle(), QStringLiteral("Dune meadows, Terschelling"));
    EXPECT_EQ(ws.items()[12].label, QStringLiteral("水分"));
    EXPECT_TRUE(ws.items()[12].selected);
    EXPECT_FALSE(ws.items()[8].selected);
    EXPECT_EQ(ws.session().synToCommonName(QStringLiteral("Achimill")), QStringLiteral("Achillea millefolium"));
    EXPECT_EQ(ws.statusTexts().at(1), QStringLiteral("dune"));
    EXPECT_EQ(ws.statusTexts().at(7), QStringLiteral("dune.dic"));
}
