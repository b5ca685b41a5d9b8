// Addition and subtraction inside a window of B words.
//
// The operand with the larger exponent is kept whole and widened with zero words
// up to B words; of the other only the bits inside that window survive, cut
// rather than rounded; the exact sum of what is left is rounded once. The window
// always reaches at least 32B bits below the kept operand's top bit: a short top
// word would otherwise let the cut fall inside the B words of the result.
#include "fp/internal.h"

namespace korvel {

using detail::length;

namespace {

void shiftMantissa(fp& x, i64 bits) {  // x.mantissa <<= bits (>> for negative), exponent compensates
    if (bits == 0) return;
    if (bits > 0)
        mbShiftLeft(x.mantissa, x.mantissa, i32(bits));
    else if (-bits >= 32 * i64(length(x)))
        x.mantissa.size = 0;  // every bit is cut
    else
        mbShiftRight(x.mantissa, x.mantissa, i32(-bits));
    x.exponent = i32(x.exponent - bits);
}

// Brings xt and yt to one exponent as described above.
void align(fp& xt, fp& yt) {
    if (xt.exponent == yt.exponent) return;
    fp& L = xt.exponent > yt.exponent ? xt : yt;
    fp& S = xt.exponent > yt.exponent ? yt : xt;
    i64 const difference = i64(L.exponent) - S.exponent;
    shiftMantissa(L, difference % 32);
    i64 const w = difference / 32;
    if (w == 0) return;
    i64 const room = blockPrec - length(L);
    i64 widen = room <= 0 ? 0 : (w <= room ? w : room);
    if (widen < w && NumBits(L.mantissa) + 32 * widen < 32 * i64(blockPrec)) ++widen;
    shiftMantissa(L, 32 * widen);
    i64 const cut = w - widen;
    shiftMantissa(S, -32 * cut);
    if (S.mantissa.size == 0) S.exponent = L.exponent;
}

template <class SignedOp>
void addOrSub(fp& r, fp const& x, fp const& y, SignedOp op) {
    static fp xt, yt;
    equateWithCare(xt, x);
    equateWithCare(yt, y);
    align(xt, yt);
    i32 const e = xt.exponent;
    op(r.mantissa, xt.mantissa, yt.mantissa);
    detail::normalizeWide(r, e);
}

}  // namespace

void add(fp& r, fp const& x, fp const& y) {
    if (x.mantissa.size == 0) {
        equate(r, y);
        return;
    }
    if (y.mantissa.size == 0) {
        equate(r, x);
        return;
    }
    addOrSub(r, x, y, [](mb& z, mb const& a, mb const& b) { add(z, a, b); });
}

void sub(fp& r, fp const& x, fp const& y) {
    if (x.mantissa.size == 0) {
        equate(r, y);
        r.mantissa.size = -r.mantissa.size;
        return;
    }
    if (y.mantissa.size == 0) {
        equate(r, x);
        return;
    }
    addOrSub(r, x, y, [](mb& z, mb const& a, mb const& b) { sub(z, a, b); });
}

}  // namespace korvel
