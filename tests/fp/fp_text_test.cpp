// fpToStr against MPFR's correctly rounded digits, the text round trip, the
// layouts of the written text, and the lenient reader.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "../support/mp_bridge.h"
#include "../support/random_fp.h"
#include "../support/fp_text.h"
#include <korvel/fp.h>

namespace korvel {
namespace {

using testing::text;
using testing::value;

using testing::Mpfr;
using testing::Mpq;
using testing::Mpz;
using testing::RandomWords;

constexpr std::uint64_t seed = 5151;

// The significant digits of a written number, padded with zeros to `digits`,
// and the decimal exponent of its first digit.
void splitWritten(std::string s, i32 digits, std::string& D, long& E) {
    if (!s.empty() && s[0] == '-') s.erase(0, 1);
    long exp10 = 0;
    if (auto e = s.find('e'); e != std::string::npos) {
        exp10 = std::stol(s.substr(e + 1));
        s.resize(e);
    }
    auto point = s.find('.');
    long intDigits = long(point == std::string::npos ? s.size() : point);
    if (point != std::string::npos) s.erase(point, 1);
    auto first = s.find_first_not_of('0');
    D = s.substr(first);
    // Scientific text has one digit before the point, so E is its exponent.
    E = exp10 != 0 ? exp10 : intDigits - 1 - long(first);
    D.resize(std::size_t(digits), '0');
}

// Distance of |x| * 10^(digits - 1 - E) from the nearest half-integer, where E
// is the decimal exponent of the leading digit.
double distanceFromTie(fp const& x, i32 digits) {
    Mpfr v(64 * 32 + 4000), t(64 * 32 + 4000);
    testing::toMpfr(v, x);
    mpfr_abs(v, v, MPFR_RNDN);
    mpfr_log10(t, v, MPFR_RNDN);
    mpfr_floor(t, t);
    long const E = mpfr_get_si(t, MPFR_RNDN);
    mpfr_ui_pow_ui(t, 10, (unsigned long)std::labs(digits - 1 - E), MPFR_RNDN);
    if (digits - 1 - E >= 0)
        mpfr_mul(v, v, t, MPFR_RNDN);
    else
        mpfr_div(v, v, t, MPFR_RNDN);
    mpfr_frac(v, v, MPFR_RNDN);
    return std::abs(mpfr_get_d(v, MPFR_RNDN) - 0.5);
}

TEST(FpText, DigitsAgreeWithMpfrExceptAtTies) {
    RandomWords rng(seed);
    SCOPED_TRACE("seed " + std::to_string(seed));
    int nearTies = 0, cases = 0;
    for (int i = 0; i < 1500; ++i) {
        fp x = testing::randomFp(rng, 12, rng.coin() ? 64 : 2000);
        i32 const digits = 1 + (rng.coin() ? rng.below(40) : rng.below(300));
        ++cases;
        Mpfr v(32 * 12 + 64);
        testing::toMpfr(v, x);
        mpfr_exp_t e10;
        char* ref = mpfr_get_str(nullptr, &e10, 10, std::size_t(digits), v, MPFR_RNDN);
        std::string want(ref[0] == '-' ? ref + 1 : ref);
        mpfr_free_str(ref);
        std::string const ours = text(x, digits);
        std::string D;
        long E;
        splitWritten(ours, digits, D, E);
        EXPECT_EQ(ours[0] == '-', x.mantissa.size < 0) << ours;
        if (D == want && E == long(e10) - 1) continue;
        // Only a value within a hair of a decimal tie may round the other way.
        double const distance = distanceFromTie(x, digits);
        EXPECT_LT(distance, 1e-6) << "digits " << digits << " ours " << ours << " mpfr " << want << "e" << e10 - 1;
        ++nearTies;
    }
    EXPECT_LE(nearTies, cases / 100) << "too many disagreements near ties";
}

// Reading back d written digits gives x to within half a unit of the d-th
// digit, plus the reader's rounding: 10^|p| takes up to 2 NumBits(p) rounded
// products (and a quotient when p < 0), the value one more, each within about
// two units in the last place of B words.
TEST(FpText, RoundTripWithinWrittenDigits) {
    RandomWords rng(seed + 1);
    SCOPED_TRACE("seed " + std::to_string(seed + 1));
    for (i32 B : {2, 5, 9}) {
        ScopedBlockPrec precision(B);
        for (int i = 0; i < 300; ++i) {
            fp x = testing::randomFp(rng, B, 200);
            i32 const digits = 1 + rng.below(9 * B);
            std::string const written = text(x, digits);
            fp back;
            ASSERT_TRUE(fpConvFromString(back, written.c_str())) << written;
            Mpq qx, qb, diff, bound, ulp;
            testing::toMpq(qx, x);
            testing::toMpq(qb, back);
            mpq_sub(diff, qb, qx);
            mpq_abs(diff, diff);
            // 0.5 * 10^(E - d + 1) * 1.01, with E the exponent of the leading digit.
            long E = 0;
            std::string D;
            splitWritten(written, digits, D, E);
            mpq_set_ui(bound, 101, 200);
            Mpz ten;
            mpz_ui_pow_ui(ten, 10, (unsigned long)std::labs(E - digits + 1));
            Mpq tenq;
            mpq_set_z(tenq, ten);
            if (E - digits + 1 >= 0)
                mpq_mul(bound, bound, tenq);
            else
                mpq_div(bound, bound, tenq);
            testing::powerOfTwo(ulp, (long long)Lg2(x) - 32LL * B + 2);
            Mpq roundings;
            mpq_set_ui(roundings, 2 * NumBits(E - digits + 1) + 3, 1);
            mpq_mul(ulp, ulp, roundings);
            mpq_add(bound, bound, ulp);
            EXPECT_LE(mpq_cmp(diff, bound), 0) << written << " at B=" << B;
        }
    }
}

TEST(FpText, Layouts) {
    struct Case {
        char const* in;
        i32 digits;
        char const* out;
    };
    Case const cases[] = {
        {"0", 5, "0"},          {"1.5", 0, ""},          {"1.5", -3, ""},         {"0", 0, ""},
        {"1.5", 16, "1.5"},
        {"-1.5", 16, "-1.5"},   {"100", 16, "100"},      {"1000", 16, "1000"},
        {"10000", 16, "1e4"},   {"12000", 16, "12000"},  {"123000", 16, "123000"},
        {"1230000", 16, "1.23e6"}, {"0.5", 16, "0.5"},   {"0.0001", 16, "0.0001"},
        {"0.00001", 16, "1e-5"}, {"0.000125", 16, "0.000125"}, {"1.25e-6", 16, "1.25e-6"},
        {"2e30", 3, "2e30"},    {"-1e-300", 3, "-1e-300"}, {"3.0004e-75", 3, "3e-75"},
        {"9.996", 3, "10"},     {"12345", 3, "12300"},   {"1234", 3, "1230"},
        {"1234567", 3, "1.23e6"}, {"1.5e20", 16, "1.5e20"}, {"-2.5e-30", 16, "-2.5e-30"},
    };
    for (auto const& c : cases) EXPECT_EQ(text(value(c.in), c.digits), c.out) << c.in << " with " << c.digits;
    fp third, two;
    div(third, value("1"), value("3"));
    EXPECT_EQ(text(third, 16), "0.3333333333333333");
    div(two, value("2"), value("3"));
    EXPECT_EQ(text(two, 3), "0.667");
    i32 const before = blockPrec;
    text(third, 200);
    EXPECT_EQ(blockPrec, before) << "fpToStr puts the precision back";
}

TEST(FpText, LenientReader) {
    struct Case {
        char const* in;
        bool ok;
        char const* out;  // written with 16 digits
    };
    Case const cases[] = {
        {"12.5e-3", true, "0.0125"}, {"1.5x", true, "1.5"}, {"", false, ""},
        {"1e", false, ""},           {"2E3", true, "2000"}, {".5", true, "0.5"},
        {"e5", true, "0"},           {"-0.25", true, "-0.25"}, {"1e+3", true, "1000"},
        {"abc", false, ""},          {"1e 7", true, "1e7"}, {"7e2147483648", false, ""},
    };
    for (auto const& c : cases) {
        fp x;
        ASSERT_EQ(fpConvFromString(x, c.in), c.ok) << '"' << c.in << '"';
        if (c.ok) {
            EXPECT_EQ(text(x, 16), c.out) << '"' << c.in << '"';
        }
    }
    fp fromText("3.25"), bad("1-2");
    EXPECT_EQ(text(fromText, 16), "3.25");
    EXPECT_TRUE(!bad) << "unreadable text constructs zero";
}

TEST(FpText, DoublesGoThroughDecimalText) {
    fp tenth;
    ASSERT_TRUE(init(tenth, 0.1));
    EXPECT_EQ(compare(tenth, value("1.e-01")), 0);
    double d = 0;
    ASSERT_TRUE(equate(d, tenth));
    EXPECT_EQ(d, 0.1);
    ASSERT_TRUE(equate(d, value("-1234.5e10")));
    EXPECT_EQ(d, -1234.5e10);
    ASSERT_TRUE(equate(d, fp()));
    EXPECT_EQ(d, 0.0);
    fp zero(1.0);
    zero = 0.0;
    EXPECT_TRUE(!zero);
    EXPECT_EQ(zero.exponent, 0);
    fp big(1.5e300);
    ASSERT_TRUE(equate(d, big));
    EXPECT_EQ(d, 1.5e300);
}

}  // namespace
}  // namespace korvel
