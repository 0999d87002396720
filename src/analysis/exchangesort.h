#pragma once

#include <QtGlobal>

#include <utility>
#include <vector>

namespace Zelkor {

/// The exchange sort that puts species rows and relevé columns in ascending order of their
/// reciprocal averaging scores: for each place r from the first to the last but one, and for
/// each later place s in turn, the two change places when the score at r is strictly greater
/// than the score at s. The result is ascending, but equal scores do not keep their previous
/// order (5, 5, 3 ends as 3, the second 5, the first 5). order() gives the arrangement without
/// moving anything, so that the table's rows and columns move once.
///
/// How order() finds it without the n²/4 exchanges the sort makes on scores in no particular
/// order: each exchange is a comparator, so a group of equal scores v moves as it would in the
/// same sort of a sequence in which every smaller score is 0, every equal one 1 and every larger
/// one 2. There, until the last 0 has gone to the front, each place either takes the first 0
/// (when it precedes every 1) or hands its first 1 to the place of the first 0, behind the 1s
/// in between: the group, read from the left, turns by one place for each smaller score that
/// follows its first member, each member joining at the back as it is reached. The larger
/// scores play no part.
class ExchangeSort
{
public:
    /// Exchanges two 16-bit counts.
    static void swapWord(quint16 &a, quint16 &b) { std::swap(a, b); }
    /// Exchanges two single-precision scores.
    static void swapSingle(float &a, float &b) { std::swap(a, b); }

    /// Sorts scores in place exactly as described, exchanging counts[r] and counts[s] with the
    /// scores (counts must be as long as scores).
    static void sort(std::vector<float> &scores, std::vector<quint16> &counts);

    /// The arrangement the sort leaves: for each place k, the 0-based place in scores of the
    /// score that ends there. Takes time n log n; a NaN among the scores (it compares with
    /// nothing) makes it follow the exchanges one by one.
    static std::vector<int> order(const std::vector<float> &scores);
};

} // namespace Zelkor
