// Stage 1: Aberth-Ehrlich iteration with Gauss-Seidel updates (each new
// approximation used at once), from starting points on circles fitted to the
// Newton polygon, in double complex, in doubles with a separate exponent (when
// the coefficients or roots do not fit one scaling of doubles) or in fp at a
// low precision.
#include <algorithm>
#include <cmath>
#include <limits>
#include <numbers>

#include "roots/search.h"
#include "roots/wide.h"

namespace korvel::detail {

namespace {

// Sweeps before giving up on the approximations that have not yet settled.
constexpr int doubleSweeps = 150;
constexpr int fpSweeps = 60;
// The last pass, at the search's own precision, runs longer: after it only the
// full-precision search is left, which costs far more than these sweeps.
constexpr int lastFpSweeps = 3 * fpSweeps;

// arg c in doubles, for any exponent of c.
double argument(fpComplex const& c) {
    i64 const s = i64(std::floor(std::max(log2Abs(c.re), log2Abs(c.im))));
    return std::atan2(scaledDouble(c.im, s), scaledDouble(c.re, s));
}

// A hull edge from i to j holds j - i roots on a circle of radius
// (|a_i| / |a_j|)^(1/(j - i)); each circle turns by its own offset so that
// circles of equal radius do not line up.
std::vector<std::pair<double, double>> startCircles(Poly const& p) {
    std::vector<std::size_t> hull;  // upper convex hull of (k, log2 |a_k|)
    for (std::size_t t = 0; t < p.terms.size(); ++t) {
        while (hull.size() >= 2) {
            std::size_t const i = hull[hull.size() - 2], j = hull.back();
            double const cross = (p.terms[j] - p.terms[i]) * (p.logAbs[t] - p.logAbs[i]) -
                                 (p.logAbs[j] - p.logAbs[i]) * double(p.terms[t] - p.terms[i]);
            if (cross < 0) break;
            hull.pop_back();
        }
        hull.push_back(t);
    }
    // A sparse binomial a_j x^j + a_i x^i has its roots on its one circle, at
    // the angles (arg(-a_i / a_j) + 2 pi t) / (j - i): there the starts are the
    // roots to the doubles' precision, and stage 1 has nothing left to do.
    bool const binomial = p.sparse && p.terms.size() == 2;
    std::vector<std::pair<double, double>> starts;  // (log2 radius, angle)
    for (std::size_t e = 0; e + 1 < hull.size(); ++e) {
        i32 const i = p.terms[hull[e]], j = p.terms[hull[e + 1]];
        double const lr = (p.logAbs[hull[e]] - p.logAbs[hull[e + 1]]) / (j - i);
        double const onRoots = binomial ? (argument(p.a[i]) - argument(p.a[j]) + std::numbers::pi) / (j - i) : 0;
        for (i32 t = 0; t < j - i; ++t) {
            double const angle = 2 * std::numbers::pi * t / (j - i);
            starts.emplace_back(lr, binomial ? angle + onRoots : angle + 0.7 * double(e) + 0.4);
        }
    }
    return starts;
}

// 1 / z without the library's guards against overflow: |z| is moderate here.
inline dcomplex recip(dcomplex z) {
    double const m = std::norm(z);
    return {z.real() / m, -z.imag() / m};
}

// The Aberth correction for y_i in double: N = p/p' at y from Horner's rule
// (on the reversed polynomial when |y| > 1), with lv = log2 of a bound on
// |p(2^s y)|; true when |p| is within the rounding of the evaluation.
bool doubleCorrection(std::vector<dcomplex> const& b, i64 e, dcomplex y, dcomplex& N, double& lv) {
    std::size_t const n = b.size() - 1;
    double const ay = std::sqrt(std::norm(y));
    bool const reversed = ay > 1;
    dcomplex const x = reversed ? recip(y) : y;
    double const ax = std::sqrt(std::norm(x));
    dcomplex v = reversed ? b[0] : b[n], d = 0;
    // mu bounds the rounding of the partial sums; |re| + |im| stands for the
    // modulus (at most sqrt 2 times it) at a fraction of the cost.
    double mu = std::abs(v.real()) + std::abs(v.imag());
    for (std::size_t k = 1; k <= n; ++k) {
        d = d * x + v;
        v = v * x + (reversed ? b[k] : b[n - k]);
        mu = mu * ax + std::abs(v.real()) + std::abs(v.imag());
    }
    double const av = std::abs(v);
    double const bound = 8.0 * double(n + 2) * unitRoundoff * mu;
    lv = std::log2(av + bound) + double(e) + (reversed ? double(n) * std::log2(ay) : 0.0);
    if (av <= 4.0 * double(n + 1) * unitRoundoff * mu) return true;
    // p'/p = x (n - x R'/R) at x = 1/y for the reversed R.
    N = reversed ? v / (x * (double(n) * v - x * d)) : v / d;
    return !std::isfinite(N.real()) || !std::isfinite(N.imag());
}

// x^g for g >= 0, by squaring.
dcomplex powerOf(dcomplex x, i32 g) {
    dcomplex r = 1;
    while (g > 0) {
        if (g & 1) r *= x;
        g >>= 1;
        if (g > 0) x *= x;
    }
    return r;
}

// doubleCorrection for a sparse polynomial (nonzero b_k at the ascending
// `terms` only): a gap of g is bridged by x^g, with D = x R'(x) carried as
// D <- (D + g v) x^g, so that no gap needs x^(g-1) too. Each x^g errs by at
// most (g - 1) sqrt(5) u relative, so the rounding stays below
// (sqrt(5) n + 2 terms) u mu with mu = sum |b_k| |x|^k, within the bounds
// doubleCorrection takes from its own mu.
bool sparseDoubleCorrection(std::vector<dcomplex> const& b, std::vector<i32> const& terms, i64 e, dcomplex y,
                            dcomplex& N, double& lv) {
    i32 const n = i32(b.size()) - 1;
    std::size_t const count = terms.size();
    double const ay = std::sqrt(std::norm(y));
    bool const reversed = ay > 1;
    dcomplex const x = reversed ? recip(y) : y;
    double const ax = std::sqrt(std::norm(x));
    // The t-th term from the top of the polynomial evaluated (reversed or not).
    auto index = [&](std::size_t t) { return std::size_t(terms[reversed ? t : count - 1 - t]); };
    auto exponent = [&](std::size_t t) { return reversed ? n - i32(index(t)) : i32(index(t)); };
    auto absSum = [](dcomplex c) { return std::abs(c.real()) + std::abs(c.imag()); };
    dcomplex v = b[index(0)], D = 0;
    double mu = absSum(v);
    i32 prev = exponent(0);
    for (std::size_t t = 1; prev > 0; ++t) {
        bool const more = t < count;
        i32 const k = more ? exponent(t) : 0;
        i32 const g = prev - k;
        dcomplex const xg = powerOf(x, g);
        D = (D + double(g) * v) * xg;
        v *= xg;
        mu *= std::pow(ax, double(g));
        if (more) {
            v += b[index(t)];
            mu += absSum(b[index(t)]);
        }
        prev = k;
    }
    double const av = std::abs(v);
    double const bound = 8.0 * double(n + 2) * unitRoundoff * mu;
    lv = std::log2(av + bound) + double(e) + (reversed ? double(n) * std::log2(ay) : 0.0);
    if (av <= 4.0 * double(n + 1) * unitRoundoff * mu) return true;
    // p/p' = x v / D; for the reversed R, v / (x (n v - D)).
    N = reversed ? v / (x * (double(n) * v - D)) : x * v / D;
    return !std::isfinite(N.real()) || !std::isfinite(N.imag());
}

// The Aberth correction for z in doubles with a separate exponent: N = p/p' at
// z from Horner's rule on a itself (nothing overflows or underflows), with lv =
// log2 of a bound on |p(z)|; true when |p| is within the rounding of the
// evaluation. Each operation is within the roundings of its double
// counterpart (and 2^-63 more), so the double bound holds unchanged.
bool wideCorrection(std::vector<WideComplex> const& a, WideComplex const& z, WideComplex& N, double& lv) {
    std::size_t const n = a.size() - 1;
    WideReal const az = z.abs();
    WideComplex v = a[n], d;
    WideReal mu = v.absSum();  // as in doubleCorrection
    for (std::size_t k = 1; k <= n; ++k) {
        d = d * z + v;
        v = v * z + a[n - k];
        mu = addMagnitudes(mu * az, v.absSum());
    }
    WideReal const av = v.abs();
    lv = addMagnitudes(av, mu * WideReal(8.0 * double(n + 2) * unitRoundoff)).log2();
    if (!(av.log2() > (mu * WideReal(4.0 * double(n + 1) * unitRoundoff)).log2())) return true;
    if (d.m == 0.0) return true;
    N = v / d;
    return !N.finite();
}

// The sum over j != i of 1 / (z_i - z_j) in C's own arithmetic.
template <class C, class Recip>
void reciprocalSum(std::vector<C> const& z, std::size_t i, C& S, Recip reciprocal) {
    S = C(0.0);
    for (std::size_t j = 0; j < z.size(); ++j)
        if (j != i) S += reciprocal(z[i] - z[j]);
}

// Gauss-Seidel Aberth sweeps over whatever arithmetic C is; correct(i, N)
// gives the Newton correction of z_i or true when z_i is to stay; sum(i, S)
// the sum of 1 / (z_i - z_j); moved(i) hears of each new z_i, and `settled`
// of the approximations that stay after each sweep.
template <class C, class Correct, class Sum, class Moved>
void aberthSweeps(std::vector<C>& z, std::vector<char>& frozen, int sweeps, Correct correct, Sum sum, Moved moved,
                  SettledCount const& settled) {
    std::size_t const n = z.size();
    C const zero(0.0), one(1.0);
    C N, S, t;
    for (int sweep = 0; sweep < sweeps; ++sweep) {
        bool any = false;
        for (std::size_t i = 0; i < n; ++i) {
            if (searchCancelled()) return;
            if (frozen[i]) continue;
            if (correct(i, N)) {
                frozen[i] = 1;
                continue;
            }
            sum(i, S);
            // z_i -= N / (1 - N S)
            t = N * S;
            t = one - t;
            if (t == zero) t = one;
            z[i] -= N / t;
            moved(i);
            any = true;
        }
        if (settled) settled(std::size_t(std::count(frozen.begin(), frozen.end(), 1)));
        if (!any) break;
    }
}

// The reciprocal sums of the fp sweeps in doubles: Aberth's step N / (1 - N S)
// takes an error e in S as one of about |N|^2 e, so S needs no more than the
// doubles' precision, while N and the step stay in fp. Roots are kept as
// doubles scaled by 2^-s (refreshed as they move); a pair whose difference
// the doubles do not hold to 2^-30 (their conversion errors, a range the
// scaling leaves) is summed in fp.
class FpReciprocals {
public:
    explicit FpReciprocals(std::vector<fpComplex> const& z) : z_(z), r_(scale(z)) {}

    void refresh(std::size_t i) { r_.set(i, z_[i]); }

    void sum(std::size_t i, fpComplex& S) {
        dcomplex inDoubles = 0;
        bool inFp = false;
        for (std::size_t j = 0; j < z_.size(); ++j) {
            if (j == i) continue;
            if (r_.ok[i] && r_.ok[j]) {
                dcomplex const d = r_.w[i] - r_.w[j];
                double const e = 0x1p30 * (r_.err[i] + r_.err[j]), m = std::norm(d);
                if (m > e * e && m > 0x1p-1000) {
                    inDoubles += dcomplex(d.real() / m, -d.imag() / m);
                    continue;
                }
            }
            sub(difference_, z_[i], z_[j]);
            div(term_, one_, difference_);
            if (inFp)
                S += term_;
            else
                S = term_;
            inFp = true;
        }
        // 1 / (z_i - z_j) = 2^-s / (w_i - w_j)
        fromDouble(sumInDoubles_.re, inDoubles.real(), -r_.s);
        fromDouble(sumInDoubles_.im, inDoubles.imag(), -r_.s);
        if (inFp)
            S += sumInDoubles_;
        else
            S = sumInDoubles_;
    }

private:
    std::vector<fpComplex> const& z_;
    Scaled r_;
    fpComplex const one_{1.0};
    fpComplex difference_, term_, sumInDoubles_;
};

}  // namespace

std::vector<dcomplex> startingPoints(Poly const& p, i64 s) {
    std::vector<dcomplex> y;
    for (auto [lr, angle] : startCircles(p)) y.push_back(std::polar(std::exp2(lr - double(s)), angle));
    return y;
}

std::vector<WideComplex> startingPointsWide(Poly const& p) {
    std::vector<WideComplex> z;
    for (auto [lr, angle] : startCircles(p)) {
        double const whole = std::floor(lr);
        z.emplace_back(std::polar(std::exp2(lr - whole), angle), i64(whole));
    }
    return z;
}

bool aberthDouble(Poly const& p, i64 s, std::vector<dcomplex>& y, std::vector<double>& log2Value,
                  SettledCount const& settled) {
    // b_k = a_k 2^(s k - e) with the largest |b_k| near 1; every nonzero b_k and
    // every starting radius must be a normal double far from the limits.
    double top = -std::numeric_limits<double>::infinity();
    for (std::size_t t = 0; t < p.terms.size(); ++t) top = std::max(top, p.logAbs[t] + double(s) * p.terms[t]);
    i64 const e = i64(std::floor(top));
    std::vector<dcomplex> b(std::size_t(p.n) + 1);
    for (std::size_t t = 0; t < p.terms.size(); ++t) {
        i32 const k = p.terms[t];
        if (p.logAbs[t] + double(s) * k - double(e) < -900) return false;
        b[std::size_t(k)] = {scaledDouble(p.a[k].re, e - s * k), scaledDouble(p.a[k].im, e - s * k)};
    }
    for (auto const& w : y)
        if (!(std::abs(w) > 0x1p-400 && std::abs(w) < 0x1p400)) return false;

    std::size_t const n = y.size();
    std::vector<char> frozen(n, 0);
    auto correct = [&](std::size_t i, dcomplex& N) {
        return p.sparse ? sparseDoubleCorrection(b, p.terms, e, y[i], N, log2Value[i])
                        : doubleCorrection(b, e, y[i], N, log2Value[i]);
    };
    aberthSweeps(
        y, frozen, doubleSweeps, correct, [&](std::size_t i, dcomplex& S) { reciprocalSum(y, i, S, recip); },
        [](std::size_t) {}, settled);
    dcomplex N;
    for (std::size_t i = 0; i < n; ++i)
        if (!frozen[i]) correct(i, N);
    return true;
}

void aberthWide(Poly const& p, std::vector<WideComplex>& z, std::vector<double>& log2Value,
                SettledCount const& settled) {
    std::vector<WideComplex> a(std::size_t(p.n) + 1);
    for (i32 k : p.terms) a[std::size_t(k)] = toWide(p.a[k]);
    std::vector<char> frozen(z.size(), 0);
    auto correct = [&](std::size_t i, WideComplex& N) { return wideCorrection(a, z[i], N, log2Value[i]); };
    auto const reciprocal = [](WideComplex const& w) { return inverse(w); };
    aberthSweeps(
        z, frozen, doubleSweeps, correct, [&](std::size_t i, WideComplex& S) { reciprocalSum(z, i, S, reciprocal); },
        [](std::size_t) {}, settled);
    WideComplex N;
    for (std::size_t i = 0; i < z.size(); ++i)
        if (!frozen[i]) correct(i, N);
}

bool aberthFp(Poly const& p, std::vector<fpComplex>& z, std::vector<double>& log2Value, std::vector<char> frozen,
              bool last, SettledCount const& settled) {
    double const bits = bitsOf(blockPrec);
    double const settle = std::log2(4.0 * (p.n + 1)) - bits, round = log2RoundingFactor(p.n, bits);
    fpComplex v, d;
    auto correct = [&](std::size_t i, fpComplex& N) {
        evaluate(p, z[i], v, &d);
        double const mag = log2Magnitude(p, log2Abs(z[i])), lv = log2Abs(v);
        log2Value[i] = log2ValueBound(v, mag + round);
        if (lv <= mag + settle || !d) return true;
        div(N, v, d);
        return false;
    };
    FpReciprocals reciprocals(z);
    aberthSweeps(
        z, frozen, last ? lastFpSweeps : fpSweeps, correct, [&](std::size_t i, fpComplex& S) { reciprocals.sum(i, S); },
        [&](std::size_t i) { reciprocals.refresh(i); }, settled);
    fpComplex N;
    bool all = true;
    for (std::size_t i = 0; i < z.size(); ++i)
        if (!frozen[i]) all = correct(i, N) && all;
    return all;
}

}  // namespace korvel::detail
