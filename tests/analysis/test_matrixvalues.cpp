#include "analysis/covertovalue.h"
#include "analysis/matrixvalues.h"
#include "table/headeritems.h"
#include "table/tablemodel.h"

#include <gtest/gtest.h>

#include <random>

using namespace Zelkor;

// The lines read the codes relevé by relevé; they must hold exactly the value of every cell as
// converted one by one, whatever the indexes: shuffled, unreadable, or listed twice.
TEST(MatrixValues, EveryLineHoldsTheValueOfEachCell)
{
    TableModel model;
    HeaderItems items;
    model.clearTable(items);
    std::mt19937 rng(3);
    const quint8 codes[] = {1, 2, 6, 7, 8, 9, 10, 23, 35, 50, 55, 63, 16};
    std::uniform_int_distribution<int> pickCode(0, int(std::size(codes)) - 1);
    std::uniform_int_distribution<int> chance(0, 9);
    for (int r = 1; r <= model.maxReleves(); ++r)
        for (int s = 1; s <= 40; ++s)
            if (chance(rng) < 3) {
                ByteDataSet set{};
                set[std::size_t(chance(rng) % 7)] = codes[pickCode(rng)];
                set[std::size_t(chance(rng) % 7)] = codes[pickCode(rng)];
                model.coverData().set(r, s, set);
            }

    std::vector<int> releves = {7, 3, 22, 1, 9, -1, 3, 15};
    std::vector<int> species = {40, 2, 17, 5, 5, -1, 33, 9999, 1, 28};
    for (int method = -1; method <= 7; ++method) {
        for (const bool bySpecies : {true, false}) {
            SCOPED_TRACE(std::to_string(method) + (bySpecies ? " by species" : " by relevé"));
            const MatrixValues values(model, method, releves, species, bySpecies);
            const std::size_t lines = bySpecies ? species.size() : releves.size();
            for (std::size_t k = 0; k < lines; ++k) {
                QByteArray line;
                if (bySpecies)
                    values.appendSpeciesLine(line, k);
                else
                    values.appendReleveLine(line, k);
                QString expected;
                for (std::size_t m = 0; m < (bySpecies ? releves.size() : species.size()); ++m) {
                    const int r = bySpecies ? releves[m] : releves[k];
                    const int s = bySpecies ? species[k] : species[m];
                    expected += QLatin1Char(',') + coverToValue(model, method, r, s);
                }
                EXPECT_EQ(QString::fromLatin1(line), expected) << k;
            }
        }
    }
}
