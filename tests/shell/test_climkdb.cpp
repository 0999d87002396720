#include "shell/cli/clicommands.h"

#include "database/vegdatabase.h"
#include "platform/cp932.h"
#include "support/testsupport.h"

#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <gtest/gtest.h>
#include <map>

using namespace Zelkor;
using Zelkor::Test::TempDir;

namespace {

struct CliRun
{
    int code = -1;
    QString out;
    QString err;
};

CliRun run(Cli::CommandFunction f, const QStringList &args)
{
    CliRun r;
    QTextStream out(&r.out);
    QTextStream err(&r.err);
    r.code = f(args, out, err);
    out.flush();
    err.flush();
    return r;
}

// "key<TAB>value" lines of the info report; item lines as "項目 N" → "flag<TAB>caption".
std::map<QString, QString> infoFields(const QString &report)
{
    std::map<QString, QString> m;
    for (const QString &line : report.split(QLatin1Char('\n'))) {
        const QStringList f = line.split(QLatin1Char('\t'));
        if (f.size() == 4 && f[0] == QStringLiteral("項目"))
            m[QStringLiteral("項目 ") + f[1]] = f[2] + QLatin1Char('\t') + f[3];
        else if (f.size() == 2)
            m.emplace(f[0], f[1]);
    }
    return m;
}

// Rows of a plain comma-separated file with a header line (the fixture data have no quoting).
QList<QStringList> csvRows(const QString &fileName)
{
    QList<QStringList> rows;
    QFile f(fileName);
    EXPECT_TRUE(f.open(QIODevice::ReadOnly)) << fileName.toStdString();
    const QList<QByteArray> lines = f.readAll().split('\n');
    for (qsizetype i = 1; i < lines.size(); ++i) {
        const QString line = QString::fromUtf8(lines[i]).trimmed();
        if (!line.isEmpty())
            rows << line.split(QLatin1Char(','));
    }
    return rows;
}

QString example(const QString &name)
{
    return Zelkor::Test::sourcePath(QStringLiteral("examples/") + name);
}

CliRun buildExample(const TempDir &dir)
{
    return run(Cli::runMkdb, {example(QStringLiteral("dune-sites.csv")), example(QStringLiteral("dune-cover.csv")),
                              QStringLiteral("-o"), dir.path(QStringLiteral("dune.zki")), QStringLiteral("--title"),
                              QStringLiteral("Dune meadows, Terschelling"), QStringLiteral("--header-items"),
                              example(QStringLiteral("dune-items.csv")), QStringLiteral("--k"), QStringLiteral("5"),
                              QStringLiteral("--d"), QStringLiteral("2")});
}

} // namespace

TEST(CliMkdb, ExampleDataRoundTrip)
{
    TempDir dir;
    const CliRun made = buildExample(dir);
    ASSERT_EQ(made.code, 0) << made.err.toStdString();
    EXPECT_TRUE(made.err.isEmpty()) << made.err.toStdString();

    const CliRun info = run(Cli::runInfo, {dir.path(QStringLiteral("dune.zki"))});
    ASSERT_EQ(info.code, 0) << info.err.toStdString();
    auto fields = infoFields(info.out);
    EXPECT_EQ(fields[QStringLiteral("タイトル")], QStringLiteral("Dune meadows, Terschelling"));
    EXPECT_EQ(fields[QStringLiteral("レコード数")], QStringLiteral("20"));
    EXPECT_EQ(fields[QStringLiteral("項目 11")], QStringLiteral("1\tA1層厚(cm)"));
    EXPECT_EQ(fields[QStringLiteral("項目 8")], QStringLiteral("0\t調査地標高(m)"));
    EXPECT_EQ(fields[QStringLiteral("K")], QStringLiteral("5"));
    EXPECT_EQ(fields[QStringLiteral("D")], QStringLiteral("2"));

    // Every relevé against the published data: site values and each species' code.
    QHash<QString, QString> fullName;
    for (const QStringList &r : csvRows(Zelkor::Test::fixturePath(QStringLiteral("dune/dune_taxa.csv"))))
        fullName.insert(r[0], r[4]);
    const QHash<QString, quint8> bytes{{QStringLiteral("r"), 6}, {QStringLiteral("+"), 1}, {QStringLiteral("1"), 10},
                                       {QStringLiteral("2"), 20}, {QStringLiteral("3"), 30}, {QStringLiteral("4"), 40},
                                       {QStringLiteral("5"), 50}};
    std::map<int, std::map<QString, quint8>> expected;
    for (const QStringList &r : csvRows(Zelkor::Test::fixturePath(QStringLiteral("dune/dune_bb.csv")))) {
        ASSERT_EQ(r[2], QStringLiteral("H1"));
        expected[r[0].toInt()][fullName.value(r[1])] = bytes.value(r[3], 255);
    }
    const QList<QStringList> env = csvRows(Zelkor::Test::fixturePath(QStringLiteral("dune/dune_env.csv")));
    ASSERT_EQ(env.size(), 20);

    VegDatabase db;
    ASSERT_TRUE(db.openDataFile(dir.path(QStringLiteral("dune.zki"))));
    int entries = 0;
    for (int rec = 1; rec <= 20; ++rec) {
        SCOPED_TRACE(rec);
        ASSERT_TRUE(db.readReleve(rec));
        const QStringList &e = env[rec - 1];
        EXPECT_EQ(db.itemText(2), QStringLiteral("D%1").arg(rec, 2, 10, QLatin1Char('0')));
        EXPECT_EQ(db.itemText(3), QStringLiteral("Terschel"));
        EXPECT_EQ(db.itemText(11), e[1]);
        EXPECT_EQ(db.itemText(12), e[2]);
        EXPECT_EQ(db.itemText(13), e[3]);
        EXPECT_EQ(db.itemText(14), e[5]);
        std::map<QString, quint8> got;
        for (int i = 1; i <= db.plantCount(); ++i) {
            const TabSp &sp = db.plantSet()[std::size_t(i)];
            EXPECT_EQ(sp.dby[0] | sp.dby[1] | sp.dby[2] | sp.dby[3] | sp.dby[5] | sp.dby[6], 0);
            got[sp.nam.trimmed()] = sp.dby[4];
        }
        EXPECT_EQ(got, expected[rec]);
        EXPECT_EQ(db.itemText(30), QString::number(expected[rec].size()));
        entries += db.plantCount();
    }
    EXPECT_EQ(entries, 197);
}

TEST(CliMkdb, CommittedExampleDatabaseIsWhatTheScriptBuilds)
{
    TempDir dir;
    ASSERT_EQ(buildExample(dir).code, 0);
    EXPECT_EQ(Zelkor::Test::readBytes(dir.path(QStringLiteral("dune.zki"))), Zelkor::Test::readBytes(example(QStringLiteral("dune.zki"))));
    EXPECT_EQ(Zelkor::Test::readBytes(dir.path(QStringLiteral("dune.zkd"))), Zelkor::Test::readBytes(example(QStringLiteral("dune.zkd"))));
}

TEST(CliMkdb, JapaneseFixtureRoundTrip)
{
    TempDir dir;
    const QString sites = dir.writeLines(QStringLiteral("sites.csv"),
                                         {QStringLiteral("測定,識別記号,調査地名,調査年月日,地理区画コード,8,傾斜方位,30,K,D"),
                                          QStringLiteral("a,屋久01,屋久島,19980721,47303612,1350,ＮＷ,,5,2"),
                                          QStringLiteral("b,屋久02,宮之浦岳,19980722,47303613,1800,Ｓ,,5,1")});
    const QString species = dir.writeLines(QStringLiteral("species.csv"),
                                           {QStringLiteral("測定,種名,階層,優占度"),
                                            QStringLiteral("a,スギ,T1,45"), QStringLiteral("a,ヤクシマシャクナゲ,S1,23"),
                                            QStringLiteral("a,ヤクシマシャクナゲ,H1,+"), QStringLiteral("a,コケ類の一種（未同定）,M,e"),
                                            QStringLiteral("b,ヤクザサ,H1,55"), QStringLiteral("b,ミヤマビャクシン,S2,?")});
    const CliRun made = run(Cli::runMkdb, {sites, species, QStringLiteral("-o"), dir.path(QStringLiteral("屋久島.zki")),
                                        QStringLiteral("--title"), QStringLiteral("屋久島の高地植生"), QStringLiteral("--d=1")});
    ASSERT_EQ(made.code, 0) << made.err.toStdString();

    const CliRun info = run(Cli::runInfo, {dir.path(QStringLiteral("屋久島.zki")), QStringLiteral("--releves"), QStringLiteral("1-2")});
    ASSERT_EQ(info.code, 0);
    const auto fields = infoFields(info.out);
    EXPECT_EQ(fields.at(QStringLiteral("タイトル")), QStringLiteral("屋久島の高地植生"));
    EXPECT_EQ(fields.at(QStringLiteral("レコード数")), QStringLiteral("2"));
    EXPECT_EQ(fields.at(QStringLiteral("D")), QStringLiteral("1"));
    EXPECT_TRUE(info.out.contains(QStringLiteral("種\t2\tヤクシマシャクナゲ\tS1:23 H1:+\n"))) << info.out.toStdString();
    EXPECT_TRUE(info.out.contains(QStringLiteral("種\t3\tコケ類の一種（未同定）\tM:e\n")));
    EXPECT_TRUE(info.out.contains(QStringLiteral("種\t2\tミヤマビャクシン\tS2:?\n")));

    VegDatabase db;
    ASSERT_TRUE(db.openDataFile(dir.path(QStringLiteral("屋久島.zki"))));
    ASSERT_TRUE(db.readReleve(1));
    EXPECT_EQ(db.itemText(2), QStringLiteral("屋久01"));
    EXPECT_EQ(db.itemText(3), QStringLiteral("屋久島"));
    EXPECT_EQ(db.itemText(4), QStringLiteral("19980721"));
    EXPECT_EQ(db.meshCode(), QStringLiteral("47303612"));
    EXPECT_EQ(db.itemText(8), QStringLiteral("1350"));
    EXPECT_EQ(db.itemText(9), QStringLiteral("ＮＷ"));
    EXPECT_EQ(db.itemText(30), QStringLiteral("3"));
    EXPECT_EQ(db.plantCount(), 3);
    EXPECT_EQ(db.plantSet()[1].nam.trimmed(), QStringLiteral("スギ"));
    EXPECT_EQ(db.plantSet()[1].dby, (ByteDataSet{45, 0, 0, 0, 0, 0, 0}));
    EXPECT_EQ(db.plantSet()[2].dby, (ByteDataSet{0, 0, 23, 0, 1, 0, 0}));
    EXPECT_EQ(db.plantSet()[3].dby, (ByteDataSet{0, 0, 0, 0, 0, 0, 8}));
    ASSERT_TRUE(db.readReleve(2));
    EXPECT_EQ(db.itemText(3), QStringLiteral("宮之浦岳"));
    EXPECT_EQ(db.dataScaleD(), 1);
    EXPECT_EQ(db.plantSet()[1].dby, (ByteDataSet{0, 0, 0, 0, 55, 0, 0}));
    EXPECT_EQ(db.plantSet()[2].dby, (ByteDataSet{0, 0, 0, 9, 0, 0, 0}));
}

TEST(CliMkdb, UsageAndUserErrors)
{
    TempDir dir;
    const QString sites = dir.writeLines(QStringLiteral("s.csv"), {QStringLiteral("id,2"), QStringLiteral("1,x")});
    const QString species = dir.writeLines(QStringLiteral("p.csv"), {QStringLiteral("r,s,l,c"), QStringLiteral("1,Poa,H1,+")});
    const QString out = dir.path(QStringLiteral("o.zki"));
    struct Case { QStringList args; int code; QString errPart; };
    const Case cases[] = {
        {{sites, species}, 2, QStringLiteral("使い方:")},
        {{sites, QStringLiteral("-o"), out}, 2, QStringLiteral("使い方:")},
        {{sites, species, QStringLiteral("-o"), out, QStringLiteral("--bogus")}, 2, QStringLiteral("--bogus")},
        {{sites, species, QStringLiteral("-o"), out, QStringLiteral("--k")}, 2, QStringLiteral("--k")},
        {{sites, species, QStringLiteral("-o"), out, QStringLiteral("--k"), QStringLiteral("12")}, 2, QStringLiteral("--k")},
        {{sites, species, QStringLiteral("-o"), dir.path(QStringLiteral("o.db"))}, 2, QStringLiteral(".zki")},
        {{dir.path(QStringLiteral("none.csv")), species, QStringLiteral("-o"), out}, 1, QStringLiteral("none.csv")},
        {{sites, dir.writeLines(QStringLiteral("bad.csv"), {QStringLiteral("r,s,l,c"), QStringLiteral("1,Poa,H1,+"), QStringLiteral("1,Carex,X9,+")}),
          QStringLiteral("-o"), out},
         1, QStringLiteral("3 行目")},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.args.join(QLatin1Char(' ')).toStdString());
        const CliRun r = run(Cli::runMkdb, c.args);
        EXPECT_EQ(r.code, c.code);
        EXPECT_TRUE(r.err.contains(c.errPart)) << r.err.toStdString();
        EXPECT_FALSE(QFileInfo::exists(out));
        EXPECT_FALSE(QFileInfo::exists(dir.path(QStringLiteral("o.zkd"))));
    }
    EXPECT_EQ(run(Cli::runMkdb, {QStringLiteral("--help")}).code, 0);
}

TEST(CliInfo, UsageAndUserErrors)
{
    TempDir dir;
    EXPECT_EQ(run(Cli::runInfo, {}).code, 2);
    EXPECT_EQ(run(Cli::runInfo, {QStringLiteral("a.zki"), QStringLiteral("b.zki")}).code, 2);
    EXPECT_EQ(run(Cli::runInfo, {QStringLiteral("a.zki"), QStringLiteral("--releves"), QStringLiteral("3-1")}).code, 2);
    EXPECT_EQ(run(Cli::runInfo, {QStringLiteral("--help")}).code, 0);
    const CliRun missing = run(Cli::runInfo, {dir.path(QStringLiteral("none.zki"))});
    EXPECT_EQ(missing.code, 1);
    EXPECT_TRUE(missing.err.contains(QStringLiteral("正しいデータファイルを指定して下さい")));
}

TEST(CliInfo, DatabaseWithoutHeader)
{
    // No "#": the default items, the file name as title, K 5 and D 2; an unreadable relevé says so.
    TempDir dir;
    dir.writeBytes(QStringLiteral("plain.zkd"), QByteArray(512, ' '));
    QByteArray rec(256, ' ');
    rec[156] = 'x';
    const QString zki = dir.writeBytes(QStringLiteral("plain.zki"), QByteArray(256, ' ') + rec);
    const CliRun info = run(Cli::runInfo, {zki, QStringLiteral("--releves=1")});
    ASSERT_EQ(info.code, 0);
    const auto fields = infoFields(info.out);
    EXPECT_EQ(fields.at(QStringLiteral("見出し")), QStringLiteral("なし"));
    EXPECT_EQ(fields.at(QStringLiteral("タイトル")), QStringLiteral("plain"));
    EXPECT_EQ(fields.at(QStringLiteral("レコード数")), QStringLiteral("1"));
    EXPECT_EQ(fields.at(QStringLiteral("項目 4")), QStringLiteral("0\t調査年月日"));
    EXPECT_TRUE(info.out.contains(QStringLiteral("測定\t1\t読めません")));
}

TEST(CliMkdb, EndToEndThroughTheProgram)
{
    // The installed front end: exit statuses and UTF-8 on stdout and stderr.
    TempDir dir;
    const QString sites = dir.writeLines(QStringLiteral("s.csv"), {QStringLiteral("id,3"), QStringLiteral("1,尾瀬ヶ原")});
    const QString species = dir.writeLines(QStringLiteral("p.csv"), {QStringLiteral("r,s,l,c"), QStringLiteral("1,ミズバショウ,H1,3")});
    const QString out = dir.path(QStringLiteral("oze.zki"));
    const auto made = Zelkor::Test::runCli({QStringLiteral("mkdb"), sites, species, QStringLiteral("-o"), out,
                                            QStringLiteral("--title"), QStringLiteral("尾瀬の湿原")});
    ASSERT_EQ(made.exitCode, 0) << made.errText().toStdString();

    const auto info = Zelkor::Test::runCli({QStringLiteral("info"), out, QStringLiteral("--releves"), QStringLiteral("1")});
    ASSERT_EQ(info.exitCode, 0) << info.errText().toStdString();
    EXPECT_TRUE(info.outText().contains(QStringLiteral("タイトル\t尾瀬の湿原\n")));
    EXPECT_TRUE(info.outText().contains(QStringLiteral("項目\t3\t尾瀬ヶ原\n")));
    EXPECT_TRUE(info.outText().contains(QStringLiteral("種\t1\tミズバショウ\tH1:3\n")));

    const QString bad = dir.writeLines(QStringLiteral("bad.csv"), {QStringLiteral("r,s,l,c"), QStringLiteral("2,ミズバショウ,H1,3")});
    const auto refused = Zelkor::Test::runCli({QStringLiteral("mkdb"), sites, bad, QStringLiteral("-o"), dir.path(QStringLiteral("x.zki"))});
    EXPECT_EQ(refused.exitCode, 1);
    EXPECT_TRUE(refused.errText().contains(QStringLiteral("2 行目"))) << refused.errText().toStdString();
    EXPECT_FALSE(QFileInfo::exists(dir.path(QStringLiteral("x.zki"))));
    EXPECT_EQ(Zelkor::Test::runCli({QStringLiteral("info")}).exitCode, 2);
}
