#include "table/tablesearch.h"

#include "platform/texthelpers.h"

namespace Zelkor {

int TableSearch::search(TableModel &model, const QString &text, bool exact, bool ignoreCase)
{
    model.clearSearchHits();
    const QString trimmed = trimBlanks(text);
    if (trimmed.isEmpty())
        return 0;
    const QString query = ignoreCase ? foldForMatching(trimmed) : trimmed;

    const CellGrid &grid = model.grid();
    auto full = [&model] { return int(model.searchHits().size()) >= TableModel::MaxSearchHits; };
    auto test = [&](int c, int r) {
        const QString &cell = grid.cell(c, r);
        if (cell.isEmpty())
            return;
        const QString t = ignoreCase ? foldForMatching(trimBlanks(cell)) : trimBlanks(cell);
        if (exact ? t == query : t.contains(query, Qt::CaseSensitive))
            model.addSearchHit(c, r);
    };

    const int h = model.headerRows();
    for (int r = model.speciesRow(1); r <= model.speciesRow(model.speciesCount()) && !full(); ++r)
        test(TableModel::NameColumn, r);
    // Header rows from 2: the running numbers of row 1 are no values.
    for (int c = TableModel::FirstReleveColumn; c <= TableModel::releveColumn(model.maxReleves()) && !full(); ++c) {
        for (int r = TableModel::LabelRow; r <= h - 1 && !full(); ++r)
            test(c, r);
    }
    return int(model.searchHits().size());
}

} // namespace Zelkor
