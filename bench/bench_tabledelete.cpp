// Deleting species rows and relevé columns of a large composition table (5,000 relevés × 2,000
// species, 2 % of the cover cells filled, every 50th relevé column an empty group separator and
// every 40th species row a comment): the time of one "この行を削除する" / "この列を削除する"
// with its search for the rows and columns the deletion empties and the renumbering. Prints the
// best of 3 means over 20 deletions each.
#include "platform/scripteduserinterface.h"
#include "table/headeritems.h"
#include "table/tableediting.h"
#include "table/tablemodel.h"

#include <QString>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <random>

using namespace Zelkor;

namespace {

constexpr int kReleves = 5000;
constexpr int kSpecies = 2000;
constexpr int kDeletions = 20;

void fill(TableModel &model, HeaderItems &items)
{
    model.clearTable(items);
    model.addCol(kReleves);
    model.addRow(kSpecies);
    const int h = model.headerRows();
    std::mt19937 rng(7);
    std::uniform_int_distribution<int> species(1, kSpecies);
    for (int k = 1; k <= kReleves; ++k) {
        if (k % 50 == 0)
            continue; // a separator between groups of relevés
        model.grid().setCell(k + 3, 2, QStringLiteral("R%1").arg(k));
        for (int i = 0; i < kSpecies / 50; ++i) {
            const int s = species(rng);
            if (s % 40 == 0)
                continue; // comment rows hold no entries
            model.grid().setCell(k + 3, h + s, QStringLiteral("   1"));
            model.coverData().set(k, s, ByteDataSet{0, 0, 0, 0, 10, 0, 0});
        }
    }
    for (int s = 1; s <= kSpecies; ++s)
        model.grid().setCell(2, h + s, s % 40 == 0 ? QStringLiteral("＜群落 %1＞").arg(s) : QStringLiteral("Species %1").arg(s));
    model.setReleveCount(kReleves);
    model.setSpeciesCount(kSpecies);
    model.recomputeFrequencies();
}

template<typename Delete>
double meanMs(Delete deleteOne)
{
    double best = 1e100;
    for (int round = 0; round < 3; ++round) {
        TableModel model;
        HeaderItems items;
        fill(model, items);
        ScriptedUserInterface ui;
        ui.setDefaultYes(true);
        const auto t0 = std::chrono::steady_clock::now();
        for (int i = 0; i < kDeletions; ++i)
            deleteOne(model, ui, i);
        const auto t1 = std::chrono::steady_clock::now();
        best = std::min(best, std::chrono::duration<double, std::milli>(t1 - t0).count() / kDeletions);
    }
    return best;
}

} // namespace

int main()
{
    const double row = meanMs([](TableModel &m, UserInterface &ui, int i) {
        TableEditing::deleteRow(m, ui, m.headerRows() + 1 + (i * 97) % (m.speciesCount() - 1));
    });
    const double col = meanMs([](TableModel &m, UserInterface &ui, int i) {
        TableEditing::deleteColumn(m, ui, 4 + (i * 211) % (m.releveCount() - 1));
    });
    std::printf("%d relevés x %d species, 2%% filled: delete row %.1f ms, delete column %.1f ms "
                "(mean of %d, best of 3)\n",
                kReleves, kSpecies, row, col, kDeletions);
    return 0;
}
