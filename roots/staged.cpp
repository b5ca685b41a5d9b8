// The staged search: approximations at low precision, Newton to the working
// precision, certified disks; more precision in stage 1 while the disks touch,
// and the full-precision search when nothing else separates the roots.
#include <cmath>
#include <limits>

#include "roots/parallel.h"
#include "roots/search.h"
#include "roots/wide.h"

namespace korvel {

using namespace detail;

namespace {

// Stage 1 in fp starts at this precision (after doubles) and doubles it.
constexpr i32 firstFpWords = 4;
// From this degree on an fp pass goes through the secular equation first:
// below it aberthFp's sweeps cost as little (Wilkinson's and Mignotte's
// polynomials of degree 20 gain nothing measurable), and give what they gave.
constexpr std::size_t secularFrom = 32;

// A root whose condition |a|(|z|) / (|z| |p'(z)|) exceeds 2^conditionBits
// loses that many bits to the rounding of the evaluation at blockPrec: it is
// refined again with as many more, then rounded to blockPrec.
constexpr double conditionBits = 10;
// A condition predicted from the approximations (predictedConditions) past
// conditionBits by this much is refined with its bits from the start, without
// the refinement at blockPrec that would only measure it.
constexpr double predictionMargin = 8;
// Beyond this degree a sparse polynomial's conditions are not predicted: the
// prediction costs n^2 products in doubles.
constexpr std::size_t sparsePredictionDegree = 4096;
// Below this many roots the predicted conditions and the conjugate pairs cost
// more than the refinements they save (x^2 + 1: 10k instructions to pair the
// roots, as many as the refinement saved).
constexpr std::size_t fewRoots = 8;

// Disks about the centers of the last evaluations, widened by the last steps so
// that they hold the refined roots too.
bool disjointAfterSteps(Poly const& p, std::vector<Refined> const& r) {
    std::vector<fpComplex> centers;
    std::vector<double> lv, lr;
    for (auto const& x : r) {
        centers.push_back(x.center);
        lv.push_back(x.log2Value);
    }
    DiskCenters const c(centers);
    diskRadii(p, c, lv, lr);
    for (std::size_t i = 0; i < r.size(); ++i) lr[i] = std::max(lr[i], r[i].log2Step) + 1;
    return disjointDisks(c, lr);
}

// z refined from `bits` good bits with the `lost` bits of its condition
// carried beside them, at as many more words, then rounded to blockPrec; r
// gets the disk about it, from its value at the higher precision.
void refineIllConditioned(Poly const& p, fpComplex& z, double bits, double lost, Refined& r) {
    i32 const more = blockPrec + wordsFor(lost);
    {
        ScopedBlockPrec precision(more);
        refine(p, z, bits, r, lost);
    }
    fpNormalize(z.re);
    fpNormalize(z.im);
    ScopedBlockPrec precision(more);
    fpComplex v;
    evaluate(p, z, v, nullptr);
    r.center = z;
    double const bound = log2Magnitude(p, log2Abs(z)) + log2RoundingFactor(p.n, bitsOf(blockPrec));
    r.log2Value = log2ValueBound(v, bound);
    r.log2Step = -std::numeric_limits<double>::infinity();
}

// log2 of the condition M(|z|) / (|z| |p'(z)|) of each approximation, with
// |p'(z_i)| = |a_n| prod_{j != i} |z_i - z_j| at the roots, which disjoint
// disks put the approximations near; 0 (not known) for a sparse polynomial of
// high degree, whose disks avoid the n^2 products.
std::vector<double> predictedConditions(Poly const& p, std::vector<fpComplex> const& z) {
    std::vector<double> c(z.size(), 0);
    if (z.size() < fewRoots || (p.sparse && z.size() > sparsePredictionDegree)) return c;
    std::vector<double> logProd;
    log2DistanceProducts(DiskCenters(z), logProd);
    for (std::size_t i = 0; i < z.size(); ++i) {
        double const lz = log2Abs(z[i]);
        c[i] = log2Magnitude(p, lz) - lz - p.logAbs.back() - logProd[i];
        if (!std::isfinite(c[i])) c[i] = 0;
    }
    return c;
}

// The approximations of a real polynomial's real roots put on the real axis,
// where Newton's steps stay real and cost a quarter: with disks about z of
// radii 2^lr that are disjoint even at three times their radii, a disk that
// reaches the axis holds a real root (its one root's conjugate lies in the
// mirrored disk, which meets no other, so in the disk itself). True for each
// approximation moved.
std::vector<char> ontoRealAxis(Poly const& p, std::vector<fpComplex>& z, std::vector<double> const& lr) {
    std::vector<char> moved(z.size(), 0);
    if (!realPolynomial(p.a, p.n)) return moved;
    std::vector<double> wider(lr);
    for (auto& r : wider) r += std::log2(3.0);
    if (!disjointDisks(DiskCenters(z), wider)) return moved;
    for (std::size_t i = 0; i < z.size(); ++i)
        if (!!z[i].im && log2Abs(z[i].im) <= lr[i]) {
            z[i].im = fp();
            moved[i] = 1;
        }
    return moved;
}

// Stages 2 and 3 from the approximations z[i] good to about bits[i]; true (z holding
// the roots) when the disks are disjoint. The progress counts the refined roots
// after `found` of n. A root whose condition is known to cost more than
// conditionBits is refined with those bits from the start; one found to
// cost them in its refinement at blockPrec is refined again with them. On a
// real polynomial, mirror (mirrorPartners) pairs the roots that are each
// other's conjugates: the one of lower index is refined, and the other takes
// the conjugate of its result, as its own Newton steps would mirror them.
bool refineAndSeparate(Poly const& p, std::vector<fpComplex>& z, std::vector<double> const& bits,
                       std::vector<std::size_t> const& mirror, i32 found, i32 n) {
    std::size_t const d = z.size();
    auto leaderOf = [&](std::size_t k) {
        std::size_t const j = mirror.empty() ? noPartner : mirror[k];
        return j != noPartner && j < k && mirror[j] == k ? j : k;
    };
    std::vector<std::size_t> leaders;
    for (std::size_t k = 0; k < d; ++k)
        if (leaderOf(k) == k) leaders.push_back(k);
    std::size_t const count = leaders.size();
    auto mirrorFollowers = [&](std::vector<Refined>& r) {
        for (std::size_t k = 0; k < d; ++k)
            if (std::size_t const j = leaderOf(k); j != k) {
                z[k] = conj(z[j]);
                r[k] = r[j];
                r[k].center = conj(r[j].center);
            }
    };
    // A refinement takes some ten evaluations, most of them at about blockPrec.
    double const work = 10.0 * double(count) * double(p.n) * double(blockPrec);
    double const T = bitsOf(blockPrec);
    std::vector<double> const predicted = predictedConditions(p, z);
    std::vector<Refined> r(d);
    parallelFor(
        count, threadsFor(count, work),
        [&](std::size_t u) {
            std::size_t const i = leaders[u];
            if (double const lost = predicted[i]; lost > conditionBits + predictionMargin)
                refineIllConditioned(p, z[i], std::min(bits[i], T - lost), lost, r[i]);
            else
                refine(p, z[i], bits[i], r[i]);
        },
        [&](std::size_t done) { reportProgress(found + i32(done * d / count), n); });
    if (searchCancelled()) return false;
    mirrorFollowers(r);
    if (!disjointAfterSteps(p, r)) return false;
    std::vector<std::size_t> illConditioned;
    for (auto i : leaders)
        if (!(predicted[i] > conditionBits + predictionMargin) && r[i].log2Condition > conditionBits)
            illConditioned.push_back(i);
    if (illConditioned.empty()) return true;
    std::size_t const m = illConditioned.size();
    parallelFor(m, threadsFor(m, work * double(m) / double(count)), [&](std::size_t k) {
        std::size_t const i = illConditioned[k];
        double const lost = r[i].log2Condition;
        refineIllConditioned(p, z[i], T - lost, lost, r[i]);
    });
    mirrorFollowers(r);
    return disjointAfterSteps(p, r);
}

// z and lv from the caller's approximations of the roots of a = x^m p (the
// first m exact zeros), and their words; false when there are none that fit.
bool fromStarts(Poly const& p, i32 m, std::vector<fpComplex>& z, std::vector<double>& lv, i32& words) {
    std::vector<fpComplex> const* starts = searchStarts(words);
    if (!starts || starts->size() != std::size_t(m) + z.size() || words < 1 || words >= blockPrec) return false;
    std::size_t k = 0;
    for (auto const& x : *starts)
        if (!!x) {
            if (k == z.size()) return false;
            z[k++] = x;
        }
    if (k != z.size()) return false;
    ScopedBlockPrec precision(words);
    double const round = log2RoundingFactor(p.n, bitsOf(words));
    fpComplex v;
    for (std::size_t i = 0; i < z.size(); ++i) {
        evaluate(p, z[i], v, nullptr);
        lv[i] = log2ValueBound(v, log2Magnitude(p, log2Abs(z[i])) + round);
    }
    return true;
}

// True when the condition M(|z|) / (|z| |p'(z)|) of some z leaves it fewer
// than 32 good bits at blockPrec: the rounding of p there, about 2^-bits M,
// moves the root by 2^(condition - bits) |z|. Two approximations that settled
// on one simple root, which the full-precision search would mend, have
// ordinary conditions.
bool conditionBeyondPrecision(Poly const& p, std::vector<fpComplex> const& z) {
    double const bits = bitsOf(blockPrec);
    fpComplex v, d;
    for (auto const& x : z) {
        evaluate(p, x, v, &d);
        double const lz = log2Abs(x);
        if (!d || log2Magnitude(p, lz) - log2Abs(d) - lz > bits - 32) return true;
    }
    return false;
}

}  // namespace

StagedEnd stagedSearch(fpComplex*& roots, fpComplex*& a, i32 n, RootSearchRecord* record) {
    RootSearchRecord local;
    RootSearchRecord& rec = record ? *record : local;
    rec.rounds = 0;
    rec.ran = RootSearch::fullPrecision;  // until the staged result stands
    if (n < 1 || !a[n]) return StagedEnd::unsettled;
    reportProgress(0, n);
    // Roots at the origin are exact; the rest are those of a / x^m.
    i32 m = 0;
    while (!a[m]) equate(roots[m++], 0.0, 0.0);
    if (m == n) {
        rec.ran = RootSearch::staged;
        return StagedEnd::found;
    }
    Poly const p = makePoly(a + m, n - m);
    std::size_t const d = std::size_t(n - m);
    i32 const target = blockPrec;

    std::vector<fpComplex> z(d);
    std::vector<double> lv(d), lr;
    // Stage 1's progress: the approximations settled in the pass under way.
    SettledCount const settledSoFar = [m, n](std::size_t settled) { reportProgress(m + i32(settled), n); };
    double topBits = 53;  // the precision of the last stage-1 round
    i32 words = firstFpWords;
    rec.rounds = 1;
    i64 const s = std::llround((p.logAbs.front() - p.logAbs.back()) / double(d));
    // Stage 1 goes on from the caller's approximations at fewer words where
    // it has them; else it starts in doubles at one scaling where the
    // coefficients and the starts fit, else in doubles with a separate
    // exponent: both work to 53 bits.
    if (i32 startWords = 0; fromStarts(p, m, z, lv, startWords)) {
        topBits = bitsOf(startWords);
        words = std::min(target, 2 * startWords);
        rec.rounds = 0;  // no round in doubles
    } else if (std::vector<dcomplex> y = startingPoints(p, s); aberthDouble(p, s, y, lv, settledSoFar)) {
        for (std::size_t i = 0; i < d; ++i) {
            fromDouble(z[i].re, y[i].real(), s);
            fromDouble(z[i].im, y[i].imag(), s);
        }
    } else {
        std::vector<WideComplex> w = startingPointsWide(p);
        aberthWide(p, w, lv, settledSoFar);
        for (std::size_t i = 0; i < d; ++i) fromWide(z[i], w[i]);
    }
    std::vector<double> bits(d, topBits);  // about what each approximation is good to
    bool refinedApart = true;              // false once refined roots left disjoint disks
    bool settled = false;                  // every root of the last fp round settled
    bool passed = false;                   // an fp round ran
    bool isolated = inclusionDisks(p, DiskCenters(z), lv, lr);
    for (;; words = std::min(target, 2 * words)) {
        if (isolated) {
            std::vector<fpComplex> refined = z;
            std::vector<double> start = bits;
            std::vector<char> const real = ontoRealAxis(p, refined, lr);
            for (std::size_t i = 0; i < d; ++i)
                if (real[i]) start[i] -= 1;  // moved by at most the disk's radius
            // A sparse polynomial, evaluated by powers, refines cheaply: there
            // each root is refined on its own (x^100000 - 1 would gain 8%).
            std::vector<std::size_t> const mirror = d >= fewRoots && realPolynomial(p.a, p.n) && !p.sparse
                                                        ? mirrorPartners(z, lr)
                                                        : std::vector<std::size_t>();
            if (refineAndSeparate(p, refined, start, mirror, m, n)) {
                for (std::size_t i = 0; i < d; ++i) roots[m + i32(i)] = std::move(refined[i]);
                rec.stage1Bits = i32(topBits);
                rec.ran = RootSearch::staged;
                return StagedEnd::found;
            }
            refinedApart = false;
        }
        // Below the doubles' 53 bits one pass at the working precision still
        // runs: it tells whether the approximations have settled there.
        if ((topBits >= bitsOf(target) && passed) || searchCancelled()) break;
        ScopedBlockPrec stage1(std::min(words, target));
        // Only the roots whose disks meet others of their size need the
        // precision: the rest stay where they are, and the others' iteration
        // sees them there. Where fewer than half stand apart all iterate: the
        // sweeps saved are few, and each root starts its refinement from here.
        std::vector<char> keep = refinedApart ? apartFromPeers(DiskCenters(z), lr) : std::vector<char>(d, 0);
        if (std::size_t(std::count(keep.begin(), keep.end(), 1)) * 2 < d) std::fill(keep.begin(), keep.end(), 0);
        settled = (d >= secularFrom && secularFp(p, z, lv, keep, settledSoFar)) ||
                  aberthFp(p, z, lv, keep, blockPrec >= target, settledSoFar);
        topBits = std::max(topBits, bitsOf(blockPrec));
        passed = true;
        for (std::size_t i = 0; i < d; ++i)
            if (!keep[i]) bits[i] = topBits;
        isolated = inclusionDisks(p, DiskCenters(z), lv, lr);
        ++rec.rounds;
    }
    rec.stage1Bits = i32(topBits);
    if (!settled || isolated || searchCancelled()) return StagedEnd::unsettled;
    if (searchFallsBack() && !(searchSquareFree() && conditionBeyondPrecision(p, z))) return StagedEnd::unsettled;
    // The approximations as they settled are the roots, for the caller to
    // certify: those kept apart in the last round refined to blockPrec.
    Refined r;
    for (std::size_t i = 0; i < d; ++i) {
        if (bits[i] < topBits) refine(p, z[i], bits[i], r);
        roots[m + i32(i)] = std::move(z[i]);
    }
    rec.ran = RootSearch::staged;
    return StagedEnd::settledTogether;
}

bool inclusionRadii(std::vector<fp>& radii, fpComplex* coefficients, int n, fpComplex const* roots,
                    fpComplex const* values) {
    radii.assign(std::size_t(n), fp(-1.0));
    if (n < 1 || !coefficients[n]) return false;
    // Exact zero roots match the factor x^m; the others get disks on a / x^m,
    // whose value at z is a(z) / z^m.
    i32 m = 0;
    while (!coefficients[m]) ++m;
    std::vector<std::size_t> zeros, others;
    for (int k = 0; k < n; ++k) (!roots[k] && i32(zeros.size()) < m ? zeros : others).push_back(std::size_t(k));
    if (i32(zeros.size()) != m) return false;
    for (auto k : zeros) radii[k] = fp();
    if (others.empty()) return m == 1;
    // With no exact zero the disks are on the coefficients, about the roots as they stand.
    Poly const whole = makePoly(coefficients, n), stripped = m > 0 ? makePoly(coefficients + m, n - m) : Poly();
    Poly const& p = m > 0 ? stripped : whole;
    double const round = log2RoundingFactor(n, bitsOf(blockPrec));
    std::vector<fpComplex> nonzero;
    std::vector<double> lv, lr;
    for (auto k : others) {
        double const lz = log2Abs(roots[k]);
        if (m > 0) nonzero.push_back(roots[k]);
        lv.push_back(log2ValueBound(values[k], log2Magnitude(whole, lz) + round) - m * lz);
    }
    std::span<fpComplex const> const z =
        m > 0 ? std::span<fpComplex const>(nonzero) : std::span(roots, std::size_t(n));
    bool disjoint = inclusionDisks(p, DiskCenters(z), lv, lr) && zeros.size() <= 1;
    for (std::size_t i = 0; i < others.size(); ++i) {
        if (!std::isfinite(lr[i])) continue;
        radii[others[i]] = radiusOf(lr[i]);
        // A disk about a nonzero root must leave out the exact zero.
        if (!zeros.empty() && !(lr[i] + 1 < log2Abs(z[i]))) disjoint = false;
    }
    return disjoint;
}

}  // namespace korvel
