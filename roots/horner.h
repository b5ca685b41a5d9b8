// Horner's rule at the working precision: the one evaluation of a polynomial
// in fp that the searches share (the sparse form by powers, roots/evaluate.cpp,
// and the stage-1 forms in doubles, roots/aberth.cpp, carry their own bounds).
#pragma once

#include <korvel/complex.h>

namespace korvel::detail {

// Nothing to do beside a step.
struct NoStep {
    void operator()(fpComplex const&) const {}
};

// v = a(z) for a of degree n by Horner's rule, each step one complex product and
// one sum at blockPrec; with d, d = a'(z), and with h (which needs d),
// h = a''(z) / 2, each updated before the sum it takes in, highest first. After
// every step step(v) sees the partial sum, for a bound formed beside it (the
// first partial sum, a[n], is the caller's to take). v, d and h must not alias
// z or a.
template <class Step = NoStep>
void horner(fpComplex const* a, i32 n, fpComplex const& z, fpComplex& v, fpComplex* d = nullptr,
            fpComplex* h = nullptr, Step step = {}) {
    RepeatedFactor const factor(z);  // the same products as by z, its parts' sum formed once
    v = a[n];
    if (d) equate(*d, 0.0, 0.0);
    if (h) equate(*h, 0.0, 0.0);
    for (i32 j = n - 1; j >= 0; --j) {
        if (h) {
            mul(*h, *h, factor);
            add(*h, *h, *d);
        }
        if (d) {
            mul(*d, *d, factor);
            add(*d, *d, v);
        }
        mul(v, v, factor);
        add(v, v, a[j]);
        step(v);
    }
}

}  // namespace korvel::detail
