// The library's one call: what it refuses and how it says so, the precision it
// leaves behind, a stop before it starts, and the two ways of giving a
// polynomial agreeing word for word.
#include <gtest/gtest.h>

#include <stop_token>
#include <string>

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
    RootReport const r = findRoots("x^5-2x^4-2x^3+8x^2-7x+2", figures(16, 32));  // certified in more rounds
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

// Integer coefficients are exact either way: text and fp values give the same
// roots, values, radii and figures, word for word.
TEST(FindRoots, TextAndCoefficientsAgreeWordForWord) {
    std::vector<fpComplex> const a = {fpComplex(2.0, 0.0), fpComplex(-7.0, 0.0), fpComplex(8.0, 0.0),
                                      fpComplex(-2.0, 0.0), fpComplex(-2.0, 0.0), fpComplex(1.0, 0.0)};
    for (bool certify : {true, false}) {
        RootOptions o = figures(20, 40);
        o.certify = certify;
        RootReport const fromText = findRoots("x^5-2x^4-2x^3+8x^2-7x+2", o);
        RootReport const fromValues = findRoots(std::span<fpComplex const>(a), o);
        ASSERT_TRUE(fromText.ok && fromValues.ok);
        ASSERT_EQ(fromText.roots.size(), 5u);
        ASSERT_EQ(fromValues.roots.size(), 5u);
        EXPECT_EQ(fromText.carriedUsed, fromValues.carriedUsed);
        EXPECT_EQ(fromText.warning, fromValues.warning);
        for (std::size_t k = 0; k < 5; ++k) {
            FoundRoot const &x = fromText.roots[k], &y = fromValues.roots[k];
            EXPECT_TRUE(x.root == y.root && x.value == y.value) << "root " << k;
            EXPECT_EQ(x.radius.has_value(), y.radius.has_value());
            if (x.radius && y.radius) {
                EXPECT_TRUE(*x.radius == *y.radius) << "root " << k;
            }
            EXPECT_EQ(x.certainFigures, y.certainFigures);
            EXPECT_EQ(x.multiplicity, 1);
        }
    }
}

}  // namespace
}  // namespace korvel
