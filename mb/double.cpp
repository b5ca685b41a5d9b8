// Exchanges with double: the exact integer part of a double, and the double
// nearest to an integer.
#include <bit>
#include <cmath>
#include <cstring>

#include "mb/internal.h"

namespace korvel {

using detail::length;

namespace {

// 64 bits of |x| starting at bit `pos` (pos >= 0); bits beyond the top read as 0.
u64 bitsFrom(mb const& x, i64 pos) {
    i64 const n = length(x);
    i64 const w = pos / 32;
    i32 const b = i32(pos % 32);
    u64 window[3] = {0, 0, 0};  // words w, w + 1, w + 2
    for (i64 i = 0; i < 3; ++i)
        if (w + i < n) window[i] = x.words[w + i];
    u64 const low = window[0] | (window[1] << 32);
    if (b == 0) return low;
    return (low >> b) | (window[2] << (64 - b));
}

// True when a bit of |x| below bit `pos` is set.
bool anyBelow(mb const& x, i64 pos) {
    i64 const n = length(x);
    i64 const w = pos / 32;
    i32 const b = i32(pos % 32);
    for (i64 i = 0; i < w && i < n; ++i)
        if (x.words[i] != 0) return true;
    return w < n && b != 0 && (x.words[w] & ((1u << b) - 1)) != 0;
}

}  // namespace

bool equate(mb& x, double d) {
    u64 const bitsOfD = std::bit_cast<u64>(d);
    i32 const biased = i32((bitsOfD >> 52) & 0x7FF);
    if (biased == 0x7FF) return false;  // an infinity or NaN: x is left as it was
    // |d| = m * 2^shift with m an integer of at most 53 bits.
    u64 m = bitsOfD & ((u64(1) << 52) - 1);
    i32 shift = biased - 1075;
    if (biased != 0)
        m |= u64(1) << 52;
    else
        shift = -1074;
    if (shift < 0) {
        m = shift <= -53 ? 0 : m >> -shift;  // the fraction is cut off
        shift = 0;
    }
    if (m == 0) {
        detail::makeEmptyZero(x);
        return true;
    }
    // m * 2^shift spans at most three words from word shift / 32.
    i32 const low = shift / 32, b = shift % 32;
    u32 const parts[3] = {u32(m << b), u32((m << b) >> 32), b == 0 ? 0u : u32(m >> (64 - b))};
    i32 used = 3;
    while (parts[used - 1] == 0) --used;
    x.size = low + used;
    update(x);  // storage of exact size
    std::memset(x.words, 0, sizeof(u32) * low);
    std::memcpy(x.words + low, parts, sizeof(u32) * used);
    if (d < 0) x.size = -x.size;
    return true;
}

bool mbToDouble(double& out, mb const& x, i64 e) {
    i64 const n = NumBits(x);
    if (n == 0) {
        out = 0.0;
        return true;
    }
    // Keep the bits of |x| from `drop` up: 53 of them, fewer where the result
    // falls below the normal range and its last bit is worth 2^-1074.
    i64 drop = n - 53;
    if (e + drop < -1074) drop = -1074 - e;
    double magnitude;
    if (drop <= 0) {
        magnitude = double(bitsFrom(x, 0));  // exact: at most 53 bits
    } else {
        u64 q = drop >= n ? 0 : bitsFrom(x, drop);
        bool const half = drop - 1 < n && ((bitsFrom(x, drop - 1) & 1) != 0);
        if (half && ((q & 1) != 0 || anyBelow(x, drop - 1))) ++q;  // to nearest, ties to even
        magnitude = double(q);  // at most 2^53: exact
    }
    i64 const scale = (drop > 0 ? drop : 0) + e;
    if (magnitude == 0.0)
        out = 0.0;
    else if (scale > 1100)
        out = HUGE_VAL;
    else
        out = std::ldexp(magnitude, int(scale));  // exact unless it overflows
    if (x.size < 0) out = -out;
    return !std::isinf(out);
}

bool equate(double& out, mb const& x) { return mbToDouble(out, x, 0); }

mb::mb(double d) { (void)equate(*this, d); }  // stays 0 for an infinity or NaN

mb& mb::operator=(double d) {
    if (!equate(*this, d)) detail::makeEmptyZero(*this);  // an infinity or NaN gives 0
    return *this;
}

}  // namespace korvel
