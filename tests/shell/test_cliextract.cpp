#include "support/testsupport.h"
#include "table/headeritems.h"
#include "table/tablefile.h"
#include "table/tablemodel.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <gtest/gtest.h>

using namespace Zelkor;
using Zelkor::Test::runCli;
using Zelkor::Test::TempDir;

namespace {

QString exampleDb() { return Zelkor::Test::sourcePath(QStringLiteral("examples/dune.zki")); }
QString exampleDict() { return Zelkor::Test::sourcePath(QStringLiteral("examples/dune.dic")); }

struct Loaded
{
    TableModel model;
    HeaderItems items;
    QString title;
    bool ok = false;
};

void load(const QString &path, Loaded *t)
{
    TableFile f;
    t->ok = f.read(path, &t->model, &t->items, &t->title);
}

} // namespace

TEST(CliExtract, ConditionsSelectAndTheTableFileHoldsTheRelevés)
{
    TempDir dir;
    const QString out = dir.path(QStringLiteral("lolium.vtb"));
    auto r = runCli({QStringLiteral("extract"), exampleDb(), QStringLiteral("-o"), out, QStringLiteral("--dict"),
                     exampleDict(), QStringLiteral("--cond"), QStringLiteral("and:2:Lolium perenne"),
                     QStringLiteral("--title"), QStringLiteral("ライムギ草地")});
    ASSERT_EQ(r.exitCode, 0) << qPrintable(r.errText());
    const QString printed = r.outText().trimmed();
    ASSERT_TRUE(printed.startsWith(QStringLiteral("抽出数＝"))) << qPrintable(printed);
    const int fit = printed.mid(4).toInt();
    EXPECT_GT(fit, 0);

    Loaded t;
    load(out, &t);
    ASSERT_TRUE(t.ok);
    EXPECT_EQ(t.title, QStringLiteral("ライムギ草地"));
    EXPECT_EQ(t.model.releveCount(), fit);
    // Every relevé taken has Lolium perenne with a cover class of 2 or more.
    const int H = t.model.headerRows();
    int row = 0;
    for (int k = 1; k <= t.model.speciesCount(); ++k)
        if (t.model.grid().cell(2, H + k) == QStringLiteral("Lolium perenne"))
            row = H + k;
    ASSERT_GT(row, 0);
    for (int c = 4; c < 4 + fit; ++c) {
        const ByteDataSet codes = t.model.coverData().at(t.model.releveIndexAt(c), t.model.speciesIndexAt(row));
        EXPECT_GE(*std::max_element(codes.begin(), codes.end()), 20) << c;
    }

    // "not" takes the complement: together they are every relevé of the database.
    const QString rest = dir.path(QStringLiteral("rest.vtb"));
    r = runCli({QStringLiteral("extract"), exampleDb(), QStringLiteral("-o"), rest, QStringLiteral("--cond"),
                QStringLiteral("not:2:Lolium perenne")});
    ASSERT_EQ(r.exitCode, 0) << qPrintable(r.errText());
    EXPECT_EQ(fit + r.outText().trimmed().mid(4).toInt(), 20);

    // Appending to an existing table: the relevés of both runs.
    const QString both = dir.path(QStringLiteral("both.vtb"));
    r = runCli({QStringLiteral("extract"), exampleDb(), QStringLiteral("-o"), both, QStringLiteral("--table"), out,
                QStringLiteral("--records"), QStringLiteral("1-3")});
    ASSERT_EQ(r.exitCode, 0) << qPrintable(r.errText());
    Loaded b;
    load(both, &b);
    ASSERT_TRUE(b.ok);
    EXPECT_EQ(b.model.releveCount(), fit + 3);
    // Without --title the title is the one the database header gives.
    EXPECT_EQ(b.title, QStringLiteral("Dune meadows, Terschelling"));
}

// Records 1 to 5 in a table, then records 3 to 8 added to it: with --skip-present records 3 to 5
// are not added a second time, without it every one is.
TEST(CliExtract, SkipPresentLeavesOutTheRelevésTheTableHolds)
{
    TempDir dir;
    const QString first = dir.path(QStringLiteral("first.vtb"));
    auto r = runCli({QStringLiteral("extract"), exampleDb(), QStringLiteral("-o"), first, QStringLiteral("--records"),
                     QStringLiteral("1-5")});
    ASSERT_EQ(r.exitCode, 0) << qPrintable(r.errText());
    struct Case
    {
        bool skip;
        int releves;
        QString told;
    };
    const Case cases[] = {
        {true, 8, QStringLiteral("表に既にある測定 3 件は加えませんでした")},
        {false, 11, QString()},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.skip);
        const QString out = dir.path(QStringLiteral("more.vtb"));
        QStringList args{QStringLiteral("extract"), exampleDb(), QStringLiteral("-o"), out, QStringLiteral("--table"), first,
                         QStringLiteral("--records"), QStringLiteral("3-8")};
        if (c.skip)
            args << QStringLiteral("--skip-present");
        r = runCli(args);
        ASSERT_EQ(r.exitCode, 0) << qPrintable(r.errText());
        EXPECT_EQ(r.outText().trimmed(), QStringLiteral("抽出数＝6"));
        if (c.told.isEmpty())
            EXPECT_TRUE(r.errText().isEmpty()) << qPrintable(r.errText());
        else
            EXPECT_TRUE(r.errText().contains(c.told)) << qPrintable(r.errText());
        Loaded t;
        load(out, &t);
        ASSERT_TRUE(t.ok);
        ASSERT_EQ(t.model.releveCount(), c.releves);
        // Each relevé keeps its record, in the order taken.
        QList<int> records;
        for (int j = 1; j <= t.model.releveCount(); ++j)
            records << t.model.coverData().source(t.model.releveIndexAt(TableModel::releveColumn(j))).record;
        EXPECT_EQ(records, c.skip ? (QList<int>{1, 2, 3, 4, 5, 6, 7, 8}) : (QList<int>{1, 2, 3, 4, 5, 3, 4, 5, 6, 7, 8}));
    }

    const auto help = runCli({QStringLiteral("extract"), QStringLiteral("--help")});
    EXPECT_TRUE(help.outText().contains(QStringLiteral("--skip-present"))) << qPrintable(help.outText());
}

TEST(CliExtract, IgnoreCaseFoldsTheSpeciesNames)
{
    TempDir dir;
    auto fitOf = [&](const QStringList &options, const QString &name) {
        QStringList args{QStringLiteral("extract"), exampleDb(), QStringLiteral("-o"), dir.path(name)};
        args << options;
        const auto r = runCli(args);
        EXPECT_EQ(r.exitCode, 0) << qPrintable(r.errText());
        const QString printed = r.outText().trimmed();
        EXPECT_TRUE(printed.startsWith(QStringLiteral("抽出数＝"))) << qPrintable(printed);
        Loaded t;
        load(dir.path(name), &t);
        EXPECT_TRUE(t.ok);
        // The number printed is the number of relevés written.
        EXPECT_EQ(t.model.releveCount(), printed.mid(4).toInt());
        return printed.mid(4).toInt();
    };
    const QString cond = QStringLiteral("--cond");
    const QString ignore = QStringLiteral("--ignore-case");
    const int exact = fitOf({cond, QStringLiteral("and:+:Lolium perenne")}, QStringLiteral("exact.vtb"));
    ASSERT_GT(exact, 0);
    ASSERT_LT(exact, 20);
    struct Case
    {
        QStringList options;
        int expected;
    };
    const Case cases[] = {
        {{cond, QStringLiteral("and:+:lolium PERENNE")}, 0},
        {{cond, QStringLiteral("and:+:lolium PERENNE"), ignore}, exact},
        {{ignore, cond, QStringLiteral("and:+:ＬＯＬＩＵＭ ｐｅｒｅｎｎｅ")}, exact},
        {{cond, QStringLiteral("not:+:LOLIUM PERENNE"), ignore}, 20 - exact},
    };
    int k = 0;
    for (const Case &c : cases)
        EXPECT_EQ(fitOf(c.options, QStringLiteral("case%1.vtb").arg(++k)), c.expected) << qPrintable(c.options.join(u' '));

    const auto help = runCli({QStringLiteral("extract"), QStringLiteral("--help")});
    EXPECT_EQ(help.exitCode, 0);
    EXPECT_TRUE(help.outText().contains(QStringLiteral("--ignore-case"))) << qPrintable(help.outText());
}

TEST(CliExtract, ErrorsLeaveNothingUnderTheOutputName)
{
    TempDir dir;
    const QString out = dir.path(QStringLiteral("out.vtb"));
    struct Case
    {
        QStringList args;
        int exit;
    };
    const Case cases[] = {
        {{QStringLiteral("extract"), exampleDb()}, 2},
        {{QStringLiteral("extract"), exampleDb(), QStringLiteral("-o"), out, QStringLiteral("--cond"), QStringLiteral("maybe:2:X")}, 2},
        {{QStringLiteral("extract"), exampleDb(), QStringLiteral("-o"), out, QStringLiteral("--cond"), QStringLiteral("and:7:X")}, 2},
        {{QStringLiteral("extract"), exampleDb(), QStringLiteral("-o"), out, QStringLiteral("--records"), QStringLiteral("x-3")}, 2},
        {{QStringLiteral("extract"), exampleDb(), QStringLiteral("-o"), out, QStringLiteral("--records"), QStringLiteral("5-3")}, 2},
        {{QStringLiteral("extract"), exampleDb(), QStringLiteral("-o"), dir.path(QStringLiteral("no/such/out.vtb"))}, 1},
        {{QStringLiteral("extract"), exampleDb(), QStringLiteral("-o"), out, QStringLiteral("--bogus")}, 2},
        {{QStringLiteral("extract"), dir.path(QStringLiteral("none.zki")), QStringLiteral("-o"), out}, 1},
        {{QStringLiteral("extract"), exampleDb(), QStringLiteral("-o"), out, QStringLiteral("--dict"), dir.path(QStringLiteral("none.dic"))}, 1},
        {{QStringLiteral("extract"), exampleDb(), QStringLiteral("-o"), out, QStringLiteral("--table"), dir.path(QStringLiteral("none.vtb"))}, 1},
    };
    for (const Case &c : cases) {
        auto r = runCli(c.args);
        EXPECT_EQ(r.exitCode, c.exit) << qPrintable(c.args.join(QLatin1Char(' ')));
        EXPECT_FALSE(r.errText().isEmpty());
        EXPECT_FALSE(QFileInfo::exists(out)) << qPrintable(c.args.join(QLatin1Char(' ')));
    }
}

namespace {

// A copy of the example database pair in dir, as db.zki and db.zkd.
QString copyExample(const TempDir &dir)
{
    dir.writeBytes(QStringLiteral("db.zkd"), Zelkor::Test::readBytes(Zelkor::Test::sourcePath(QStringLiteral("examples/dune.zkd"))));
    return dir.writeBytes(QStringLiteral("db.zki"), Zelkor::Test::readBytes(exampleDb()));
}

} // namespace

// An output that is one of the command's inputs (however its path is spelled) or no regular file
// is refused before anything is read or written; the inputs stay as they were.
TEST(CliOutputs, InputsAndSpecialFilesAreNeverOverwritten)
{
    TempDir dir;
    const QString db = copyExample(dir);
    const QString dic = dir.writeBytes(QStringLiteral("d.dic"), Zelkor::Test::readBytes(exampleDict()));
    const QString table = dir.path(QStringLiteral("t.vtb"));
    ASSERT_EQ(runCli({QStringLiteral("extract"), db, QStringLiteral("-o"), table}).exitCode, 0);
    ASSERT_TRUE(Zelkor::Test::makeFifo(dir.path(QStringLiteral("pipe.vtb"))));
    const QString sites = dir.writeBytes(QStringLiteral("sites.csv"), "id,2\r\nA,a\r\n");
    // A species list that happens to bear the name of the species file mkdb writes.
    const QString species = dir.writeBytes(QStringLiteral("new.zkd"), "r,s,l,c\r\nA,Poa,H1,+\r\n");
    ASSERT_TRUE(QFile::link(sites, dir.path(QStringLiteral("link.zki"))));
    ASSERT_TRUE(QFile::link(table, dir.path(QStringLiteral("table-link.txt"))));
    const QString extract = QStringLiteral("extract");
    const QString o = QStringLiteral("-o");
    const struct { const char *what; QStringList args; QString kept; } cases[] = {
        {"the relevé file", {extract, db, o, db}, db},
        {"the species file", {extract, db, o, dir.path(QStringLiteral("db.zkd"))}, dir.path(QStringLiteral("db.zkd"))},
        {"the dictionary", {extract, db, QStringLiteral("--dict"), dic, o, dic}, dic},
        {"the table read, spelled otherwise",
         {extract, db, QStringLiteral("--table"), table, o, dir.path(QStringLiteral("x/../t.vtb"))}, table},
        {"a pipe", {extract, db, o, dir.path(QStringLiteral("pipe.vtb"))}, QString()},
        {"mkdb's species list", {QStringLiteral("mkdb"), sites, species, o, dir.path(QStringLiteral("new.zki"))}, species},
        {"mkdb's site list through a link", {QStringLiteral("mkdb"), sites, species, o, dir.path(QStringLiteral("link.zki"))}, sites},
        {"sort's own table", {QStringLiteral("sort"), table, o, table, QStringLiteral("--species")}, table},
        {"constancy's table through a link", {QStringLiteral("constancy"), table, o, dir.path(QStringLiteral("table-link.txt"))}, table},
        {"export's table through a link", {QStringLiteral("export"), QStringLiteral("text"), table, o, dir.path(QStringLiteral("table-link.txt"))}, table},
    };
    QDir().mkpath(dir.path(QStringLiteral("x")));
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        const QByteArray before = c.kept.isEmpty() ? QByteArray() : Zelkor::Test::readBytes(c.kept);
        const auto r = runCli(c.args);
        EXPECT_EQ(r.exitCode, 1);
        EXPECT_TRUE(r.outText().isEmpty()) << qPrintable(r.outText());
        EXPECT_TRUE(r.errText().contains(QStringLiteral("出力先"))) << qPrintable(r.errText());
        if (!c.kept.isEmpty()) {
            EXPECT_EQ(Zelkor::Test::readBytes(c.kept), before);
        }
    }
    EXPECT_TRUE(QFileInfo(dir.path(QStringLiteral("link.zki"))).isSymLink());
    EXPECT_FALSE(QFileInfo::exists(dir.path(QStringLiteral("new.zki"))));
}

// A full disk (here a file-size limit) while the output is written: the command fails with a
// clear message, prints no count, and the old table, or the old database pair, stays as it was.
TEST(CliOutputs, FullDiskFailsAndKeepsTheOldFiles)
{
    TempDir dir;
    const QString db = copyExample(dir);
    const QString table = dir.writeBytes(QStringLiteral("old.vtb"), "old table\r\n");
    const QString newDb = dir.writeBytes(QStringLiteral("new.zki"), "old relevés");
    dir.writeBytes(QStringLiteral("new.zkd"), "old species");
    const QString o = QStringLiteral("-o");
    const QString examples = Zelkor::Test::sourcePath(QStringLiteral("examples/"));
    const struct { const char *what; QStringList args; QStringList kept; } cases[] = {
        {"extract", {QStringLiteral("extract"), db, o, table}, {table}},
        {"mkdb", {QStringLiteral("mkdb"), examples + QStringLiteral("dune-sites.csv"), examples + QStringLiteral("dune-cover.csv"),
                  QStringLiteral("--header-items"), examples + QStringLiteral("dune-items.csv"), o, newDb},
         {newDb, dir.path(QStringLiteral("new.zkd"))}},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        std::vector<QByteArray> before;
        for (const QString &k : c.kept)
            before.push_back(Zelkor::Test::readBytes(k));
        const auto r = runCli(c.args, QString(), 1000);
        EXPECT_EQ(r.exitCode, 1);
        EXPECT_TRUE(r.outText().isEmpty()) << qPrintable(r.outText());
        EXPECT_TRUE(r.errText().contains(QStringLiteral("ファイルが大きすぎます"))) << qPrintable(r.errText());
        for (qsizetype k = 0; k < c.kept.size(); ++k)
            EXPECT_EQ(Zelkor::Test::readBytes(c.kept[k]), before[std::size_t(k)]) << qPrintable(c.kept[k]);
        EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files).size(), 5);
    }
}

// Damaged databases: a pipe and random bytes are refused at once; records that cannot be read
// are told on stderr; a name byte that is no Shift-JIS is mended and told, and the rest is
// extracted.
TEST(CliOutputs, DamagedDatabasesAreTold)
{
    TempDir dir;
    ASSERT_TRUE(Zelkor::Test::makeFifo(dir.path(QStringLiteral("pipe.zki"))));
    dir.writeBytes(QStringLiteral("pipe.zkd"), QByteArray(512, ' '));
    QByteArray junk(256 * 11, '\0');
    quint32 x = 12345;
    for (char &c : junk)
        c = char((x = x * 1103515245u + 12345u) >> 16);
    dir.writeBytes(QStringLiteral("junk.zkd"), junk);
    const QString random = dir.writeBytes(QStringLiteral("junk.zki"), junk);
    const QString cutDb = dir.writeBytes(QStringLiteral("cut/db.zki"), Zelkor::Test::readBytes(exampleDb()));
    dir.writeBytes(QStringLiteral("cut/db.zkd"),
                   Zelkor::Test::readBytes(Zelkor::Test::sourcePath(QStringLiteral("examples/dune.zkd"))).left(512 * 10));
    QByteArray species = Zelkor::Test::readBytes(Zelkor::Test::sourcePath(QStringLiteral("examples/dune.zkd")));
    species[512 + 3] = '\x81'; // the first name of relevé 1 gets a lead byte without its trail byte
    species[512 + 4] = ' ';
    dir.writeBytes(QStringLiteral("bad/db.zkd"), species);
    const QString badName = dir.writeBytes(QStringLiteral("bad/db.zki"), Zelkor::Test::readBytes(exampleDb()));

    const struct { const char *what; QString db; int exit; QString out; QString err; } cases[] = {
        {"pipe", dir.path(QStringLiteral("pipe.zki")), 1, QString(), QStringLiteral("通常のファイルではありません")},
        {"random bytes", random, 1, QString(), QStringLiteral("junk.zkd は植生データの種のファイルではありません")},
        {"species file cut short", cutDb, 0, QString(), QStringLiteral("件は読めない")},
        {"name byte that is no Shift-JIS", badName, 0, QStringLiteral("抽出数＝20\n"), QStringLiteral("レコード 1: 1 番目の種名")},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        const QString out = dir.path(QStringLiteral("out.vtb"));
        QFile::remove(out);
        const auto r = runCli({QStringLiteral("extract"), c.db, QStringLiteral("-o"), out});
        EXPECT_EQ(r.exitCode, c.exit) << qPrintable(r.errText());
        if (!c.out.isEmpty()) {
            EXPECT_EQ(r.outText(), c.out);
        }
        EXPECT_TRUE(r.errText().contains(c.err)) << qPrintable(r.errText());
        EXPECT_EQ(QFileInfo::exists(out), c.exit == 0);
    }
    const auto info = runCli({QStringLiteral("info"), dir.path(QStringLiteral("pipe.zki"))});
    EXPECT_EQ(info.exitCode, 1);
}
