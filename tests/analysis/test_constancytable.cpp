#include "analysis/constancytable.h"
#include "analysis/freqtablecsvfile.h"
#include "analysis/freqtablemodel.h"
#include "analysis/freqtableprint.h"
#include "analysis/freqtabletextfile.h"
#include "analysis/sampletable.h"
#include "support/testsupport.h"
#include "table/covercode.h"

#include <gtest/gtest.h>

using namespace Zelkor;
using Zelkor::Test::fillTable;
using Zelkor::Test::relevesOf;

namespace {

FreqTableModel built(const TableModel &model, ConstancyContent content = ConstancyContent::Classes5WithCover,
                     bool blankEmpty = false)
{
    FreqTableModel out;
    ConstancyTable::build(model, ConstancyOptions{content, blankEmpty}, QStringLiteral("T"), &out);
    return out;
}

struct GroupCase
{
    const char *name;
    QString pattern;                 // relevé columns, see relevesOf
    QStringList names;               // row 0 of the constancy table
    QStringList counts;              // row 1
    std::vector<std::pair<int, int>> ranges; // first and last relevé of each group
};

class ConstancyGroups : public ::testing::TestWithParam<GroupCase>
{
};

QStringList manyNames()
{
    QStringList names;
    for (char ch = 'A'; ch <= 'Z'; ++ch)
        names << QString(QLatin1Char(ch));
    names << QStringLiteral("[") << QStringLiteral("\\") << QStringLiteral("]") << QStringLiteral("^");
    for (int j = 31; j <= 40; ++j)
        names << QString::number(j);
    return names;
}

QString manyPattern()
{
    QString pattern;
    for (int j = 1; j < 40; ++j)
        pattern += QStringLiteral("x.");
    return pattern + QStringLiteral("x");
}

std::vector<std::pair<int, int>> manyRanges()
{
    std::vector<std::pair<int, int>> ranges;
    for (int j = 0; j < 40; ++j)
        ranges.push_back({2 * j + 1, 2 * j + 1});
    return ranges;
}

const GroupCase kGroupCases[] = {
    {"no empty column gives one group A", QStringLiteral("xxx"), {QStringLiteral("A")}, {QStringLiteral("3")}, {{1, 3}}},
    {"empty columns at 1 and 2 give two empty groups", QStringLiteral("..xxx"),
     {QStringLiteral("A"), QStringLiteral("B"), QStringLiteral("C")},
     {QStringLiteral("0"), QStringLiteral("0"), QStringLiteral("3")}, {{1, 0}, {2, 1}, {3, 5}}},
    {"an empty last column gives an empty last group", QStringLiteral("xx.x."),
     {QStringLiteral("A"), QStringLiteral("B"), QStringLiteral("C")},
     {QStringLiteral("2"), QStringLiteral("1"), QStringLiteral("0")}, {{1, 2}, {4, 4}, {6, 5}}},
    {"forty groups", manyPattern(), manyNames(), QStringList(40, QStringLiteral("1")), manyRanges()},
};

} // namespace

TEST_P(ConstancyGroups, GroupsFollowTheEmptyColumns)
{
    const GroupCase &c = GetParam();
    TableModel model;
    fillTable(&model, {QStringLiteral("Festuca rubra")}, relevesOf(c.pattern));

    const std::vector<ReleveGroup> groups = ConstancyTable::findGroups(model);
    ASSERT_EQ(groups.size(), c.ranges.size());
    for (std::size_t j = 0; j < groups.size(); ++j) {
        EXPECT_EQ(groups[j].first, c.ranges[j].first) << "group " << j + 1;
        EXPECT_EQ(groups[j].last, c.ranges[j].second) << "group " << j + 1;
    }
    int releves = 0;
    int empty = 0;
    ConstancyTable::countReleves(model, &releves, &empty);
    EXPECT_EQ(releves, int(c.pattern.count(QLatin1Char('x'))));
    EXPECT_EQ(empty + 1, int(groups.size()));

    const FreqTableModel table = built(model);
    const CellGrid &g = table.grid();
    ASSERT_EQ(g.colCount(), int(c.names.size()) + 1);
    for (int j = 1; j < g.colCount(); ++j) {
        EXPECT_EQ(g.cell(j, 0), c.names[j - 1]);
        EXPECT_EQ(g.cell(j, 1), c.counts[j - 1]);
        // The one species is in every relevé: full presence, or no relevé at all.
        const bool empty = c.counts[j - 1] == QStringLiteral("0");
        EXPECT_EQ(g.cell(j, 2).isEmpty(), empty) << "group " << j;
        EXPECT_EQ(g.cell(j, 3) == QStringLiteral("・"), empty) << "group " << j;
    }
}

INSTANTIATE_TEST_SUITE_P(Cases, ConstancyGroups, ::testing::ValuesIn(kGroupCases), Zelkor::Test::CaseNameOf());

TEST(ConstancyTable, LayoutOfTheWindowTable)
{
    TableModel model;
    model.setTableFont(FontSpec{QStringLiteral("ＭＳ ゴシック"), 9});
    fillTable(&model, {QStringLiteral("Festuca rubra"), QStringLiteral("海岸の群落"), QStringLiteral("Poa annua")},
              {{QStringLiteral("  1 "), QString(), QStringLiteral(" +  ")}, {}, {QStringLiteral("  2 ")}});

    struct Case { ConstancyContent content; int colWidth; };
    for (const Case c : {Case{ConstancyContent::Classes5WithCover, 45}, Case{ConstancyContent::Classes10WithCover, 45},
                         Case{ConstancyContent::Classes5, 22}, Case{ConstancyContent::Classes10, 22},
                         Case{ConstancyContent::Occurrences, 22}}) {
        FreqTableModel table;
        table.setScoreTable(FontSpec{QStringLiteral("x"), 12}, {{QStringLiteral("a"), QStringLiteral("1.0")}}, {});
        ConstancyTable::build(model, ConstancyOptions{c.content, false}, QStringLiteral("砂丘常在度表"), &table);
        const CellGrid &g = table.grid();
        SCOPED_TRACE(int(c.content));
        EXPECT_EQ(table.caption(), QStringLiteral("砂丘常在度表"));
        EXPECT_EQ(table.font(), model.tableFont());
        EXPECT_TRUE(table.isToolPanelVisible());
        EXPECT_EQ(g.colCount(), 3);
        EXPECT_EQ(g.rowCount(), 6);
        EXPECT_EQ(g.fixedRows(), 3);
        EXPECT_EQ(g.fixedCols(), 1);
        EXPECT_EQ(g.colWidth(0), 180);
        EXPECT_EQ(g.colWidth(1), c.colWidth);
        EXPECT_EQ(g.defaultRowHeight(), 14);
        EXPECT_EQ(g.cell(0, 0), QStringLiteral("　群落区分"));
        EXPECT_EQ(g.cell(0, 1), QStringLiteral("　測定数"));
        EXPECT_EQ(g.cell(0, 2), QStringLiteral("　平均種数"));
        EXPECT_EQ(g.cell(0, 3), QStringLiteral("Festuca rubra"));
        EXPECT_EQ(g.cell(0, 4), QStringLiteral("海岸の群落"));
        EXPECT_EQ(g.cell(0, 5), QStringLiteral("Poa annua"));
        // The score table left nothing behind.
        EXPECT_EQ(g.cell(3, 1), QString());
    }
}

TEST(ConstancyTable, CommentRowsAndAbsentSpecies)
{
    TableModel model;
    fillTable(&model, {QStringLiteral("Festuca rubra"), QStringLiteral("＜砂丘の低木＞"), QStringLiteral("Poa annua")},
              {{QStringLiteral("  1 ")}, {}, {QStringLiteral("  1 ")}});
    for (const bool blank : {false, true}) {
        const CellGrid g = built(model, ConstancyContent::Classes5WithCover, blank).grid();
        const QString absent = blank ? QString() : QStringLiteral("・");
        EXPECT_EQ(g.cell(0, 4), QStringLiteral("＜砂丘の低木＞"));
        EXPECT_EQ(g.cell(1, 4), absent);
        EXPECT_EQ(g.cell(2, 4), absent);
        EXPECT_EQ(g.cell(1, 5), absent);
        EXPECT_EQ(g.cell(1, 3), QStringLiteral("１ 1"));
    }
}

namespace {

struct ClassCase
{
    const char *name;
    ConstancyContent content;
    int groupSize;
    std::vector<int> present;   // species k is in the first present[k] relevés
    QStringList expected;       // the cell of each species
};

class ConstancyClasses : public ::testing::TestWithParam<ClassCase>
{
};

const QString I = QStringLiteral("Ⅰ"), II = QStringLiteral("Ⅱ"), III = QStringLiteral("Ⅲ"), IV = QStringLiteral("Ⅳ"),
              V = QStringLiteral("Ⅴ"), X = QStringLiteral("Ⅹ");

const ClassCase kClassCases[] = {
    {"group of 4 shows counts under I to V", ConstancyContent::Classes5, 4, {1, 2, 3, 4},
     {QStringLiteral("１"), QStringLiteral("２"), QStringLiteral("３"), QStringLiteral("４")}},
    {"group of 4 shows counts under I to X", ConstancyContent::Classes10, 4, {1, 4},
     {QStringLiteral("１"), QStringLiteral("４")}},
    {"group of 5 shows classes under I to V", ConstancyContent::Classes5, 5, {1, 2, 3, 4, 5}, {I, II, III, IV, V}},
    {"group of 5 shows counts under I to X", ConstancyContent::Classes10, 5, {1, 5},
     {QStringLiteral("１"), QStringLiteral("５")}},
    {"group of 9 shows classes under I to V", ConstancyContent::Classes5, 9, {1, 2, 4, 5, 9}, {I, II, III, III, V}},
    {"group of 9 shows counts under I to X", ConstancyContent::Classes10, 9, {1, 9},
     {QStringLiteral("１"), QStringLiteral("９")}},
    {"group of 10 under I to X", ConstancyContent::Classes10, 10, {1, 2, 5, 9, 10},
     {I, QStringLiteral("Ⅱ"), V, QStringLiteral("Ⅸ"), X}},
    {"group of 10 under I to V", ConstancyContent::Classes5, 10, {1, 2, 3, 10}, {I, I, II, V}},
    {"3 of 8 is class II", ConstancyContent::Classes5, 8, {3}, {II}},
    {"3 of 8 with cover", ConstancyContent::Classes5WithCover, 8, {3}, {QStringLiteral("Ⅱ 1")}},
    {"11 of 12 under I to X with cover", ConstancyContent::Classes10WithCover, 12, {11}, {QStringLiteral("Ⅹ 1")}},
    {"plain occurrences", ConstancyContent::Occurrences, 12, {1, 11}, {QStringLiteral("1"), QStringLiteral("11")}},
};

} // namespace

TEST_P(ConstancyClasses, CellsFollowTheShareOfRelevés)
{
    const ClassCase &c = GetParam();
    QStringList names;
    for (std::size_t k = 0; k < c.present.size(); ++k)
        names << QStringLiteral("Species %1").arg(k + 1);
    std::vector<QStringList> releves(std::size_t(c.groupSize));
    for (int p = 0; p < c.groupSize; ++p)
        for (std::size_t k = 0; k < c.present.size(); ++k)
            releves[std::size_t(p)] << (p < c.present[k] ? QStringLiteral("  1 ") : QString());
    // A species in every relevé keeps no relevé empty.
    names << QStringLiteral("Everywhere");
    for (QStringList &r : releves)
        r << QStringLiteral("  1 ");
    TableModel model;
    fillTable(&model, names, releves);

    const CellGrid g = built(model, c.content).grid();
    for (qsizetype k = 0; k < c.expected.size(); ++k)
        EXPECT_EQ(g.cell(1, 3 + int(k)), c.expected[k]) << "species " << k + 1;
}

INSTANTIATE_TEST_SUITE_P(Cases, ConstancyClasses, ::testing::ValuesIn(kClassCases), Zelkor::Test::CaseNameOf());

TEST(ConstancyTable, CoverRangesInTheOrderOfTheCoverMarks)
{
    const QString star = dataToCellText(ByteDataSet{0, 0, 0, 0, 7, 0, 0});
    ASSERT_FALSE(star.isEmpty());
    TableModel model;
    // Species: " 2+ " and "  1 "; r alone; "*" alone (no cover mark); "+", "5" and "r" together;
    // e alone; r, 1 and +.
    fillTable(&model,
              {QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("c"), QStringLiteral("d"), QStringLiteral("e"),
               QStringLiteral("f")},
              {{QStringLiteral(" 2+ "), QStringLiteral(" r  "), star, QStringLiteral("   +"), QStringLiteral("  e "),
                QStringLiteral("   r")},
               {QStringLiteral("  1 "), QString(), QString(), QStringLiteral("  5 "), QString(), QStringLiteral("   1")},
               {QString(), QString(), QString(), QStringLiteral(" r  "), QString(), QStringLiteral("   +")}});
    for (const ConstancyContent content : {ConstancyContent::Classes5WithCover, ConstancyContent::Classes10WithCover}) {
        const CellGrid g = built(model, content).grid();
        EXPECT_EQ(g.cell(1, 3), QStringLiteral("２ +-2"));
        EXPECT_EQ(g.cell(1, 4), QStringLiteral("１ r"));
        EXPECT_EQ(g.cell(1, 5), QStringLiteral("１"));
        EXPECT_EQ(g.cell(1, 6), QStringLiteral("３ r-5"));
        EXPECT_EQ(g.cell(1, 7), QStringLiteral("１ e"));
        EXPECT_EQ(g.cell(1, 8), QStringLiteral("３ r-1"));
    }
    // Without cover the same species show the class alone.
    EXPECT_EQ(built(model, ConstancyContent::Classes5).grid().cell(1, 5), QStringLiteral("１"));
}

TEST(ConstancyTable, MeanSpeciesNumbers)
{
    struct Case { long long sum; int count; const char *mean; };
    for (const Case c : {Case{33, 3, "11"}, Case{23, 2, "11.5"}, Case{5, 4, "1.2"}, Case{7, 4, "1.8"},
                         Case{1, 3, "0.3"}, Case{0, 0, ""}, Case{80000, 20, "4000"}})
        EXPECT_EQ(ConstancyTable::meanSpeciesNumber(c.sum, c.count), QString::fromLatin1(c.mean))
            << c.sum << " / " << c.count;

    // Relevés of 10, 11 and 12 species, an empty column, relevés of 10 and 13 species.
    QStringList names;
    for (int s = 1; s <= 13; ++s)
        names << QStringLiteral("Species %1").arg(s);
    auto firstSpecies = [](int n) { return QStringList(n, QStringLiteral("  1 ")); };
    TableModel model;
    fillTable(&model, names, {firstSpecies(10), firstSpecies(11), firstSpecies(12), {}, firstSpecies(10), firstSpecies(13)});
    const CellGrid g = built(model).grid();
    EXPECT_EQ(g.cell(1, 2), QStringLiteral("11"));
    EXPECT_EQ(g.cell(2, 2), QStringLiteral("11.5"));
}

TEST(ConstancyTable, SpeciesNumbersAddUpBeyondSixteenBits)
{
    // Twenty relevés of 3,300 species each: the group's sum 66,000 does not fit 16 bits.
    const int species = 3300;
    QStringList names;
    for (int s = 1; s <= species; ++s)
        names << QStringLiteral("Species %1").arg(s);
    const std::vector<QStringList> releves(20, QStringList(species, QStringLiteral("  1 ")));
    TableModel model;
    fillTable(&model, names, releves);
    const FreqTableModel table = built(model);
    EXPECT_EQ(table.grid().cell(1, 2), QStringLiteral("3300"));
    EXPECT_EQ(table.grid().cell(1, 2 + species), QStringLiteral("Ⅴ 1"));
}

namespace {

// Groups A (4 relevés) and B (6 relevés).
const std::vector<Zelkor::Test::GroupedSpecies> kFidelitySpecies = {
    {QStringLiteral("Everywhere"), {4, 6}},
    {QStringLiteral("Only A"), {4, 0}},
    {QStringLiteral("Mostly A"), {3, 1}},
    {QStringLiteral("＜コメント＞"), {}},
    {QStringLiteral("Mostly B"), {0, 5}},
};

ConstancyOptions withFidelity(ConstancyContent content, bool diagnosticOrder = false)
{
    ConstancyOptions o;
    o.content = content;
    o.fidelity = true;
    o.diagnosticOrder = diagnosticOrder;
    return o;
}

} // namespace

TEST(ConstancyTable, FidelityBesideTheConstancy)
{
    TableModel model;
    Zelkor::Test::fillGroupedTable(&model, {4, 6}, kFidelitySpecies);
    FreqTableModel table;
    ConstancyTable::build(model, withFidelity(ConstancyContent::Classes5), QStringLiteral("T"), &table);
    const CellGrid &g = table.grid();
    ASSERT_EQ(g.rowCount(), 8);
    // Standardised phi: 1 for "Only A"; 14/sqrt(572) = 0.585 for "Mostly A" in A; 20/sqrt(560) =
    // 0.845 for "Mostly B" in B. Negative and zero phi show no number.
    const QStringList a = {QStringLiteral("４"), QStringLiteral("４ 100"), QStringLiteral("３ 59"), QStringLiteral("・"),
                           QStringLiteral("・")};
    const QStringList b = {QStringLiteral("Ⅴ"), QStringLiteral("・"), QStringLiteral("Ⅰ"), QStringLiteral("・"),
                           QStringLiteral("Ⅴ 85")};
    for (int s = 0; s < 5; ++s) {
        EXPECT_EQ(g.cell(0, 3 + s), kFidelitySpecies[std::size_t(s)].name);
        EXPECT_EQ(g.cell(1, 3 + s), a[s]) << s;
        EXPECT_EQ(g.cell(2, 3 + s), b[s]) << s;
    }
    // "Mostly A" has the phi but not the p (25/210): only two cells are diagnostic.
    EXPECT_EQ(table.shadedCells(), (std::vector<GridCell>{{1, 4}, {2, 7}}));
    EXPECT_TRUE(table.showsFidelity());
    // Room for the number: 2.5 + 2.5 times the point size, with cover ranges 5 + 2.5.
    EXPECT_EQ(g.colWidth(1), 45);
    ConstancyTable::build(model, withFidelity(ConstancyContent::Classes5WithCover), QStringLiteral("T"), &table);
    EXPECT_EQ(table.grid().cell(2, 7), QStringLiteral("Ⅴ 1 85"));
    EXPECT_EQ(table.grid().colWidth(1), 68);

    // Unstandardised and with another threshold: 14/24 in A is 58; phi ≥ 0.9 leaves "Only A".
    ConstancyOptions o = withFidelity(ConstancyContent::Occurrences);
    o.fidelityOptions.standardize = false;
    o.fidelityOptions.phiThreshold = 0.9;
    ConstancyTable::build(model, o, QStringLiteral("T"), &table);
    EXPECT_EQ(table.grid().cell(1, 5), QStringLiteral("3 58"));
    EXPECT_EQ(table.grid().cell(2, 7), QStringLiteral("5 82"));
    EXPECT_EQ(table.shadedCells(), (std::vector<GridCell>{{1, 4}}));
}

TEST(ConstancyTable, DiagnosticOrderInBlocksUnderHeadings)
{
    TableModel model;
    Zelkor::Test::fillGroupedTable(&model, {4, 6}, kFidelitySpecies);
    FreqTableModel table;
    ConstancyTable::build(model, withFidelity(ConstancyContent::Classes5, true), QStringLiteral("T"), &table);
    const CellGrid &g = table.grid();
    const QStringList labels = {QStringLiteral("　A の診断種"), QStringLiteral("Only A"), QStringLiteral("　B の診断種"),
                                QStringLiteral("Mostly B"), QStringLiteral("　その他の種"), QStringLiteral("Everywhere"),
                                QStringLiteral("Mostly A"), QStringLiteral("＜コメント＞")};
    ASSERT_EQ(g.rowCount(), 3 + int(labels.size()));
    for (int k = 0; k < labels.size(); ++k)
        EXPECT_EQ(g.cell(0, 3 + k), labels[k]) << k;
    // Heading rows have no cells; the species keep theirs.
    for (const int row : {3, 5, 7}) {
        EXPECT_EQ(g.cell(1, row), QString());
        EXPECT_EQ(g.cell(2, row), QString());
    }
    EXPECT_EQ(g.cell(1, 4), QStringLiteral("４ 100"));
    EXPECT_EQ(g.cell(2, 6), QStringLiteral("Ⅴ 85"));
    EXPECT_EQ(table.shadedCells(), (std::vector<GridCell>{{1, 4}, {2, 6}}));
    EXPECT_EQ(g.fixedRows(), 3);

    // Every species diagnostic: no rest, and no heading for it.
    TableModel two;
    Zelkor::Test::fillGroupedTable(&two, {4, 6}, {{QStringLiteral("Only A"), {4, 0}}, {QStringLiteral("Only B"), {0, 6}}});
    ConstancyOptions o = withFidelity(ConstancyContent::Classes5, true);
    ConstancyTable::build(two, o, QStringLiteral("T"), &table);
    EXPECT_EQ(table.clipboardText().split(QStringLiteral("\r\n")).mid(3),
              (QStringList{QStringLiteral("　A の診断種\t\t"), QStringLiteral("Only A\t４ 100\t・"),
                           QStringLiteral("　B の診断種\t\t"), QStringLiteral("Only B\t・\tⅤ 100"), QString()}));
    // Groups without diagnostic species (p = 1/210 against α = 0.002) keep their headings.
    o.fidelityOptions.alpha = 0.002;
    ConstancyTable::build(two, o, QStringLiteral("T"), &table);
    EXPECT_EQ(table.clipboardText().split(QStringLiteral("\r\n")).mid(3),
              (QStringList{QStringLiteral("　A の診断種\t\t"), QStringLiteral("　B の診断種\t\t"),
                           QStringLiteral("　その他の種\t\t"), QStringLiteral("Only A\t４ 100\t・"),
                           QStringLiteral("Only B\t・\tⅤ 100"), QString()}));
}

TEST(ConstancyTable, WithoutFidelityItsSettingsChangeNothing)
{
    TableModel model;
    Zelkor::Test::fillGroupedTable(&model, {4, 6}, kFidelitySpecies);
    Zelkor::Test::TempDir dir;
    for (const ConstancyContent content : {ConstancyContent::Classes5WithCover, ConstancyContent::Classes10WithCover,
                                           ConstancyContent::Classes5, ConstancyContent::Classes10,
                                           ConstancyContent::Occurrences}) {
        SCOPED_TRACE(int(content));
        FreqTableModel classic;
        ConstancyTable::build(model, ConstancyOptions{content, false}, QStringLiteral("砂丘常在度表"), &classic);
        ConstancyOptions o{content, false};
        o.diagnosticOrder = true;
        o.fidelityOptions = FidelityOptions{false, 0.1, 0.5};
        FreqTableModel other;
        other.setShadedCells({GridCell{1, 3}});
        other.setShowsFidelity(true);
        ConstancyTable::build(model, o, QStringLiteral("砂丘常在度表"), &other);
        EXPECT_EQ(other.clipboardText(), classic.clipboardText());
        EXPECT_EQ(other.grid().colWidth(1), classic.grid().colWidth(1));
        EXPECT_TRUE(other.shadedCells().empty());
        EXPECT_FALSE(other.showsFidelity());
        EXPECT_EQ(FreqTablePrint::lines(other), FreqTablePrint::lines(classic));

        FreqTableCsvFile csv;
        FreqTableTextFile text;
        ASSERT_TRUE(csv.write(classic, dir.path(QStringLiteral("a.csv"))));
        ASSERT_TRUE(csv.write(other, dir.path(QStringLiteral("b.csv"))));
        ASSERT_TRUE(text.write(classic, QStringLiteral("2024/06/01"), dir.path(QStringLiteral("a.txt"))));
        ASSERT_TRUE(text.write(other, QStringLiteral("2024/06/01"), dir.path(QStringLiteral("b.txt"))));
        EXPECT_EQ(Zelkor::Test::readBytes(dir.path(QStringLiteral("b.csv"))), Zelkor::Test::readBytes(dir.path(QStringLiteral("a.csv"))));
        EXPECT_EQ(Zelkor::Test::readBytes(dir.path(QStringLiteral("b.txt"))), Zelkor::Test::readBytes(dir.path(QStringLiteral("a.txt"))));
    }
}

TEST(ConstancyTable, FidelityCellsGoThroughTheFiles)
{
    TableModel model;
    Zelkor::Test::fillGroupedTable(&model, {4, 6}, kFidelitySpecies);
    FreqTableModel table;
    ConstancyTable::build(model, withFidelity(ConstancyContent::Classes5, true), QStringLiteral("砂丘常在度表"), &table);
    Zelkor::Test::TempDir dir;

    FreqTableCsvFile csv;
    ASSERT_TRUE(csv.write(table, dir.path(QStringLiteral("t.csv"))));
    FreqTableModel read = table;
    ASSERT_TRUE(csv.read(dir.path(QStringLiteral("t.csv")), &read));
    EXPECT_EQ(read.clipboardText(), table.clipboardText());
    EXPECT_TRUE(read.shadedCells().empty());

    FreqTableTextFile text;
    ASSERT_TRUE(text.write(table, QStringLiteral("2024/06/01"), dir.path(QStringLiteral("t.txt"))));
    const QStringList lines = Zelkor::Test::readLines(dir.path(QStringLiteral("t.txt")));
    EXPECT_TRUE(lines.contains(QStringLiteral("Only A,４ 100")));
    EXPECT_TRUE(lines.contains(QStringLiteral("Mostly B,Ⅴ 85")));
    // Heading rows have no cell to write.
    EXPECT_FALSE(lines.join(QLatin1Char('\n')).contains(QStringLiteral("診断種")));
    // Read into the window beside itself, the groups come again and the shading stays.
    FreqTableModel merged = table;
    ASSERT_TRUE(text.read(dir.path(QStringLiteral("t.txt")), &merged));
    EXPECT_EQ(merged.grid().colCount(), 5);
    EXPECT_EQ(merged.grid().cell(3, 4), QStringLiteral("４ 100"));
    EXPECT_EQ(merged.shadedCells(), table.shadedCells());
}
