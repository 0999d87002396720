#pragma once

// What the two ordinations share: the weights and weighted averages of the matrix, the sign rule
// and the parts of a result. Used by ordination.cpp and detrendedordination.cpp only.

#include "analysis/ordination.h"
#include "analysis/ordinationmatrix.h"
#include "analysis/workcrew.h"

#include <vector>

namespace Zelkor {
class Feedback;
}

namespace Zelkor::OrdinationSupport {

/// The averaging steps of a matrix whose species count with weights (1 unless downweighted):
/// relevé totals R_i = Σ_j x_ij w_j and species totals C_j = w_j Σ_i x_ij.
class Averages
{
public:
    Averages(const OrdinationMatrix &matrix, std::vector<double> speciesWeights, WorkCrew &crew);

    const OrdinationMatrix &matrix() const { return m_matrix; }
    std::size_t releves() const { return m_releveTotals.size(); }
    std::size_t species() const { return m_speciesTotals.size(); }
    const std::vector<double> &releveTotals() const { return m_releveTotals; }
    const std::vector<double> &speciesTotals() const { return m_speciesTotals; }
    const std::vector<double> &speciesWeights() const { return m_weights; }
    double grandTotal() const { return m_grandTotal; }
    WorkCrew &crew() const { return m_crew; }

    /// Species scores as weighted averages of relevé scores: u_j = Σ_i x_ij w_j y_i / C_j.
    void speciesAverages(const double *releveScores, double *speciesScores) const;
    /// Relevé scores as weighted averages of species scores: y_i = Σ_j x_ij w_j u_j / R_i.
    void releveAverages(const double *speciesScores, double *releveScores) const;
    /// The weighted mean of relevé scores (weights R_i).
    double releveMean(const std::vector<double> &scores) const;

private:
    const OrdinationMatrix &m_matrix;
    std::vector<double> m_weights;
    std::vector<double> m_releveTotals;
    std::vector<double> m_speciesTotals;
    double m_grandTotal = 0.0;
    WorkCrew &m_crew;
    mutable std::vector<double> m_scratch;
};

/// Turns every axis of result so that the first relevé whose score is not 0 (against the
/// axis's largest) scores positive.
void applySignRule(OrdinationResult &result);

/// The detrended correspondence analysis of matrix (see Ordination).
OrdinationResult runDetrended(const OrdinationMatrix &matrix, const OrdinationOptions &options, Feedback *feedback,
                              WorkCrew &crew);

} // namespace Zelkor::OrdinationSupport
