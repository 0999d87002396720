#include "database/databasebuilder.h"

#include "database/vegdatabase.h"
#include "platform/cp932.h"
#include "table/headeritems.h"
#include "support/testsupport.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <functional>
#include <map>
#include <random>
#include <set>
#include <tuple>
#include <vector>

using namespace Zelkor;
using Zelkor::Test::TempDir;

namespace {

DatabaseBuilder::Site site(const QString &id, std::initializer_list<std::pair<int, QString>> items, int k = -1, int d = -1)
{
    DatabaseBuilder::Site s;
    s.id = id;
    for (const auto &[n, v] : items)
        s.items[std::size_t(n)] = v;
    s.k = k;
    s.d = d;
    return s;
}

QString utf8File(const TempDir &dir, const QString &name, const QString &text)
{
    return dir.writeBytes(name, text.toUtf8());
}

} // namespace

TEST(DatabaseBuilder, RoundTripThroughTheReader)
{
    TempDir dir;
    DatabaseBuilder b;
    b.setTitle(QStringLiteral("房総の植生"));
    ASSERT_TRUE(b.setScales(4, 1));
    ASSERT_TRUE(b.addSite(site(QStringLiteral("r1"), {{2, QStringLiteral("千葉01")}, {3, QStringLiteral("清澄山")},
                                                     {5, QStringLiteral("351000")}, {7, QStringLiteral("5340")},
                                                     {8, QStringLiteral("350")}, {9, QStringLiteral("NE")},
                                                     {15, QStringLiteral("100")}, {23, QStringLiteral("80")}})));
    ASSERT_TRUE(b.addSite(site(QStringLiteral("r2"), {{2, QStringLiteral("X")}}, 7, 2)));
    // Thirteen species in r1: two blocks; layers of one species gather into one entry.
    ASSERT_TRUE(b.addSpecies(QStringLiteral("r1"), QStringLiteral("スダジイ"), QStringLiteral("T1"), QStringLiteral("45")));
    ASSERT_TRUE(b.addSpecies(QStringLiteral("r1"), QStringLiteral("スダジイ"), QStringLiteral("S1"), QStringLiteral("+")));
    ASSERT_TRUE(b.addSpecies(QStringLiteral("r1"), QStringLiteral("スダジイ"), QStringLiteral("h1"), QStringLiteral("r")));
    for (int i = 2; i <= 13; ++i)
        ASSERT_TRUE(b.addSpecies(QStringLiteral("r1"), QStringLiteral("Species %1").arg(i), QStringLiteral("M"), QStringLiteral("+2")));
    ASSERT_TRUE(b.addSpecies(QStringLiteral("r2"), QStringLiteral("Carex nervata"), QStringLiteral("H2"), QStringLiteral("*")));
    EXPECT_EQ(b.siteCount(), 2);
    EXPECT_EQ(b.speciesEntryCount(), 14);
    const QString zki = dir.path(QStringLiteral("boso.zki"));
    ASSERT_TRUE(b.write(zki)) << b.errorString().toStdString();
    EXPECT_TRUE(b.warnings().isEmpty());

    // The layouts: record 0 of each file, 256-byte relevés, 512-byte blocks.
    EXPECT_EQ(QFileInfo(zki).size(), 3 * 256);
    EXPECT_EQ(QFileInfo(dir.path(QStringLiteral("boso.zkd"))).size(), 4 * 512);

    VegDatabase db;
    ASSERT_TRUE(db.openDataFile(zki));
    EXPECT_EQ(db.recordCount(), 2);
    const DataHeader h = db.readDataHeader();
    EXPECT_TRUE(h.itemCountValid);
    EXPECT_EQ(h.title, QStringLiteral("房総の植生"));
    EXPECT_EQ(h.item1Caption, HeaderItems::defaultLabel(1));
    EXPECT_EQ(h.itemsRead, 29);
    for (int n = 2; n <= 30; ++n) {
        EXPECT_EQ(h.items[std::size_t(n)].caption, DatabaseBuilder::defaultCaption(n)) << n;
        EXPECT_EQ(h.items[std::size_t(n)].layout, HeaderItems::defaultLayout(n)) << n;
    }
    EXPECT_EQ(h.scaleK, 4);
    EXPECT_EQ(h.scaleD, 1);

    ASSERT_TRUE(db.readReleve(1));
    EXPECT_EQ(db.itemText(2), QStringLiteral("千葉01"));
    EXPECT_EQ(db.itemText(3), QStringLiteral("清澄山"));
    EXPECT_EQ(db.itemText(5), QStringLiteral("351000"));
    EXPECT_EQ(db.meshCode(), QStringLiteral("5340"));
    EXPECT_EQ(db.itemText(8), QStringLiteral("350"));
    EXPECT_EQ(db.itemBytes(8), QByteArray(" 350"));
    EXPECT_EQ(db.itemText(9), QStringLiteral("NE"));
    EXPECT_EQ(db.itemText(23), QStringLiteral("80"));
    EXPECT_EQ(db.itemText(30), QStringLiteral("13"));
    EXPECT_EQ(db.recSpeciesNum(), 13);
    EXPECT_EQ(db.dataScaleK(), 4);
    EXPECT_EQ(db.dataScaleD(), 1);
    EXPECT_EQ(db.plantCount(), 13);
    EXPECT_EQ(db.plantSet()[1].nam, QStringLiteral("スダジイ") + QString(20, QLatin1Char(' ')));
    EXPECT_EQ(db.plantSet()[1].dby, (ByteDataSet{45, 0, 1, 0, 6, 0, 0}));
    EXPECT_EQ(db.plantSet()[13].nam.trimmed(), QStringLiteral("Species 13"));
    EXPECT_EQ(db.plantSet()[13].dby, (ByteDataSet{0, 0, 0, 0, 0, 0, 2}));

    ASSERT_TRUE(db.readReleve(2));
    EXPECT_EQ(db.itemText(2), QStringLiteral("X"));
    EXPECT_EQ(db.dataScaleK(), 7);
    EXPECT_EQ(db.dataScaleD(), 2);
    EXPECT_EQ(db.plantCount(), 1);
    EXPECT_EQ(db.plantSet()[1].dby, (ByteDataSet{0, 0, 0, 0, 0, 7, 0}));
}

TEST(DatabaseBuilder, EveryCodeReadsBackAsItsByte)
{
    struct Case { const char *code; int byte; };
    const Case cases[] = {{"r", 6}, {"+", 1},  {"+1", 1}, {"+2", 2}, {"+5", 5},   {"1", 10}, {"5", 50},
                          {"10", 10}, {"23", 23}, {"55", 55}, {"*", 7}, {"(", 7}, {"e", 8}, {"?", 9}};
    TempDir dir;
    DatabaseBuilder b;
    ASSERT_TRUE(b.addSite(site(QStringLiteral("1"), {})));
    int i = 0;
    for (const Case &c : cases)
        ASSERT_TRUE(b.addSpecies(QStringLiteral("1"), QStringLiteral("sp%1").arg(++i), QStringLiteral("H1"), QString::fromLatin1(c.code))) << c.code;
    ASSERT_TRUE(b.write(dir.path(QStringLiteral("c.zki"))));
    VegDatabase db;
    ASSERT_TRUE(db.openDataFile(dir.path(QStringLiteral("c.zki"))));
    ASSERT_TRUE(db.readReleve(1));
    ASSERT_EQ(db.plantCount(), int(std::size(cases)));
    for (std::size_t k = 0; k < std::size(cases); ++k)
        EXPECT_EQ(db.plantSet()[k + 1].dby[4], cases[k].byte) << cases[k].code;
}

TEST(DatabaseBuilder, RefusesWhatTheFormatCannotHold)
{
    struct Case
    {
        const char *what;
        QString sites;
        QString species;
        QStringList expected; // parts of the message: file, line, field
    };
    const QString okSites = QStringLiteral("id,2,3,8\nA,a,b,1\n");
    const QString okSpecies = QStringLiteral("releve,species,layer,code\nA,Poa,H1,+\n");
    const Case cases[] = {
        {"name longer than 28 bytes", okSites, QStringLiteral("r,s,l,c\nA,Poa,H1,+\nA,Abcdefghij klmnopqrstu vwxyza,H1,1\n"),
         {QStringLiteral("species.csv"), QStringLiteral("3 行目"), QStringLiteral("種名"), QStringLiteral("29 バイト")}},
        {"Japanese name longer than 28 bytes", okSites, QStringLiteral("r,s,l,c\nA,ホソバノヤマハハコモドキヤマハハコ,H1,1\n"),
         {QStringLiteral("2 行目"), QStringLiteral("種名"), QStringLiteral("34 バイト")}},
        {"item 3 wider than 8 bytes", QStringLiteral("id,2,3\nA,a,Terschelling\n"), okSpecies,
         {QStringLiteral("sites.csv"), QStringLiteral("2 行目"), QStringLiteral("項目 3"), QStringLiteral("8 バイト")}},
        {"item 8 wider than 4 bytes", QStringLiteral("id,8\nA,12345\n"), okSpecies, {QStringLiteral("項目 8"), QStringLiteral("4 バイト")}},
        {"Japanese item 2 wider than 8 bytes", QStringLiteral("id,2\nA,北海道檜山郡\n"), okSpecies, {QStringLiteral("項目 2"), QStringLiteral("12 バイト")}},
        {"character without a Shift-JIS form", QStringLiteral("id,3\nA,a€b\n"), okSpecies, {QStringLiteral("項目 3"), QStringLiteral("シフトJIS")}},
        {"species name without a Shift-JIS form", okSites, QStringLiteral("r,s,l,c\nA,Poa 😀,H1,1\n"), {QStringLiteral("種名"), QStringLiteral("シフトJIS")}},
        {"unknown layer", okSites, QStringLiteral("r,s,l,c\nA,Poa,H3,+\n"), {QStringLiteral("2 行目"), QStringLiteral("階層"), QStringLiteral("H3")}},
        {"code out of the scale", okSites, QStringLiteral("r,s,l,c\nA,Poa,H1,60\n"), {QStringLiteral("優占度"), QStringLiteral("60")}},
        {"code that is no code", okSites, QStringLiteral("r,s,l,c\nA,Poa,H1,r2\n"), {QStringLiteral("優占度"), QStringLiteral("r2")}},
        {"code 6", okSites, QStringLiteral("r,s,l,c\nA,Poa,H1,6\n"), {QStringLiteral("優占度")}},
        {"upper-case R", okSites, QStringLiteral("r,s,l,c\nA,Poa,H1,R\n"), {QStringLiteral("優占度")}},
        {"relevé without a site row", okSites, QStringLiteral("r,s,l,c\nA,Poa,H1,+\nB,Poa,H1,+\n"),
         {QStringLiteral("3 行目"), QStringLiteral("測定「B」")}},
        {"same layer twice", okSites, QStringLiteral("r,s,l,c\nA,Poa,H1,+\nA,Poa,H1,1\n"), {QStringLiteral("3 行目"), QStringLiteral("H1")}},
        {"same relevé id twice", QStringLiteral("id,2\nA,x\nA,y\n"), okSpecies, {QStringLiteral("3 行目"), QStringLiteral("識別子")}},
        {"K not a digit", QStringLiteral("id,K\nA,x\n"), okSpecies, {QStringLiteral("2 行目"), QStringLiteral("K")}},
        {"unknown column", QStringLiteral("id,2,moisture\nA,x,1\n"), okSpecies, {QStringLiteral("1 行目"), QStringLiteral("3 列目「moisture」")}},
        {"item column twice", QStringLiteral("id,2,識別記号\nA,x,y\n"), okSpecies, {QStringLiteral("1 行目"), QStringLiteral("3 列目")}},
        {"more fields than columns", QStringLiteral("id,2\nA,x,y\n"), okSpecies, {QStringLiteral("2 行目"), QStringLiteral("3 列目")}},
        {"species count that is no number", QStringLiteral("id,30\nA,many\n"), okSpecies, {QStringLiteral("項目 30")}},
        {"unclosed quote", QStringLiteral("id,2\nA,\"x\n"), okSpecies, {QStringLiteral("2 行目"), QStringLiteral("引用符")}},
        {"too few species fields", okSites, QStringLiteral("r,s,l,c\nA,Poa,H1\n"), {QStringLiteral("2 行目"), QStringLiteral("4 列")}},
        {"control character in a value", QStringLiteral("id,3\nA,\"a\tb\"\n"), okSpecies, {QStringLiteral("項目 3"), QStringLiteral("制御文字")}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        TempDir dir;
        DatabaseBuilder b;
        const bool ok = b.readSitesCsv(utf8File(dir, QStringLiteral("sites.csv"), c.sites))
                        && b.readSpeciesCsv(utf8File(dir, QStringLiteral("species.csv"), c.species))
                        && b.write(dir.path(QStringLiteral("out.zki")));
        EXPECT_FALSE(ok);
        for (const QString &part : c.expected)
            EXPECT_TRUE(b.errorString().contains(part)) << b.errorString().toStdString() << " lacks " << part.toStdString();
        EXPECT_FALSE(QFileInfo::exists(dir.path(QStringLiteral("out.zki"))));
        EXPECT_FALSE(QFileInfo::exists(dir.path(QStringLiteral("out.zkd"))));
    }
}

TEST(DatabaseBuilder, RefusedWriteLeavesAnOldPairAlone)
{
    TempDir dir;
    const QString zki = dir.writeBytes(QStringLiteral("db.zki"), "old relevés");
    const QString zkd = dir.writeBytes(QStringLiteral("db.zkd"), "old species");
    DatabaseBuilder b;
    b.setTitle(QString(240, QLatin1Char('T'))); // the header cannot hold it with thirty captions
    ASSERT_TRUE(b.addSite(site(QStringLiteral("1"), {})));
    ASSERT_TRUE(b.addSpecies(QStringLiteral("1"), QStringLiteral("Poa"), QStringLiteral("H1"), QStringLiteral("1")));
    EXPECT_FALSE(b.write(zki));
    EXPECT_TRUE(b.errorString().contains(QStringLiteral("見出しレコード")));
    EXPECT_EQ(Zelkor::Test::readBytes(zki), QByteArray("old relevés"));
    EXPECT_EQ(Zelkor::Test::readBytes(zkd), QByteArray("old species"));
    EXPECT_EQ(dir.path().isEmpty(), false);
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files).size(), 2);
}

// Every way a write can fail leaves an old pair exactly as it was: a title or caption that has no
// Shift-JIS form (tables could not hold it), and a disk that fills up while the pair is written
// (a file-size limit), whether the species file or the small relevé file is cut.
TEST(DatabaseBuilder, FailedWritesLeaveAnOldPairAlone)
{
    struct Case
    {
        const char *what;
        std::function<bool(DatabaseBuilder &)> prepare;
        int releves;      // relevés; the first has 12 species, the others as many as speciesEach
        int speciesEach;
        qint64 sizeLimit; // -1: none
        QString message;
    };
    const Case cases[] = {
        {"title without a Shift-JIS form", [](DatabaseBuilder &b) { b.setTitle(QStringLiteral("Dune € meadows")); return true; },
         2, 12, -1, QStringLiteral("標題")},
        {"caption without a Shift-JIS form",
         [](DatabaseBuilder &b) { return b.setHeaderItem(9, true, QStringLiteral("方位€")); }, 2, 12, -1,
         QStringLiteral("見出し項目 9")},
        // 40 relevés of 12 species: a species file of 41 records, 20,992 bytes.
        {"species file cut by a full disk", [](DatabaseBuilder &) { return true; }, 40, 12, 2000,
         QStringLiteral("ファイルが大きすぎます")},
        // 100 relevés, one with species: a species file of 1,024 bytes and a relevé file of 25,856.
        {"relevé file cut by a full disk", [](DatabaseBuilder &) { return true; }, 100, 0, 2000,
         QStringLiteral("ファイルが大きすぎます")},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        TempDir dir;
        const QString zki = dir.writeBytes(QStringLiteral("db.zki"), "old relevés");
        const QString zkd = dir.writeBytes(QStringLiteral("db.zkd"), "old species");
        DatabaseBuilder b;
        for (int i = 1; i <= c.releves; ++i) {
            ASSERT_TRUE(b.addSite(site(QString::number(i), {})));
            for (int k = 1; k <= (i == 1 ? 12 : c.speciesEach); ++k)
                ASSERT_TRUE(b.addSpecies(QString::number(i), QStringLiteral("Species %1").arg(k), QStringLiteral("H1"),
                                         QStringLiteral("1")));
        }
        bool written = true;
        if (c.sizeLimit >= 0) {
            Zelkor::Test::FileSizeLimit limit(c.sizeLimit);
            written = c.prepare(b) && b.write(zki);
        } else {
            written = c.prepare(b) && b.write(zki);
        }
        EXPECT_FALSE(written);
        EXPECT_TRUE(b.errorString().contains(c.message)) << b.errorString().toStdString();
        EXPECT_EQ(Zelkor::Test::readBytes(zki), QByteArray("old relevés"));
        EXPECT_EQ(Zelkor::Test::readBytes(zkd), QByteArray("old species"));
        EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files).size(), 2);
    }
}

TEST(DatabaseBuilder, InputEncodingsAndQuoting)
{
    // A Shift-JIS site list and a UTF-8 species list with a byte-order mark and quoted fields.
    TempDir dir;
    const QString sites = dir.writeLines(QStringLiteral("s.csv"), {QStringLiteral("番号,識別記号,3,K,D"),
                                                                   QStringLiteral("1,\"A,1\",日光,3,1")});
    const QString species = dir.writeBytes(QStringLiteral("p.csv"),
                                           QByteArray("\xEF\xBB\xBF") + QStringLiteral("r,s,l,c\r\n1,\"Fagus \"\"crenata\"\"\",T1,3\r\n\r\n").toUtf8());
    DatabaseBuilder b;
    ASSERT_TRUE(b.readSitesCsv(sites)) << b.errorString().toStdString();
    ASSERT_TRUE(b.readSpeciesCsv(species)) << b.errorString().toStdString();
    ASSERT_TRUE(b.write(dir.path(QStringLiteral("e.zki")))) << b.errorString().toStdString();
    VegDatabase db;
    ASSERT_TRUE(db.openDataFile(dir.path(QStringLiteral("e.zki"))));
    ASSERT_TRUE(db.readReleve(1));
    EXPECT_EQ(db.itemText(2), QStringLiteral("A,1"));
    EXPECT_EQ(db.itemText(3), QStringLiteral("日光"));
    EXPECT_EQ(db.dataScaleK(), 3);
    EXPECT_EQ(db.dataScaleD(), 1);
    EXPECT_EQ(db.plantSet()[1].nam.trimmed(), QStringLiteral("Fagus \"crenata\""));
    // The title defaults to the file name.
    EXPECT_EQ(db.readDataHeader().title, QStringLiteral("e"));

    // Bytes that are neither UTF-8 nor Shift-JIS are refused with their line.
    const QString bad = dir.writeBytes(QStringLiteral("bad.csv"), QByteArray("id,2\r\n1,ok\r\n2,\x81\x20\r\n"));
    DatabaseBuilder b2;
    EXPECT_FALSE(b2.readSitesCsv(bad));
    EXPECT_TRUE(b2.errorString().contains(QStringLiteral("3 行目"))) << b2.errorString().toStdString();
}

TEST(DatabaseBuilder, HeaderItemsFile)
{
    TempDir dir;
    const QString items = utf8File(dir, QStringLiteral("items.csv"),
                                   QStringLiteral("no,flag,caption\n1,1,番号\n11,1,A1層厚\n16,0,高木高\n"));
    DatabaseBuilder b;
    ASSERT_TRUE(b.readHeaderItemsCsv(items)) << b.errorString().toStdString();
    ASSERT_TRUE(b.addSite(site(QStringLiteral("1"), {{11, QStringLiteral("2.8")}})));
    ASSERT_TRUE(b.addSpecies(QStringLiteral("1"), QStringLiteral("Poa"), QStringLiteral("H1"), QStringLiteral("1")));
    ASSERT_TRUE(b.write(dir.path(QStringLiteral("h.zki"))));
    VegDatabase db;
    ASSERT_TRUE(db.openDataFile(dir.path(QStringLiteral("h.zki"))));
    const DataHeader h = db.readDataHeader();
    EXPECT_EQ(h.item1Caption, QStringLiteral("番号"));
    EXPECT_EQ(h.items[11].caption, QStringLiteral("A1層厚"));
    EXPECT_TRUE(h.items[11].layout);
    EXPECT_EQ(h.items[16].caption, QStringLiteral("高木高"));
    EXPECT_FALSE(h.items[16].layout);
    EXPECT_EQ(h.items[12].caption, DatabaseBuilder::defaultCaption(12));
    // A site list may name its columns by these captions.
    const QString sites = utf8File(dir, QStringLiteral("s.csv"), QStringLiteral("id,A1層厚\n1,3.5\n"));
    DatabaseBuilder b2;
    ASSERT_TRUE(b2.readHeaderItemsCsv(items));
    EXPECT_TRUE(b2.readSitesCsv(sites)) << b2.errorString().toStdString();

    struct Case { QString text; QString part; };
    const Case bad[] = {
        {QStringLiteral("n,f,c\n31,1,x\n"), QStringLiteral("番号")},
        {QStringLiteral("n,f,c\n3,2,x\n"), QStringLiteral("組込")},
        {QStringLiteral("n,f,c\n3,1,a$b\n"), QStringLiteral("$")},
        {QStringLiteral("n,f,c\n3,1,\n"), QStringLiteral("名称")},
        {QStringLiteral("n,f,c\n3,1,a\n3,1,b\n"), QStringLiteral("3 行目")},
    };
    for (const Case &c : bad) {
        DatabaseBuilder b3;
        EXPECT_FALSE(b3.readHeaderItemsCsv(utf8File(dir, QStringLiteral("bad.csv"), c.text)));
        EXPECT_TRUE(b3.errorString().contains(c.part)) << b3.errorString().toStdString();
    }
}

TEST(DatabaseBuilder, ReleveWithoutSpeciesIsWrittenWithAWarning)
{
    TempDir dir;
    DatabaseBuilder b;
    ASSERT_TRUE(b.addSite(site(QStringLiteral("1"), {})));
    ASSERT_TRUE(b.addSite(site(QStringLiteral("2"), {{30, QStringLiteral("5")}})));
    ASSERT_TRUE(b.addSpecies(QStringLiteral("2"), QStringLiteral("Poa"), QStringLiteral("H1"), QStringLiteral("1")));
    ASSERT_TRUE(b.write(dir.path(QStringLiteral("w.zki"))));
    EXPECT_EQ(b.warnings().size(), 2); // no species in 1; 5 given but 1 listed in 2
    VegDatabase db;
    ASSERT_TRUE(db.openDataFile(dir.path(QStringLiteral("w.zki"))));
    EXPECT_FALSE(db.readReleve(1));
    ASSERT_TRUE(db.readReleve(2));
    EXPECT_EQ(db.recSpeciesNum(), 5);
}

TEST(DatabaseBuilder, DefaultHeaderLeavesRoomForATitle)
{
    // Thirty default captions, "#30$", item 1 and the tail leave room for a title of 30 characters.
    TempDir dir;
    DatabaseBuilder b;
    b.setTitle(QString(30, QChar(u'植')));
    ASSERT_TRUE(b.addSite(site(QStringLiteral("1"), {})));
    ASSERT_TRUE(b.addSpecies(QStringLiteral("1"), QStringLiteral("Poa"), QStringLiteral("H1"), QStringLiteral("1")));
    EXPECT_TRUE(b.write(dir.path(QStringLiteral("t.zki")))) << b.errorString().toStdString();
    DatabaseBuilder none;
    EXPECT_FALSE(none.write(dir.path(QStringLiteral("n.zki"))));
    EXPECT_FALSE(none.write(dir.path(QStringLiteral("n.db"))));
}

TEST(DatabaseBuilder, ListsWithoutTheirHeaderLineLoseNoRow)
{
    TempDir dir;
    DatabaseBuilder b;
    ASSERT_TRUE(b.readHeaderItemsCsv(utf8File(dir, QStringLiteral("i.csv"), QStringLiteral("11,1,水分\n12,1,管理\n"))));
    ASSERT_TRUE(b.readSitesCsv(utf8File(dir, QStringLiteral("s.csv"), QStringLiteral("id,11\n1,4\n"))));
    ASSERT_TRUE(b.readSpeciesCsv(utf8File(dir, QStringLiteral("p.csv"), QStringLiteral("1,Poa annua,H1,+\n1,Poa trivialis,H1,1\n"))));
    EXPECT_EQ(b.speciesEntryCount(), 2);
    ASSERT_TRUE(b.write(dir.path(QStringLiteral("n.zki"))));
    VegDatabase db;
    ASSERT_TRUE(db.openDataFile(dir.path(QStringLiteral("n.zki"))));
    EXPECT_EQ(db.readDataHeader().items[11].caption, QStringLiteral("水分"));
    EXPECT_EQ(db.readDataHeader().items[12].caption, QStringLiteral("管理"));
}

// The species list is read row after row. Rows of one relevé need not stand together: the layers
// of a species gather into one entry wherever its rows stand, in the order the species first
// appear, and a layer given twice is refused even when many rows lie between.
TEST(DatabaseBuilder, SpeciesRowsOfOneReleveNeedNotStandTogether)
{
    TempDir dir;
    std::mt19937 rng(77);
    const QStringList layers = DatabaseBuilder::layerLabels();
    struct Row { int releve; int name; int layer; };
    std::vector<Row> rows;
    std::set<std::tuple<int, int, int>> used;
    while (rows.size() < 600) {
        const Row r{1 + int(rng() % 6), int(rng() % 40), int(rng() % 7)};
        if (used.insert({r.releve, r.name, r.layer}).second)
            rows.push_back(r);
    }
    // Runs of a few rows of one relevé, then another's.
    std::stable_sort(rows.begin(), rows.end(), [](const Row &a, const Row &b) { return a.releve / 2 < b.releve / 2; });
    QString sites = QStringLiteral("id,2\n");
    for (int i = 1; i <= 6; ++i)
        sites += QStringLiteral("R%1,site%1\n").arg(i);
    QString species = QStringLiteral("releve,species,layer,code\n");
    // Expected: per relevé the names in the order they first appear, with the code of each layer.
    std::map<int, std::vector<std::pair<QString, std::array<QString, 7>>>> expected;
    const QStringList codes = {QStringLiteral("+"), QStringLiteral("1"), QStringLiteral("2"), QStringLiteral("r")};
    for (std::size_t k = 0; k < rows.size(); ++k) {
        const Row &r = rows[k];
        const QString name = QStringLiteral("Species %1").arg(r.name);
        const QString code = codes[int(k % 4)];
        species += QStringLiteral("R%1, %2 ,%3,%4\n").arg(r.releve).arg(name, layers[r.layer].toLower(), code);
        auto &list = expected[r.releve];
        auto it = std::find_if(list.begin(), list.end(), [&](const auto &e) { return e.first == name; });
        if (it == list.end())
            it = list.insert(list.end(), {name, {}});
        it->second[std::size_t(r.layer)] = code;
    }
    DatabaseBuilder b;
    ASSERT_TRUE(b.readSitesCsv(utf8File(dir, QStringLiteral("s.csv"), sites))) << b.errorString().toStdString();
    ASSERT_TRUE(b.readSpeciesCsv(utf8File(dir, QStringLiteral("p.csv"), species))) << b.errorString().toStdString();
    ASSERT_TRUE(b.write(dir.path(QStringLiteral("apart.zki")))) << b.errorString().toStdString();
    VegDatabase db;
    ASSERT_TRUE(db.openDataFile(dir.path(QStringLiteral("apart.zki"))));
    for (int i = 1; i <= 6; ++i) {
        ASSERT_TRUE(db.readReleve(i));
        const auto &list = expected[i];
        ASSERT_EQ(db.plantCount(), int(list.size())) << i;
        for (std::size_t k = 0; k < list.size(); ++k) {
            EXPECT_EQ(db.plantSet()[k + 1].nam.trimmed(), list[k].first) << i << "/" << k;
            const QByteArray entry(db.entryData(int(k) + 1) + VegDatabase::NameSize, VegDatabase::CodeSize);
            for (int l = 0; l < 7; ++l)
                EXPECT_EQ(QString::fromLatin1(entry.mid(2 * l, 2)).trimmed(), list[k].second[std::size_t(l)]) << i << "/" << k << "/" << l;
        }
    }

    // The first row again, far below: refused with its line and layer.
    const Row &first = rows.front();
    species += QStringLiteral("R%1,Species %2,%3,5\n").arg(first.releve).arg(first.name).arg(layers[first.layer]);
    DatabaseBuilder twice;
    ASSERT_TRUE(twice.readSitesCsv(utf8File(dir, QStringLiteral("s.csv"), sites)));
    EXPECT_FALSE(twice.readSpeciesCsv(utf8File(dir, QStringLiteral("p2.csv"), species)));
    EXPECT_TRUE(twice.errorString().contains(QStringLiteral("%1 行目").arg(rows.size() + 2))) << twice.errorString().toStdString();
    EXPECT_TRUE(twice.errorString().contains(QStringLiteral("二度"))) << twice.errorString().toStdString();
}

// A list longer than the pieces it is read in gives the database that adding its rows one by one
// gives, and what the list as a whole says comes first: its encoding (a Shift-JIS name on its
// last line makes all of it Shift-JIS) and a quote left open (told before a bad row above it).
TEST(DatabaseBuilder, LongListsReadAsTheirRowsAddedOneByOne)
{
    TempDir dir;
    const QStringList layers = DatabaseBuilder::layerLabels();
    const QStringList codes = {QStringLiteral("+"), QStringLiteral("1"), QStringLiteral("23"), QStringLiteral("+2"), QStringLiteral("*")};
    QByteArray list = "releve,species,layer,code\r\n";
    DatabaseBuilder byRows;
    QString sites = QStringLiteral("id\n");
    for (int i = 1; i <= 500; ++i) {
        sites += QStringLiteral("%1\n").arg(i);
        ASSERT_TRUE(byRows.addSite(site(QString::number(i), {})));
    }
    for (int i = 1; i <= 500; ++i) {
        for (int k = 0; k < 90; ++k) {
            const QString name = QStringLiteral("Name \"%1\"").arg((i * 7 + k * 13) % 700);
            const QString layer = layers[(i + k) % 7];
            const QString code = codes[(i * k) % 5];
            if (!byRows.addSpecies(QString::number(i), name, layer, code))
                continue; // the same layer twice: left out of both
            list += QByteArray::number(i) + ",\"" + name.toLatin1().replace("\"", "\"\"") + "\"," + layer.toLatin1() + "," + code.toLatin1() + "\r\n";
        }
    }
    QByteArray last;
    ASSERT_TRUE(Cp932::encode(QStringLiteral("500,ススキ,H2,+\r\n"), &last));
    ASSERT_TRUE(byRows.addSpecies(QStringLiteral("500"), QStringLiteral("ススキ"), QStringLiteral("H2"), QStringLiteral("+")));
    list += last;
    ASSERT_GT(list.size(), 1 << 20); // more than a piece of the reader

    DatabaseBuilder byList;
    ASSERT_TRUE(byList.readSitesCsv(utf8File(dir, QStringLiteral("s.csv"), sites)));
    ASSERT_TRUE(byList.readSpeciesCsv(dir.writeBytes(QStringLiteral("p.csv"), list))) << byList.errorString().toStdString();
    EXPECT_EQ(byList.speciesEntryCount(), byRows.speciesEntryCount());
    QDir(dir.path()).mkdir(QStringLiteral("a"));
    QDir(dir.path()).mkdir(QStringLiteral("b"));
    ASSERT_TRUE(byList.write(dir.path(QStringLiteral("a/db.zki"))));
    ASSERT_TRUE(byRows.write(dir.path(QStringLiteral("b/db.zki"))));
    EXPECT_EQ(Zelkor::Test::readBytes(dir.path(QStringLiteral("a/db.zkd"))), Zelkor::Test::readBytes(dir.path(QStringLiteral("b/db.zkd"))));
    EXPECT_EQ(Zelkor::Test::readBytes(dir.path(QStringLiteral("a/db.zki"))), Zelkor::Test::readBytes(dir.path(QStringLiteral("b/db.zki"))));

    // A bad layer on line 3, a quote left open at the end: the quote is told.
    QByteArray open = "r,s,l,c\n1,Poa,H1,+\n1,Poa,H9,+\n" + QByteArray(100000, '\n') + "1,\"Carex,H1,+\n";
    DatabaseBuilder quoted;
    ASSERT_TRUE(quoted.readSitesCsv(utf8File(dir, QStringLiteral("s.csv"), sites)));
    EXPECT_FALSE(quoted.readSpeciesCsv(dir.writeBytes(QStringLiteral("q.csv"), open)));
    EXPECT_TRUE(quoted.errorString().contains(QStringLiteral("100004 行目"))) << quoted.errorString().toStdString();
    EXPECT_TRUE(quoted.errorString().contains(QStringLiteral("引用符"))) << quoted.errorString().toStdString();
}
