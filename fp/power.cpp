// Integer powers by left-to-right square and multiply at the working precision.
#include "fp/internal.h"

namespace korvel {

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
        div(t, one, t);
    }
    equate(r, t);
    return true;
}

}  // namespace korvel
