// Word kernels beneath mb: raw pointer + count, no sign, no allocation.
// Unless a kernel says otherwise, r may equal an input but not overlap it partially.
#pragma once

#include <cassert>
#include <cstring>

#include <korvel/mb.h>
#include <korvel/export.h>

// Exported from the shared library for the layers above and the tests; not installed.
KORVEL_API_BEGIN
namespace korvel::words {

u32* allocate(u32 n);         // storage of exactly n words (mb/pool.cpp); exit(1) on failure
void release(u32* p);         // gives back storage from allocate

// The loops below take the words in pairs, as 64-bit limbs (least significant
// word first, so a pair is the machine's little-endian 64-bit value), with a
// 128-bit accumulator; an odd last word is taken alone. The short ones are
// defined here, so that the few words of the usual precisions meet no call.
__extension__ typedef unsigned __int128 u128;
inline u64 pair(u32 const* p) {
    u64 v;
    std::memcpy(&v, p, sizeof v);
    return v;
}
inline void setPair(u32* p, u64 v) { std::memcpy(p, &v, sizeof v); }

// r = a + b, returns the carry
inline u32 add(u32* r, u32 const* a, u32 const* b, i32 n) {
    u64 carry = 0;
    i32 i = 0;
    for (; i + 1 < n; i += 2) {
        u128 const s = u128(pair(a + i)) + pair(b + i) + carry;
        setPair(r + i, u64(s));
        carry = u64(s >> 64);
    }
    if (i < n) {
        carry += u64(a[i]) + b[i];
        r[i] = u32(carry);
        carry >>= 32;
    }
    return u32(carry);
}

// r = a + carry, returns the carry
inline u32 addCarry(u32* r, u32 const* a, i32 n, u32 carry) {
    u64 c = carry;
    i32 i = 0;
    for (; i < n && c != 0; ++i) {
        c += a[i];
        r[i] = u32(c);
        c >>= 32;
    }
    if (r != a)
        for (; i < n; ++i) r[i] = a[i];
    return u32(c);
}

// r = a - b, returns the borrow
inline u32 sub(u32* r, u32 const* a, u32 const* b, i32 n) {
    u64 borrow = 0;
    i32 i = 0;
    for (; i + 1 < n; i += 2) {
        u128 const d = u128(pair(a + i)) - pair(b + i) - borrow;
        setPair(r + i, u64(d));
        borrow = u64(d >> 127);
    }
    if (i < n) {
        u64 const d = u64(a[i]) - b[i] - borrow;
        r[i] = u32(d);
        borrow = d >> 63;
    }
    return u32(borrow);
}

// r = a - borrow, returns the borrow
inline u32 subBorrow(u32* r, u32 const* a, i32 n, u32 borrow) {
    u64 b = borrow;
    i32 i = 0;
    for (; i < n && b != 0; ++i) {
        u64 const d = u64(a[i]) - b;
        r[i] = u32(d);
        b = d >> 63;
    }
    if (r != a)
        for (; i < n; ++i) r[i] = a[i];
    return u32(b);
}

// r = a << bits (0 < bits < 32), returns the bits out; r >= a
inline u32 shiftLeft(u32* r, u32 const* a, i32 n, i32 bits) {
    assert(bits > 0 && bits < 32);
    if (n == 0) return 0;
    u32 const out = a[n - 1] >> (32 - bits);
    // Top down, so r may sit above a; each step reads its three words first.
    i32 i = n - 1;
    for (; i >= 2; i -= 2) setPair(r + i - 1, (pair(a + i - 1) << bits) | (a[i - 2] >> (32 - bits)));
    if (i == 1)
        setPair(r, pair(a) << bits);
    else if (i == 0)
        r[0] = a[0] << bits;
    return out;
}


u32 mul1(u32* r, u32 const* a, i32 n, u32 w);             // r = a * w, returns the top word
u32 addMul1(u32* r, u32 const* a, i32 n, u32 w);          // r += a * w, returns the carry word
u64 addMulPair(u32* r, u32 const* a, i32 n, u64 w);  // r += a * w for a 64-bit w, returns the two carry words
u32 subMul1(u32* r, u32 const* a, i32 n, u32 w);          // r -= a * w, returns the word owed above r
u32 shiftRight(u32* r, u32 const* a, i32 n, i32 bits);    // r = a >> bits (0 < bits < 32), returns the bits out; r <= a
u32 divRem1(u32* q, u32 const* a, i32 n, u32 d);          // q = a / d, returns a mod d
i32 compare(u32 const* a, u32 const* b, i32 n);           // sign(a - b)
i32 significantWords(u32 const* a, i32 n);                        // n less the high zero words

// q[0 .. an - bn + 1) = floor(a / b) for an >= bn >= 2 and a non-zero top word
// of b (mb/divide.cpp); scratch holds quotientScratchLimbs(an, bn) limbs. Both
// operands are read into scratch before q is written, so q may overlap them.
void quotient(u32* q, u32 const* a, i32 an, u32 const* b, i32 bn, u64* scratch);
i32 quotientScratchLimbs(i32 an, i32 bn);

// r[0 .. an+bn) = a * b; r must not overlap a or b.
void multiply(u32* r, u32 const* a, i32 an, u32 const* b, i32 bn);

}  // namespace korvel::words
KORVEL_API_END
