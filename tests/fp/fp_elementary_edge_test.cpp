// The rules of the elementary functions and the operators, one test each, and
// the caching of ln 2 and e.
#include <gtest/gtest.h>

#include <string>

#include "../support/gmp_bridge.h"
#include "../support/random_words.h"
#include "../support/fp_text.h"
#include <korvel/fp.h>
#include "fp/internal.h"

namespace korvel {
namespace {

using testing::text;
using testing::value;

using testing::Mpz;

fp make(u32 word, i32 exponent) {
    fp x;
    equate(x.mantissa, word);
    x.exponent = exponent;
    return x;
}

TEST(FpElementary, SqrtRoundsShortTopWordsAndLeavesNegatives) {
    ScopedBlockPrec B5(5);
    fp r;
    sqrt(r, make(4, 0));
    EXPECT_EQ(r, 2.0);
    {
        ScopedBlockPrec B1(1);
        sqrt(r, make(2, 0));
        EXPECT_EQ(r, make(92681, -16)) << "a small top word gives a short root";
        sqrt(r, make(0x80000000u, -30));
        EXPECT_EQ(r, make(0xB504F333u, -31));
    }
    sqrt(r, fp());
    EXPECT_TRUE(!r);
    r = 7.0;
    sqrt(r, make(1, 0).operator-());
    EXPECT_EQ(r, 7.0) << "sqrt of a negative value leaves the result";
}

TEST(FpElementary, IntegerPowRefusesZeroToNegativeAndOutOfRange) {
    ScopedBlockPrec B5(5);
    fp r;
    EXPECT_TRUE(pow(r, fp(2.0), 10));
    EXPECT_EQ(r, 1024.0);
    EXPECT_TRUE(pow(r, fp(2.0), -1));
    EXPECT_EQ(r, 0.5);
    r = 7.0;
    EXPECT_FALSE(pow(r, fp(), -1)) << "0^-1 is a division by zero";
    EXPECT_EQ(r, 7.0);
    EXPECT_TRUE(pow(r, fp(1.0), -77));
    EXPECT_EQ(r, 1.0);
    EXPECT_FALSE(pow(r, fp(4.0), 1 << 30)) << "2 * 2^30 bits is out of range";
    EXPECT_TRUE(!r);
}

TEST(FpElementary, FpPowFollowsTheSignAndDomainRules) {
    ScopedBlockPrec B5(5);
    fp r;
    EXPECT_TRUE(pow(r, fp(), fp()));
    EXPECT_EQ(r, 1.0);
    EXPECT_FALSE(pow(r, fp(), fp(-2.0)));
    EXPECT_EQ(r, 1.0) << "left as it was";
    fp third;
    EXPECT_TRUE(div(third, fp(1.0), fp(3.0)));
    EXPECT_FALSE(pow(r, fp(-8.0), third));
    EXPECT_TRUE(!r);
    EXPECT_TRUE(pow(r, fp(-2.0), fp(3.0)));
    EXPECT_EQ(r, -8.0);
    EXPECT_TRUE(pow(r, fp(100.0), fp(0.5)));
    EXPECT_EQ(text(r, 40), "10");
}

TEST(FpElementary, PowTakesTheSignFromTheParityOfAHugeExponent) {
    ScopedBlockPrec B5(5);
    fp r;
    fp big = make(1, 40);  // 2^40
    big += 1.0;
    fp base(-1.0);
    base -= power2(-45);
    EXPECT_TRUE(pow(r, base, big));
    EXPECT_LT(r, 0.0);
    EXPECT_EQ(text(r, 6), "-1.03174");
}

// LogWithinMeasuredBound and ExpWithinMeasuredBound check the bounds against
// MPFR; these values must come out exact, or the series' constants themselves.
TEST(FpElementary, LogIsExactAtOneAndLeavesItsResultOutsideItsDomain) {
    ScopedBlockPrec B5(5);
    fp r;
    log(r, fp(1.0));
    EXPECT_TRUE(!r) << "log 1 is exactly 0";
    fp ln2;
    ComputeLn2(ln2);
    log(r, fp(2.0));
    EXPECT_EQ(text(r, 45), text(ln2, 45));
    log(r, fp(0.5));
    EXPECT_EQ(text(r, 45), text(-ln2, 45));
    r = 3.0;
    log(r, fp());
    log(r, fp(-1.0));
    EXPECT_EQ(r, 3.0) << "log outside its domain leaves the result";
}

TEST(FpElementary, ExpIsExactAtZeroAndTinyArgumentsUnderflowsAndSaturates) {
    ScopedBlockPrec B5(5);
    fp r;
    exp(r, fp());
    EXPECT_EQ(r, 1.0);
    fp e;
    ComputeE(e);
    exp(r, fp(1.0));
    EXPECT_EQ(text(r, 45), text(e, 45));
    exp(r, make(1, -2000000000));
    EXPECT_EQ(r, 1.0) << "a tiny argument gives exactly 1";
    exp(r, make(1, 40).operator-());
    EXPECT_TRUE(!r) << "e^(-2^40) underflows to zero";
    fpClearOverflow();
    exp(r, make(1, 40));
    EXPECT_TRUE(fpOverflowed()) << "e^(2^40) saturates and says so";
    fpClearOverflow();
}

TEST(FpElementary, ConstantsAreCachedPerHighestPrecision) {
    auto& ln2 = detail::ln2Cache();
    auto& e = detail::eCache();
    i32 const top = (ln2.blockPrecCurr > e.blockPrecCurr ? ln2.blockPrecCurr : e.blockPrecCurr) + 1;
    fp atTop, atLower, again;
    {
        ScopedBlockPrec p(top + 3);
        i32 const before = ln2.computations;
        ComputeLn2(atTop);
        EXPECT_EQ(ln2.computations, before + 1) << "a new highest precision sums the series";
        ComputeLn2(again);
        EXPECT_EQ(ln2.computations, before + 1) << "the same precision reuses it";
        EXPECT_EQ(blockPrec, top + 3);
    }
    {
        ScopedBlockPrec p(top + 1);
        i32 const before = ln2.computations;
        ComputeLn2(atLower);
        EXPECT_EQ(ln2.computations, before) << "a lower precision reuses the cached value";
        fp rounded(atTop);
        fpNormalize(rounded);
        EXPECT_EQ(compare(atLower, rounded), 0);
        EXPECT_LE(atLower.mantissa.size, top + 1);
        EXPECT_EQ(blockPrec, top + 1);
    }
    {
        ScopedBlockPrec p(top + 4);
        i32 const before = e.computations;
        ComputeE(atTop);
        ComputeE(again);
        EXPECT_EQ(e.computations, before + 1);
        ComputeLn2(again);
        EXPECT_EQ(ln2.blockPrecCurr, top + 4) << "a higher precision sums again";
    }
}

TEST(FpOperators, DivisionByZeroLeavesTheTarget) {
    ScopedBlockPrec B5(5);
    fp y(6.0);
    y /= fp();
    EXPECT_EQ(y, 6.0) << "division by zero leaves /='s target";
    EXPECT_TRUE(!(y / fp()));
    fp z(2.75);
    EXPECT_FALSE(div(z, y, 0.0));
    EXPECT_EQ(z, 2.75);
}

// A double compares by value whatever the form; shifts scale by powers of two.
TEST(FpOperators, MixedOperandsWithDoublesIntegersAndShifts) {
    ScopedBlockPrec B5(5);
    EXPECT_TRUE(make(1, 1) == 2.0 && make(2, 0) == 2.0 && fp() == 0.0);
    fp x(1.5);
    x << 3;
    EXPECT_EQ(x, 12.0);
    x >> 4;
    EXPECT_EQ(x, 0.75);
    fp y(6.0);
    y /= 4.0;
    EXPECT_EQ(y, 1.5);
    ++y;
    y++;
    EXPECT_EQ(y, 3.5);
    --y;
    EXPECT_EQ(y, 2.5);
    EXPECT_EQ(2.0 * y - 1.0, 4.0);
    EXPECT_EQ(y ^ 2.0, 6.25);
    mb three;
    init(three, 3);
    EXPECT_EQ(y + three, 5.5);
    EXPECT_EQ(three / fp(2.0), 1.5);
    EXPECT_TRUE(fp(3.0) == three);
    EXPECT_TRUE(fp(2.9) < three);
    EXPECT_EQ(-y, -2.5);
    fp z;
    add(z, 0.25, y);
    EXPECT_EQ(z, 2.75);
}

}  // namespace
}  // namespace korvel
