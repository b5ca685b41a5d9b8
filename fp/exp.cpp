// Exponential: e^floor(x) from the cached e, times the power series of the
// fraction. No guard precision is added: each term and partial sum is rounded
// to B words.
#include "fp/internal.h"

namespace korvel {

void exp(fp& r, fp const& x) {
    // Beyond 2^31 in magnitude the result is far outside the exponent's range:
    // it saturates with the overflow flag, or underflows to zero. Tiny arguments
    // give exactly 1, the correctly rounded value.
    i32 const lg = Lg2(x);
    if (x.mantissa.size != 0 && lg < -1481763716) {
        equate(r, 1);
        return;
    }
    if (lg >= 31) {
        if (x.mantissa.size < 0) {
            detail::makeZero(r);
        } else {
            detail::saturate(r, 1);
        }
        return;
    }
    static fp f, g, p, e, s;
    floor(f, x);
    sub(g, x, f);
    i32 const n = to_long(f);
    ComputeE(e);
    power(p, e, n);
    fp one;
    init(one, 1);
    detail::makeZero(s);
    detail::sumSeries(s, one, 1, [](fp& term, i32 j) {
        mul(term, term, g);
        div(term, term, detail::integerValue(j));
    });
    mul(r, s, p);
}

fp exp(fp const& x) {
    fp r;
    exp(r, x);
    return r;
}

}  // namespace korvel
