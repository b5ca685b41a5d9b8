// Long division with quotient digits estimated in double precision.
#include <cstring>

#include "mb/internal.h"

namespace korvel {

using detail::length;

namespace {

// floor((a2 a1 a0) / (b1 b0)) estimated in doubles, capped at 0xFFFFFFFF.
// The bias 0.01 exceeds the rounding error of the three double operations
// (below 2^-50 relative, so under 1e-5 for quotients below 2^33), so the
// estimate is never below the quotient of the leading words, and that is never
// below the true digit: a digit is only ever lowered, never raised.
u32 estimateDigit(u32 a2, u32 a1, u32 a0, u32 b1, u32 b0) {
    constexpr double T = 4294967296.0;  // 2^32
    double const num = (double(a2) * T + double(a1)) * T + double(a0);
    double const den = double(b1) * T + double(b0);
    double const e = num / den + 0.01;
    if (e >= T) return 0xFFFFFFFFu;
    return u32(e);
}

}  // namespace

u32 ThreeByTwo(mb& a, mb& b) {
    return estimateDigit(a.words[2], a.words[1], a.words[0], b.words[1], b.words[0]);
}

bool div(mb& q, mb const& x, mb const& y) {
    if (detail::isZeroValue(y)) return false;
    if (x.size == 0) {
        detail::makeEmptyZero(q);
        return true;
    }
    if (length(y) == 1) {
        mbShortDiv(q, x, y);
        return true;
    }
    static mb xt, yt, s, d;
    i32 const sign = detail::signOf(x) * detail::signOf(y);
    equateWithCare(xt, x);
    equateWithCare(yt, y);
    mbNormalize(xt);
    mbNormalize(yt);
    if (length(yt) == 1) {
        mbShortDiv(q, xt, yt);
        return true;
    }
    i32 const c = mbCompareAbs(xt, yt);
    if (c <= 0) {
        if (c < 0) {
            detail::makeEmptyZero(q);
        } else {
            q.size = 1;
            update(q);
            q.words[0] = 1;
            q.size = sign;
        }
        return true;
    }

    // Put the top bit of both in bit 31; when the divisor needs the larger shift,
    // both are scaled by the dividend's shift instead and the divisor keeps some
    // leading zero bits.
    i32 const n = length(xt), m = length(yt);
    i32 const lx = 32 - NumBits(xt.words[n - 1]);
    i32 const ly = 32 - NumBits(yt.words[m - 1]);
    i32 sh = lx - ly;
    i32 const yShift = sh < 0 ? lx : ly;
    if (sh < 0) sh = 0;

    d.size = n + 1;
    updateWithCare(d);
    d.words[n] = lx != 0 ? words::shiftLeft(d.words, xt.words, n, lx) : 0;
    if (lx == 0) std::memcpy(d.words, xt.words, sizeof(u32) * n);
    if (yShift != 0) words::shiftLeft(yt.words, yt.words, m, yShift);

    s.size = n + 1 - m;
    updateWithCare(s);
    u32 const* Y = yt.words;
    for (i32 i = 0; i <= n - m; ++i) {
        u32* w = d.words + (n - m - i);  // the m + 1 words of this step's window
        u32 digit = estimateDigit(w[m], w[m - 1], w[m - 2], Y[m - 1], Y[m - 2]);
        // Subtract digit * Y; while the window went negative the digit was too
        // large: add Y back and lower it. This keeps the largest digit with
        // digit * Y <= window, as walking the digit down before subtracting would.
        i64 top = i64(w[m]) - words::subMul1(w, Y, m, digit);
        while (top < 0) {
            --digit;
            top += words::add(w, w, Y, m);
        }
        w[m] = u32(top);
        s.words[n - m - i] = digit;
    }
    i32 const ns = n + 1 - m;
    if (sh > 0) words::shiftRight(s.words, s.words, ns, sh);
    detail::setLength(s, ns, sign);
    equate(q, s);
    return true;
}

bool divRem(mb& q, mb& r, mb const& x, mb const& y) {
    if (detail::isZeroValue(y)) return false;
    if (x.size == 0) {
        q.size = 0;
        r.size = 0;
        return true;
    }
    mb const xl(x), yl(y);  // q and r may be x or y
    if (length(yl) == 1) {
        u32 const rem = mbShortDiv(q, xl, yl);
        r.size = 1;
        update(r);
        r.words[0] = rem;
        r.size = rem == 0 ? 0 : detail::signOf(xl);
        return true;
    }
    div(q, xl, yl);
    mb product;
    mul(product, q, yl);
    sub(r, xl, product);
    mbNormalize(r);
    return true;
}

void myModulus(mb& r, mb const& x, mb const& n) {
    if (detail::isZeroValue(n)) return;
    if (x.size == 0) {
        r.size = 0;
        return;
    }
    static mb temp, nn;
    equateWithCare(nn, n);  // r may be n
    nn.size = length(nn);
    divRem(temp, r, x, nn);
    // The remainder has x's sign, so testing r also serves when r is x.
    if (r.size < 0) add(r, r, nn);
}

}  // namespace korvel
