// Long division: signs, storage and the short cases around the word kernel.
#include <vector>

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
    thread_local mb xt, yt, s, d;  // per thread: working storage reused between calls
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

    i32 const n = length(xt), m = length(yt);
    // Scratch limbs for the kernel, kept per thread between calls so that the
    // division allocates nothing in steady state.
    thread_local std::vector<u64> scratch;
    std::size_t const limbs = std::size_t(words::quotientScratchLimbs(n, m));
    if (scratch.size() < limbs) scratch.resize(limbs);
    s.size = n + 1 - m;
    updateWithCare(s);
    words::quotient(s.words, xt.words, n, yt.words, m, scratch.data());
    detail::setLength(s, n + 1 - m, sign);
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
    (void)div(q, xl, yl);  // y != 0: checked above
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
    thread_local mb temp, nn;  // per thread: working storage reused between calls
    equateWithCare(nn, n);  // r may be n
    nn.size = length(nn);
    (void)divRem(temp, r, x, nn);  // nn != 0: checked above
    // The remainder has x's sign, so testing r also serves when r is x.
    if (r.size < 0) add(r, r, nn);
}

}  // namespace korvel
