#pragma once

#include <complex>
#include <vector>

namespace Zelkor {

/// Eigenvalues and eigenvectors of the small dense matrices that the sparse eigensolvers of the
/// ordinations reduce a table to (a few dozen rows). Matrices are row-major, n × n. Every step is
/// done in a fixed order, so the same matrix gives the same bits.
namespace DenseEigen {

/// The eigenvalues of the symmetric matrix a, largest first, and their eigenvectors as the
/// columns of *vectors (row-major n × n, orthonormal), by cyclic Jacobi rotations until the
/// off-diagonal part vanishes against the diagonal.
void symmetric(std::vector<double> a, int n, std::vector<double> *values, std::vector<double> *vectors);

/// The eigenvalues of the real upper Hessenberg matrix h, complex ones in conjugate pairs, by the
/// QR algorithm with Francis double shifts. False when an eigenvalue did not settle within 30
/// iterations (the values are then incomplete).
bool hessenbergEigenvalues(std::vector<double> h, int n, std::vector<std::complex<double>> *values);

/// The eigenvalues of the real matrix a: reduced to upper Hessenberg form by Householder
/// reflections, then hessenbergEigenvalues().
bool eigenvalues(std::vector<double> a, int n, std::vector<std::complex<double>> *values);

/// A unit eigenvector of a for its real eigenvalue lambda, by inverse iteration with lambda moved
/// by a small fraction of the matrix's size.
std::vector<double> eigenvector(const std::vector<double> &a, int n, double lambda);

} // namespace DenseEigen

} // namespace Zelkor
