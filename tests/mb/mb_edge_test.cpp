// What GMP cannot judge: storage behaviour, the lenient reader, machine ranges,
// and the small cases that pin the algorithms down.
#include <gtest/gtest.h>

#include <climits>
#include <cstdlib>
#include <sstream>
#include <string>

#include "../support/random_mb.h"
#include <korvel/mb.h>

namespace korvel {
namespace {

mb num(char const* text) {
    mb x;
    EXPECT_TRUE(mbConvFromStr(x, text)) << text;
    return x;
}

std::string str(mb const& x) {
    return OwnedText(mb2Str(x)).get();
}

bool isEmptyZero(mb const& x) { return x.size == 0 && x.alloc == 0 && x.words == nullptr; }

// Signs, carries and quotients are GMP's to judge (mb_differential_test); only
// the storage of a zero is checked here.
TEST(MbStorage, ZeroResultsReleaseStorageExceptWhereKept) {
    struct Case {
        char const* rule;
        void (*make)(mb& r);  // r holds 123 before
        u32 alloc;            // 0: no storage at all
    } const cases[] = {
        {"add of 5 and -5", [](mb& r) { add(r, mb(5), mb(-5)); }, 0},
        {"sub of -7 and -7", [](mb& r) { sub(r, mb(-7), mb(-7)); }, 0},
        {"mul by zero", [](mb& r) { mul(r, mb(5), mb()); }, 0},
        {"operator= of zero", [](mb& r) { r = mb(); }, 0},
        {"every bit shifted out", [](mb& r) { mbShiftRight(r, num("18446744073709551615"), 64); }, 0},
        {"a quotient of 0", [](mb& r) { EXPECT_TRUE(div(r, mb(3), num("100000000000000000000"))); }, 0},
        // Machine zero, divRem's zero results and myModulus of zero keep storage.
        {"machine zero", [](mb& r) { equate(r, 0L); }, 1},
        {"divRem's zero quotient", [](mb& r) { mb rem(6); EXPECT_TRUE(divRem(r, rem, mb(), mb(5))); }, 1},
        {"divRem's zero remainder", [](mb& r) { mb q(5); EXPECT_TRUE(divRem(q, r, mb(), mb(5))); }, 1},
        {"myModulus of zero", [](mb& r) { myModulus(r, mb(), mb(5)); }, 1},
    };
    for (auto const& c : cases) {
        mb r = num("123");
        c.make(r);
        EXPECT_TRUE(r.size == 0 && r.alloc == c.alloc && (c.alloc != 0 || r.words == nullptr)) << c.rule;
    }
    mb z = testing::fromWords({0, 0, 0});  // not in normal form
    mbNormalize(z);
    EXPECT_TRUE(isEmptyZero(z)) << "mbNormalize of zero words";
}

TEST(MbStorage, EquateSelfAndCarefulGrowth) {
    mb x = num("123456789012345678901234567890");
    u32* before = x.words;
    equate(x, x);
    EXPECT_EQ(x.words, before);
    EXPECT_EQ(str(x), "123456789012345678901234567890");

    std::string const hundredDigits = "1" + std::string(100, '0');
    mb big = num(hundredDigits.c_str());
    mb small = num("42"), work;
    equateWithCare(work, big);
    u32* grown = work.words;
    u32 alloc = work.alloc;
    equateWithCare(work, small);
    EXPECT_EQ(work.words, grown) << "equateWithCare keeps storage that is large enough";
    EXPECT_EQ(work.alloc, alloc);
    equate(work, small);
    EXPECT_EQ(work.alloc, 1u) << "equate makes storage exact";
}

// compare of normal forms is checked against GMP; here a high zero word.
TEST(MbQueries, BitsComparisonAndParity) {
    mb const wide = testing::fromWords({1, 1, 0});  // a high zero word counted in size
    EXPECT_EQ(mbCompareAbs(wide, num("4294967297")), 0);

    EXPECT_EQ(Lg2(num("1")), 0);
    EXPECT_EQ(Lg2(num("4294967296")), 32);
    EXPECT_EQ(Lg2(num("-18446744073709551615")), 63);
    EXPECT_EQ(NumBits(num("4294967296")), 33);
    EXPECT_EQ(NumBits(-1), 1);
    EXPECT_EQ(NumBits(0), 0);
    EXPECT_EQ(NumBits(0xFFFFFFFFu), 32);
    EXPECT_EQ(NumBits(INT32_MIN), 32);
    EXPECT_EQ(NumBits(LLONG_MIN), 64);
    EXPECT_EQ(NumBits(5L), 3);

    mb one = num("1");
    EXPECT_EQ(alignLeft(one), 31);
    EXPECT_EQ(one.words[0], 0x80000000u);
    EXPECT_EQ(alignLeft(one), 0);
    EXPECT_TRUE(isItEven(mb()));
    EXPECT_FALSE(isItEven(num("-3")));
    EXPECT_EQ(str(abs(num("-12"))), "12");
    EXPECT_TRUE(!mb());
}

// Signs, shifts, powers and quotients of every sign are checked against GMP
// (mb_differential_test, whose powers start at the bases 0 and +-1); these are
// the word boundaries it may not draw.
TEST(MbArithmetic, CarriesAndDigitEstimatesAtWordBoundaries) {
    mb r;
    add(r, num("4294967295"), num("1"));
    EXPECT_TRUE(r.size == 2 && r.words[0] == 0u && r.words[1] == 1u);
    sub(r, num("4294967296"), num("1"));
    EXPECT_TRUE(r.size == 1 && r.words[0] == 0xFFFFFFFFu);
    ASSERT_TRUE(div(r, num("18446744073709551616"), num("4294967297")));
    EXPECT_EQ(str(r), "4294967295");
    ASSERT_TRUE(div(r, num("79228162514264337593543950335"), num("18446744073709551615")));
    EXPECT_EQ(str(r), "4294967296") << "2^96-1 by 2^64-1: second digit estimated as 0";
    mb const x = num("123456789012345678901234567890");
    EXPECT_TRUE(div(r, x, -x));
    EXPECT_EQ(str(r), "-1") << "equal magnitudes, opposite signs";
}

// The forms GMP has no twin for: a scalar product, a divisor of the wrong
// length and a zero divisor (never drawn at random), which leave the result.
TEST(MbArithmetic, FormsWithoutAGmpTwin) {
    mb r = num("1"), q = num("99");
    mulByScalarAbs(r, num("-3"), 7);
    EXPECT_EQ(str(r), "-21");
    EXPECT_EQ(mbShortDiv(q, num("5"), num("4294967296")), 0u);
    EXPECT_EQ(str(q), "99") << "a two-word divisor leaves q alone";
    EXPECT_FALSE(div(q, num("7"), mb()));
    EXPECT_EQ(str(q), "99");
    myModulus(r, num("7"), mb());
    EXPECT_EQ(str(r), "-21") << "modulus 0 leaves r unchanged";
}

TEST(MbDivision, ThreeByTwoCapsItsQuotient) {
    mb a3 = testing::fromWords({0, 1, 0}), b2 = testing::fromWords({0, 1});
    EXPECT_EQ(ThreeByTwo(a3, b2), 1u);
    a3 = testing::fromWords({0, 0, 1});
    EXPECT_EQ(ThreeByTwo(a3, b2), 0xFFFFFFFFu) << "a quotient of 2^32 is capped";
}

// Plain decimal texts of every length are read back against GMP in
// DecimalTextAgainstGmp; here the lenient rules.
TEST(MbText, LenientReaderRules) {
    struct Case {
        char const* text;
        bool ok;
        char const* value;
    };
    Case const cases[] = {
        {" - 1 2 3 ", true, "-123"},
        {"+007", true, "7"},
        {"000", true, "0"},
        {"-0", true, "0"},
        {"", true, "0"},
        {"0", true, "0"},
        {"   ", false, "0"},
        {"12a", false, "0"},
        {"1-2", false, "0"},
        {"--1", false, "0"},
        {"1e5", false, "0"},
        {"12.5e3", true, "12"},
        {"12.x", true, "12"},
        {".5", true, "0"},
        {"-.5", true, "0"},
        {"abc.7", true, "0"},
        {"+", true, "0"},
        {"-", true, "0"},
        {"x", false, "0"},
    };
    for (auto const& c : cases) {
        mb x = num("99");
        EXPECT_EQ(mbConvFromStr(x, c.text), c.ok) << '"' << c.text << '"';
        EXPECT_EQ(str(x), c.value) << '"' << c.text << '"';
    }
    mb fromCtor("12x");
    EXPECT_EQ(fromCtor.size, 0) << "an unreadable text constructs zero";
    mb e;
    EXPECT_TRUE(init(e, ""));
    EXPECT_FALSE(equate(e, "1-1"));
    EXPECT_TRUE(equate(e, "-98765432109876543210"));
    EXPECT_EQ(str(e), "-98765432109876543210");
}

// Texts up to 80 words are checked against GMP; this one has over 100 groups
// of nine digits.
TEST(MbText, WriterGroupsAndStack) {
    std::string const digits = "9" + std::string(1999, '0') + "7";
    EXPECT_EQ(toString(num(digits.c_str())), digits);
    EXPECT_EQ(str(num(digits.c_str())), digits);

    std::ostringstream os;
    os << num("-42");
    EXPECT_EQ(os.str(), "-42\n");

    char out[32];
    sIndex = 0;
    PrintDigits(out, 42, 1);
    PrintDigits(out, 7, 0);
    out[sIndex] = '\0';
    EXPECT_STREQ(out, "0000000427");

    lstack s;
    for (i32 i = 0; i < 250; ++i) s.push(i);
    EXPECT_TRUE(s.items[0] == 0 && s.items[s.top] == 249) << "growth keeps the items";
}

// equate(T&, x) takes [lo, hi] and refuses the integers just beyond both ends.
template <class T>
void expectRange(char const* lo, char const* hi, char const* below, char const* above) {
    T v{};
    EXPECT_TRUE(equate(v, num(lo)) && mb(v) == num(lo)) << lo;
    EXPECT_TRUE(equate(v, num(hi)) && mb(v) == num(hi)) << hi;
    EXPECT_FALSE(equate(v, num(below))) << below;
    EXPECT_FALSE(equate(v, num(above))) << above;
}

// Signed types of 32 and 64 bits accept a symmetric range: their minimum is
// refused.
TEST(MbMachine, RangesOfEveryType) {
    expectRange<short>("-32768", "32767", "-32769", "32768");
    expectRange<unsigned short>("0", "65535", "-1", "65536");
    expectRange<char>("-128", "127", "-129", "128");
    expectRange<unsigned char>("0", "255", "-1", "256");
    expectRange<i32>("-2147483647", "2147483647", "-2147483648", "2147483648");
    expectRange<u32>("0", "4294967295", "-1", "4294967296");
    expectRange<long long>("-9223372036854775807", "9223372036854775807", "-9223372036854775808",
                           "9223372036854775808");
    expectRange<long>("-9223372036854775807", "9223372036854775807", "-9223372036854775808",
                      "9223372036854775808");
    expectRange<unsigned long long>("0", "18446744073709551615", "-1", "18446744073709551616");

    // A refused value leaves 0, or in a 32-bit int a one-word bit pattern.
    short sh = 1;
    EXPECT_TRUE(!equate(sh, num("32768")) && sh == 0);
    i32 l = 5;
    EXPECT_FALSE(equate(l, num("-2147483648")));
    EXPECT_EQ(u32(l), 0x80000000u) << "the refused word's bit pattern is left";
    EXPECT_TRUE(!equate(l, num("4294967296")) && l == 0);
    long long ll = 5;
    EXPECT_TRUE(!equate(ll, num("-9223372036854775808")) && ll == 0);

    mb x;
    equate(x, LONG_MIN);
    EXPECT_EQ(str(x), "-9223372036854775808");
    equate(x, ULLONG_MAX);
    EXPECT_EQ(str(x), "18446744073709551615");
    equate(x, INT32_MIN);
    EXPECT_EQ(x.size, -1);
    EXPECT_EQ(x.words[0], 0x80000000u);
}

}  // namespace
}  // namespace korvel
