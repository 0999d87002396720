#include "analysis/codedtable.h"
#include "analysis/covertovalue.h"
#include "analysis/ordinationmatrix.h"
#include "analysis/workcrew.h"

#include <gtest/gtest.h>

using namespace Zelkor;

namespace {

// A comment row (no codes) on top, an empty separator column, "*" (code 7, absent) in one cell,
// and codes that methods 0, 2 and 3 turn into decimals or large numbers.
void fillTable(TableModel &model)
{
    Zelkor::Test::fillCodedTable(model,
                                 {QStringLiteral("コメント"), QStringLiteral("Festuca rubra"), QStringLiteral("Poa annua"),
                                  QStringLiteral("Juncus effusus")},
                                 {QStringLiteral("A1"), QString(), QStringLiteral("B1"), QStringLiteral("B2")},
                                 {{0, 1, 23, 0}, {}, {0, 7, 50, 10}, {0, 0, 1, 40}});
}

// Every cell of the matrix as (relevé position, species position, value), relevé by relevé.
std::vector<std::tuple<int, int, int>> cellsOf(const OrdinationMatrix &m)
{
    std::vector<std::tuple<int, int, int>> cells;
    for (std::size_t i = 0; i < m.scoredReleves().size(); ++i)
        for (std::size_t e = m.releveBegin(i); e < m.releveEnd(i); ++e)
            cells.emplace_back(m.scoredReleves()[i], m.scoredSpecies()[m.speciesAt(e)], m.releveValueAt(e));
    return cells;
}

} // namespace

TEST(OrdinationMatrix, TableCellsInTenthsOfTheConversionWithoutEmptyRowsAndColumns)
{
    TableModel model;
    fillTable(model);
    for (int method = 0; method < CoverMethodCount; ++method) {
        SCOPED_TRACE(method);
        const OrdinationMatrix m = OrdinationMatrix::fromTable(model, method);
        EXPECT_EQ(m.releveCount(), 4);
        EXPECT_EQ(m.speciesCount(), 4);
        EXPECT_EQ(m.scoredReleves(), (std::vector<int>{1, 3, 4}));
        EXPECT_EQ(m.scoredSpecies(), (std::vector<int>{2, 3, 4}));
        auto tenths = [&](quint8 code) { return coverToTenths(method, Zelkor::Test::herb(code)); };
        const std::vector<std::tuple<int, int, int>> want{{1, 2, tenths(1)}, {1, 3, tenths(23)}, {3, 3, tenths(50)},
                                                          {3, 4, tenths(10)}, {4, 3, tenths(1)}, {4, 4, tenths(40)}};
        EXPECT_EQ(cellsOf(m), want);
        EXPECT_EQ(m.cellCount(), 6u);
        EXPECT_EQ(m.releveTotals(), (std::vector<double>{double(tenths(1) + tenths(23)), double(tenths(50) + tenths(10)),
                                                         double(tenths(1) + tenths(40))}));
        EXPECT_EQ(m.speciesFrequencies(), (std::vector<int>{1, 3, 2}));
    }
}

TEST(OrdinationMatrix, SumsAreThoseOfTheWrittenProductOnAnyThreads)
{
    std::vector<OrdinationMatrix::Cell> cells;
    for (int r = 1; r <= 700; ++r)
        for (int k = 1; k <= 300; ++k)
            if ((r * 7 + k * 13) % 5 == 0)
                cells.push_back({r, k, 1 + (r + k) % 900});
    // Outside the table, or no value: left out.
    cells.push_back({701, 1, 3});
    cells.push_back({1, 2, 0});
    const OrdinationMatrix m = OrdinationMatrix::fromCells(700, 300, cells);
    ASSERT_EQ(m.cellCount(), cells.size() - 2);
    std::vector<double> sv(m.scoredSpecies().size());
    for (std::size_t j = 0; j < sv.size(); ++j)
        sv[j] = 0.25 * double(j) - 3.0;
    std::vector<double> rv(m.scoredReleves().size());
    for (std::size_t i = 0; i < rv.size(); ++i)
        rv[i] = 1.0 / double(i + 1);
    std::vector<double> wantR(rv.size(), 0.0);
    std::vector<double> wantS(sv.size(), 0.0);
    for (const OrdinationMatrix::Cell &c : cells) {
        if (c.releve > 700 || c.value <= 0)
            continue;
        wantR[std::size_t(c.releve - 1)] += double(c.value) * sv[std::size_t(c.species - 1)];
    }
    // Species sums in relevé order, as written.
    for (int k = 1; k <= 300; ++k)
        for (const OrdinationMatrix::Cell &c : cells)
            if (c.species == k && c.releve <= 700 && c.value > 0)
                wantS[std::size_t(k - 1)] += double(c.value) * rv[std::size_t(c.releve - 1)];
    for (const int threads : {1, 2, 3}) {
        WorkCrew crew(threads);
        std::vector<double> gotR(rv.size());
        std::vector<double> gotS(sv.size());
        m.releveSums(sv.data(), gotR.data(), crew);
        m.speciesSums(rv.data(), gotS.data(), crew);
        EXPECT_EQ(gotR, wantR) << threads;
        EXPECT_EQ(gotS, wantS) << threads;
    }
}
