// Representation: precision globals, copying, rounding to the working precision.
#include <bit>
#include <cstring>
#include <vector>

#include "fp/internal.h"
#include "mb/kernels.h"

namespace korvel {

using detail::length;
using detail::setSize;

thread_local i32 blockPrec = 5;  // per thread: see fp.h
thread_local i32 decPrec = 16;

void setBlockPrec(i32 v) { blockPrec = v < 1 ? 1 : (v > maxBlockPrec ? maxBlockPrec : v); }
i32 getBlockPrec() { return blockPrec; }
void setDecPrec(i32 v) { decPrec = v == 0 ? 16 : (v < 0 ? -v : v); }
i32 getDecPrec() { return decPrec; }

namespace {
// Per thread, so that searches on two threads do not see each other's overflows.
thread_local bool overflowFlag = false;
}

bool fpOverflowed() { return overflowFlag; }
void fpClearOverflow() { overflowFlag = false; }
void fpRaiseOverflow() { overflowFlag = true; }

OverflowWatch::~OverflowWatch() {
    if (earlier_) overflowFlag = true;
}

fp& fp::operator=(fp const& y) {
    if (&y == this) return *this;
    mantissa = y.mantissa;
    exponent = y.mantissa.size == 0 ? 0 : y.exponent;
    return *this;
}

fp& fp::operator=(mb const& y) {
    equate(*this, y);
    return *this;
}

i32 init(fp& x) {
    init(x.mantissa);
    x.exponent = 0;
    return 1;
}

void equate(fp& r, fp const& x) {
    equate(r.mantissa, x.mantissa);
    r.exponent = x.exponent;
}

void equateWithCare(fp& r, fp const& x) {
    equateWithCare(r.mantissa, x.mantissa);
    r.exponent = x.exponent;
}

void equate(fp& r, mb const& x) {
    equate(r.mantissa, x);
    r.exponent = 0;
}

void equate(mb& r, fp const& x) {
    // Both shifts move the magnitude and keep the sign: -2.5 gives -2.
    if (x.exponent >= 0)
        mbShiftLeft(r, x.mantissa, x.exponent);
    else
        mbShiftRight(r, x.mantissa, x.exponent);
}

// fitExponent for an e outside the 32-bit range, brought into it: a mantissa with
// room below B words absorbs an excess exactly; beyond that the value saturates
// (and raises the overflow flag) or, below the range, is truncated toward zero.
void detail::fitExponentOutOfRange(fp& x, i64 e) {
    mb& m = x.mantissa;
    i64 const bits = NumBits(m);
    if (e < detail::minExponent) {
        i64 const d = detail::minExponent - e;
        if (d >= bits) {
            detail::makeZero(x);
            return;
        }
        mbShiftRight(m, m, i32(d));
        x.exponent = i32(detail::minExponent);
        return;
    }
    i32 const words = blockPrec > length(x) ? blockPrec : length(x);
    i64 const d = e - detail::maxExponent;
    if (bits + d <= 32 * i64(words)) {
        mbShiftLeft(m, m, i32(d));
        x.exponent = i32(detail::maxExponent);
        return;
    }
    detail::saturate(x, m.size < 0 ? -1 : 1);
}

void detail::saturate(fp& x, i32 sign) {
    mb& m = x.mantissa;
    m.size = blockPrec > 0 ? blockPrec : 1;
    update(m);
    for (i32 i = 0; i < m.size; ++i) m.words[i] = 0xFFFFFFFFu;
    m.size *= sign;
    x.exponent = i32(detail::maxExponent);
    overflowFlag = true;
}

u32* detail::growScratch(i32 slot, i32 words) {
    // Per thread, since the library may run on several threads; the buffers
    // only grow, so steady state allocates nothing.
    thread_local std::vector<u32> buffers[2];
    std::vector<u32>& b = buffers[slot];
    if (b.size() < std::size_t(words)) b.resize(std::size_t(words));
    scratchSeen.words[slot] = b.data();
    scratchSeen.size[slot] = i32(b.size());
    return b.data();
}

void detail::normalizeWide(fp& x, i64 e) {
    mb& m = x.mantissa;
    mbNormalize(m);  // drops high zero words; zero gives back its storage
    if (m.size == 0) {
        x.exponent = 0;
        return;
    }
    i32 const sign = m.size < 0 ? -1 : 1;
    i32 const n = m.size * sign;
    if (n <= blockPrec) {
        detail::fitExponent(x, e);
        return;
    }
    u32* const t = detail::scratch(0, n);
    std::memcpy(t, m.words, sizeof(u32) * std::size_t(n));
    detail::roundInto(x, t, n, sign, e);
}

namespace {

// roundInto for n > B significant words. The words are read left-aligned (bit
// 31 of the top word set) as they are needed, not shifted in place: word i of
// that view is `aligned(i)`, i >= 1. FixedB > 0 is B known when compiling, for
// the usual precisions, so that the loops over the kept words unroll.
template <i32 FixedB>
void roundAbove(fp& x, u32 const* t, i32 n, i32 runtimeB, i32 sign, i64 e) {
    i32 const B = FixedB > 0 ? FixedB : runtimeB;
    mb& m = x.mantissa;
    i32 const shift = std::countl_zero(t[n - 1]);
    auto aligned = [t, shift](i32 i) { return u32((u64(t[i]) << 32 | t[i - 1]) >> (32 - shift)); };
    e -= shift;
    i32 drop = n - B;
    // Exact when every bit under the B kept words is zero; the low zero words
    // are dropped then, and only they.
    bool exact = (t[drop - 1] << shift) == 0;
    for (i32 i = 0; exact && i < drop - 1; ++i) exact = t[i] == 0;
    if (exact) {
        while (aligned(drop) == 0) ++drop;
        setSize(m, n - drop);
        for (i32 i = drop; i < n; ++i) m.words[i - drop] = aligned(i);
    } else {
        // The first dropped bit, when set, rounds the magnitude up.
        u32 carry = (t[drop - 1] << shift) >> 31;
        setSize(m, B);
        u32* const out = m.words;  // held, as the stores could alias it
        // Two words at a time: words i and i + 1 of the aligned view from
        // t[i - 1 .. i + 1]; the pair's bits shifted out at the top belong to
        // the next pair, and a shift of 32 - shift < 64 brings in those below.
        i32 k = 0;
#pragma GCC unroll 4
        for (; k + 1 < B; k += 2) {
            u32 const* const p = t + drop + k;
            u64 const v = (words::pair(p) << shift | u64(p[-1]) >> (32 - shift)) + carry;
            carry &= v == 0;
            words::setPair(out + k, v);
        }
        if (k < B) {
            u32 const w = aligned(drop + k) + carry;
            carry &= w == 0;
            out[k] = w;
        }
        if (carry != 0) {  // every kept word was all ones: the magnitude is 2^(32n)
            setSize(m, 1);
            m.words[0] = 1;
            m.size = sign;
            detail::fitExponent(x, e + 32 * i64(n));
            return;
        }
    }
    m.size *= sign;
    detail::fitExponent(x, e + 32 * i64(drop));
}

}  // namespace

void detail::roundInto(fp& x, u32* t, i32 n, i32 sign, i64 e) {
    while (n > 0 && t[n - 1] == 0) --n;
    if (n == 0) {
        detail::makeZero(x);
        return;
    }
    i32 const B = blockPrec;
    if (n <= B) {  // kept as it is
        mb& m = x.mantissa;
        setSize(m, n);
        for (i32 i = 0; i < n; ++i) m.words[i] = t[i];
        m.size *= sign;
        detail::fitExponent(x, e);
        return;
    }
    switch (B) {
        case 1: roundAbove<1>(x, t, n, B, sign, e); break;
        case 2: roundAbove<2>(x, t, n, B, sign, e); break;
        case 3: roundAbove<3>(x, t, n, B, sign, e); break;
        case 4: roundAbove<4>(x, t, n, B, sign, e); break;
        case 5: roundAbove<5>(x, t, n, B, sign, e); break;
        case 6: roundAbove<6>(x, t, n, B, sign, e); break;
        case 7: roundAbove<7>(x, t, n, B, sign, e); break;
        case 8: roundAbove<8>(x, t, n, B, sign, e); break;
        default: roundAbove<0>(x, t, n, B, sign, e); break;
    }
}

void fpNormalize(fp& x) { detail::normalizeWide(x, x.exponent); }

fp abs(fp const& x) {
    fp r(x);
    r.mantissa.size = length(r);
    return r;
}

void sqr(fp& r, fp const& x) { mul(r, x, x); }

fp sqr(fp const& x) {
    fp r;
    mul(r, x, x);
    return r;
}

i32 Lg2(fp const& x) {
    if (x.mantissa.size == 0) return 0;
    i32 const n = length(x);
    i64 const top = i64(x.exponent) + 32 * i64(n) - 1 - (32 - NumBits(x.mantissa.words[n - 1]));
    if (top > detail::maxExponent) return i32(detail::maxExponent);
    if (top < detail::minExponent) return i32(detail::minExponent);
    return i32(top);
}

}  // namespace korvel
