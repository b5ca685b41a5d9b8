// What is certain about final roots: inclusion disks on the input polynomial,
// their connected components (clusters), the figures each disk vouches for,
// and, when asked, the roots settled where the disks allow it: a cluster shown
// as its center, a root of a real polynomial proved real shown as real.
//
// Radii are handled as log2 upper bounds in doubles; they are needed to a few
// figures only. Each step that widens a bound says so.
#include <algorithm>
#include <cmath>
#include <limits>
#include <numeric>

#include "roots/parallel.h"
#include "roots/search.h"

namespace korvel {

using namespace detail;

namespace {

constexpr double none = std::numeric_limits<double>::infinity();  // log2 of an unknown radius

// log2 |x - y| at the working precision, bounded from above.
double log2Distance(fpComplex const& x, fpComplex const& y) { return log2Difference(x, y) + log2Slack; }

double log2Of(fp const& r) { return r < 0.0 ? none : log2Abs(r); }

struct Components {
    std::vector<std::size_t> parent;
    explicit Components(std::size_t n) : parent(n) { std::iota(parent.begin(), parent.end(), 0); }
    std::size_t find(std::size_t i) {
        while (parent[i] != i) i = parent[i] = parent[parent[i]];
        return i;
    }
    void join(std::size_t i, std::size_t j) { parent[find(i)] = find(j); }
};

// Disks of radii 2^lr about z that meet (an unknown radius meets everything).
bool meet(fpComplex const& zi, fpComplex const& zj, double lri, double lrj) {
    if (lri == none || lrj == none) return true;
    // A lower bound of the distance: the upper bound less its slack twice over.
    return !(log2Distance(zi, zj) - 2 * log2Slack > log2Sum(lri, lrj));
}

// Roots, values and the certainty in the order of orderRoots.
void reorder(fpComplex* roots, fpComplex* values, RootCertainty& c, int n) {
    std::vector<std::size_t> const order = rootOrder(roots, n);
    permute(roots, values, order);
    std::vector<fp> radii = std::move(c.radii);
    std::vector<int> const clusters = c.clusters;
    c.radii.resize(radii.size());
    for (std::size_t k = 0; k < order.size(); ++k) {
        c.radii[k] = std::move(radii[order[k]]);
        c.clusters[k] = clusters[order[k]];
    }
}

// log2 of z's smaller non-zero part: each part is written with its own
// significant figures, so the smaller one says how many a disk vouches for.
double log2SmallerPart(fpComplex const& z) {
    if (!z.re) return log2Abs(z.im);
    if (!z.im) return log2Abs(z.re);
    return std::min(log2Abs(z.re), log2Abs(z.im));
}

int figuresOf(fpComplex const& z, fp const& radius, int shown) {
    if (radius < 0.0) return 0;
    if (!radius) return shown;
    if (!z) return 0;
    double const digits = (log2SmallerPart(z) - log2Abs(radius)) / std::log2(10.0) - log2Slack;
    return digits <= 0 ? 0 : int(std::min<double>(shown, std::floor(digits)));
}

// The disks about the roots (log2 radii) and their connected components.
struct Disks {
    std::vector<double> lr;
    std::vector<std::vector<std::size_t>> members;  // per component, in order of their first root
};

// known: inclusionRadii's radii for these roots and values, when the caller has them.
Disks analyse(fpComplex* coefficients, int n, fpComplex const* roots, fpComplex const* values,
              std::vector<fp> const* known = nullptr) {
    std::size_t const count = std::size_t(n);
    Disks d;
    std::vector<fp> radii;
    if (!known || known->size() != count) {
        inclusionRadii(radii, coefficients, n, roots, values);
        known = &radii;
    }
    d.lr.resize(count);
    for (std::size_t i = 0; i < count; ++i) d.lr[i] = log2Of((*known)[i]);
    // Most pairs lie far apart: their doubles tell so, and only the others
    // are subtracted in fp.
    Scaled const scaled = scale({roots, count});
    auto apart = [&](std::size_t i, std::size_t j) {
        double dist = 0, eps = 0;
        return doubleDistance(scaled, i, j, dist, eps) && dist * (1 - 1.5 * eps) > 0 &&
               std::log2(dist * (1 - 1.5 * eps)) + double(scaled.s) - log2Slack > log2Sum(d.lr[i], d.lr[j]);
    };
    // Pairs beyond pairReach are apart; the components do not depend on the
    // order in which pairs are joined.
    Components parts(count);
    visitNearPairs(scaled, pairReach(scaled, d.lr), [&](std::size_t i, std::size_t j) {
        if (parts.find(i) != parts.find(j) && !apart(i, j) && meet(roots[i], roots[j], d.lr[i], d.lr[j]))
            parts.join(i, j);
        return true;
    });
    std::vector<std::vector<std::size_t>> byRoot(count);
    for (std::size_t i = 0; i < count; ++i) byRoot[parts.find(i)].push_back(i);
    for (auto& m : byRoot)
        if (!m.empty()) d.members.push_back(std::move(m));
    std::sort(d.members.begin(), d.members.end());
    return d;
}

// True when a disk of radius 2^lr about z vouches for all `shown` figures of
// each part of z.
bool certain(fpComplex const& z, double lr, int shown) {
    return lr == -none || (!!z && lr <= log2SmallerPart(z) - shown * std::log2(10.0));
}

// A part of z inside the disk of radius 2^lr and smaller than the other is
// noise the disk cannot tell from 0: it is cleared, and the disk about the new
// z, widened by it, still holds the root. True when z changed.
bool clearInside(fpComplex& z, double& lr) {
    if (!z.re || !z.im || lr == none) return false;
    fp& part = fpCompareAbs(z.im, z.re) < 0 ? z.im : z.re;
    double const lp = log2Abs(part);
    if (lp > lr) return false;
    part = fp();
    lr = log2Sum(lr, lp);
    return true;
}

// m disks that connect hold m roots, within R of any point c where R is the
// largest |z_i - c| + r_i: c gets their mean, the result is log2 R.
double enclosing(fpComplex const* roots, std::vector<double> const& lr, std::vector<std::size_t> const& m,
                 fpComplex& c) {
    meanOf(c, roots, m);
    double lR = -none;
    for (auto i : m) lR = std::max(lR, lr[i] == none ? none : log2Sum(log2Distance(roots[i], c), lr[i]));
    return lR;
}

// Real coefficients: the disk about Re z_i of radius r_i + |Im z_i| is its own
// conjugate; when |Im z_i| <= r_i and it meets no other disk it holds this root
// only, and so its conjugate too: the root is real.
bool provedReal(fpComplex const* roots, std::vector<double> const& lr, std::size_t i) {
    double const lim = log2Abs(roots[i].im);
    if (lim > lr[i]) return false;
    fpComplex const axis(roots[i].re, fp());
    double const wide = log2Sum(lr[i], lim);
    for (std::size_t j = 0; j < lr.size(); ++j)
        if (j != i && meet(axis, roots[j], wide, lr[j])) return false;
    return true;
}

}  // namespace

bool RootCertainty::allCertain(int shown) const {
    return std::all_of(certainFigures.begin(), certainFigures.end(), [shown](int f) { return f >= shown; });
}

void certifyRoots(RootCertainty& out, fpComplex* coefficients, int n, fpComplex* roots, fpComplex* values,
                  int shownFigures, bool settle, std::vector<fp> const* radii) {
    std::size_t const count = std::size_t(std::max(n, 0));
    out = RootCertainty{};
    out.radii.assign(count, fp(-1.0));
    out.clusters.assign(count, 0);
    out.certainFigures.assign(count, 0);
    if (n < 1 || !coefficients[n]) return;
    Disks disks = analyse(coefficients, n, roots, values, radii);
    if (settle) {
        bool polished = false;
        for (auto const& m : disks.members) {
            fpComplex c;
            if (m.size() > 1 && !certain(c, enclosing(roots, disks.lr, m, c), shownFigures)) {
                polishCluster(coefficients, n, roots, values, m);
                polished = true;
            } else if (m.size() == 1 && !certain(roots[m[0]], disks.lr[m[0]], shownFigures)) {
                polishSimple(coefficients, n, roots[m[0]]);
                evaluateAll(coefficients, n, roots + m[0], values + m[0], 1);
                polished = true;
            }
        }
        if (polished) disks = analyse(coefficients, n, roots, values);
    }
    std::vector<double> const& lr = disks.lr;
    bool const real = realPolynomial(coefficients, n);
    std::vector<char> moved(count, 0);
    int cluster = 0;
    for (auto const& m : disks.members) {
        ++cluster;
        for (auto i : m) out.clusters[i] = cluster;
        if (m.size() == 1) {
            std::size_t const i = m[0];
            double lri = lr[i];
            if (settle && lri != none && !!roots[i].im) {
                if (real && provedReal(roots, lr, i)) {
                    roots[i].im = fp();  // within r of z, so within r of Re z too
                    moved[i] = 1;
                } else if (clearInside(roots[i], lri)) {
                    moved[i] = 1;
                }
            }
            out.radii[i] = radiusOf(lri);
            continue;
        }
        fpComplex center;
        double lR = enclosing(roots, lr, m, center);
        if (settle && lR != none) {
            // A part of the center inside the disk may be cleared: the disk about
            // the new center, widened by that part, still holds the m roots.
            for (fp* part : {&center.im, &center.re}) {
                double const lp = log2Abs(*part);
                if (!!*part && lp <= lR) {
                    *part = fp();
                    lR = log2Sum(lR, lp);
                }
            }
        }
        for (auto i : m) {
            if (settle) {
                roots[i] = center;
                moved[i] = 1;
                out.radii[i] = radiusOf(lR);
            } else {
                out.radii[i] = radiusOf(lR == none ? none : log2Sum(lR, log2Distance(roots[i], center)));
            }
        }
    }
    if (settle) {
        std::vector<std::size_t> changed;
        for (std::size_t i = 0; i < count; ++i)
            if (moved[i]) changed.push_back(i);
        std::size_t const m = changed.size();
        parallelFor(m, threadsFor(m, double(m) * n * blockPrec), [&](std::size_t k) {
            evaluateAll(coefficients, n, roots + changed[k], values + changed[k], 1);
        });
        reorder(roots, values, out, n);
    }
    for (std::size_t i = 0; i < count; ++i) out.certainFigures[i] = figuresOf(roots[i], out.radii[i], shownFigures);
}

}  // namespace korvel
