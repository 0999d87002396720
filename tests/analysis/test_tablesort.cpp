#include "analysis/tablesort.h"
#include "table/headeritems.h"
#include "table/tablemodel.h"

#include <gtest/gtest.h>

#include <random>
#include <vector>

using namespace Zelkor;

namespace {

// A table laid out from the default items (header rows 1..18, species from row 20) with 14
// relevés.
struct SortTable : ::testing::Test
{
    TableModel model;
    HeaderItems items;

    void SetUp() override
    {
        model.clearTable(items);
        model.setReleveCount(14);
        for (int k = 1; k <= 14; ++k)
            model.grid().setCell(k + 3, 2, QStringLiteral("R%1").arg(k));
    }

    int h() const { return model.headerRows(); }
    QString name(int j) const { return model.grid().cell(2, h() + j); }
    QStringList names(int from, int to) const
    {
        QStringList out;
        for (int j = from; j <= to; ++j)
            out << name(j);
        return out;
    }

    // Species j found in the first `frequency` relevés (with cover code 10 + j, so that each
    // species' codes can be told apart).
    void putSpecies(int j, const QString &speciesName, int frequency)
    {
        const int row = h() + j;
        model.grid().setCell(2, row, speciesName);
        for (int k = 1; k <= frequency; ++k) {
            model.grid().setCell(k + 3, row, QStringLiteral("   1"));
            model.coverData().set(model.releveIndexAt(k + 3), model.speciesIndexAt(row),
                                  ByteDataSet{0, 0, 0, 0, quint8(10 + j), 0, 0});
        }
        model.setSpeciesCount(std::max(model.speciesCount(), j));
    }
};

// The grid rows or columns as the written insertion sort leaves them: each element in turn is
// taken out and put back after the last element before it whose key does not compare before
// (descending) or after (ascending) its own.
template<typename Element, typename Key>
std::vector<Element> insertionSorted(std::vector<Element> v, Key key, bool descending)
{
    for (std::size_t g = 1; g < v.size(); ++g) {
        const Element e = v[g];
        std::size_t k = g;
        while (k > 0 && (descending ? key(v[k - 1]) < key(e) : key(v[k - 1]) > key(e))) {
            v[k] = v[k - 1];
            --k;
        }
        v[k] = e;
    }
    return v;
}

} // namespace

TEST_F(SortTable, SpeciesByFrequencyBothDirections)
{
    // Frequencies 3, 12, 3 and 0 (a row with a name and no entry: an empty frequency cell).
    putSpecies(1, QStringLiteral("A"), 3);
    putSpecies(2, QStringLiteral("B"), 12);
    putSpecies(3, QStringLiteral("C"), 3);
    putSpecies(4, QStringLiteral("D"), 0);
    model.recomputeFrequencies();

    struct Case { bool descending; QStringList order; QStringList frequencies; };
    const Case cases[] = {
        {true, {"B", "A", "C", "D"}, {"  12", "   3", "   3", ""}},
        {false, {"D", "A", "C", "B"}, {"", "   3", "   3", "  12"}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.descending ? "descending" : "ascending");
        TableSort::sortPlants(model, 1, 4, c.descending);
        EXPECT_EQ(names(1, 4), c.order);
        for (int j = 1; j <= 4; ++j) {
            EXPECT_EQ(model.grid().cell(3, h() + j), c.frequencies[j - 1]) << j;
            // The index travels with its row: the codes found through it are the species' own.
            const int own = name(j).at(0).unicode() - 'A' + 1;
            const ByteDataSet codes = model.coverData().at(model.releveIndexAt(4), model.speciesIndexAt(h() + j));
            EXPECT_EQ(codes[4], own == 4 ? 0 : 10 + own) << j;
        }
        // Running numbers are recomputed by position; the empty row gets none.
        const int emptyRow = c.descending ? 4 : 1;
        EXPECT_TRUE(model.grid().cell(1, h() + emptyRow).isEmpty());
        EXPECT_EQ(model.grid().cell(1, h() + (c.descending ? 1 : 2)), QStringLiteral("   1"));
        EXPECT_EQ(model.speciesFreq(c.descending ? 1 : 4), 12);
        // A new order is a change to save; sorting an order again changes nothing.
        EXPECT_TRUE(model.isModified());
        model.setModified(false);
        TableSort::sortPlants(model, 1, 4, c.descending);
        EXPECT_FALSE(model.isModified());
    }
}

TEST_F(SortTable, TwelveSortsBeforeNineAndRowsOutsideTheRangeStay)
{
    const int frequencies[] = {1, 2, 3, 4, 9, 5, 12, 0, 6, 7};
    for (int j = 1; j <= 10; ++j)
        putSpecies(j, QStringLiteral("S%1").arg(j), frequencies[j - 1]);
    model.recomputeFrequencies();
    // Heights stay by position: a hidden row stays hidden where it was.
    model.grid().setRowHeight(h() + 6, 0);

    TableSort::sortPlants(model, 5, 8, true);
    EXPECT_EQ(names(1, 10), (QStringList{"S1", "S2", "S3", "S4", "S7", "S5", "S6", "S8", "S9", "S10"}));
    EXPECT_EQ(model.grid().rowHeight(h() + 6), 0);
    EXPECT_EQ(model.grid().rowHeight(h() + 5), model.grid().defaultRowHeight());
}

TEST_F(SortTable, RangesBeyondTheSpeciesInUseAndBackwardRanges)
{
    for (int j = 1; j <= 4; ++j)
        putSpecies(j, QStringLiteral("S%1").arg(j), j);
    model.recomputeFrequencies();

    // Ascending over spare rows would bring empty rows in front and push species out of the
    // table: the range ends with the last species.
    TableSort::sortPlants(model, 0, 10, false);
    EXPECT_EQ(names(1, 4), (QStringList{"S1", "S2", "S3", "S4"}));
    EXPECT_EQ(model.speciesCount(), 4);

    // A backward range sorts nothing but renumbers.
    model.grid().setCell(1, h() + 2, QStringLiteral("stale"));
    TableSort::sortPlants(model, 3, 2, true);
    EXPECT_EQ(names(1, 4), (QStringList{"S1", "S2", "S3", "S4"}));
    EXPECT_EQ(model.grid().cell(1, h() + 2), QStringLiteral("   2"));
}

TEST_F(SortTable, RelevesBySpeciesNumber)
{
    // Relevé k holds species 1..n[k]: species numbers 2, 12, 9, 2, 0, 14 in relevés 1..6.
    const int counts[] = {2, 12, 9, 2, 0, 14};
    for (int j = 1; j <= 14; ++j)
        model.grid().setCell(2, h() + j, QStringLiteral("S%1").arg(j));
    model.setSpeciesCount(14);
    for (int k = 1; k <= 6; ++k)
        for (int j = 1; j <= counts[k - 1]; ++j)
            model.grid().setCell(k + 3, h() + j, QStringLiteral("   +"));
    model.setReleveCount(6);
    model.recomputeFrequencies();
    model.grid().setColWidth(5, 1);
    const int indexOfR3 = model.releveIndexAt(6);

    auto labels = [&] {
        QStringList out;
        for (int k = 1; k <= 6; ++k)
            out << model.grid().cell(k + 3, 2);
        return out;
    };
    TableSort::sortReleve(model, 1, 5, true);
    EXPECT_EQ(labels(), (QStringList{"R2", "R3", "R1", "R4", "R5", "R6"}));
    EXPECT_EQ(model.releveIndexAt(5), indexOfR3);
    EXPECT_EQ(model.grid().cell(5, h()), QStringLiteral("   9"));
    EXPECT_EQ(model.releveSpCount(1), 12);
    // Running numbers by position; the empty relevé has none.
    EXPECT_EQ(model.grid().cell(4, 1), QStringLiteral("   1"));
    EXPECT_TRUE(model.grid().cell(8, 1).isEmpty());
    EXPECT_EQ(model.grid().colWidth(5), 1);

    TableSort::sortReleve(model, 2, 6, false);
    EXPECT_EQ(labels(), (QStringList{"R2", "R5", "R1", "R4", "R3", "R6"}));
}

TEST_F(SortTable, EqualsTheInsertionSortOnTheCounts)
{
    // Each species row (relevé column) holds a count of entries from the list, 0 included; the
    // sort orders by those counts as a straight insertion sort would.
    const int counts[] = {0, 1, 2, 3, 5, 9, 12};
    std::mt19937 rng(11);
    std::uniform_int_distribution<int> pickCount(0, int(std::size(counts)) - 1);
    const int n = 40;
    model.setSpeciesCount(n);
    if (model.maxReleves() < n) {
        ASSERT_TRUE(model.addCol(n));
    }
    model.setReleveCount(n);
    for (int round = 0; round < 30; ++round) {
        const bool descending = round % 2 == 0;
        const bool rows = round % 3 != 0;
        std::uniform_int_distribution<int> pos(1, n);
        int s1 = pos(rng), s2 = pos(rng);
        if (s1 > s2)
            std::swap(s1, s2);
        SCOPED_TRACE(QStringLiteral("round %1: %2 %3..%4").arg(round).arg(rows ? "rows" : "columns").arg(s1).arg(s2).toStdString());

        // Each element carries its name and its count; the test's own insertion sort gives the order.
        struct Element { QString name; int key; };
        std::vector<Element> before;
        for (int r = h() + 1; r <= h() + n; ++r)
            for (int c = 4; c < 4 + n; ++c)
                model.grid().setCell(c, r, QString());
        for (int k = 1; k <= n; ++k) {
            before.push_back({QStringLiteral("%1%2").arg(rows ? "S" : "R").arg(k), counts[pickCount(rng)]});
            for (int e = 1; e <= before.back().key; ++e) {
                if (rows)
                    model.grid().setCell(3 + e, h() + k, QStringLiteral("   +"));
                else
                    model.grid().setCell(k + 3, h() + e, QStringLiteral("   +"));
            }
            if (rows)
                model.grid().setCell(2, h() + k, before.back().name);
            else
                model.grid().setCell(k + 3, 2, before.back().name);
        }
        std::vector<Element> expected(before.begin(), before.begin() + s1 - 1);
        const std::vector<Element> sorted =
            insertionSorted(std::vector<Element>(before.begin() + s1 - 1, before.begin() + s2),
                            [](const Element &e) { return e.key; }, descending);
        expected.insert(expected.end(), sorted.begin(), sorted.end());
        expected.insert(expected.end(), before.begin() + s2, before.end());

        if (rows)
            TableSort::sortPlants(model, s1, s2, descending);
        else
            TableSort::sortReleve(model, s1, s2, descending);
        for (int p = 1; p <= n; ++p) {
            const QString got = rows ? name(p) : model.grid().cell(p + 3, 2);
            EXPECT_EQ(got, expected[std::size_t(p - 1)].name) << p;
        }
    }
}

TEST_F(SortTable, CountsPastFourDigits)
{
    // 10,001 relevés: a species in all of them shows its frequency as "1000" in the grid's four
    // characters, and still comes before one in 9,999 and one in 1,000.
    const int releves = 10001;
    ASSERT_TRUE(model.addCol(releves));
    model.setReleveCount(releves);
    model.setSpeciesCount(3);
    const int inReleves[] = {9999, 1000, 10001};
    const char *names[] = {"Common", "Rare", "Frequent"};
    for (int j = 1; j <= 3; ++j) {
        model.grid().setCell(2, h() + j, QString::fromLatin1(names[j - 1]));
        for (int k = 1; k <= inReleves[j - 1]; ++k)
            model.grid().setCell(k + 3, h() + j, QStringLiteral("   +"));
    }
    model.recomputeFrequencies();
    TableSort::sortPlants(model, 1, 3, true);
    EXPECT_EQ((QStringList{name(1), name(2), name(3)}), (QStringList{"Frequent", "Common", "Rare"}));
    TableSort::sortPlants(model, 1, 3, false);
    EXPECT_EQ((QStringList{name(1), name(2), name(3)}), (QStringList{"Rare", "Common", "Frequent"}));
}
