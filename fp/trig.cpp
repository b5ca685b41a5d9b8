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
    init(one, 1);
    for (;;) {
        ScopedBlockPrec working(w);
        ComputePi(P);
        div(q, a, P);
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

// s = sin y by its Taylor series at the working precision; |y| <= pi/2 or tiny.
void sineSeries(fp& s, fp const& y) {
    thread_local fp y2;  // read by the term recurrence below
    mul(y2, y, y);
    detail::makeZero(s);
    detail::sumSeries(s, y, 1, [](fp& term, i32 j) {
        // term_j = -term_{j-1} y^2 / ((2j)(2j + 1))
        mul(term, term, y2);
        div(term, term, detail::integerValue(2 * i64(j) * (2 * i64(j) + 1)));
        term.mantissa.size = -term.mantissa.size;
    });
}

// r = sin x, or cos x with `cosine`, rounded to B; false (r unwritten) when
// |x| >= 2^1001.
bool sineOrCosine(fp& r, fp const& x, bool cosine) {
    if (x.mantissa.size == 0) {
        if (cosine)
            init(r, 1);
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
    init(three, 3);
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
    if (negate) s.mantissa.size = -s.mantissa.size;
    equate(r, s);
    fpNormalize(r);
    return true;
}

}  // namespace

void sin(fp& r, fp const& x) { sineOrCosine(r, x, false); }

fp sin(fp const& x) {
    fp r;
    sin(r, x);
    return r;
}

void cos(fp& r, fp const& x) { sineOrCosine(r, x, true); }

fp cos(fp const& x) {
    fp r;
    cos(r, x);
    return r;
}

void tan(fp& r, fp const& x) {
    // Sine and cosine each within about half an ulp of B + 1 words; their
    // quotient rounded to B.
    fp s, c;
    {
        ScopedBlockPrec guard(blockPrec + 1);
        if (!sineOrCosine(c, x, true) || c.mantissa.size == 0) return;
        sineOrCosine(s, x, false);
        div(s, s, c);
    }
    equate(r, s);
    fpNormalize(r);
}

fp tan(fp const& x) {
    fp r;
    tan(r, x);
    return r;
}

}  // namespace korvel
