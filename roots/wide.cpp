// Conversions between fp and doubles with a separate exponent.
#include "roots/wide.h"

#include <algorithm>

namespace korvel::detail {

WideComplex toWide(fpComplex const& x) {
    double const top = std::max(log2Abs(x.re), log2Abs(x.im));
    if (!std::isfinite(top)) return WideComplex();
    // Each part to a double in [1, 2) 2^k or below: within two roundings (the
    // top 96 bits, then to 53); a part under 2^-4000 of the other becomes 0.
    i64 const k = i64(std::floor(top));
    return {dcomplex(scaledDouble(x.re, k), scaledDouble(x.im, k)), k};
}

void fromWide(fpComplex& r, WideComplex const& x) {
    fromDouble(r.re, x.m.real(), x.e);
    fromDouble(r.im, x.m.imag(), x.e);
}

WideDD toWideDD(fpComplex const& x) {
    WideComplex const w = toWide(x);
    WideDD r;
    if (w.m == 0.0) return r;
    fp rest;
    auto part = [&](fp const& p) {
        double const hi = scaledDouble(p, w.e);
        fromDouble(rest, hi, w.e);
        sub(rest, p, rest);  // exact: the top bits cancel
        return DD{hi, scaledDouble(rest, w.e)};
    };
    r.re = part(x.re);
    r.im = part(x.im);
    r.e = w.e;
    r.normalize();
    return r;
}

void fromWideDD(fpComplex& r, WideDD const& x) {
    fp lo;
    auto part = [&](fp& out, DD const& p) {
        fromDouble(out, p.hi, x.e);
        fromDouble(lo, p.lo, x.e);
        add(out, out, lo);
    };
    part(r.re, x.re);
    part(r.im, x.im);
}

}  // namespace korvel::detail
