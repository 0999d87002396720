#include "analysis/krylov.h"

#include "analysis/denseeigen.h"
#include "platform/feedback.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

namespace Zelkor::Krylov {

namespace {

using Vector = std::vector<double>;

// Relative size below which a new direction counts as none: the space searched is exhausted.
constexpr double kBreakdown = 1e-12;
// Relative size below which an eigenvalue of a symmetric search counts as 0.
constexpr double kZeroEigenvalue = 1e-12;

double dot(const Vector &a, const Vector &b)
{
    double sum = 0.0;
    for (std::size_t i = 0; i < a.size(); ++i)
        sum += a[i] * b[i];
    return sum;
}

double weightedDot(const Vector &w, const Vector &a, const Vector &b)
{
    double sum = 0.0;
    for (std::size_t i = 0; i < a.size(); ++i)
        sum += w[i] * a[i] * b[i];
    return sum;
}

void addScaled(Vector &y, double f, const Vector &x)
{
    for (std::size_t i = 0; i < y.size(); ++i)
        y[i] -= f * x[i];
}

void scale(Vector &y, double f)
{
    for (double &v : y)
        v *= f;
}

// Σ_k coefficient(k) · basis[k] for k < count.
template<typename Coefficient>
Vector combination(const std::vector<Vector> &basis, std::size_t count, std::size_t n, Coefficient coefficient)
{
    Vector x(n, 0.0);
    for (std::size_t k = 0; k < count; ++k) {
        const double c = coefficient(k);
        const Vector &b = basis[k];
        for (std::size_t i = 0; i < n; ++i)
            x[i] += c * b[i];
    }
    return x;
}

// A pseudo-random vector from a seed (a 64-bit linear congruential generator), the same on
// every machine.
Vector seeded(int n, std::uint64_t seed)
{
    Vector v(std::size_t(std::max(n, 0)));
    std::uint64_t state = seed * 6364136223846793005ULL + 1442695040888963407ULL;
    for (double &x : v) {
        state = state * 6364136223846793005ULL + 1442695040888963407ULL;
        x = double(std::int64_t(state >> 11) - (std::int64_t(1) << 52)) / double(std::int64_t(1) << 52);
    }
    return v;
}

} // namespace

Vector startVector(int n)
{
    return seeded(n, 1);
}

Outcome largestSymmetric(int n, int count, const Operator &op, const std::vector<Vector> &excluded, double tolerance,
                         int maxApplications, Feedback *feedback)
{
    Outcome out;
    const std::size_t N = std::size_t(std::max(n, 0));
    const int dim = n - int(excluded.size());
    count = std::min(count, dim);
    if (count <= 0) {
        out.converged = true;
        return out;
    }
    const int m = std::min(dim, std::max(2 * count + 20, 40));

    // Removes from w its parts along the excluded vectors and the first `upto` basis vectors,
    // twice over (once is not enough in floating point); returns the coefficients of the basis.
    std::vector<Vector> basis(std::size_t(m) + 1);
    auto orthogonalize = [&](Vector &w, int upto, Vector *coefficients) {
        if (coefficients)
            coefficients->assign(std::size_t(upto), 0.0);
        for (int pass = 0; pass < 2; ++pass) {
            for (const Vector &e : excluded)
                addScaled(w, dot(e, w), e);
            for (int i = 0; i < upto; ++i) {
                const double h = dot(basis[std::size_t(i)], w);
                addScaled(w, h, basis[std::size_t(i)]);
                if (coefficients)
                    (*coefficients)[std::size_t(i)] += h;
            }
        }
    };
    // A new unit direction orthogonal to everything so far; false when there is none.
    std::uint64_t seed = 1;
    auto newDirection = [&](int upto, Vector *v) {
        for (int attempt = 0; attempt < 3; ++attempt) {
            *v = seeded(n, seed++);
            const double before = std::sqrt(dot(*v, *v));
            orthogonalize(*v, upto, nullptr);
            const double norm = std::sqrt(dot(*v, *v));
            if (norm > 1e-8 * before) {
                scale(*v, 1.0 / norm);
                return true;
            }
        }
        return false;
    };

    if (!newDirection(0, &basis[0])) {
        out.converged = true;
        return out;
    }
    std::vector<double> t(std::size_t(m) * std::size_t(m), 0.0);
    auto T = [&](int r, int c) -> double & { return t[std::size_t(r) * std::size_t(m) + std::size_t(c)]; };
    int kept = 0;
    Vector w(N);
    Vector coefficients;
    for (;;) {
        int used = m;
        double beta = 0.0;
        for (int j = kept; j < m; ++j) {
            op(basis[std::size_t(j)].data(), w.data());
            ++out.applications;
            if (!Feedback::advance(feedback, out.applications)) {
                out.canceled = true;
                return out;
            }
            orthogonalize(w, j + 1, &coefficients);
            T(j, j) = coefficients[std::size_t(j)];
            beta = std::sqrt(dot(w, w));
            double scaleOfT = 0.0;
            for (int i = 0; i <= j; ++i)
                scaleOfT = std::max(scaleOfT, std::fabs(T(i, i)));
            if (beta <= kBreakdown * std::max(scaleOfT, 1e-300)) {
                // The space reached so far is invariant: go on in a direction not reached yet,
                // unless the whole space has been.
                beta = 0.0;
                if (j + 1 >= dim || !newDirection(j + 1, &basis[std::size_t(j) + 1])) {
                    used = j + 1;
                    break;
                }
                continue;
            }
            scale(w, 1.0 / beta);
            basis[std::size_t(j) + 1] = w;
            if (j + 1 < m)
                T(j, j + 1) = T(j + 1, j) = beta;
        }

        std::vector<double> small(std::size_t(used) * std::size_t(used));
        for (int r = 0; r < used; ++r)
            for (int c = 0; c < used; ++c)
                small[std::size_t(r) * std::size_t(used) + std::size_t(c)] = T(r, c);
        std::vector<double> theta;
        std::vector<double> y;
        DenseEigen::symmetric(small, used, &theta, &y);
        auto Y = [&](int r, int c) { return y[std::size_t(r) * std::size_t(used) + std::size_t(c)]; };
        const int wanted = std::min(count, used);
        const double largest = std::max(theta.empty() ? 0.0 : theta[0], 0.0);
        bool converged = true;
        for (int i = 0; i < wanted; ++i)
            converged = converged && std::fabs(beta * Y(used - 1, i)) <= tolerance * largest;
        if (converged || out.applications >= maxApplications) {
            out.converged = converged;
            for (int i = 0; i < wanted; ++i) {
                if (!(theta[std::size_t(i)] > kZeroEigenvalue * largest) || largest <= 0.0)
                    break;
                Vector x = combination(basis, std::size_t(used), N, [&](std::size_t k) { return Y(int(k), i); });
                scale(x, 1.0 / std::sqrt(dot(x, x)));
                out.values.push_back(theta[std::size_t(i)]);
                out.vectors.push_back(std::move(x));
            }
            return out;
        }

        // Thick restart: the best `keep` Ritz vectors, then the last direction.
        const int keep = std::min(count + (used - count) / 2, used - 1);
        std::vector<Vector> ritz;
        ritz.reserve(std::size_t(keep));
        for (int i = 0; i < keep; ++i)
            ritz.push_back(combination(basis, std::size_t(used), N, [&](std::size_t k) { return Y(int(k), i); }));
        basis[std::size_t(keep)] = basis[std::size_t(used)];
        for (int i = 0; i < keep; ++i)
            basis[std::size_t(i)] = std::move(ritz[std::size_t(i)]);
        std::fill(t.begin(), t.end(), 0.0);
        for (int i = 0; i < keep; ++i) {
            T(i, i) = theta[std::size_t(i)];
            T(i, keep) = T(keep, i) = beta * Y(used - 1, i);
        }
        kept = keep;
    }
}

Outcome dominant(int n, const Operator &op, const std::vector<double> &weights, const std::vector<Vector> &starts,
                 bool withoutConstant, double tolerance, int maxApplications, Feedback *feedback)
{
    Outcome out;
    const std::size_t N = std::size_t(std::max(n, 0));
    const int dim = n - (withoutConstant ? 1 : 0);
    if (dim <= 0) {
        out.converged = true;
        return out;
    }
    const int m = std::min(dim, 20);
    const int keep = std::max(1, std::min(6, m - 1));
    Vector constant;
    if (withoutConstant) {
        double total = 0.0;
        for (double g : weights)
            total += g;
        constant.assign(N, total > 0.0 ? 1.0 / std::sqrt(total) : 0.0);
    }
    auto removeConstant = [&](Vector &v) {
        if (withoutConstant)
            addScaled(v, weightedDot(weights, constant, v), constant);
    };
    auto norm = [&](const Vector &v) { return std::sqrt(weightedDot(weights, v, v)); };

    // The basis V (orthonormal in the weighted inner product), the operator's images W = A V and
    // the operator within the space, H = V' G W (row-major, m × m).
    std::vector<Vector> V;
    std::vector<Vector> W;
    std::vector<double> H(std::size_t(m) * std::size_t(m), 0.0);
    auto at = [&](std::size_t r, std::size_t c) -> double & { return H[r * std::size_t(m) + c]; };
    auto completeH = [&](std::size_t from) {
        for (std::size_t r = 0; r < V.size(); ++r)
            for (std::size_t c = (r < from ? from : 0); c < W.size(); ++c)
                at(r, c) = weightedDot(weights, V[r], W[c]);
    };
    // Adds the part of w orthogonal to the basis (and to the constant), with its image; false
    // when nothing is left of it.
    auto extend = [&](Vector w) {
        const double before = norm(w);
        removeConstant(w);
        for (int pass = 0; pass < 2; ++pass)
            for (const Vector &v : V)
                addScaled(w, weightedDot(weights, v, w), v);
        const double size = norm(w);
        if (!(size > kBreakdown * before) || !std::isfinite(size))
            return false;
        scale(w, 1.0 / size);
        Vector image(N);
        op(w.data(), image.data());
        ++out.applications;
        V.push_back(std::move(w));
        W.push_back(std::move(image));
        completeH(V.size() - 1);
        return true;
    };

    for (const Vector &v : starts) {
        if (v.size() == N && int(V.size()) < m - 1)
            extend(v);
    }
    if (V.empty() && !extend(startVector(n))) {
        out.converged = true;
        return out;
    }
    for (;;) {
        if (!Feedback::advance(feedback, out.applications)) {
            out.canceled = true;
            return out;
        }
        // Rayleigh-Ritz: the eigenvalues of H, the real ones largest first (complex pairs come
        // from rounding or from parts of the spectrum that the search does not want).
        const int k = int(V.size());
        std::vector<double> h(std::size_t(k) * std::size_t(k));
        for (int r = 0; r < k; ++r)
            for (int c = 0; c < k; ++c)
                h[std::size_t(r) * std::size_t(k) + std::size_t(c)] = at(std::size_t(r), std::size_t(c));
        std::vector<std::complex<double>> values;
        DenseEigen::eigenvalues(h, k, &values);
        std::vector<double> real;
        for (const std::complex<double> &e : values)
            if (std::fabs(e.imag()) <= 1e-9 * std::max(std::abs(e), 1e-300))
                real.push_back(e.real());
        std::sort(real.begin(), real.end(), std::greater<double>());
        if (real.empty()) {
            double best = 0.0;
            for (const std::complex<double> &e : values)
                best = std::max(best, e.real());
            real.push_back(best);
        }
        const double theta = real[0];
        const std::vector<double> y = DenseEigen::eigenvector(h, k, theta);
        Vector x = combination(V, std::size_t(k), N, [&](std::size_t i) { return y[i]; });
        Vector image = combination(W, std::size_t(k), N, [&](std::size_t i) { return y[i]; });
        const double size = norm(x);
        scale(x, 1.0 / size);
        scale(image, 1.0 / size);
        Vector residual = image;
        addScaled(residual, theta, x);
        const bool exhausted = k >= dim;
        const bool converged = exhausted || norm(residual) <= tolerance * std::fabs(theta);
        const bool full = k >= m;

        // The best few Ritz vectors (orthonormalised, their images with them): the start of the
        // next cycle, or what the search keeps for a neighbouring one.
        std::vector<Vector> keptV;
        std::vector<Vector> keptW;
        if (full || converged || out.applications >= maxApplications) {
            for (std::size_t i = 0; i < real.size() && int(keptV.size()) < keep; ++i) {
                const std::vector<double> yi = i == 0 ? y : DenseEigen::eigenvector(h, k, real[i]);
                Vector xi = combination(V, std::size_t(k), N, [&](std::size_t q) { return yi[q]; });
                Vector wi = combination(W, std::size_t(k), N, [&](std::size_t q) { return yi[q]; });
                const double before = norm(xi);
                for (int pass = 0; pass < 2; ++pass) {
                    for (std::size_t q = 0; q < keptV.size(); ++q) {
                        const double c = weightedDot(weights, keptV[q], xi);
                        addScaled(xi, c, keptV[q]);
                        addScaled(wi, c, keptW[q]);
                    }
                }
                const double after = norm(xi);
                if (!(after > 1e-6 * before))
                    continue;
                scale(xi, 1.0 / after);
                scale(wi, 1.0 / after);
                keptV.push_back(std::move(xi));
                keptW.push_back(std::move(wi));
            }
        }
        if (converged || out.applications >= maxApplications) {
            out.converged = converged;
            out.values.push_back(theta);
            out.vectors.push_back(std::move(x));
            out.others.assign(keptV.begin() + std::min<std::ptrdiff_t>(1, std::ptrdiff_t(keptV.size())), keptV.end());
            return out;
        }
        if (full) {
            // Thick restart: on from the kept vectors along the residual of the best.
            V = std::move(keptV);
            W = std::move(keptW);
            completeH(0);
            if (!extend(std::move(residual)))
                out.applications = std::max(out.applications, maxApplications);
        } else if (!extend(W.back())) {
            // Nothing new along the Krylov direction: on along the residual instead.
            if (!extend(std::move(residual)))
                out.applications = std::max(out.applications, maxApplications);
        }
    }
}

} // namespace Zelkor::Krylov
