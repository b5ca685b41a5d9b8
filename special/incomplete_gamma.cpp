// The lower incomplete Gamma function by its power series and the upper one by
// its continued fraction (or as Gamma(a) - gamma(a, x) where that converges badly).
#include <initializer_list>
#include <utility>

#include "fp/internal.h"
#include <korvel/special.h>

namespace korvel {

namespace {

constexpr i32 maxFractionTerms = 100000;  // the fraction converges long before for x >= a + 1

// r = x^a e^(-x) = e^(a ln x - x) at the working precision.
void powerTimesExp(fp& r, fp const& a, fp const& x) {
    log(r, x);
    mul(r, r, a);
    sub(r, r, x);
    exp(r, r);
}

// r = Gamma(a) - other(a, x), one word above B, then rounded.
void complementOf(fp& r, fp const& a, fp const& x, void (*other)(fp&, fp const&, fp const&)) {
    fp whole, part;
    {
        ScopedBlockPrec guard(blockPrec + 1);
        Gamma(whole, a);
        other(part, a, x);
        sub(whole, whole, part);
    }
    detail::roundInto(r, whole);
}

}  // namespace

void smallIncompleteGamma(fp& r, fp const& a, fp const& x) {
    if (detail::signOf(x) <= 0 || detail::signOf(a) <= 0) {
        r = fp();
        return;
    }
    i32 const B = blockPrec;
    fp one, limit;
    equate(one, 1);
    add(limit, a, one);
    if (compare(x, limit) > 0) {
        equate(limit, 23 * i64(B) + 8);
        if (compare(x, limit) > 0) {
            // The series would need about x terms: gamma(a, x) = Gamma(a) - Gamma(a, x),
            // the upper part below e^-x x^a. (Gamma's own split point stays below
            // this limit, so the two functions never call each other in a circle.)
            complementOf(r, a, x, largeIncompleteGamma);
            return;
        }
    }
    fp s, prefactor;
    {
        // gamma(a, x) = x^a e^-x * sum over k of t_k, t_0 = 1/a,
        // t_(k+1) = t_k x / (a + k + 1). Two terms at a time with one division:
        // with D = (a + k + 1)(a + k + 2) and u = t_k / D,
        //   t_k + t_(k+1) = u (a + k + 2)(a + k + 1 + x),   t_(k+2) = u x^2,
        // where D and the numerator N = D + a x + (k + 2) x cost a short product
        // each. The terms are positive: each carries a few roundings of B + 1
        // words per pair before it.
        ScopedBlockPrec guard(B + 1);
        fp a2, ax, x2, t, u, D, N, s1;
        mul(a2, a, a);
        mul(ax, a, x);
        mul(x2, x, x);
        (void)div(t, one, a);  // a > 0 here
        for (i64 k = 0;; k += 2) {
            mul(D, a, detail::integerValue(2 * k + 3));
            add(D, D, a2);
            add(D, D, detail::integerValue((k + 1) * (k + 2)));
            mul(N, x, detail::integerValue(k + 2));
            add(N, N, ax);
            add(N, N, D);
            (void)div(u, t, D);  // D > 0
            mul(N, u, N);
            add(s1, s, N);
            if (compare(s1, s) == 0) break;
            std::swap(s, s1);
            mul(t, u, x2);
        }
    }
    {
        // exp's error grows with its argument, about x here: two guard words.
        ScopedBlockPrec guard(B + 2);
        powerTimesExp(prefactor, a, x);
        mul(s, s, prefactor);
    }
    detail::roundInto(r, s);
}

void largeIncompleteGamma(fp& r, fp const& a, fp const& x) {
    if (detail::signOf(x) <= 0) {
        r = fp();
        return;
    }
    i32 const B0 = blockPrec;
    fp one;
    equate(one, 1);
    if (detail::signOf(a) > 0) {
        fp limit;
        add(limit, a, one);
        if (compare(x, limit) < 0) {
            // The fraction crawls for small x: Gamma(a, x) = Gamma(a) - gamma(a, x),
            // which cancels little there.
            complementOf(r, a, x, smallIncompleteGamma);
            return;
        }
    }
    // Gamma(a, x) = x^a e^-x / (x + (1 - a)/(1 + 1/(x + (2 - a)/(1 + 2/(x + ...))))),
    // evaluated by the forward recurrences at twice the precision. After each
    // step the four values are scaled by the same power of two, which keeps
    // their quotient and their exponents in range.
    i32 const W = 2 * B0, M = (W + B0) / 2;
    fp a0, a1, b0, b1, s, s1, s2, na, n;
    ScopedBlockPrec working(W);
    equate(b0, 1);
    equate(a1, 1);
    equate(b1, x);
    (void)div(s, a1, b1);  // x > 0 here
    for (i32 k = 1; k <= maxFractionTerms; ++k) {
        equate(n, k);
        sub(na, n, a);
        mul(s1, na, a0);
        add(a0, a1, s1);
        mul(s1, na, b0);
        add(b0, b1, s1);
        mul(s1, n, a1);
        mul(s2, x, a0);
        add(a1, s1, s2);
        mul(s1, n, b1);
        mul(s2, x, b0);
        add(b1, s1, s2);
        i32 const scale = Lg2(b1);
        for (fp* v : {&a0, &a1, &b0, &b1})
            if (v->mantissa.size != 0) v->exponent -= scale;
        // b1, the convergent's denominator, is non-zero in practice; a zero would leave s1
        (void)div(s1, a1, b1);
        blockPrec = M;
        bool const settled = compare(s, s1) == 0;
        blockPrec = W;
        equateWithCare(s, s1);
        if (settled) break;
    }
    // exp's error grows with its argument, about x here: two guard words.
    blockPrec = B0 + 2;
    powerTimesExp(s1, a, x);
    mul(s, s, s1);
    blockPrec = B0;
    detail::roundInto(r, s);
}

}  // namespace korvel
