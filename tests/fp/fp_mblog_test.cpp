// The natural logarithm of an integer as a double, against MPFR.
#include <gtest/gtest.h>
#include <mpfr.h>

#include <cmath>
#include <string>

#include "../support/gmp_bridge.h"
#include "../support/random_mb.h"
#include <korvel/fp.h>

namespace korvel {
namespace {

constexpr std::uint64_t seed = 20261209;

TEST(FpLogOfInteger, WithinOneUlpOfMpfrFrom1To2000Bits) {
    testing::RandomWords rng(seed);
    SCOPED_TRACE("seed " + std::to_string(seed));
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
