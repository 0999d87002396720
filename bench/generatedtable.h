#pragma once

// A large generated composition table for the benchmarks: 20,000 relevés × 5,000 species with
// 1 % of the cover cells filled (50 species in each relevé), header values in every header row,
// as extraction fills them.

#include "table/headeritems.h"
#include "table/tablemodel.h"

#include <QString>

#include <cstdio>
#include <numeric>
#include <random>
#include <vector>

namespace Zelkor::Bench {

constexpr int kTableReleves = 20000;
constexpr int kTableSpecies = 5000;

/// Lays out an empty table and grows it to releves × species; false when that fails.
inline bool growLargeTable(TableModel &model, int releves = kTableReleves, int species = kTableSpecies)
{
    HeaderItems items;
    model.clearTable(items);
    if (!model.addCol(releves) || !model.addRow(species))
        return false;
    // Growing in one step labels only the columns and rows from the one asked for: the others
    // get their identity indexes here, as growing relevé by relevé would have given them.
    for (int i = 1; i <= model.maxReleves(); ++i)
        model.grid().setCell(i + 3, 0, QString::number(i));
    for (int s = 1; s <= model.maxSpecies(); ++s)
        model.grid().setCell(0, model.headerRows() + s, QString::number(s));
    return true;
}

/// Fills the grown table: header values, a cover text and the codes of 1 % of the cells, the
/// species names and the counts. The frequencies are not recomputed.
inline void fillLargeTable(TableModel &model, int releves = kTableReleves, int speciesCount = kTableSpecies)
{
    std::mt19937 rng(42);
    std::uniform_int_distribution<int> species(1, speciesCount);
    const QString covers[] = {QStringLiteral("   +"), QStringLiteral("   1"), QStringLiteral("  23"),
                              QStringLiteral(" 2 r")};
    const int H = model.headerRows();
    for (int k = 1; k <= releves; ++k) {
        const int col = k + 3;
        for (int q = 2; q < H; ++q)
            model.grid().setCell(col, q, QStringLiteral("%1").arg(k % 997, 4));
        for (int i = 0; i < speciesCount / 100; ++i) {
            const int s = species(rng);
            model.grid().setCell(col, H + s, covers[s % 4]);
            model.coverData().set(k, s, ByteDataSet{0, 0, 0, 0, quint8(10 + s % 5), 0, 0});
        }
    }
    for (int s = 1; s <= speciesCount; ++s)
        model.grid().setCell(2, H + s, QStringLiteral("Species number %1").arg(s));
    model.setReleveCount(releves);
    model.setSpeciesCount(speciesCount);
}

/// The grown and filled table with its frequencies recomputed; false, with a line on stderr,
/// when the table cannot grow.
inline bool makeLargeTable(TableModel &model, int releves = kTableReleves, int species = kTableSpecies)
{
    if (!growLargeTable(model, releves, species)) {
        std::fprintf(stderr, "growing the table failed\n");
        return false;
    }
    fillLargeTable(model, releves, species);
    model.recomputeFrequencies();
    return true;
}

namespace Detail {

// Fills the relevés at the given positions as makeGeneratedTable() describes, in order.
inline void fillGeneratedReleves(TableModel &model, const std::vector<int> &positions, int species, int perReleve,
                                 unsigned seed)
{
    const int h = model.headerRows();
    std::mt19937 rng(seed);
    std::vector<int> drawn(static_cast<std::size_t>(species));
    std::iota(drawn.begin(), drawn.end(), 1);
    const quint8 codes[] = {1, 10, 20, 30, 40, 50};
    QString texts[6];
    for (int c = 0; c < 6; ++c)
        texts[c] = codes[c] == 1 ? QStringLiteral("   +") : QStringLiteral("%1").arg(codes[c] / 10, 4);
    for (const int k : positions) {
        const int col = TableModel::releveColumn(k);
        for (int q = 2; q < h; ++q)
            model.grid().setCell(col, q, QStringLiteral("%1").arg(k % 997, 4));
        for (int i = 0; i < perReleve && i < species; ++i) {
            std::swap(drawn[std::size_t(i)], drawn[std::size_t(i) + rng() % std::size_t(species - i)]);
            const int s = drawn[std::size_t(i)];
            const int c = int(rng() % 6);
            // Shared texts: a cell costs its grid entry, not a string of its own.
            model.grid().setCell(col, h + s, texts[c]);
            model.coverData().set(k, s, ByteDataSet{0, 0, 0, 0, codes[c], 0, 0});
        }
    }
    for (int s = 1; s <= species; ++s)
        model.grid().setCell(TableModel::NameColumn, model.speciesRow(s), QStringLiteral("Species number %1").arg(s));
}

} // namespace Detail

/// A table of `releves` relevés and `species` species rows laid out from the default items, each
/// relevé holding `perReleve` different species drawn at random with a cover class from + to 5
/// in the herb layer, its cover text, a label in the header rows, and names in the species rows.
/// The frequencies are recomputed. False when the table cannot grow.
inline bool makeGeneratedTable(TableModel &model, int releves, int species, int perReleve, unsigned seed = 42)
{
    if (!growLargeTable(model, releves, species))
        return false;
    std::vector<int> positions(static_cast<std::size_t>(releves));
    std::iota(positions.begin(), positions.end(), 1);
    Detail::fillGeneratedReleves(model, positions, species, perReleve, seed);
    model.setReleveCount(releves);
    model.setSpeciesCount(species);
    model.recomputeFrequencies();
    return true;
}

/// The table of makeGeneratedTable() with its relevés in `groups` groups of releves / groups
/// (the last one takes what is left), an empty relevé column between two groups, as a user marks
/// the vegetation units of a constancy table: releves + groups − 1 columns. False when the table
/// cannot grow.
inline bool makeGroupedTable(TableModel &model, int releves, int species, int perReleve, int groups,
                             unsigned seed = 42)
{
    const int columns = releves + groups - 1;
    if (groups < 1 || !growLargeTable(model, columns, species))
        return false;
    const int size = releves / groups;
    std::vector<int> positions;
    positions.reserve(static_cast<std::size_t>(releves));
    for (int k = 0, p = 1; k < releves; ++k, ++p) {
        if (k > 0 && k % size == 0 && k / size < groups)
            ++p; // the separator before the next group
        positions.push_back(p);
    }
    Detail::fillGeneratedReleves(model, positions, species, perReleve, seed);
    model.setReleveCount(columns);
    model.setSpeciesCount(species);
    model.recomputeFrequencies();
    return true;
}

} // namespace Zelkor::Bench
