// Argument, exponential, logarithm and powers. Each is formed with guard words
// and rounded once to the working precision at the end.
#include <cmath>

#include "complex/internal.h"

namespace korvel {

namespace {

bool isOne(fpComplex const& z) { return !z.im && z.re == 1.0; }

// s = |z|^2 - 1 = (x - 1)(x + 1) + y^2 exactly enough for |z| near 1: with
// 2B + 3 words the differences, the products and the sum lose nothing that
// matters, so a modulus within 1e-30 of 1 still gives its logarithm fully.
fp modulusSquaredMinusOne(fpComplex const& z) {
    ScopedBlockPrec wide(2 * blockPrec + 3);
    fp a = z.re - 1.0, b = z.re + 1.0, s;
    mul(s, a, b);
    fp y2;
    mul(y2, z.im, z.im);
    add(s, s, y2);
    return s;
}

}  // namespace

void atan2(fp& a, fpComplex const& z) { atan2(a, z.im, z.re); }

fp atan2(fpComplex const& z) { return atan2(z.im, z.re); }

void exp(fpComplex& r, fpComplex const& z) {
    fpComplex v;
    {
        ScopedBlockPrec guard(blockPrec + 1);
        fp const e = exp(z.re);
        if (!z.im) {
            v.re = e;
        } else {
            v.re = e * cos(z.im);
            v.im = e * sin(z.im);
        }
    }
    detail::roundInto(r, v);
}

fpComplex exp(fpComplex const& z) { fpComplex r; exp(r, z); return r; }

void log(fpComplex& r, fpComplex const& z) {
    if (!z) {
        equate(r, 0.0, 0.0);
        return;
    }
    fpComplex v;
    {
        ScopedBlockPrec guard(blockPrec + 1);
        i64 const top = detail::topLog2(z);
        bool done = false;
        if (top == 0 || top == -1) {
            // log|z| = log(1 + s) / 2 = atanh(s / (2 + s)), for |s| < 1/2.
            fp const s = modulusSquaredMinusOne(z);
            if (!s || Lg2(s) < -1) {
                if (!!s) atanh(v.re, s / (s + 2.0));
                done = true;
            }
        }
        if (!done) log(v.re, abs(z));
        if (!z.im) {
            if (z.re < 0.0) v.im = Pi();
        } else {
            atan2(v.im, z.im, z.re);
        }
    }
    detail::roundInto(r, v);
}

fpComplex log(fpComplex const& z) { fpComplex r; log(r, z); return r; }

void powInteger(fpComplex& r, fpComplex const& z, bool negative, u64 magnitude) {
    if (magnitude == 0 || isOne(z)) {
        equate(r, 1.0, 0.0);
        return;
    }
    if (!z) {
        equate(r, 0.0, 0.0);
        return;
    }
    // Left-to-right squaring: about 2 log2 n roundings, each growing the
    // relative error by a factor near n; a guard word per 32 bits of n keeps it below an ulp.
    i32 bits = 0;
    while (bits < 64 && (magnitude >> bits) != 0) ++bits;
    fpComplex acc;
    equate(acc, 1.0, 0.0);
    {
        ScopedBlockPrec guard(blockPrec + 1 + (bits + 31) / 32);
        fpComplex const base(z.re, z.im);
        for (i32 b = bits - 1; b >= 0; --b) {
            mul(acc, acc, acc);
            if ((magnitude >> b) & 1) mul(acc, acc, base);
        }
        if (negative) div(acc, 1.0, acc);
    }
    detail::roundInto(r, acc);
}

void pow(fpComplex& r, fpComplex const& z, fpComplex const& w) {
    if (!w || isOne(z)) {
        equate(r, 1.0, 0.0);
        return;
    }
    if (!z) {
        equate(r, 0.0, 0.0);
        return;
    }
    // exp magnifies an absolute error in w log z into a relative one: a guard
    // word for every 32 bits of |w log z| beyond the first.
    i64 const logSize = std::max<i64>(4, std::abs(detail::topLog2(z)) + 4);
    i64 bits = detail::topLog2(w) + 1;
    for (i64 m = logSize; m > 1; m >>= 1) ++bits;
    i32 const extra = i32(std::clamp<i64>(bits / 32, 0, 64));
    fpComplex v;
    {
        ScopedBlockPrec guard(blockPrec + 2 + extra);
        fpComplex t = log(z);
        mul(t, w, t);
        exp(v, t);
    }
    detail::roundInto(r, v);
}

fpComplex pow(fpComplex const& z, fpComplex const& w) { fpComplex r; pow(r, z, w); return r; }

void pow(fpComplex& r, double x, fpComplex const& w) { pow(r, fpComplex(x, 0.0), w); }

fpComplex pow(double x, fpComplex const& w) { return pow(fpComplex(x, 0.0), w); }

void pow(fpComplex& r, fp const& x, fpComplex const& w) { pow(r, fpComplex(x, fp()), w); }

fpComplex pow(fp const& x, fpComplex const& w) { return pow(fpComplex(x, fp()), w); }

void pow(fpComplex& r, fpComplex const& z, double d) {
    if (!std::isfinite(d)) return;
    // Integers below 2^63 in magnitude convert exactly; larger ones and
    // fractions take the logarithm.
    if (d == std::trunc(d) && std::fabs(d) < 9223372036854775808.0) {
        powInteger(r, z, d < 0, u64(std::fabs(d)));
        return;
    }
    pow(r, z, fpComplex(d, 0.0));
}

fpComplex pow(fpComplex const& z, double d) { fpComplex r; pow(r, z, d); return r; }

void pow(fpComplex& r, fpComplex const& z, fp const& x) { pow(r, z, fpComplex(x, fp())); }

fpComplex pow(fpComplex const& z, fp const& x) { return pow(z, fpComplex(x, fp())); }

}  // namespace korvel
