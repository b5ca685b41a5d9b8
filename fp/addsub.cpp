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
#include <bit>
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

// Kept out of line here and below, so that add and sub stay short on the way
// to addShort.
template <class SignedOp>
[[gnu::noinline]] void addOrSubCopies(fp& r, fp const& x, fp const& y, SignedOp op) {
    thread_local fp xt, yt;  // per thread: working storage reused between calls
    equateWithCare(xt, x);
    equateWithCare(yt, y);
    align(xt, yt);
    i32 const e = xt.exponent;
    op(r.mantissa, xt.mantissa, yt.mantissa);
    detail::normalizeWide(r, e);
}

// Words of the sum formed on the stack (the kept operand widened to B words
// and shifted, plus one): enough for operands and B of up to 64 words.
constexpr i32 stackSumWords = 72;

// The window of `align` for r = x + sy * y, worked out from the lengths: L the
// kept operand, S the other, their signs with sy applied.
struct Window {
    fp const* L;
    fp const* S;
    i32 sL, sS, nL;
    i32 bits;   // the bit shift of L
    i32 nA;     // L's words after the bit shift (0 when not wanted and not needed)
    i32 nW;     // the zero words L is widened with
    i32 nB;     // S's words that survive the cut, its top ones
    i64 e;      // the exponent of the sum's lowest bit
};

// keptLength: whether nA is wanted even when it does not decide the widening.
template <bool keptLength>
inline Window window(fp const& x, fp const& y, i32 sy, i32 B) {
    Window v;
    bool const xKept = x.exponent >= y.exponent;
    fp const& L = xKept ? x : y;
    fp const& S = xKept ? y : x;
    v.L = &L;
    v.S = &S;
    bool const xNegative = x.mantissa.size < 0;
    bool const yNegative = (y.mantissa.size < 0) != (sy < 0);
    v.sL = (xKept ? xNegative : yNegative) ? -1 : 1;
    v.sS = (xKept ? yNegative : xNegative) ? -1 : 1;
    v.nL = length(L);
    i32 const nS = length(S);
    u64 const difference = u64(i64(L.exponent) - S.exponent);  // >= 0: shifts, not divisions
    v.bits = i32(difference & 31);
    i64 const w = i64(difference >> 5);
    i64 widen = 0;
    v.nA = 0;
    if (keptLength || w != 0) {
        i32 const bitsL = detail::bitLength(L) + v.bits;
        v.nA = v.bits == 0 ? v.nL : (bitsL + 31) >> 5;
        if (w != 0) {
            i64 const room = B - v.nA;
            widen = room <= 0 ? 0 : (w <= room ? w : room);
            if (widen < w && bitsL + 32 * widen < 32 * i64(B)) ++widen;
        }
    }
    i64 const cut = w - widen;
    v.nB = cut >= nS ? 0 : i32(nS - cut);
    v.nW = i32(widen);
    v.e = i64(L.exponent) - v.bits - 32 * widen;
    return v;
}

// addSigned for B <= 8 and operands of at most B words, with B known when
// compiling: the sum then fits in B + 2 words, held as K 64-bit limbs, and
// rounding works on the limbs, as roundInto would on the words.
template <i32 B>
void addShort(fp& r, fp const& x, fp const& y, i32 sy) {
    using detail::setSize;
    using words::pair;
    using words::setPair;
    constexpr i32 K = (B + 3) / 2;   // limbs of the sum
    constexpr i32 KB = (B + 1) / 2;  // limbs of B words
    Window const win = window<false>(x, y, sy, B);
    fp const& L = *win.L;
    fp const& S = *win.S;
    i32 const sL = win.sL, sS = win.sS, nL = win.nL, nB = win.nB, bits = win.bits;
    i64 const e = win.e;

    // Words p[0 .. n) as limbs, n <= B.
    auto load = [](u64* v, u32 const* p, i32 n) {
        for (i32 j = 0; j < KB; ++j) v[j] = 2 * j + 1 < n ? pair(p + 2 * j) : (2 * j < n ? p[2 * j] : 0);
        for (i32 j = KB; j < K; ++j) v[j] = 0;
    };
    u64 a[K], b[K], t[K];
    load(a, L.mantissa.words, nL);
    load(b, S.mantissa.words + (length(S) - nB), nB);

    // t = |L| 2^sh; x >> 1 >> (63 - q) is x >> (64 - q), and 0 for q = 0.
    if (win.nW == 0) {  // the usual case: a shift inside the limbs
        for (i32 i = K - 1; i > 0; --i) t[i] = a[i] << bits | a[i - 1] >> 1 >> (63 - bits);
        t[0] = a[0] << bits;
    } else {
        i32 const sh = bits + 32 * win.nW;
        i32 const shWhole = sh >> 6, shBits = sh & 63;
        for (i32 i = K - 1; i >= 0; --i) {
            u64 v = 0;
            if (i >= shWhole) {
                v = a[i - shWhole] << shBits;
                if (i > shWhole) v |= a[i - shWhole - 1] >> 1 >> (63 - shBits);
            }
            t[i] = v;
        }
    }

    // Carries and borrows found by comparing: shorter code than 128-bit arithmetic.
    i32 sign = sL;
    if (sL == sS) {
        u64 carry = 0;
        for (i32 i = 0; i < K; ++i) {
            u64 const s = t[i] + b[i];
            u64 const v = s + carry;
            carry = u64(s < b[i]) | u64(v < s);
            t[i] = v;
        }
    } else {
        u64 borrow = 0, any = 0;
        for (i32 i = 0; i < K; ++i) {
            u64 const d = t[i] - b[i];
            u64 const v = d - borrow;
            borrow = u64(t[i] < b[i]) | u64(d < borrow);
            t[i] = v;
            any |= v;
        }
        if (any == 0) {
            detail::makeZero(r);
            return;
        }
        if (borrow != 0) {  // |S| was the larger: negate
            u64 c = 1;
            for (i32 i = 0; i < K; ++i) {
                t[i] = ~t[i] + c;
                c &= u64(t[i] == 0);
            }
            sign = sS;
        }
    }

    i32 top = K - 1;
    while (t[top] == 0) --top;
    i32 const nbits = 64 * top + i32(std::bit_width(t[top]));
    i32 const n = (nbits + 31) >> 5;
    mb& m = r.mantissa;
    if (n <= B) {  // kept as it is
        setSize(m, n);
        for (i32 i = 0; i < B / 2; ++i)
            if (2 * i + 1 < n) setPair(m.words + 2 * i, t[i]);
        if (n & 1) m.words[n - 1] = u32(t[n >> 1]);
        m.size *= sign;
        detail::fitExponent(r, e);
        return;
    }

    // The top 32B bits, from bit s = nbits - 32B on; the sum is below
    // 2^(32B + 33), so 0 < s <= 33 and t[KB] is the highest limb read.
    i32 const s = nbits - 32 * B;
    u64 kept[KB];
    for (i32 i = 0; i < KB; ++i) kept[i] = t[i] >> (s - 1) >> 1 | t[i + 1] << (64 - s);
    // (for odd B the top limb's high half is above the top bit, so zero)
    u64 const below = t[0] << (64 - s);
    if (below == 0) {  // exact: low zero words dropped
        i32 z = 0;
        while (u32(kept[z >> 1] >> (32 * (z & 1))) == 0) ++z;
        setSize(m, B - z);
        for (i32 j = z; j < B; ++j) m.words[j - z] = u32(kept[j >> 1] >> (32 * (j & 1)));
        m.size *= sign;
        detail::fitExponent(r, e + s + 32 * i64(z));
        return;
    }
    // The first dropped bit, when set, rounds the magnitude up.
    u64 carry = t[0] >> (s - 1) & 1;
    for (i32 i = 0; i < KB; ++i) {
        kept[i] += carry;
        carry &= kept[i] == 0;
    }
    if constexpr (B & 1) carry = kept[KB - 1] >> 32;
    if (carry != 0) {  // every kept bit was one: the magnitude is 2^(32B) 2^s
        setSize(m, 1);
        m.words[0] = 1;
        m.size = sign;
        detail::fitExponent(r, e + nbits);
        return;
    }
    setSize(m, B);
    for (i32 i = 0; i < B / 2; ++i) setPair(m.words + 2 * i, kept[i]);
    if constexpr (B & 1) m.words[B - 1] = u32(kept[KB - 1]);
    m.size *= sign;
    detail::fitExponent(r, e + s);
}

// How sumInPlace combines the kept operand, shifted, with the other's words.
enum class SumOp { add, keptMinusOther, otherMinusKept };

// t[0 .. nA] = |L| 2^bits + Bw, |L| 2^bits - Bw or Bw - |L| 2^bits, in one pass
// that shifts L's words as it reads them, for the usual window: L not widened
// (nW = 0) and the other's surviving words Bw[0 .. nB) no longer than L's
// (nB <= nL). nA is L's length after the shift; a difference must not be
// negative. Word i of the shifted L is Lw[i] << bits with the top bits of
// Lw[i - 1]; the shift by 32 - bits of a 64-bit word makes bits = 0 no case.
template <SumOp op>
void sumInPlace(u32* t, u32 const* Lw, i32 nL, i32 nA, i32 bits, u32 const* Bw, i32 nB) {
    using words::pair;
    using words::setPair;
    i32 const down = 32 - bits;
    u64 carry = 0;  // or borrow
    // One or two words: a carry (borrow) out of 64 bits is found by comparing,
    // which compiles to shorter code than 128-bit arithmetic.
    auto combine = [&carry](u64 l, u64 b) {
        if constexpr (op == SumOp::add) {
            u64 const s = l + b;
            u64 const v = s + carry;
            carry = u64(s < l) | u64(v < s);
            return v;
        } else {
            u64 const minuend = op == SumOp::keptMinusOther ? l : b;
            u64 const subtrahend = op == SumOp::keptMinusOther ? b : l;
            u64 const d = minuend - subtrahend;
            u64 const v = d - carry;
            carry = u64(minuend < subtrahend) | u64(d < carry);
            return v;
        }
    };
    auto word = [&combine, &carry, t](i32 i, u32 l, u32 b) {
        u64 const v = combine(l, b);
        t[i] = u32(v);
        carry = (v >> 32) & 1;  // the bits above 32 hold the carry, or all ones for a borrow
    };
    // Word i of the shifted L, and the pair from word i on (i >= 1).
    auto shiftedWord = [=](i32 i) { return u32(u64(Lw[i]) << bits | u64(Lw[i - 1]) >> down); };
    auto shiftedPair = [=](i32 i) { return pair(Lw + i) << bits | u64(Lw[i - 1]) >> down; };
    word(0, Lw[0] << bits, nB > 0 ? Bw[0] : 0);
    i32 i = 1;
    for (; i + 2 <= nB; i += 2) setPair(t + i, combine(shiftedPair(i), pair(Bw + i)));
    if (i < nB) word(i, shiftedWord(i), Bw[i]), ++i;
    for (; i + 2 <= nL; i += 2) setPair(t + i, combine(shiftedPair(i), 0));
    if (i < nL) word(i, shiftedWord(i), 0), ++i;
    if (nA > nL) word(nL, u32(u64(Lw[nL - 1]) >> down), 0);
    t[nA] = u32(carry);  // a carry out of an addition; zero after a subtraction
}

// sign(|L| 2^bits - Bw) for nA = nB = nL, from the top word down.
i32 compareShifted(u32 const* Lw, i32 n, i32 bits, u32 const* Bw) {
    i32 const down = 32 - bits;
    for (i32 i = n - 1; i >= 0; --i) {
        u32 const l = i > 0 ? u32(u64(Lw[i]) << bits | u64(Lw[i - 1]) >> down) : Lw[0] << bits;
        if (l != Bw[i]) return l > Bw[i] ? 1 : -1;
    }
    return 0;
}

// r = x + sy * y for non-zero x, y: the window of `align` worked out from the
// lengths, the sum formed in a buffer (on the stack when short), then rounded
// into r. In the usual window one pass shifts the kept operand and adds or
// subtracts the other's surviving words; otherwise the kept operand is shifted
// into the buffer first. The integer before rounding, and so the result, is the
// one addOrSubCopies forms.
[[gnu::noinline]] void addSigned(fp& r, fp const& x, fp const& y, i32 sy) {
    Window const win = window<true>(x, y, sy, blockPrec);
    fp const& L = *win.L;
    fp const& S = *win.S;
    i32 const sL = win.sL, sS = win.sS, nL = win.nL, nA = win.nA, nB = win.nB, nW = win.nW, bits = win.bits;
    u32 const* Bw = S.mantissa.words + (length(S) - nB);
    i32 const nT = (nW + nA > nB ? nW + nA : nB) + 1;
    u32 stackWords[stackSumWords];
    u32* const t = nT <= stackSumWords ? stackWords : detail::scratch(1, nT);
    u32 const* const Lw = L.mantissa.words;

    if (nW == 0 && nB <= nL) {  // the usual window: one pass forms the sum
        if (sL == sS) {
            sumInPlace<SumOp::add>(t, Lw, nL, nA, bits, Bw, nB);
            detail::roundInto(r, t, nA + 1, sL, win.e);
            return;
        }
        i32 const c = nA != nB ? 1 : compareShifted(Lw, nB, bits, Bw);
        if (c == 0) {
            detail::makeZero(r);
            return;
        }
        if (c > 0)
            sumInPlace<SumOp::keptMinusOther>(t, Lw, nL, nA, bits, Bw, nB);
        else
            sumInPlace<SumOp::otherMinusKept>(t, Lw, nL, nA, bits, Bw, nB);
        detail::roundInto(r, t, nA, c > 0 ? sL : sS, win.e);
        return;
    }

    // t = |L| 2^(bits + 32 nW), then +- the surviving words of S.
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

// addSigned, or addShort when B and the lengths allow.
inline void addNormal(fp& r, fp const& x, fp const& y, i32 sy) {
    i32 const B = blockPrec;
    if (B <= 8 && length(x) <= B && length(y) <= B) {
        switch (B) {
            case 1: return addShort<1>(r, x, y, sy);
            case 2: return addShort<2>(r, x, y, sy);
            case 3: return addShort<3>(r, x, y, sy);
            case 4: return addShort<4>(r, x, y, sy);
            case 5: return addShort<5>(r, x, y, sy);
            case 6: return addShort<6>(r, x, y, sy);
            case 7: return addShort<7>(r, x, y, sy);
            case 8: return addShort<8>(r, x, y, sy);
            default: break;
        }
    }
    addSigned(r, x, y, sy);
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
    if (normal(x) && normal(y))
        addNormal(r, x, y, 1);
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
        addNormal(r, x, y, -1);
    else
        addOrSubCopies(r, x, y, [](mb& z, mb const& a, mb const& b) { sub(z, a, b); });
}

}  // namespace korvel
