// Modulus, square root, conjugate and square.
#include "complex/internal.h"

namespace korvel {

namespace {

fp modulusOfModerateParts(fpComplex const& z) {
    fp q, p, s;
    mul(q, z.im, z.im);
    mul(p, z.re, z.re);
    add(s, p, q);
    return sqrt(s);
}

}  // namespace

fp abs(fpComplex const& z) {
    // Squares of parts beyond 2^(+-2^29) would leave the exponent's range: such a
    // value is scaled by an exact power of two first and the modulus scaled back,
    // so the result is right whenever it can be held. Other values take the
    // plain formula.
    i64 const top = detail::topLog2(z);
    if (detail::moderate(top)) return modulusOfModerateParts(z);
    i32 const shift = detail::shiftToOne(top);
    fpComplex scaled(z);
    detail::scale(scaled, shift);  // a part far below the other underflows to zero
    fp r = modulusOfModerateParts(scaled);
    mul(r, r, power2(-shift));  // saturates with the overflow flag beyond the range
    return r;
}

void sqrt(fpComplex& r, fpComplex const& z) {
    fpComplex const copy(z.re, z.im);  // r may be z
    if (!copy) {
        equate(r, 0.0, 0.0);
        return;
    }
    // With m = |z| and c = re(z)/m, the larger part of the root is
    // sqrt(m(1 + |c|)/2), free of cancellation; the smaller is |im(z)| divided by
    // twice the larger, not sqrt(m(1 - |c|)/2), which would lose half the digits
    // when |im(z)| is small beside |re(z)|.
    fp const m = abs(copy);
    fp const c = copy.re / m;
    fp const larger = sqrt((m * (1.0 + abs(c))) / 2.0);
    fp const smaller = abs(copy.im) / (2.0 * larger);
    bool const rightHalf = copy.re >= 0.0;
    r.re = rightHalf ? larger : smaller;
    r.im = rightHalf ? smaller : larger;
    if (copy.im.mantissa.size < 0) r.im = -r.im;
    // The roots of real numbers are exactly real or exactly imaginary.
    if (!copy.im) {
        if (copy.re >= 0.0) r.im = fp();
        if (copy.re <= 0.0) r.re = fp();
    }
}

fpComplex sqrt(fpComplex const& z) {
    fpComplex r;
    sqrt(r, z);
    return r;
}

fpComplex conj(fpComplex const& z) { return fpComplex(z.re, -z.im); }

void sqr(fpComplex& r, fpComplex const& z) { mul(r, z, z); }

fpComplex sqr(fpComplex const& z) {
    fpComplex r;
    mul(r, z, z);
    return r;
}

}  // namespace korvel
