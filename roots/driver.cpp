// The driver: working copy, scaling, extraction with deflation, clean-up,
// ordering and the values at the roots.
#include <algorithm>
#include <cmath>
#include <iterator>
#include <limits>
#include <numeric>
#include <vector>

#include "roots/horner.h"
#include "roots/search.h"

namespace korvel {

namespace {

// The value an overflow or a NaN or infinite double leaves: every word set, at
// the top exponent. It stands for no true coefficient.
bool largestMagnitude(fp const& x) {
    i32 const n = x.mantissa.size < 0 ? -x.mantissa.size : x.mantissa.size;
    if (n == 0 || x.exponent != std::numeric_limits<i32>::max()) return false;
    for (i32 i = 0; i < n; ++i)
        if (x.mantissa.words[i] != 0xFFFFFFFFu) return false;
    return true;
}

// True when the part cleared by `clear` is negligible at root z: the polynomial's
// value, in the kept part's component, is no larger (or about as large) without it.
// Only a fallback where no disk is known: beside another root the value without
// the part can be the smaller one for that other root's sake.
template <class Component>
bool smallerValue(fpComplex*& a, int n, fpComplex& z, fpComplex withoutPart, Component component) {
    fpComplex v, w;
    Evaluate(a, n, z, v);
    Evaluate(a, n, withoutPart, w);
    fp const& vc = component(v);
    fp const& wc = component(w);
    if (fpCompareAbs(wc, vc) <= 0) return true;
    i64 const gap = i64(Lg2(vc)) - Lg2(wc);
    return gap >= -1 && gap <= 1;
}

// Clears a part of z 56 bits below the other (a candidate for rounding residue)
// when it lies within radius, the root's inclusion radius: the root then moves
// by no more than it is known to, and a disk of twice the radius about it still
// holds the root. A negative radius (none known) leaves it to the value test.
// True when z changed.
bool snapToAxis(fpComplex*& a, int n, fpComplex& z, fp const& radius) {
    auto inside = [&](fp const& part, fpComplex const& without, auto component) {
        return radius < 0.0 ? smallerValue(a, n, z, without, component) : fpCompareAbs(part, radius) <= 0;
    };
    if (!z.re || !z.im) return false;
    if (i64(Lg2(z.re)) - Lg2(z.im) > 56 &&
        inside(z.im, fpComplex(z.re, fp()), [](fpComplex const& v) -> fp const& { return v.re; })) {
        z.im = fp();
        return true;
    }
    if (i64(Lg2(z.im)) - Lg2(z.re) > 56 &&
        inside(z.re, fpComplex(fp(), z.im), [](fpComplex const& v) -> fp const& { return v.im; })) {
        z.re = fp();
        return true;
    }
    return false;
}

// values[k] = p(roots[k]) for k in [from, to): the staged search evaluates
// with evaluateAll, the full-precision one with Evaluate.
void evaluateRange(fpComplex*& a, int n, fpComplex* roots, fpComplex* values, int from, int to, RootSearch search) {
    if (search == RootSearch::staged)
        evaluateAll(a, n, roots + from, values + from, to - from);
    else
        for (int k = from; k < to; ++k) Evaluate(a, n, roots[k], values[k]);
}

// Extracts the roots in turn; capped[k] tells whether root k's iteration ran to the cap.
bool extractRoots(fpComplex*& roots, fpComplex*& a, i32 n, std::vector<bool>& capped) {
    fp scratch, f;
    fpComplex z;
    capped.assign(std::size_t(n), false);
    i32 const total = n;
    detail::reportProgress(0, total);
    for (i32 k = 0; n > 0; ++k) {
        // Roots at the origin come first and exactly.
        if (!a[0])
            equate(z, 0.0, 0.0);
        else
            equate(z, 0.271828, 0.031416);
        f = 1.0;
        LaguerreEnd const end = laguerreIterate(a, n, z, scratch, f);
        if (end == LaguerreEnd::invalid) return false;
        capped[std::size_t(k)] = end == LaguerreEnd::capReached;
        roots[k] = z;
        forwardDeflation(a, n, z);
        detail::reportProgress(k + 1, total);
    }
    return true;
}

// True when a disk of radius n|p(z)/p'(z)| about z, which holds a root of p,
// is within 10^-figures |z|: the iterate left at the cap is a root to that many digits.
bool confirmed(fpComplex*& a, int n, fpComplex const& z, int figures) {
    fpComplex p, d;
    detail::horner(a, n, z, p, &d);
    if (!p) return true;
    if (!d || !z) return false;
    fp bound;
    (void)pow(bound, fp(10.0), i32(-figures));  // a positive base: cannot fail
    mul(bound, bound, abs(z));
    fp radius = abs(p);
    (void)div(radius, radius, abs(d));  // d != 0: checked above
    mul(radius, radius, fp(double(n)));
    return radius <= bound;
}

}  // namespace

void forwardDeflation(fpComplex*& a, i32& n, fpComplex& z) {
    if (n <= 0) return;
    fpComplex b = a[n], t;
    equate(a[n], 0.0, 0.0);
    for (i32 i = n - 1; i >= 0; --i) {
        t = a[i];
        a[i] = b;
        mul(b, b, z);
        add(b, b, t);
    }
    --n;
}

int trueDegree(fpComplex const* a, int n) {
    if (a == nullptr) return -1;
    while (n >= 0 && !a[n]) --n;
    return n;
}

bool myKorvel(fpComplex*& roots, fpComplex*& a, i32 n) {
    std::vector<bool> capped;
    return extractRoots(roots, a, n, capped);
}

bool findPolyRoots(fpComplex*& roots, fpComplex*& values, fpComplex*& coefficients, int n, bool snapToAxes,
                   int confirmFigures, RootSearch search, RootSearchRecord* record,
                   RootSearchControl const& control) {
    detail::ScopedSearchControl const controlled(control);
    if (roots == nullptr || values == nullptr || coefficients == nullptr) return false;
    n = trueDegree(coefficients, n);
    if (n < 1) return false;
    for (int k = 0; k <= n; ++k)
        if (largestMagnitude(coefficients[k].re) || largestMagnitude(coefficients[k].im)) return false;
    std::vector<fpComplex> copy(coefficients, coefficients + n + 1);
    fpComplex* work = copy.data();

    if (record) *record = RootSearchRecord{search, 0, 0, false, {}};
    std::vector<bool> capped(std::size_t(n), false);
    // The staged search starts from the Newton polygon, at any scale.
    StagedEnd const staged =
        search == RootSearch::staged ? stagedSearch(roots, work, n, record) : StagedEnd::unsettled;
    // Approximations that settled together and were given as the roots stand as found.
    bool found = staged == StagedEnd::found || staged == StagedEnd::settledTogether;
    if (!found) {
        // Roots far from modulus 1: scale x by R = |a_low / a_n|^(1/(n - low)), the
        // geometric mean of the moduli of the non-zero roots (a_low the lowest
        // non-zero coefficient), so that they come near the unit circle, where the
        // fixed start of the iteration is. Without it tiny roots are approached by a
        // constant factor a step and never reached before the cap.
        int low = 0;
        while (!work[low]) ++low;
        bool scaled = false;
        fp R;
        // log2 1e20 is 66.4: a ratio whose log2 estimate lies well inside +-60 needs
        // no moduli (two square roots) to tell that it is not scaled.
        if (low < n && std::abs(detail::log2Abs(work[low]) - detail::log2Abs(work[n])) > 60) {
            fp s = abs(work[low]);
            fp const lead = abs(work[n]);
            if (lead != 1.0) (void)div(s, s, lead);  // a[n] != 0
            scaled = s > fp(1e20) || s < fp(1e-20);
            if (scaled) (void)pow(R, s, 1.0 / (n - low));  // s > 0: a[low] != 0
        }
        if (scaled) {
            fp const b = 1.0 / R;
            fp d = b;
            for (int i = n - 1; i >= 0; --i) {
                mul(work[i], d, work[i]);
                mul(d, b, d);
            }
        }
        found = extractRoots(roots, work, n, capped);
        if (scaled)
            for (int k = 0; k < n; ++k) mul(roots[k], R, roots[k]);
    }
    if (!found || detail::searchCancelled()) return false;
    for (int k = 0; k < n; ++k)
        if (capped[std::size_t(k)] && !confirmed(coefficients, n, roots[k], confirmFigures)) return false;
    evaluateRange(coefficients, n, roots, values, 0, n, search);
    // In their final order first, so that the disks of the clean-up stand for
    // the record too when no root moves. A root that moves can change the
    // order where its real part ties with a neighbour's (or is cleared): the
    // order is then taken again from the search's, as ties are.
    std::vector<std::size_t> const order = detail::rootOrder(roots, n);
    detail::permute(roots, values, order);
    std::vector<fp> radii;
    bool isolated = false, haveRadii = false;
    if (snapToAxes) {
        isolated = inclusionRadii(radii, coefficients, n, roots, values);
        haveRadii = true;
        bool reorder = false;
        for (int k = 0; k < n; ++k) {
            if (!snapToAxis(coefficients, n, roots[k], radii[std::size_t(k)])) continue;
            evaluateRange(coefficients, n, roots, values, k, k + 1, search);
            haveRadii = false;
            // A snap clears a non-zero part: a zero real part is a cleared one.
            fp const& re = roots[k].re;
            reorder = reorder || !re || (k > 0 && roots[k - 1].re == re) || (k + 1 < n && roots[k + 1].re == re);
        }
        if (reorder) {
            std::vector<std::size_t> back(order.size());
            for (std::size_t k = 0; k < order.size(); ++k) back[order[k]] = k;
            detail::permute(roots, values, back);
            detail::permute(roots, values, detail::rootOrder(roots, n));
        }
    }
    if (record) {
        if (!haveRadii) isolated = inclusionRadii(radii, coefficients, n, roots, values);
        record->isolated = isolated;
        record->radii = std::move(radii);
    }
    return true;
}

void orderRoots(fpComplex*& r, int n) {
    std::vector<std::size_t> const order = detail::rootOrder(r, n);
    std::vector<fpComplex> placed(r, r + n);
    for (std::size_t k = 0; k < order.size(); ++k) r[k] = std::move(placed[order[k]]);
}

namespace detail {

std::vector<std::size_t> rootOrder(fpComplex const* r, int n) {
    // Descending real parts, the earliest first among equals.
    std::vector<std::size_t> order(std::size_t(std::max(n, 0)));
    std::iota(order.begin(), order.end(), 0);
    auto const before = [&](std::size_t i, std::size_t j) { return compare(r[i].re, r[j].re) > 0; };
    // A few roots go by insertion: as stable as stable_sort, without its buffer.
    if (order.size() <= 16) {
        for (std::size_t k = 1; k < order.size(); ++k)
            for (std::size_t m = k; m > 0 && before(order[m], order[m - 1]); --m) std::swap(order[m], order[m - 1]);
    } else {
        std::stable_sort(order.begin(), order.end(), before);
    }
    // Adjacent pairs with equal real parts: the larger imaginary part first.
    for (std::size_t k = 0; k + 1 < order.size();) {
        if (compare(r[order[k]].re, r[order[k + 1]].re) != 0) {
            ++k;
            continue;
        }
        if (compare(r[order[k]].im, r[order[k + 1]].im) < 0) std::swap(order[k], order[k + 1]);
        k += 2;
    }
    return order;
}

void permute(fpComplex* roots, fpComplex* values, std::vector<std::size_t> const& order) {
    bool identity = true;
    for (std::size_t k = 0; k < order.size() && identity; ++k) identity = order[k] == k;
    if (identity) return;
    std::vector<fpComplex> r(std::make_move_iterator(roots), std::make_move_iterator(roots + order.size())),
        v(std::make_move_iterator(values), std::make_move_iterator(values + order.size()));
    for (std::size_t k = 0; k < order.size(); ++k) {
        roots[k] = std::move(r[order[k]]);
        values[k] = std::move(v[order[k]]);
    }
}

}  // namespace detail

}  // namespace korvel
