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

__extension__ typedef unsigned __int128 u128;

inline u64 pairAt(u32 const* p) {  // words p[0], p[1] as one 64-bit value, little-endian
    u64 v;
    std::memcpy(&v, p, sizeof v);
    return v;
}
inline void setPair(u32* p, u64 v) { std::memcpy(p, &v, sizeof v); }

// The word loops of addSigned: on the stack, for a few words, written out here
// two words at a time where the compiler sees them; the kernels otherwise.
template <bool Small>
struct WordLoops {
    static u32 shiftLeft(u32* r, u32 const* a, i32 n, i32 bits) {
        if constexpr (!Small) {
            return words::shiftLeft(r, a, n, bits);
        } else {
            u64 out = 0;
            i32 i = 0;
            for (; i + 1 < n; i += 2) {
                u64 const v = pairAt(a + i);
                setPair(r + i, v << bits | out);
                out = v >> (64 - bits);
            }
            if (i < n) {
                r[i] = a[i] << bits | u32(out);
                out = a[i] >> (32 - bits);
            }
            return u32(out);
        }
    }
    // r[0 .. n) += b[0 .. nb) for nb <= n; the carry out of r[n - 1] is returned.
    static u32 addInto(u32* r, i32 n, u32 const* b, i32 nb) {
        if constexpr (!Small) {
            u32 const carry = words::add(r, r, b, nb);
            return words::addCarry(r + nb, r + nb, n - nb, carry);
        } else {
            u64 c = 0;
            i32 i = 0;
            for (; i + 1 < nb; i += 2) {
                u128 const sum = u128(pairAt(r + i)) + pairAt(b + i) + c;
                setPair(r + i, u64(sum));
                c = u64(sum >> 64);
            }
            for (; i < nb; ++i) {
                c += u64(r[i]) + b[i];
                r[i] = u32(c);
                c >>= 32;
            }
            for (; i < n && c != 0; ++i) {
                c += r[i];
                r[i] = u32(c);
                c >>= 32;
            }
            return u32(c);
        }
    }
    // r[0 .. n) = a[0 .. n) - b[0 .. nb) for nb <= n and a >= b; r may be a or b.
    static void subtract(u32* r, u32 const* a, i32 n, u32 const* b, i32 nb) {
        if constexpr (!Small) {
            u32 const borrow = words::sub(r, a, b, nb);
            words::subBorrow(r + nb, a + nb, n - nb, borrow);
        } else {
            u64 borrow = 0;
            i32 i = 0;
            for (; i + 1 < nb; i += 2) {
                u128 const d = u128(pairAt(a + i)) - pairAt(b + i) - borrow;
                setPair(r + i, u64(d));
                borrow = u64(d >> 127);
            }
            for (; i < n; ++i) {
                u64 const d = u64(a[i]) - (i < nb ? b[i] : 0) - borrow;
                r[i] = u32(d);
                borrow = d >> 63;
            }
        }
    }
    static i32 compare(u32 const* a, u32 const* b, i32 n) {
        if constexpr (!Small) {
            return words::compare(a, b, n);
        } else {
            for (i32 i = n - 1; i >= 0; --i)
                if (a[i] != b[i]) return a[i] > b[i] ? 1 : -1;
            return 0;
        }
    }
};

// t = |L| 2^(bits + 32 nW) in nT words, then +- the nB words of S, rounded into r.
template <bool Small>
void combine(fp& r, u32* t, u32 const* Lw, i32 nL, i32 bits, i32 nA, i32 nW, u32 const* Bw, i32 nB, i32 nT, i32 sL,
             i32 sS, i64 e) {
    using Loops = WordLoops<Small>;
    for (i32 i = 0; i < nW; ++i) t[i] = 0;
    if (bits == 0) {
        for (i32 i = 0; i < nL; ++i) t[nW + i] = Lw[i];
    } else {
        u32 const out = Loops::shiftLeft(t + nW, Lw, nL, bits);
        if (nA > nL) t[nW + nL] = out;
    }
    i32 const nTop = nW + nA;
    t[nTop] = 0;  // nT > nTop; most often the only word above, not worth a call to memset
    for (i32 i = nTop + 1; i < nT; ++i) t[i] = 0;
    i32 sign = sL;
    if (sL == sS) {
        if (nB > nTop) {  // the other reaches higher: t = B + t
            Loops::addInto(t, nT, Bw, nB);
        } else {
            t[nT - 1] += Loops::addInto(t, nT - 1, Bw, nB);
        }
    } else {
        i32 const c = nTop != nB ? (nTop > nB ? 1 : -1) : Loops::compare(t, Bw, nB);
        if (c == 0) {
            detail::makeZero(r);
            return;
        }
        if (c > 0) {  // t - B
            Loops::subtract(t, t, nTop, Bw, nB);
        } else {  // B - t
            Loops::subtract(t, Bw, nB, t, nTop);
            sign = sS;
        }
    }
    detail::roundInto(r, t, nT, sign, e);
}

// Words of the sum formed on the stack (the kept operand widened to B words
// and shifted, plus one): enough for operands and B of up to 8 words.
constexpr i32 stackSumWords = 20;

// r = x + sy * y for non-zero x, y in one pass: the window of `align` worked out
// from the lengths, the kept operand shifted into scratch, the other's surviving
// words added or subtracted there, then rounded into r. The integer before
// rounding, and so the result, is the one addOrSubCopies forms.
void addSigned(fp& r, fp const& x, fp const& y, i32 sy) {
    i32 const B = blockPrec;
    bool const xKept = x.exponent >= y.exponent;
    fp const& L = xKept ? x : y;
    fp const& S = xKept ? y : x;
    i32 const sL = (L.mantissa.size < 0) != (!xKept && sy < 0) ? -1 : 1;
    i32 const sS = (S.mantissa.size < 0) != (xKept && sy < 0) ? -1 : 1;
    i32 const nL = length(L), nS = length(S);
    u64 const difference = u64(i64(L.exponent) - S.exponent);  // >= 0: shifts, not divisions
    i32 const bits = i32(difference & 31);
    i64 const w = i64(difference >> 5);
    i32 const bitsL = detail::bitLength(L) + bits;
    i32 const nA = bits == 0 ? nL : (bitsL + 31) >> 5;  // the kept operand's words after the bit shift
    i64 widen = 0;
    if (w != 0) {
        i64 const room = B - nA;
        widen = room <= 0 ? 0 : (w <= room ? w : room);
        if (widen < w && bitsL + 32 * widen < 32 * i64(B)) ++widen;
    }
    i64 const cut = w - widen;
    i32 const nB = cut >= nS ? 0 : i32(nS - cut);  // the other's words that survive the cut
    u32 const* Bw = S.mantissa.words + (nS - nB);
    i32 const nW = i32(widen);
    i32 const nT = (nW + nA > nB ? nW + nA : nB) + 1;
    i64 const e = i64(L.exponent) - bits - 32 * widen;
    if (nT <= stackSumWords) {
        u32 t[stackSumWords];
        combine<true>(r, t, L.mantissa.words, nL, bits, nA, nW, Bw, nB, nT, sL, sS, e);
    } else {
        combine<false>(r, detail::scratch(1, nT), L.mantissa.words, nL, bits, nA, nW, Bw, nB, nT, sL, sS, e);
    }
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
