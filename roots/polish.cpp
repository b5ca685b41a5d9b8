// Roots brought as close to the input polynomial's roots as the working
// precision lets disks show them, before they are certified.
//
// A simple root found after deflation by inexact roots is as good as the
// deflated polynomial was: Newton's method on the input polynomial restores it.
// A cluster of m approximations (a multiple root, or roots closer than the
// precision can tell apart) is replaced by m points on a circle about the root
// of the (m - 1)-th derivative inside it, which is well conditioned. The
// circle's radius rho balances the two parts of a disk: about rho itself, and
// the rounding of p over rho^(m - 1); for an m-fold root that is
// (rounding / |p^(m)(c) / m!|)^(1/m), the best any approximation can be vouched for.
#include <algorithm>
#include <cmath>
#include <numbers>

#include "roots/parallel.h"
#include "roots/search.h"

namespace korvel::detail {

namespace {

// Quadratic convergence doubles the good bits a step: 64 steps cover any
// precision from a start good to a bit or two.
constexpr int maxNewtonSteps = 64;
// Points of a large cluster's circle evaluated first, to find a circle that
// cannot be kept before all its points are evaluated.
constexpr std::size_t probeCount = 8;

// The (m - 1)-th derivative of a (degree n) divided by (m - 1)!, so that its
// coefficients stay near the binomials times a_k: b_k = C(k + m - 1, m - 1) a_{k + m - 1}.
std::vector<fpComplex> derivative(fpComplex const* a, i32 n, i32 m) {
    std::vector<fpComplex> b(std::size_t(n - m + 2));
    for (i32 k = 0; k <= n - m + 1; ++k) {
        // C(k + m - 1, m - 1) by the product over j of (k + j) / j.
        fp c(1.0);
        for (i32 j = 1; j < m; ++j) {
            mul(c, c, fp(double(k + j)));
            (void)div(c, c, fp(double(j)));  // j >= 1
        }
        mul(b[std::size_t(k)], c, a[k + m - 1]);
    }
    return b;
}

// m points c + 2^e w^j, w a primitive m-th root of unity, turned off the axes.
void circle(fpComplex* z, std::vector<std::size_t> const& members, fpComplex const& c, double e) {
    std::size_t const m = members.size();
    double const whole = std::floor(e), scale = std::exp2(e - whole);
    for (std::size_t j = 0; j < m; ++j) {
        double const angle = 0.3 + 2 * std::numbers::pi * double(j) / double(m);
        fpComplex w;
        fromDouble(w.re, scale * std::cos(angle), i64(whole));
        fromDouble(w.im, scale * std::sin(angle), i64(whole));
        add(z[members[j]], c, w);
    }
}

// The largest rho + r_i over the members: the radius about c of their union.
double spread(std::vector<fp> const& radii, std::vector<std::size_t> const& members, double e) {
    double worst = e;
    for (auto i : members) {
        if (radii[i] < 0.0) return HUGE_VAL;
        worst = std::max(worst, log2Abs(radii[i]));
    }
    return worst;
}

// log2 of the radius about the members' mean of the union of their disks as
// they stand; HUGE_VAL when a radius is unknown. Its own sum, not certify's
// enclosing disk: which polished cluster is kept hangs on this value's last
// bits, and with it the roots korvel-cli prints.
double asFound(fpComplex const* roots, std::vector<fp> const& radii, std::vector<std::size_t> const& members) {
    fpComplex c, d;
    meanOf(c, roots, members);
    double worst = -HUGE_VAL;
    for (auto i : members) {
        if (radii[i] < 0.0) return HUGE_VAL;
        sub(d, roots[i], c);
        worst = std::max(worst, log2Sum(log2Abs(d), log2Abs(radii[i])));  // log2 (|z_i - c| + r_i), rounded up
    }
    return worst;
}

// Newton's method on p from z with every step at the working precision (the
// refinement of stage 2 starts lower, where a z better than it looks can make
// p round to 0 and end it early). Stops when a step is below the precision or
// no longer shrinks; returns log2 |p'(z)| at the last z.
double newton(Poly const& p, fpComplex& z) {
    double const bits = bitsOf(blockPrec);
    fpComplex v, d, step;
    double last = HUGE_VAL;
    for (int steps = 0; steps < maxNewtonSteps; ++steps) {
        evaluate(p, z, v, &d);
        if (!v || !d) break;
        div(step, v, d);
        double const size = log2Abs(step);
        if (!(size < last)) break;  // rounding noise: the last step was as good as it gets
        sub(z, z, step);
        last = size;
        if (size < log2Abs(z) - bits + 2) break;
    }
    evaluate(p, z, v, &d);
    return log2Abs(d);
}

}  // namespace

void meanOf(fpComplex& c, fpComplex const* roots, std::vector<std::size_t> const& members) {
    c = fpComplex();
    for (auto i : members) add(c, c, roots[i]);
    div(c, c, fp(double(members.size())));
}

void polishSimple(fpComplex const* a, i32 n, fpComplex& z) {
    if (!z) return;
    newton(makePoly(a, n), z);
}

void polishCluster(fpComplex* a, i32 n, fpComplex* roots, fpComplex* values,
                   std::vector<std::size_t> const& members) {
    i32 const m = i32(members.size());
    if (m < 2 || m > n) return;
    fpComplex c;
    meanOf(c, roots, members);
    std::vector<fpComplex> const b = derivative(a, n, m);
    Poly const q = makePoly(b.data(), n - m + 1);
    if (!q.a[q.n]) return;
    // |q'(c)| = |p^(m)(c)| / (m - 1)!, so |p^(m)(c) / m!| = |q'(c)| / m.
    double const lq = newton(q, c) - std::log2(double(m));
    double const lz = log2Abs(c);
    Poly const p = makePoly(a, n);
    double const rounding = log2Magnitude(p, lz) + log2RoundingFactor(n, bitsOf(blockPrec));
    double const balance = std::isfinite(lq) ? (rounding - lq) / m : rounding / m;

    std::vector<fpComplex> z(roots, roots + n), v(values, values + n);
    std::vector<fp> radii;
    // The circle is kept only when its disks beat those about the points as they
    // are: a near-cluster wider than the circle for a multiple root would come
    // out worse, and polishing must never lose what the search found.
    inclusionRadii(radii, a, n, roots, values);
    double best = asFound(roots, radii, members);
    bool improved = false;
    std::vector<fpComplex> bestZ, bestV;  // the members' points and values on the best circle
    // On a dense polynomial the disk about a point hangs on its own value and
    // on where all the points lie: the disks about a few points evaluated
    // first are those of the whole circle, and one of them as wide as the
    // best spares the evaluation of the rest (a circle far from the roots).
    std::vector<std::size_t> probes;
    std::vector<char> probed(std::size_t(n), 0);
    if (!p.sparse && members.size() > 4 * probeCount)
        for (std::size_t j = 0; j < probeCount; ++j) {
            probes.push_back(members[j * members.size() / probeCount]);
            probed[probes.back()] = 1;
        }
    auto evaluateAt = [&](std::vector<std::size_t> const& at, bool skipProbed) {
        std::vector<std::size_t> todo;
        for (auto i : at)
            if (!skipProbed || !probed[i]) todo.push_back(i);
        parallelFor(todo.size(), threadsFor(todo.size(), double(todo.size()) * n * blockPrec),
                    [&](std::size_t k) { evaluate(p, z[todo[k]], v[todo[k]], nullptr); });
    };
    for (double step : {0.0, 2.0, 4.0, 8.0, 16.0}) {
        double const e = balance + step;
        // A circle of radius 2^e spreads at least that far (spread >= e): from
        // here on none can beat the best, and the rest need not be evaluated.
        if (!(e < best)) break;
        circle(z.data(), members, c, e);
        if (!probes.empty()) {
            evaluateAt(probes, false);
            inclusionRadii(radii, a, n, z.data(), v.data());
            if (!(spread(radii, probes, e) < best)) continue;
        }
        evaluateAt(members, !probes.empty());
        inclusionRadii(radii, a, n, z.data(), v.data());
        double const s = spread(radii, members, e);
        if (s < best) {
            best = s;
            improved = true;
            bestZ.clear();
            bestV.clear();
            for (auto i : members) {
                bestZ.push_back(z[i]);
                bestV.push_back(v[i]);
            }
        }
    }
    if (!improved) return;
    for (std::size_t k = 0; k < members.size(); ++k) {
        roots[members[k]] = std::move(bestZ[k]);
        values[members[k]] = std::move(bestV[k]);
    }
}

}  // namespace korvel::detail
