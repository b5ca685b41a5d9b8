// Multiplication, squaring, multiplication by a word, integer powers.
#include "mb/internal.h"

namespace korvel {

using detail::length;

void mul(mb& r, mb const& x, mb const& y) {
    if (x.size == 0 || y.size == 0) {
        detail::makeEmptyZero(r);
        return;
    }
    i32 const sign = detail::signOf(x) * detail::signOf(y);
    i32 const nx = length(x), ny = length(y);
    // The product is built in sz, so r may be x or y; the operands are only read.
    thread_local mb sz;  // per thread: working storage reused between calls
    sz.size = nx + ny;
    updateWithCare(sz);
    words::multiply(sz.words, x.words, nx, y.words, ny);
    detail::setLength(sz, nx + ny, sign);
    equate(r, sz);
}

void sqr(mb& r, mb const& x) { mul(r, x, x); }

mb sqr(mb const& x) {
    mb r;
    mul(r, x, x);
    return r;
}

void mulByScalarAbs(mb& r, mb const& x, u32 w) {
    if (w == 0 || x.size == 0) {
        detail::makeEmptyZero(r);
        return;
    }
    i32 const nx = length(x);
    thread_local mb zt;  // per thread: working storage reused between calls
    zt.size = nx + 1;
    updateWithCare(zt);
    zt.words[nx] = words::mul1(zt.words, x.words, nx, w);
    detail::setLength(zt, nx + 1, detail::signOf(x));
    equate(r, zt);
}

bool power(mb& r, mb const& x, i32 n) {
    mb const& one = detail::one();
    if (compare(x, one) == 0) {
        equate(r, one);
        return true;
    }
    if (n < 0) {
        // The integer part of 1 / x^|n|: zero for |x| >= 2, +-1 for x = -1.
        bool const minusOne = x.size == -1 && x.words[0] == 1;
        if (minusOne) {
            equate(r, x);
            if ((n & 1) == 0) r.size = 1;
            return true;
        }
        bool const ok = x.size != 0;
        detail::makeEmptyZero(r);
        return ok;
    }
    if (n == 0) {
        bool const ok = x.size != 0;  // read before r, which may be x, is written
        equate(r, one);
        return ok;
    }
    // Left-to-right square and multiply over the bits of n.
    mb t;
    init(t, 1);
    i32 const k = NumBits(n);
    u32 bits = u32(n) << (32 - k);
    for (i32 i = 0; i < k; ++i) {
        mul(t, t, t);
        if (bits & 0x80000000u) mul(t, t, x);
        bits <<= 1;
    }
    equate(r, t);
    return true;
}

}  // namespace korvel
