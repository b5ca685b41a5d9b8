// Doubles with a separate exponent: a value m 2^e with m a double (complex: a
// double complex sharing one exponent) and e a 64-bit integer, so that stage 1
// keeps hardware arithmetic on coefficients and roots of any range.
//
// A nonzero value is kept normalized: its mantissa's larger part lies in
// [0.5, 1). Scaling by a power of two is exact except where a part falls below
// 2^-1022 of the other (a complex with one part that small): that part is lost,
// an absolute error under 2^-1021 |z|. Each operation below is its double
// counterpart on the mantissas, with the bound written beside it in roundings
// of relative size 2^-53; where an addend below 2^-64 of the other is dropped,
// a relative error under 2^-63 (a 1/1024 of a rounding) comes on top.
//
// Below them, double-doubles with a separate exponent (WideDD), for the few
// sums that must hold twice the doubles' bits.
#pragma once

#include <bit>
#include <cmath>
#include <complex>
#include <cstdint>

#include "roots/search.h"

namespace korvel::detail {

namespace wide {

// 2^k exactly, for -1022 <= k <= 1023.
inline double pow2(i64 k) { return std::bit_cast<double>(std::uint64_t(k + 1023) << 52); }

// The exponent k of a normal or subnormal x != 0 with |x| in [2^(k-1), 2^k).
inline i64 exponentOf(double x) {
    auto const biased = i64((std::bit_cast<std::uint64_t>(x) >> 52) & 0x7ff);
    if (biased != 0) return biased - 1022;
    int k = 0;
    (void)std::frexp(x, &k);
    return k;
}

// Addends further apart than this many binary places: the smaller is dropped.
constexpr i64 dropShift = 64;

}  // namespace wide

// A real m 2^e, m in [0.5, 1) or zero (then e is 0).
struct WideReal {
    double m = 0;
    i64 e = 0;

    WideReal() = default;
    WideReal(double x, i64 k) : m(x), e(k) { normalize(); }
    explicit WideReal(double x) : WideReal(x, 0) {}

    void normalize() {
        if (m == 0 || !std::isfinite(m)) {
            e = m == 0 ? 0 : e;
            return;
        }
        i64 const k = wide::exponentOf(m);
        m = k >= -1021 && k <= 1022 ? m * wide::pow2(-k) : std::ldexp(m, int(-k));
        e += k;
    }
    // log2 of the value; -inf for zero.
    double log2() const { return std::log2(m) + double(e); }
};

// x * y: one rounding.
inline WideReal operator*(WideReal x, WideReal y) { return {x.m * y.m, x.e + y.e}; }

// x + y for x, y >= 0: one rounding, or the larger alone when the smaller is
// below 2^-64 of it (relative error under 2^-63).
inline WideReal addMagnitudes(WideReal x, WideReal y) {
    if (y.m == 0) return x;
    if (x.m == 0) return y;
    if (x.e < y.e) std::swap(x, y);
    i64 const shift = x.e - y.e;
    if (shift > wide::dropShift) return x;
    return {x.m + y.m * wide::pow2(-shift), x.e};
}

// A complex m 2^e, max(|re m|, |im m|) in [0.5, 1) or m = 0 (then e is 0).
struct WideComplex {
    dcomplex m;
    i64 e = 0;

    WideComplex() = default;
    WideComplex(dcomplex x, i64 k) : m(x), e(k) { normalize(); }
    // For the constants 0 and 1 of the iteration.
    explicit WideComplex(double x) : WideComplex(dcomplex(x, 0.0), 0) {}

    void normalize() {
        double const top = std::max(std::abs(m.real()), std::abs(m.imag()));
        if (top == 0 || !std::isfinite(top)) {
            e = top == 0 ? 0 : e;
            return;
        }
        i64 const k = wide::exponentOf(top);
        if (k >= -1021 && k <= 1022) {
            m *= wide::pow2(-k);  // exact but where the smaller part falls below 2^-1022
        } else {
            m = {std::ldexp(m.real(), int(-k)), std::ldexp(m.imag(), int(-k))};
        }
        e += k;
    }
    bool finite() const { return std::isfinite(m.real()) && std::isfinite(m.imag()); }
    // |re| + |im|, within a factor sqrt 2 above the modulus, in one rounding.
    WideReal absSum() const { return {std::abs(m.real()) + std::abs(m.imag()), e}; }
    // The modulus, within the rounding of std::abs.
    WideReal abs() const { return {std::abs(m), e}; }
    // log2 |z|; -inf for zero.
    double log2Abs() const { return std::log2(std::abs(m)) + double(e); }
};

inline bool operator==(WideComplex const& x, WideComplex const& y) { return x.m == y.m && (x.m == 0.0 || x.e == y.e); }

// x * y by the schoolbook formula (no checks for infinities): each part within
// 2 roundings of |x||y|, the whole within sqrt 8 2^-53 |x y|.
inline dcomplex mulParts(dcomplex x, dcomplex y) {
    return {x.real() * y.real() - x.imag() * y.imag(), x.real() * y.imag() + x.imag() * y.real()};
}
inline WideComplex operator*(WideComplex const& x, WideComplex const& y) { return {mulParts(x.m, y.m), x.e + y.e}; }
// One rounding a part.
inline WideComplex operator*(WideComplex const& x, WideReal const& y) { return {x.m * y.m, x.e + y.e}; }

// 1 / x as the conjugate over |x.m|^2, which lies in [0.25, 2]: within 3
// roundings a part.
inline WideComplex inverse(WideComplex const& x) {
    double const q = x.m.real() * x.m.real() + x.m.imag() * x.m.imag();
    return {dcomplex(x.m.real() / q, -x.m.imag() / q), -x.e};
}
// x / y = x (1 / y): within 6 roundings of |x / y|.
inline WideComplex operator/(WideComplex const& x, WideComplex const& y) { return x * inverse(y); }

// x + y: one complex addition's rounding, or the larger alone when the smaller
// is below 2^-64 of it (relative error under 2^-63).
inline WideComplex operator+(WideComplex x, WideComplex y) {
    if (y.m == 0.0) return x;
    if (x.m == 0.0) return y;
    if (x.e < y.e) std::swap(x, y);
    i64 const shift = x.e - y.e;
    if (shift > wide::dropShift) return x;
    return {x.m + y.m * wide::pow2(-shift), x.e};
}
inline WideComplex operator-(WideComplex const& x, WideComplex y) {
    y.m = -y.m;
    return x + y;
}
inline WideComplex& operator+=(WideComplex& x, WideComplex const& y) { return x = x + y; }
inline WideComplex& operator-=(WideComplex& x, WideComplex const& y) { return x = x - y; }

// Conversions: x rounded to a WideComplex (within two roundings a part, from
// the top 96 bits of each), and back exactly.
WideComplex toWide(fpComplex const& x);
void fromWide(fpComplex& r, WideComplex const& x);

// Double-doubles: hi + lo with |lo| at most half an ulp of hi, about 106 bits;
// each operation below is within a few units of 2^-104 of its result.
struct DD {
    double hi = 0, lo = 0;
};
inline DD twoSum(double a, double b) {
    double const s = a + b, bb = s - a;
    return {s, (a - (s - bb)) + (b - bb)};
}
inline DD quickTwoSum(double a, double b) {
    double const s = a + b;
    return {s, b - (s - a)};
}
inline DD operator+(DD a, DD b) {
    DD s = twoSum(a.hi, b.hi);
    DD const t = twoSum(a.lo, b.lo);
    s = quickTwoSum(s.hi, s.lo + t.hi);
    return quickTwoSum(s.hi, s.lo + t.lo);
}
inline DD operator-(DD a) { return {-a.hi, -a.lo}; }
inline DD operator-(DD a, DD b) { return a + -b; }
inline DD operator*(DD a, DD b) {
    double const p = a.hi * b.hi;
    return quickTwoSum(p, std::fma(a.hi, b.hi, -p) + (a.hi * b.lo + a.lo * b.hi));
}
inline DD operator/(DD a, DD b) {
    double const q1 = a.hi / b.hi;
    DD const r = a - DD{q1, 0} * b;
    return quickTwoSum(q1, r.hi / b.hi);
}

// A complex double-double times 2^e, its larger part's hi kept in [0.5, 1)
// (as the wide numbers keep theirs) so that long products neither overflow
// nor underflow.
struct WideDD {
    DD re, im;
    i64 e = 0;

    void normalize() {
        double const top = std::max(std::abs(re.hi), std::abs(im.hi));
        if (top == 0 || !std::isfinite(top)) return;
        i64 const k = wide::exponentOf(top);
        double const f = k >= -1021 && k <= 1022 ? wide::pow2(-k) : std::ldexp(1.0, int(-k));
        re = {re.hi * f, re.lo * f};
        im = {im.hi * f, im.lo * f};
        e += k;
    }
};
inline WideDD operator*(WideDD const& a, WideDD const& b) {
    WideDD r{a.re * b.re - a.im * b.im, a.re * b.im + a.im * b.re, a.e + b.e};
    r.normalize();
    return r;
}
inline WideDD operator/(WideDD const& a, WideDD const& b) {
    DD const norm = b.re * b.re + b.im * b.im;
    WideDD r{(a.re * b.re + a.im * b.im) / norm, (a.im * b.re - a.re * b.im) / norm, a.e - b.e};
    r.normalize();
    return r;
}

inline bool isZero(WideDD const& x) { return x.re.hi == 0 && x.im.hi == 0; }
inline WideDD operator-(WideDD const& x) { return {-x.re, -x.im, x.e}; }
// The smaller addend scaled to the larger's exponent; below 2^-110 of it, dropped.
inline WideDD operator+(WideDD a, WideDD b) {
    if (isZero(b)) return a;
    if (isZero(a)) return b;
    if (a.e < b.e) std::swap(a, b);
    i64 const shift = a.e - b.e;
    if (shift > 110) return a;
    double const f = wide::pow2(-shift);
    WideDD r{a.re + DD{b.re.hi * f, b.re.lo * f}, a.im + DD{b.im.hi * f, b.im.lo * f}, a.e};
    r.normalize();
    return r;
}
inline WideDD toWideDD(WideComplex const& x) { return {{x.m.real(), 0}, {x.m.imag(), 0}, x.e}; }
// x 2^-s as a complex double-double (parts below the doubles' range become 0).
inline void scaledDown(WideDD const& x, i64 s, DD& re, DD& im) {
    i64 const k = x.e - s;
    double const f = k < -1100 ? 0.0 : std::ldexp(1.0, int(std::min<i64>(k, 1023)));
    re = {x.re.hi * f, x.re.lo * f};
    im = {x.im.hi * f, x.im.lo * f};
}

// Conversions: x to about 106 bits (each part's top 53 bits, then the rest's),
// and back, rounded to blockPrec.
WideDD toWideDD(fpComplex const& x);
void fromWideDD(fpComplex& r, WideDD const& x);

}  // namespace korvel::detail
