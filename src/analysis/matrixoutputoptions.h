#pragma once

#include "table/outputrange.h"

#include <QString>
#include <vector>

namespace Zelkor {

class TableModel;
struct Settings;

/// What the output panel hands to the numeric matrix outputs: the title, the four output ranges
/// (inclusive table positions: relevé i is grid column releveColumn(i), species j grid row speciesRow(j)),
/// the cover conversion method (0..6) and the orientation of the value matrix.
struct MatrixOutputOptions
{
    enum Direction {
        SpeciesRows = 0, ///< "行 ＝ 植物": rows are species, columns relevés
        ReleveRows = 1,  ///< "行 ＝ 測定": rows are relevés, columns species
    };

    QString title;
    int firstReleve = 1;
    int lastReleve = 0;
    int firstSpecies = 1;
    int lastSpecies = 0;
    int method = 1;
    Direction direction = SpeciesRows;

    /// The whole table of model as the ranges (what the panel proposes).
    static MatrixOutputOptions wholeTable(const TableModel &model);
    /// The options of a matrix of range with title, and the cover conversion and orientation of
    /// settings: what the output panel and the batch command both hand to the matrices.
    static MatrixOutputOptions make(const QString &title, const OutputRange &range, const Settings &settings);

    /// The relevé range and the species range kept within the table (1..releveCount(),
    /// 1..speciesCount()); a backward range stays empty.
    int firstReleveIn(const TableModel &model) const;
    int lastReleveIn(const TableModel &model) const;
    int firstSpeciesIn(const TableModel &model) const;
    int lastSpeciesIn(const TableModel &model) const;

    /// The listed relevés, in table order: the positions of the relevé range whose species number
    /// is not 0. The matrices leave the others out.
    std::vector<int> listedReleves(const TableModel &model) const;
    /// The listed species, in table order: the positions of the species range whose frequency is
    /// not 0.
    std::vector<int> listedSpecies(const TableModel &model) const;
};

} // namespace Zelkor
