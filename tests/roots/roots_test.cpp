// The root finder on polynomials with known roots, the driver's pinned rules,
// hard cases that must converge, and independent judges of accuracy.
#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <string>
#include <vector>

#include "../support/random_words.h"
#include "roots_support.h"

namespace korvel {
namespace {

using testing::expand;
using testing::solve;
using testing::sparse;

std::string show(fpComplex const& z) {
    char* t = fpComplexToStr(z, 20);
    std::string s(t);
    std::free(t);
    return s;
}

// Each expected root has a distinct computed root within tolerance.
void expectRoots(std::vector<fpComplex> const& found, std::vector<fpComplex> const& expected, double digits,
                 std::string const& what) {
    ASSERT_EQ(found.size(), expected.size());
    std::vector<bool> used(found.size(), false);
    for (auto const& e : expected) {
        std::size_t best = found.size();
        double bestDigits = -1;
        for (std::size_t k = 0; k < found.size(); ++k) {
            if (used[k]) continue;
            double const d = testing::agreeingDigits(found[k], e);
            if (d > bestDigits) bestDigits = d, best = k;
        }
        ASSERT_LT(best, found.size());
        used[best] = true;
        EXPECT_GE(bestDigits, digits) << what << ": root " << show(e) << " found as " << show(found[best]);
    }
}

// Distinct random roots (a + bi)/8, real, complex or mixed, at least 1/8 apart.
std::vector<fpComplex> randomRoots(testing::RandomWords& rng, int n, int kind) {
    std::vector<fpComplex> roots;
    while (int(roots.size()) < n) {
        double const re = (rng.below(81) - 40) / 8.0;
        double const im = kind == 0 || (kind == 2 && rng.coin()) ? 0.0 : (rng.below(81) - 40) / 8.0;
        fpComplex z(re, im);
        bool fresh = true;
        for (auto const& r : roots) fresh = fresh && r != z;
        if (fresh) roots.push_back(z);
    }
    return roots;
}

TEST(RootsKnown, RandomRootsOfDegreeOneToThirty) {
    testing::RandomWords rng(2718);
    for (int n : {1, 2, 3, 5, 8, 12, 17, 23, 30}) {
        for (int kind = 0; kind < 3; ++kind) {
            auto const roots = randomRoots(rng, n, kind);
            auto const found = solve(expand(roots), 64);
            ASSERT_TRUE(found.ok);
            std::string const what = "degree " + std::to_string(n) + " kind " + std::to_string(kind);
            // Clustered roots of degree 30 are ill-conditioned: at 64 figures
            // carried (88 digits of working precision) 40 digits remain.
            expectRoots(found.roots, roots, n <= 12 ? 60 : 40, what);
            EXPECT_TRUE(testing::inOutputOrder(found.roots)) << what;
        }
    }
}

// x^3 - x: 0 comes out first and exactly; the order is 1, 0, -1.
TEST(RootsDriver, ZeroRootIsExactAndOrderIsByRealPart) {
    auto f = solve({fpComplex(0.0), fpComplex(-1.0), fpComplex(0.0), fpComplex(1.0)}, 64);
    ASSERT_TRUE(f.ok);
    EXPECT_TRUE(f.roots[1] == 0.0) << show(f.roots[1]);
    EXPECT_EQ(f.roots[1].re.mantissa.size, 0);
    EXPECT_GE(testing::agreeingDigits(f.roots[0], fpComplex(1.0)), 80);
    EXPECT_GE(testing::agreeingDigits(f.roots[2], fpComplex(-1.0)), 80);
}

// A constant term of modulus exactly 1e20 is not scaled, one just above is
// (in a monic polynomial); either way the roots are right.
TEST(RootsDriver, ScalingThresholdKeepsTheRootsRight) {
    for (double c : {1e20, 1.0000000000001e20}) {
        auto g = solve({fpComplex(-c), fpComplex(0.0), fpComplex(1.0)}, 64);
        ASSERT_TRUE(g.ok);
        ScopedBlockPrec wide(40);
        fp const root = sqrt(fp(c));
        expectRoots(g.roots, {fpComplex(root, fp()), fpComplex(-root, fp())}, 70, "x^2 - c");
    }
}

// x^2 + 1: with the clean-up both real parts are exactly zero and +i comes first.
TEST(RootsDriver, CleanUpClearsNegligiblePartsAndKeepsTheOrder) {
    auto snapped = solve({fpComplex(1.0), fpComplex(0.0), fpComplex(1.0)}, 64, true);
    ASSERT_TRUE(snapped.ok);
    EXPECT_TRUE(snapped.roots[0] == fpComplex(0.0, 1.0)) << show(snapped.roots[0]);
    EXPECT_TRUE(snapped.roots[1] == fpComplex(0.0, -1.0)) << show(snapped.roots[1]);
    auto raw = solve({fpComplex(1.0), fpComplex(0.0), fpComplex(1.0)}, 64, false);
    EXPECT_TRUE(testing::inOutputOrder(raw.roots));
    expectRoots(raw.roots, {fpComplex(0.0, 1.0), fpComplex(0.0, -1.0)}, 80, "x^2 + 1 raw");
}

TEST(RootsDriver, DegreeOneRootHasAValueAtTheWorkingPrecision) {
    auto one = solve({fpComplex(-3.0), fpComplex(1.0)}, 64);
    EXPECT_GE(testing::agreeingDigits(one.roots[0], fpComplex(3.0)), 80);
    EXPECT_LE(abs(one.values[0]), fp(1e-70));
}

// The caller's own array goes in (solve would hand over a copy).
TEST(RootsDriver, CallersCoefficientsAreNotChanged) {
    ScopedBlockPrec precision(wordsForFigures(32));
    std::vector<fpComplex> coefficients{fpComplex(2.0, 1.0), fpComplex(-3.0), fpComplex(1.0)};
    auto const before = coefficients;
    std::vector<fpComplex> roots(2), values(2);
    fpComplex *a = coefficients.data(), *r = roots.data(), *v = values.data();
    for (RootSearch search : {RootSearch::staged, RootSearch::fullPrecision}) {
        ASSERT_TRUE(findPolyRoots(r, v, a, 2, true, defaultConfirmFigures, search));
        for (std::size_t k = 0; k < coefficients.size(); ++k) EXPECT_TRUE(coefficients[k] == before[k]);
    }
}

fpComplex parsed(char const* re, char const* im = "0") { return fpComplex(fp(re), fp(im)); }

TEST(RootsDriver, LeadingZeroCoefficientsLowerTheDegree) {
    // 0x^3 + 0x^2 + x - 2: one root, 2, and only one slot written.
    auto f = solve({fpComplex(-2.0), fpComplex(1.0), fpComplex(), fpComplex()}, 16);
    ASSERT_TRUE(f.ok);
    EXPECT_GE(testing::agreeingDigits(f.roots[0], fpComplex(2.0)), 20) << show(f.roots[0]);
    EXPECT_TRUE(!f.roots[1] && !f.roots[2]);
    EXPECT_FALSE(solve({fpComplex(5.0), fpComplex(), fpComplex()}, 16).ok) << "a constant has no roots";
}

// Null arrays, and coefficients from a NaN or an infinite double (the largest
// magnitude, as an overflow leaves), are refused, with nothing written.
TEST(RootsDriver, NullArraysAndNonFiniteCoefficientsAreRefused) {
    EXPECT_EQ(trueDegree(nullptr, 3), -1);
    fpComplex r[2], v[2];
    fpComplex* roots = r;
    fpComplex* values = v;
    fpComplex* none = nullptr;
    std::vector<fpComplex> good{fpComplex(-1.0), fpComplex(0.0), fpComplex(1.0)};
    fpComplex* a = good.data();
    EXPECT_FALSE(findPolyRoots(roots, values, none, 2, false));
    EXPECT_FALSE(findPolyRoots(none, values, a, 2, false));
    EXPECT_FALSE(findPolyRoots(roots, none, a, 2, false));
    double const bad[] = {std::nan(""), HUGE_VAL, -HUGE_VAL};
    for (double d : bad) {
        for (int k = 0; k < 6; ++k) {
            std::vector<fpComplex> c = good;
            fpComplex& slot = c[std::size_t(k / 2)];
            slot = k % 2 == 0 ? fpComplex(d, 0.0) : fpComplex(0.0, d);
            fpComplex* ca = c.data();
            r[0] = r[1] = fpComplex(7.0);
            EXPECT_FALSE(findPolyRoots(roots, values, ca, 2, false)) << d << " in coefficient " << k / 2;
            EXPECT_TRUE(r[0] == fpComplex(7.0) && r[1] == fpComplex(7.0)) << "nothing written";
        }
    }
    fpClearOverflow();
    EXPECT_TRUE(findPolyRoots(roots, values, a, 2, false)) << "x^2 - 1 itself is found";
}

// Roots far from the unit circle, coefficients far from 1, and coefficients
// near the ends of the exponent range: each root found to the figures carried.
TEST(RootsDriver, ScalingReachesHugeAndTinyRoots) {
    struct Case {
        char const* name;
        std::vector<fpComplex> coefficients, roots;  // roots in units of `unit`
        fp unit = 1.0;
        double digits = 30;  // the seventh roots of -1 come from doubles, good to 15
    };
    fp const unitTiny("1e-160");
    std::vector<fpComplex> seventhRootsOfMinusOne;
    for (int k = 0; k < 7; ++k) {
        double const t = std::numbers::pi * (2 * k + 1) / 7;
        seventhRootsOfMinusOne.emplace_back(std::cos(t), std::sin(t));
    }
    Case const cases[] = {
        {"1e330x^2 + 1e330", {parsed("1e330"), fpComplex(), parsed("1e330")}, {fpComplex(0.0, 1.0), fpComplex(0.0, -1.0)}},
        {"1e400x^2 - 1e400", {parsed("-1e400"), fpComplex(), parsed("1e400")}, {fpComplex(1.0), fpComplex(-1.0)}},
        {"x^2 - 1e-320", {parsed("-1e-320"), fpComplex(), fpComplex(1.0)}, {fpComplex(1.0), fpComplex(-1.0)}, unitTiny},
        {"x^3 - 1e-320x", {fpComplex(), parsed("-1e-320"), fpComplex(), fpComplex(1.0)},
         {fpComplex(), fpComplex(1.0), fpComplex(-1.0)}, unitTiny},
        {"1e-400000000(x^7 + 1)", {parsed("1e-400000000"), {}, {}, {}, {}, {}, {}, parsed("1e-400000000")},
         seventhRootsOfMinusOne, 1.0, 14},
        {"1e400000000(x^7 + 1)", {parsed("1e400000000"), {}, {}, {}, {}, {}, {}, parsed("1e400000000")},
         seventhRootsOfMinusOne, 1.0, 14},
    };
    for (auto const& c : cases) {
        auto f = solve(c.coefficients, 32);
        ASSERT_TRUE(f.ok) << c.name;
        for (auto& z : f.roots) z = z / c.unit;  // compare in units of the roots' size
        expectRoots(f.roots, c.roots, c.digits, c.name);
    }
}

// (x - 1e-200)^2 (x - 1e400): the iteration from the fixed start approaches the
// double root by a constant factor a step and stops at the cap far from it. (The
// coefficients as read split the double root into two about 1e-224 apart, which
// the staged search separates and certifies.)
TEST(RootsDriver, CapIsReportedAsAComputationProblem) {
    std::vector<fpComplex> c{fpComplex(-1.0), parsed("2e200"), parsed("-1e400"), fpComplex(1.0)};
    {
        ScopedBlockPrec precision(9);
        fpComplex* a = c.data();
        fpComplex z(0.271828, 0.031416);
        fp err, weight(1.0);
        EXPECT_EQ(laguerreIterate(a, 3, z, err, weight), LaguerreEnd::capReached);
    }
    EXPECT_FALSE(solve(c, 64, false, RootSearch::fullPrecision).ok);
    RootSearchRecord record;
    EXPECT_TRUE(solve(c, 64, false, RootSearch::staged, &record).ok);
    EXPECT_TRUE(record.ran == RootSearch::staged && record.isolated);
}

TEST(RootsDriver, EqualRealPartsPutTheLargerImaginaryPartFirst) {
    std::vector<fpComplex> r{fpComplex(2.0), fpComplex(2.0, 1.0), fpComplex(2.0, -1.0)};
    fpComplex* p = r.data();
    orderRoots(p, 3);
    EXPECT_TRUE(r[0] == fpComplex(2.0, 1.0));
    EXPECT_TRUE(r[1] == fpComplex(2.0));
    EXPECT_TRUE(r[2] == fpComplex(2.0, -1.0));
}

// (x - 1)(x - 2) / (x - 1) = x - 2, the old leading slot cleared.
TEST(RootsDriver, DeflationDividesOutTheRootAndClearsTheLeadingSlot) {
    std::vector<fpComplex> a{fpComplex(2.0), fpComplex(-3.0), fpComplex(1.0)};
    fpComplex* q = a.data();
    i32 n = 2;
    fpComplex one(1.0);
    forwardDeflation(q, n, one);
    EXPECT_EQ(n, 1);
    EXPECT_TRUE(a[0] == -2.0 && a[1] == 1.0 && !a[2]);
}

// Laguerre's pinned behaviour: n < 1 fails; a zero constant term gives 0 at once.
TEST(RootsDriver, LaguerreRefusesDegreeZeroAndStopsAtAZeroConstant) {
    std::vector<fpComplex> a{fpComplex(-2.0), fpComplex(1.0)};
    fpComplex* q = a.data();
    fp err(5.0), weight(1.0);
    fpComplex x(0.271828, 0.031416);
    EXPECT_FALSE(Laguerre(q, 0, x, err, weight));
    std::vector<fpComplex> zeroConstant{fpComplex(), fpComplex(1.0)};
    fpComplex* z = zeroConstant.data();
    EXPECT_TRUE(Laguerre(z, 1, x, err, weight));
    EXPECT_TRUE(!x);
    EXPECT_EQ(err, 5.0) << "err is left alone on a zero constant term";
}

TEST(RootsDriver, LaguerreLandsOnALinearRootInOneStep) {
    fp err, weight(1.0);
    fpComplex x(0.271828, 0.031416);
    std::vector<fpComplex> linear{fpComplex(-3.0), fpComplex(1.0)};
    fpComplex* l = linear.data();
    EXPECT_TRUE(Laguerre(l, 1, x, err, weight));
    EXPECT_GE(testing::agreeingDigits(x, fpComplex(3.0)), 40) << "one Newton step lands on 3";
    fpComplex value;
    Evaluate(l, 0, x, value);
    EXPECT_TRUE(value == -3.0) << "degree 0 evaluates to a[0]";
}

// Roots of unity, roots on circles and a sparse polynomial: cases where plain
// Laguerre without cycle-breaking is known to stall. Each must give n distinct
// roots, each certified by a small Newton inclusion radius.
void expectCertified(std::vector<fpComplex> const& coefficients, int figures, double radius, std::string const& what) {
    auto const f = solve(coefficients, figures);
    ASSERT_TRUE(f.ok) << what;
    for (std::size_t k = 0; k < f.roots.size(); ++k) {
        fp const r = testing::inclusionRadius(coefficients, f.roots[k]);
        EXPECT_LE(r, fp(radius)) << what << ": root " << show(f.roots[k]);
        for (std::size_t j = 0; j < k; ++j)
            EXPECT_GT(abs(f.roots[k] - f.roots[j]), fp(1e-3)) << what << ": roots " << j << " and " << k << " coincide";
    }
}

TEST(RootsHard, CyclingCasesConverge) {

    expectCertified(sparse({{0, "1"}, {64, "1"}}), 16, 1e-15, "x^64 + 1");
    expectCertified(sparse({{0, "-1"}, {100, "1"}}), 16, 1e-15, "x^100 - 1");
    expectCertified(sparse({{0, "1"}, {37, "1"}, {41, "-1"}, {100, "1"}}), 16, 1e-13, "1 + x^37 - x^41 + x^100");
    for (int n : {12, 24, 48}) {
        for (double radius : {1.01, 1.5, 2.0}) {
            std::vector<fpComplex> roots;
            for (int k = 0; k < n; ++k) {
                double const t = 2 * std::numbers::pi * (k + 0.5) / n;
                roots.emplace_back(radius * std::cos(t), radius * std::sin(t));
            }
            expectCertified(expand(roots), 16, 1e-12,
                            "circle of radius " + std::to_string(radius) + ", degree " + std::to_string(n));
        }
    }
}

// Hard cases run to completion; the digits they reach are the measured floor
// (Wilkinson 16.5 and 65.6, (x - 1)^5 5.0 and 14.6 at 16 and 64 figures; the
// roots of unity are compared with double-precision values, good to 15 digits).
TEST(RootsHard, WilkinsonMultipleRootsAndUnity) {
    std::vector<fpComplex> const wilkinson = testing::wilkinsonRoots();
    std::vector<fpComplex> five, unity;
    for (int k = 0; k < 5; ++k) five.emplace_back(1.0);
    for (int k = 0; k < 64; ++k) {
        double const t = 2 * std::numbers::pi * k / 64;
        unity.emplace_back(std::cos(t), std::sin(t));
    }
    struct Case {
        char const* name;
        std::vector<fpComplex> coefficients, roots;
        int figures;
        double digits;  // at least this many correct digits in every root
    };
    Case const cases[] = {
        {"Wilkinson 20", expand(wilkinson), wilkinson, 16, 15},
        {"Wilkinson 20", expand(wilkinson), wilkinson, 64, 62},
        {"(x - 1)^5", expand(five), five, 16, 4.5},
        {"(x - 1)^5", expand(five), five, 64, 14},
        {"x^64 - 1", sparse({{0, "-1"}, {64, "1"}}), unity, 16, 14},
        {"x^64 - 1", sparse({{0, "-1"}, {64, "1"}}), unity, 64, 14},
    };
    for (auto const& c : cases) {
        auto const f = solve(c.coefficients, c.figures);
        ASSERT_TRUE(f.ok) << c.name;
        expectRoots(f.roots, c.roots, c.digits, std::string(c.name) + " at " + std::to_string(c.figures));
    }
}

// Agreement with a run at twice the carried figures: the roots of a random
// complex polynomial agree to about the figures carried.
TEST(RootsHard, AgreeWithTwiceThePrecision) {
    testing::RandomWords rng(99);
    std::vector<fpComplex> c;
    for (int k = 0; k <= 15; ++k) c.emplace_back((rng.below(2001) - 1000) / 100.0, (rng.below(2001) - 1000) / 100.0);
    auto const normal = solve(c, 32), doubled = solve(c, 64);
    ASSERT_TRUE(normal.ok && doubled.ok);
    expectRoots(normal.roots, doubled.roots, 30, "random degree 15");
}

}  // namespace
}  // namespace korvel
