// fp and doubles: conversions with a separate binary scale, the log2
// magnitudes the low-precision stages and the rounding bounds work with, and
// the log2 arithmetic of radii and distances.
#include <algorithm>
#include <cmath>
#include <limits>

#include "roots/search.h"

namespace korvel::detail {

namespace {

// |x| ~ m * 2^e from the top three words of the mantissa (m < 2^96), in up to
// three roundings. Not toDouble's single rounding: the stage-1 coefficients and
// every log2 bound (the radii among them) are made from these values, and a
// different last bit moves roots and values that korvel-cli prints.
bool topBits(fp const& x, double& m, i64& e) {
    i32 const len = x.mantissa.size < 0 ? -x.mantissa.size : x.mantissa.size;
    if (len == 0) return false;
    i32 const low = len > 3 ? len - 3 : 0;
    m = 0;
    for (i32 i = len - 1; i >= low; --i) m = m * 4294967296.0 + double(x.mantissa.words[i]);
    e = i64(x.exponent) + 32 * i64(low);
    return true;
}

}  // namespace

double log2Abs(fp const& x) {
    double m;
    i64 e;
    if (!topBits(x, m, e)) return -std::numeric_limits<double>::infinity();
    return std::log2(m) + double(e);
}

double log2Abs(fpComplex const& z) {
    double const r = log2Abs(z.re), i = log2Abs(z.im);
    double const hi = std::max(r, i), lo = std::min(r, i);
    if (hi == -std::numeric_limits<double>::infinity()) return hi;
    return hi + 0.5 * std::log2(1.0 + std::exp2(2 * (lo - hi)));
}

double scaledDouble(fp const& x, i64 s) {
    double m;
    i64 e;
    if (!topBits(x, m, e)) return 0.0;
    i64 const k = std::clamp<i64>(e - s, -4000, 4000);
    double const v = std::ldexp(m, int(k));
    return x.mantissa.size < 0 ? -v : v;
}

void fromDouble(fp& r, double d, i64 s) {
    if (d == 0 || !std::isfinite(d)) {
        r = fp();
        return;
    }
    int e = 0;
    double const f = std::frexp(d, &e);
    equate(r.mantissa, i64(std::ldexp(f, 53)));
    r.exponent = i32(i64(e) - 53 + s);
    fpNormalize(r);
}

double log2Magnitude(Poly const& p, double lz) {
    double top = -std::numeric_limits<double>::infinity();
    for (std::size_t t = 0; t < p.terms.size(); ++t) top = std::max(top, p.logAbs[t] + p.terms[t] * lz);
    double sum = 0;
    for (std::size_t t = 0; t < p.terms.size(); ++t) sum += std::exp2(p.logAbs[t] + p.terms[t] * lz - top);
    return top + std::log2(sum);
}

double log2Difference(fpComplex const& x, fpComplex const& y) {
    fpComplex d;
    ScopedBlockPrec wide(blockPrec + 2);
    sub(d, x, y);
    return log2Abs(d);
}

fp radiusOf(double lr) {
    fp r;
    if (lr == -std::numeric_limits<double>::infinity()) return r;
    if (!std::isfinite(lr)) return fp(-1.0);
    double const whole = std::floor(lr);
    fromDouble(r, std::exp2(lr - whole) * (1 + 0x1p-30), i64(whole));
    return r;
}

double log2RoundingFactor(i32 n, double bits) { return std::log2(8.0 * (double(n) + 2)) - bits; }

Poly makePoly(fpComplex const* a, i32 n) {
    Poly p;
    p.a = a;
    p.n = n;
    p.terms.reserve(std::size_t(n) + 1);
    p.logAbs.reserve(std::size_t(n) + 1);
    for (i32 k = 0; k <= n; ++k)
        if (!!a[k]) {
            p.terms.push_back(k);
            p.logAbs.push_back(log2Abs(a[k]));
        }
    // Powers by squaring pay once most coefficients are zero.
    p.sparse = 4 * p.terms.size() <= std::size_t(n);
    return p;
}

}  // namespace korvel::detail
