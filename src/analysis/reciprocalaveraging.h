#pragma once

#include <cstddef>
#include <functional>
#include <vector>

namespace Zelkor {

class Feedback;

class RecipMatrix;

/// Reciprocal averaging: species and relevé scores that order a composition table along its
/// main gradient. Species start at 50, the first species that takes part at 40; each iteration
/// averages the species scores into relevé scores (weighted by the values), rescales them to
/// 0..100, averages those back into species scores and rescales these. Scores are kept in single
/// precision in two generations, A and B, that the iterations write in turn (odd iterations B,
/// even ones A); the sums of products, the totals' quotients, the smallest and largest score and
/// the two change totals are double precision, each sum added up in table order. The loop stops
/// when both change totals fall below 2.0, or after 1001 iterations. The result is always
/// generation A, the scores of the last even iteration.
class ReciprocalAveraging
{
public:
    static constexpr int MaxIterations = 1001;
    static constexpr double ConvergenceLimit = 2.0;
    static constexpr float StartScore = 50.0f;
    static constexpr float FirstStartScore = 40.0f;

    /// The scores and how the loop ended.
    struct Result
    {
        /// Scores by table position (index 0 unused), of generation A; 0 where there is none.
        std::vector<float> speciesScores;
        std::vector<float> releveScores;
        /// Whether the species row / relevé column at a position took part and has a score.
        std::vector<bool> speciesScored;
        std::vector<bool> releveScored;
        /// The number of the last iteration run.
        int iterations = 0;
        /// The change totals of the last iteration (SpeciesScoreShift, ReleveScoreShift).
        double speciesScoreShift = 0.0;
        double releveScoreShift = 0.0;
        /// The averaging was cancelled: there are no scores.
        bool canceled = false;
    };

    /// Runs the averaging over matrix, stopping after maxIterations at the latest. threads > 1
    /// lets that many threads (at most one for each relevé and species) share each pass over
    /// the cells, each sum still added up by one thread in table order, so the scores are the
    /// same with any number. A matrix without relevés or species that take part gives a result
    /// with no scores and no iterations. feedback (if given) is told the number of each iteration
    /// as it starts; cancelled, the loop stops there with a result that has no scores.
    static Result run(const RecipMatrix &matrix, Feedback *feedback = nullptr, int threads = 1,
                      int maxIterations = MaxIterations);
    /// The threads worth using for matrix on this machine: one for each 100,000 filled cells,
    /// at most as many as the processor runs at once.
    static int threadsFor(const RecipMatrix &matrix);
};

} // namespace Zelkor
