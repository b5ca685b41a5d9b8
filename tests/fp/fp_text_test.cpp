// fpToStr against MPFR's correctly rounded digits, the text round trip, the
// layouts of the written text, and the lenient reader.
#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

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
    for (auto const& c : cases) {
        EXPECT_EQ(toString(value(c.in), c.digits), c.out) << c.in << " with " << c.digits;
        EXPECT_EQ(text(value(c.in), c.digits), c.out) << "fpToStr: " << c.in << " with " << c.digits;
    }
    fp third, two;
    EXPECT_TRUE(div(third, value("1"), value("3")));
    EXPECT_EQ(text(third, 16), "0.3333333333333333");
    EXPECT_TRUE(div(two, value("2"), value("3")));
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
        // Zero in any form reads; a non-zero value that rounds to zero or
        // beyond the largest magnitude is refused.
        {"0e-999999999", true, "0"}, {"0.000", true, "0"}, {"-0.0e2147483647", true, "0"},
        {"1e-646456994", false, ""}, {"1e-646460000", false, ""}, {"-1e-646456994", false, ""},
        {"1e646457050", false, ""},  {"2e-646456994", false, ""},
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

// MPFR with fp's exponent range at B words: the lowest bit never below
// 2^INT_MIN (MPFR's subnormal emulation with emin = INT_MIN + 1) and the top
// bit at most INT_MAX + 32B - 1.
class FpRange {
public:
    // The lowest of 32B bits at or above 2^INT_MIN: an MPFR exponent (of
    // [1/2, 1) mantissas) of at least INT_MIN + 32B.
    explicit FpRange(i32 B) : emin_(mpfr_get_emin()), emax_(mpfr_get_emax()) {
        mpfr_set_emin(mpfr_exp_t(INT_MIN) + 32 * mpfr_exp_t(B));
        mpfr_set_emax(mpfr_exp_t(INT_MAX) + 32 * mpfr_exp_t(B));
    }
    FpRange(FpRange const&) = delete;
    FpRange& operator=(FpRange const&) = delete;
    ~FpRange() {
        mpfr_set_emin(emin_);
        mpfr_set_emax(emax_);
    }

private:
    mpfr_exp_t emin_, emax_;
};

enum class Reading { value, refused, tie };

// MPFR's correctly rounded reading of s at B words within FpRange: refused
// when it underflows (it would keep fewer than 32B bits above 2^INT_MIN) or
// overflows; tie when s lies halfway between two values (MPFR rounds a tie to
// even, fp away from zero).
Reading mpfrReading(mpfr_ptr out, std::string const& s, i32 B) {
    Mpfr wider(32 * B + 1);
    mpfr_clear_underflow();
    int const t = mpfr_strtofr(out, s.c_str(), nullptr, 10, MPFR_RNDN);
    bool const under = mpfr_underflow_p();
    if (!under && t != 0 && mpfr_strtofr(wider, s.c_str(), nullptr, 10, MPFR_RNDN) == 0) return Reading::tie;
    return under || mpfr_zero_p(out) || mpfr_inf_p(out) ? Reading::refused : Reading::value;
}

// fpConvFromString(s) at B words is MPFR's reading (ties aside) or refused with it.
void expectReadAsMpfr(std::string const& s, i32 B) {
    Mpfr want(32 * B);
    Reading const reading = mpfrReading(want, s, B);
    if (reading == Reading::tie) return;
    fp x;
    bool const ok = fpConvFromString(x, s.c_str());
    if (reading == Reading::refused) {
        EXPECT_FALSE(ok) << s << " at B=" << B;
        return;
    }
    ASSERT_TRUE(ok) << s << " at B=" << B;
    Mpfr got(32 * B + 64);
    testing::toMpfr(got, x);
    EXPECT_TRUE(mpfr_equal_p(got, want)) << s << " at B=" << B << " read as " << text(x, 10 * B + 2);
}

// Random digit strings, some longer than the reader keeps, with exponents over
// the whole range, at its ends and near 1 (there also in the writer's plain
// layouts, 0.000ddd, ddd.ddd and ddd000), bit for bit against MPFR. With
// DigitsAgreeWithMpfrExceptAtTies, this makes a written value read back to
// within its digits.
TEST(FpText, ReadingIsCorrectlyRoundedOverTheWholeRange) {
    RandomWords rng(seed + 2);
    SCOPED_TRACE("seed " + std::to_string(seed + 2));
    for (i32 B : {1, 2, 5, 9}) {
        ScopedBlockPrec precision(B);
        FpRange range(B);
        long const bottom = -646456994;  // 2^INT_MIN is 5.7e-646456994
        long const top = long((double(INT_MAX) + 32.0 * B) * 0.30102999566398120);
        for (int i = 0; i < 400; ++i) {
            int const count = 1 + (rng.coin() ? rng.below(12) : rng.below(12 * B + 50));
            std::string digits(1, char('1' + rng.below(9)));
            for (int k = 1; k < count; ++k) digits += char('0' + rng.below(10));
            long first = 0;  // the decimal exponent of the first digit
            bool plain = false;  // no exponent, as the writer writes values near 1
            switch (rng.below(4)) {
                case 0: first = bottom - 2 + rng.below(int(top - bottom + 4)); break;
                case 1: first = bottom - 2 + rng.below(60); break;
                case 2: first = top + 2 - rng.below(60); break;
                default: first = rng.below(81) - 40, plain = rng.coin(); break;
            }
            bool const point = rng.coin() && count > 1;
            std::string s = rng.coin() ? "-" : "";
            std::size_t const whole = std::size_t(first + 1);  // digits before the point, when plain
            if (plain && first < 0)
                s += "0." + std::string(std::size_t(-first - 1), '0') + digits;
            else if (plain)
                s += whole < digits.size() ? digits.substr(0, whole) + "." + digits.substr(whole)
                                           : digits + std::string(whole - digits.size(), '0');
            else
                s += digits.substr(0, 1) + (point ? "." : "") + digits.substr(1) + "e" +
                     std::to_string(point ? first : first - (count - 1));
            expectReadAsMpfr(s, B);
        }
    }
    // A tie of 32 bits, M 2^-100 with M odd of 33 bits, written in its 81
    // digits (more than the reader keeps at B = 1), and texts a hair above and
    // below it: ties go away from zero.
    ScopedBlockPrec precision(1);
    FpRange range(1);
    Mpz tie;
    mpz_ui_pow_ui(tie, 5, 100);
    mpz_mul_ui(tie, tie, 0x1ABCDEF01u);
    std::string const digits = testing::decimal(tie);
    fp up;
    init(up, (0x1ABCDEF01u + 1) / 2);
    up.exponent = -99;
    EXPECT_EQ(compare(value((digits + "e-100").c_str()), up), 0) << "a tie rounds away from zero";
    EXPECT_EQ(compare(value(("-" + digits + "e-100").c_str()), -up), 0) << "a tie rounds away from zero";
    expectReadAsMpfr(digits + "000001e-106", 1);
    mpz_mul_ui(tie, tie, 1000000);
    mpz_sub_ui(tie, tie, 1);
    expectReadAsMpfr(testing::decimal(tie) + "e-106", 1);
}

// Near 2^INT_MIN a text whose value would keep fewer than B words above it is
// refused: 3e-646456990 is 5284.84 units of 2^INT_MIN, 13 bits, and was once
// read as 5283 units and its roots certified. Written with enough digits,
// values of B whole words at both ends of the range read back as themselves.
TEST(FpText, RoundTripAtTheEndsOfTheRange) {
    for (char const* bottom : {"3e-646456990", "1e-646456990", "5.7e-646456994", "3e-646456994"}) {
        fp x;
        EXPECT_FALSE(fpConvFromString(x, bottom)) << bottom;
    }
    RandomWords rng(seed + 3);
    for (i32 B : {1, 3, 5}) {
        ScopedBlockPrec precision(B);
        std::vector<fp> ends;
        fp x;
        x.mantissa.size = B;
        update(x.mantissa);
        for (i32 k = 0; k < B; ++k) x.mantissa.words[k] = 0xFFFFFFFFu;
        x.exponent = INT_MAX;
        ends.push_back(x);  // the largest magnitude
        for (int i = 0; i < 6; ++i) {
            ends.push_back(i % 2 == 0 ? testing::randomFp(rng, B, 0) : testing::fullFp(rng, B, 0));
            ends.back().exponent = i % 2 == 0 ? INT_MAX : INT_MIN;  // B whole words at the bottom
        }
        for (fp const& e : ends) {
            for (fp const& y : {e, -e}) {
                std::string const written = text(y, 10 * B + 2);
                fp back;
                ASSERT_TRUE(fpConvFromString(back, written.c_str())) << written << " at B=" << B;
                EXPECT_EQ(compare(back, y), 0) << written << " at B=" << B << " read back as " << text(back, 10 * B + 2);
            }
        }
    }
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

// A double enters as its "%.14e" text, trailing zeros of the fraction
// removed: the same mantissa words and exponent, whether the double is one the
// text gives back exactly (small integers, halves, 2^-21) or not (0.1, 2^-22,
// 10^15 + 1, a 53-bit mantissa at one word).
TEST(FpText, DoublesReadAsTheirTextWordForWord) {
    std::vector<double> doubles{1.0, -1.0, 0.5, -0.25, 3.0, 1e15 - 1, 1e15, 1e15 + 1, 0x1p-21, 0x1p-22,
                                0.1, 1e20, 1e-20, 4503599627370497.0, 0x1.fffffffffffffp-1, 123456789.125,
                                -0x1.8p40, 0x1p49, 0x1p50, 0x1p51, 7e-300, 1.5e300};
    RandomWords random(26);
    for (int k = 0; k < 2000; ++k) {
        std::uint64_t const bits = std::uint64_t(random.word()) << 32 | random.word();
        double const m = double(bits >> (11 + random.below(50)));
        doubles.push_back(std::ldexp(k % 2 ? -m : m, random.below(120) - 60));
    }
    for (double d : doubles)
        for (i32 B : {1, 2, 3, 5}) {
            ScopedBlockPrec precision(B);
            char t[64];
            std::snprintf(t, sizeof t, "%.14e", d);
            fp const fromDouble(d), fromText(t);
            ASSERT_EQ(fromDouble.exponent, fromText.exponent) << t << " at " << B;
            ASSERT_EQ(fromDouble.mantissa.size, fromText.mantissa.size) << t << " at " << B;
            for (i32 i = 0; i < std::abs(fromText.mantissa.size); ++i)
                ASSERT_EQ(fromDouble.mantissa.words[i], fromText.mantissa.words[i]) << t << " at " << B;
        }
}

}  // namespace
}  // namespace korvel
