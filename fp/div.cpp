// Division: a truncated integer quotient of B + 1 or B + 2 words, then rounded.
#include "fp/internal.h"

namespace korvel {

using detail::length;

bool div(fp& r, fp const& x, fp const& y) {
    if (mbCompareAbs(y.mantissa, mb()) == 0) return false;  // zero in any form, high zero words included
    if (x.mantissa.size == 0) {
        detail::makeZero(r);
        return true;
    }
    static fp s;
    equateWithCare(s, x);
    i64 e = i64(x.exponent) - y.exponent;
    i32 const k = blockPrec + 1 + length(y) - length(x);
    if (k > 0) {
        mbShiftLeft(s.mantissa, s.mantissa, 32 * k);
        e -= 32 * i64(k);
    }
    div(r.mantissa, s.mantissa, y.mantissa);  // r may be y: its exponent was read above
    detail::normalizeWide(r, e);
    return true;
}

}  // namespace korvel
