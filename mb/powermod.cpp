// Modular powers: Montgomery products for an odd modulus, division otherwise.
#include "mb/modular.h"

namespace korvel {

namespace {

// r = base^(e 2^k) mod m for 0 <= base < m, e > 0, k >= 0, m > 1.
template <class Ring>
void ringPower(Ring& ring, typename Ring::Value b, mb const& e, i32 k, typename Ring::Value& r) {
    for (i32 j = 0; j < k; ++j) ring.sqr(b, b);
    detail::windowPower(ring, r, b, e);
}

void positivePower(mb& r, mb const& base, mb const& e, i32 k, mb const& m) {
    if (!isItEven(m)) {
        detail::Montgomery ring(m);
        detail::Montgomery::Value acc;
        ringPower(ring, ring.toForm(base), e, k, acc);
        ring.fromForm(r, acc);
    } else {
        detail::DivisionRing ring(m);
        ringPower(ring, base, e, k, r);
    }
}

}  // namespace

void powerMod(mb& r, mb const& x, mb const& e, i32 k, mb const& m) {
    mb const one(1);
    if (e.size < 0 || m.size <= 0 || (x.size == 0 && e.size == 0) || m == one) {
        r.size = 0;
        return;
    }
    if (e.size == 0 || x == one) {
        equate(r, one);
        return;
    }
    if (x.size == 0) {
        r.size = 0;
        return;
    }
    mb E(e);
    if (k < 0) {
        mbShiftRight(E, E, k);  // by |k|, taken as unsigned
        if (E.size == 0) {
            equate(r, one);
            return;
        }
        k = 0;
    }
    // |x|^(E 2^k) mod m; a negative x gives the negated residue for an odd power.
    bool const negative = x.size < 0 && k == 0 && !isItEven(E);
    mb base;
    myModulus(base, abs(x), m);
    mb result;
    if (base.size != 0) positivePower(result, base, E, k, m);
    if (negative) result.size = -result.size;
    equate(r, result);
}

mb powerMod(mb const& x, mb const& e, i32 k, mb const& m) {
    mb r;
    powerMod(r, x, e, k, m);
    return r;
}

}  // namespace korvel
