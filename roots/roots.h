// Every root of a polynomial with complex coefficients, by Laguerre's method
// with forward deflation, at the working precision blockPrec.
//
// A coefficient array a of degree n has n + 1 values, a[k] the coefficient of
// x^k. Root and value arrays have n values; value k is the input polynomial at
// root k.
#pragma once

#include "complex/complex.h"

namespace korvel {

// result = a(x) by Horner's rule.
void Evaluate(fpComplex*& a, i32 n, fpComplex& x, fpComplex& result);

// Refines x into a root of a (degree n) by Laguerre's method; f weighs the
// second-derivative term (the driver passes 1). err gets the last step's size.
// False only for n < 1; at the iteration cap x is the last iterate.
bool Laguerre(fpComplex*& a, i32 n, fpComplex& x, fp& err, fp& f);

// How a Laguerre iteration ended.
enum class LaguerreEnd { stopRule, capReached, invalid };
// Laguerre, telling whether the stop rule ended it or it ran to the cap
// (whose last iterate need not be near a root).
LaguerreEnd laguerreIterate(fpComplex*& a, i32 n, fpComplex& x, fp& err, fp& f);

// The degree of a once leading zero coefficients are dropped; -1 for the zero polynomial.
int trueDegree(fpComplex const* a, int n);

// Digits to which a root left at the iteration cap must be confirmed, unless
// the caller says otherwise.
inline constexpr int defaultConfirmFigures = 16;

// All roots of coefficients, ordered, with the polynomial's values at them;
// snapToAxes clears negligible real or imaginary parts. The coefficients are
// not changed. Leading zero coefficients lower the degree: only the first
// trueDegree(coefficients, n) roots and values are written. False when the
// degree is below 1, an extraction failed, or a root whose iteration ran to
// the cap cannot be confirmed: its inclusion radius m|p(z)/p'(z)| on the input
// polynomial of degree m exceeds 10^-confirmFigures |z|.
bool findPolyRoots(fpComplex*& roots, fpComplex*& values, fpComplex*& coefficients, int n, bool snapToAxes,
                   int confirmFigures = defaultConfirmFigures);

// Extracts the roots of a (deflated in place) in turn into roots[0 .. n).
bool myKorvel(fpComplex*& roots, fpComplex*& a, i32 n);

// a = a / (x - z); n decreases by one and the remainder is dropped.
void forwardDeflation(fpComplex*& a, i32& n, fpComplex& z);

// Descending real parts; within an adjacent pair of equal real parts the larger
// imaginary part first.
void orderRoots(fpComplex*& r, int n);

}  // namespace korvel
