#pragma once

#include <QtGlobal>

#include <cstddef>
#include <functional>
#include <vector>

namespace Zelkor {

class Feedback;

class TableModel;

/// The converted cover values of a composition table as reciprocal averaging reads them: only
/// the filled cells, twice over: each relevé's cells in the order of the species rows, and each
/// species' cells in the order of the relevé columns. A relevé or species whose values add up to 0 (an empty separator column, a
/// comment row, a species present only as "*") has no average; it is left out and gets no
/// score. Memory follows the number of filled cells, not the area of the table.
class RecipMatrix
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
    RecipMatrix() = default;

    /// The values of the table's species rows 1..speciesCount() and relevé columns
    /// 1..releveCount() (hidden rows and columns included), converted by method (1: relative
    /// class scores 0..10, 6: presence 1 or 0; any other method as coverToTenths() / 10). The
    /// cover codes are reached through the hidden indexes of row 0 and column 0; cells whose
    /// index cell holds no number count as absent. feedback (if given) is told the relevé
    /// position reached now and then.
    static RecipMatrix fromTable(const TableModel &model, int method, Feedback *feedback = nullptr);
    /// The matrix of a table with the given counts and cells (each cell at most once; values of
    /// 0 or less count as absent, larger ones than 255 as 255; positions outside the counts are
    /// ignored).
    static RecipMatrix fromCells(int releveCount, int speciesCount, const std::vector<Cell> &cells);

    /// The table's counts.
    int releveCount() const { return m_releveCount; }
    int speciesCount() const { return m_speciesCount; }
    /// Table positions of the relevés and species that take part (whose total is not 0), in
    /// table order.
    const std::vector<int> &scoredReleves() const { return m_scoredReleves; }
    const std::vector<int> &scoredSpecies() const { return m_scoredSpecies; }
    /// Totals of the values of each relevé / species that takes part, in the same order.
    const std::vector<float> &releveTotals() const { return m_releveTotals; }
    const std::vector<float> &speciesTotals() const { return m_speciesTotals; }

    /// Number of filled cells.
    std::size_t cellCount() const { return m_cellCount; }
    /// Bytes held by the matrix.
    std::size_t memoryBytes() const;

    /// The cells arranged for adding up four sums side by side, one for each of four members
    /// (relevés or species that take part), each in its own order. The members are taken in
    /// groups of four, longest first; entry j of the member in lane l of group g is entry
    /// groupStart[g] + 4 j + l, and a group is as long as its longest member, the shorter ones
    /// padded with the index `padIndex` (one past the last score, which reads 0) and the value 0.
    struct Layout
    {
        static constexpr int Lanes = 4;
        /// The member of each lane (group * Lanes + lane), in its place among the scored ones;
        /// NoMember for a lane left empty in the last group.
        static constexpr quint32 NoMember = 0xffffffffu;
        std::vector<quint32> members;
        std::vector<std::size_t> groupStart{0};
        /// The other side's place of each entry (species for relevés and the other way round),
        /// in 16 bits when fewer than 65,536 of them take part, else in 32 bits.
        bool wide = false;
        std::vector<quint16> index16;
        std::vector<quint32> index32;
        quint32 padIndex = 0;
        /// The values, or empty when every value is 1.
        std::vector<quint8> values;
        std::size_t groupCount() const { return groupStart.size() - 1; }
    };
    /// Each relevé's cells in species order, the index a species' place in scoredSpecies().
    const Layout &byReleve() const { return m_byReleve; }
    /// Each species' cells in relevé order, the index a relevé's place in scoredReleves().
    const Layout &bySpecies() const { return m_bySpecies; }

private:
    /// Builds the matrix from cellsOf(r, add), which calls add(species position, value) for the
    /// filled cells (value 1..255) of relevé position r, in any species order; it is called
    /// twice for each relevé, in relevé order.
    template<typename CellsOf>
    static RecipMatrix build(int releveCount, int speciesCount, const CellsOf &cellsOf);
    /// Lays out the groups of members with the given numbers of cells (see Layout), each entry
    /// holding the padding; indexes run up to others - 1. Returns the slot of each member.
    static std::vector<std::size_t> layOut(Layout &layout, const std::vector<std::size_t> &cells,
                                           std::size_t others, bool withValues);

    int m_releveCount = 0;
    int m_speciesCount = 0;
    std::vector<int> m_scoredReleves;
    std::vector<int> m_scoredSpecies;
    std::vector<float> m_releveTotals;
    std::vector<float> m_speciesTotals;
    std::size_t m_cellCount = 0;
    Layout m_byReleve;
    Layout m_bySpecies;
};

} // namespace Zelkor
