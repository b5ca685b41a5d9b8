#include "mb/kernels.h"

#include <bit>
#include <cassert>
#include <cstring>

namespace korvel::words {

// The loops take the words in pairs, as the header describes.
static_assert(std::endian::native == std::endian::little, "pairs of words are read as 64-bit limbs");

u32 mul1(u32* r, u32 const* a, i32 n, u32 w) {
    u64 carry = 0;
    i32 i = 0;
    for (; i + 1 < n; i += 2) {
        u128 const p = u128(pair(a + i)) * w + carry;
        setPair(r + i, u64(p));
        carry = u64(p >> 64);
    }
    if (i < n) {
        carry += u64(a[i]) * w;
        r[i] = u32(carry);
        carry >>= 32;
    }
    return u32(carry);
}

u32 addMul1(u32* r, u32 const* a, i32 n, u32 w) {
    // a * w + r + carry < 2^96 for a pair, and < 2^64 for a single word.
    u64 carry = 0;
    i32 i = 0;
    for (; i + 1 < n; i += 2) {
        u128 const p = u128(pair(a + i)) * w + pair(r + i) + carry;
        setPair(r + i, u64(p));
        carry = u64(p >> 64);
    }
    if (i < n) {
        carry += u64(a[i]) * w + r[i];
        r[i] = u32(carry);
        carry >>= 32;
    }
    return u32(carry);
}

u64 addMulPair(u32* r, u32 const* a, i32 n, u64 w) {
    // a * w + r + carry < 2^128 for a pair of words, and < 2^96 for a single one.
    u64 carry = 0;
    i32 i = 0;
    auto step = [w, &carry](u32* out, u32 const* in) {
        u128 const p = u128(pair(in)) * w;
        u64 low = u64(p), high = u64(p >> 64);
        u64 const before = pair(out);
        low += before;
        high += low < before ? 1 : 0;
        low += carry;
        high += low < carry ? 1 : 0;
        setPair(out, low);
        carry = high;
    };
    for (; i + 3 < n; i += 4) {  // two pairs a step
        step(r + i, a + i);
        step(r + i + 2, a + i + 2);
    }
    if (i + 1 < n) {
        step(r + i, a + i);
        i += 2;
    }
    if (i < n) {
        u128 const p = u128(a[i]) * w + r[i] + carry;
        r[i] = u32(p);
        carry = u64(p >> 32);
    }
    return carry;
}

u32 subMul1(u32* r, u32 const* a, i32 n, u32 w) {
    u64 carry = 0;
    i32 i = 0;
    for (; i + 1 < n; i += 2) {
        u128 const p = u128(pair(a + i)) * w + carry;
        u64 const low = u64(p), before = pair(r + i);
        setPair(r + i, before - low);
        carry = u64(p >> 64) + (before < low ? 1 : 0);
    }
    if (i < n) {
        u64 const p = u64(a[i]) * w + carry;
        u32 const low = u32(p), before = r[i];
        r[i] = before - low;
        carry = (p >> 32) + (before < low ? 1 : 0);
    }
    return u32(carry);
}

u32 shiftRight(u32* r, u32 const* a, i32 n, i32 bits) {
    assert(bits > 0 && bits < 32);
    if (n == 0) return 0;
    u32 const out = a[0] << (32 - bits);
    // Bottom up, so r may sit below a.
    i32 i = 0;
    for (; i + 2 < n; i += 2) setPair(r + i, (pair(a + i) >> bits) | (u64(a[i + 2]) << (64 - bits)));
    if (i + 2 == n)
        setPair(r + i, pair(a + i) >> bits);
    else
        r[i] = a[i] >> bits;
    return out;
}

u32 divRem1(u32* q, u32 const* a, i32 n, u32 d) {
    assert(d != 0);
    u64 rem = 0;
    for (i32 i = n - 1; i >= 0; --i) {
        u64 const v = (rem << 32) | a[i];
        q[i] = u32(v / d);
        rem = v % d;
    }
    return u32(rem);
}

i32 compare(u32 const* a, u32 const* b, i32 n) {
    for (i32 i = n - 1; i >= 0; --i)
        if (a[i] != b[i]) return a[i] > b[i] ? 1 : -1;
    return 0;
}

i32 significantWords(u32 const* a, i32 n) {
    while (n > 0 && a[n - 1] == 0) --n;
    return n;
}

}  // namespace korvel::words
