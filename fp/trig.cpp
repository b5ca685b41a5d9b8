// Sine, cosine and tangent: |x| reduced by pi at a precision that grows until
// the fraction keeps B + 1 words, the Taylor series of the sine on the reduced
// angle one word above B, then the symmetries and one rounding to B.
#include "fp/internal.h"

namespace korvel {

namespace {

constexpr i32 largestLg2 = 1000;  // sin, cos, tan of |x| >= 2^1001 are refused

i32 ceilDiv32(i32 bits) { return bits >= 0 ? (bits + 31) / 32 : -((-bits) / 32); }

// For a > 0: |x|/pi = n + f (or n + 1/2 + f when quarter is set) with f in
// [-1/2, 1/2]; y = pi f at B + 1 words, and whether n is odd.
//
// q = a/pi at w words is within 2^(Lg2 q - 32w + 1) of the true quotient; after
// the cancellation in q - n (and - 1/2) the fraction keeps Lg2 f - Lg2 q + 32w - 1
// bits, and w is raised until that is B + 1 words and two bits.
void reduceByPi(fp& y, bool& nOdd, fp const& a, bool quarter) {
    i32 const B = blockPrec;
    i32 const lg = Lg2(a);
    i32 w = B + 2 + (lg > 0 ? lg / 32 : 0);  // the integer part fits with B + 1 words to spare
    fp P, q, n, f, half, one;
    power2(half, -1);
    equate(one, 1);
    for (;;) {
        ScopedBlockPrec working(w);
        ComputePi(P);
        (void)div(q, a, P);  // pi != 0
        floor(n, q);  // exact: q has fewer than 32w - 32 integer bits
        sub(f, q, n);
        if (quarter) {
            sub(f, f, half);
        } else if (compare(f, half) > 0) {
            add(n, n, one);
            sub(f, f, one);
        }
        if (f.mantissa.size == 0) {
            ++w;
            continue;
        }
        i32 const need = B + 1 + ceilDiv32(Lg2(q) - Lg2(f) + 2);
        if (w >= need) break;
        w = need;
    }
    nOdd = !isItEven(n);
    ScopedBlockPrec guard(B + 1);
    ComputePi(P);
    mul(y, P, f);
}

}  // namespace

void detail::oddTaylorSeries(fp& s, fp const& y, bool hyperbolic) {
    fp y2;
    mul(y2, y, y);
    if (!hyperbolic) negate(y2);
    makeZero(s);
    // term_j = term_(j-1) (-+y^2) / ((2j)(2j + 1))
    sumSeries(s, y, 1, [&y2](fp& term, i32 j) {
        mul(term, term, y2);
        (void)div(term, term, integerValue(2 * i64(j) * (2 * i64(j) + 1)));  // non-zero divisor
    });
}

namespace {

// Halving steps make the reduced angle about 2^-sqrt(bits)/2: the series then
// needs about sqrt(bits) terms, and as many doublings follow.
i32 halvingTarget(i32 words) {
    i32 r = 1;
    while (4 * r * r <= 32 * words) ++r;
    return r / 2 > 2 ? r / 2 : 2;
}

// s = sin y at the working precision, |y| <= pi/2 or tiny.
//
// With a = y / 2^h small, v = 1 - cos a comes from its series; h doublings
// v <- 2v(2 - v) give 1 - cos y, and sin y = sqrt(v (2 - v)). v keeps its
// relative precision throughout (nothing cancels), each step adds one rounding,
// and the truncated square root one unit: some h + 2 units of the working
// precision, one word above B.
void sineSeries(fp& s, fp const& y) {
    fp a2;
    i32 const h = Lg2(y) + 1 + halvingTarget(blockPrec);
    if (h <= 0) {
        detail::oddTaylorSeries(s, y, false);
        return;
    }
    fp a = abs(y), v, t, two;
    a.exponent -= h;
    mul(a2, a, a);
    fp first = a2;
    first.exponent -= 1;
    detail::makeZero(v);
    detail::sumSeries(v, first, 2, [&a2](fp& term, i32 j) {
        // 1 - cos a: term_j = -term_{j-1} a^2 / ((2j - 1)(2j))
        mul(term, term, a2);
        (void)div(term, term, detail::integerValue((2 * i64(j) - 1) * (2 * i64(j))));  // non-zero divisor
        term.mantissa.size = -term.mantissa.size;
    });
    equate(two, 2);
    for (i32 i = 0; i < h; ++i) {
        sub(t, two, v);
        mul(v, v, t);
        v.exponent += 1;
    }
    sub(t, two, v);
    mul(v, v, t);
    sqrt(s, v);
    if (y.mantissa.size < 0) detail::negate(s);
}

// r = sin x, or cos x with `cosine`, rounded to B; false (r unwritten) when
// |x| >= 2^1001.
bool sineOrCosine(fp& r, fp const& x, bool cosine) {
    if (detail::signOf(x) == 0) {
        if (cosine)
            equate(r, 1);
        else
            detail::makeZero(r);
        return true;
    }
    if (Lg2(x) > largestLg2) return false;
    i32 const B = blockPrec;
    fp a = abs(x), y, s;
    bool negate;
    fp a2, three;
    mul(a2, a, a);
    equate(three, 3);
    if (!cosine && compare(a2, three) < 0) {
        equate(y, a);  // already within pi/2 of zero
        negate = false;
    } else {
        bool nOdd;
        reduceByPi(y, nOdd, a, cosine);
        // sin(pi(n + f)) = (-1)^n sin(pi f); cos(pi(n + 1/2 + f)) = (-1)^(n+1) sin(pi f)
        negate = cosine ? !nOdd : nOdd;
    }
    {
        ScopedBlockPrec guard(B + 1);
        sineSeries(s, y);
    }
    if (!cosine && x.mantissa.size < 0) negate = !negate;
    if (negate) detail::negate(s);
    detail::roundInto(r, s);
    return true;
}

}  // namespace

void sin(fp& r, fp const& x) { sineOrCosine(r, x, false); }

fp sin(fp const& x) { fp r; sin(r, x); return r; }

void cos(fp& r, fp const& x) { sineOrCosine(r, x, true); }

fp cos(fp const& x) { fp r; cos(r, x); return r; }

void tan(fp& r, fp const& x) {
    // Sine and cosine each within about half an ulp of B + 1 words; their
    // quotient rounded to B.
    fp s, c;
    {
        ScopedBlockPrec guard(blockPrec + 1);
        if (!sineOrCosine(c, x, true) || c.mantissa.size == 0) return;
        sineOrCosine(s, x, false);
        (void)div(s, s, c);  // c != 0: checked above
    }
    detail::roundInto(r, s);
}

fp tan(fp const& x) { fp r; tan(r, x); return r; }

}  // namespace korvel
