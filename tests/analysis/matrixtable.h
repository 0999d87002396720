#pragma once

// The small table the matrix tests write: four relevés, four species rows.

#include "table/covercode.h"
#include "table/headeritems.h"
#include "table/tablemodel.h"

#include <QString>
#include <vector>

namespace Zelkor::Test {

/// Relevés (labels in grid row 2): 1 "12", 2 " 15 " (blanks kept), 3 "99" without species,
/// 4 "a,b". Species rows: 1 "  Poa annua  " (relevé 1: T1 23, S1 +, H1 r; relevé 2: H1 +),
/// 2 "Comment row" without entries, 3 `Carex "x"` (relevé 4: H1 5), 4 "Festuca" (relevé 1: M 1;
/// relevé 4: M "*" only). Indexes are shuffled against the positions, as after moves.
inline void fillMatrixTable(TableModel &model)
{
    HeaderItems items;
    model.clearTable(items);
    const int h = model.headerRows();
    CellGrid &g = model.grid();
    model.setReleveCount(4);
    model.setSpeciesCount(4);
    const char *labels[] = {"12", " 15 ", "99", "a,b"};
    const int releveIndex[] = {3, 1, 4, 2};
    for (int k = 1; k <= 4; ++k) {
        g.setCell(k + 3, 2, QString::fromUtf8(labels[k - 1]));
        g.setCell(k + 3, 0, QString::number(releveIndex[k - 1]));
    }
    const char *names[] = {"  Poa annua  ", "Comment row", "Carex \"x\"", "Festuca"};
    const int speciesIndex[] = {4, 2, 1, 3};
    for (int j = 1; j <= 4; ++j) {
        g.setCell(2, h + j, QString::fromUtf8(names[j - 1]));
        g.setCell(0, h + j, QString::number(speciesIndex[j - 1]));
    }
    auto put = [&](int k, int j, const ByteDataSet &codes) {
        g.setCell(k + 3, h + j, dataToCellText(codes));
        model.coverData().set(releveIndex[k - 1], speciesIndex[j - 1], codes);
    };
    put(1, 1, {23, 0, 1, 0, 6, 0, 0});
    put(2, 1, {0, 0, 0, 0, 1, 0, 0});
    put(4, 3, {0, 0, 0, 0, 50, 0, 0});
    put(1, 4, {0, 0, 0, 0, 0, 0, 10});
    put(4, 4, {0, 0, 0, 0, 0, 0, 7});
    model.recomputeFrequencies();
}

} // namespace Zelkor::Test
