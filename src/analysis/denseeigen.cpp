#include "analysis/denseeigen.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <numeric>

namespace Zelkor::DenseEigen {

namespace {

double signOf(double magnitude, double sign)
{
    return sign >= 0.0 ? std::fabs(magnitude) : -std::fabs(magnitude);
}

} // namespace

void symmetric(std::vector<double> a, int n, std::vector<double> *values, std::vector<double> *vectors)
{
    const std::size_t N = std::size_t(std::max(n, 0));
    auto at = [&](std::vector<double> &m, std::size_t r, std::size_t c) -> double & { return m[r * N + c]; };
    std::vector<double> v(N * N, 0.0);
    for (std::size_t i = 0; i < N; ++i)
        at(v, i, i) = 1.0;

    for (int sweep = 0; sweep < 100; ++sweep) {
        double off = 0.0;
        double diagonal = 0.0;
        for (std::size_t p = 0; p < N; ++p) {
            diagonal += at(a, p, p) * at(a, p, p);
            for (std::size_t q = p + 1; q < N; ++q)
                off += at(a, p, q) * at(a, p, q);
        }
        if (off == 0.0 || off <= 1e-32 * diagonal)
            break;
        for (std::size_t p = 0; p < N; ++p) {
            for (std::size_t q = p + 1; q < N; ++q) {
                const double apq = at(a, p, q);
                if (apq == 0.0)
                    continue;
                const double theta = (at(a, q, q) - at(a, p, p)) / (2.0 * apq);
                const double t = std::fabs(theta) > 1e150 ? 0.5 / theta
                                                          : signOf(1.0, theta) / (std::fabs(theta) + std::sqrt(theta * theta + 1.0));
                const double c = 1.0 / std::sqrt(t * t + 1.0);
                const double s = t * c;
                for (std::size_t k = 0; k < N; ++k) {
                    const double akp = at(a, k, p);
                    const double akq = at(a, k, q);
                    at(a, k, p) = c * akp - s * akq;
                    at(a, k, q) = s * akp + c * akq;
                }
                for (std::size_t k = 0; k < N; ++k) {
                    const double apk = at(a, p, k);
                    const double aqk = at(a, q, k);
                    at(a, p, k) = c * apk - s * aqk;
                    at(a, q, k) = s * apk + c * aqk;
                }
                for (std::size_t k = 0; k < N; ++k) {
                    const double vkp = at(v, k, p);
                    const double vkq = at(v, k, q);
                    at(v, k, p) = c * vkp - s * vkq;
                    at(v, k, q) = s * vkp + c * vkq;
                }
            }
        }
    }

    std::vector<std::size_t> order(N);
    std::iota(order.begin(), order.end(), std::size_t(0));
    std::stable_sort(order.begin(), order.end(), [&](std::size_t x, std::size_t y) { return at(a, x, x) > at(a, y, y); });
    values->assign(N, 0.0);
    vectors->assign(N * N, 0.0);
    for (std::size_t k = 0; k < N; ++k) {
        (*values)[k] = at(a, order[k], order[k]);
        for (std::size_t r = 0; r < N; ++r)
            (*vectors)[r * N + k] = at(v, r, order[k]);
    }
}

bool hessenbergEigenvalues(std::vector<double> h, int n, std::vector<std::complex<double>> *values)
{
    values->assign(std::size_t(std::max(n, 0)), {0.0, 0.0});
    if (n <= 0)
        return true;
    const std::size_t N = std::size_t(n);
    auto a = [&](int r, int c) -> double & { return h[std::size_t(r) * N + std::size_t(c)]; };
    double norm = 0.0;
    for (int i = 0; i < n; ++i)
        for (int j = std::max(i - 1, 0); j < n; ++j)
            norm += std::fabs(a(i, j));

    int nn = n - 1;
    double t = 0.0;
    double p = 0.0, q = 0.0, r = 0.0, s = 0.0, w = 0.0, x = 0.0, y = 0.0, z = 0.0;
    while (nn >= 0) {
        int its = 0;
        int l;
        do {
            // A negligible subdiagonal element splits the matrix.
            for (l = nn; l >= 1; --l) {
                s = std::fabs(a(l - 1, l - 1)) + std::fabs(a(l, l));
                if (s == 0.0)
                    s = norm;
                if (std::fabs(a(l, l - 1)) + s == s) {
                    a(l, l - 1) = 0.0;
                    break;
                }
            }
            x = a(nn, nn);
            if (l == nn) {
                // One root found.
                (*values)[std::size_t(nn)] = {x + t, 0.0};
                --nn;
            } else {
                y = a(nn - 1, nn - 1);
                w = a(nn, nn - 1) * a(nn - 1, nn);
                if (l == nn - 1) {
                    // Two roots found.
                    p = 0.5 * (y - x);
                    q = p * p + w;
                    z = std::sqrt(std::fabs(q));
                    x += t;
                    if (q >= 0.0) {
                        z = p + signOf(z, p);
                        const double first = x + z;
                        const double second = z != 0.0 ? x - w / z : first;
                        (*values)[std::size_t(nn - 1)] = {first, 0.0};
                        (*values)[std::size_t(nn)] = {second, 0.0};
                    } else {
                        (*values)[std::size_t(nn - 1)] = {x + p, z};
                        (*values)[std::size_t(nn)] = {x + p, -z};
                    }
                    nn -= 2;
                } else {
                    // No root yet: a double-shift QR step.
                    if (its == 30)
                        return false;
                    if (its == 10 || its == 20) {
                        // An exceptional shift.
                        t += x;
                        for (int i = 0; i <= nn; ++i)
                            a(i, i) -= x;
                        s = std::fabs(a(nn, nn - 1)) + std::fabs(a(nn - 1, nn - 2));
                        y = x = 0.75 * s;
                        w = -0.4375 * s * s;
                    }
                    ++its;
                    int m;
                    for (m = nn - 2; m >= l; --m) {
                        z = a(m, m);
                        r = x - z;
                        s = y - z;
                        p = (r * s - w) / a(m + 1, m) + a(m, m + 1);
                        q = a(m + 1, m + 1) - z - r - s;
                        r = a(m + 2, m + 1);
                        s = std::fabs(p) + std::fabs(q) + std::fabs(r);
                        p /= s;
                        q /= s;
                        r /= s;
                        if (m == l)
                            break;
                        const double u = std::fabs(a(m, m - 1)) * (std::fabs(q) + std::fabs(r));
                        const double v = std::fabs(p) * (std::fabs(a(m - 1, m - 1)) + std::fabs(z) + std::fabs(a(m + 1, m + 1)));
                        if (u + v == v)
                            break;
                    }
                    for (int i = m + 2; i <= nn; ++i) {
                        a(i, i - 2) = 0.0;
                        if (i != m + 2)
                            a(i, i - 3) = 0.0;
                    }
                    for (int k = m; k <= nn - 1; ++k) {
                        if (k != m) {
                            p = a(k, k - 1);
                            q = a(k + 1, k - 1);
                            r = 0.0;
                            if (k != nn - 1)
                                r = a(k + 2, k - 1);
                            if ((x = std::fabs(p) + std::fabs(q) + std::fabs(r)) != 0.0) {
                                p /= x;
                                q /= x;
                                r /= x;
                            }
                        }
                        if ((s = signOf(std::sqrt(p * p + q * q + r * r), p)) != 0.0) {
                            if (k == m) {
                                if (l != m)
                                    a(k, k - 1) = -a(k, k - 1);
                            } else {
                                a(k, k - 1) = -s * x;
                            }
                            p += s;
                            x = p / s;
                            y = q / s;
                            z = r / s;
                            q /= p;
                            r /= p;
                            for (int j = k; j <= nn; ++j) {
                                p = a(k, j) + q * a(k + 1, j);
                                if (k != nn - 1) {
                                    p += r * a(k + 2, j);
                                    a(k + 2, j) -= p * z;
                                }
                                a(k + 1, j) -= p * y;
                                a(k, j) -= p * x;
                            }
                            const int last = nn < k + 3 ? nn : k + 3;
                            for (int i = l; i <= last; ++i) {
                                p = x * a(i, k) + y * a(i, k + 1);
                                if (k != nn - 1) {
                                    p += z * a(i, k + 2);
                                    a(i, k + 2) -= p * r;
                                }
                                a(i, k + 1) -= p * q;
                                a(i, k) -= p;
                            }
                        }
                    }
                }
            }
        } while (l < nn - 1);
    }
    return true;
}

bool eigenvalues(std::vector<double> a, int n, std::vector<std::complex<double>> *values)
{
    const std::size_t N = std::size_t(std::max(n, 0));
    auto at = [&](std::size_t r, std::size_t c) -> double & { return a[r * N + c]; };
    std::vector<double> v(N);
    for (std::size_t k = 0; k + 2 < N; ++k) {
        // The reflection that clears column k below the subdiagonal.
        double norm = 0.0;
        for (std::size_t i = k + 1; i < N; ++i)
            norm += at(i, k) * at(i, k);
        norm = std::sqrt(norm);
        if (norm == 0.0)
            continue;
        const double alpha = at(k + 1, k) > 0.0 ? -norm : norm;
        std::fill(v.begin(), v.end(), 0.0);
        v[k + 1] = at(k + 1, k) - alpha;
        for (std::size_t i = k + 2; i < N; ++i)
            v[i] = at(i, k);
        double vv = 0.0;
        for (std::size_t i = k + 1; i < N; ++i)
            vv += v[i] * v[i];
        if (vv == 0.0)
            continue;
        // a = (I - 2vv'/v'v) a (I - 2vv'/v'v)
        for (std::size_t c = 0; c < N; ++c) {
            double d = 0.0;
            for (std::size_t i = k + 1; i < N; ++i)
                d += v[i] * at(i, c);
            d = 2.0 * d / vv;
            for (std::size_t i = k + 1; i < N; ++i)
                at(i, c) -= d * v[i];
        }
        for (std::size_t r = 0; r < N; ++r) {
            double d = 0.0;
            for (std::size_t i = k + 1; i < N; ++i)
                d += at(r, i) * v[i];
            d = 2.0 * d / vv;
            for (std::size_t i = k + 1; i < N; ++i)
                at(r, i) -= d * v[i];
        }
        for (std::size_t i = k + 2; i < N; ++i)
            at(i, k) = 0.0;
    }
    return hessenbergEigenvalues(std::move(a), n, values);
}

std::vector<double> eigenvector(const std::vector<double> &a, int n, double lambda)
{
    const std::size_t N = std::size_t(std::max(n, 0));
    if (N == 0)
        return {};
    double size = 0.0;
    for (double v : a)
        size = std::max(size, std::fabs(v));
    if (size == 0.0)
        size = 1.0;
    // (A - shift I) = P L U with partial pivoting; the shift keeps it just off singular.
    const double shift = lambda + 1e-10 * size;
    std::vector<double> lu(a);
    for (std::size_t i = 0; i < N; ++i)
        lu[i * N + i] -= shift;
    std::vector<std::size_t> pivot(N);
    const double tiny = std::numeric_limits<double>::epsilon() * size;
    for (std::size_t k = 0; k < N; ++k) {
        std::size_t best = k;
        for (std::size_t i = k + 1; i < N; ++i)
            if (std::fabs(lu[i * N + k]) > std::fabs(lu[best * N + k]))
                best = i;
        pivot[k] = best;
        if (best != k)
            for (std::size_t j = 0; j < N; ++j)
                std::swap(lu[k * N + j], lu[best * N + j]);
        if (std::fabs(lu[k * N + k]) < tiny)
            lu[k * N + k] = lu[k * N + k] < 0.0 ? -tiny : tiny;
        for (std::size_t i = k + 1; i < N; ++i) {
            const double f = lu[i * N + k] / lu[k * N + k];
            lu[i * N + k] = f;
            for (std::size_t j = k + 1; j < N; ++j)
                lu[i * N + j] -= f * lu[k * N + j];
        }
    }
    std::vector<double> x(N, 1.0 / std::sqrt(double(N)));
    for (int round = 0; round < 3; ++round) {
        for (std::size_t k = 0; k < N; ++k)
            std::swap(x[k], x[pivot[k]]);
        for (std::size_t i = 0; i < N; ++i)
            for (std::size_t j = 0; j < i; ++j)
                x[i] -= lu[i * N + j] * x[j];
        for (std::size_t i = N; i-- > 0;) {
            for (std::size_t j = i + 1; j < N; ++j)
                x[i] -= lu[i * N + j] * x[j];
            x[i] /= lu[i * N + i];
        }
        double norm = 0.0;
        for (double v : x)
            norm += v * v;
        norm = std::sqrt(norm);
        if (!(norm > 0.0) || !std::isfinite(norm))
            break;
        for (double &v : x)
            v /= norm;
    }
    return x;
}

} // namespace Zelkor::DenseEigen
