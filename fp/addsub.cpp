// Addition and subtraction inside a window of B words.
//
// The operand with the larger exponent is kept whole and widened with zero words
// up to B words; of the other only the bits inside that window survive, cut
// rather than rounded; the exact sum of what is left is rounded once. The window
// always reaches at least 32B bits below the kept operand's top bit: a short top
// word would otherwise let the cut fall inside the B words of the result.
//
// Error budget: the cut loses less than 2^(Lg2(L) - 32B + 1) (L the kept operand),
// the rounding half an ulp of the result (the bound FpReference checks exactly).
#include <cstring>

#include "fp/internal.h"
#include "mb/kernels.h"

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
void addOrSubCopies(fp& r, fp const& x, fp const& y, SignedOp op) {
    thread_local fp xt, yt;  // per thread: working storage reused between calls
    equateWithCare(xt, x);
    equateWithCare(yt, y);
    align(xt, yt);
    i32 const e = xt.exponent;
    op(r.mantissa, xt.mantissa, yt.mantissa);
    detail::normalizeWide(r, e);
}

// Words of the sum formed on the stack (the kept operand widened to B words
// and shifted, plus one): enough for operands and B of up to 8 words.
constexpr i32 stackSumWords = 20;

// The window of `align` for r = x + sy * y, worked out from the lengths: L the
// kept operand, S the other, their signs with sy applied.
struct Window {
    fp const* L;
    fp const* S;
    i32 sL, sS, nL;
    i32 bits;   // the bit shift of L
    i32 nA;     // L's words after the bit shift
    i32 nW;     // the zero words L is widened with
    i32 nB;     // S's words that survive the cut, its top ones
    i64 e;      // the exponent of the sum's lowest bit
};

inline Window window(fp const& x, fp const& y, i32 sy, i32 B) {
    Window v;
    bool const xKept = x.exponent >= y.exponent;
    fp const& L = xKept ? x : y;
    fp const& S = xKept ? y : x;
    v.L = &L;
    v.S = &S;
    v.sL = (L.mantissa.size < 0) != (!xKept && sy < 0) ? -1 : 1;
    v.sS = (S.mantissa.size < 0) != (xKept && sy < 0) ? -1 : 1;
    v.nL = length(L);
    i32 const nS = length(S);
    u64 const difference = u64(i64(L.exponent) - S.exponent);  // >= 0: shifts, not divisions
    v.bits = i32(difference & 31);
    i64 const w = i64(difference >> 5);
    i32 const bitsL = detail::bitLength(L) + v.bits;
    v.nA = v.bits == 0 ? v.nL : (bitsL + 31) >> 5;
    i64 widen = 0;
    if (w != 0) {
        i64 const room = B - v.nA;
        widen = room <= 0 ? 0 : (w <= room ? w : room);
        if (widen < w && bitsL + 32 * widen < 32 * i64(B)) ++widen;
    }
    i64 const cut = w - widen;
    v.nB = cut >= nS ? 0 : i32(nS - cut);
    v.nW = i32(widen);
    v.e = i64(L.exponent) - v.bits - 32 * widen;
    return v;
}

// r = x + sy * y for non-zero x, y in one pass: the window of `align` worked out
// from the lengths, the kept operand shifted into a buffer (on the stack when
// short), the other's surviving words added or subtracted there, then rounded
// into r. The integer before rounding, and so the result, is the one
// addOrSubCopies forms.
void addSigned(fp& r, fp const& x, fp const& y, i32 sy) {
    Window const win = window(x, y, sy, blockPrec);
    fp const& L = *win.L;
    fp const& S = *win.S;
    i32 const sL = win.sL, sS = win.sS, nL = win.nL, nA = win.nA, nB = win.nB, nW = win.nW, bits = win.bits;
    u32 const* Bw = S.mantissa.words + (length(S) - nB);
    i32 const nT = (nW + nA > nB ? nW + nA : nB) + 1;

    // t = |L| 2^(bits + 32 nW), then +- the surviving words of S.
    u32 stackWords[stackSumWords];
    u32* const t = nT <= stackSumWords ? stackWords : detail::scratch(1, nT);
    u32 const* const Lw = L.mantissa.words;
    for (i32 i = 0; i < nW; ++i) t[i] = 0;
    if (bits == 0) {
        for (i32 i = 0; i < nL; ++i) t[nW + i] = Lw[i];
    } else {
        u32 const out = words::shiftLeft(t + nW, Lw, nL, bits);
        if (nA > nL) t[nW + nL] = out;
    }
    i32 const nTop = nW + nA;
    t[nTop] = 0;  // nT > nTop; most often the only word above, not worth a call to memset
    for (i32 i = nTop + 1; i < nT; ++i) t[i] = 0;
    i32 sign = sL;
    if (sL == sS) {
        i32 const common = nTop < nB ? nTop : nB;
        u32 carry = words::add(t, t, Bw, common);
        if (nB > common) carry = words::addCarry(t + common, Bw + common, nB - common, carry);
        else carry = words::addCarry(t + common, t + common, nTop - common, carry);
        t[nT - 1] += carry;
    } else {
        i32 const c = nTop != nB ? (nTop > nB ? 1 : -1) : words::compare(t, Bw, nB);
        if (c == 0) {
            detail::makeZero(r);
            return;
        }
        if (c > 0) {  // t - B
            u32 const borrow = words::sub(t, t, Bw, nB);
            words::subBorrow(t + nB, t + nB, nTop - nB, borrow);
        } else {  // B - t
            u32 const borrow = words::sub(t, Bw, t, nTop);
            words::subBorrow(t + nTop, Bw + nTop, nB - nTop, borrow);
            sign = sS;
        }
    }
    detail::roundInto(r, t, nT, sign, win.e);
}

// Mantissas with a zero top word (never produced by the arithmetic) take the
// path through aligned copies.
bool normal(fp const& x) { return x.mantissa.words[length(x) - 1] != 0; }

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
    if (normal(x) && normal(y))
        addSigned(r, x, y, 1);
    else
        addOrSubCopies(r, x, y, [](mb& z, mb const& a, mb const& b) { add(z, a, b); });
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
    if (normal(x) && normal(y))
        addSigned(r, x, y, -1);
    else
        addOrSubCopies(r, x, y, [](mb& z, mb const& a, mb const& b) { sub(z, a, b); });
}

}  // namespace korvel
