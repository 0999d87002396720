#pragma once

#include "analysis/constancytable.h"
#include "analysis/fidelityoptions.h"

#include <vector>

namespace Zelkor {

class Feedback;
class TableModel;

/// The fidelity of one species to one group.
struct FidelityCell
{
    int occurrences = 0;     ///< n_g: relevés of the group holding the species
    double phi = 0.0;        ///< the phi coefficient of association, -1 … 1
    int phiPercent = 0;      ///< phi × 100 rounded to an integer, halves to the even one
    double p = 1.0;          ///< Fisher's exact test, one-tailed for a positive association
    bool diagnostic = false; ///< phi reaches the threshold and p lies below alpha
};

/// The fidelity of every species row of a composition table to every group of relevés of its
/// constancy table (runs of relevé columns between empty columns; see ConstancyTable): the phi
/// coefficient of association between the species' presence and membership of the group
/// (Chytrý et al. 2002) and Fisher's exact test of that association.
///
/// For a species s and a group g: N relevés in all groups, N_g in g, n holding s, n_g of g holding
/// s (a relevé holds s when its cell is not empty, as in the constancy table).
///   phi = (N·n_g − n·N_g) / sqrt(n·N_g·(N − n)·(N − N_g)), 0 where the denominator is 0.
/// Standardised, every group counts N_g' = N / G relevés (G groups with relevés), with
/// n_g' = n_g·N_g'/N_g and n' = n_g' + (n − n_g)·(N − N_g')/(N − N_g) in the same formula. Both
/// are computed from the integer counts (the standardised phi reduces to
///   sqrt(G − 1)·(N·n_g − n·N_g) / sqrt(X·(G·N_g·(N − N_g) − X)),
///   X = n_g·(N − N_g) + (G − 1)·(n − n_g)·N_g),
/// so that the rounding of phi to a percentage and its comparison with the threshold are
/// decided on the exact value, not on a double that may lie a rounding below it.
/// p = P(X ≥ n_g) for X hypergeometric (N relevés, n holding s, N_g drawn), from the
/// unstandardised counts: the log of the first term of the tail by a saddle-point expansion,
/// the later terms relative to it, the sum taken back from log space; p keeps about 13
/// significant digits for N up to 1,000,000 and does not fall to 0 above 1e-300.
///
/// A group without relevés (two empty columns side by side, or one at either end) takes no part:
/// it does not count in G, and every species has phi 0 and p 1 there. Each phi and p depends on
/// the counts alone, not on the order of the species rows.
class FidelityTable
{
public:
    /// The species of one block of the diagnostic order: those diagnostic for group (from 0) by
    /// falling phi, or (group −1) the rest in their order.
    struct Block
    {
        int group = -1;
        std::vector<int> species; ///< species positions (from 1)
    };

    /// The phi coefficient of the counts, unstandardised.
    static double phi(long long N, long long groupSize, long long n, long long occurrences);
    /// The phi coefficient with the group size standardised to N / groups.
    static double standardizedPhi(long long N, long long groupSize, long long n, long long occurrences,
                                  int groups);
    /// Fisher's exact test, one-tailed: the probability that a group of groupSize relevés drawn
    /// at random from N, of which n hold the species, holds it occurrences times or more.
    static double fisherP(long long N, long long groupSize, long long n, long long occurrences);

    /// Computes the table of model (frequencies current) with options; feedback (if given) is
    /// told each species row. False, with the table empty, when the work was cancelled.
    bool compute(const TableModel &model, const FidelityOptions &options, Feedback *feedback = nullptr);

    /// The groups as ConstancyTable::findGroups gives them, empty ones included.
    const std::vector<ReleveGroup> &groups() const { return m_groups; }
    /// N: relevés in all groups.
    int releves() const { return m_releves; }
    /// G: groups that hold relevés.
    int groupsWithReleves() const { return m_groupsWithReleves; }
    /// Number of species rows computed.
    int speciesCount() const { return m_speciesCount; }
    /// n: relevés holding species s (from 1).
    int frequency(int s) const { return m_frequency[std::size_t(s)]; }
    /// The fidelity of species s (from 1) to group j (from 0).
    const FidelityCell &cell(int s, int j) const
    {
        return m_cells[std::size_t(s - 1) * m_groups.size() + std::size_t(j)];
    }
    /// The group (from 0) species s belongs to as a diagnostic species: of the groups it is
    /// diagnostic for, the one where its phi is highest (the first of equals); −1 when none.
    int diagnosticGroup(int s) const { return m_diagnosticGroup[std::size_t(s)]; }

    /// The diagnostic order of the species rows: a block for each group that holds relevés, in
    /// column order (its species by falling phi, equal phi in their order), then the block of
    /// the rest in their order.
    std::vector<Block> diagnosticBlocks() const;

    /// Moves the species rows of model into the diagnostic order of options (the blocks one
    /// after the other, without headings), renumbers them and marks the table changed when a
    /// row moved. The hidden indexes, and so the cover codes, move with their rows; the row
    /// heights stay by place. Returns the number of diagnostic species; 0 leaves the table as it
    /// was.
    static int sortSpeciesRows(TableModel &model, const FidelityOptions &options);

private:
    std::vector<ReleveGroup> m_groups;
    std::vector<int> m_frequency;
    std::vector<FidelityCell> m_cells;
    std::vector<int> m_diagnosticGroup;
    int m_releves = 0;
    int m_groupsWithReleves = 0;
    int m_speciesCount = 0;
};

} // namespace Zelkor
