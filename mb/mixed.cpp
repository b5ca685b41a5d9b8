// Arithmetic with a double operand: the double's integer part, then the mb form.
#include "mb/internal.h"

namespace korvel {

namespace detail {
mb& machineOperandStore() {
    // Kept from call to call so its storage is reused; per thread, so that
    // callers on different threads never write the same value.
    thread_local mb t;
    return t;
}
}  // namespace detail

namespace {
// The integer part of d in a per-thread working value (reused storage, never
// shared between threads); `finite` is false for an infinity or NaN, which count as 0.
mb const& doubleOperand(double d, bool& finite) {
    thread_local mb t;
    finite = equate(t, d);
    if (!finite) t = mb();
    return t;
}
mb const& doubleOperand(double d) {
    bool finite;
    return doubleOperand(d, finite);
}
}  // namespace

void add(mb& r, double x, mb const& y) { add(r, doubleOperand(x), y); }
void add(mb& r, mb const& x, double y) { add(r, x, doubleOperand(y)); }
void sub(mb& r, double x, mb const& y) { sub(r, doubleOperand(x), y); }
void sub(mb& r, mb const& x, double y) { sub(r, x, doubleOperand(y)); }
void mul(mb& r, double x, mb const& y) { mul(r, doubleOperand(x), y); }
void mul(mb& r, mb const& x, double y) { mul(r, x, doubleOperand(y)); }

bool div(mb& q, double x, mb const& y) {
    bool finite;
    mb const& t = doubleOperand(x, finite);
    return finite && div(q, t, y);
}

bool div(mb& q, mb const& x, double y) { return div(q, x, doubleOperand(y)); }

bool divRem(mb& q, mb& r, double x, mb const& y) {
    bool finite;
    mb const& t = doubleOperand(x, finite);
    return finite && divRem(q, r, t, y);
}

bool divRem(mb& q, mb& r, mb const& x, double y) { return divRem(q, r, x, doubleOperand(y)); }

void myModulus(mb& r, mb const& x, double d) {
    if (!(d > 0) || x.size == 0) {  // a NaN modulus included
        detail::makeEmptyZero(r);
        return;
    }
    // For 0 < d < 1 and d = +inf the modulus counts as 0 and r is left unchanged.
    mb const& n = doubleOperand(d);
    if (n.size != 0) myModulus(r, x, n);
}

mb operator+(double d, mb const& y) { mb r; add(r, d, y); return r; }
mb operator-(double d, mb const& y) { mb r; sub(r, d, y); return r; }
mb operator*(double d, mb const& y) { mb r; mul(r, d, y); return r; }
mb operator/(double d, mb const& y) { mb r; (void)div(r, d, y); return r; }  // 0 for y = 0

}  // namespace korvel
