// The library's one call: what it refuses and how it says so, the precision it
// leaves behind, a stop before it starts, and the two ways of giving a
// polynomial agreeing word for word.
#include <gtest/gtest.h>

#include <stop_token>
#include <string>

#include "../support/random_words.h"
#include "roots_support.h"

namespace korvel {
namespace {

RootOptions figures(int shown, int carried) {
    RootOptions o;
    o.shownFigures = shown;
    o.carriedFigures = carried;
    return o;
}

TEST(FindRoots, RefusalsSayWhy) {
    struct Case {
        char const* text;
        RootOptions options;
        char const* error;
    } const cases[] = {
        {"x^2-2", figures(0, 64), figuresMessage},
        {"x^2-2", figures(16, -1), figuresMessage},
        {"x^2-2", figures(80, 64), precisionMessage},
        {"x^2-2", figures(16, maxFigures + 1), tooManyFiguresMessage},
        {"7", figures(16, 64), entryMessage},
        {"0x^2", figures(16, 64), entryMessage},
        {"x^^2", figures(16, 64), entryMessage},
        {"", figures(16, 64), entryMessage},
    };
    for (auto const& c : cases) {
        RootReport const r = findRoots(c.text, c.options);
        EXPECT_FALSE(r.ok) << c.text;
        EXPECT_EQ(r.error, c.error) << c.text;
        EXPECT_TRUE(r.roots.empty()) << c.text;
    }
}

TEST(FindRoots, LeavesTheCallersPrecisionAndStopsBeforeItStarts) {
    ScopedBlockPrec mine(7);
    decPrec = 23;
    // A near-cluster that is certified in more rounds.
    RootReport const r = findRoots("x^5-2x^4-2x^3+8x^2-7x+(2,1e-40)", figures(16, 32));
    ASSERT_TRUE(r.ok) << r.error;
    EXPECT_GT(r.carriedUsed, 32);
    EXPECT_EQ(getBlockPrec(), 7);
    EXPECT_EQ(decPrec, 23);
    decPrec = 16;

    std::stop_source stop;
    stop.request_stop();
    int reports = 0;
    RootOptions o = figures(16, 64);
    o.progress = [&](int, int, int) { ++reports; };
    RootReport const stopped = findRoots("x^2-2", o, stop.get_token());
    EXPECT_FALSE(stopped.ok);
    EXPECT_EQ(stopped.error, cancelledMessage);
    EXPECT_EQ(reports, 0) << "nothing searched";
}

// Two reports agree word for word: roots, values, disks, figures and clusters.
void expectSameReport(RootReport const& x, RootReport const& y, std::string const& what) {
    ASSERT_TRUE(x.ok && y.ok) << what << ": " << x.error << y.error;
    ASSERT_EQ(x.roots.size(), y.roots.size()) << what;
    EXPECT_EQ(x.carriedUsed, y.carriedUsed) << what;
    EXPECT_EQ(x.warning, y.warning) << what;
    for (std::size_t k = 0; k < x.roots.size(); ++k) {
        FoundRoot const &a = x.roots[k], &b = y.roots[k];
        EXPECT_TRUE(a.root == b.root && a.value == b.value) << what << ": root " << k;
        EXPECT_EQ(a.radius.has_value(), b.radius.has_value()) << what << ": root " << k;
        if (a.radius && b.radius) {
            EXPECT_TRUE(*a.radius == *b.radius) << what << ": root " << k;
        }
        EXPECT_EQ(a.certainFigures, b.certainFigures) << what << ": root " << k;
        EXPECT_EQ(a.cluster, b.cluster) << what << ": root " << k;
        EXPECT_EQ(a.multiplicity, b.multiplicity) << what << ": root " << k;
    }
}

// Integer coefficients are exact either way: a square-free polynomial given as
// text or as fp values gives the same roots, values, radii and figures, word
// for word.
TEST(FindRoots, TextAndCoefficientsAgreeWordForWord) {
    std::vector<fpComplex> const a = {fpComplex(2.0, 1.0), fpComplex(-7.0, 0.0), fpComplex(8.0, 0.0),
                                      fpComplex(-2.0, 0.0), fpComplex(-2.0, 0.0), fpComplex(1.0, 0.0)};
    for (bool certify : {true, false}) {
        RootOptions o = figures(20, 40);
        o.certify = certify;
        RootReport const fromText = findRoots("x^5-2x^4-2x^3+8x^2-7x+(2,1)", o);
        RootReport const fromValues = findRoots(std::span<fpComplex const>(a), o);
        ASSERT_EQ(fromText.roots.size(), 5u);
        EXPECT_FALSE(fromText.exactFactors) << "square-free: searched whole";
        expectSameReport(fromText, fromValues, certify ? "certified" : "not certified");
    }
}

// A random polynomial of degree n with complex integer coefficients up to 99.
std::vector<fpComplex> randomCoefficients(testing::RandomWords& rng, int n) {
    std::vector<fpComplex> a;
    for (int k = 0; k <= n; ++k) a.emplace_back(double(rng.below(199) - 99), double(rng.below(199) - 99));
    if (!a.back()) a.back() = fpComplex(1.0);
    return a;
}

// The work shared among threads gives what one thread gives, word for word,
// in each search, with and without certification and clean-up.
TEST(FindRoots, ThreadsChangeNoWord) {
    testing::RandomWords rng(4);
    std::vector<fpComplex> clustered;  // (x - k/16) for k = 1..60: ill-conditioned roots
    for (int k = 1; k <= 60; ++k) clustered.emplace_back(k / 16.0, 0.0);
    struct Case {
        std::string what;
        std::vector<fpComplex> a;
        int shown, carried;
        RootSearch search = RootSearch::staged;
        bool certify = true, cleanUp = true;
    } const cases[] = {
        {"random 150", randomCoefficients(rng, 150), 16, 64},
        {"random 70 at 256", randomCoefficients(rng, 70), 256, 272},
        {"random 100 uncertified", randomCoefficients(rng, 100), 16, 40, RootSearch::staged, false, false},
        {"random 60 full precision", randomCoefficients(rng, 60), 16, 64, RootSearch::fullPrecision},
        {"x^300 - 1", testing::sparse({{300, "1"}, {0, "-1"}}), 64, 80},
        {"clustered 60", testing::expand(clustered), 32, 48},
    };
    for (auto const& c : cases) {
        RootOptions o = figures(c.shown, c.carried);
        o.search = c.search;
        o.certify = c.certify;
        o.cleanUp = c.cleanUp;
        o.threads = 1;
        RootReport const one = findRoots(std::span<fpComplex const>(c.a), o);
        o.threads = 3;
        RootReport const three = findRoots(std::span<fpComplex const>(c.a), o);
        expectSameReport(one, three, c.what);
    }
}

// A typed polynomial with repeated factors: every root shown as often as its
// multiplicity, each figure right, no warning and no second round; roots that
// are close but distinct stay distinct.
TEST(FindRoots, ExactRepeatedRootsComeWithTheirMultiplicity) {
    ScopedBlockPrec exact(40);
    struct Case {
        char const* text;
        std::vector<std::pair<fpComplex, int>> roots;  // each distinct root and its multiplicity
        int fewest = 16;  // figures that tell the distinct roots apart
    } const cases[] = {
        {"x^5-2x^4-2x^3+8x^2-7x+2", {{fpComplex(1.0, 0.0), 4}, {fpComplex(-2.0, 0.0), 1}}},
        {"x^6+3x^4+3x^2+1", {{fpComplex(0.0, 1.0), 3}, {fpComplex(0.0, -1.0), 3}}},
        {"x^2-0.2x+0.01", {{fpComplex("0.1"), 2}}},
        {"x^4-2x^3+x^2", {{fpComplex(1.0, 0.0), 2}, {fpComplex(0.0, 0.0), 2}}},
        // (x - 1)^2 (x - 1 - 1e-30 i): a double root beside a simple one.
        {"x^3+(-3,-1e-30)x^2+(3,2e-30)x+(-1,-1e-30)", {{fpComplex(1.0, 0.0), 2}, {fpComplex("1", "1e-30"), 1}}, 64},
        // (2x + 1)^3 (x^2 - 2)^2: fractional and irrational roots.
        {"8x^7+12x^6-26x^5-47x^4+8x^3+44x^2+24x+4",
         {{fpComplex(-0.5, 0.0), 3}, {fpComplex(sqrt(fp(2.0)), fp()), 2}, {fpComplex(-sqrt(fp(2.0)), fp()), 2}}},
    };
    for (int shown : {16, 64, 256}) {
        for (auto const& c : cases) {
            if (shown < c.fewest) continue;
            std::string const what = std::string(c.text) + " at " + std::to_string(shown);
            RootReport const r = findRoots(c.text, figures(shown, shown + 16));
            ASSERT_TRUE(r.ok) << what << ": " << r.error;
            EXPECT_TRUE(r.exactFactors) << what;
            EXPECT_EQ(r.warning, "") << what;
            // One round, unless a part 1e-30 below the other needs its own figures.
            if (c.fewest == 16) {
                EXPECT_EQ(r.carriedUsed, shown + 16) << what << ": one round";
            }
            fp const unit = pow(fp(10.0), i32(1 - shown));
            for (auto const& [truth, m] : c.roots) {
                int seen = 0;
                for (FoundRoot const& f : r.roots)
                    if (abs(f.root - truth) <= unit * (abs(truth) + fp(1e-300))) {
                        ++seen;
                        EXPECT_EQ(f.multiplicity, m) << what;
                        EXPECT_GE(f.certainFigures, shown) << what;
                    }
                EXPECT_EQ(seen, m) << what << ": a root shown as often as its multiplicity";
            }
        }
    }
}

}  // namespace
}  // namespace korvel
