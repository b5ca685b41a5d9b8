// Moduli to a few bits, for decisions that are usually far from a tie: a value
// is a double beside a 64-bit exponent, and every routine that decides from
// such values carries a relative error bound and says when it cannot decide.
#pragma once

#include <korvel/complex.h>

namespace korvel::detail {

// m * 2^e with m in [0.5, 1), or m = 0 for zero.
struct Rough {
    double m = 0;
    i64 e = 0;
};

Rough rough(fp const& x);             // |x| from its leading 64 bits
Rough roughAbs(fpComplex const& z);   // |z|
Rough roughMulAdd(Rough a, Rough b, Rough c);  // a * b + c

// Exponents beyond this (either sign) are left to the exact path: every fp
// value formed on the way (the squares inside a modulus included) then stays
// far inside the fp exponent range, where no result saturates or underflows.
constexpr i64 roughExponentLimit = i64(1) << 29;
inline bool tame(Rough a) { return a.m == 0 || (a.e < roughExponentLimit && a.e > -roughExponentLimit); }

// The fp modulus that a rough value stands for differs from it by a relative
// delta at most. For two such values a, b: -1 when the fp value behind a is
// certainly below b's, +1 when certainly above, 0 when the bound cannot tell.
i32 roughCompare(Rough a, Rough b, double delta);

// The relative bound delta for quantities formed with at most k rounded
// operations on any term, at B words of working precision; 0 when B is too small
// for the bound to decide anything (the caller then always takes the exact path).
double roughDelta(i64 k, i32 B);

}  // namespace korvel::detail
