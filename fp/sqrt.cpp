// Square root through the integer square root of a widened mantissa, and exact
// powers of two.
#include "fp/internal.h"

namespace korvel {

using detail::length;

void sqrt(fp& r, fp const& x) {
    if (x.mantissa.size < 0) return;
    if (x.mantissa.size == 0) {
        detail::makeZero(r);
        return;
    }
    // The root of a mantissa of at least 2B words has B words, truncated. The
    // widening is by whole words, so a small top word gives fewer bits.
    i32 const B2 = 2 * blockPrec;
    fp t(x);
    i64 e = t.exponent;
    if (length(t) < B2) {
        i32 const bits = 32 * (B2 - length(t));
        mbShiftLeft(t.mantissa, t.mantissa, bits);
        e -= bits;
    }
    if (e % 2 != 0) {
        mbShiftLeft(t.mantissa, t.mantissa, 1);
        e -= 1;
    }
    sqrt(r.mantissa, t.mantissa);
    detail::fitExponent(r, e / 2);
}

fp sqrt(fp const& x) {
    fp r;
    sqrt(r, x);
    return r;
}

void power2(fp& r, i32 n) {
    equate(r.mantissa, 1);
    r.exponent = n;
}

fp power2(i32 n) {
    fp r;
    power2(r, n);
    return r;
}

}  // namespace korvel
