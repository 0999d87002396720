#pragma once

#include "table/covercode.h"
#include "table/headeritems.h"
#include "table/tablemodel.h"

#include <initializer_list>
#include <utility>

namespace Zelkor::Test {

/// A composition table built cell by cell for the output tests: header items laid out as asked,
/// relevés with header values, species with their layer codes (the cell texts follow the codes).
struct SampleTable
{
    TableModel model;
    HeaderItems items;

    /// A blank table whose layout holds item 1 and the items given (all of them ticked).
    explicit SampleTable(std::initializer_list<int> layoutItems)
    {
        for (int n = 1; n <= HeaderItems::Count; ++n)
            items[n].layout = n == 1;
        for (int n : layoutItems)
            items[n].layout = true;
        model.clearTable(items);
        items.selectLayout();
    }

    int h() const { return model.headerRows(); }

    /// Relevés 1..n in the table.
    void setReleves(int n)
    {
        // The capacity grows as extraction grows it: from the first column beyond it.
        while (n > model.maxReleves())
            model.addCol(model.maxReleves() + 1);
        model.setReleveCount(n);
    }

    /// The value of header item `item` for relevé `releve`.
    void setItem(int releve, int item, const QString &value)
    {
        for (int q = 1; q < h(); ++q)
            if (TableModel::indexFromText(model.grid().cell(0, q)) == item)
                model.grid().setCell(releve + 3, q, value);
    }

    /// Appends a species row with codes in the relevés given; none gives a comment row.
    int addSpecies(const QString &name, std::initializer_list<std::pair<int, ByteDataSet>> entries = {})
    {
        const int k = model.speciesCount() + 1;
        if (k > model.maxSpecies())
            model.addRow(k);  // k is the first row beyond the capacity
        model.setSpeciesCount(k);
        const int row = h() + k;
        model.grid().setCell(2, row, name);
        for (const auto &[releve, codes] : entries) {
            model.grid().setCell(releve + 3, row, dataToCellText(codes));
            model.coverData().set(model.releveIndexAt(releve + 3), model.speciesIndexAt(row), codes);
        }
        return k;
    }

    /// Recomputes the counts, as every command does before an output.
    void finish() { model.recomputeFrequencies(); }
};

/// Codes of one layer: layer 1..7 (T1 .. M) with value v.
inline ByteDataSet layer(int l, int v)
{
    ByteDataSet codes{};
    codes[std::size_t(l - 1)] = quint8(v);
    return codes;
}

} // namespace Zelkor::Test
