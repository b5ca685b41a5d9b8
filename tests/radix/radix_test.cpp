// BaseFromBase against GMP: integer parts, large-base digits, fractions rounded to
// nearest with their carry, malformed texts, and pinned values.
#include <gmp.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "../support/mpz.h"
#include "../support/random_words.h"
#include <korvel/radix.h>

namespace korvel {
namespace {

constexpr std::uint64_t seed = 20261206;

using testing::Mpz;

std::string convert(std::string text, int to, int from, int n, bool upper = false) {
    char* r = BaseFromBase(text.data(), to, from, n, upper);
    std::string s(r);
    std::free(r);
    return s;
}

std::string bracketed(unsigned long d) {
    std::string s = "<";
    s += std::to_string(d);
    s += '>';
    return s;
}

// x in base b: GMP's text up to base 36, digit by digit with mpz_tdiv_qr_ui above.
std::string textOf(mpz_srcptr x, int base, bool upper = false) {
    if (base <= 36) {
        std::string s(mpz_sizeinbase(x, base) + 2, '\0');
        mpz_get_str(s.data(), upper ? -base : base, x);
        return s.c_str();
    }
    Mpz q, r;
    mpz_set(q, x);
    std::vector<unsigned long> digits;
    do {
        mpz_tdiv_qr_ui(q, r, q, (unsigned long)base);
        digits.push_back(mpz_get_ui(r));
    } while (mpz_sgn(q.v) != 0);
    std::string s;
    for (auto d = digits.rbegin(); d != digits.rend(); ++d) {
        char const* alphabet = upper ? "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ" : "0123456789abcdefghijklmnopqrstuvwxyz";
        s += *d < 36 ? std::string(1, alphabet[*d]) : bracketed(*d);
    }
    return s;
}

// count random digits of base b: uniform, or runs of 0 and b - 1 (carry chains).
std::vector<unsigned> randomDigits(testing::RandomWords& rng, int base, int count) {
    std::vector<unsigned> d(static_cast<std::size_t>(count));
    int const mode = rng.below(3);
    for (auto& x : d) {
        int const kind = mode == 0 ? 0 : rng.below(mode == 1 ? 2 : 8);
        x = kind == 1 ? unsigned(base - 1) : kind == 2 ? 0 : rng.word() % unsigned(base);
    }
    return d;
}

// The digits in every accepted spelling: a letter in either case, or brackets.
std::string spell(testing::RandomWords& rng, std::vector<unsigned> const& digits, bool brackets = true) {
    std::string s;
    for (unsigned d : digits) {
        if (d >= 36 || (brackets && rng.below(8) == 0)) s += bracketed(d);
        else s += (rng.coin() ? "0123456789abcdefghijklmnopqrstuvwxyz" : "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ")[d];
    }
    return s;
}

void valueOf(mpz_ptr x, std::vector<unsigned> const& digits, int base) {
    mpz_set_ui(x, 0);
    for (unsigned d : digits) {
        mpz_mul_ui(x, x, (unsigned long)base);
        mpz_add_ui(x, x, d);
    }
}

TEST(RadixInteger, EqualsGmpTextInBases2To36) {
    testing::RandomWords rng(seed);
    SCOPED_TRACE("seed " + std::to_string(seed));
    Mpz x;
    for (int from = 2; from <= 36; ++from)
        for (int to = 2; to <= 36; ++to) {
            if (to == from) continue;
            auto const digits = randomDigits(rng, from, 1 + rng.below(rng.below(4) == 0 ? 400 : 40));
            std::string const text = spell(rng, digits, false);
            ASSERT_EQ(mpz_set_str(x, text.c_str(), from), 0) << text;
            bool const upper = rng.coin();
            EXPECT_EQ(convert(text, to, from, 0, upper), textOf(x, to, upper))
                << text << " from base " << from << " to " << to;
        }
}

TEST(RadixInteger, LargeBasesDigitByDigitMatchTruncatingDivision) {
    testing::RandomWords rng(seed + 1);
    SCOPED_TRACE("seed " + std::to_string(seed + 1));
    int const fixed[] = {2, 10, 36, 37, 255, 256, 1000, 65535, 65536};
    Mpz x;
    for (int trial = 0; trial < 600; ++trial) {
        int const from = trial % 3 == 0 ? fixed[rng.below(9)] : 2 + rng.below(65535);
        int const to = trial % 3 == 1 ? fixed[rng.below(9)] : 37 + rng.below(65500);
        if (to == from) continue;
        auto const digits = randomDigits(rng, from, 1 + rng.below(60));
        valueOf(x, digits, from);
        std::string const text = spell(rng, digits);
        EXPECT_EQ(convert(text, to, from, 0), textOf(x, to)) << text << " from base " << from << " to " << to;
    }
}

// Integer digits I and fraction digits F (L of them): the result holds
// R = floor(F / from^L * to^n + 1/2) written with n digits, or I + 1 when R = to^n.
TEST(RadixFraction, RoundsToNearestWithCarryOverBasePairs) {
    testing::RandomWords rng(seed + 2);
    SCOPED_TRACE("seed " + std::to_string(seed + 2));
    int const bases[] = {2, 3, 5, 7, 10, 16, 36, 37, 100, 255, 256, 1000, 65535, 65536};
    Mpz whole, f, scaled, den, r;
    for (int from : bases)
        for (int to : bases)
            for (int n = 0; n <= 40 && to != from; ++n) {
                auto const wholeDigits = randomDigits(rng, from, rng.below(6));
                auto const fracDigits = randomDigits(rng, from, 1 + rng.below(30));
                valueOf(whole, wholeDigits, from);
                valueOf(f, fracDigits, from);
                mpz_ui_pow_ui(den, (unsigned long)from, fracDigits.size());
                mpz_ui_pow_ui(scaled, (unsigned long)to, (unsigned long)n);
                mpz_mul(r, f, scaled);
                mpz_mul_2exp(r, r, 1);
                mpz_add(r, r, den);
                mpz_mul_2exp(den, den, 1);
                mpz_fdiv_q(r, r, den);
                bool const carry = mpz_cmp(r, scaled) == 0;
                if (carry) mpz_add_ui(whole, whole, 1);
                std::string fraction;  // to^n + R in base to is "1" and the n digits of R
                if (!carry) {
                    mpz_add(r, r, scaled);
                    fraction = textOf(r, to).substr(1);
                    while (!fraction.empty() && fraction.back() == '0') fraction.pop_back();
                }
                std::string const head = wholeDigits.empty() ? "" : spell(rng, wholeDigits);
                std::string expected = fraction.empty() ? "" : "." + fraction;
                if (!wholeDigits.empty() || carry || expected.empty()) expected = textOf(whole, to) + expected;
                std::string const text = head + "." + spell(rng, fracDigits);
                EXPECT_EQ(convert(text, to, from, n), expected)
                    << text << " from base " << from << " to " << to << ", " << n << " digits";
            }
}

TEST(RadixFaults, MalformedInputsGiveTheEmptyText) {
    struct Case {
        char const* text;
        int to, from, n;
    };
    Case const cases[] = {
        {"", 2, 10, 0},          {" \t\r\n", 2, 10, 0},   {".", 2, 10, 3},       {"1.2.3", 2, 10, 3},
        {"..5", 2, 10, 3},       {"<12", 2, 100, 0},      {"1.<12", 2, 100, 2},  {"<>", 2, 100, 0},
        {"<-1>", 2, 100, 0},     {"<+1>", 2, 100, 0},     {"<5x>", 2, 100, 0},   {"<65536>", 2, 65536, 0},
        {"<99999999999999999999>", 2, 65536, 0},          {"<1<2>>", 2, 100, 0}, {">", 2, 10, 0},
        {"zz.5", 2, 10, 3},      {"5.zz", 2, 10, 3},      {"12G", 10, 16, 0},    {"1<37>", 10, 37, 0},
        {"-5", 2, 10, 0},        {"+5", 2, 10, 0},        {"1e5", 2, 10, 0},     {"10", 0, 10, 0},
        {"10", 2, 1, 0},         {"10", -2, 10, 0},       {"10", 10, 65537, 0},  {"10", 10, 10, -1},
        {"1.5", 2, 10, -1},      {"1.5", 2, 10, radixMaxFractionDigits + 1},    {"10", 1, 1, 0},
    };
    for (auto const& c : cases)
        EXPECT_EQ(convert(c.text, c.to, c.from, c.n), "")
            << '"' << c.text << "\" from base " << c.from << " to " << c.to << ", " << c.n << " digits";
}

// Digits of either case, bracketed digits, rounding with its carry and texts
// with no integer part are compared with GMP above on random digits; these are
// what random digits do not make: exact ties (they go up), a point with no
// fraction, zeros, white space and the copy within one base.
TEST(RadixPinned, TiesZerosWhiteSpaceAndTheSameBase) {
    struct Case {
        char const* text;
        int to, from, n;
        bool upper;
        char const* expected;
    };
    Case const cases[] = {
        {"12.", 2, 10, 0, false, "1100"},
        {"0.25", 2, 10, 1, false, "0.1"},
        {"<65535>.<32768>", 2, 65536, 0, false, "10000000000000000"},
        {"0", 7, 10, 3, false, "0"},
        {"000.000", 7, 10, 3, false, "0"},
        {".0", 7, 10, 3, false, "0"},
        {" 1 0\t.\n5\r", 2, 10, 1, false, "1010.1"},
        {"AbZ.<99>!", 10, 10, 0, false, "abz.<99>!"},  // the same base copies without reading
        {"AbZ.<99>!", 10, 10, 0, true, "AbZ.<99>!"},
        {"zz", 36, 36, -1, false, ""},
    };
    for (auto const& c : cases)
        EXPECT_EQ(convert(c.text, c.to, c.from, c.n, c.upper), c.expected)
            << '"' << c.text << "\" from base " << c.from << " to " << c.to << ", " << c.n << " digits";
}

TEST(RadixPinned, WhiteSpaceIsRemovedInPlace) {
    char text[] = " 1 2\t";
    std::free(BaseFromBase(text, 2, 10, 0, false));
    EXPECT_STREQ(text, "12") << "white space is removed in place";
}

}  // namespace
}  // namespace korvel
