// The private map of the root search: every path from the entry points of
// <korvel/roots.h> to the file that holds each step, and the pieces the steps
// share. Not part of the public interface; everything here works on the
// calling thread's values only.
//
// findRoots (find.cpp): text -> Polynomial (input/); an exact polynomial with a
//   repeated factor is split into square-free factors (squarefree.cpp), each
//   searched on its own; then the rounds (Search::rounds): each round sets
//   blockPrec from the carried figures, converts the polynomial at that
//   precision, runs findPolyRoots and certifyRoots (searchOnce), and carries
//   more figures (nextCarried) until every shown figure is certain or the cap
//   is reached. On a polynomial with no repeated root a round before the last
//   does not fall back (it certifies the approximations as they settled) and
//   hands them to the next round to go on from; the last falls back only when
//   no root's condition exceeds the precision. The caller's precision and
//   stop request are kept throughout.
// findPolyRoots (driver.cpp): working copy, scaling toward the unit circle,
//   then one of
//   - staged (staged.cpp: stagedSearch): stage 1 aberth.cpp, all roots at once
//     in doubles, in doubles with a separate exponent (wide.h) or in fp at a
//     low precision, there first through the secular equation (secular.cpp)
//     from degree 32 on; stage 2 refine.cpp, Newton to blockPrec (refineAndSeparate:
//     a real polynomial's real roots from the axis, one of each conjugate pair,
//     ill-conditioned roots with their lost bits); stage 3 inclusion.cpp, certified disks: disjoint, or another stage-1
//     round at twice the precision on the roots whose disks meet, and the
//     full-precision search at the end unless the caller asks for the
//     approximations as they settled (searchFallsBack);
//   - full precision (driver.cpp: extractRoots, also myKorvel): Laguerre
//     (laguerre.cpp, its decisions from rough.h) root after root with
//     forwardDeflation;
//   then the check of roots left at the iteration cap, the values, the order
//   (rootOrder, permute) and clean-up (snapToAxis, with inclusionRadii, whose
//   disks go on to the certification when no root moves).
// certifyRoots (certify.cpp): inclusion disks on the input polynomial
//   (inclusionRadii, staged.cpp), their clusters and certain figures; with
//   settle, roots polished first (polish.cpp), then settled and reordered.
// Shared: evaluation (horner.h, evaluate.cpp: Horner's rule, its sparse form
//   by powers, the values at many points); fp and doubles (doubles.cpp:
//   conversions, log2 moduli, rounding bounds, radii and distances); the
//   caller's cancel flag and progress (control.cpp).
#pragma once

#include <algorithm>
#include <cmath>
#include <complex>
#include <functional>
#include <limits>
#include <span>
#include <vector>

#include <korvel/roots.h>

namespace korvel {

// How the staged search ended: found, its result stands; settledTogether, its
// approximations all settled at the working precision with disks that still
// meet (a multiple root, or roots too ill-conditioned for the precision) and
// stand as the roots, for the caller to certify, because the search does not
// fall back (searchFallsBack) or because the polynomial has no repeated root
// (searchSquareFree) and a root's condition exceeds the precision; unsettled
// otherwise, and the caller runs the full-precision search if it may.
enum class StagedEnd { found, settledTogether, unsettled };

// The staged search for every root of a (degree n, a[n] != 0, not changed)
// into roots[0 .. n).
StagedEnd stagedSearch(fpComplex*& roots, fpComplex*& a, i32 n, RootSearchRecord* record);

// values[k] = a(points[k]) for k < count, each by Evaluate's operations, except
// that when most coefficients are zero their runs are bridged by powers, and
// that a dense real polynomial's value at the exact conjugate of an earlier
// point is the conjugate of the value there.
void evaluateAll(fpComplex* a, int n, fpComplex const* points, fpComplex* values, int count);

// Certified inclusion disks on coefficients (degree n) about roots, from the
// values computed there by Evaluate or evaluateAll at the working precision;
// true when they are pairwise disjoint, so that each holds exactly one root.
bool inclusionRadii(std::vector<fp>& radii, fpComplex* coefficients, int n, fpComplex const* roots,
                    fpComplex const* values);

// What is certain about roots found for a polynomial, in the order of the roots.
struct RootCertainty {
    std::vector<fp> radii;            // a disk of radius k about root k holds a root; -1 when unknown
    std::vector<int> clusters;        // 1, 2, ...: roots whose disks connect share a number
    std::vector<int> certainFigures;  // k: radius k <= 10^-k |each non-zero part of root k|
                                      // (all shown for an exact root)
    bool allCertain(int shown) const;
};

// The certainty of roots (n of them, with the values of coefficients there) on
// coefficients, degree n, for shownFigures figures shown: the inclusion disks,
// and for every cluster of m connected disks the disk about their mean that
// holds its m roots. With settle the roots are changed where the disks allow:
// each root of a cluster becomes the mean (a part within the cluster's radius
// cleared to 0), a root of a real polynomial whose disk proves it real loses
// its imaginary part, and the smaller part of any other root, when it lies
// within its radius, is cleared (the radius grows by it); values follow, and
// the order is that of orderRoots. radii: inclusionRadii's for these
// coefficients, roots and values when the caller has them (findPolyRoots'
// record), so that they are not formed again.
void certifyRoots(RootCertainty& out, fpComplex* coefficients, int n, fpComplex* roots, fpComplex* values,
                  int shownFigures, bool settle, std::vector<fp> const* radii = nullptr);

}  // namespace korvel

namespace korvel::detail {

using dcomplex = std::complex<double>;

// A polynomial with what the low-precision work needs beside its coefficients:
// the indices of its nonzero coefficients and log2 of their moduli.
struct Poly {
    fpComplex const* a = nullptr;  // a[k] is the coefficient of x^k; a[n] != 0
    i32 n = 0;
    std::vector<i32> terms;        // k with a[k] != 0, ascending
    std::vector<double> logAbs;    // log2 |a[k]| for k in terms, same order
    bool sparse = false;           // few enough terms for evaluation by powers
};
Poly makePoly(fpComplex const* a, i32 n);

// ---- the caller's control -----------------------------------------------------------
// Makes control the one that searchCancelled and reportProgress consult on this
// thread until the guard ends.
class ScopedSearchControl {
public:
    explicit ScopedSearchControl(RootSearchControl const& control);
    ~ScopedSearchControl();
    ScopedSearchControl(ScopedSearchControl const&) = delete;
    ScopedSearchControl& operator=(ScopedSearchControl const&) = delete;

private:
    RootSearchControl const* outer_;
};
// True when the caller of the search on this thread asked it to stop; the
// loops of every search ask between iterations.
bool searchCancelled();
// Tells the caller of the search on this thread that found roots of n are
// found; nothing once it has cancelled.
void reportProgress(int found, int n);
// The threads the search on this thread may use (1 outside a search).
int searchThreads();
// Whether the staged search on this thread falls back to the full-precision
// search where its approximations settle together (RootSearchControl::fallBack).
bool searchFallsBack();
// Whether the polynomial of the search on this thread is known to have no
// repeated root (RootSearchControl::squareFree).
bool searchSquareFree();
// The approximations the staged search on this thread may start from, and
// their words (RootSearchControl::starts); nullptr for none.
std::vector<fpComplex> const* searchStarts(i32& words);
// The control for the other threads that share the work of the search on
// this thread: its cancel flag, no progress, one thread each.
RootSearchControl workerControl();

// ---- fp and doubles (doubles.cpp; exact where said) ---------------------------------
double log2Abs(fp const& x);                 // log2 |x|; -inf for zero
double log2Abs(fpComplex const& z);          // log2 |z|; -inf for zero
double scaledDouble(fp const& x, i64 s);     // x * 2^-s rounded to double (0 or inf outside)
void fromDouble(fp& r, double d, i64 s);     // r = d * 2^s exactly
// log2 of sum over the terms of |a_k| 2^(k lz): the scale of p's rounding at |z| = 2^lz.
double log2Magnitude(Poly const& p, double lz);
// log2 |x - y| from the subtraction at blockPrec + 2 words, with log2Abs's
// error: a caller that needs a bound widens it by its own slack, up or down.
double log2Difference(fpComplex const& x, fpComplex const& y);
// The radius 2^lr for a finite lr, rounded up (the factor 1 + 2^-30 covers
// exp2's rounding); 0 for lr = -inf and -1 (no bound) for +inf or NaN.
fp radiusOf(double lr);

// The unit roundoff of doubles: a rounding to nearest errs by at most this, relative.
inline constexpr double unitRoundoff = 0x1p-53;
// Widening of a log2 bound for the roundings of log2 arithmetic in doubles
// (relative 2^-40 of the bound).
inline constexpr double log2Slack = 1e-9;
// log2 (2^a + 2^b), rounded up by log2Slack; -inf stands for 0.
inline double log2Sum(double a, double b) {
    if (a == -std::numeric_limits<double>::infinity()) return b;
    if (b == -std::numeric_limits<double>::infinity()) return a;
    double const hi = std::max(a, b), lo = std::min(a, b);
    return hi + std::log2(1 + std::exp2(lo - hi)) + log2Slack;
}

// Bits carried by a result of B words: the top word may hold a single bit.
inline double bitsOf(i32 words) { return 32.0 * (words - 1) + 1; }
// Words that carry `bits` bits, and one to spare.
inline i32 wordsFor(double bits) { return i32(std::ceil(bits / 32)) + 1; }
// log2 of a bound on |p(z)| from v, p's value computed at z, and log2 of a bound
// on that evaluation's rounding: log2 (|v| + bound) <= log2 of the larger + 1.
inline double log2ValueBound(fpComplex const& v, double log2Rounding) {
    return std::max(log2Abs(v), log2Rounding) + 1;
}
// log2 of a bound on the rounding of an evaluation of p in `bits`-bit arithmetic,
// as a multiple of log2Magnitude: Horner's rule (or its sparse form by powers)
// commits at most about 4(n + 1) complex roundings of relative size 2^-bits
// per unit of the magnitude; 8(n + 2) leaves room for the coefficients' own:
// read from text at this precision, each is within two roundings of the value
// typed (a correctly rounded decimal, or a quotient of two), so the disks hold
// the roots of the polynomial as typed, not only of the one held.
double log2RoundingFactor(i32 n, double bits);

// ---- stage 1 ---------------------------------------------------------------------------
// Starting points on circles fitted to the Newton polygon of log2 |a_k|, in
// doubles scaled by 2^-s or in doubles with a separate exponent (roots/wide.h).
struct WideComplex;
std::vector<dcomplex> startingPoints(Poly const& p, i64 s);
// Told after each sweep of how many approximations have settled, for progress.
using SettledCount = std::function<void(std::size_t settled)>;
std::vector<WideComplex> startingPointsWide(Poly const& p);
// Aberth iteration in double on p(2^s y) / 2^e; y holds the starts and gets the
// approximations (scaled by 2^-s); log2Value gets log2 of a bound on |p| at
// each 2^s y. False when the coefficients do not fit doubles at this scaling.
bool aberthDouble(Poly const& p, i64 s, std::vector<dcomplex>& y, std::vector<double>& log2Value,
                  SettledCount const& settled = {});
// The same for any range of coefficients and roots, in doubles with a separate
// exponent, on p itself.
void aberthWide(Poly const& p, std::vector<WideComplex>& z, std::vector<double>& log2Value,
                SettledCount const& settled = {});
// Aberth iteration in fp at blockPrec from the approximations z, those marked
// in `frozen` kept as they are (their log2Value too); true when every other
// one settled (|p| there within the evaluation's rounding). last: no pass at
// more precision follows, and the sweeps run longer.
bool aberthFp(Poly const& p, std::vector<fpComplex>& z, std::vector<double>& log2Value, std::vector<char> frozen,
              bool last, SettledCount const& settled = {});

// The same pass through the secular equation on the approximations as nodes
// (secular.cpp): Aberth's steps in doubles (scaled, or with a separate
// exponent), each converged offset then taken to about 90 bits by a Newton step
// in double-doubles, p itself evaluated at blockPrec only where a node moved;
// settled reports after each regeneration. True when every approximation
// not frozen settled (log2Value then bounds |p| at every approximation, the
// frozen ones' formed again at blockPrec); false when the regenerations ran
// out, the approximations then where the last one left them, for aberthFp to
// go on from.
bool secularFp(Poly const& p, std::vector<fpComplex>& z, std::vector<double>& log2Value,
               std::vector<char> const& frozen, SettledCount const& settled = {});

// ---- evaluation (evaluate.cpp) ---------------------------------------------------------
// True when every coefficient a[0 .. n] is real.
bool realPolynomial(fpComplex const* a, i32 n);
// v = p(z), d = p'(z) at blockPrec (d only when wanted): Horner's rule
// (roots/horner.h), or its sparse form by powers when p.sparse.
void evaluate(Poly const& p, fpComplex const& z, fpComplex& v, fpComplex* d);
// v = p(z), log2 |p'(z)| and, unless v or p'(z) is 0 (false), Newton's step
// v / p'(z): for a sparse p from z p'(z), whose gaps need z^g alone.
bool newtonStep(Poly const& p, fpComplex const& z, fpComplex& v, fpComplex& step, double& log2Derivative);

// ---- stage 2 ---------------------------------------------------------------------------
// Where the last evaluation at blockPrec of a refinement was: its point, log2
// of a bound on |p| there, log2 of the step taken from it (-inf for none) and
// log2 of the root's condition |a|(|z|) / (|z| |p'(z)|).
struct Refined {
    fpComplex center;
    double log2Value = 0, log2Step = 0, log2Condition = 0;
};
// Newton's method from z, good to about `bits` bits, with the precision doubling
// up to blockPrec; ends at the roundoff bound or when z is good to blockPrec.
// `lost`: the bits the root's condition costs every evaluation, which each
// step's precision carries beside the bits it is to give.
void refine(Poly const& p, fpComplex& z, double bits, Refined& out, double lost = 0);

// ---- stage 3 ---------------------------------------------------------------------------
// The roots as doubles scaled by 2^-s, each with a bound on its conversion error.
struct Scaled {
    i64 s = 0;
    std::vector<dcomplex> w;
    std::vector<double> err;
    std::vector<char> ok;  // normal doubles (or an exact zero)
    void set(std::size_t i, fpComplex const& x);  // point i becomes x, at this s
};
Scaled scale(std::span<fpComplex const> z);
// d = |z_i - z_j| 2^-s within a relative error eps, from the doubles when they
// carry it to about 20 bits; else false.
bool doubleDistance(Scaled const& r, std::size_t i, std::size_t j, double& d, double& eps);

// The pairs of points near one another: every pair (i < j) of points scaled as
// in r whose real parts differ by at most `reach` goes to visit(i, j), until
// one returns false (then false). Sorted by real part, so that points spread
// over the plane cost O(n log n) and not n^2.
template <class Visit>
bool visitNearPairs(Scaled const& r, double reach, Visit visit) {
    std::size_t const n = r.w.size();
    std::vector<std::size_t> byReal(n);
    for (std::size_t i = 0; i < n; ++i) byReal[i] = i;
    std::sort(byReal.begin(), byReal.end(),
              [&](std::size_t i, std::size_t j) { return r.w[i].real() < r.w[j].real(); });
    for (std::size_t a = 0; a < n; ++a)
        for (std::size_t b = a + 1; b < n; ++b) {
            std::size_t const i = byReal[a], j = byReal[b];
            if (r.w[j].real() - r.w[i].real() > reach) break;
            if (!visit(std::min(i, j), std::max(i, j))) return false;
        }
    return true;
}
// The reach (scaled as in r) beyond which the real parts alone, less the
// doubles' conversion errors (or 2^-990 for a double that underflowed), put
// two points further apart than twice the largest radius 2^log2Radius, with
// room for every bound of a distance taken here; infinite for an unknown radius.
double pairReach(Scaled const& r, std::vector<double> const& log2Radius);

// The centers of a set of disks in the forms their distances are taken from:
// scaled doubles, and doubles with a separate exponent for the pairs those
// cannot hold. Made once for the radii of the disks and the test of them.
struct DiskCenters {
    std::span<fpComplex const> z;
    Scaled scaled;
    std::vector<WideComplex> wide;
    explicit DiskCenters(std::span<fpComplex const> centers);
    ~DiskCenters();
    DiskCenters(DiskCenters const&) = delete;
    DiskCenters& operator=(DiskCenters const&) = delete;
};

// log2 of the inclusion radius n |p(z_i)| / |a_n prod_{j != i} (z_i - z_j)| of
// every z_i, from log2 bounds on |p(z_i)|, as upper bounds; for a sparse p of
// high degree, Newton's n |p(z_i)| / |p'(z_i)| instead where those disks are
// disjoint (each holds a root, so each holds exactly one, and any m of them
// hold m), one evaluation a root in place of n products.
void diskRadii(Poly const& p, DiskCenters const& z, std::vector<double> const& log2Value,
               std::vector<double>& log2Radius);
// log2 of a lower bound on prod_{j != i} |z_i - z_j| for every i: the
// denominators of diskRadii, and near the roots |p'(z_i)| / |a_n|.
void log2DistanceProducts(DiskCenters const& z, std::vector<double>& log2Product);
// True when the disks about z of radii 2^log2Radius are pairwise disjoint.
bool disjointDisks(DiskCenters const& z, std::vector<double> const& log2Radius);
// 1 for each disk that meets no other but those over 2^20 times larger (about
// approximations not yet near their roots), 0 for the rest.
std::vector<char> apartFromPeers(DiskCenters const& z, std::vector<double> const& log2Radius);
// For disjoint disks about z (each holding one root) of a real polynomial:
// partner[k] = j when the mirror image of disk k meets disk j and no other,
// so that disk j holds the conjugate of disk k's root (j = k: a real root);
// noPartner where the mirror image may meet more than one disk.
inline constexpr std::size_t noPartner = std::size_t(-1);
std::vector<std::size_t> mirrorPartners(std::vector<fpComplex> const& z, std::vector<double> const& log2Radius);
// Both: the radii, and true when the disks are disjoint.
inline bool inclusionDisks(Poly const& p, DiskCenters const& z, std::vector<double> const& log2Value,
                           std::vector<double>& log2Radius) {
    diskRadii(p, z, log2Value, log2Radius);
    return disjointDisks(z, log2Radius);
}

// ---- order ----------------------------------------------------------------------------
// The order of orderRoots as a permutation: position k takes root order[k].
std::vector<std::size_t> rootOrder(fpComplex const* r, int n);
// roots and values rearranged together: position k takes what stood at order[k].
void permute(fpComplex* roots, fpComplex* values, std::vector<std::size_t> const& order);

// ---- before certification ----------------------------------------------------------
// c = the mean of the roots at `members` (a cluster), at the working precision.
void meanOf(fpComplex& c, fpComplex const* roots, std::vector<std::size_t> const& members);
// z refined by Newton's method on a (degree n, a[n] != 0) at the working
// precision, each step at that precision (z may be better than it looks).
void polishSimple(fpComplex const* a, i32 n, fpComplex& z);
// The roots at `members` (a cluster) replaced by as many points on a circle about
// the root of a's derivative of order m - 1 inside the cluster, its radius the one
// that gives the smallest disks on a; values follow.
void polishCluster(fpComplex* a, i32 n, fpComplex* roots, fpComplex* values,
                   std::vector<std::size_t> const& members);

}  // namespace korvel::detail
