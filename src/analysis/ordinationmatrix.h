#pragma once

#include <QtGlobal>

#include <cstddef>
#include <vector>

namespace Zelkor {

class Feedback;
class TableModel;
class WorkCrew;

/// The converted cover values of a composition table as the ordinations read them: only the
/// filled cells, twice over, each relevé's cells in species order and each species' cells in
/// relevé order. As in reciprocal averaging, a relevé or species row whose values add up to 0 (an
/// empty separator column, a comment row, a species present only as "*") is left out. Memory
/// follows the number of filled cells (ten bytes a cell), not the area of the table.
///
/// A value is a whole number from 1 to 65,535: the table's cells are kept in tenths of the
/// converted value (method 1 on a cell worth 5 is 50), which changes no score or eigenvalue of
/// a correspondence analysis, as every value is multiplied by the same factor.
class OrdinationMatrix
{
public:
    /// One filled cell: relevé column and species row (table positions from 1) and its value.
    struct Cell
    {
        int releve = 0;
        int species = 0;
        int value = 0;
    };

    /// An empty matrix: no relevés, no species.
    OrdinationMatrix() = default;

    /// The values of the table's species rows 1..speciesCount() and relevé columns
    /// 1..releveCount() (hidden rows and columns included) converted by method (0..6, see
    /// coverToTenths()), in tenths. The cover codes are reached through the hidden indexes of
    /// row 0 and column 0; cells whose index cell holds no number count as absent. feedback (if
    /// given) is told the relevé position reached now and then; cancelled, the matrix is left
    /// incomplete (the caller asks the feedback).
    static OrdinationMatrix fromTable(const TableModel &model, int method, Feedback *feedback = nullptr);
    /// The matrix of a table with the given counts and cells (each cell at most once; values of
    /// 0 or less count as absent, larger ones than 65,535 as 65,535; positions outside the
    /// counts are ignored).
    static OrdinationMatrix fromCells(int releveCount, int speciesCount, const std::vector<Cell> &cells);

    /// The table's counts.
    int releveCount() const { return m_releveCount; }
    int speciesCount() const { return m_speciesCount; }
    /// Table positions of the relevés and species that take part, in table order; the places in
    /// these lists are what the rest of the matrix counts in.
    const std::vector<int> &scoredReleves() const { return m_scoredReleves; }
    const std::vector<int> &scoredSpecies() const { return m_scoredSpecies; }
    /// Number of filled cells.
    std::size_t cellCount() const { return m_releveIndex.size(); }
    /// Bytes held by the matrix.
    std::size_t memoryBytes() const;

    /// The values of each relevé / species that takes part added up, in the other's order.
    const std::vector<double> &releveTotals() const { return m_releveTotals; }
    const std::vector<double> &speciesTotals() const { return m_speciesTotals; }
    /// The number of relevés each species that takes part occurs in.
    std::vector<int> speciesFrequencies() const;

    /// out[i] = Σ_j value(i, j) · speciesVector[j] for each relevé i that takes part (places as
    /// in scoredReleves()), each sum added up in species order. crew shares the relevés out in
    /// blocks; the sums are the same with any number of threads.
    void releveSums(const double *speciesVector, double *out, WorkCrew &crew) const;
    /// out[j] = Σ_i value(i, j) · releveVector[i] for each species j that takes part, each sum
    /// added up in relevé order.
    void speciesSums(const double *releveVector, double *out, WorkCrew &crew) const;

    /// The cells of relevé place i: species places and values, in species order.
    std::size_t releveBegin(std::size_t i) const { return m_releveStart[i]; }
    std::size_t releveEnd(std::size_t i) const { return m_releveStart[i + 1]; }
    quint32 speciesAt(std::size_t e) const { return m_speciesIndex[e]; }
    quint16 releveValueAt(std::size_t e) const { return m_releveValue[e]; }

private:
    /// Builds the matrix from each relevé's (species position, value) pairs, given relevé by
    /// relevé in table order (positions from 1, values 1..65,535, any species order).
    struct Builder;

    int m_releveCount = 0;
    int m_speciesCount = 0;
    std::vector<int> m_scoredReleves;
    std::vector<int> m_scoredSpecies;
    std::vector<double> m_releveTotals;
    std::vector<double> m_speciesTotals;
    // Each relevé's cells: species places and values, relevé i from m_releveStart[i].
    std::vector<std::size_t> m_releveStart{0};
    std::vector<quint32> m_speciesIndex;
    std::vector<quint16> m_releveValue;
    // Each species' cells: relevé places and values.
    std::vector<std::size_t> m_speciesStart{0};
    std::vector<quint32> m_releveIndex;
    std::vector<quint16> m_speciesValue;
};

} // namespace Zelkor
