#include "analysis/tablesort.h"

#include "table/tablemodel.h"

#include <algorithm>
#include <numeric>
#include <vector>

namespace Zelkor {

namespace {

// The order that a straight insertion sort over the keys leaves: positions with equal keys
// keep their relative order, so a stable sort of the positions by key gives it at once.
// Returns, for each place k, the offset of the key that goes there. The keys are the counts
// themselves, not the four-character texts the grid shows them in (10,001 shows as "1000").
std::vector<int> stableOrder(const std::vector<int> &keys, bool descending)
{
    std::vector<int> order(keys.size());
    std::iota(order.begin(), order.end(), 0);
    std::stable_sort(order.begin(), order.end(), [&](int a, int b) {
        const int ka = keys[std::size_t(a)];
        const int kb = keys[std::size_t(b)];
        return descending ? ka > kb : ka < kb;
    });
    return order;
}

// Whether order keeps every row (column) where it is.
bool isIdentity(const std::vector<int> &order, int first)
{
    for (std::size_t k = 0; k < order.size(); ++k)
        if (order[k] != first + int(k))
            return false;
    return true;
}

} // namespace

void TableSort::sortPlants(TableModel &model, int s1, int s2, bool descending)
{
    // Rows beyond the species in use are spare: sorting them in would push species out of the
    // table.
    s1 = std::max(s1, 1);
    s2 = std::min(s2, model.speciesCount());
    if (s1 < s2) {
        CellGrid &grid = model.grid();
        const int first = model.speciesRow(s1);
        // The relevés that hold each species (the frequency column's count).
        std::vector<int> keys;
        keys.reserve(std::size_t(s2 - s1 + 1));
        for (int g = first; g <= model.speciesRow(s2); ++g)
            keys.push_back(grid.countInRow(g, TableModel::FirstReleveColumn, TableModel::releveColumn(model.releveCount())));
        std::vector<int> order = stableOrder(keys, descending);
        for (int &k : order)
            k += first;
        // The new order is the table's to save; an order that stays as it was changes nothing.
        if (!isIdentity(order, first)) {
            grid.permuteRows(first, order, false, TableModel::NumberColumn);
            model.setModified(true);
        }
    }
    model.checkSpeciesNumber();
}

void TableSort::sortReleve(TableModel &model, int s1, int s2, bool descending)
{
    s1 = std::max(s1, 1);
    s2 = std::min(s2, model.releveCount());
    if (s1 < s2) {
        CellGrid &grid = model.grid();
        const int first = TableModel::releveColumn(s1);
        // The species of each relevé (the species-number row's count).
        std::vector<int> keys(std::size_t(s2 - s1 + 1), 0);
        const int last = TableModel::releveColumn(s2);
        for (int r = model.speciesRow(1); r <= model.speciesRow(model.speciesCount()); ++r)
            grid.forEachInRow(r, [&](int c, const QString &) {
                if (c >= first && c <= last)
                    ++keys[std::size_t(c - first)];
            });
        std::vector<int> order = stableOrder(keys, descending);
        for (int &k : order)
            k += first;
        // The new order is the table's to save; an order that stays as it was changes nothing.
        if (!isIdentity(order, first)) {
            grid.permuteColumns(first, order, false, TableModel::NumberRow);
            model.setModified(true);
        }
    }
    model.checkTableNumber();
}

} // namespace Zelkor
