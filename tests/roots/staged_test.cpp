// The staged search beside the full-precision one: the same roots, each at
// least as close to the truth; certified disks that hold the roots; the
// fallback on multiple roots and clusters; stage 1 in doubles with a separate
// exponent against fp.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <numbers>
#include <random>
#include <string>
#include <tuple>
#include <vector>

#include "../support/mpc_bridge.h"
#include "roots/search.h"
#include "roots/wide.h"
#include "roots_support.h"

namespace korvel {
namespace {

using testing::distance;
using testing::expand;
using testing::fromRoots;
using testing::match;
using testing::solve;
using testing::sparse;
using testing::wilkinsonRoots;

struct Case {
    std::string name;
    std::vector<fpComplex> coefficients;
    int figures;
    // The full-precision search takes seconds on the sparse cases of high degree;
    // there the staged roots are held to two units in the last place instead,
    // closer than any search at that precision can be by more than the rounding.
    bool againstFull = true;
    // Coefficients beyond one scaling of doubles: stage 1 stands in doubles
    // with a separate exponent, at 53 bits, in one round.
    bool wideRange = false;
};

// Mandelbrot's p_k: p_0 = 1, p_{k+1} = x p_k^2 + 1, exactly. Most of its roots
// lose more bits to their condition than doubles carry (p_7: up to 158).
std::vector<fpComplex> mandelbrot(int k) {
    ScopedBlockPrec exact(40);
    std::vector<fpComplex> p{fpComplex(1.0)};
    for (int step = 0; step < k; ++step) {
        std::vector<fpComplex> next(2 * p.size());
        next[0] = 1.0;
        for (std::size_t i = 0; i < p.size(); ++i)
            for (std::size_t j = 0; j < p.size(); ++j) next[i + j + 1] += p[i] * p[j];
        p = std::move(next);
    }
    return p;
}

// True when one of the certified disks about roots (radius -1: none) holds root.
bool someDiskHolds(std::vector<fpComplex> const& roots, std::vector<fp> const& radii, fpComplex const& root) {
    for (std::size_t k = 0; k < roots.size(); ++k)
        if (!(radii[k] < 0.0) && distance(roots[k], root) <= radii[k]) return true;
    return false;
}

std::vector<Case> hardCases() {
    std::vector<std::pair<double, double>> circle;
    for (int k = 0; k < 24; ++k) {
        double const t = 2 * std::numbers::pi * (k + 0.5) / 24;
        circle.emplace_back(1.5 * std::cos(t), 1.5 * std::sin(t));
    }
    return {
        {"Wilkinson 20", expand(wilkinsonRoots()), 16},
        {"Wilkinson 20", expand(wilkinsonRoots()), 64},
        {"x^64 + 1", sparse({{0, "1"}, {64, "1"}}), 16, false},
        {"x^100 - 1", sparse({{0, "-1"}, {100, "1"}}), 16, false},
        {"24 roots on a circle", fromRoots(circle), 16},
        {"1 + x^37 - x^41 + x^100", sparse({{0, "1"}, {37, "1"}, {41, "-1"}, {100, "1"}}), 16, false},
        {"(x - 1)^5", fromRoots({{1, 0}, {1, 0}, {1, 0}, {1, 0}, {1, 0}}), 16},
        {"decimal coefficients", sparse({{0, "-2.9"}, {1, "0.7"}, {3, "-1.3"}, {4, "0.1"}, {5, "3.7"}}), 32},
        {"zero constant term", fromRoots({{0, 0}, {0, 0}, {3, 0}, {-0.5, 0}, {0, 1.5}, {0, -1.5}}), 64},
        {"constant term 1e25", sparse({{0, "-1e25"}, {1, "3"}, {4, "1"}}), 32},
        {"known roots",
         fromRoots({{0.5, 0}, {-2, 0.25}, {3.125, -1}, {-0.75, 0}, {1, 1}, {0, -4}, {6, 2}, {-5, -5}}), 64},
        {"x^60 - 1e300 x^30 + 1", sparse({{0, "1"}, {30, "-1e300"}, {60, "1"}}), 16, false, true},
        {"roots near 1e-400, 1, 1e400", sparse({{0, "-1"}, {1, "1e400"}, {2, "-1e400"}, {3, "1"}}), 32, false, true},
        {"x^20 - 1e-700 + 1e-1400 x^3", sparse({{0, "-1e-700"}, {3, "1e-1400"}, {20, "1"}}), 64, false, true},
        {"Mandelbrot p_7", mandelbrot(7), 64},
    };
}

TEST(StagedSearch, EveryRootAtLeastAsCloseAsTheFullPrecisionOne) {
    for (auto const& c : hardCases()) {
        std::string const what = c.name + " at " + std::to_string(c.figures);
        RootSearchRecord record, truthRecord;
        auto const full = c.againstFull ? solve(c.coefficients, c.figures, false, RootSearch::fullPrecision)
                                        : testing::Found{{}, {}, true};
        auto const staged = solve(c.coefficients, c.figures, false, RootSearch::staged, &record);
        auto const truth = solve(c.coefficients, 2 * c.figures, false, RootSearch::staged, &truthRecord);
        ASSERT_TRUE(full.ok && staged.ok && truth.ok) << what;
        if (c.wideRange) {
            EXPECT_EQ(record.ran, RootSearch::staged) << what;
            EXPECT_EQ(record.rounds, 1) << what;
            EXPECT_EQ(record.stage1Bits, 53) << what;
        }
        auto const s = match(truth.roots, staged.roots);
        auto const f = c.againstFull ? match(truth.roots, full.roots) : s;
        for (std::size_t k = 0; k < truth.roots.size(); ++k) {
            // Two units in the last place of the working precision, of which the
            // top word may hold a single bit.
            fp ulps = abs(truth.roots[k]);
            if (ulps < 1.0) ulps = 1.0;
            ulps = ulps * power2(-i32(32 * wordsForFigures(c.figures) - 33));
            fp const bound = c.againstFull ? distance(full.roots[f[k]], truth.roots[k]) + ulps : ulps;
            EXPECT_LE(distance(staged.roots[s[k]], truth.roots[k]), bound) << what << ": root " << k;
        }
    }
}

TEST(StagedSearch, CertifiedDisksHoldTheRoots) {
    int checked = 0;
    for (auto const& c : hardCases()) {
        std::string const what = c.name + " at " + std::to_string(c.figures);
        RootSearchRecord record, truthRecord;
        auto const staged = solve(c.coefficients, c.figures, false, RootSearch::staged, &record);
        auto const truth = solve(c.coefficients, 3 * c.figures, false, RootSearch::staged, &truthRecord);
        ASSERT_EQ(record.radii.size(), staged.roots.size()) << what;
        if (!record.isolated) continue;  // multiple roots: no disjoint disks to check
        EXPECT_EQ(record.ran, RootSearch::staged) << what;
        auto const t = match(staged.roots, truth.roots);
        for (std::size_t k = 0; k < staged.roots.size(); ++k) {
            ASSERT_GE(record.radii[k], fp(0.0)) << what;
            EXPECT_LE(distance(staged.roots[k], truth.roots[t[k]]), record.radii[k] + truthRecord.radii[t[k]])
                << what << ": root " << k;
        }
        ++checked;
    }
    EXPECT_GE(checked, 5) << "most cases have disjoint disks to check";
}

// x^n - a by powers over its zero coefficients, from starts on its roots: every
// certified disk holds its own one of the exact roots a^(1/n) e^(2 pi i k / n)
// (from MPC at four times the precision), and vouches for `vouched` figures:
// all those carried, less the rounding bound's n^2 at degree 5000.
TEST(StagedSearch, BinomialDisksHoldTheExactRoots) {
    struct Binomial {
        unsigned n;
        fpComplex a;
        int figures, vouched;
    } const cases[] = {
        {16, fpComplex(1.0), 1000, 1000},
        {64, fpComplex(-1.0), 1000, 1000},
        {5, fpComplex("1e30"), 1000, 1000},
        {40, fpComplex(3.0, 4.0), 64, 64},
        {100, fpComplex(2.0), 256, 256},
        {1000, fpComplex(0.0, -0.5), 32, 32},
        {5000, fpComplex(-2.0, 1.0), 20, 12},  // Newton's disks, beyond the degree of pairwise products
    };
    for (auto const& c : cases) {
        std::string const what = "x^" + std::to_string(c.n) + " - " + toString(c.a, 6) + " at " +
                                 std::to_string(c.figures);
        std::vector<fpComplex> coefficients(c.n + 1);
        coefficients[0] = -c.a;
        coefficients[c.n] = 1.0;
        RootSearchRecord record;
        auto const found = solve(coefficients, c.figures, false, RootSearch::staged, &record);
        ASSERT_TRUE(found.ok && record.isolated) << what;
        EXPECT_EQ(record.ran, RootSearch::staged) << what;
        mpfr_prec_t const bits = 4 * 32 * (wordsForFigures(c.figures) + 2);
        testing::Mpc principal(bits), unity(bits), root(bits), z(bits);
        testing::Mpfr inverse(bits), gap(bits), radius(bits), figure(bits);
        testing::toMpc(principal, c.a);
        mpfr_set_ui(inverse, c.n, MPFR_RNDN);
        mpfr_ui_div(inverse, 1, inverse, MPFR_RNDN);
        mpc_pow_fr(principal, principal, inverse, MPC_RNDNN);
        std::vector<char> taken(c.n, 0);
        for (std::size_t k = 0; k < found.roots.size(); ++k) {
            testing::toMpc(z, found.roots[k]);
            // The exact root nearest z: its index from the angle of z / a^(1/n).
            mpc_div(root, z, principal, MPC_RNDNN);
            mpc_arg(gap, root, MPFR_RNDN);
            double const turn = mpfr_get_d(gap, MPFR_RNDN) / (2 * std::numbers::pi);
            unsigned const j = unsigned(std::lround(turn * c.n + c.n)) % c.n;
            EXPECT_FALSE(taken[j]) << what << ": root " << k;
            taken[j] = 1;
            mpc_rootofunity(unity, c.n, j, MPC_RNDNN);
            mpc_mul(root, principal, unity, MPC_RNDNN);
            mpc_sub(root, z, root, MPC_RNDNN);
            mpc_abs(gap, root, MPFR_RNDU);
            testing::toMpfr(radius, record.radii[k]);
            EXPECT_LE(mpfr_cmp(gap, radius), 0) << what << ": root " << k;
            // radius <= 10^-vouched |z|
            mpc_abs(figure, z, MPFR_RNDD);
            mpfr_log2(figure, figure, MPFR_RNDD);
            mpfr_log2(radius, radius, MPFR_RNDU);
            EXPECT_LE(mpfr_get_d(radius, MPFR_RNDU), mpfr_get_d(figure, MPFR_RNDD) - c.vouched * std::log2(10.0))
                << what << ": root " << k;
        }
    }
}

TEST(StagedSearch, MultipleRootsAndClustersFallBack) {
    struct Fallback {
        char const* name;
        std::vector<std::pair<double, double>> roots;
        int figures;
    } const cases[] = {
        {"(x - 1)^5", {{1, 0}, {1, 0}, {1, 0}, {1, 0}, {1, 0}}, 16},
        {"(x^2 + 1)^3", {{0, 1}, {0, 1}, {0, 1}, {0, -1}, {0, -1}, {0, -1}}, 64},
        {"(x - 1)^4 (x + 2)", {{1, 0}, {1, 0}, {1, 0}, {1, 0}, {-2, 0}}, 32},
        {"two roots 2^-40 apart", {{1, 0}, {1 + std::ldexp(1.0, -40), 0}, {-2, 0}}, 16},
    };
    for (auto const& c : cases) {
        std::vector<fpComplex> coefficients = fromRoots(c.roots);
        RootSearchRecord record;
        auto const staged = solve(coefficients, c.figures, false, RootSearch::staged, &record);
        auto const full = solve(coefficients, c.figures, false, RootSearch::fullPrecision);
        EXPECT_EQ(record.ran, RootSearch::fullPrecision) << c.name;
        EXPECT_FALSE(record.isolated) << c.name;
        EXPECT_GE(record.rounds, 2) << c.name << ": more precision was tried first";
        for (std::size_t k = 0; k < staged.roots.size(); ++k)
            EXPECT_TRUE(staged.roots[k] == full.roots[k]) << c.name << ": the fallback is the full-precision search";

        // Told not to fall back, the search gives the approximations as they
        // settled, and their disks hold every root.
        ScopedBlockPrec precision(wordsForFigures(c.figures));
        std::size_t const n = c.roots.size();
        std::vector<fpComplex> roots(n), values(n);
        fpComplex *r = roots.data(), *v = values.data(), *a = coefficients.data();
        RootSearchControl settled;
        settled.fallBack = false;
        ASSERT_TRUE(findPolyRoots(r, v, a, int(n), false, defaultConfirmFigures, RootSearch::staged, &record, settled))
            << c.name;
        EXPECT_EQ(record.ran, RootSearch::staged) << c.name;
        for (auto const& [re, im] : c.roots)
            EXPECT_TRUE(someDiskHolds(roots, record.radii, fpComplex(re, im)))
                << c.name << ": the root " << re << " + " << im << "i";
    }
    // Wilkinson's roots are not separated in doubles, but are at 128 bits.
    RootSearchRecord record;
    solve(expand(wilkinsonRoots()), 64, false, RootSearch::staged, &record);
    EXPECT_EQ(record.ran, RootSearch::staged);
    EXPECT_GE(record.rounds, 2);
    EXPECT_TRUE(record.isolated);

    // Mandelbrot p_7's roots have conditions up to 10^48: at 20 figures they
    // settle with disks that meet. Known to have no repeated root, the search
    // gives them even with the fallback, and their disks hold the roots; so it
    // does at 6 and 8 figures, below the doubles' precision.
    std::vector<fpComplex> a = mandelbrot(7);
    int const n = int(a.size()) - 1;
    auto const truth = solve(a, 64, false, RootSearch::staged);
    for (auto const& [figures, squareFree] : {std::pair{20, false}, std::pair{20, true}, std::pair{8, true},
                                             std::pair{6, true}}) {
        ScopedBlockPrec precision(wordsForFigures(figures));
        std::vector<fpComplex> roots(static_cast<std::size_t>(n)), values(static_cast<std::size_t>(n));
        fpComplex *r = roots.data(), *v = values.data(), *c = a.data();
        RootSearchControl control;
        control.squareFree = squareFree;
        ASSERT_TRUE(findPolyRoots(r, v, c, n, false, defaultConfirmFigures, RootSearch::staged, &record, control));
        EXPECT_FALSE(record.isolated);
        EXPECT_EQ(record.ran, squareFree ? RootSearch::staged : RootSearch::fullPrecision) << figures;
        if (!squareFree) continue;
        for (auto const& root : truth.roots)
            EXPECT_TRUE(someDiskHolds(roots, record.radii, root)) << figures << ": the root " << root;
    }
}

// A search that goes on from the approximations of one at fewer figures (with
// the fallback off, as the rounds of findRoots do) separates the roots as a
// search from doubles does: the same roots, within the certified radii.
TEST(StagedSearch, GoingOnFromFewerFiguresFindsTheSameRoots) {
    std::vector<fpComplex> pair;
    {
        ScopedBlockPrec exact(40);
        pair = expand({fpComplex(0.5), fpComplex(0.5) + fpComplex("1e-30"), fpComplex(-2, 1), fpComplex(-2, -1)});
    }
    for (auto const& [name, coefficients, fewer, figures] :
         {std::tuple{"Mandelbrot p_7", mandelbrot(7), 20, 64}, std::tuple{"two roots 1e-30 apart", pair, 40, 80}}) {
        std::size_t const n = coefficients.size() - 1;
        std::vector<fpComplex> a = coefficients, starts(n), values(n);
        RootSearchControl settled;
        settled.fallBack = false;
        {
            ScopedBlockPrec precision(wordsForFigures(fewer));
            fpComplex *r = starts.data(), *v = values.data(), *c = a.data();
            ASSERT_TRUE(findPolyRoots(r, v, c, int(n), false, defaultConfirmFigures, RootSearch::staged, nullptr,
                                      settled))
                << name;
        }
        settled.starts = &starts;
        settled.startWords = wordsForFigures(fewer);
        ScopedBlockPrec precision(wordsForFigures(figures));
        std::vector<fpComplex> roots(n);
        fpComplex *r = roots.data(), *v = values.data(), *c = a.data();
        RootSearchRecord record, fresh;
        ASSERT_TRUE(findPolyRoots(r, v, c, int(n), false, defaultConfirmFigures, RootSearch::staged, &record, settled))
            << name;
        auto const truth = solve(coefficients, figures, false, RootSearch::staged, &fresh);
        ASSERT_TRUE(record.isolated && fresh.isolated) << name;
        EXPECT_EQ(record.ran, RootSearch::staged) << name;
        auto const t = match(roots, truth.roots);
        for (std::size_t k = 0; k < n; ++k)
            EXPECT_LE(distance(roots[k], truth.roots[t[k]]), record.radii[k] + fresh.radii[t[k]]) << name << " " << k;
    }
}

// On a real polynomial the staged search puts the real roots on the axis
// itself (without the clean-up, which would clear small parts anyway): every
// root that is real comes out with an imaginary part of exactly zero, every
// other one without and beside its exact conjugate, whose value is the
// conjugate of its own; each as close as the full-precision search's.
TEST(StagedSearch, RealRootsComeOutReal) {
    std::vector<std::pair<double, double>> mixed{{0.5, 0}, {-2, 0},  {3, 0},  {0, 1},
                                                 {0, -1},  {1, 2},   {1, -2}, {-0.25, 0}};
    std::vector<std::pair<double, double>> nearPair{{1, 0},     {1 + std::ldexp(1.0, -20), 0},
                                                    {-1, 0.5},  {-1, -0.5},
                                                    {0.5, 3},   {0.5, -3},
                                                    {-2, 0.25}, {-2, -0.25}};
    std::vector<std::pair<double, double>> wilkinson;
    for (int k = 1; k <= 20; ++k) wilkinson.emplace_back(k, 0);
    for (auto const& [name, roots, figures] : {std::tuple{"Wilkinson 20", wilkinson, 32},
                                               std::tuple{"real and complex", mixed, 64},
                                               std::tuple{"two real roots 2^-20 apart", nearPair, 32}}) {
        std::vector<fpComplex> const a = fromRoots(roots);
        RootSearchRecord record;
        auto const staged = solve(a, figures, false, RootSearch::staged, &record);
        auto const full = solve(a, figures, false, RootSearch::fullPrecision);
        ASSERT_TRUE(staged.ok && full.ok && record.isolated) << name;
        std::vector<fpComplex> exact;
        for (auto const& [re, im] : roots) exact.emplace_back(re, im);
        auto const s = match(exact, staged.roots);
        auto const f = match(exact, full.roots);
        for (std::size_t k = 0; k < exact.size(); ++k) {
            EXPECT_EQ(!staged.roots[s[k]].im, !exact[k].im) << name << ": root " << k;
            fp ulps = abs(exact[k]) * power2(-i32(32 * wordsForFigures(figures) - 33));
            EXPECT_LE(distance(staged.roots[s[k]], exact[k]), distance(full.roots[f[k]], exact[k]) + ulps)
                << name << ": root " << k;
        }
        for (std::size_t k = 0; k < staged.roots.size(); ++k) {
            if (!staged.roots[k].im) continue;
            std::size_t const j = std::size_t(
                std::find(staged.roots.begin(), staged.roots.end(), conj(staged.roots[k])) - staged.roots.begin());
            ASSERT_LT(j, staged.roots.size()) << name << ": the conjugate of root " << k;
            EXPECT_TRUE(staged.values[j] == conj(staged.values[k])) << name << ": value at root " << k;
        }
    }
}

// The approximations stage 1 gives in doubles, at one scaling, with bounds
// on |p| there in log2Value; empty when the coefficients do not fit doubles.
std::vector<fpComplex> approximationsInDoubles(detail::Poly const& p, std::vector<double>& log2Value) {
    std::size_t const n = std::size_t(p.n);
    i64 const s = std::llround((p.logAbs.front() - p.logAbs.back()) / double(n));
    std::vector<detail::dcomplex> y = detail::startingPoints(p, s);
    log2Value.assign(n, 0);
    if (!detail::aberthDouble(p, s, y, log2Value)) return {};
    std::vector<fpComplex> z(n);
    for (std::size_t k = 0; k < n; ++k) {
        detail::fromDouble(z[k].re, y[k].real(), s);
        detail::fromDouble(z[k].im, y[k].imag(), s);
    }
    return z;
}

// One fp pass through the secular equation and one of aberthFp, from the same
// approximations in doubles: both settle, the frozen approximations (the well
// separated roots on the circle, good in doubles) stay where they were, on a
// real polynomial most of the others come out as exact conjugate pairs, and
// the two passes find the same roots: matched, each root's two approximations
// lie within the sum of their disks' radii.
TEST(StagedSearch, SecularPassFindsTheRootsAberthFinds) {
    std::vector<fpComplex> cluster;  // four roots 1e-20 apart at 1, beside 30 on a circle
    {
        ScopedBlockPrec exact(40);
        for (int k = 0; k < 4; ++k) cluster.push_back(fpComplex(1.0) + fpComplex("1e-20") * fpComplex(double(k)));
        for (int k = 0; k < 30; ++k)
            cluster.emplace_back(2 * std::cos(2 * std::numbers::pi * (k + 0.5) / 30),
                                 2 * std::sin(2 * std::numbers::pi * (k + 0.5) / 30));
        cluster = expand(cluster);
    }
    for (auto const& [name, a, words] : {std::tuple{"Mandelbrot p_6", mandelbrot(6), 9},
                                         std::tuple{"Mandelbrot p_7", mandelbrot(7), 9},
                                         std::tuple{"a cluster 1e-20 wide", cluster, 12}}) {
        ScopedBlockPrec precision(words);
        std::size_t const n = a.size() - 1;
        detail::Poly const p = detail::makePoly(a.data(), i32(n));
        std::vector<double> lv;
        std::vector<fpComplex> const starts = approximationsInDoubles(p, lv);
        ASSERT_EQ(starts.size(), n) << name;
        std::vector<char> frozen(n, 0);
        for (std::size_t k = 0; k < n; ++k) frozen[k] = n == 34 && distance(starts[k], fpComplex(1.0)) > 0.5;
        std::vector<fpComplex> secular = starts, aberth = starts;
        std::vector<double> ls = lv, la = lv, rs, ra;
        ASSERT_TRUE(detail::secularFp(p, secular, ls, frozen)) << name;
        ASSERT_TRUE(detail::aberthFp(p, aberth, la, frozen, true)) << name;
        for (std::size_t k = 0; k < n; ++k) {
            if (frozen[k]) {
                EXPECT_TRUE(secular[k] == starts[k]) << name << ": frozen " << k;
            }
        }
        std::size_t mirrored = 0;
        for (auto const& x : secular) mirrored += !!x.im && std::find(secular.begin(), secular.end(), conj(x)) != secular.end();
        if (n != 34) {  // none frozen: most of them pair off as exact conjugates
            EXPECT_GE(2 * mirrored, n) << name << ": approximations in exact conjugate pairs";
        }
        detail::diskRadii(p, detail::DiskCenters(secular), ls, rs);
        detail::diskRadii(p, detail::DiskCenters(aberth), la, ra);
        auto const m = match(aberth, secular);
        for (std::size_t k = 0; k < n; ++k)
            EXPECT_LE(distance(aberth[k], secular[m[k]]), detail::radiusOf(ra[k]) + detail::radiusOf(rs[m[k]]))
                << name << ": root " << k;
    }
}

// The secular pass from roots settled at 9 words to 33 words: each
// regeneration gains about 90 bits once the nodes are near their roots, twice
// what the offsets in doubles hold.
TEST(StagedSearch, SecularRegenerationsGainTwiceTheDoubles) {
    for (auto const& [name, a] : {std::pair{"Mandelbrot p_6", mandelbrot(6)}, std::pair{"Mandelbrot p_7", mandelbrot(7)}}) {
        std::size_t const n = a.size() - 1;
        std::vector<fpComplex> z;
        std::vector<double> lv;
        {
            ScopedBlockPrec precision(9);
            detail::Poly const p = detail::makePoly(a.data(), i32(n));
            z = approximationsInDoubles(p, lv);
            ASSERT_EQ(z.size(), n) << name;
            ASSERT_TRUE(detail::secularFp(p, z, lv, std::vector<char>(n, 0))) << name;
        }
        ScopedBlockPrec precision(33);
        detail::Poly const p = detail::makePoly(a.data(), i32(n));
        int regenerations = 0;
        ASSERT_TRUE(detail::secularFp(p, z, lv, std::vector<char>(n, 0), [&](std::size_t) { ++regenerations; }))
            << name;
        // 768 bits: about 9 regenerations at 90 bits, 18 at the doubles' 48.
        EXPECT_LE(regenerations, 12) << name;
    }
}

// Values by powers over runs of zero coefficients agree with Horner's rule,
// with and without a constant term, and with a zero leading coefficient.
TEST(StagedSearch, SparseValuesAgreeWithHorner) {
    ScopedBlockPrec precision(9);
    for (auto c : {sparse({{0, "3"}, {17, "-2.5"}, {40, "1"}}), sparse({{3, "1.5"}, {40, "-1"}}),
                   sparse({{0, "1"}, {5, "2"}, {39, "0"}, {40, "0"}})}) {
        int const n = int(c.size()) - 1;
        std::vector<fpComplex> x{fpComplex(0.9, 0.4), fpComplex(-1.05, 0.01)}, fast(2), horner(2);
        for (std::size_t k = 0; k < 2; ++k) {
            fpComplex* a = c.data();
            evaluateAll(a, n, &x[k], &fast[k], 1);
            Evaluate(a, n, x[k], horner[k]);
            EXPECT_GE(testing::agreeingDigits(fast[k], horner[k]), 70) << "degree " << n << " point " << k;
        }
    }
}

// Each operation in doubles with a separate exponent is within its stated
// roundings of the exact result (fp at 256 bits), over exponents far beyond
// doubles, with cancellation and with addends too small to count.
TEST(StagedSearch, WideArithmeticWithinItsBounds) {
    using detail::dcomplex;
    using detail::WideComplex;
    ScopedBlockPrec precision(9);
    std::mt19937_64 rng(26);
    std::uniform_real_distribution<double> part(-1, 1);
    std::uniform_int_distribution<int> exponent(-5000, 5000), near(-70, 70), coin(0, 5);
    auto random = [&](i64 e) {
        double const re = coin(rng) == 0 ? 0.0 : part(rng), im = coin(rng) == 0 ? 0.0 : part(rng);
        return WideComplex(dcomplex(re == 0 && im == 0 ? 0.5 : re, im), e);
    };
    auto exact = [](WideComplex const& w) {
        fpComplex r;
        detail::fromWide(r, w);
        return r;
    };
    struct Op {
        char const* name;
        double roundings;  // the bound, in units of 2^-53 of the exact result's modulus
        WideComplex (*op)(WideComplex const&, WideComplex const&);
        fpComplex (*reference)(fpComplex const&, fpComplex const&);
    } const ops[] = {
        {"x + y", 1.01, [](auto const& x, auto const& y) { return x + y; }, [](auto const& x, auto const& y) { return x + y; }},
        {"x - y", 1.01, [](auto const& x, auto const& y) { return x - y; }, [](auto const& x, auto const& y) { return x - y; }},
        {"x * y", 3, [](auto const& x, auto const& y) { return x * y; }, [](auto const& x, auto const& y) { return x * y; }},
        {"x / y", 8, [](auto const& x, auto const& y) { return x / y; }, [](auto const& x, auto const& y) { return x / y; }},
        {"1 / y", 4, [](auto const&, auto const& y) { return inverse(y); },
         [](auto const&, auto const& y) { return fpComplex(1.0) / y; }},
    };
    // Each op on 3000 pairs: exponents far apart or near, and one pair in
    // seven close to cancelling, within 2^bound(op) of the exact result's modulus.
    auto check = [&](auto const& table, auto make, auto toFp, auto nearly, auto bound) {
        for (auto const& op : table)
            for (int k = 0; k < 3000; ++k) {
                i64 const ex = exponent(rng);
                auto const y = make(k % 2 ? ex + near(rng) : exponent(rng));
                auto x = make(ex);
                if (k % 7 == 0) x = nearly(y, dcomplex(1 + 0x1p-30 * part(rng), 0x1p-40 * part(rng)));
                fpComplex const ours = toFp(op.op(x, y)), truth = op.reference(toFp(x), toFp(y));
                fpComplex const error = ours - truth;
                double const lt = detail::log2Abs(truth), le = detail::log2Abs(error);
                EXPECT_TRUE(le <= lt + bound(op) || (!error && !truth)) << op.name << " case " << k << ": " << le - lt;
            }
    };
    check(
        ops, random, exact, [](WideComplex const& y, dcomplex f) { return WideComplex(y.m * f, y.e); },
        [](Op const& op) { return std::log2(op.roundings) - 53; });

    // Double-doubles with a separate exponent, each operation within a few
    // units of 2^-104 of its result, on operands that use all their bits.
    using detail::WideDD;
    auto randomDD = [&](i64 e) {
        fpComplex x = exact(random(e));
        x += exact(random(e - 60));
        return detail::toWideDD(x);
    };
    auto exactDD = [](WideDD const& w) {
        fpComplex r;
        detail::fromWideDD(r, w);
        return r;
    };
    struct OpDD {
        char const* name;
        WideDD (*op)(WideDD const&, WideDD const&);
        fpComplex (*reference)(fpComplex const&, fpComplex const&);
    } const opsDD[] = {
        {"x + y", [](auto const& x, auto const& y) { return x + y; }, [](auto const& x, auto const& y) { return x + y; }},
        {"x - y", [](auto const& x, auto const& y) { return x + -y; }, [](auto const& x, auto const& y) { return x - y; }},
        {"x * y", [](auto const& x, auto const& y) { return x * y; }, [](auto const& x, auto const& y) { return x * y; }},
        {"x / y", [](auto const& x, auto const& y) { return x / y; }, [](auto const& x, auto const& y) { return x / y; }},
    };
    check(
        opsDD, randomDD, exactDD,
        [&](WideDD const& y, dcomplex f) { return detail::toWideDD(exactDD(y) * fpComplex(f.real(), f.imag())); },
        [](OpDD const&) { return 4.0 - 104; });
}

}  // namespace
}  // namespace korvel
