// Powers with an integer or an fp exponent: square and multiply at the working
// precision for integers, exp(y ln |x|) one word above it otherwise.
#include <cmath>

#include "fp/internal.h"

namespace korvel {

using detail::length;

namespace {

// log2 |x| to double precision, for range checks.
double log2Magnitude(fp const& x) {
    i32 const n = length(x);
    u32 const top = x.mantissa.words[n - 1];
    u32 const next = n >= 2 ? x.mantissa.words[n - 2] : 0;
    double const fraction = (double(top) * 4294967296.0 + double(next)) / std::ldexp(1.0, NumBits(top) + 32);
    return double(Lg2(x)) + 1.0 + std::log2(fraction);
}

}  // namespace

// Left-to-right square and multiply at the working precision.
bool power(fp& r, fp const& x, i32 n) {
    if (x.mantissa.size == 0) {
        detail::makeZero(r);
        return n > 0;
    }
    if (n == 0) {
        equate(r, 1);
        return true;
    }
    u32 const m = n < 0 ? 0u - u32(n) : u32(n);
    fp t;
    init(t, 1);
    for (i32 bit = NumBits(m) - 1; bit >= 0; --bit) {
        mul(t, t, t);
        if ((m >> bit) & 1u) mul(t, t, x);
    }
    if (n < 0) {
        fp one;
        init(one, 1);
        // t = 0 (x^|n| below the range) would be left as it is
        (void)div(t, one, t);
    }
    equate(r, t);
    return true;
}

bool pow(fp& r, fp const& x, i32 n) {
    if (compare(x, detail::one()) == 0) {
        equate(r, 1);
        return true;
    }
    if (x.mantissa.size == 0) {
        if (n < 0) return false;  // 1/0: r is left as it was, as by a division by zero
        detail::makeZero(r);
        return true;
    }
    if (n == 0) {
        equate(r, 1);
        return true;
    }
    // log2 |x^n| = n log2 |x|, to double precision: above the exponent's range
    // the result cannot be held (false, zero); below it, it underflows to zero.
    double const bits = log2Magnitude(x) * double(n);
    if (bits > double(detail::maxExponent)) {
        detail::makeZero(r);
        return false;
    }
    if (bits < double(detail::minExponent) - 64.0) {
        detail::makeZero(r);
        return true;
    }
    return power(r, x, n);  // the same square and multiply, with 1/t for n < 0
}

fp pow(fp const& x, i32 n) {
    fp r;
    (void)pow(r, x, n);  // false leaves r = 0
    return r;
}

bool pow(fp& r, fp const& x, fp const& y) {
    if (y.mantissa.size == 0 || compare(x, detail::one()) == 0) {
        equate(r, 1);
        return true;
    }
    if (x.mantissa.size == 0) {
        if (y.mantissa.size < 0) return false;  // 1/0: r is left as it was
        detail::makeZero(r);
        return true;
    }
    i32 n = 0;
    if (equate(n, y)) return pow(r, x, n);
    bool const negative = x.mantissa.size < 0;
    bool const integer = isItInteger(y);
    if (negative && !integer) {
        detail::makeZero(r);
        return false;
    }
    // y log2 |x| above the exponent's range: the result cannot be held (false,
    // zero); below it, the result underflows to zero.
    fp bits;
    (void)init(bits, log2Magnitude(x));  // finite
    mul(bits, bits, y);
    fp limit;
    (void)init(limit, 2147483647.0);  // a finite constant
    if (compare(bits, limit) > 0) {
        detail::makeZero(r);
        return false;
    }
    if (compare(bits, -limit) < 0) {
        detail::makeZero(r);
        return true;
    }
    // x^y = exp(y ln |x|), negated for a negative x and an odd integer y (which
    // here is too large for 32 bits, so only its parity matters).
    bool const negate = negative && !isItEven(y);
    // One guard word: log and exp lose a few ulps of B + 1 words each (see their
    // budgets), 2^-32 of that at B words, so the result is within half an ulp
    // and a little; the test asserts 0.6 ulp against MPFR.
    {
        ScopedBlockPrec guard(blockPrec + 1);
        fp a = abs(x), t;
        log(t, a);
        mul(t, t, y);
        exp(r, t);
    }
    fpNormalize(r);
    if (negate) r.mantissa.size = -r.mantissa.size;
    return true;
}

fp pow(fp const& x, fp const& y) {
    fp r;
    (void)pow(r, x, y);  // false leaves r = 0
    return r;
}

}  // namespace korvel
