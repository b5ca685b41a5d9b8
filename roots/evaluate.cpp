// Evaluation at the working precision: Horner's rule (roots/horner.h) on the
// coefficients, or its sparse form by powers when most of them are zero, and
// the values at many points.
#include <algorithm>

#include "roots/horner.h"
#include "roots/parallel.h"
#include "roots/search.h"

namespace korvel {

void Evaluate(fpComplex*& a, i32 n, fpComplex& x, fpComplex& result) {
    fpComplex r;  // x may be result
    detail::horner(a, n, x, r);
    result = r;
}

}  // namespace korvel

namespace korvel::detail {

namespace {

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
    std::size_t t = p.terms.size();
    if (t > 0 && p.terms[t - 1] == p.n) --t;
    while (prev > 0) {
        bool const more = t > 0;  // a nonzero coefficient below prev
        i32 const k = more ? p.terms[--t] : 0;
        i32 const g = prev - k;
        if (d) {
            power(zg1, z, g - 1);
            mul(zg, zg1, z);
            mul(*d, *d, zg);
            equate(gf, g);
            mul(w, v, zg1);
            mul(w, w, gf);
            add(*d, *d, w);
        } else {
            power(zg, z, g);  // the value alone needs no z^(g-1)
        }
        mul(v, v, zg);
        if (more) add(v, v, p.a[k]);
        prev = k;
    }
}

}  // namespace

void evaluate(Poly const& p, fpComplex const& z, fpComplex& v, fpComplex* d) {
    if (p.sparse) return evaluateSparse(p, z, v, d);
    horner(p.a, p.n, z, v, d);
}

bool newtonStep(Poly const& p, fpComplex const& z, fpComplex& v, fpComplex& step, double& log2Derivative) {
    thread_local fpComplex d;  // per thread: its storage is reused from one step to the next
    if (!p.sparse || !z) {
        evaluate(p, z, v, &d);
        log2Derivative = log2Abs(d);
        if (!v || !d) return false;
        div(step, v, d);
        return true;
    }
    // With v = sum a_i z^(i-k) over the terms down to k and d = z (d/dz) of
    // it, a gap of g gives d <- (d + g v) z^g: one power a gap, where p'
    // itself needs z^(g-1) beside z^g. The step is then z v / d.
    fpComplex zg;
    fp gf;
    v = p.a[p.n];
    equate(d, 0.0, 0.0);
    i32 prev = p.n;
    std::size_t t = p.terms.size();
    if (t > 0 && p.terms[t - 1] == p.n) --t;
    while (prev > 0) {
        bool const more = t > 0;
        i32 const k = more ? p.terms[--t] : 0;
        i32 const g = prev - k;
        power(zg, z, g);
        equate(gf, g);
        mul(step, v, gf);
        add(d, d, step);
        mul(d, d, zg);
        mul(v, v, zg);
        if (more) add(v, v, p.a[k]);
        prev = k;
    }
    log2Derivative = log2Abs(d) - log2Abs(z);
    if (!v || !d) return false;
    mul(step, v, z);
    div(step, step, d);
    return true;
}

bool realPolynomial(fpComplex const* a, i32 n) {
    for (i32 k = 0; k <= n; ++k)
        if (!!a[k].im) return false;
    return true;
}

}  // namespace korvel::detail

namespace korvel {

namespace {

// For a dense polynomial with real coefficients: mirror[k] = j < k where
// point k is exactly the conjugate of point j, else k. Sorted by real part,
// then by the modulus of the imaginary part, so that conjugates meet.
std::vector<std::size_t> conjugateOf(detail::Poly const& p, fpComplex const* points, std::size_t m) {
    std::vector<std::size_t> mirror(m);
    for (std::size_t k = 0; k < m; ++k) mirror[k] = k;
    // Below a few points the search for pairs costs more than it saves.
    constexpr std::size_t fewPoints = 8;
    if (m < fewPoints || p.sparse || !detail::realPolynomial(p.a, p.n)) return mirror;
    std::vector<std::size_t> order;
    std::vector<fp> height(m);
    for (std::size_t k = 0; k < m; ++k)
        if (!!points[k].im) {
            order.push_back(k);
            height[k] = abs(points[k].im);
        }
    std::sort(order.begin(), order.end(), [&](std::size_t i, std::size_t j) {
        if (int const c = compare(points[i].re, points[j].re); c != 0) return c < 0;
        if (int const c = compare(height[i], height[j]); c != 0) return c < 0;
        return i < j;
    });
    for (std::size_t t = 0; t + 1 < order.size(); ++t) {
        std::size_t const i = std::min(order[t], order[t + 1]), j = std::max(order[t], order[t + 1]);
        if (compare(points[i].re, points[j].re) != 0 || compare(height[i], height[j]) != 0 ||
            (points[i].im < 0.0) == (points[j].im < 0.0))
            continue;
        mirror[j] = i;
        ++t;
    }
    return mirror;
}

}  // namespace

void evaluateAll(fpComplex* a, int n, fpComplex const* points, fpComplex* values, int count) {
    detail::Poly const p = detail::makePoly(a, n);
    std::size_t const m = std::size_t(std::max(count, 0));
    // At the exact conjugate of a point already evaluated, a real polynomial's
    // value is the conjugate of the value there.
    std::vector<std::size_t> const mirror = conjugateOf(p, points, m);
    std::vector<std::size_t> own;
    for (std::size_t k = 0; k < m; ++k)
        if (mirror[k] == k) own.push_back(k);
    double const work = double(own.size()) * double(p.sparse ? p.terms.size() : std::size_t(n)) * blockPrec;
    detail::parallelFor(own.size(), detail::threadsFor(own.size(), work),
                        [&](std::size_t u) { detail::evaluate(p, points[own[u]], values[own[u]], nullptr); });
    for (std::size_t k = 0; k < m; ++k)
        if (mirror[k] != k) values[k] = conj(values[mirror[k]]);
}

}  // namespace korvel
