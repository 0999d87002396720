#pragma once

#include <QtGlobal>

#include <cstddef>
#include <functional>
#include <vector>

namespace Zelkor {

class TableModel;

/// The converted cover values of a composition table as reciprocal averaging reads them: only
/// the filled cells, relevé by relevé in table order, each relevé's cells in the order of the
/// species rows. A relevé or species whose values add up to 0 (an empty separator column, a
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
    /// Called now and then while the table is read, with the relevé position reached.
    using Progress = std::function<void(int releve)>;

    /// An empty matrix: no relevés, no species.
    RecipMatrix() = default;

    /// The values of the table's species rows 1..speciesCount() and relevé columns
    /// 1..releveCount() (hidden rows and columns included), converted by method (1: relative
    /// class scores 0..10, 6: presence 1 or 0; any other method as coverToTenths() / 10). The
    /// cover codes are reached through the hidden indexes of row 0 and column 0; cells whose
    /// index cell holds no number count as absent.
    static RecipMatrix fromTable(const TableModel &model, int method, const Progress &progress = {});
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
    /// The cells of the i-th relevé that takes part: entries rowStart(i) .. rowStart(i+1)-1.
    std::size_t rowStart(std::size_t i) const { return m_rowStart[i]; }
    /// The species (its place in scoredSpecies()) of entry e.
    std::size_t speciesOf(std::size_t e) const { return m_wide ? m_species32[e] : m_species16[e]; }
    /// The value of entry e.
    int valueOf(std::size_t e) const { return m_values.empty() ? 1 : m_values[e]; }
    /// Bytes held by the matrix.
    std::size_t memoryBytes() const;

    // For the averaging's inner loops: species places of the entries in 16 bits (fewer than
    // 65,536 species take part) or 32 bits, and the values (empty when every value is 1).
    bool isWide() const { return m_wide; }
    const std::vector<std::size_t> &rowStarts() const { return m_rowStart; }
    const std::vector<quint16> &species16() const { return m_species16; }
    const std::vector<quint32> &species32() const { return m_species32; }
    const std::vector<quint8> &values() const { return m_values; }

private:
    /// Cells of one relevé before they are ordered: species position and value.
    struct Entry
    {
        quint32 species;
        quint8 value;
    };
    /// Builds the matrix from the entries of each relevé position (in any species order).
    static RecipMatrix build(int releveCount, int speciesCount, const std::vector<std::size_t> &start,
                             const std::vector<Entry> &entries);

    int m_releveCount = 0;
    int m_speciesCount = 0;
    std::vector<int> m_scoredReleves;
    std::vector<int> m_scoredSpecies;
    std::vector<float> m_releveTotals;
    std::vector<float> m_speciesTotals;
    std::size_t m_cellCount = 0;
    std::vector<std::size_t> m_rowStart{0};
    bool m_wide = false;
    std::vector<quint16> m_species16;
    std::vector<quint32> m_species32;
    std::vector<quint8> m_values;
};

} // namespace Zelkor
