#include "database/vegdatabase.h"

#include "platform/cp932.h"
#include "table/headeritems.h"
#include "support/testsupport.h"

#include <QFile>
#include <QtEndian>
#include <gtest/gtest.h>

using namespace Zelkor;
using Zelkor::Test::TempDir;

namespace {

QByteArray sjis(const QString &text)
{
    QByteArray b;
    EXPECT_TRUE(Cp932::encode(text, &b)) << text.toStdString();
    return b;
}

// A relevé record: items by number (raw bytes, placed as given), K, D, species-count field and
// first-block field.
struct ReleveSpec
{
    std::map<int, QByteArray> items{};
    char k = '5';
    char d = '2';
    QByteArray count = "  12";
    QByteArray block = "     1";
};

QByteArray releveRecord(const ReleveSpec &rel)
{
    QByteArray rec(256, ' ');
    for (const auto &[n, value] : rel.items) {
        const int offset = n <= 7 ? 8 * n : 32 + 4 * n;
        const int width = n <= 7 ? 8 : 4;
        rec.replace(offset, width, value.leftJustified(width, ' ', true));
    }
    rec[156] = rel.k;
    rec[157] = rel.d;
    rec.replace(152, 4, rel.count.rightJustified(4, ' ', true));
    rec.replace(248, 6, rel.block.rightJustified(6, ' ', true));
    return rec;
}

struct EntrySpec
{
    QByteArray name;  // raw bytes
    QByteArray codes; // up to 14 bytes
};

QByteArray speciesBlock(const std::vector<EntrySpec> &entries, const QByteArray &next = "0")
{
    QByteArray block(512, ' ');
    for (std::size_t k = 0; k < entries.size() && k < 12; ++k) {
        block.replace(int(42 * k), 28, entries[k].name.leftJustified(28, ' ', true));
        block.replace(int(42 * k + 28), 14, entries[k].codes.leftJustified(14, ' ', true));
    }
    block.replace(504, 6, next.rightJustified(6, ' ', true));
    return block;
}

// Header record 0 of the species file from its text (UTF-16LE), blank-padded.
QByteArray headerRecord(const QString &text)
{
    QByteArray rec(512, '\0');
    for (int i = 0; i < text.size() && i < 252; ++i)
        qToLittleEndian<quint16>(text.at(i).unicode(), rec.data() + 2 * i);
    for (int i = text.size(); i < 252; ++i)
        qToLittleEndian<quint16>(u' ', rec.data() + 2 * i);
    return rec;
}

// A database pair in a temporary folder.
struct Fixture
{
    TempDir dir;
    QString write(const std::vector<QByteArray> &releves, const std::vector<QByteArray> &blocks,
                  const QByteArray &header = headerRecord(QStringLiteral("#")))
    {
        QByteArray zki(256, ' ');
        for (const QByteArray &r : releves)
            zki += r;
        QByteArray zkd = header;
        for (const QByteArray &b : blocks)
            zkd += b;
        dir.writeBytes(QStringLiteral("db.zkd"), zkd);
        return dir.writeBytes(QStringLiteral("db.zki"), zki);
    }
};

std::vector<EntrySpec> numberedSpecies(int from, int count)
{
    std::vector<EntrySpec> v;
    for (int i = 0; i < count; ++i)
        v.push_back({QByteArray("Species ") + QByteArray::number(from + i), "    1 "});
    return v;
}

} // namespace

TEST(VegDatabase, ThirteenSpeciesInTwoBlocks)
{
    Fixture f;
    auto first = numberedSpecies(1, 12);
    first[0] = {sjis(QStringLiteral("ミズナラ")), "23+2r 1 e ? 55"};
    const QString db = f.write({releveRecord({.items = {{2, "A-01"}, {7, "5339"}, {8, " 120"}}, .count = "  13"})},
                               {speciesBlock(first, "2"), speciesBlock({{"Carex nervata", "        +2"}})});
    VegDatabase vdb;
    ASSERT_TRUE(vdb.openDataFile(db));
    EXPECT_EQ(vdb.recordCount(), 1);
    ASSERT_TRUE(vdb.readReleve(1));
    EXPECT_EQ(vdb.plantCount(), 13);
    EXPECT_EQ(vdb.recSpeciesNum(), 13);
    const auto &set = vdb.plantSet();
    ASSERT_GE(set.size(), 25u);
    EXPECT_EQ(set[1].nam, QStringLiteral("ミズナラ") + QString(20, QLatin1Char(' ')));
    EXPECT_EQ(set[1].dby, (ByteDataSet{23, 2, 6, 10, 8, 9, 55}));
    EXPECT_EQ(set[12].nam.trimmed(), QStringLiteral("Species 12"));
    EXPECT_EQ(set[13].nam, QStringLiteral("Carex nervata").leftJustified(28));
    EXPECT_EQ(set[13].dby, (ByteDataSet{0, 0, 0, 0, 2, 0, 0}));
    for (int i = 14; i <= 24; ++i) {
        EXPECT_EQ(set[std::size_t(i)].nam, QString(28, QLatin1Char(' '))) << i;
        EXPECT_EQ(set[std::size_t(i)].dby, ByteDataSet{}) << i;
    }
    EXPECT_EQ(vdb.itemText(2), QStringLiteral("A-01"));
    EXPECT_EQ(vdb.meshCode(), QStringLiteral("5339"));
    EXPECT_EQ(vdb.itemText(8), QStringLiteral("120"));
    EXPECT_EQ(vdb.itemBytes(8), QByteArray(" 120"));
    EXPECT_EQ(vdb.itemBytes(2), QByteArray("A-01    "));
}

TEST(VegDatabase, SpeciesCountGrowsTheListAndNeverShrinksIt)
{
    Fixture f;
    // Twenty blocks in the file: a count of 200 is believable.
    std::vector<QByteArray> blocks;
    for (int i = 0; i < 20; ++i)
        blocks.push_back(speciesBlock(numberedSpecies(1, 1)));
    const QString db = f.write({releveRecord({.count = " 200"}), releveRecord({.count = "   5", .block = "2"})}, blocks);
    VegDatabase vdb;
    ASSERT_TRUE(vdb.openDataFile(db));
    EXPECT_EQ(vdb.plantSetMax(), 159);
    EXPECT_EQ(vdb.plantSet().size(), 160u);
    ASSERT_TRUE(vdb.readReleve(1));
    EXPECT_EQ(vdb.plantSetMax(), 204);
    EXPECT_EQ(vdb.plantSet().size(), 205u);
    EXPECT_EQ(vdb.plantCount(), 1);
    ASSERT_TRUE(vdb.readReleve(2));
    EXPECT_EQ(vdb.plantSet().size(), 205u);
    vdb.resetPlantSet();
    EXPECT_EQ(vdb.plantSet().size(), 160u);
}

TEST(VegDatabase, AbsurdSpeciesCountDoesNotSizeTheList)
{
    Fixture f;
    const QString db = f.write({releveRecord({.count = "9999"})}, {speciesBlock(numberedSpecies(1, 3))});
    VegDatabase vdb;
    ASSERT_TRUE(vdb.openDataFile(db));
    ASSERT_TRUE(vdb.readReleve(1));
    EXPECT_EQ(vdb.recSpeciesNum(), 9999);
    EXPECT_EQ(vdb.plantSet().size(), 160u);
    EXPECT_EQ(vdb.plantCount(), 3);
}

TEST(VegDatabase, ListGrowsWithTheBlocksActuallyRead)
{
    // A count field far below the species listed: every entry of every block is kept.
    Fixture f;
    std::vector<QByteArray> blocks;
    for (int i = 1; i <= 15; ++i)
        blocks.push_back(speciesBlock(numberedSpecies(12 * (i - 1) + 1, 12), i < 15 ? QByteArray::number(i + 1) : "0"));
    const QString db = f.write({releveRecord({.count = "   1"})}, blocks);
    VegDatabase vdb;
    ASSERT_TRUE(vdb.openDataFile(db));
    ASSERT_TRUE(vdb.readReleve(1));
    EXPECT_EQ(vdb.plantCount(), 180);
    EXPECT_GE(vdb.plantSet().size(), 181u);
    EXPECT_EQ(vdb.plantSet()[180].nam.trimmed(), QStringLiteral("Species 180"));
}

TEST(VegDatabase, LatitudeMarkIsBlanked)
{
    struct Case { QByteArray stored; QString read; };
    const Case cases[] = {{"W1353020", "1353020"}, {"T1353020", "1353020"}, {"N1353020", "N1353020"}, {"w1353020", "w1353020"}};
    for (const Case &c : cases) {
        Fixture f;
        const QString db = f.write({releveRecord({.items = {{5, c.stored}}})}, {speciesBlock(numberedSpecies(1, 1))});
        VegDatabase vdb;
        ASSERT_TRUE(vdb.openDataFile(db));
        ASSERT_TRUE(vdb.readReleve(1));
        EXPECT_EQ(vdb.itemText(5), c.read);
    }
}

TEST(VegDatabase, RecordFieldsThatStopOrDoNotStopTheRead)
{
    struct Case
    {
        const char *what;
        ReleveSpec rel;
        bool ok;
        int speciesNum;
    };
    const Case cases[] = {
        {"count with trailing blanks reads 0 but the blocks are read", {.count = "13  "}, true, 0},
        {"blank count", {.count = "    "}, true, 0},
        {"count -1 marks an unreadable record", {.count = "  -1"}, false, -1},
        {"no first block", {.block = "     0"}, false, 0},
        {"first block not a number", {.block = "   abc"}, false, 0},
        {"K not a digit", {.k = 'x'}, false, 0},
        {"D not a digit", {.d = ' '}, false, 0},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        Fixture f;
        const QString db = f.write({releveRecord(c.rel)}, {speciesBlock(numberedSpecies(1, 2))});
        VegDatabase vdb;
        ASSERT_TRUE(vdb.openDataFile(db));
        EXPECT_EQ(vdb.readReleve(1), c.ok);
        // A record without species list reads its count (12) and then drops it to 0.
        EXPECT_EQ(vdb.recSpeciesNum(), c.speciesNum);
        if (c.ok) {
            EXPECT_EQ(vdb.plantCount(), 2);
        }
    }
}

TEST(VegDatabase, ScalesFollowTheRecord)
{
    Fixture f;
    const QString db = f.write({releveRecord({.k = '7', .d = '1'}), releveRecord({.k = '3', .d = 'x'})},
                               {speciesBlock(numberedSpecies(1, 1))});
    VegDatabase vdb;
    ASSERT_TRUE(vdb.openDataFile(db));
    EXPECT_EQ(vdb.dataScaleK(), 5);
    EXPECT_EQ(vdb.dataScaleD(), 2);
    ASSERT_TRUE(vdb.readReleve(1));
    EXPECT_EQ(vdb.dataScaleK(), 7);
    EXPECT_EQ(vdb.dataScaleD(), 1);
    // K is taken before D fails.
    EXPECT_FALSE(vdb.readReleve(2));
    EXPECT_EQ(vdb.dataScaleK(), 3);
    EXPECT_EQ(vdb.dataScaleD(), 1);
}

TEST(VegDatabase, DamagedFilesEndTheReadCleanly)
{
    struct Case
    {
        const char *what;
        std::vector<QByteArray> blocks;
        qsizetype cutSpeciesFile; // bytes removed from the end of the species file
    };
    const Case cases[] = {
        {"chain returning to its first block", {speciesBlock(numberedSpecies(1, 12), "2"), speciesBlock(numberedSpecies(13, 12), "1")}, 0},
        {"chain pointing to itself", {speciesBlock(numberedSpecies(1, 12), "1")}, 0},
        {"block past the end of the file", {speciesBlock(numberedSpecies(1, 12), "9")}, 0},
        {"huge block number", {speciesBlock(numberedSpecies(1, 12), "999999")}, 0},
        {"block cut short", {speciesBlock(numberedSpecies(1, 12), "2"), speciesBlock(numberedSpecies(13, 2))}, 100},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        Fixture f;
        const QString db = f.write({releveRecord({})}, c.blocks);
        if (c.cutSpeciesFile) {
            QFile zkd(f.dir.path(QStringLiteral("db.zkd")));
            ASSERT_TRUE(zkd.resize(zkd.size() - c.cutSpeciesFile));
        }
        VegDatabase vdb;
        ASSERT_TRUE(vdb.openDataFile(db));
        EXPECT_FALSE(vdb.readReleve(1));
        EXPECT_EQ(vdb.plantCount(), 0);
    }
}

TEST(VegDatabase, TruncatedAndMissingRecords)
{
    Fixture f;
    QString db = f.write({releveRecord({}), releveRecord({})}, {speciesBlock(numberedSpecies(1, 1))});
    QFile zki(db);
    ASSERT_TRUE(zki.resize(zki.size() - 56));
    VegDatabase vdb;
    ASSERT_TRUE(vdb.openDataFile(db));
    EXPECT_EQ(vdb.recordCount(), 1); // only whole records count
    EXPECT_TRUE(vdb.readReleve(1));
    EXPECT_FALSE(vdb.readReleve(2));
    EXPECT_FALSE(vdb.readReleve(0));
    EXPECT_FALSE(vdb.readReleve(-3));
    vdb.closeDataFile();
    EXPECT_FALSE(vdb.readReleve(1));
}

TEST(VegDatabase, EmptyReleveFileHasNoRecords)
{
    TempDir dir;
    dir.writeBytes(QStringLiteral("e.zkd"), headerRecord(QStringLiteral("#")));
    const QString db = dir.writeBytes(QStringLiteral("e.zki"), QByteArray());
    VegDatabase vdb;
    ASSERT_TRUE(vdb.openDataFile(db));
    EXPECT_EQ(vdb.recordCount(), 0);
}

TEST(VegDatabase, OpensReadOnlyPairAndFindsTheOtherFile)
{
    Fixture f;
    const QString db = f.write({releveRecord({})}, {speciesBlock(numberedSpecies(1, 1))});
    const QString zkd = f.dir.path(QStringLiteral("db.zkd"));
    QFile::setPermissions(db, QFileDevice::ReadOwner);
    QFile::setPermissions(zkd, QFileDevice::ReadOwner);
    VegDatabase vdb;
    EXPECT_TRUE(vdb.openDataFile(db));
    EXPECT_TRUE(vdb.readReleve(1));
    // Either file of the pair names the database.
    EXPECT_TRUE(vdb.openDataFile(zkd));
    EXPECT_EQ(vdb.recordCount(), 1);
}

TEST(VegDatabase, MissingHalfOfThePair)
{
    Fixture f;
    const QString db = f.write({releveRecord({})}, {});
    QFile::remove(f.dir.path(QStringLiteral("db.zkd")));
    VegDatabase vdb;
    EXPECT_FALSE(vdb.openDataFile(db));
    EXPECT_FALSE(vdb.isOpen());
    EXPECT_FALSE(vdb.errorString().isEmpty());
    EXPECT_FALSE(vdb.openDataFile(f.dir.path(QStringLiteral("none.zki"))));
}

TEST(VegDatabase, ChangeExtension)
{
    EXPECT_EQ(VegDatabase::changeExtension(QStringLiteral("/d/veg.data/a.zki"), QStringLiteral(".zkd")), QStringLiteral("/d/veg.data/a.zkd"));
    EXPECT_EQ(VegDatabase::changeExtension(QStringLiteral("/d/veg.data/a"), QStringLiteral(".zkd")), QStringLiteral("/d/veg.data/a.zkd"));
    EXPECT_EQ(VegDatabase::changeExtension(QStringLiteral("a.b.zki"), QStringLiteral(".zkd")), QStringLiteral("a.b.zkd"));
    // A pair stored with capital extensions is found from either name.
    TempDir dir;
    dir.writeBytes(QStringLiteral("OLD.ZKD"), "x");
    EXPECT_EQ(VegDatabase::changeExtension(dir.path(QStringLiteral("OLD.ZKI")), QStringLiteral(".zkd")), dir.path(QStringLiteral("OLD.ZKD")));
}

TEST(VegDatabase, NamesAndItemsThatDoNotDecode)
{
    Fixture f;
    QByteArray badName("Abc\x81", 4);         // a lead byte without its trail
    QByteArray badItem("\xFF\xFF" "12", 4);   // bytes that are no Shift-JIS
    const QString db = f.write({releveRecord({.items = {{3, sjis(QStringLiteral("北海道"))}, {9, badItem}}})},
                               {speciesBlock({{badName, "+ "}})});
    VegDatabase vdb;
    ASSERT_TRUE(vdb.openDataFile(db));
    ASSERT_TRUE(vdb.readReleve(1));
    EXPECT_EQ(vdb.itemText(3), QStringLiteral("北海道"));
    EXPECT_TRUE(vdb.itemText(9).endsWith(QStringLiteral("12")));
    EXPECT_TRUE(vdb.itemText(9).contains(QChar(QChar::ReplacementCharacter)));
    EXPECT_TRUE(vdb.plantSet()[1].nam.startsWith(QStringLiteral("Abc")));
    EXPECT_EQ(vdb.plantCount(), 1);
    EXPECT_TRUE(vdb.itemText(1).isEmpty());
    EXPECT_TRUE(vdb.itemText(31).isEmpty());
}

namespace {

// The header text of the default thirty items with short captions.
QString fullHeader(const QString &tail = QStringLiteral("K=3 D=1"))
{
    QString t = QStringLiteral("#30$Title$No.$");
    for (int n = 2; n <= 30; ++n)
        t += QString(QLatin1Char(n % 2 ? '0' : '1')) + QStringLiteral("I%1$").arg(n);
    return t + tail;
}

} // namespace

TEST(DataHeader, FullHeader)
{
    const DataHeader h = VegDatabase::parseHeaderRecord(headerRecord(fullHeader()));
    EXPECT_TRUE(h.hasMark);
    EXPECT_TRUE(h.itemCountValid);
    EXPECT_EQ(h.title, QStringLiteral("Title"));
    EXPECT_TRUE(h.hasItem1Caption);
    EXPECT_EQ(h.item1Caption, QStringLiteral("No."));
    EXPECT_EQ(h.itemsRead, 29);
    for (int n = 2; n <= 30; ++n) {
        EXPECT_EQ(h.items[std::size_t(n)].layout, n % 2 == 0) << n;
        EXPECT_EQ(h.items[std::size_t(n)].caption, QStringLiteral("I%1").arg(n));
    }
    EXPECT_EQ(h.scaleK, 3);
    EXPECT_EQ(h.scaleD, 1);
}

TEST(DataHeader, EmptyTitleShiftsTheFields)
{
    QString t = QStringLiteral("#30$$No.$");
    for (int n = 2; n <= 30; ++n)
        t += QStringLiteral("1I%1$").arg(n);
    const DataHeader h = VegDatabase::parseHeaderRecord(headerRecord(t + QStringLiteral("K=5 D=2")));
    EXPECT_EQ(h.title, QStringLiteral("$No."));
    EXPECT_EQ(h.item1Caption, QStringLiteral("1I2"));
    EXPECT_EQ(h.items[2].caption, QStringLiteral("I3"));
    EXPECT_EQ(h.items[29].caption, QStringLiteral("I30"));
    // Item 30 takes the tail's text up to the end: no "$" follows, so it is not read.
    EXPECT_EQ(h.itemsRead, 28);
    EXPECT_FALSE(h.scaleK);
}

TEST(DataHeader, TailScales)
{
    struct Case { QString tail; std::optional<int> k; std::optional<int> d; };
    const Case cases[] = {
        {QStringLiteral("K=5 D=2"), 5, 2},
        {QStringLiteral("D=1"), std::nullopt, 1},
        {QStringLiteral("K=x D=1"), std::nullopt, std::nullopt}, // a non-digit ends the reading
        {QStringLiteral("K=4 D=?"), 4, std::nullopt},
        {QStringLiteral("free text"), std::nullopt, std::nullopt},
        {QStringLiteral("D=1 K=7 D=3"), 7, 1},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.tail.toStdString());
        const DataHeader h = VegDatabase::parseHeaderRecord(headerRecord(fullHeader(c.tail)));
        EXPECT_EQ(h.scaleK, c.k);
        EXPECT_EQ(h.scaleD, c.d);
    }
    // "K=" as the very last characters: the digit position reads as code 0.
    QString t = fullHeader(QString());
    t += QString(250 - t.size(), QLatin1Char(' ')) + QStringLiteral("K=");
    ASSERT_EQ(t.size(), 252);
    EXPECT_FALSE(VegDatabase::parseHeaderRecord(headerRecord(t)).scaleK);
}

TEST(DataHeader, WrongItemCountIsIgnoredCompletely)
{
    QString t = fullHeader();
    t.replace(1, 2, QStringLiteral("29"));
    const DataHeader h = VegDatabase::parseHeaderRecord(headerRecord(t));
    EXPECT_TRUE(h.hasMark);
    EXPECT_FALSE(h.itemCountValid);
    EXPECT_FALSE(h.fillEmptyTitle);
    EXPECT_EQ(h.itemsRead, 0);
    EXPECT_FALSE(h.scaleK);

    HeaderItems items;
    QString title = QStringLiteral("");
    int k = 5, d = 2;
    applyDataHeader(h, QStringLiteral("/x/db.zki"), &title, &items, &k, &d);
    EXPECT_TRUE(title.isEmpty());
    EXPECT_EQ(items[1].label, HeaderItems::defaultLabel(1));
}

TEST(DataHeader, NoMarkOnlyAsksForTheDefaultTitle)
{
    const DataHeader h = VegDatabase::parseHeaderRecord(headerRecord(QStringLiteral("30$Title$")));
    EXPECT_FALSE(h.hasMark);
    EXPECT_TRUE(h.fillEmptyTitle);
    HeaderItems items;
    QString title;
    int k = 5, d = 2;
    applyDataHeader(h, QStringLiteral("/x/dune.v2.zki"), &title, &items, &k, &d);
    EXPECT_EQ(title, QStringLiteral("dune.v2"));
    QString kept = QStringLiteral("Mine");
    applyDataHeader(h, QStringLiteral("/x/dune.zki"), &kept, &items, &k, &d);
    EXPECT_EQ(kept, QStringLiteral("Mine"));
}

TEST(DataHeader, HeaderWithoutEndKeepsWhatWasRead)
{
    // Every character a field character, no "$" after item 5's caption.
    QString t = QStringLiteral("#30$T$No.$1A$0B$1C$1");
    t += QString(252 - t.size(), QLatin1Char('x'));
    const DataHeader h = VegDatabase::parseHeaderRecord(headerRecord(t));
    EXPECT_EQ(h.itemsRead, 3);
    EXPECT_EQ(h.items[4].caption, QStringLiteral("C"));
    HeaderItems items;
    QString title = QStringLiteral("old");
    int k = 5, d = 2;
    applyDataHeader(h, QStringLiteral("db.zki"), &title, &items, &k, &d);
    EXPECT_EQ(title, QStringLiteral("T"));
    EXPECT_EQ(items[1].label, QStringLiteral("No."));
    EXPECT_FALSE(items[3].layout);
    EXPECT_EQ(items[3].label, QStringLiteral("B"));
    EXPECT_EQ(items[5].label, HeaderItems::defaultLabel(5));
    EXPECT_EQ(items[5].layout, HeaderItems::defaultLayout(5));

    // A title field cut off by the end: the title is cleared, then the file name steps in.
    QString cut = QStringLiteral("#30$") + QString(248, QLatin1Char('t'));
    const DataHeader h2 = VegDatabase::parseHeaderRecord(headerRecord(cut));
    EXPECT_TRUE(h2.itemCountValid);
    QString title2 = QStringLiteral("old");
    applyDataHeader(h2, QStringLiteral("/a/base.zki"), &title2, &items, &k, &d);
    EXPECT_EQ(title2, QStringLiteral("base"));

    // A short or empty record reads as code 0 after its end.
    EXPECT_FALSE(VegDatabase::parseHeaderRecord(QByteArray("#\0", 2)).itemCountValid);
    EXPECT_FALSE(VegDatabase::parseHeaderRecord(QByteArray()).hasMark);
}

TEST(DataHeader, AppliedToItemsTitleAndScales)
{
    const DataHeader h = VegDatabase::parseHeaderRecord(headerRecord(fullHeader()));
    HeaderItems items;
    QString title;
    int k = 5, d = 2;
    applyDataHeader(h, QStringLiteral("db.zki"), &title, &items, &k, &d);
    EXPECT_EQ(title, QStringLiteral("Title"));
    EXPECT_EQ(items[1].label, QStringLiteral("No."));
    EXPECT_TRUE(items[2].layout);
    EXPECT_FALSE(items[3].layout);
    EXPECT_EQ(items[30].label, QStringLiteral("I30"));
    EXPECT_EQ(k, 3);
    EXPECT_EQ(d, 1);
}

TEST(DataHeader, ReadFromTheSpeciesFile)
{
    Fixture f;
    const QString db = f.write({releveRecord({})}, {speciesBlock(numberedSpecies(1, 1))}, headerRecord(fullHeader()));
    VegDatabase vdb;
    EXPECT_FALSE(vdb.readDataHeader().fillEmptyTitle); // not open: nothing to apply
    ASSERT_TRUE(vdb.openDataFile(db));
    EXPECT_EQ(vdb.readDataHeader().title, QStringLiteral("Title"));
    // A species file too short for its header record: only the default title.
    f.dir.writeBytes(QStringLiteral("db.zkd"), QByteArray(100, ' '));
    ASSERT_TRUE(vdb.openDataFile(db));
    const DataHeader h = vdb.readDataHeader();
    EXPECT_TRUE(h.fillEmptyTitle);
    EXPECT_FALSE(h.hasMark);
}

// The chains of a database never meet: a chain that reaches a block another relevé's chain has
// reached is damaged. This is what bounds the work of any species file: many relevés pointing
// at one long chain cost one reading of the chain, not one per relevé.
TEST(VegDatabase, ChainsOfTwoRelevesNeverMeet)
{
    struct Case
    {
        const char *what;
        std::vector<QByteArray> releves;
        std::vector<QByteArray> blocks;
        std::vector<bool> readable;
    };
    std::vector<QByteArray> longChain;
    for (int b = 1; b <= 100; ++b)
        longChain.push_back(speciesBlock(numberedSpecies(12 * b, 12), QByteArray::number(b < 100 ? b + 1 : 0)));
    std::vector<QByteArray> manyOnOne(200, releveRecord({}));
    std::vector<bool> onlyTheFirst(200, false);
    onlyTheFirst[0] = true; // the first relevé read owns the chain
    const Case cases[] = {
        {"two relevés starting on one block", {releveRecord({}), releveRecord({})},
         {speciesBlock(numberedSpecies(1, 12), "2"), speciesBlock(numberedSpecies(13, 1))}, {true, false}},
        {"a chain running into another", {releveRecord({}), releveRecord({.block = "3"})},
         {speciesBlock(numberedSpecies(1, 12), "2"), speciesBlock(numberedSpecies(13, 1)),
          speciesBlock(numberedSpecies(20, 12), "2")},
         {true, false}},
        {"separate chains", {releveRecord({}), releveRecord({.block = "2"})},
         {speciesBlock(numberedSpecies(1, 12)), speciesBlock(numberedSpecies(13, 1))}, {true, true}},
        {"200 relevés on one chain of 100 blocks", manyOnOne, longChain, onlyTheFirst},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        Fixture f;
        VegDatabase vdb;
        ASSERT_TRUE(vdb.openDataFile(f.write(c.releves, c.blocks)));
        std::vector<bool> readable;
        for (int i = 1; i <= vdb.recordCount(); ++i)
            readable.push_back(vdb.readReleve(i));
        EXPECT_EQ(readable, c.readable);
        // A relevé read again reads as before.
        EXPECT_TRUE(vdb.readReleve(1));
        EXPECT_GT(vdb.plantCount(), 0);
    }
}

// Header texts are UTF-16 and may hold what a table file cannot: such characters become "?",
// each text mended is told, and the rest stays as it was.
TEST(DataHeader, TextsATableCannotHoldAreMendedAndTold)
{
    QString text = QStringLiteral("#30$Dune € meadows$番号$");
    for (int n = 2; n <= 30; ++n)
        text += n == 9 ? QStringLiteral("1方位\r角$") : QStringLiteral("0item%1$").arg(n);
    DataHeader h = VegDatabase::parseHeaderRecord(headerRecord(text));
    ASSERT_EQ(h.itemsRead, 29);
    QStringList notes;
    mendDataHeader(&h, &notes);
    EXPECT_EQ(h.title, QStringLiteral("Dune ? meadows"));
    EXPECT_EQ(h.item1Caption, QStringLiteral("番号"));
    EXPECT_EQ(h.items[9].caption, QStringLiteral("方位?角"));
    EXPECT_EQ(h.items[10].caption, QStringLiteral("item10"));
    ASSERT_EQ(notes.size(), 2);
    EXPECT_TRUE(notes.at(0).contains(QStringLiteral("標題"))) << qPrintable(notes.at(0));
    EXPECT_TRUE(notes.at(1).contains(QStringLiteral("見出し項目 9"))) << qPrintable(notes.at(1));
}
