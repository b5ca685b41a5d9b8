// Stage 2: Newton's method on the polynomial itself, each step at about twice
// the precision of the one before, the last ones at blockPrec.
#include <algorithm>
#include <cmath>
#include <limits>

#include "roots/search.h"

namespace korvel::detail {

namespace {

// Steps at blockPrec, and steps in all, before an approximation is left as it is.
constexpr int finalSteps = 12;
constexpr int maxSteps = 40;

}  // namespace

void refine(Poly const& p, fpComplex& z, double bits, Refined& out, double lost) {
    i32 const target = blockPrec;
    double const T = bitsOf(target);
    // The roundoff bound eps |a|(|z|) with eps = 10^-(8B + 2) that ends the
    // full-precision search ends this one too, as does a step that leaves z
    // good to all T bits.
    double const logEps = -(8.0 * target + 2) * std::log2(10.0);
    double const round = log2RoundingFactor(p.n, T);
    fpComplex v, step;
    double ld = 0;  // log2 |p'(z)|
    out.log2Step = -std::numeric_limits<double>::infinity();
    // The disk is about z, where v = p(z) and log2 |p'(z)| were just formed at blockPrec.
    auto centerAt = [&](double lz, double mag) {
        out.center = z;
        out.log2Value = log2ValueBound(v, mag + round);
        out.log2Condition = mag - ld - lz;
        out.log2Step = -std::numeric_limits<double>::infinity();
    };
    bool centered = false;
    for (int steps = 0, atTarget = 0; steps < maxSteps && atTarget < finalSteps; ++steps) {
        if (searchCancelled()) return;
        // A step from `bits` good bits gives about twice as many. Its precision
        // is the top of the chain T, T/2 + 8, ... that is within that reach, so
        // that the last step, at T, starts from at least half of T. A root that
        // loses bits to its condition has them added to each step's precision
        // instead: below that a step follows the evaluation's rounding, not p.
        double c = T;
        if (lost > 0)
            c = std::min(T, std::max(2 * (bits - 8), 96.0) + lost);
        else
            while (c > 2 * (bits - 8) && c > 96) c = c / 2 + 8;
        i32 const words = c >= T ? target : std::min(target, wordsFor(c));
        ScopedBlockPrec precision(words);
        bool const moves = newtonStep(p, z, v, step, ld);
        double const lz = log2Abs(z), mag = log2Magnitude(p, lz);
        // Below blockPrec, a step whose evaluation errs by as much as z does
        // (the root's condition costs all the bits beyond those z has) is not
        // taken: it is done again with those bits added to its precision.
        if (double const condition = mag - ld - lz;
            moves && words != target && condition > lost && condition > bitsOf(words) - bits - 8) {
            lost = condition;
            continue;
        }
        if (words == target) {
            ++atTarget;
            centerAt(lz, mag);
            centered = true;
        }
        if (!moves) break;  // an exact root, or a stationary point
        sub(z, z, step);
        double const moved = lz - log2Abs(step);
        bits = std::min(bitsOf(words) - 4 - lost, 2 * moved);
        if (words == target) {
            out.log2Step = log2Abs(step);
            if (2 * moved >= T - 4 - lost || log2Abs(v) <= mag + logEps) return;
            centered = false;
        }
    }
    if (centered) return;
    // The steps ran out: the disk is about z itself.
    (void)newtonStep(p, z, v, step, ld);
    double const lz = log2Abs(z);
    centerAt(lz, log2Magnitude(p, lz));
}

}  // namespace korvel::detail
