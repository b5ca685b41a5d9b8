// Special functions of fp arguments at the working precision B: the Gamma
// function, the incomplete Gamma functions and the factorial.
//
// Gamma combines three methods: an exact product for integers, the sum of the
// lower and upper incomplete Gamma functions (times a product) up to 20000,
// and Spouge's approximation above; arguments below 1 are shifted upward by
// Gamma(x + 1) = x Gamma(x), and those below -20000 are reflected.
// Poles give 0; results beyond the exponent's range saturate with the overflow
// flag (fpOverflowed) or underflow to 0. The routines keep no shared state.
#pragma once

#include <korvel/complex.h>
#include <korvel/fp.h>
#include <korvel/export.h>

KORVEL_API_BEGIN
namespace korvel {

void Gamma(fp& r, fp const& x);        // r = Gamma(x); 0 at the poles x = 0, -1, -2, ...
void Gamma(fp& r, double d);           // d through its decimal text, then as above
fp Gamma(fp const& x);
fp Gamma(double d);
void GammaSpecial(fp& r, fp const& x);  // x >= 1 by the incomplete Gamma functions; x < 1 leaves r
void GammaSpouge(fp& r, fp const& x);   // Spouge's approximation, for large x
fp GammaSpouge(fp const& x);
fp GammaSum(fp const& z, i32 a);        // the bracketed sum of Spouge's formula for parameter a

void smallIncompleteGamma(fp& r, fp const& a, fp const& x);  // lower gamma(a, x); 0 for a <= 0 or x <= 0
void largeIncompleteGamma(fp& r, fp const& a, fp const& x);  // upper Gamma(a, x), a > 0; 0 for x <= 0

void factorial(fp& r, double d);       // Gamma(d + 1), the 1 added in double arithmetic
fp factorial(double d);
void factorial(fp& r, fp const& x);    // Gamma(x + 1)
fp factorial(fp const& x);

}  // namespace korvel
KORVEL_API_END
