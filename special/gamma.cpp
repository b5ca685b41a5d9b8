// Gamma of a real argument and the factorial: an exact product for integers,
// gamma(y, c) + Gamma(y, c) for 1 < y < 2 times a product up to 20000,
// Spouge's approximation above; below 1 the recurrence, below -20000 the
// reflection formula.
#include "fp/internal.h"
#include <korvel/special.h>

namespace korvel {

namespace {

constexpr i32 spougeFrom = 20000;     // above this Spouge's approximation is cheaper than the product
constexpr i32 fixedSplit = 300;       // the split point c while the upper part is summed
constexpr i32 lowerOnlyAbove = 40;    // words from which the lower series alone is cheaper

// Gamma(y) for 1 < y < 2 at the working precision W = B + 1.
//
// Gamma(y) = gamma(y, c) + Gamma(y, c). The upper part is below c e^-c, under
// 2^(-33.2 B - 11) for c = 23B + 8, so small precisions neglect it. From 13
// words c stays 300 and the upper part, 2^-425 of the whole, needs only
// B + 1 - 13 words (2 at least); above 40 words the lower series at
// c = 23B + 8 is again cheaper than the continued fraction.
void gammaBetweenOneAndTwo(fp& r, fp const& y) {
    i32 const B = blockPrec - 1;
    i32 const full = 23 * B + 8;
    bool const withUpper = full > fixedSplit && B <= lowerOnlyAbove;
    fp c;
    equate(c, withUpper ? fixedSplit : full);
    smallIncompleteGamma(r, y, c);
    if (withUpper) {
        fp upper;
        {
            ScopedBlockPrec short_(B + 1 - 13 > 2 ? B + 1 - 13 : 2);
            largeIncompleteGamma(upper, y, c);
        }
        add(r, r, upper);
    }
}

// Gamma(x) for x < -20000 off the poles: pi / (sin(pi x) Gamma(1 - x)).
void reflected(fp& r, fp const& x) {
    i32 const B = blockPrec;
    fp f, m, P, g, one, half;
    equate(one, 1);
    power2(half, -1);
    bool underflows;
    {
        ScopedBlockPrec guard(B + 1);
        // x = m + f with m the nearest integer and |f| <= 1/2: sin(pi x) = (-1)^m sin(pi f).
        floor(m, x);
        sub(f, x, m);
        if (compare(f, -half) < 0) {
            sub(m, m, one);
            add(f, f, one);
        }
        ComputePi(P);
        mul(f, f, P);
        sin(f, f);
        if (!isItEven(m)) f.mantissa.size = -f.mantissa.size;
        sub(g, one, x);
        OverflowWatch watch;
        GammaSpouge(g, g);
        underflows = watch.overflowed();
        if (underflows) fpClearOverflow();  // the watch keeps only an earlier overflow
        mul(g, g, f);
        (void)div(g, P, g);  // g != 0: x is no pole (no integer) here
    }
    if (underflows)
        r = fp();
    else
        detail::roundInto(r, g);
}

}  // namespace

void GammaSpecial(fp& r, fp const& x) {
    fp one;
    equate(one, 1);
    if (compare(x, one) < 0) return;
    i32 const B = blockPrec;
    fp g, t;
    {
        // Every product and sum one word above B.
        ScopedBlockPrec guard(B + 1);
        i32 n;
        if (equate(n, x)) {
            equate(g, 1);  // (n - 1)!
            for (i32 i = 2; i < n; ++i) {
                equate(t, i);
                mul(g, g, t);
            }
        } else {
            // x = y + n - 1 with 1 < y < 2; Gamma(x) = Gamma(y) y (y + 1) ... (y + n - 2).
            fp y;
            floor(t, x);
            n = to_long(t);
            sub(y, x, t);
            add(y, y, one);
            gammaBetweenOneAndTwo(g, y);
            for (i32 i = 0; i + 2 <= n; ++i) {
                equate(t, i);
                add(t, t, y);
                mul(g, g, t);
            }
        }
    }
    detail::roundInto(r, g);
}

void Gamma(fp& r, fp const& x) {
    fp one, limit;
    equate(one, 1);
    if (compare(x, one) >= 0) {
        equate(limit, spougeFrom);
        if (compare(x, limit) > 0)
            GammaSpouge(r, x);
        else
            GammaSpecial(r, x);
        return;
    }
    if (isItInteger(x)) {  // the poles 0, -1, -2, ...
        r = fp();
        return;
    }
    equate(limit, -spougeFrom);
    if (compare(x, limit) < 0) {
        reflected(r, x);
        return;
    }
    // Gamma(x) = Gamma(x + n) / (x (x + 1) ... (x + n - 1)) with 1 < x + n < 3.
    i32 const B = blockPrec;
    fp g, y, product, t;
    {
        ScopedBlockPrec guard(B + 1);
        i32 const n = 2 - to_long(floor(x));
        equate(t, n);
        add(y, x, t);
        GammaSpecial(g, y);
        equate(product, x);
        for (i32 k = 1; k < n; ++k) {
            equate(t, k);
            add(t, t, x);
            mul(product, product, t);
        }
        (void)div(g, g, product);  // product != 0: x is no pole
    }
    detail::roundInto(r, g);
}

void Gamma(fp& r, double d) { Gamma(r, fp(d)); }

fp Gamma(fp const& x) { fp r; Gamma(r, x); return r; }

fp Gamma(double d) { fp r; Gamma(r, d); return r; }

void factorial(fp& r, double d) { Gamma(r, d + 1.0); }

fp factorial(double d) { fp r; factorial(r, d); return r; }

void factorial(fp& r, fp const& x) {
    fp y, one;
    equate(one, 1);
    add(y, x, one);
    Gamma(r, y);
}

fp factorial(fp const& x) { fp r; factorial(r, x); return r; }

}  // namespace korvel
