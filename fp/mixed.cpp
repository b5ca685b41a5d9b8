// Arithmetic with an integer operand: the integer becomes an fp with exponent 0.
#include "fp/internal.h"

namespace korvel {

namespace {
fp& left(mb const& x) {
    static fp xt;
    equateWithCare(xt.mantissa, x);
    xt.exponent = 0;
    return xt;
}
fp& right(mb const& y) {
    static fp yt;
    equateWithCare(yt.mantissa, y);
    yt.exponent = 0;
    return yt;
}
}  // namespace

void add(fp& r, mb const& x, fp const& y) { add(r, left(x), y); }
void add(fp& r, fp const& x, mb const& y) { add(r, x, right(y)); }
void sub(fp& r, mb const& x, fp const& y) { sub(r, left(x), y); }
void sub(fp& r, fp const& x, mb const& y) { sub(r, x, right(y)); }
void mul(fp& r, mb const& x, fp const& y) { mul(r, left(x), y); }
void mul(fp& r, fp const& x, mb const& y) { mul(r, x, right(y)); }
bool div(fp& r, mb const& x, fp const& y) { return div(r, left(x), y); }
bool div(fp& r, fp const& x, mb const& y) { return div(r, x, right(y)); }

}  // namespace korvel
