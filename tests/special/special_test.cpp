// Gamma, the incomplete Gamma functions and the factorial against MPFR, in
// units of the last place of B words.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "../support/reference_check.h"
#include "../support/random_fp.h"
#include "../support/random_mb.h"
#include <korvel/special.h>

namespace korvel {
namespace {

using testing::Mpfr;
using testing::RandomWords;

constexpr std::uint64_t seed = 314159;

using testing::nearInteger;
using testing::negated;
using testing::show;
using testing::ulpError;

// Arguments from every range the three methods and the shifts cover: (1, 20000]
// with integers and their neighbours, (0, 1), (-20000, 0) off the poles, and
// (20000, 1e7]. At large B, where each costs most, a few that reach every method.
std::vector<fp> gammaArguments(RandomWords& rng, i32 B) {
    std::vector<fp> xs;
    if (B >= 15) {
        for (double d : {1.9375, 7.25, 0.3, -2.5, 20001.5, 1e7, -30000.25}) xs.push_back(fp(d));
        xs.push_back(testing::fullFp(rng, B, 1 + rng.below(6)));
        xs.push_back(negated(testing::fullFp(rng, B, -8 + rng.below(14))));
        return xs;
    }
    for (int i = 0; i < 5; ++i) {
        xs.push_back(testing::fullFp(rng, B, 1 + rng.below(14)));        // [1, 2^14)
        xs.push_back(fp(double(1 + rng.below(20000))));                  // integers
        i32 const k = (i % 2 == 0) ? 1 + rng.below(31) : 32 * B - 1 - rng.below(8);
        xs.push_back(nearInteger(2 + rng.below(19998), rng.coin() ? 1 : -1, k));
        xs.push_back(testing::fullFp(rng, B, -60 + rng.below(61)));      // (0, 1)
        xs.push_back(negated(testing::fullFp(rng, B, -8 + rng.below(22))));  // (-2^14, 0)
        xs.push_back(nearInteger(-1 - rng.below(19998), rng.coin() ? 1 : -1, 1 + rng.below(40)));
        xs.push_back(testing::fullFp(rng, B, 15 + rng.below(9)));        // (2^14, 2^23]
    }
    for (double d : {1.9375, 20000.0, 19999.5, 20000.5, 20001.5, 1e7, -20000.5, -30000.25})
        xs.push_back(fp(d));
    return xs;
}

TEST(Gamma, WithinFourUlpsOfMpfrOverEveryRange) {
    mpfr_set_emax(mpfr_get_emax_max());
    mpfr_set_emin(mpfr_get_emin_min());
    RandomWords rng(seed);
    std::printf("seed %llu\n", (unsigned long long)seed);
    for (i32 B : {1, 3, 5, 9, 15, 16, 17, 18, 32}) {
        ScopedBlockPrec precision(B);
        testing::Worst worst;
        for (fp const& x : gammaArguments(rng, B)) {
            if (x.mantissa.size < 0 && isItInteger(x)) continue;  // n - 2^-k rounded onto a pole
            fp r;
            Gamma(r, x);
            ASSERT_EQ(blockPrec, B);
            Mpfr xv(32 * B + 64), ref(32 * B + 64);
            testing::toMpfr(xv, x);
            mpfr_gamma(ref, xv, MPFR_RNDN);
            double const error = ulpError(r, ref, B);
            worst.see(error, show(x));
            EXPECT_LE(error, 4.0) << "B=" << B << " x=" << show(x) << " gave " << show(r);
        }
        if (HasFailure()) std::printf("Gamma B=%d: worst %.3g ulps at %s\n", B, worst.ulps, worst.where.c_str());
    }
}

TEST(Gamma, IncompleteFunctionsMatchMpfr) {
    for (i32 B : {1, 3, 9}) {
        ScopedBlockPrec precision(B);
        for (double a : {0.5, 1.5, 3.25}) {
            for (double x : {1e-3, 0.3, 2.0, 50.0, 300.0}) {
                fp av(a), xv(x), upper, lower;
                largeIncompleteGamma(upper, av, xv);
                smallIncompleteGamma(lower, av, xv);
                Mpfr am(32 * B + 64), xm(32 * B + 64), refUpper(32 * B + 64), whole(32 * B + 128);
                testing::toMpfr(am, av);
                testing::toMpfr(xm, xv);
                mpfr_gamma_inc(refUpper, am, xm, MPFR_RNDN);
                mpfr_gamma(whole, am, MPFR_RNDN);
                Mpfr refLower(32 * B + 64);
                mpfr_sub(refLower, whole, refUpper, MPFR_RNDN);
                EXPECT_LE(ulpError(upper, refUpper, B), 4.0) << "Gamma(a, x) B=" << B << " a=" << a << " x=" << x;
                EXPECT_LE(ulpError(lower, refLower, B), 4.0) << "gamma(a, x) B=" << B << " a=" << a << " x=" << x;
            }
            // Far out the lower function is Gamma(a) to the last place, without
            // a series of a million terms.
            fp av(a), lower;
            smallIncompleteGamma(lower, av, fp(1e6));
            Mpfr am(32 * B + 64), whole(32 * B + 64);
            testing::toMpfr(am, av);
            mpfr_gamma(whole, am, MPFR_RNDN);
            EXPECT_LE(ulpError(lower, whole, B), 1.0) << "gamma(a, 1e6) B=" << B << " a=" << a;
        }
    }
}

TEST(Gamma, PinnedValuesPolesAndRangeEnds) {
    for (i32 B : {2, 5, 9}) {
        ScopedBlockPrec precision(B);
        fp const one(1.0), zero;
        EXPECT_EQ(compare(Gamma(1.0), one), 0);
        EXPECT_EQ(compare(Gamma(5.0), fp(24.0)), 0);
        for (double pole : {0.0, -1.0, -7.0}) EXPECT_TRUE(!Gamma(pole)) << "Gamma(" << pole << ") is 0";
        EXPECT_TRUE(!factorial(-1.0));
        EXPECT_EQ(compare(factorial(0.0), one), 0);
        EXPECT_EQ(compare(factorial(20.0), fp("2432902008176640000")), 0);
        fp rootPi = sqrt(Pi());
        Mpfr ref(32 * B + 64);
        mpfr_const_pi(ref, MPFR_RNDN);
        mpfr_sqrt(ref, ref, MPFR_RNDN);
        EXPECT_LE(ulpError(Gamma(0.5), ref, B), 1.0) << "Gamma(1/2) = sqrt(pi)";
        mpfr_mul_si(ref, ref, -2, MPFR_RNDN);
        EXPECT_LE(ulpError(Gamma(-0.5), ref, B), 1.0) << "Gamma(-1/2) = -2 sqrt(pi)";
        mpfr_fac_ui(ref, 20000, MPFR_RNDN);
        EXPECT_LE(ulpError(Gamma(20001.0), ref, B), 4.0) << "Gamma(20001) = 20000! by Spouge at B=" << B;

        fpClearOverflow();
        fp big = Gamma(1e9);
        EXPECT_TRUE(fpOverflowed() && big > one) << "Gamma(1e9) saturates with the flag";
        fpClearOverflow();
        EXPECT_TRUE(!Gamma(-1e9 - 0.5)) << "Gamma(-1e9 - 1/2) underflows to 0";
        EXPECT_FALSE(fpOverflowed()) << "an underflow raises no overflow";
        fp zeroWords;
        zeroWords.mantissa = testing::fromWords({0, 0});  // zero held in two words
        EXPECT_TRUE(!Gamma(zeroWords)) << "zero in any form is a pole";
        fp untouched(7.0);
        GammaSpecial(untouched, fp(0.5));
        EXPECT_EQ(compare(untouched, fp(7.0)), 0) << "GammaSpecial leaves x < 1 alone";
    }
}

}  // namespace
}  // namespace korvel
