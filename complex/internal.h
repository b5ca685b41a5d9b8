// Helpers shared by the complex routines; not part of the public interface.
#pragma once

#include <algorithm>
#include <limits>
#include <utility>

#include <korvel/complex.h>

namespace korvel::detail {

// Values whose parts lie within 2^(+-2^29) can be squared and multiplied
// without leaving the exponent's range; others are scaled first.
inline constexpr i64 moderateLog2 = i64(1) << 29;
inline constexpr i64 noLog2 = std::numeric_limits<i64>::min();

// floor(log2 |x|) without the 32-bit limit of Lg2; noLog2 for zero.
inline i64 log2Floor(fp const& x) { return !x ? noLog2 : i64(x.exponent) + NumBits(x.mantissa) - 1; }

// The larger floor(log2) of the parts; noLog2 for zero.
inline i64 topLog2(fpComplex const& z) { return std::max(log2Floor(z.re), log2Floor(z.im)); }

inline bool moderate(i64 log2) { return log2 == noLog2 || (log2 > -moderateLog2 && log2 < moderateLog2); }

// The shift that brings a value of floor(log2) `top` near 1, within the i32 range.
inline i32 shiftToOne(i64 top) {
    i64 const limit = std::numeric_limits<i32>::max();
    return i32(std::clamp(-top, -limit, limit));
}

// z = z * 2^shift exactly; a part that falls below the range becomes zero,
// one that rises above it saturates with the overflow flag.
inline void scale(fpComplex& z, i32 shift) {
    fp const factor = power2(shift);
    mul(z.re, z.re, factor);
    mul(z.im, z.im, factor);
}

// iz and -iz, the rotations between circular and hyperbolic functions.
inline fpComplex timesI(fpComplex const& z) { return fpComplex(-z.im, z.re); }
inline fpComplex timesMinusI(fpComplex const& z) { return fpComplex(z.im, -z.re); }

// r = -i f(iz): a hyperbolic function from its circular one.
template <class F>
void throughRotation(fpComplex& r, fpComplex const& z, F f) {
    fpComplex const t = f(timesI(z));
    r = timesMinusI(t);
}

// r = v rounded to the working precision (v was formed with guard words).
inline void roundInto(fpComplex& r, fpComplex& v) {
    fpNormalize(v.re);
    fpNormalize(v.im);
    r.re = std::move(v.re);
    r.im = std::move(v.im);
}

}  // namespace korvel::detail
