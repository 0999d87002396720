#include "database/databasebuilder.h"
#include "database/extraction.h"
#include "database/synonymdictionary.h"
#include "database/vegdatabase.h"
#include "support/testsupport.h"
#include "table/headeritems.h"
#include "table/tablemodel.h"

#include <QFile>

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
        ASSERT_TRUE(dict.setDictionary(dir.writeLines(QStringLiteral("d.dic"), lines)));
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
