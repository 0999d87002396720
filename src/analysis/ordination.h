#pragma once

#include <QString>

#include <vector>

namespace Zelkor {

class Feedback;
class OrdinationMatrix;

/// The two ordinations of a composition table.
enum class OrdinationMethod { Correspondence, Detrended };

/// What an ordination computes.
struct OrdinationOptions
{
    OrdinationMethod method = OrdinationMethod::Correspondence;
    /// The axes wanted: any number for correspondence analysis (default 4), 1..4 for the
    /// detrended one. Fewer come back when the table has fewer.
    int axes = 4;
    /// Correspondence analysis only: the scaling of the scores as vegan's cca() has it.
    /// 1: relevé scores scaled by the square roots of the eigenvalues, species scores standardised
    /// (relevés far apart differ in composition; each species sits at the weighted average of its
    /// relevés); 2 (the default, as in vegan): species scaled, relevé scores standardised (each
    /// relevé sits at the weighted average of its species).
    int scaling = 2;
    /// Detrended analysis only: rare species downweighted as Hill (1979) does: a species found in
    /// fewer relevés than a fifth of the most frequent one counts with its values in proportion.
    bool downweight = false;
    /// Detrended analysis: the segments of the detrending and the cycles of rescaling.
    int segments = 26;
    int rescalings = 4;
};

/// The axes of an ordination: eigenvalues and the scores of the relevés and species that took
/// part (those with a value), by axis.
///
/// Sign: every axis is turned so that the first relevé (in table order) whose score is not 0
/// has a positive score; the species scores turn with it.
struct OrdinationResult
{
    OrdinationMethod method = OrdinationMethod::Correspondence;
    /// The scaling of correspondence analysis scores (1 or 2); 0 for the detrended analysis.
    int scaling = 0;
    /// Table positions of the relevés and species with scores, in table order.
    std::vector<int> releves;
    std::vector<int> species;
    /// One per axis. Correspondence analysis: the eigenvalues. Detrended analysis: the
    /// eigenvalues of the final scores, the weighted sum of squares of the relevé scores over
    /// that of the species scores, as vegan's decorana() reports them under "Eigenvalues".
    std::vector<double> eigenvalues;
    /// Detrended analysis: the eigenvalues of the detrended averaging before the rescaling
    /// (Hill's), and the axis lengths (range of the relevé scores) in standard deviations of
    /// species turnover.
    std::vector<double> iterationEigenvalues;
    std::vector<double> axisLengths;
    /// Scores by axis, then by place in releves / species.
    std::vector<std::vector<double>> releveScores;
    std::vector<std::vector<double>> speciesScores;
    /// The eigensolver met its tolerance on every axis.
    bool converged = true;
    /// Operator applications used (each one pass over the filled cells both ways).
    int applications = 0;
    /// The computation was cancelled: there is nothing else.
    bool canceled = false;

    int axisCount() const { return int(eigenvalues.size()); }
    /// "CA1", "DCA2" …: axis k (from 0).
    QString axisName(int k) const;
    /// The axis names' stem: "CA" or "DCA".
    QString prefix() const;
};

/// Correspondence analysis and detrended correspondence analysis of the converted values of a
/// composition table.
///
/// Correspondence analysis (Hill 1973, reciprocal averaging with orthogonalisation) is computed
/// as the largest eigenvalues of the symmetric form of the two averaging steps by the Lanczos
/// method, on the side (relevés or species) that has fewer members: the trivial axis is kept out,
/// and every later axis is orthogonal to the earlier ones under the row weights. Eigenvalues and
/// scores are as vegan's cca().
///
/// Detrended correspondence analysis (Hill & Gauch 1980; Hill 1979) replaces the
/// orthogonalisation by detrending: after each averaging, the relevé scores lose their trend
/// along every earlier axis (that axis cut into `segments` equal segments; the trend of a segment
/// is the mean of the weighted means of the three runs of three segments that hold it, so about
/// 1:2:3:2:1 over five segments), along the earlier axes in turn and back again. The dominant
/// eigenvector of that averaging is found by the Arnoldi method. Each axis is then rescaled
/// (`rescalings` cycles) so that the within-relevé standard deviation of the species scores
/// (unbiased, the species weighted by their values) is about 1 all along it: the relevés' range
/// is cut into five segments to a unit (at most 45), the mean within-relevé variance of each is
/// smoothed by running averages 1:2:1 and the segment stretched or shrunk to it, and the axis
/// scaled so that the mean within-relevé variance is 1. Relevé scores are the weighted averages
/// of the species scores; the origin is the weighted mean of the relevé scores.
class Ordination
{
public:
    /// Tolerance of the eigensolvers: residual against the largest eigenvalue. The detrended
    /// analysis works out its residuals from kept images of the operator, which hold rounding
    /// errors near 1e-10 of their own.
    static constexpr double Tolerance = 1e-10;
    static constexpr double DetrendedTolerance = 1e-8;
    /// Operator applications allowed for one axis.
    static constexpr int MaxApplications = 5000;

    /// Runs the ordination of options over matrix. threads > 1 share each pass over the cells;
    /// the result is the same to the last bit with any number. feedback (if given) is told the
    /// applications of the operator; cancelled, the result is marked so and holds nothing. A
    /// matrix with fewer than two relevés or species that take part has no axes.
    static OrdinationResult run(const OrdinationMatrix &matrix, const OrdinationOptions &options,
                                Feedback *feedback = nullptr, int threads = 1);
    /// The threads worth using for matrix on this machine (one for each 100,000 filled cells,
    /// at most as many as the processor runs at once).
    static int threadsFor(const OrdinationMatrix &matrix);
};

} // namespace Zelkor
