// Coefficients held exactly: read from text as the fp readers read it, and
// rounded to fp against GMP's exact rationals and MPFR's correct rounding.
#include <gtest/gtest.h>

#include <random>
#include <string>

#include <korvel/input.h>
#include "../support/mp_bridge.h"

namespace korvel {
namespace {

using testing::Mpfr;
using testing::Mpq;
using testing::Mpz;

constexpr std::uint64_t seed = 2712;

// out = d exactly.
void toMpq(mpq_t out, DecimalFraction const& d) {
    Mpz num, den, ten;
    testing::toMpz(num, d.num);
    testing::toMpz(den, d.den);
    mpz_ui_pow_ui(ten, 10, (unsigned long)(d.exp10 < 0 ? -d.exp10 : d.exp10));
    if (d.exp10 >= 0)
        mpz_mul(num, num, ten);
    else
        mpz_mul(den, den, ten);
    mpq_set_num(out, num);
    mpq_set_den(out, den);
    mpq_canonicalize(out);
}

// A number text as a user types it: digits with a point somewhere, an exponent.
std::string randomNumber(std::mt19937_64& g, int maxExponent) {
    std::string s = g() % 2 ? "-" : "";
    int const digits = 1 + int(g() % 40);
    int const point = int(g() % std::uint64_t(digits + 1));
    for (int i = 0; i < digits; ++i) {
        if (i == point) s += '.';
        s += char('0' + g() % 10);
    }
    return s + "e" + std::to_string(int(g() % std::uint64_t(2 * maxExponent + 1)) - maxExponent);
}

// Every text, as a fraction or not, is rounded to B words as MPFR rounds its
// exact value to 32B bits (to nearest, ties away from zero), and is
// called exact exactly when MPFR's rounding was exact.
TEST(ExactCoefficients, RoundCorrectlyAtEveryPrecision) {
    std::mt19937_64 g(seed);
    SCOPED_TRACE("seed " + std::to_string(seed));
    int checked = 0;
    for (int trial = 0; trial < 600; ++trial) {
        int const range = trial % 50 == 0 ? 100000 : trial % 3 == 0 ? 2000 : 40;
        std::string text = randomNumber(g, range);
        if (trial % 4 == 1) text.append("/").append(randomNumber(g, range));
        if (trial % 7 == 0) text = std::to_string(int(g() % 1000) - 500);  // integers, often exact
        ExactComplex z;
        ASSERT_TRUE(readExact(z, text.c_str())) << text;
        Mpq exact;
        toMpq(exact, z.re);
        for (i32 words : {1, 2, 5, 17}) {
            fp x;
            bool held = false;
            ASSERT_TRUE(roundToFp(x, z.re, words, held)) << text;
            // A value one bit longer than the words, held exactly, is a tie:
            // ours go away from zero.
            Mpfr want(32 * words), got(32 * words + 64), longer(32 * words + 1);
            bool const tie = mpfr_set_q(longer, exact, MPFR_RNDN) == 0 && mpfr_min_prec(longer) > mpfr_prec_t(32 * words);
            int const ternary = mpfr_set_q(want, exact, tie ? MPFR_RNDA : MPFR_RNDN);
            testing::toMpfr(got, x);
            EXPECT_TRUE(mpfr_equal_p(want, got)) << text << " at " << words << " words";
            EXPECT_EQ(held, ternary == 0) << text << " at " << words << " words";
            ++checked;
        }
    }
    EXPECT_EQ(checked, 2400);
}

// A number longer than any precision uses keeps its first digits and a sticky
// one (text to integer is quadratic), and still rounds as the whole number at
// every precision up to the most figures carried; it is no longer called exact.
TEST(ExactCoefficients, LongNumbersAreShortenedYetRoundCorrectly) {
    std::mt19937_64 g(seed + 2);
    for (int trial = 0; trial < 2; ++trial) {
        std::string text = "0.";
        for (int i = 0; i < 200000; ++i) text += char('0' + g() % 10);
        if (trial == 1) text.replace(130000, std::string::npos, 70000, '0').append("e-300");  // a zero tail
        ExactComplex z;
        ASSERT_TRUE(readExact(z, text.c_str()));
        EXPECT_TRUE(z.re.shortened);
        Mpfr want(1);
        for (i32 words : {1, 40, 12501}) {
            fp x;
            bool held = true;
            ASSERT_TRUE(roundToFp(x, z.re, words, held));
            EXPECT_FALSE(held);
            mpfr_set_prec(want, 32 * words);
            mpfr_set_str(want, text.c_str(), 10, MPFR_RNDN);
            Mpfr got(32 * words + 64);
            testing::toMpfr(got, x);
            EXPECT_TRUE(mpfr_equal_p(want, got)) << "trial " << trial << " at " << words << " words";
        }
    }
    ExactComplex one;
    ASSERT_TRUE(readExact(one, "1"));
    ExactComplex z;
    ASSERT_TRUE(readExact(z, ("1." + std::string(130000, '3')).c_str()));
    EXPECT_FALSE(Polynomial({z, one}).exact()) << "a shortened coefficient is not held exactly";
}

// The forms getTheNumber reads give the same values exactly: the empty and
// signed ones, complex pairs with a minus for the real part only, fractions.
TEST(ExactCoefficients, ReadAsTheFpReaderReads) {
    struct Case {
        char const* text;
        char const* re;  // as a rational, GMP's text
        char const* im;
    } const cases[] = {
        {"", "1", "0"},           {"+", "1", "0"},         {"-", "-1", "0"},
        {"2.50", "5/2", "0"},     {"-(1,2)", "-1", "2"},  {"(1/2,-3e1)", "1/2", "-30"},
        {"7/3", "7/3", "0"},      {"1e-3/4e2", "1/400000", "0"},
        {"0.000", "0", "0"},      {"-.5e1", "-5", "0"},
    };
    for (auto const& c : cases) {
        ExactComplex z;
        ASSERT_TRUE(readExact(z, c.text)) << c.text;
        Mpq re, im, wantRe, wantIm;
        toMpq(re, z.re);
        toMpq(im, z.im);
        mpq_set_str(wantRe, c.re, 10);
        mpq_set_str(wantIm, c.im, 10);
        mpq_canonicalize(wantRe);
        mpq_canonicalize(wantIm);
        EXPECT_TRUE(mpq_equal(re, wantRe) && mpq_equal(im, wantIm)) << c.text;
    }
    for (char const* bad : {"1/0", "x", "1,2,3", "1e", "e5", "(1,)", "1e99999999999999"}) {
        ExactComplex z;
        EXPECT_FALSE(readExact(z, bad)) << bad;
    }
}

// Equal powers add exactly, and a polynomial holds its coefficients exactly
// until a precision asks: 1/3 x + 1/3 x has the coefficient 2/3, and 0.1 is
// never exact while 0.5 is.
TEST(ExactCoefficients, PolynomialsAddAndRoundOnRequest) {
    ExactComplex third, sum, tenth, half;
    ASSERT_TRUE(readExact(third, "1/3") && readExact(tenth, "0.1") && readExact(half, "0.5"));
    ASSERT_TRUE(add(sum.re, third.re, third.re));
    Mpq q, want;
    toMpq(q, sum.re);
    mpq_set_ui(want, 2, 3);
    EXPECT_TRUE(mpq_equal(q, want));

    Polynomial const p({tenth, ExactComplex{}, half, ExactComplex{}});
    EXPECT_EQ(p.degree(), 2) << "a zero leading coefficient lowers the degree";
    EXPECT_TRUE(p.exact());
    std::vector<fpComplex> a;
    bool exact = true;
    ASSERT_TRUE(p.toComplex(a, 3, &exact));
    EXPECT_EQ(a.size(), 3u);
    EXPECT_FALSE(exact) << "0.1 is rounded";
    Polynomial const halves({half, half});
    ASSERT_TRUE(halves.toComplex(a, 1, &exact));
    EXPECT_TRUE(exact);

    fpComplex const values[] = {fpComplex(1.0, 0.0), fpComplex(0.0, 0.0)};
    Polynomial const given{std::span<fpComplex const>(values)};
    EXPECT_EQ(given.degree(), 0);
    EXPECT_FALSE(given.exact()) << "fp values are held as they are, not as typed";
}

// Both readers take the same texts and refuse the same ones for the same reason;
// what they take agrees to a unit of the last word (the fp reader rounds each
// number it reads, the exact one only the result).
TEST(ExactCoefficients, ParsingAgreesWithTheFpReader) {
    std::mt19937_64 g(seed + 1);
    SCOPED_TRACE("seed " + std::to_string(seed + 1));
    char const* const pieces[] = {"x", "x^2", "x^3", "+", "-", "3", "0.25", "1/3", "(1,2)", "(-2,1)", "e5", "^", "(", ")",
                                  " ", "\n", "7", "x^10", "1e-3", "2.5/0.5", ",", "*", "-(1,-3)"};
    int agreed = 0, taken = 0;
    for (int trial = 0; trial < 3000; ++trial) {
        std::string text;
        for (int k = 0, m = 1 + int(g() % 8); k < m; ++k) text += pieces[g() % std::size(pieces)];
        ScopedBlockPrec precision(3);
        int n = 0;
        std::vector<fpComplex> a;
        std::string ignored, problem;
        bool const fpRead = readPolynomial(text, n, a, ignored, problem);
        PolynomialReading const r = parsePolynomial(text);
        ASSERT_EQ(fpRead, r.polynomial.has_value()) << text;
        EXPECT_EQ(ignored, r.ignored) << text;
        ++agreed;
        if (!fpRead) {
            EXPECT_EQ(problem.substr(0, r.error.size()), r.error) << text;
            continue;
        }
        std::vector<fpComplex> b;
        ASSERT_TRUE(r.polynomial->toComplex(b, 3));
        int const degree = r.polynomial->degree();
        ASSERT_LE(std::size_t(degree) + 1, a.size()) << text;
        for (int k = 0; k <= degree; ++k) {
            fpComplex d;
            sub(d, a[std::size_t(k)], b[std::size_t(k)]);
            fp const scale = abs(b[std::size_t(k)]);
            EXPECT_TRUE(!d || abs(d) <= scale * fp("1e-26")) << text << ": coefficient " << k;
        }
        ++taken;
    }
    EXPECT_EQ(agreed, 3000);
    EXPECT_GT(taken, 100) << "enough texts were polynomials";
}

// What refused a text, and the byte where it lies.
TEST(ExactCoefficients, RefusalsNameTheirPlace) {
    struct Case {
        std::string text, error;
        int position;
    } const cases[] = {
        {"x^2+1/0", "a zero denominator: +1/0", 3},
        {"x^2 +  (1,2", "a parenthesis that does not close", 7},
        {"x^2-3x^-1", "a negative power", 6},
        {std::string("1\n0\0" "1\n", 6), "NUL byte", 3},
        {"7", "a constant has no roots", -1},
        {"0x^2+5", "a constant has no roots", -1},
        {"x^2 + 1 + 2i3x", "not a number: +2i3 (i stands last in its term: 2i, -i, (3-2i)x)", 8},
        {"x^2\n+ (1+i+2)x", "not a number: (1+i+2) (write a + bi, as (3-2i))", 6},
        {"x^2 = 4", "an equation whose right side is not 0 (write p(x) = 0 as p(x))", 4},
        {"x^2=0=0", "an equation whose right side is not 0 (write p(x) = 0 as p(x))", 3},
    };
    for (auto const& c : cases) {
        PolynomialReading const r = parsePolynomial(c.text);
        EXPECT_FALSE(r.polynomial) << c.text;
        EXPECT_EQ(r.error, c.error) << c.text;
        EXPECT_EQ(r.position, c.position) << c.text;
    }
    PolynomialReading const r = parsePolynomial("x^2-0.2x+0.01");
    ASSERT_TRUE(r.polynomial);
    auto const& a = r.polynomial->exactCoefficients();
    Mpq c0, c1, want;
    toMpq(c0, a[0].re);
    toMpq(c1, a[1].re);
    mpq_set_si(want, 1, 100);
    EXPECT_TRUE(mpq_equal(c0, want)) << "0.01 held exactly";
    mpq_set_si(want, -1, 5);
    EXPECT_TRUE(mpq_equal(c1, want)) << "-0.2 held exactly";
}

}  // namespace
}  // namespace korvel
