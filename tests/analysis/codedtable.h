#pragma once

// Small composition tables with cover codes, built through the table model, for the reciprocal
// averaging tests.
#include "table/covercode.h"
#include "table/headeritems.h"
#include "table/tablemodel.h"

#include <QString>
#include <QStringList>

#include <vector>

namespace Zelkor::Test {

/// The codes of a cell with `code` in the herb layer H1 alone.
inline ByteDataSet herb(quint8 code)
{
    return ByteDataSet{0, 0, 0, 0, code, 0, 0};
}

/// A table laid out from the default items: species row s named names[s-1], relevé p labelled
/// labels[p-1] (grid row 2) and holding codes[p-1][s-1] (0: absent; a shorter list leaves the
/// rest absent) in the herb layer, with the cell texts the codes give. The hidden indexes run
/// against the positions, as after moves. Frequencies are recomputed; the table counts as
/// unchanged.
inline void fillCodedTable(TableModel &model, const QStringList &names, const QStringList &labels,
                           const std::vector<std::vector<quint8>> &codes)
{
    HeaderItems items;
    model.clearTable(items);
    const int releves = int(labels.size());
    const int species = int(names.size());
    if (releves > model.maxReleves())
        model.addCol(releves);
    if (species > model.maxSpecies())
        model.addRow(species);
    model.setReleveCount(releves);
    model.setSpeciesCount(species);
    CellGrid &g = model.grid();
    const int h = model.headerRows();
    for (int p = 1; p <= releves; ++p) {
        g.setCell(p + 3, 0, QString::number(releves + 1 - p));
        g.setCell(p + 3, 2, labels[p - 1]);
    }
    for (int s = 1; s <= species; ++s) {
        g.setCell(0, h + s, QString::number(species + 1 - s));
        g.setCell(2, h + s, names[s - 1]);
    }
    for (int p = 1; p <= releves && p <= int(codes.size()); ++p) {
        for (int s = 1; s <= species && s <= int(codes[std::size_t(p - 1)].size()); ++s) {
            const quint8 code = codes[std::size_t(p - 1)][std::size_t(s - 1)];
            if (code == 0)
                continue;
            g.setCell(p + 3, h + s, dataToCellText(herb(code)));
            model.coverData().set(releves + 1 - p, species + 1 - s, herb(code));
        }
    }
    model.recomputeFrequencies();
    model.setModified(false);
}

} // namespace Zelkor::Test
