// sqrt, exp, log and pow against MPFR, in units of the last place of B words,
// within bounds measured for these algorithms, and log of an integer as a double.
#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <string>

#include "../support/random_fp.h"
#include "../support/random_mb.h"
#include "../support/reference_check.h"
#include <korvel/fp.h>

namespace korvel {
namespace {

using testing::Mpfr;
using testing::RandomWords;

constexpr std::uint64_t seed = 90210;
constexpr i32 precisions[] = {1, 3, 9, 32, 126};

// A B-word value with a full top word and its top bit between the bounds.
fp fullValue(RandomWords& rng, i32 B, i32 lowExponent, i32 highExponent) {
    return testing::fullFp(rng, B, lowExponent + rng.below(highExponent - lowExponent + 1));
}

using testing::show;
using testing::ulpError;
using testing::Worst;

struct FunctionCase {
    char const* name;
    std::function<void(fp&, fp const&)> ours;
    std::function<void(mpfr_ptr, mpfr_srcptr)> reference;
    std::function<fp(RandomWords&, i32)> argument;
    // The error stays below this many ulps for argument x at precision B
    // (stated with each test).
    std::function<double(fp const&, i32)> bound;
};

void checkFunction(FunctionCase const& c) {
    RandomWords rng(seed + 1);
    for (i32 B : precisions) {
        ScopedBlockPrec precision(B);
        Worst worst, worstOfBound;
        int const count = B >= 32 ? 60 : 300;
        for (int i = 0; i < count; ++i) {
            fp x = c.argument(rng, B), r;
            c.ours(r, x);
            EXPECT_EQ(blockPrec, B) << c.name << " restores the precision";
            Mpfr xv(32 * B), ref(32 * B + 64);
            testing::toMpfr(xv, x);
            c.reference(ref, xv);
            double const error = ulpError(r, ref, B);
            worst.see(error, show(x));
            worstOfBound.see(error / c.bound(x, B), show(x));
            EXPECT_LT(error, c.bound(x, B)) << c.name << " B=" << B << " x=" << show(x);
        }
        if (::testing::Test::HasFailure())
            std::printf("%s B=%d: worst %.3g ulps at %s; %.2f of the bound at %s\n", c.name, B, worst.ulps,
                        worst.where.c_str(), worstOfBound.ulps, worstOfBound.where.c_str());
    }
}

// The root is truncated: below one unit.
TEST(FpFunctions, SqrtWithinOneUlp) {
    checkFunction({"sqrt", [](fp& r, fp const& x) { sqrt(r, x); },
                   [](mpfr_ptr r, mpfr_srcptr x) { mpfr_sqrt(r, x, MPFR_RNDN); },
                   [](RandomWords& rng, i32 B) { return fullValue(rng, B, -3000, 3000); },
                   [](fp const&, i32) { return 1.0; }});
}

// log and exp round every term and partial sum to B words, with no guard word,
// so their errors grow with the length of the series (about 32B terms for log).
// Measured worst cases: log 1.2, 1.0, 1.4, 17, 29 ulps at B = 1, 3, 9, 32, 126;
// exp 548, 948, 645, 211, 1590 ulps over |x| < 512, asserted below (6 + B/5)(1 + |x|).
TEST(FpFunctions, LogWithinMeasuredBound) {
    checkFunction({"log", [](fp& r, fp const& x) { log(r, x); },
                   [](mpfr_ptr r, mpfr_srcptr x) { mpfr_log(r, x, MPFR_RNDN); },
                   [](RandomWords& rng, i32 B) { return fullValue(rng, B, -2000, 2000); },
                   [](fp const&, i32 B) { return 3.0 + 0.8 * B; }});
}

TEST(FpFunctions, ExpWithinMeasuredBound) {
    checkFunction({"exp", [](fp& r, fp const& x) { exp(r, x); },
                   [](mpfr_ptr r, mpfr_srcptr x) { mpfr_exp(r, x, MPFR_RNDN); },
                   [](RandomWords& rng, i32 B) {
                       fp x = fullValue(rng, B, -20, 9);
                       if (rng.coin()) x.mantissa.size = -x.mantissa.size;
                       return x;
                   },
                   // e^n = power(e, n) carries n times the error of e: the bound grows with |x|.
                   [](fp const& x, i32 B) {
                       double d = 0;
                       (void)equate(d, x);  // the arguments lie well inside the double range
                       return (6.0 + B / 5.0) * (1.0 + std::abs(d));
                   }});
}

TEST(FpFunctions, PowWithinMeasuredBound) {
    RandomWords exponents(seed + 2);
    static fp y;
    checkFunction({"pow",
                   [](fp& r, fp const& x) { (void)pow(r, x, y); },  // the comparison checks r
                   [](mpfr_ptr r, mpfr_srcptr x) {
                       Mpfr yv(32 * blockPrec);
                       testing::toMpfr(yv, y);
                       mpfr_pow(r, x, yv, MPFR_RNDN);
                   },
                   [&exponents](RandomWords& rng, i32 B) {
                       y = fullValue(exponents, B, -3, 6);
                       if (exponents.coin()) y.mantissa.size = -y.mantissa.size;
                       return fullValue(rng, B, -6, 7);
                   },
                   // exp(y log |x|) one word above B, then rounded: half an ulp and a little.
                   [](fp const&, i32) { return 0.6; }});
}

// The natural logarithm of an integer as a double.
TEST(FpLogOfInteger, WithinOneUlpOfMpfrFrom1To2000Bits) {
    std::uint64_t const logSeed = 20261209;
    RandomWords rng(logSeed);
    SCOPED_TRACE("seed " + std::to_string(logSeed));
    ScopedBlockPrec precision(1);  // the routine raises it as it needs
    mpfr_t exact, ln;
    mpfr_inits2(2100, exact, ln, static_cast<mpfr_ptr>(nullptr));
    for (int bits = 1; bits <= 2000; bits += 1 + bits / 50) {
        for (int i = 0; i < 3; ++i) {
            mb x = testing::fromWords(rng.magnitude((bits + 31) / 32));
            mbShiftRight(x, x, 32 * x.size - bits);
            if (x.size == 0) x = mb(1);
            testing::Mpz gx;
            testing::toMpz(gx, x);
            mpfr_set_z(exact, gx, MPFR_RNDN);
            mpfr_log(ln, exact, MPFR_RNDN);
            double const want = mpfr_get_d(ln, MPFR_RNDN), got = log(x);
            double const ulp = want == 0 ? 0 : std::ldexp(1.0, std::ilogb(want) - 52);
            EXPECT_LE(std::abs(got - want), ulp) << testing::decimal(x) << " got " << got << " want " << want;
        }
    }
    mpfr_clears(exact, ln, static_cast<mpfr_ptr>(nullptr));
}

TEST(FpLogOfInteger, NonPositiveArguments) {
    EXPECT_TRUE(std::isnan(log(mb(-3))));
    EXPECT_EQ(log(mb()), -HUGE_VAL);
    double out = 2.5;
    EXPECT_FALSE(log(out, mb(0)) || log(out, mb(-1)));
    EXPECT_EQ(out, 2.5);
    EXPECT_TRUE(log(out, mb(1)) && out == 0.0);
    EXPECT_EQ(log(mb(2)), std::log(2.0));
    EXPECT_EQ(blockPrec, 5) << "the working precision is put back";
}

}  // namespace
}  // namespace korvel
