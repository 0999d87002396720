#include "analysis/matrixoutputoptions.h"

#include "table/settings.h"
#include "table/tablemodel.h"

#include <algorithm>

namespace Zelkor {

MatrixOutputOptions MatrixOutputOptions::wholeTable(const TableModel &model)
{
    MatrixOutputOptions o;
    o.lastReleve = model.releveCount();
    o.lastSpecies = model.speciesCount();
    return o;
}

MatrixOutputOptions MatrixOutputOptions::make(const QString &title, const OutputRange &range,
                                              const Settings &settings)
{
    MatrixOutputOptions options;
    options.title = title;
    options.firstReleve = range.firstReleve;
    options.lastReleve = range.lastReleve;
    options.firstSpecies = range.firstSpecies;
    options.lastSpecies = range.lastSpecies;
    options.method = settings.cvMethod;
    options.direction = settings.direction == 1 ? ReleveRows : SpeciesRows;
    return options;
}

// The counts of positions beyond those in use may be left from a longer table: the ranges never
// reach there.
int MatrixOutputOptions::firstReleveIn(const TableModel &) const { return std::max(firstReleve, 1); }
int MatrixOutputOptions::lastReleveIn(const TableModel &model) const { return std::min(lastReleve, model.releveCount()); }
int MatrixOutputOptions::firstSpeciesIn(const TableModel &) const { return std::max(firstSpecies, 1); }
int MatrixOutputOptions::lastSpeciesIn(const TableModel &model) const { return std::min(lastSpecies, model.speciesCount()); }

std::vector<int> MatrixOutputOptions::listedReleves(const TableModel &model) const
{
    std::vector<int> listed;
    for (int i = firstReleveIn(model); i <= lastReleveIn(model); ++i)
        if (model.releveSpCount(i) > 0)
            listed.push_back(i);
    return listed;
}

std::vector<int> MatrixOutputOptions::listedSpecies(const TableModel &model) const
{
    std::vector<int> listed;
    for (int j = firstSpeciesIn(model); j <= lastSpeciesIn(model); ++j)
        if (model.speciesFreq(j) > 0)
            listed.push_back(j);
    return listed;
}

} // namespace Zelkor
