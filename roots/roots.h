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

// All n roots of coefficients, ordered, with the polynomial's values at them;
// snapToAxes clears negligible real or imaginary parts. The coefficients are
// not changed. False when an extraction failed.
bool findPolyRoots(fpComplex*& roots, fpComplex*& values, fpComplex*& coefficients, int n, bool snapToAxes);

// Extracts the roots of a (deflated in place) in turn into roots[0 .. n).
bool myKorvel(fpComplex*& roots, fpComplex*& a, i32 n);

// a = a / (x - z); n decreases by one and the remainder is dropped.
void forwardDeflation(fpComplex*& a, i32& n, fpComplex& z);

// Descending real parts; within an adjacent pair of equal real parts the larger
// imaginary part first.
void orderRoots(fpComplex*& r, int n);

}  // namespace korvel
