#include "database/databasebuilder.h"
#include "database/extraction.h"
#include "database/synonymdictionary.h"
#include "database/vegdatabase.h"
#include "platform/texthelpers.h"
#include "support/testsupport.h"
#include "table/covercode.h"
#include "table/headeritems.h"
#include "table/tablefile.h"
#include "table/tablemodel.h"

#include <QFile>

#include <functional>
#include <random>

#include <gtest/gtest.h>

using namespace Zelkor;
using Zelkor::Test::TempDir;

namespace {

struct SpeciesEntry
{
    const char *name;
    const char *layer;
    const char *code;
};

struct ReleveSpec
{
    const char *id;
    const char *mesh;
    std::vector<SpeciesEntry> species;
};

// A database built by the program's own builder, a dictionary, and an empty default table.
struct ExtractionTest : ::testing::Test
{
    TempDir dir;
    VegDatabase db;
    SynonymDictionary dict;
    TableModel model;
    HeaderItems items;
    Extraction extraction;

    void SetUp() override { model.clearTable(items); }

    void build(const std::vector<ReleveSpec> &releves)
    {
        DatabaseBuilder builder;
        for (const ReleveSpec &r : releves) {
            DatabaseBuilder::Site site;
            site.id = QString::fromUtf8(r.id);
            site.items[2] = QString::fromUtf8(r.id);
            site.items[3] = QStringLiteral("地点");
            site.items[7] = QString::fromUtf8(r.mesh);
            site.items[8] = QStringLiteral("120");
            ASSERT_TRUE(builder.addSite(site)) << qPrintable(builder.errorString());
            for (const SpeciesEntry &e : r.species)
                ASSERT_TRUE(builder.addSpecies(site.id, QString::fromUtf8(e.name), QString::fromUtf8(e.layer),
                                               QString::fromUtf8(e.code)))
                    << qPrintable(builder.errorString());
        }
        ASSERT_TRUE(builder.write(dir.path(QStringLiteral("t.zki")))) << qPrintable(builder.errorString());
        ASSERT_TRUE(db.openDataFile(dir.path(QStringLiteral("t.zki")))) << qPrintable(db.errorString());
        extraction.reset(db.recordCount());
    }

    void loadDictionary(const QStringList &lines)
    {
        ASSERT_TRUE(dict.load(dir.writeLines(QStringLiteral("d.dic"), lines)));
    }

    RetrievalQuery query(std::initializer_list<SpeciesCondition> conditions, const QString &mesh = QString())
    {
        RetrievalQuery q;
        q.firstRecord = 1;
        q.lastRecord = db.recordCount();
        q.meshPrefix = mesh;
        std::size_t i = 0;
        for (const SpeciesCondition &c : conditions)
            q.conditions[i++] = c;
        return q;
    }

    std::vector<int> selected() const
    {
        std::vector<int> out;
        for (int i = 1; i <= extraction.recordCount(); ++i)
            if (extraction.isSelected(i))
                out.push_back(i);
        return out;
    }

    QString cell(int c, int r) const { return model.grid().cell(c, r); }
    int H() const { return model.headerRows(); }
};

SpeciesCondition cond(const char *name, ConditionJoin join, int level = 0)
{
    return SpeciesCondition{QString::fromUtf8(name), level, join};
}

using J = ConditionJoin;
using V = std::vector<int>;

} // namespace

TEST_F(ExtractionTest, AllNamesEmptySelectsTheRangeAndInsertsInRecordOrder)
{
    build({{"R1", "5339", {{"Poa annua", "H1", "1"}}},
           {"R2", "5339", {{"Poa annua", "H1", "+"}, {"Bellis perennis", "H1", "r"}}},
           {"R3", "6339", {{"Trifolium repens", "H1", "23"}}}});
    for (J join : {J::And, J::Or}) {
        extraction.scan(db, dict, query({cond("", join)}), true);
        EXPECT_EQ(extraction.fitCount(), 3);
        EXPECT_EQ(selected(), (V{1, 2, 3}));
    }

    EXPECT_EQ(extraction.insert(db, dict, model, items), 3);
    model.recomputeFrequencies();
    EXPECT_EQ(model.releveCount(), 3);
    EXPECT_EQ(model.speciesCount(), 3);
    // Row 2 holds item 2 (the id), row 3 item 3, row 4 item 8 right-aligned in 4 characters.
    EXPECT_EQ(cell(4, 2), QStringLiteral("R1"));
    EXPECT_EQ(cell(6, 2), QStringLiteral("R3"));
    EXPECT_EQ(cell(5, 3), QStringLiteral("地点"));
    EXPECT_EQ(cell(4, 4), QStringLiteral(" 120"));
    EXPECT_EQ(cell(2, H() + 1), QStringLiteral("Poa annua"));
    EXPECT_EQ(cell(2, H() + 2), QStringLiteral("Bellis perennis"));
    EXPECT_EQ(cell(2, H() + 3), QStringLiteral("Trifolium repens"));
    EXPECT_EQ(cell(4, H() + 1), QStringLiteral("   1"));
    EXPECT_EQ(cell(5, H() + 1), QStringLiteral("   +"));
    EXPECT_EQ(cell(6, H() + 3), QStringLiteral("   2"));
    EXPECT_EQ(model.coverData().at(3, 3), (ByteDataSet{0, 0, 0, 0, 23, 0, 0}));
    // The relevé's scale bytes sit under species index 0.
    EXPECT_EQ(model.coverData().at(1, 0)[0], 5);
    EXPECT_EQ(model.coverData().at(1, 0)[1], 2);
    EXPECT_EQ(cell(3, H() + 1), QStringLiteral("   2"));
    EXPECT_EQ(cell(5, H()), QStringLiteral("   2"));
}

TEST_F(ExtractionTest, ConditionsAreEvaluatedLeftToRight)
{
    // A, B and C in every combination: record n has A if bit 0, B if bit 1, C if bit 2.
    std::vector<ReleveSpec> releves;
    static const char *ids[8] = {"N0", "N1", "N2", "N3", "N4", "N5", "N6", "N7"};
    for (int n = 0; n < 8; ++n) {
        ReleveSpec r{ids[n], "1", {{"Other", "H1", "1"}}};
        if (n & 1)
            r.species.push_back({"A", "H1", "1"});
        if (n & 2)
            r.species.push_back({"B", "H1", "1"});
        if (n & 4)
            r.species.push_back({"C", "H1", "1"});
        releves.push_back(r);
    }
    build(releves);

    struct Case
    {
        std::vector<SpeciesCondition> conds;
        V expected;
    };
    const Case cases[] = {
        // (A or B) and not C
        {{cond("A", J::And), cond("B", J::Or), cond("C", J::Not)}, {2, 3, 4}},
        // "なし" without a name selects nothing; with a name, the records without it.
        {{cond("", J::Not)}, {}},
        {{cond("A", J::Not)}, {1, 3, 5, 7}},
        // A gap in the names ends the conditions: C is ignored.
        {{cond("A", J::And), cond("", J::And), cond("C", J::Not)}, {2, 4, 6, 8}},
        {{cond("A", J::And), cond("B", J::And)}, {4, 8}},
        // The first condition's "または" and "そして" mean the same.
        {{cond("A", J::Or)}, {2, 4, 6, 8}},
        // Names are compared exactly, case included.
        {{cond("a", J::And)}, {}},
    };
    for (const Case &c : cases) {
        RetrievalQuery q = query({});
        std::copy(c.conds.begin(), c.conds.end(), q.conditions.begin());
        extraction.scan(db, dict, q, true);
        EXPECT_EQ(selected(), c.expected) << qPrintable(c.conds.front().name);
        EXPECT_EQ(extraction.fitCount(), int(c.expected.size()));
    }
}

TEST_F(ExtractionTest, MeshPrefixMatchesTrimmedCodes)
{
    build({{"M1", "5339", {{"A", "H1", "1"}}},
           {"M2", "53391234", {{"A", "H1", "1"}}},
           {"M3", "6339", {{"A", "H1", "1"}}},
           {"M4", "5339", {{"A", "H1", "1"}}}});
    db.closeDataFile();
    // Record 4's mesh code stored with leading blanks, as older databases have them.
    QFile zki(dir.path(QStringLiteral("t.zki")));
    ASSERT_TRUE(zki.open(QIODevice::ReadWrite));
    zki.seek(4 * 256 + 56);
    zki.write("  5339  ");
    zki.close();
    ASSERT_TRUE(db.openDataFile(dir.path(QStringLiteral("t.zki"))));

    extraction.scan(db, dict, query({cond("", J::And)}, QStringLiteral(" 5339 ")), true);
    EXPECT_EQ(selected(), (V{1, 2, 4}));
}

TEST_F(ExtractionTest, IgnoringCaseFoldsNamesAndMeshCodes)
{
    loadDictionary({QStringLiteral("Leontodon autumnalis,Scorzoneroides autumnalis")});
    build({{"I1", "5339", {{"Lolium perenne", "H1", "1"}}},
           {"I2", "6339", {{"Poa annua", "H1", "2"}}},
           {"I3", "533901", {{"LOLIUM PERENNE", "H1", "+"}, {"ススキ", "H1", "1"}}},
           {"I4", "6339", {{"leontodon AUTUMNALIS", "H1", "1"}}}});
    struct Case
    {
        std::vector<SpeciesCondition> conds;
        const char *mesh;
        bool ignoreCase;
        V expected;
    };
    const Case cases[] = {
        // As typed, names and mesh codes are compared exactly.
        {{cond("lolium perenne", J::And)}, "", false, {}},
        {{cond("Lolium perenne", J::And)}, "", false, {1}},
        {{cond("", J::And)}, "５３３９", false, {}},
        // Ignoring case: capitals, small letters and full-width letters and digits meet.
        {{cond("lolium perenne", J::And)}, "", true, {1, 3}},
        {{cond("ＬＯＬＩＵＭ ｐｅｒｅｎｎｅ", J::And)}, "", true, {1, 3}},
        {{cond("", J::And)}, "５３３９", true, {1, 3}},
        {{cond("lolium perenne", J::And)}, "６", true, {}},
        // The minimum cover and the joins work as before.
        {{cond("poa ANNUA", J::And, 2)}, "", true, {2}},
        {{cond("poa ANNUA", J::And, 3)}, "", true, {}},
        {{cond("lolium perenne", J::And), cond("poa annua", J::Or)}, "", true, {1, 2, 3}},
        {{cond("lolium perenne", J::And), cond("ススキ", J::Not)}, "", true, {1}},
        // Kana are compared as they are.
        {{cond("すすき", J::And)}, "", true, {}},
        // The database's synonym goes to its standard name first, which then meets the condition.
        {{cond("SCORZONEROIDES autumnalis", J::And)}, "", false, {}},
        {{cond("SCORZONEROIDES autumnalis", J::And)}, "", true, {4}},
    };
    for (const Case &c : cases) {
        RetrievalQuery q = query({}, QString::fromUtf8(c.mesh));
        q.ignoreCase = c.ignoreCase;
        std::copy(c.conds.begin(), c.conds.end(), q.conditions.begin());
        extraction.scan(db, dict, q, true);
        EXPECT_EQ(selected(), c.expected) << qPrintable(c.conds.front().name) << " " << c.mesh << " " << c.ignoreCase;
        EXPECT_EQ(extraction.fitCount(), int(c.expected.size()));
    }
}

TEST_F(ExtractionTest, MinimumCoverClass)
{
    build({{"C1", "1", {{"A", "H1", "23"}}},
           {"C2", "1", {{"A", "H1", "+"}, {"A", "T1", "r"}}},
           {"C3", "1", {{"A", "S1", "2"}, {"A", "H1", "+2"}}},
           {"C4", "1", {{"A", "M", "e"}}}});
    extraction.scan(db, dict, query({cond("A", J::And, 2)}), true);
    EXPECT_EQ(selected(), (V{1, 3}));
    extraction.scan(db, dict, query({cond("A", J::And, 0)}), true);
    EXPECT_EQ(selected(), (V{1, 2, 3, 4}));
    extraction.scan(db, dict, query({cond("A", J::And, 3)}), true);
    EXPECT_EQ(selected(), (V{}));
    // A cover text that is none of the items never holds.
    extraction.scan(db, dict, query({cond("A", J::And, -1)}), true);
    EXPECT_EQ(selected(), (V{}));
}

TEST_F(ExtractionTest, AdditionalExtractionKeepsEarlierHits)
{
    build({{"E1", "1", {{"A", "H1", "1"}}}, {"E2", "1", {{"B", "H1", "1"}}}, {"E3", "1", {{"C", "H1", "1"}}}});
    extraction.scan(db, dict, query({cond("A", J::And)}), true);
    EXPECT_EQ(extraction.fitCount(), 1);
    extraction.scan(db, dict, query({cond("B", J::And)}), false);
    EXPECT_EQ(selected(), (V{1, 2}));
    // Record 1 was untouched by the second scan (its first condition did not hold) and is
    // counted again.
    EXPECT_EQ(extraction.fitCount(), 3);
    extraction.scan(db, dict, query({cond("C", J::And)}), true);
    EXPECT_EQ(selected(), (V{3}));
    EXPECT_EQ(extraction.fitCount(), 1);
    // Records that miss the mesh prefix keep their selection and are counted again too.
    extraction.scan(db, dict, query({cond("", J::And)}, QStringLiteral("9")), false);
    EXPECT_EQ(selected(), (V{3}));
    EXPECT_EQ(extraction.fitCount(), 2);
}

TEST_F(ExtractionTest, SynonymsMeetInOneRowAndTheLaterEntryWins)
{
    loadDictionary({QStringLiteral("Leontodon autumnalis,Scorzoneroides autumnalis")});
    build({{"S1", "1",
            {{"Scorzoneroides autumnalis", "H1", "1"}, {"leontodon AUTUMNALIS", "T1", "2"}, {"Poa", "H1", "+"}}}});
    extraction.scan(db, dict, query({cond("Scorzoneroides autumnalis", J::And, 2)}), true);
    EXPECT_EQ(selected(), (V{1}));
    // Conditions compare standard names: the synonym itself is never found.
    EXPECT_TRUE(Extraction::findSpeciesCover(db, dict, QStringLiteral("Scorzoneroides autumnalis"), 0));
    EXPECT_FALSE(Extraction::findSpeciesCover(db, dict, QStringLiteral("Leontodon autumnalis"), 0));
    ASSERT_EQ(extraction.insert(db, dict, model, items), 1);
    EXPECT_EQ(model.speciesCount(), 2);
    EXPECT_EQ(cell(2, H() + 1), QStringLiteral("Scorzoneroides autumnalis"));
    EXPECT_EQ(cell(4, H() + 1), QStringLiteral("2   "));
    EXPECT_EQ(model.coverData().at(1, 1), (ByteDataSet{20, 0, 0, 0, 0, 0, 0}));
}

TEST_F(ExtractionTest, KnownSpeciesAddNoRowAndNewOnesGoToTheEnd)
{
    build({{"K1", "1", {{"A", "H1", "1"}, {"B", "H1", "1"}}},
           {"K2", "1", {{"B", "H1", "2"}, {"A", "H1", "3"}}},
           {"K3", "1", {{"C", "H1", "1"}, {"A", "H1", "+"}}}});
    RetrievalQuery q = query({cond("", J::And)});
    q.lastRecord = 2;
    extraction.scan(db, dict, q, true);
    ASSERT_EQ(extraction.insert(db, dict, model, items), 2);
    EXPECT_EQ(model.speciesCount(), 2);
    // The user moves B above A; a new species still goes after the last row.
    model.grid().moveRow(H() + 2, H() + 1);
    q.firstRecord = 3;
    q.lastRecord = 3;
    extraction.scan(db, dict, q, true);
    ASSERT_EQ(extraction.insert(db, dict, model, items), 1);
    EXPECT_EQ(model.releveCount(), 3);
    EXPECT_EQ(model.speciesCount(), 3);
    EXPECT_EQ(cell(2, H() + 1), QStringLiteral("B"));
    EXPECT_EQ(cell(2, H() + 3), QStringLiteral("C"));
    EXPECT_EQ(cell(6, H() + 2), QStringLiteral("   +"));
    EXPECT_EQ(model.coverData().at(3, model.speciesIndexAt(H() + 3))[4], 10);
}

TEST_F(ExtractionTest, ATableThatCannotGrowKeepsItsCountsConsistent)
{
    // Two relevés fit the species capacity; the third brings more species than the table can
    // take and is left out whole.
    std::vector<ReleveSpec> releves = {{"G1", "1", {{"A", "H1", "1"}}}, {"G2", "1", {{"B", "H1", "1"}}}};
    static std::vector<std::string> names;
    names.clear();
    for (int i = 0; i < 200; ++i)
        names.push_back("Species " + std::to_string(i));
    ReleveSpec big{"G3", "1", {}};
    for (const std::string &n : names)
        big.species.push_back({n.c_str(), "H1", "+"});
    releves.push_back(big);
    releves.push_back({"G4", "1", {{"A", "H1", "2"}, {"Z", "H1", "2"}}});
    build(releves);
    model.setCapacityLimit(130);

    extraction.scan(db, dict, query({cond("", J::And)}), true);
    EXPECT_EQ(extraction.insert(db, dict, model, items), 3);
    // The relevé left out is told, not dropped in silence.
    EXPECT_EQ(extraction.notInsertedCount(), 1);
    ASSERT_EQ(extraction.notes().size(), 1);
    EXPECT_TRUE(extraction.notes().at(0).startsWith(QStringLiteral("レコード 3: "))) << qPrintable(extraction.notes().at(0));
    EXPECT_EQ(extraction.insertReport(),
              QStringLiteral("選ばれた測定のうち 1 件は組み込めませんでした。\n") + extraction.notes().at(0));
    EXPECT_EQ(extraction.insertReport(0), QStringLiteral("選ばれた測定のうち 1 件は組み込めませんでした。\nほか 1 件"));
    model.recomputeFrequencies();
    EXPECT_EQ(model.releveCount(), 3);
    EXPECT_EQ(model.speciesCount(), 3);
    EXPECT_EQ(cell(6, 2), QStringLiteral("G4"));
    EXPECT_EQ(cell(2, H() + 3), QStringLiteral("Z"));
    EXPECT_TRUE(cell(2, H() + 4).isEmpty());
    // Nothing of the relevé left out remains in its column or in the cover codes.
    EXPECT_TRUE(cell(7, 2).isEmpty());
    EXPECT_TRUE(cell(7, H() + 1).isEmpty());
    for (int s = 1; s <= model.maxSpecies(); ++s)
        EXPECT_TRUE(isEmpty(model.coverData().at(4, s))) << s;
}

// The species rows a relevé left out had begun are gone, also for the names it brought: a later
// relevé with one of those names gives it a row of its own again, with its codes.
TEST_F(ExtractionTest, NamesOfAReleveLeftOutGetRowsAgainLater)
{
    std::vector<ReleveSpec> releves = {{"G1", "1", {{"A", "H1", "1"}}}, {"G2", "1", {{"B", "H1", "1"}}}};
    static std::vector<std::string> names;
    names.clear();
    for (int i = 0; i < 200; ++i)
        names.push_back("Species " + std::to_string(i));
    ReleveSpec big{"G3", "1", {}};
    for (const std::string &n : names)
        big.species.push_back({n.c_str(), "H1", "+"});
    releves.push_back(big);
    releves.push_back({"G4", "1", {{"Species 7", "S1", "2"}, {"A", "H1", "3"}, {"Species 0", "H1", "1"}}});
    build(releves);
    model.setCapacityLimit(130);

    extraction.scan(db, dict, query({cond("", J::And)}), true);
    EXPECT_EQ(extraction.insert(db, dict, model, items), 3);
    model.recomputeFrequencies();
    ASSERT_EQ(model.speciesCount(), 4);
    EXPECT_EQ(cell(2, H() + 3), QStringLiteral("Species 7"));
    EXPECT_EQ(cell(2, H() + 4), QStringLiteral("Species 0"));
    EXPECT_EQ(cell(6, H() + 1), QStringLiteral("   3"));
    const int r = model.releveIndexAt(6);
    EXPECT_EQ(model.coverData().at(r, model.speciesIndexAt(H() + 3)), (ByteDataSet{0, 0, 20, 0, 0, 0, 0}));
    EXPECT_EQ(model.coverData().at(r, model.speciesIndexAt(H() + 4)), (ByteDataSet{0, 0, 0, 0, 10, 0, 0}));
    EXPECT_FALSE(cell(6, H() + 3).isEmpty());
    EXPECT_FALSE(cell(6, H() + 4).isEmpty());
    EXPECT_EQ(model.speciesFreq(3), 1);
    EXPECT_EQ(model.coverData().entryCount(), 2u + 2u + 4u); // the scale bytes and species of G1, G2, G4
}

TEST_F(ExtractionTest, SelectionFollowsTheRecordCount)
{
    build({{"X1", "1", {{"A", "H1", "1"}}}});
    extraction.reset(1);
    // The database now has more records than the selection was sized for: scanning resizes it
    // instead of reading past its end.
    build({{"X1", "1", {{"A", "H1", "1"}}}, {"X2", "1", {{"A", "H1", "1"}}}, {"X3", "1", {{"A", "H1", "1"}}}});
    extraction.reset(1);
    extraction.scan(db, dict, query({cond("A", J::And)}), true);
    EXPECT_EQ(selected(), (V{1, 2, 3}));
}

namespace {

// A database pair written byte by byte, for contents the builder refuses to write: each relevé
// its raw record fields and raw species entries (name bytes, code bytes).
struct RawReleve
{
    QByteArray mesh = "5339";
    QByteArray site = "Site";
    char k = '5';
    QByteArray count = "  12";
    bool noBlock = false;
    std::vector<std::pair<QByteArray, QByteArray>> entries; // name, 14 code bytes
};

QString writeRawDatabase(const TempDir &dir, const std::vector<RawReleve> &releves)
{
    QByteArray zki(256, ' ');
    QByteArray zkd(512, ' ');
    int block = 1;
    for (const RawReleve &r : releves) {
        QByteArray rec(256, ' ');
        rec.replace(24, 8, r.site.leftJustified(8, ' ', true));
        rec.replace(56, 8, r.mesh.leftJustified(8, ' ', true));
        rec.replace(152, 4, r.count.rightJustified(4, ' ', true));
        rec[156] = r.k;
        rec[157] = '2';
        const int blocks = std::max<int>(1, int((r.entries.size() + 11) / 12));
        rec.replace(248, 6, QByteArray::number(r.noBlock ? 0 : block).rightJustified(6, ' '));
        zki += rec;
        for (int b = 0; b < blocks; ++b) {
            QByteArray blk(512, ' ');
            for (int k = 0; k < 12 && std::size_t(12 * b + k) < r.entries.size(); ++k) {
                const auto &e = r.entries[std::size_t(12 * b + k)];
                blk.replace(42 * k, 28, e.first.leftJustified(28, ' ', true));
                blk.replace(42 * k + 28, 14, e.second.leftJustified(14, ' ', true));
            }
            blk.replace(504, 6, QByteArray::number(b + 1 < blocks ? block + 1 : 0).rightJustified(6, ' '));
            zkd += blk;
            ++block;
        }
    }
    dir.writeBytes(QStringLiteral("raw.zkd"), zkd);
    return dir.writeBytes(QStringLiteral("raw.zki"), zki);
}

// Whether the relevé read last (its decoded species list) has name at the level, told entry by
// entry as the retrieval panel describes it.
bool listedAtLevel(const VegDatabase &db, const SynonymDictionary &dict, const QString &name, int level)
{
    if (level < 0)
        return false;
    for (int i = 1; i <= db.plantCount(); ++i) {
        const TabSp &e = db.plantSet()[std::size_t(i)];
        if (dict.synToCommonName(trimBlanks(e.nam)) != name)
            continue;
        for (quint8 code : e.dby)
            if (code >= level * 10)
                return true;
    }
    return false;
}

} // namespace

// The scan compares raw name fields through a cache; on a database with synonyms in other
// letter cases, names that do not decode, blank entries between names, unreadable records and
// every kind of code it selects exactly what reading each relevé's species list and testing the
// conditions in order selects.
TEST(ExtractionScan, SelectsWhatTheEntryByEntryReadingSelects)
{
    TempDir dir;
    std::mt19937 rng(12);
    const QByteArray names[] = {"Poa annua", "POA ANNUA", "poa vulgaris", "Festuca rubra", "Agrostis",
                                "  Agrostis", "Bellis\x81\x20", "Carex\xff", "Juncus", "Trifolium repens",
                                "trifolium REPENS", "Luzula", ""};
    const QByteArray codes[] = {"+ ", "r ", "1 ", "23", "5 ", "-1", "+3", "e ", "* ", "? ", "xx", "  "};
    std::vector<RawReleve> releves(300);
    for (std::size_t i = 0; i < releves.size(); ++i) {
        RawReleve &r = releves[i];
        r.mesh = QByteArray::number(5338 + int(rng() % 3)) + QByteArray::number(int(rng() % 10));
        switch (rng() % 20) {
        case 0: r.k = 'x'; break;        // K is no digit
        case 1: r.count = "  -1"; break; // marked unreadable
        case 2: r.noBlock = true; break; // no species list
        default: break;
        }
        const int n = int(rng() % 30);
        for (int e = 0; e < n; ++e) {
            QByteArray c(14, ' ');
            c.replace(2 * int(rng() % 7), 2, codes[rng() % std::size(codes)]);
            r.entries.push_back({names[rng() % std::size(names)], c});
        }
    }
    const QString zki = writeRawDatabase(dir, releves);
    SynonymDictionary dict;
    ASSERT_TRUE(dict.load(dir.writeLines(QStringLiteral("d.dic"),
                                                  {QStringLiteral("poa vulgaris,Poa annua"),
                                                   QStringLiteral("Trifolium repens,Trifolium"),
                                                   QStringLiteral("Juncus,Luzula")})));
    const QString wanted[] = {QStringLiteral("Poa annua"), QStringLiteral("POA ANNUA"), QStringLiteral("Agrostis"),
                              QStringLiteral("Trifolium"), QStringLiteral("Luzula"), QStringLiteral("Festuca rubra"),
                              QStringLiteral("Juncus"), QString()};
    const int levels[] = {0, 0, 1, 2, 3, 5, -1};
    const ConditionJoin joins[] = {ConditionJoin::Or, ConditionJoin::And, ConditionJoin::Not};

    VegDatabase db;
    VegDatabase reference;
    ASSERT_TRUE(db.openDataFile(zki));
    ASSERT_TRUE(reference.openDataFile(zki));
    int partial = 0; // rounds that selected some records of their range but not all
    for (int round = 0; round < 200; ++round) {
        SCOPED_TRACE(round);
        RetrievalQuery q;
        q.firstRecord = 1 + int(rng() % 50);
        q.lastRecord = q.firstRecord + int(rng() % 300);
        q.meshPrefix = rng() % 3 == 0 ? QString::number(5338 + int(rng() % 3)) : QString();
        for (SpeciesCondition &c : q.conditions)
            c = SpeciesCondition{wanted[rng() % std::size(wanted)], levels[rng() % std::size(levels)], joins[rng() % 3]};
        Extraction fast;
        fast.scan(db, dict, q, true);

        std::vector<int> expected;
        int unreadable = 0;
        for (int i = q.firstRecord; i <= std::min(q.lastRecord, reference.recordCount()); ++i) {
            if (!reference.readReleve(i)) {
                ++unreadable;
                continue;
            }
            if (!q.meshPrefix.isEmpty() && !reference.meshCode().startsWith(q.meshPrefix))
                continue;
            const auto &c = q.conditions;
            bool h = false;
            if (c[0].name.isEmpty() || listedAtLevel(reference, dict, c[0].name, c[0].level))
                h = c[0].join != ConditionJoin::Not;
            else if (c[0].join == ConditionJoin::Not)
                h = true;
            for (std::size_t k = 1; k < c.size() && !c[k].name.isEmpty(); ++k) {
                const bool f = listedAtLevel(reference, dict, c[k].name, c[k].level);
                h = c[k].join == ConditionJoin::Or ? h || f : c[k].join == ConditionJoin::And ? h && f : h && !f;
            }
            if (h)
                expected.push_back(i);
        }
        std::vector<int> got;
        for (int i = 1; i <= fast.recordCount(); ++i)
            if (fast.isSelected(i))
                got.push_back(i);
        ASSERT_EQ(got, expected);
        EXPECT_EQ(fast.fitCount(), int(expected.size()));
        EXPECT_EQ(fast.unreadableCount(), unreadable);
        if (!expected.empty() && int(expected.size()) + unreadable < q.lastRecord - q.firstRecord + 1)
            ++partial;
    }
    EXPECT_GT(partial, 50);
}

// Records that cannot be read are counted, so that a damaged database or a file that is no
// database does not pass for one without the relevés asked for.
TEST(ExtractionScan, UnreadableRecordsAreCounted)
{
    struct Case
    {
        const char *what;
        std::function<QString(const TempDir &)> make;
        int unreadable;
        int selected;
    };
    const auto fiveReleves = [](const TempDir &dir) {
        std::vector<RawReleve> r(5);
        for (RawReleve &x : r)
            x.entries = {{"Poa annua", "    1 "}};
        return writeRawDatabase(dir, r);
    };
    const Case cases[] = {
        {"sound database", fiveReleves, 0, 5},
        {"species file cut after two blocks",
         [&](const TempDir &dir) {
             const QString zki = fiveReleves(dir);
             QFile zkd(dir.path(QStringLiteral("raw.zkd")));
             zkd.resize(512 * 3);
             return zki;
         },
         3, 2},
        {"random bytes",
         [](const TempDir &dir) {
             std::mt19937 rng(3);
             QByteArray junk(256 * 41, '\0');
             for (char &c : junk)
                 c = char(rng());
             dir.writeBytes(QStringLiteral("junk.zkd"), junk);
             return dir.writeBytes(QStringLiteral("junk.zki"), junk);
         },
         40, 0},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        TempDir dir;
        VegDatabase db;
        ASSERT_TRUE(db.openDataFile(c.make(dir)));
        SynonymDictionary dict;
        Extraction extraction;
        RetrievalQuery q;
        q.lastRecord = db.recordCount();
        extraction.scan(db, dict, q, true);
        EXPECT_EQ(extraction.unreadableCount(), c.unreadable);
        EXPECT_EQ(extraction.fitCount(), c.selected);
    }
}

// One value the table cannot hold does not sink the extraction: a character that does not read
// as Shift-JIS or a control character becomes "?", an entry whose code a table cannot store is
// left out, each told with its record; the table then saves.
TEST(ExtractionInsert, WhatTheTableCannotHoldIsMendedAndTold)
{
    struct Case
    {
        const char *what;
        RawReleve releve;
        QString cell;   // the species name cell the entry gives ("" = no row)
        QString site;   // header item 3
        QString note;   // what the note says after "レコード 2: "
    };
    const Case cases[] = {
        {"name byte that is no Shift-JIS", {.entries = {{"Bellis\x81\x20perennis", "    1 "}}},
         QStringLiteral("Bellis? perennis"), QStringLiteral("Site"), QStringLiteral("1 番目の種名")},
        {"line end inside a name", {.entries = {{"Bellis\rperennis", "    1 "}}},
         QStringLiteral("Bellis?perennis"), QStringLiteral("Site"), QStringLiteral("1 番目の種名")},
        {"code a table cannot store", {.entries = {{"Bellis perennis", "    -1"}}},
         QString(), QStringLiteral("Site"), QStringLiteral("被度の値 255")},
        {"site name byte that is no Shift-JIS", {.site = "Si\xfdte", .entries = {{"Bellis perennis", "    1 "}}},
         QStringLiteral("Bellis perennis"), QStringLiteral("Si?te"), QStringLiteral("見出し項目 3")},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        TempDir dir;
        RawReleve sound;
        sound.entries = {{"Poa annua", "    1 "}};
        VegDatabase db;
        ASSERT_TRUE(db.openDataFile(writeRawDatabase(dir, {sound, c.releve})));
        SynonymDictionary dict;
        TableModel model;
        HeaderItems items;
        model.clearTable(items);
        Extraction extraction;
        extraction.reset(db.recordCount());
        RetrievalQuery q;
        q.lastRecord = db.recordCount();
        extraction.scan(db, dict, q, true);
        ASSERT_EQ(extraction.insert(db, dict, model, items), 2);
        const int H = model.headerRows();
        EXPECT_EQ(model.grid().cell(5, 3), c.site);
        EXPECT_EQ(model.speciesCount(), c.cell.isEmpty() ? 1 : 2);
        EXPECT_EQ(model.grid().cell(2, H + 2), c.cell);
        ASSERT_EQ(extraction.noteCount(), 1);
        EXPECT_TRUE(extraction.notes().at(0).startsWith(QStringLiteral("レコード 2: "))) << qPrintable(extraction.notes().at(0));
        EXPECT_TRUE(extraction.notes().at(0).contains(c.note)) << qPrintable(extraction.notes().at(0));
        TableFile file;
        EXPECT_TRUE(file.write(model, QStringLiteral("t"), dir.path(QStringLiteral("t.vtb")))) << qPrintable(file.errorString());
    }
}

// Header rows moved out of item order: each value still goes into the row of its own item.
TEST_F(ExtractionTest, HeaderValuesGoToTheRowsOfTheirItems)
{
    build({{"R1", "5339", {{"A", "H1", "1"}}}});
    CellGrid &grid = model.grid();
    // Swap the rows of items 2 and 8 (rows 2 and 4 of the default layout).
    ASSERT_EQ(grid.cell(0, 2), QStringLiteral("2"));
    ASSERT_EQ(grid.cell(0, 4), QStringLiteral("8"));
    for (int c = 0; c < grid.colCount(); ++c) {
        const QString a = grid.cell(c, 2);
        grid.setCell(c, 2, grid.cell(c, 4));
        grid.setCell(c, 4, a);
    }
    extraction.scan(db, dict, query({}), true);
    ASSERT_EQ(extraction.insert(db, dict, model, items), 1);
    EXPECT_EQ(cell(4, 2), QStringLiteral(" 120")); // item 8, the altitude
    EXPECT_EQ(cell(4, 3), QStringLiteral("地点"));  // item 3
    EXPECT_EQ(cell(4, 4), QStringLiteral("R1"));    // item 2
}
