#pragma once

#include "table/bytedataset.h"

#include <QByteArray>
#include <vector>

namespace Zelkor {

class TableModel;

/// The converted values of a matrix, line by line: for the listed relevés and species (given by
/// their hidden indexes, in table order) each line holds a value for every cell, most of them
/// "0" for an absent species. The cover codes are read relevé by relevé once, not cell by cell,
/// so a line costs about its length.
class MatrixValues
{
public:
    /// Values by method (0..6) of the cells of model at the listed indexes. bySpecies prepares
    /// the lines of species (speciesLine()); the lines of relevés need nothing prepared.
    MatrixValues(const TableModel &model, int method, std::vector<int> releveIndexes,
                 std::vector<int> speciesIndexes, bool bySpecies);

    /// Appends ",VALUE" for each listed relevé, in order, for the listed species number j
    /// (0-based, in the order given).
    void appendSpeciesLine(QByteArray &line, std::size_t j) const;
    /// Appends ",VALUE" for each listed species, in order, for the listed relevé number i.
    void appendReleveLine(QByteArray &line, std::size_t i) const;

private:
    struct Cell
    {
        int column; ///< 0-based place in the line
        ByteDataSet codes;
    };
    /// Appends count values of which cells (in column order) are not absent.
    void appendLine(QByteArray &line, const std::vector<Cell> &cells, std::size_t count) const;

    const TableModel &m_model;
    int m_method;
    std::vector<int> m_releves;
    std::vector<int> m_species;
    // The listed species of a species index: m_firstSlot[s], then m_nextSlot[...] (an index
    // should be listed once, but a damaged table may list it twice).
    std::vector<int> m_firstSlot;
    std::vector<int> m_nextSlot;
    // bySpecies: the non-absent cells of each listed species, by relevé.
    std::vector<std::vector<Cell>> m_bySpecies;
    // ",0" for every column: the absent cells are copied from it in runs.
    QByteArray m_zeros;
    QByteArray m_zero;
};

} // namespace Zelkor
