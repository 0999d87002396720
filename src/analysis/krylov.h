#pragma once

#include <functional>
#include <vector>

namespace Zelkor {

class Feedback;

/// Eigenvectors of large operators known only by their action on a vector, as the ordinations
/// need them: a few of the largest eigenvalues of a symmetric operator (thick-restart Lanczos,
/// Wu & Simon 2000) and the dominant eigenvalue of a general one (Arnoldi, restarted from its
/// best approximation). Only vectors of the operator's size and small dense matrices are kept.
/// Every sum is added up in a fixed order: the same operator gives the same bits.
namespace Krylov {

/// out = A · in, both of the operator's size.
using Operator = std::function<void(const double *in, double *out)>;

/// How a search ended.
struct Outcome
{
    /// The eigenvalues found (largest first for the symmetric search).
    std::vector<double> values;
    /// Their unit eigenvectors, one vector per value.
    std::vector<std::vector<double>> vectors;
    /// Applications of the operator.
    int applications = 0;
    /// Every value met the tolerance (false: the last approximations, after maxApplications).
    bool converged = false;
    /// The feedback cancelled the search: no values.
    bool canceled = false;
    /// dominant(): the next best approximations it kept, good vectors to start a search for a
    /// neighbouring operator from.
    std::vector<std::vector<double>> others;
};

/// The `count` largest eigenvalues and their eigenvectors of the symmetric positive semidefinite
/// operator op of size n, searched in the space orthogonal to the unit vectors `excluded`
/// (eigenvectors of op that are not wanted). Converged when each vector's residual is at most
/// tolerance times the largest eigenvalue. At most the dimension of that space is returned;
/// eigenvalues that are 0 within rounding are left out. feedback (if given) is told the number
/// of applications; cancelled, the search ends with no values.
Outcome largestSymmetric(int n, int count, const Operator &op, const std::vector<std::vector<double>> &excluded,
                         double tolerance, int maxApplications, Feedback *feedback);

/// The dominant (largest real) eigenvalue of the operator op of size n and its eigenvector, unit
/// in the inner product weighted by `weights` (Σ weights · x · y), searched from the space of
/// the vectors `starts` (a pseudo-random start vector when they span nothing). The
/// search keeps its vectors orthogonal to the constant vector when `withoutConstant` is set (the
/// operator must then send constants to 0). Converged when the residual is at most tolerance
/// times the eigenvalue.
Outcome dominant(int n, const Operator &op, const std::vector<double> &weights,
                 const std::vector<std::vector<double>> &starts, bool withoutConstant, double tolerance, int maxApplications, Feedback *feedback);

/// A start vector of n pseudo-random numbers in (-1, 1), the same on every run.
std::vector<double> startVector(int n);

} // namespace Krylov

} // namespace Zelkor
