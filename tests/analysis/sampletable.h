#pragma once

// Small composition tables for the constancy-table tests, built through the table model.
#include "table/headeritems.h"
#include "table/tablemodel.h"

#include <QString>
#include <QStringList>

#include <vector>

namespace Zelkor::Test {

/// A table laid out from the default items whose species row s is named names[s-1] and whose
/// relevé p holds releves[p-1][s-1] in that row (an empty text: absent; a shorter list leaves
/// the rest absent). An empty list makes an empty relevé column. Frequencies are recomputed.
inline void fillTable(TableModel *model, const QStringList &names, const std::vector<QStringList> &releves)
{
    HeaderItems items;
    model->clearTable(items);
    const int relCount = int(releves.size());
    const int spCount = int(names.size());
    if (relCount > model->maxReleves())
        model->addCol(relCount);
    if (spCount > model->maxSpecies())
        model->addRow(spCount);
    model->setReleveCount(relCount);
    model->setSpeciesCount(spCount);
    const int h = model->headerRows();
    for (int s = 1; s <= spCount; ++s)
        model->grid().setCell(2, h + s, names[s - 1]);
    for (int p = 1; p <= relCount; ++p) {
        const QStringList &cells = releves[std::size_t(p - 1)];
        for (int s = 1; s <= spCount && s <= int(cells.size()); ++s)
            model->grid().setCell(p + 3, h + s, cells[s - 1]);
    }
    model->recomputeFrequencies();
}

/// Relevé columns from a pattern: "x" a relevé holding the one species with "  1 ", "." an
/// empty column.
inline std::vector<QStringList> relevesOf(const QString &pattern)
{
    std::vector<QStringList> releves;
    for (QChar ch : pattern)
        releves.push_back(ch == QLatin1Char('x') ? QStringList{QStringLiteral("  1 ")} : QStringList{});
    return releves;
}

/// A species of groupedReleves(): its name and, for each group, how many of the group's relevés
/// (the first ones) hold it.
struct GroupedSpecies
{
    QString name;
    std::vector<int> occurrences;
};

/// The relevé columns of groups of the given sizes with an empty column between two groups (a
/// size 0 makes an empty group), each species "  1 " in the relevés its counts give. Every
/// relevé must hold some species, or it would be a separator too.
inline std::vector<QStringList> groupedReleves(const std::vector<int> &sizes, const std::vector<GroupedSpecies> &species)
{
    std::vector<QStringList> releves;
    for (std::size_t g = 0; g < sizes.size(); ++g) {
        if (g > 0)
            releves.push_back({});
        for (int p = 0; p < sizes[g]; ++p) {
            QStringList cells;
            for (const GroupedSpecies &s : species)
                cells << (g < s.occurrences.size() && p < s.occurrences[g] ? QStringLiteral("  1 ") : QString());
            releves.push_back(cells);
        }
    }
    return releves;
}

/// A table laid out from the default items with the grouped relevés and the species rows (see
/// groupedReleves); frequencies recomputed.
inline void fillGroupedTable(TableModel *model, const std::vector<int> &sizes, const std::vector<GroupedSpecies> &species)
{
    QStringList names;
    for (const GroupedSpecies &s : species)
        names << s.name;
    fillTable(model, names, groupedReleves(sizes, species));
}

} // namespace Zelkor::Test
