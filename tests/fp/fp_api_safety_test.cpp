// The public interface given values at and beyond its limits: each call fails
// with its result left as its contract says, or saturates with the overflow
// flag, and none overflows a buffer, divides by zero or runs without end.
#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <cstdlib>
#include <string>
#include <thread>

#include "../support/random_mb.h"
#include <korvel/fp.h>

namespace korvel {
namespace {

TEST(FpApiSafety, SetBlockPrecClampsToItsRange) {
    i32 const saved = getBlockPrec();
    struct Case {
        i32 asked, kept;
    } const cases[] = {{-1, 1}, {0, 1}, {1, 1}, {9, 9}, {maxBlockPrec, maxBlockPrec}, {1 << 26, maxBlockPrec}};
    for (auto const& c : cases) {
        setBlockPrec(c.asked);
        EXPECT_EQ(getBlockPrec(), c.kept) << c.asked;
    }
    setBlockPrec(0);
    double sum = 0;
    ASSERT_TRUE(equate(sum, fp(1.5) + fp(2.25)));
    EXPECT_EQ(sum, 3.75);
    setBlockPrec(saved);
}

TEST(FpApiSafety, DivisionByZeroInAnyFormFails) {
    mb const zeroWords = testing::fromWords({0, 0}), oneWordZero = testing::fromWords({0});
    for (mb const* zero : {&zeroWords, &oneWordZero}) {
        mb q = mb(7), r = mb(5);
        EXPECT_FALSE(div(q, mb(100), *zero));
        EXPECT_FALSE(divRem(q, r, mb(100), *zero));
        EXPECT_TRUE(q == mb(7) && r == mb(5)) << "the quotient and remainder are left";
        fp x(3.0), y;
        y.mantissa = *zero;
        EXPECT_FALSE(div(x, fp(1.0), y));
        EXPECT_EQ(x, 3.0);
    }
}

TEST(FpApiSafety, LogAtTheEndsOfTheRange) {
    ScopedBlockPrec precision(3);
    fp tiny;
    init(tiny, 1);
    tiny.exponent = INT_MIN;  // 2^INT_MIN
    fp r;
    log(r, tiny);
    double d = 0;
    ASSERT_TRUE(equate(d, r));
    EXPECT_NEAR(d, INT_MIN * std::log(2.0), 1e-3);
    fp huge;
    init(huge, 0xFFFFFFFFu);
    huge.exponent = INT_MAX - 32;  // near the largest value
    log(r, huge);
    ASSERT_TRUE(equate(d, r));
    EXPECT_NEAR(d, double(INT_MAX) * std::log(2.0), 1e-3);
}

TEST(FpApiSafety, PowBeyondTheRange) {
    fp r(7.0);
    fpClearOverflow();
    EXPECT_FALSE(pow(r, fp("1e-100"), -30000000)) << "1e3000000000 cannot be held";
    EXPECT_TRUE(pow(r, fp("1e100"), -30000000)) << "1e-3000000000 underflows to zero";
    EXPECT_TRUE(!r);
    EXPECT_TRUE(pow(r, fp(0.5), fp("3e9"))) << "2^-3e9 underflows to zero";
    EXPECT_TRUE(!r);
}

TEST(FpApiSafety, HugeCountsEndQuickly) {
    EXPECT_EQ(nthRoot(mb(1000), INT_MAX), mb(1));
    EXPECT_EQ(nthRoot(mb(-1000), INT_MAX), mb(-1));
    EXPECT_EQ(nthRoot(mb(0), 3), mb(0));
    OwnedText const text(fpToStr(fp(1.5), INT_MAX));
    EXPECT_STREQ(text.get(), "1.5");
}

TEST(FpApiSafety, FailedConversionsLeaveTheirResult) {
    fp r(5.0);
    EXPECT_FALSE(fpConvFromString(r, "1e2147483647"));
    EXPECT_EQ(r, 5.0);
    EXPECT_TRUE(!fp("1e2147483647")) << "a text that cannot be read gives zero";
    double d = 9.0;
    EXPECT_FALSE(equate(d, fp("1e400")));
    EXPECT_EQ(d, 0.0);
    EXPECT_TRUE(equate(d, fp("1e300")));
    EXPECT_EQ(d, 1e300);
}

// A NaN or an infinity: the forms that can fail do, leaving their result; the
// others give the largest magnitude, as an overflow does, with its flag.
TEST(FpApiSafety, NonFiniteDoublesFailOrSaturate) {
    struct Case {
        double d;
        i32 sign;
    } const cases[] = {{std::nan(""), 1}, {HUGE_VAL, 1}, {-HUGE_VAL, -1}};
    for (auto const& c : cases) {
        fp r(5.0);
        EXPECT_FALSE(equate(r, c.d));
        EXPECT_FALSE(init(r, c.d));
        EXPECT_FALSE(pow(r, c.d, fp(2.0)));
        EXPECT_FALSE(pow(r, fp(2.0), c.d));
        EXPECT_EQ(r, 5.0) << c.d;  // mb's forms: MbMixed.InfinitiesAndNanCountAsZeroAndFailDivision
        fp made[3];
        fpClearOverflow();
        made[0] = fp(c.d);
        made[1] = 1.0;
        made[1] = c.d;
        made[2] = fp(1.0) * c.d;
        EXPECT_TRUE(fpOverflowed()) << c.d;
        fpClearOverflow();
        for (fp const& x : made) {
            EXPECT_EQ(x.exponent, INT_MAX) << c.d;
            EXPECT_EQ(x.mantissa.size, c.sign * blockPrec) << c.d;
        }
    }
}

// log, exp and a division chain at precision B, as one text: ln 2 and e come
// from the per-thread caches, every working value from per-thread storage.
std::string chainAt(i32 B) {
    setBlockPrec(B);
    fp x(1.0), r, t;
    EXPECT_TRUE(div(x, x, fp(3.0)));
    std::string out;
    for (int k = 1; k <= 6; ++k) {
        EXPECT_TRUE(div(t, fp(double(k)), fp(7.0)));
        x += t;
        log(r, x);
        out += toString(r, 10 * B);
        exp(r, r);
        out += toString(r, 10 * B);
    }
    return out;
}

// The references run alone, each on a fresh thread: a constant cached earlier
// at a higher precision and rounded differs in its last bits from one summed at
// B, so a thread's results depend on its own history, never on another's.
TEST(FpThreads, TwoThreadsAtTwoPrecisionsMatchTheirSingleThreadResults) {
    i32 const saved = getBlockPrec();
    std::string want3, want20;
    std::thread([&] { want3 = chainAt(3); }).join();
    std::thread([&] { want20 = chainAt(20); }).join();
    std::string got3, got20;
    i32 startPrec = 0;
    std::thread a([&] {
        startPrec = getBlockPrec();
        for (int i = 0; i < 20; ++i) got3 = chainAt(3);
    });
    std::thread b([&] {
        for (int i = 0; i < 5; ++i) got20 = chainAt(20);
    });
    a.join();
    b.join();
    EXPECT_EQ(got3, want3) << "at B = 3 beside a thread at B = 20";
    EXPECT_EQ(got20, want20) << "at B = 20 beside a thread at B = 3";
    EXPECT_EQ(startPrec, 5) << "a new thread starts at the initial precision";
    EXPECT_EQ(getBlockPrec(), saved) << "the threads' precisions are their own";
}

}  // namespace
}  // namespace korvel
