#pragma once

namespace Zelkor {

class TableModel;

/// Sorting the composition table: a range of species rows by frequency and a range of relevé
/// columns by species number. Whole grid rows or columns change places, hidden index cells
/// included; the cover codes are not touched, and row heights and column widths stay where they
/// are. The keys are the count texts as they stand in the grid (the frequency in column 3, the
/// species number in row headerRows()), compared character by character: for the four-character
/// right-aligned counts this is numeric order, and an empty count (0) comes before every other.
/// The sort is stable in both directions, and rows and columns outside the range stay in place.
class TableSort
{
public:
    /// Sorts species rows s1..s2 (table row numbers, kept within 1..speciesCount()) by
    /// frequency, larger first when descending; then recomputes the species running numbers and
    /// frequencies. A range whose first number is greater than its last sorts nothing.
    static void sortPlants(TableModel &model, int s1, int s2, bool descending);
    /// Sorts relevé columns s1..s2 (table column numbers, kept within 1..releveCount()) by
    /// species number as sortPlants(); then recomputes the relevé running numbers and species
    /// numbers.
    static void sortReleve(TableModel &model, int s1, int s2, bool descending);
};

} // namespace Zelkor
