// Doubles, machine integers and the operators of mb against GMP and MPFR.
#include <gtest/gtest.h>
#include <mpfr.h>

#include <bit>
#include <climits>
#include <cstdlib>
#include <cmath>
#include <limits>
#include <string>

#include "../support/gmp_bridge.h"
#include "../support/random_mb.h"
#include <korvel/mb.h>

namespace korvel {
namespace {

using testing::Mpz;
using testing::RandomWords;
using testing::randomMb;
using testing::sameValue;

constexpr std::uint64_t seed = 20261207;

using testing::decimal;

bool exactStorage(mb const& x) { return x.size == 0 ? x.alloc == 0 : x.alloc == u32(std::abs(x.size)); }

// Doubles of every kind: any finite bit pattern, near-integers one ulp either
// side, fractions, and the ends of the 53-bit range.
double randomDouble(RandomWords& rng) {
    switch (rng.below(4)) {
        case 0: {
            u64 bits = (u64(rng.word()) << 32) | rng.word();
            if (((bits >> 52) & 0x7FF) == 0x7FF) bits &= ~(u64(1) << 62);
            return std::bit_cast<double>(bits);
        }
        case 1: {
            double k = std::ldexp(double(rng.word()), rng.below(64));
            return std::nextafter(k, rng.coin() ? 0.0 : HUGE_VAL) * (rng.coin() ? 1 : -1);
        }
        case 2: return (double(rng.word()) / 4294967296.0) * (rng.coin() ? 1 : -1);
        default: return std::ldexp(1.0, 53) + double(rng.below(5) - 2) * (rng.coin() ? 1 : -1);
    }
}

TEST(MbDouble, IntegerPartMatchesMpzSetD) {
    RandomWords rng(seed);
    SCOPED_TRACE("seed " + std::to_string(seed));
    for (int i = 0; i < 20000; ++i) {
        double const d = randomDouble(rng);
        Mpz want;
        mpz_set_d(want, d);
        mb x(123), y(d);
        EXPECT_TRUE(equate(x, d));
        x = d;
        EXPECT_TRUE(sameValue(x, want) && sameValue(y, want) && exactStorage(x) && exactStorage(y))
            << std::hexfloat << d << " got " << decimal(x);
    }
}

// The double nearest to x * 2^e, with ties to even, as MPFR rounds it; the
// scales reach overflow and the subnormal range.
TEST(MbDouble, ConversionToDoubleIsNearest) {
    RandomWords rng(seed + 1);
    SCOPED_TRACE("seed " + std::to_string(seed + 1));
    for (int i = 0; i < 20000; ++i) {
        mb x = randomMb(rng, 36);
        if (rng.below(4) == 0 && x.size != 0) {  // a tie or a neighbour of one
            mbShiftRight(x, x, NumBits(x) > 54 ? NumBits(x) - 54 : 0);
            x += i32(rng.below(3) - 1);
            mbShiftLeft(x, x, rng.below(1000));
        }
        i64 const e = rng.below(3) == 0 ? 0 : i64(rng.below(2400)) - 1200 - NumBits(x) / 2;
        Mpz gx;
        testing::toMpz(gx, x);
        mpfr_t exact;
        mpfr_init2(exact, NumBits(x) + 2);
        mpfr_set_z_2exp(exact, gx, e, MPFR_RNDN);
        double const want = mpfr_get_d(exact, MPFR_RNDN);
        mpfr_clear(exact);
        double got = 1.5;
        bool const ok = mbToDouble(got, x, e);
        EXPECT_EQ(std::bit_cast<u64>(got), std::bit_cast<u64>(want))
            << decimal(x) << " * 2^" << e << std::hexfloat << " got " << got << " want " << want;
        EXPECT_EQ(ok, !std::isinf(want));
        if (e == 0) {
            EXPECT_EQ(equate(got, x), ok);
            EXPECT_EQ(got, want);
        }
    }
}

template <class T>
void toMpz(mpz_t out, T v) {
    if constexpr (std::is_floating_point_v<T>)
        mpz_set_d(out, v);
    else if constexpr (std::is_signed_v<T>)
        mpz_set_si(out, long(v));
    else
        mpz_set_ui(out, static_cast<unsigned long>(v));
}

template <class T>
T randomOperand(RandomWords& rng) {
    if constexpr (std::is_floating_point_v<T>) {
        return randomDouble(rng);
    } else {
        u64 const bits = (u64(rng.word()) << 32) | rng.word();
        switch (rng.below(4)) {
            case 0: return std::numeric_limits<T>::min() + T(rng.below(3));
            case 1: return std::numeric_limits<T>::max() - T(rng.below(3));
            case 2: return T(rng.below(7) - 3);
            default: return T(bits >> rng.below(64));
        }
    }
}

// Every free form and operator with a machine operand on either side equals
// the mpz operation on the operand's integer part.
template <class T>
void checkMixedForms(RandomWords& rng) {
    for (int i = 0; i < 1500; ++i) {
        mb const x = randomMb(rng, 4);
        T const v = randomOperand<T>(rng);
        Mpz gx, gv, want, rem;
        testing::toMpz(gx, x);
        toMpz(gv, v);
        auto expect = [&](mb const& got, mpz_srcptr w, char const* form) {
            EXPECT_TRUE(sameValue(got, w)) << form << " x=" << decimal(x) << " v=" << +v << " got " << decimal(got);
        };
        mb r;
        mpz_add(want, gx, gv);
        add(r, x, v); expect(r, want, "add(r, x, v)");
        add(r, v, x); expect(r, want, "add(r, v, x)");
        r = x, r += v; expect(r, want, "+=");
        mpz_sub(want, gv, gx);
        sub(r, v, x); expect(r, want, "sub(r, v, x)");
        expect(v - x, want, "v - x");
        mpz_neg(want, want);
        sub(r, x, v); expect(r, want, "sub(r, x, v)");
        mpz_mul(want, gx, gv);
        mul(r, x, v); expect(r, want, "mul(r, x, v)");
        mul(r, v, x); expect(r, want, "mul(r, v, x)");
        expect(x * v, want, "x * v");
        mb q(7), m(8);
        if (mpz_sgn(gv.v) != 0) {
            mpz_tdiv_qr(want, rem, gx, gv);
            EXPECT_TRUE(div(q, x, v)); expect(q, want, "div(q, x, v)");
            EXPECT_TRUE(divRem(q, m, x, v)); expect(q, want, "divRem q"); expect(m, rem, "divRem r");
            r = x, r /= v; expect(r, want, "/=");
        } else {
            EXPECT_FALSE(div(q, x, v) || divRem(q, m, x, v)) << "division by " << +v;
            EXPECT_TRUE(q == mb(7) && m == mb(8)) << "a failed division writes nothing";
            expect(x / v, gv, "x / 0");
        }
        if (x.size != 0) {
            mpz_tdiv_qr(want, rem, gv, gx);
            EXPECT_TRUE(div(q, v, x)); expect(q, want, "div(q, v, x)");
            EXPECT_TRUE(divRem(q, m, v, x)); expect(q, want, "divRem(v, x) q"); expect(m, rem, "r");
        }
        if (mpz_sgn(gv.v) > 0)
            mpz_fdiv_r(want, gx, gv);
        else
            mpz_set_ui(want, 0);
        if (v > 0 && mpz_sgn(gv.v) == 0) continue;  // 0 < v < 1: r is left unchanged
        r = mb(5), myModulus(r, x, v); expect(r, want, "myModulus");
        expect(x % v, want, "x % v");
    }
}

TEST(MbMixed, EveryMachineTypeMatchesGmp) {
    RandomWords rng(seed + 2);
    SCOPED_TRACE("seed " + std::to_string(seed + 2));
    checkMixedForms<double>(rng);
    checkMixedForms<int>(rng);
    checkMixedForms<long>(rng);
    checkMixedForms<long long>(rng);
    checkMixedForms<unsigned>(rng);
    checkMixedForms<unsigned long>(rng);
    checkMixedForms<unsigned long long>(rng);
    checkMixedForms<short>(rng);
    checkMixedForms<signed char>(rng);
    checkMixedForms<unsigned char>(rng);
}

TEST(MbMixed, InfinitiesAndNanCountAsZeroAndFailDivision) {
    double const bad[] = {HUGE_VAL, -HUGE_VAL, std::numeric_limits<double>::quiet_NaN()};
    mb const x(1000);
    for (double d : bad) {
        mb r(5), q(7);
        EXPECT_FALSE(equate(r, d));
        EXPECT_TRUE(r == mb(5) && mb(d).size == 0) << "equate leaves r; the constructor gives 0";
        EXPECT_FALSE(div(q, d, x) || div(q, x, d) || divRem(q, r, d, x) || divRem(q, r, x, d));
        EXPECT_TRUE(q == mb(7) && r == mb(5));
        r = d;
        EXPECT_EQ(r.size, 0) << "assignment gives 0";
        add(r, x, d);
        EXPECT_EQ(r, x);
        mul(r, x, d);
        EXPECT_EQ(r.size, 0);
    }
    mb r(5);
    myModulus(r, x, bad[2]);
    EXPECT_EQ(r.size, 0) << "NaN modulus gives 0";
    r = mb(5);
    myModulus(r, x, bad[0]);
    EXPECT_EQ(r, mb(5)) << "an infinite modulus counts as 0 and leaves r";
}

template <class X, class Y>
concept Comparable = requires(X x, Y y) { x == y; };

// A double operand counts as its integer part, toward zero, and a divisor
// below 1 in magnitude fails and leaves its result: EveryMachineTypeMatchesGmp
// checks the free forms and the binary operators on such doubles. Here the
// forms it leaves out: /= by a zero divisor and zero's storage.
TEST(MbOperators, DoubleOperandsTruncate) {
    mb x(10);
    EXPECT_TRUE(equate(x, 0.0)); EXPECT_TRUE(x.size == 0 && x.alloc == 0 && x.words == nullptr);
    EXPECT_EQ(mb(10) / mb(0), mb(0));
    x = mb(10), x /= 0.5; EXPECT_EQ(x, mb(10));
    x = mb(10), x /= mb(0); EXPECT_EQ(x, mb(10));
    static_assert(!Comparable<mb, double> && !std::is_convertible_v<double, mb>,
                  "a double never becomes an mb silently");
}

// The operators that surprise: shifts change x itself, ^ is power, postfix
// ++ and -- return nothing, machine moduli behave as doubles.
TEST(MbOperators, ShiftsPowersAndModuli) {
    mb x(80);
    mb& shifted = x >> 3;
    EXPECT_TRUE(&shifted == &x && x == mb(10));
    x << 2; EXPECT_EQ(x, mb(40));
    x >> INT_MIN; EXPECT_EQ(x.size, 0) << "a shift by INT_MIN takes 2^31 bits";
    x = mb(5);
    EXPECT_EQ(-x, mb(-5));
    EXPECT_EQ(x, mb(5));
    ++x; EXPECT_EQ(x, mb(6));
    x--; EXPECT_EQ(x, mb(5));
    static_assert(std::is_void_v<decltype(x++)> && std::is_void_v<decltype(x--)>);
    EXPECT_EQ(x ^ 3, mb(125));
    x ^= 2; EXPECT_EQ(x, mb(25));
    EXPECT_EQ(mb(-7) % mb(-3), mb(2));
    EXPECT_EQ(mb(-7) % -3, mb(0)) << "machine moduli behave as doubles: 0 for d <= 0";
    EXPECT_TRUE(mb(-5) < mb(3) && mb(3) <= mb(3) && mb(-3) > mb(-5) && mb(0) >= mb(-1) && mb(1) != mb(2));
}

// Exact at the ends of the 64-bit types, where a double would round.
TEST(MbOperators, MachineIntegersAreExactAtTheirEnds) {
    EXPECT_EQ(decimal(mb(LLONG_MIN) + ULLONG_MAX), "9223372036854775807");
    EXPECT_EQ(decimal(mb(0) - LLONG_MIN), "9223372036854775808");
}

}  // namespace
}  // namespace korvel
