#include "mb/kernels.h"

#include <cassert>
#include <cstdlib>

namespace korvel::words {

u32* allocate(u32 n) {
    auto* p = static_cast<u32*>(std::malloc(std::size_t(n) * sizeof(u32)));
    if (p == nullptr) std::exit(1);
    return p;
}

void release(u32* p) { std::free(p); }

u32 add(u32* r, u32 const* a, u32 const* b, i32 n) {
    u64 carry = 0;
    for (i32 i = 0; i < n; ++i) {
        carry += u64(a[i]) + b[i];
        r[i] = u32(carry);
        carry >>= 32;
    }
    return u32(carry);
}

u32 addCarry(u32* r, u32 const* a, i32 n, u32 carry) {
    u64 c = carry;
    for (i32 i = 0; i < n; ++i) {
        c += a[i];
        r[i] = u32(c);
        c >>= 32;
    }
    return u32(c);
}

u32 sub(u32* r, u32 const* a, u32 const* b, i32 n) {
    u64 borrow = 0;
    for (i32 i = 0; i < n; ++i) {
        u64 const d = u64(a[i]) - b[i] - borrow;
        r[i] = u32(d);
        borrow = d >> 63;
    }
    return u32(borrow);
}

u32 subBorrow(u32* r, u32 const* a, i32 n, u32 borrow) {
    u64 b = borrow;
    for (i32 i = 0; i < n; ++i) {
        u64 const d = u64(a[i]) - b;
        r[i] = u32(d);
        b = d >> 63;
    }
    return u32(b);
}

u32 mul1(u32* r, u32 const* a, i32 n, u32 w) {
    u64 carry = 0;
    for (i32 i = 0; i < n; ++i) {
        carry += u64(a[i]) * w;
        r[i] = u32(carry);
        carry >>= 32;
    }
    return u32(carry);
}

u32 addMul1(u32* r, u32 const* a, i32 n, u32 w) {
    // r[i] + a[i]*w + carry < 2^64 always, so one accumulator suffices.
    u64 carry = 0;
    for (i32 i = 0; i < n; ++i) {
        carry += u64(a[i]) * w + r[i];
        r[i] = u32(carry);
        carry >>= 32;
    }
    return u32(carry);
}

u32 subMul1(u32* r, u32 const* a, i32 n, u32 w) {
    u64 carry = 0;
    for (i32 i = 0; i < n; ++i) {
        u64 const p = u64(a[i]) * w + carry;
        u32 const low = u32(p), before = r[i];
        r[i] = before - low;
        carry = (p >> 32) + (before < low ? 1 : 0);
    }
    return u32(carry);
}

u32 shiftLeft(u32* r, u32 const* a, i32 n, i32 bits) {
    assert(bits > 0 && bits < 32);
    u32 out = 0;
    for (i32 i = n - 1; i >= 0; --i) {  // top down, so r may sit above a
        u32 const w = a[i];
        if (i == n - 1) out = w >> (32 - bits);
        r[i] = (w << bits) | (i > 0 ? a[i - 1] >> (32 - bits) : 0);
    }
    return out;
}

u32 shiftRight(u32* r, u32 const* a, i32 n, i32 bits) {
    assert(bits > 0 && bits < 32);
    if (n == 0) return 0;
    u32 const out = a[0] << (32 - bits);
    for (i32 i = 0; i < n - 1; ++i) r[i] = (a[i] >> bits) | (a[i + 1] << (32 - bits));
    r[n - 1] = a[n - 1] >> bits;
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

i32 stripped(u32 const* a, i32 n) {
    while (n > 0 && a[n - 1] == 0) --n;
    return n;
}

}  // namespace korvel::words
