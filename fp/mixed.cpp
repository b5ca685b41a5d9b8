// Arithmetic with an integer or a double operand: the integer becomes an fp with
// exponent 0, the double enters through its decimal text.
#include "fp/internal.h"

namespace korvel {

namespace {
fp& left(mb const& x) {
    thread_local fp xt;  // per thread: working storage reused between calls
    equateWithCare(xt.mantissa, x);
    xt.exponent = 0;
    return xt;
}
fp& right(mb const& y) {
    thread_local fp yt;  // per thread: working storage reused between calls
    equateWithCare(yt.mantissa, y);
    yt.exponent = 0;
    return yt;
}
// A double operand as an fp, kept in the form's static so its storage is reused.
fp const& leftDouble(double d) {
    thread_local fp xt;  // per thread: working storage reused between calls
    equateWithCare(xt, fp(d));
    return xt;
}
fp const& rightDouble(double d) {
    thread_local fp yt;  // per thread: working storage reused between calls
    equateWithCare(yt, fp(d));
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

void add(fp& r, double x, fp const& y) { add(r, leftDouble(x), y); }
void add(fp& r, fp const& x, double y) { add(r, x, rightDouble(y)); }
void sub(fp& r, double x, fp const& y) { sub(r, leftDouble(x), y); }
void sub(fp& r, fp const& x, double y) { sub(r, x, rightDouble(y)); }
void mul(fp& r, double x, fp const& y) { mul(r, leftDouble(x), y); }
void mul(fp& r, fp const& x, double y) { mul(r, x, rightDouble(y)); }
bool div(fp& r, double x, fp const& y) { return div(r, leftDouble(x), y); }
bool div(fp& r, fp const& x, double y) { return div(r, x, rightDouble(y)); }

bool pow(fp& r, double x, fp const& y) {
    fp xt;
    if (!equate(xt, x)) return false;  // a NaN or an infinity: r unchanged
    return pow(r, xt, y);
}

bool pow(fp& r, fp const& x, double y) {
    fp yt;
    if (!equate(yt, y)) return false;  // a NaN or an infinity: r unchanged
    return pow(r, x, yt);
}

fp pow(double x, fp const& y) {
    fp r;
    (void)pow(r, x, y);  // false leaves r = 0
    return r;
}

fp pow(fp const& x, double y) {
    fp r;
    (void)pow(r, x, y);  // false leaves r = 0
    return r;
}

}  // namespace korvel
