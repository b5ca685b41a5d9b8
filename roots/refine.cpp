// Stage 2: Newton's method on the polynomial itself, each step at about twice
// the precision of the one before, the last ones at blockPrec.
#include <algorithm>
#include <cmath>

#include "roots/search.h"

namespace korvel::detail {

namespace {

// Steps at blockPrec after the first before the approximation is left as it is.
constexpr int finalSteps = 12;

i32 wordsFor(double bits) { return i32(std::ceil(bits / 32)) + 1; }

// r = z^g for g >= 0, by squaring.
void power(fpComplex& r, fpComplex const& z, i32 g) {
    equate(r, 1.0, 0.0);
    fpComplex base = z;
    while (g > 0) {
        if (g & 1) mul(r, r, base);
        g >>= 1;
        if (g > 0) sqr(base, base);
    }
}

// Horner's rule over the nonzero terms only, a gap of g bridged by z^g:
// v <- v z^g + a_k and d <- d z^g + g v z^(g-1).
void evaluateSparse(Poly const& p, fpComplex const& z, fpComplex& v, fpComplex* d) {
    fpComplex zg1, zg, w;
    fp gf;
    v = p.a[p.n];
    if (d) equate(*d, 0.0, 0.0);
    i32 prev = p.n;
    for (std::size_t t = p.terms.size() - 1; prev > 0; prev = p.terms[t]) {
        bool const more = t > 0;
        i32 const k = more ? p.terms[--t] : 0;
        i32 const g = prev - k;
        power(zg1, z, g - 1);
        mul(zg, zg1, z);
        if (d) {
            mul(*d, *d, zg);
            equate(gf, g);
            mul(w, v, zg1);
            mul(w, w, gf);
            add(*d, *d, w);
        }
        mul(v, v, zg);
        if (!more) break;
        add(v, v, p.a[k]);
    }
}

}  // namespace

void evaluate(Poly const& p, fpComplex const& z, fpComplex& v, fpComplex* d) {
    if (p.sparse) return evaluateSparse(p, z, v, d);
    v = p.a[p.n];
    if (d) equate(*d, 0.0, 0.0);
    for (i32 j = p.n - 1; j >= 0; --j) {
        if (d) {
            mul(*d, *d, z);
            add(*d, *d, v);
        }
        mul(v, v, z);
        add(v, v, p.a[j]);
    }
}

void refine(Poly const& p, fpComplex& z, double bits, double& log2Value) {
    i32 const target = blockPrec;
    fpComplex v, d, step;
    // While the steps are below blockPrec: a step from an approximation good to
    // `bits` bits gives about twice as many, so it runs at that precision.
    for (i32 words = wordsFor(2 * bits + 32); words < target; words = std::max(words + 1, wordsFor(2 * bits + 32))) {
        ScopedBlockPrec low(words);
        evaluate(p, z, v, &d);
        if (!d || !v) break;
        div(step, v, d);
        sub(z, z, step);
        double const moved = log2Abs(z) - log2Abs(step);
        bits = std::min(bitsOf(words) - 8, 2 * std::max(moved, bits / 2));
    }
    // At blockPrec: at least one step, then steps until the value falls below
    // the roundoff bound eps |a|(|z|) with eps = 10^-(8B + 2), the bound that
    // ends the full-precision search.
    double const logEps = -(8.0 * target + 2) * std::log2(10.0);
    double const round = log2RoundingFactor(p.n, bitsOf(target));
    double mag = 0, lv = 0;
    evaluate(p, z, v, &d);
    for (int step_ = 0; step_ < finalSteps && !!d && !!v; ++step_) {
        div(step, v, d);
        fpComplex const before = z;
        sub(z, z, step);
        if (z == before) break;
        evaluate(p, z, v, nullptr);
        mag = log2Magnitude(p, log2Abs(z));
        if (log2Abs(v) <= mag + logEps) break;
        evaluate(p, z, v, &d);
    }
    mag = log2Magnitude(p, log2Abs(z));
    lv = log2Abs(v);
    // log2 (|v| + bound) <= log2 of the larger + 1
    log2Value = std::max(lv, mag + round) + 1;
}

}  // namespace korvel::detail
