// The small exact cases that pin the design down, the edge of the exponent
// range, the integer helpers on every form of a value, and the rules of the
// elementary functions and the operators, one test each.
#include <gtest/gtest.h>

#include <climits>
#include <cstdlib>
#include <string>

#include "../support/fp_text.h"
#include <korvel/fp.h>

namespace korvel {
namespace {

using testing::text;
using testing::value;

fp make(std::initializer_list<u32> lowFirst, i32 exponent, bool negative = false) {
    fp x;
    x.mantissa.size = i32(lowFirst.size());
    update(x.mantissa);
    i32 i = 0;
    for (u32 w : lowFirst) x.mantissa.words[i++] = w;
    if (negative) x.mantissa.size = -x.mantissa.size;
    x.exponent = exponent;
    return x;
}

void expectForm(fp const& x, std::initializer_list<u32> lowFirst, i32 exponent, char const* what) {
    i32 n = x.mantissa.size < 0 ? -x.mantissa.size : x.mantissa.size;
    ASSERT_EQ(n, i32(lowFirst.size())) << what;
    i32 i = 0;
    for (u32 w : lowFirst) EXPECT_EQ(x.mantissa.words[i++], w) << what << " word " << i - 1;
    EXPECT_EQ(x.exponent, exponent) << what;
}

// Ties of either sign and the bits beside them are checked against GMP in
// NormalizeRoundsToNearestTiesAway; here the carry out of the top word and the
// forms the random operands never take.
TEST(FpExact, NormalizeRoundsAtTheFirstDroppedBit) {
    ScopedBlockPrec B1(1);
    fp x = make({0x80000000u, 0xFFFFFFFFu}, 0);
    fpNormalize(x);
    expectForm(x, {1u}, 64, "all ones carry out");
    x = make({7u, 0u, 0u}, 3);
    fpNormalize(x);
    expectForm(x, {7u}, 3, "high zero words dropped");
    x = make({}, 12);
    fpNormalize(x);
    EXPECT_EQ(x.exponent, 0);
    ScopedBlockPrec B5(5);
    x = make({4u}, 0);
    fpNormalize(x);
    expectForm(x, {4u}, 0, "a short mantissa is kept as it is");
}

// At one or two words: what rounding keeps and drops, to nearest, ties away.
TEST(FpExact, RoundingAtOneAndTwoWords) {
    {
        ScopedBlockPrec B1(1);
        fp r;
        add(r, make({1u}, 0), make({1u}, -40));
        EXPECT_EQ(compare(r, make({1u}, 0)), 0) << "B = 1 cuts the small operand";
        add(r, make({0xFFFFFFFFu}, 0), make({1u}, -1));
        EXPECT_EQ(compare(r, make({1u}, 32)), 0) << "(2^32 - 1) + 0.5 rounds away";
        mul(r, make({0xFFFFFFFFu}, 0), make({0xFFFFFFFFu}, 0));
        expectForm(r, {0xFFFFFFFEu}, 32, "(2^32-1)^2");
        EXPECT_TRUE(div(r, make({1u}, 0), make({3u}, 0)));
        expectForm(r, {0xAAAAAAABu}, -33, "1/3");
    }
    ScopedBlockPrec B2(2);
    fp r;
    add(r, make({1u}, 0), make({1u}, -40));
    fp exact = make({1u, 0x100u}, -40);
    EXPECT_EQ(compare(r, exact), 0) << "B = 2 keeps 1 + 2^-40";
}

// Zero results and operands: the zero form, a failed division that leaves its
// result, comparisons of equal values in different forms, and powers of 0.
TEST(FpExact, ZerosFormsAndPowers) {
    fp x = value("-123.25"), r;
    sub(r, x, x);
    EXPECT_TRUE(!r);
    EXPECT_EQ(r.exponent, 0);
    fp y = make({6u}, -3);
    sub(r, fp(), y);
    expectForm(r, {6u}, -3, "0 - y keeps y's form");
    EXPECT_LT(r.mantissa.size, 0);
    r = value("5");
    EXPECT_FALSE(div(r, x, fp()));
    EXPECT_EQ(text(r), "5");
    EXPECT_TRUE(div(r, fp(), x));
    EXPECT_TRUE(!r);

    EXPECT_EQ(compare(make({2u}, -1), make({1u}, 0)), 0) << "equal values in different forms";
    EXPECT_EQ(compare(make({1u, 0u}, 0), make({1u}, 0)), 0);
    EXPECT_EQ(compare(fp(), value("-1")), 1);
    EXPECT_EQ(compare(value("-1"), fp()), -1);

    EXPECT_TRUE(power(r, value("2"), 10));
    EXPECT_EQ(text(r), "1024");
    EXPECT_TRUE(power(r, value("2"), -2));
    EXPECT_EQ(text(r), "0.25");
    EXPECT_TRUE(power(r, fp(), 3));
    EXPECT_TRUE(!r);
    EXPECT_FALSE(power(r, fp(), 0));
    EXPECT_TRUE(power(r, value("5"), 0));
    EXPECT_EQ(text(r), "1");
}

TEST(FpExact, RepresentationHelpers) {
    setDecPrec(-20);
    EXPECT_EQ(getDecPrec(), 20);
    setDecPrec(0);
    EXPECT_EQ(getDecPrec(), 16);

    EXPECT_EQ(Lg2(value("1")), 0);
    EXPECT_EQ(Lg2(value("0.75")), -1);
    EXPECT_EQ(Lg2(value("1024")), 10);
    EXPECT_EQ(Lg2(value("-3")), 1);
    EXPECT_EQ(Lg2(make({2u}, -1)), 0);
    EXPECT_EQ(Lg2(fp()), 0);

    mb m;
    equate(m, make({5u}, -1, true));
    EXPECT_EQ(m.size, -1);
    EXPECT_EQ(m.words[0], 2u);
    equate(m, make({3u}, 4));
    EXPECT_EQ(m.words[0], 48u);

    fp self = value("2.5");
    u32* before = self.mantissa.words;
    self = *&self;
    EXPECT_EQ(self.mantissa.words, before);
    fp a = value("7");
    a = fp();
    EXPECT_EQ(a.mantissa.alloc, 0u);
    EXPECT_EQ(text(abs(value("-2.5"))), "2.5");
    power2(a, -3);
    expectForm(a, {1u}, -3, "2^-3 is one word");
}

// Exponents never wrap: a value out of reach of the 32-bit exponent is refused
// by the reader, saturates with the overflow flag in arithmetic, or underflows
// toward zero.
TEST(FpExponentRange, NoWrapAround) {
    fp x;
    EXPECT_FALSE(fpConvFromString(x, "1e999999999"));
    EXPECT_FALSE(fpConvFromString(x, "1e-999999999"));
    EXPECT_FALSE(fpConvFromString(x, "1e99999999999999"));
    fpClearOverflow();
    ASSERT_TRUE(fpConvFromString(x, "1e600000000"));
    EXPECT_FALSE(fpOverflowed()) << "2^1993156642 is within range";
    EXPECT_EQ(text(x, 5), "1e600000000");

    fp big = make({0x80000000u}, INT_MAX - 40), r;
    fpClearOverflow();
    mul(r, big, big);
    EXPECT_TRUE(fpOverflowed());
    EXPECT_GT(r.mantissa.size, 0);
    EXPECT_EQ(r.exponent, INT_MAX) << "saturated, not wrapped";
    EXPECT_GT(compare(r, big), 0);
    fpClearOverflow();
    add(r, big, big);  // the sum needs one more bit than the exponent allows
    EXPECT_FALSE(fpOverflowed()) << "a short mantissa absorbs the excess";
    EXPECT_GT(compare(r, big), 0);

    fp tiny = make({1u}, INT_MIN + 10);
    mul(r, tiny, tiny);
    EXPECT_TRUE(!r) << "underflow goes to zero";
    EXPECT_TRUE(div(r, tiny, big));
    EXPECT_TRUE(!r);
    EXPECT_TRUE(div(r, big, tiny));
    EXPECT_EQ(r.exponent, INT_MAX);
    EXPECT_GT(r.mantissa.size, 0);
    fpClearOverflow();
    fp negBig = make({1u}, INT_MAX, true);
    mul(r, negBig, big);
    EXPECT_LT(r.mantissa.size, 0) << "the sign survives saturation";
    fpClearOverflow();
}

TEST(FpInteger, PartsAndTestsOnEveryForm) {
    EXPECT_EQ(to_long(value("-2.7")), -2);
    EXPECT_EQ(to_long(value("4294967301")), 5) << "only the low 32 bits survive";
    EXPECT_EQ(to_long(make({1u}, 100)), 0);

    i32 v = 99;
    EXPECT_TRUE(equate(v, value("7")));
    EXPECT_EQ(v, 7);
    EXPECT_FALSE(equate(v, value("7.5")));
    EXPECT_EQ(v, 7);
    EXPECT_FALSE(equate(v, value("0.5")));
    EXPECT_EQ(v, 0);
    EXPECT_TRUE(equate(v, fp()));
    EXPECT_FALSE(equate(v, value("2147483648")));
    EXPECT_TRUE(equate(v, value("-2147483647")));
    EXPECT_EQ(v, -2147483647);
    EXPECT_FALSE(equate(v, make({1u}, 1000000)));

    EXPECT_EQ(text(floor(value("-1.5"))), "-1");
    EXPECT_EQ(text(floor(value("2.5"))), "2");
    EXPECT_EQ(text(floor(value("3"))), "3");

    EXPECT_TRUE(isItInteger(value("3")));
    EXPECT_FALSE(isItInteger(value("2.5")));
    EXPECT_TRUE(isItInteger(fp()));
    EXPECT_TRUE(isItInteger(make({0u, 1u}, -32))) << "1 held with a zero low word";
    EXPECT_TRUE(isItInteger(make({1u}, 40)));
    EXPECT_TRUE(isItEven(value("4")));
    EXPECT_FALSE(isItEven(value("3")));
    EXPECT_TRUE(isItEven(fp()));
    EXPECT_TRUE(isItEven(make({1u}, 40)));
    EXPECT_FALSE(isItEven(make({2u}, -1))) << "1 held as 2 * 2^-1 is odd";
    EXPECT_TRUE(isItEven(make({4u}, -1)));
}

TEST(FpElementary, SqrtRoundsShortTopWordsAndLeavesNegatives) {
    ScopedBlockPrec B5(5);
    fp r;
    sqrt(r, make({4u}, 0));
    EXPECT_EQ(r, 2.0);
    {
        ScopedBlockPrec B1(1);
        sqrt(r, make({2u}, 0));
        EXPECT_EQ(r, make({92681u}, -16)) << "a small top word gives a short root";
        sqrt(r, make({0x80000000u}, -30));
        EXPECT_EQ(r, make({0xB504F333u}, -31));
    }
    sqrt(r, fp());
    EXPECT_TRUE(!r);
    r = 7.0;
    sqrt(r, make({1u}, 0).operator-());
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
    fp big = make({1u}, 40);  // 2^40
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
    exp(r, make({1u}, -2000000000));
    EXPECT_EQ(r, 1.0) << "a tiny argument gives exactly 1";
    exp(r, make({1u}, 40).operator-());
    EXPECT_TRUE(!r) << "e^(-2^40) underflows to zero";
    fpClearOverflow();
    exp(r, make({1u}, 40));
    EXPECT_TRUE(fpOverflowed()) << "e^(2^40) saturates and says so";
    fpClearOverflow();
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
    EXPECT_TRUE(make({1u}, 1) == 2.0 && make({2u}, 0) == 2.0 && fp() == 0.0);
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
