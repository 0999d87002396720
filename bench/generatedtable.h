#pragma once

// A large generated composition table for the benchmarks: 20,000 relevés × 5,000 species with
// 1 % of the cover cells filled (50 species in each relevé), header values in every header row,
// as extraction fills them.

#include "table/headeritems.h"
#include "table/tablemodel.h"

#include <QString>

#include <random>

namespace Zelkor::Bench {

constexpr int kTableReleves = 20000;
constexpr int kTableSpecies = 5000;

/// Lays out an empty table and grows it to kTableReleves × kTableSpecies; false when that fails.
inline bool growLargeTable(TableModel &model)
{
    HeaderItems items;
    model.clearTable(items);
    return model.addCol(kTableReleves) && model.addRow(kTableSpecies);
}

/// Fills the grown table: header values, a cover text and the codes of 1 % of the cells, the
/// species names and the counts. The frequencies are not recomputed.
inline void fillLargeTable(TableModel &model)
{
    std::mt19937 rng(42);
    std::uniform_int_distribution<int> species(1, kTableSpecies);
    const QString covers[] = {QStringLiteral("   +"), QStringLiteral("   1"), QStringLiteral("  23"),
                              QStringLiteral(" 2 r")};
    const int H = model.headerRows();
    for (int k = 1; k <= kTableReleves; ++k) {
        const int col = k + 3;
        for (int q = 2; q < H; ++q)
            model.grid().setCell(col, q, QStringLiteral("%1").arg(k % 997, 4));
        for (int i = 0; i < kTableSpecies / 100; ++i) {
            const int s = species(rng);
            model.grid().setCell(col, H + s, covers[s % 4]);
            model.coverData().set(k, s, ByteDataSet{0, 0, 0, 0, quint8(10 + s % 5), 0, 0});
        }
    }
    for (int s = 1; s <= kTableSpecies; ++s)
        model.grid().setCell(2, H + s, QStringLiteral("Species number %1").arg(s));
    model.setReleveCount(kTableReleves);
    model.setSpeciesCount(kTableSpecies);
}

} // namespace Zelkor::Bench
