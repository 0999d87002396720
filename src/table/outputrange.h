#pragma once

namespace Zelkor {

/// The part of the table an output covers: relevés as table column numbers (relevé i is grid
/// column TableModel::releveColumn(i)) and species as table row numbers (species j is grid row
/// TableModel::speciesRow(j)), both 1-based and inclusive. A range given backwards (first after
/// last) covers nothing.
struct OutputRange
{
    int firstReleve = 1;
    int lastReleve = 0;
    int firstSpecies = 1;
    int lastSpecies = 0;
    bool operator==(const OutputRange &) const = default;
};

} // namespace Zelkor
