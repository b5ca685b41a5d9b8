// The long-division kernel: schoolbook division with 64-bit quotient digits
// over the words taken in pairs as 64-bit limbs.
#include <bit>
#include <cassert>
#include <cstring>

#include "mb/kernels.h"

namespace korvel::words {

namespace {

__extension__ typedef unsigned __int128 u128;

// r[0 .. limbs) = the n words of a, shifted left by s bits (0 <= s < 64), with
// zero words above; returns the bits shifted out of the top.
u64 packShifted(u64* r, u32 const* a, i32 n, i32 limbs, int s) {
    std::memset(r, 0, sizeof(u64) * std::size_t(limbs));
    std::memcpy(r, a, sizeof(u32) * std::size_t(n));  // little-endian: word pairs are limbs
    if (s == 0) return 0;
    u64 const out = r[limbs - 1] >> (64 - s);
    for (i32 i = limbs - 1; i > 0; --i) r[i] = (r[i] << s) | (r[i - 1] >> (64 - s));
    r[0] <<= s;
    return out;
}

// u[0 .. n] -= q * v[0 .. n); returns true when the result went negative.
bool subtractMultiple(u64* u, u64 const* v, i32 n, u64 q) {
    u64 carry = 0;
    for (i32 i = 0; i < n; ++i) {
        u128 const p = u128(v[i]) * q;
        u64 const low = u64(p) + carry;
        u64 const high = u64(p >> 64) + (low < carry ? 1 : 0);
        u64 const before = u[i];
        u[i] = before - low;
        carry = high + (before < low ? 1 : 0);
    }
    u64 const before = u[n];
    u[n] = before - carry;
    return before < carry;
}

// u[0 .. n] += v[0 .. n), the carry out of u[n] dropped.
void addBack(u64* u, u64 const* v, i32 n) {
    u64 carry = 0;
    for (i32 i = 0; i < n; ++i) {
        u128 const s = u128(u[i]) + v[i] + carry;
        u[i] = u64(s);
        carry = u64(s >> 64);
    }
    u[n] += carry;
}

}  // namespace

i32 quotientScratchLimbs(i32 an, i32 bn) { return (an + 1) / 2 + 1 + (bn + 1) / 2; }

void quotient(u32* q, u32 const* a, i32 an, u32 const* b, i32 bn, u64* scratch) {
    assert(bn >= 2 && an >= bn && b[bn - 1] != 0);
    i32 const na = (an + 1) / 2, nb = (bn + 1) / 2;
    u64* u = scratch;       // na + 1 limbs: the dividend, then the running remainder
    u64* v = scratch + na + 1;  // nb limbs: the divisor, top bit set
    std::memset(v, 0, sizeof(u64) * std::size_t(nb));
    std::memcpy(v, b, sizeof(u32) * std::size_t(bn));
    int const s = std::countl_zero(v[nb - 1]);
    packShifted(v, b, bn, nb, s);
    u[na] = packShifted(u, a, an, na, s);

    // Digit estimate (Knuth's algorithm D): the two leading limbs of the window
    // over the leading limb of the divisor, lowered while the second limb of the
    // divisor shows it too large. With the divisor's top bit set the estimate is
    // then the digit or one more, so the subtraction below adds back at most once.
    u64 const v1 = v[nb - 1], v2 = nb >= 2 ? v[nb - 2] : 0;
    i32 const qWords = an - bn + 1;
    for (i32 j = na - nb; j >= 0; --j) {
        u64* w = u + j;  // the nb + 1 limbs of this step's window
        u64 digit, rest;
        bool restFits = true;
        if (w[nb] >= v1) {  // the window's top equals v1: the digit is below 2^64
            digit = ~u64(0);
            u128 const r = u128(w[nb - 1]) + v1;
            rest = u64(r);
            restFits = (r >> 64) == 0;
        } else {
            u128 const top = (u128(w[nb]) << 64) | w[nb - 1];
            digit = u64(top / v1);
            rest = u64(top % v1);
        }
        if (nb >= 2)
            while (restFits && u128(digit) * v2 > ((u128(rest) << 64) | w[nb - 2])) {
                --digit;
                u128 const r = u128(rest) + v1;
                rest = u64(r);
                restFits = (r >> 64) == 0;
            }
        if (subtractMultiple(w, v, nb, digit)) {
            --digit;
            addBack(w, v, nb);
        }
        // Digit j covers words 2j and 2j + 1; those above the quotient's length are zero.
        if (2 * j < qWords) q[2 * j] = u32(digit);
        if (2 * j + 1 < qWords) q[2 * j + 1] = u32(digit >> 32);
        assert(2 * j + 1 < qWords || (digit >> 32) == 0);
        assert(2 * j < qWords || digit == 0);
    }
}

}  // namespace korvel::words
