#include "analysis/denseeigen.h"
#include "analysis/krylov.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>

using namespace Zelkor;

namespace {

using Matrix = std::vector<double>;

// Q D Q' for a random orthogonal Q (Householder products) and the given diagonal, then made
// upper Hessenberg (or left full).
Matrix withEigenvalues(const std::vector<double> &d, std::mt19937 &rng)
{
    const std::size_t n = d.size();
    Matrix a(n * n, 0.0);
    for (std::size_t i = 0; i < n; ++i)
        a[i * n + i] = d[i];
    std::normal_distribution<double> normal;
    for (int round = 0; round < 3; ++round) {
        std::vector<double> v(n);
        double vv = 0.0;
        for (double &x : v) {
            x = normal(rng);
            vv += x * x;
        }
        for (std::size_t c = 0; c < n; ++c) {
            double s = 0.0;
            for (std::size_t i = 0; i < n; ++i)
                s += v[i] * a[i * n + c];
            for (std::size_t i = 0; i < n; ++i)
                a[i * n + c] -= 2.0 * s / vv * v[i];
        }
        for (std::size_t r = 0; r < n; ++r) {
            double s = 0.0;
            for (std::size_t i = 0; i < n; ++i)
                s += a[r * n + i] * v[i];
            for (std::size_t i = 0; i < n; ++i)
                a[r * n + i] -= 2.0 * s / vv * v[i];
        }
    }
    return a;
}

Matrix multiply(const Matrix &a, const std::vector<double> &x)
{
    const std::size_t n = x.size();
    std::vector<double> y(n, 0.0);
    for (std::size_t r = 0; r < n; ++r)
        for (std::size_t c = 0; c < n; ++c)
            y[r] += a[r * n + c] * x[c];
    return y;
}

} // namespace

TEST(DenseEigen, SymmetricEigenvaluesAndVectors)
{
    std::mt19937 rng(1);
    const std::vector<double> d{3.0, -1.5, 0.25, 0.25, 2.0, 0.0, 7.5};
    const Matrix a = withEigenvalues(d, rng);
    std::vector<double> values;
    std::vector<double> vectors;
    DenseEigen::symmetric(a, 7, &values, &vectors);
    std::vector<double> sorted = d;
    std::sort(sorted.begin(), sorted.end(), std::greater<double>());
    for (std::size_t k = 0; k < 7; ++k) {
        EXPECT_NEAR(values[k], sorted[k], 1e-12);
        std::vector<double> x(7);
        for (std::size_t r = 0; r < 7; ++r)
            x[r] = vectors[r * 7 + k];
        const std::vector<double> ax = multiply(a, x);
        for (std::size_t r = 0; r < 7; ++r)
            EXPECT_NEAR(ax[r], values[k] * x[r], 1e-12);
    }
}

TEST(DenseEigen, GeneralRealAndComplexEigenvalues)
{
    // Rotations give complex pairs: a block [[a, b], [-b, a]] has a ± ib.
    std::mt19937 rng(2);
    const std::size_t n = 6;
    Matrix a(n * n, 0.0);
    const double diagonal[] = {4.0, -2.0, 0.5, 1.0};
    a[0] = diagonal[0];
    a[1 * n + 1] = diagonal[1];
    a[2 * n + 2] = diagonal[2];
    a[3 * n + 3] = diagonal[3];
    a[4 * n + 4] = 1.5;
    a[4 * n + 5] = 2.0;
    a[5 * n + 4] = -2.0;
    a[5 * n + 5] = 1.5;
    // A similarity with a random non-orthogonal matrix keeps the eigenvalues.
    Matrix s(n * n);
    std::uniform_real_distribution<double> uniform(-1.0, 1.0);
    for (std::size_t i = 0; i < n * n; ++i)
        s[i] = uniform(rng) + (i % (n + 1) == 0 ? 3.0 : 0.0);
    // b = s a s^-1: solve s' x = ... by building s^-1 with Gauss-Jordan.
    Matrix inv(n * n, 0.0);
    Matrix work = s;
    for (std::size_t i = 0; i < n; ++i)
        inv[i * n + i] = 1.0;
    for (std::size_t c = 0; c < n; ++c) {
        std::size_t p = c;
        for (std::size_t r = c + 1; r < n; ++r)
            if (std::fabs(work[r * n + c]) > std::fabs(work[p * n + c]))
                p = r;
        for (std::size_t j = 0; j < n; ++j) {
            std::swap(work[c * n + j], work[p * n + j]);
            std::swap(inv[c * n + j], inv[p * n + j]);
        }
        const double f = work[c * n + c];
        for (std::size_t j = 0; j < n; ++j) {
            work[c * n + j] /= f;
            inv[c * n + j] /= f;
        }
        for (std::size_t r = 0; r < n; ++r) {
            if (r == c)
                continue;
            const double g = work[r * n + c];
            for (std::size_t j = 0; j < n; ++j) {
                work[r * n + j] -= g * work[c * n + j];
                inv[r * n + j] -= g * inv[c * n + j];
            }
        }
    }
    Matrix sa(n * n, 0.0);
    Matrix b(n * n, 0.0);
    for (std::size_t r = 0; r < n; ++r)
        for (std::size_t c = 0; c < n; ++c)
            for (std::size_t k = 0; k < n; ++k)
                sa[r * n + c] += s[r * n + k] * a[k * n + c];
    for (std::size_t r = 0; r < n; ++r)
        for (std::size_t c = 0; c < n; ++c)
            for (std::size_t k = 0; k < n; ++k)
                b[r * n + c] += sa[r * n + k] * inv[k * n + c];

    std::vector<std::complex<double>> values;
    ASSERT_TRUE(DenseEigen::eigenvalues(b, int(n), &values));
    ASSERT_EQ(values.size(), n);
    const std::complex<double> want[] = {{4.0, 0.0}, {-2.0, 0.0}, {0.5, 0.0}, {1.0, 0.0}, {1.5, 2.0}, {1.5, -2.0}};
    for (const std::complex<double> &w : want) {
        double closest = 1e300;
        for (const std::complex<double> &v : values)
            closest = std::min(closest, std::abs(v - w));
        EXPECT_LT(closest, 1e-9) << w.real() << " " << w.imag();
    }
    // The eigenvector of a real one.
    const std::vector<double> x = DenseEigen::eigenvector(b, int(n), 0.5);
    const std::vector<double> bx = multiply(b, x);
    for (std::size_t r = 0; r < n; ++r)
        EXPECT_NEAR(bx[r], 0.5 * x[r], 1e-8);
}

TEST(Krylov, LargestOfASymmetricOperatorAndTheDominantOfAGeneralOne)
{
    // A diagonal operator of 400 with a cluster at the top; one direction excluded.
    const int n = 400;
    std::vector<double> d(n);
    for (int i = 0; i < n; ++i)
        d[std::size_t(i)] = 1.0 / (1.0 + 0.05 * i);
    d[0] = 2.0; // the excluded direction's value
    std::vector<double> e0(n, 0.0);
    e0[0] = 1.0;
    int calls = 0;
    const Krylov::Operator diagonal = [&](const double *in, double *out) {
        ++calls;
        for (int i = 0; i < n; ++i)
            out[i] = d[std::size_t(i)] * in[i];
    };
    const Krylov::Outcome sym = Krylov::largestSymmetric(n, 4, diagonal, {e0}, 1e-10, 5000, nullptr);
    ASSERT_TRUE(sym.converged);
    ASSERT_EQ(sym.values.size(), 4u);
    EXPECT_EQ(sym.applications, calls);
    for (int k = 0; k < 4; ++k) {
        EXPECT_NEAR(sym.values[std::size_t(k)], d[std::size_t(k) + 1], 1e-12);
        EXPECT_NEAR(std::fabs(sym.vectors[std::size_t(k)][std::size_t(k) + 1]), 1.0, 1e-8);
    }

    // The same values made non-symmetric in the weighted inner product: D plus an upper part.
    std::vector<double> weights(n, 1.0);
    const Krylov::Operator upper = [&](const double *in, double *out) {
        for (int i = 0; i < n; ++i)
            out[i] = d[std::size_t(i)] * in[i] + (i + 1 < n ? 0.3 * in[i + 1] : 0.0);
    };
    const Krylov::Outcome dom = Krylov::dominant(n, upper, weights, {}, false, 1e-9, 5000, nullptr);
    ASSERT_TRUE(dom.converged);
    ASSERT_EQ(dom.values.size(), 1u);
    EXPECT_NEAR(dom.values[0], 2.0, 1e-9);
    std::vector<double> out(n);
    upper(dom.vectors[0].data(), out.data());
    for (int i = 0; i < n; ++i)
        EXPECT_NEAR(out[std::size_t(i)], 2.0 * dom.vectors[0][std::size_t(i)], 1e-7);
}
