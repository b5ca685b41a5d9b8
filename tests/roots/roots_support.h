// Building polynomials from known roots and judging computed roots.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include <korvel/roots.h>

namespace korvel::testing {

// The coefficients (index 0 first) of the product of (x - r), expanded at a
// precision high enough for the small dyadic roots the tests use to be exact.
inline std::vector<fpComplex> expand(std::vector<fpComplex> const& roots, i32 exactWords = 60) {
    ScopedBlockPrec exact(exactWords);
    std::vector<fpComplex> c(1, fpComplex(1.0));
    for (auto const& r : roots) {
        std::vector<fpComplex> next(c.size() + 1);
        for (std::size_t k = 0; k < c.size(); ++k) {
            next[k + 1] += c[k];
            next[k] -= c[k] * r;
        }
        c = std::move(next);
    }
    return c;
}

inline std::vector<fpComplex> fromRoots(std::vector<std::pair<double, double>> const& roots) {
    std::vector<fpComplex> r;
    for (auto [re, im] : roots) r.emplace_back(re, im);
    return expand(r);
}

// 1, 2, ..., n: the roots of Wilkinson's polynomial.
inline std::vector<fpComplex> wilkinsonRoots(int n = 20) {
    std::vector<fpComplex> r;
    for (int k = 1; k <= n; ++k) r.emplace_back(double(k), 0.0);
    return r;
}

// Coefficients with the given terms (power, decimal text) and zeros elsewhere.
inline std::vector<fpComplex> sparse(std::vector<std::pair<int, char const*>> const& terms) {
    int n = 0;
    for (auto const& t : terms) n = std::max(n, t.first);
    std::vector<fpComplex> c(std::size_t(n) + 1);
    for (auto const& t : terms) c[std::size_t(t.first)] = fpComplex(t.second);
    return c;
}

// |a - b|^2 without rounding the difference away (at least 60 words, and
// more than the working precision).
inline fp distance2(fpComplex const& a, fpComplex const& b) {
    ScopedBlockPrec wide(std::max<i32>(60, 2 * blockPrec + 4));
    fpComplex const d = a - b;
    return d.re * d.re + d.im * d.im;
}

inline fp distance(fpComplex const& a, fpComplex const& b) {
    ScopedBlockPrec wide(std::max<i32>(60, 2 * blockPrec + 4));
    return sqrt(distance2(a, b));
}

// Pairs every truth root with the nearest computed root not yet taken.
inline std::vector<std::size_t> match(std::vector<fpComplex> const& truth, std::vector<fpComplex> const& found) {
    std::vector<std::size_t> pick;
    std::vector<bool> used(found.size(), false);
    for (auto const& t : truth) {
        std::size_t best = found.size();
        for (std::size_t k = 0; k < found.size(); ++k)
            if (!used[k] && (best == found.size() || distance2(found[k], t) < distance2(found[best], t))) best = k;
        used[best] = true;
        pick.push_back(best);
    }
    return pick;
}

struct Found {
    std::vector<fpComplex> roots, values;
    bool ok = false;
};

// All roots of coefficients at `figures` significant figures carried, as the
// application sets the precision.
inline Found solve(std::vector<fpComplex> coefficients, int figures, bool snapToAxes = false,
                   RootSearch search = RootSearch::staged, RootSearchRecord* record = nullptr) {
    ScopedBlockPrec precision(wordsForFigures(figures));
    int const n = int(coefficients.size()) - 1;
    Found f;
    f.roots.resize(std::size_t(n));
    f.values.resize(std::size_t(n));
    fpComplex* r = f.roots.data();
    fpComplex* v = f.values.data();
    fpComplex* a = coefficients.data();
    f.ok = findPolyRoots(r, v, a, n, snapToAxes, defaultConfirmFigures, search, record);
    return f;
}

// Newton's inclusion radius n |p(z) / p'(z)|: a disk that holds a root of p.
inline fp inclusionRadius(std::vector<fpComplex> const& coefficients, fpComplex const& z) {
    ScopedBlockPrec wide(40);
    int const n = int(coefficients.size()) - 1;
    fpComplex p = coefficients[std::size_t(n)], d;
    for (int i = n - 1; i >= 0; --i) {
        d = d * z + p;
        p = p * z + coefficients[std::size_t(i)];
    }
    if (!d) return fp(1e300);
    return abs(p / d) * double(n);
}

// The number of decimal digits to which a agrees with b, relative to |b| (or
// absolutely when |b| < 1); 99 for identical values.
inline double agreeingDigits(fpComplex const& a, fpComplex const& b) {
    ScopedBlockPrec wide(40);  // enough to hold the difference of the values compared
    fp const diff = abs(a - b);
    if (!diff) return 99;
    fp scale = abs(b);
    if (scale < 1.0) scale = 1.0;
    double ratio = 0;
    if (!equate(ratio, diff / scale)) return 0;  // a ratio beyond the double range agrees to no digit
    return -std::log10(ratio);
}

// The output order: real parts never rise; an adjacent pair (taken from the
// left) with equal real parts has the larger imaginary part first.
inline ::testing::AssertionResult inOutputOrder(std::vector<fpComplex> const& r) {
    ScopedBlockPrec exact(40);  // compare the values as they are, unrounded
    for (std::size_t k = 0; k + 1 < r.size(); ++k)
        if (compare(r[k].re, r[k + 1].re) < 0) return ::testing::AssertionFailure() << "real parts rise at " << k;
    for (std::size_t k = 0; k + 1 < r.size();) {
        if (compare(r[k].re, r[k + 1].re) != 0) {
            ++k;
            continue;
        }
        if (compare(r[k].im, r[k + 1].im) < 0) return ::testing::AssertionFailure() << "pair at " << k;
        k += 2;
    }
    return ::testing::AssertionSuccess();
}

}  // namespace korvel::testing
