// fpComplex against MPC, aliasing of every arithmetic form, and the exact rules.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <sstream>
#include <string>

#include "../support/mpc_bridge.h"
#include "../support/random_fp.h"
#include <korvel/complex.h>

namespace korvel {
namespace {

using testing::Mpc;
using testing::Mpfr;
using testing::toMpc;
using testing::RandomWords;

constexpr std::uint64_t seed = 31415;
constexpr i32 precisions[] = {1, 3, 9, 32};

// A B-word part with a full top word, or (one time in eight) an exact zero.
fp part(RandomWords& rng, i32 B) {
    if (rng.below(8) == 0) return fp();
    fp x = testing::fullFp(rng, B, rng.below(41) - 20);
    if (rng.coin()) x.mantissa.size = -x.mantissa.size;
    return x;
}

fpComplex value(RandomWords& rng, i32 B) { return fpComplex(part(rng, B), part(rng, B)); }

using testing::show;
using testing::normwiseUlps;

// Measured worst cases over 400 draws (ulps of the larger part) at B = 1, 3, 9, 32:
// mul 2.0, 2.8, 3.2, 2.0; div 2.8, 3.3, 2.7, 2.9; abs 1.3, 1.5, 1.4, 1.5;
// sqrt 2.0, 2.3, 3.3, 7.6. The bounds leave room for other draws, not for a
// wrong term or a cancelling formula (which costs hundreds of ulps or more).
TEST(ComplexAgainstMpc, MulDivAbsSqrt) {
    RandomWords rng(seed);
    SCOPED_TRACE("seed " + std::to_string(seed));
    for (i32 B : precisions) {
        ScopedBlockPrec precision(B);
        mpfr_prec_t const bits = 32 * B + 64;
        for (int i = 0; i < 400; ++i) {
            fpComplex a = value(rng, B), b = value(rng, B), r;
            Mpc ma(32 * B), mb_(32 * B), ref(bits);
            toMpc(ma, a);
            toMpc(mb_, b);

            mul(r, a, b);
            mpc_mul(ref, ma, mb_, MPC_RNDNN);
            EXPECT_LE(normwiseUlps(r, ref, B), 5.0) << "mul B=" << B << " " << show(a) << " * " << show(b);

            if (!!b) {
                div(r, a, b);
                mpc_div(ref, ma, mb_, MPC_RNDNN);
                EXPECT_LE(normwiseUlps(r, ref, B), 6.0) << "div B=" << B << " " << show(a) << " / " << show(b);
            }

            fp m = abs(a);
            Mpfr mref(bits);
            mpc_abs(mref, ma, MPFR_RNDN);
            mpc_set_fr(ref, mref, MPC_RNDNN);
            EXPECT_LE(normwiseUlps(fpComplex(m, fp()), ref, B), 3.0) << "abs B=" << B << " " << show(a);

            sqrt(r, a);
            mpc_sqrt(ref, ma, MPC_RNDNN);
            EXPECT_LE(normwiseUlps(r, ref, B), 12.0) << "sqrt B=" << B << " " << show(a);
        }
    }
}

TEST(ComplexAliasing, EveryFormMatchesTheUnaliasedResult) {
    RandomWords rng(seed + 1);
    using Op = void (*)(fpComplex&, fpComplex const&, fpComplex const&);
    Op const ops[] = {
        [](fpComplex& r, fpComplex const& a, fpComplex const& b) { add(r, a, b); },
        [](fpComplex& r, fpComplex const& a, fpComplex const& b) { sub(r, a, b); },
        [](fpComplex& r, fpComplex const& a, fpComplex const& b) { mul(r, a, b); },
        [](fpComplex& r, fpComplex const& a, fpComplex const& b) { div(r, a, b); },
        [](fpComplex& r, fpComplex const& a, fpComplex const& b) { add(r, a, b.re); },
        [](fpComplex& r, fpComplex const& a, fpComplex const& b) { sub(r, b.im, a); },
        [](fpComplex& r, fpComplex const& a, fpComplex const& b) { mul(r, a, b.re); },
        [](fpComplex& r, fpComplex const& a, fpComplex const& b) { div(r, b.im, a); },
        [](fpComplex& r, fpComplex const& a, fpComplex const&) { sqrt(r, a); },
        [](fpComplex& r, fpComplex const& a, fpComplex const&) { sqr(r, a); },
        [](fpComplex& r, fpComplex const& a, fpComplex const& b) { mul(r, a, RepeatedFactor(b)); },
    };
    auto sameWords = [](fp const& x, fp const& y) {
        return x.exponent == y.exponent && x.mantissa.size == y.mantissa.size &&
               std::equal(x.mantissa.words, x.mantissa.words + std::abs(x.mantissa.size), y.mantissa.words);
    };
    for (i32 B : {1, 5}) {
        ScopedBlockPrec precision(B);
        for (int i = 0; i < 200; ++i) {
            fpComplex const a = value(rng, B), b = value(rng, B);
            for (std::size_t k = 0; k < std::size(ops); ++k) {
                fpComplex want, wantSame;
                ops[k](want, a, b);
                ops[k](wantSame, a, a);
                fpComplex r1 = a, r2 = b, r3 = a;
                ops[k](r1, r1, b);
                ops[k](r2, a, r2);
                ops[k](r3, r3, r3);
                EXPECT_TRUE(r1 == want) << "form " << k << ": r = a";
                EXPECT_TRUE(r2 == want) << "form " << k << ": r = b";
                EXPECT_TRUE(r3 == wantSame) << "form " << k << ": r = a = b";
            }
            // A product by a repeated factor is the plain product, word for word.
            fpComplex plain, byFactor;
            mul(plain, a, b);
            mul(byFactor, a, RepeatedFactor(b));
            EXPECT_TRUE(sameWords(plain.re, byFactor.re) && sameWords(plain.im, byFactor.im)) << "repeated factor";
            fpComplex x = a, y = a;
            x /= b;
            EXPECT_TRUE(x == a / b) << "x /= y";
            y *= b;
            EXPECT_TRUE(y == a * b) << "x *= y";
        }
    }
}

// Exact operands whose results are exact: no rounding and no stray part, which
// the comparisons with MPC (within a few ulps) would let through. == compares
// both parts, so a part that should be zero must be exactly zero.
TEST(ComplexExact, ExactOperandsGiveExactResults) {
    fpComplex quotient(3.0), byZero(1.0, 1.0);
    quotient /= fpComplex(0.0, 2.0);
    byZero /= mb();
    struct Case {
        char const* rule;
        fpComplex got, want;
    } const cases[] = {
        {"(1 + 2i)(3 + 4i)", fpComplex(1.0, 2.0) * fpComplex(3.0, 4.0), fpComplex(-5.0, 10.0)},
        {"(2i)(3i) is exactly real", fpComplex(0.0, 2.0) * fpComplex(0.0, 3.0), fpComplex(-6.0)},
        {"3 (4i) is exactly imaginary", fpComplex(3.0) * fpComplex(0.0, 4.0), fpComplex(0.0, 12.0)},
        {"3 / 2i", fpComplex(3.0) / fpComplex(0.0, 2.0), fpComplex(0.0, -1.5)},
        {"3 /= 2i", quotient, fpComplex(0.0, -1.5)},
        {"the root of a negative real is exactly imaginary", sqrt(fpComplex(-4.0)), fpComplex(0.0, 2.0)},
        {"sqrt 4", sqrt(fpComplex(4.0)), fpComplex(2.0)},
        {"sqrt 0", sqrt(fpComplex()), fpComplex()},
        {"|3 + 4i|", fpComplex(abs(fpComplex(3.0, 4.0)), fp()), fpComplex(5.0)},
        {"|0|", fpComplex(abs(fpComplex()), fp()), fpComplex()},
        {"conj", conj(fpComplex(1.0, 2.0)), fpComplex(1.0, -2.0)},
        {"-(3i)", -fpComplex(0.0, 3.0), fpComplex(0.0, -3.0)},
        // Division by zero in any form gives zero.
        {"5 / (0 + 0i)", fpComplex(5.0) / fpComplex(), fpComplex()},
        {"(1 + i) / 0.0", fpComplex(1.0, 1.0) / 0.0, fpComplex()},
        {"(1 + i) / fp zero", fpComplex(1.0, 1.0) / fp(), fpComplex()},
        {"(1 + i) /= mb zero", byZero, fpComplex()},
        {"2.0 / (0 + 0i)", 2.0 / fpComplex(), fpComplex()},
    };
    for (auto const& c : cases) EXPECT_TRUE(c.got == c.want) << c.rule << ": " << show(c.got);
    EXPECT_EQ(cases[11].got.re.exponent, 0) << "negation keeps a zero part a plain zero";
    EXPECT_LT(sqrt(fpComplex(-4.0, -1e-20)).im, 0.0) << "below the cut";
    EXPECT_GT(sqrt(fpComplex(-4.0, 1e-20)).im, 0.0) << "above the cut";
}

TEST(ComplexExact, QuotientOfAValueByItselfIsExactlyOne) {
    RandomWords rng(seed + 2);
    for (int i = 0; i < 50; ++i) {
        fpComplex z = value(rng, 5);
        if (!z) continue;
        EXPECT_TRUE(z / z == 1.0) << "z / z is exactly 1";
    }
}

TEST(ComplexExact, SqrtKeepsASmallRealPartNearTheCut) {
    ScopedBlockPrec precision(8);
    fpComplex const r = sqrt(fpComplex(-1.0, 1e-30));
    EXPECT_TRUE(!!r.re) << "small but not zero";
    EXPECT_LT(r.re, 1e-29);
    EXPECT_LT(abs(r.im - fp(1.0)), fp(1e-40));
}

TEST(ComplexExact, TextOutputSeparators) {
    // toString and fpComplexToStr write the same text, each part as fpToStr does.
    struct Case {
        char const* rule;
        fpComplex z;
        i32 figures;
        char const* text;
    } const cases[] = {
        {"parts within \" , \"", fpComplex(1.0, 2.0), 16, "(1 , 2)"},
        {"zero", fpComplex(), 16, "(0 , 0)"},
        {"negative parts", fpComplex(-1.5, -0.25), 16, "(-1.5 , -0.25)"},
        {"figures rounded", fpComplex(2.0 / 3.0, -1e-20), 3, "(0.667 , -1e-20)"},
        {"no figures asked for", fpComplex(1.0, 2.0), 0, "( , )"},
        {"negative figures", fpComplex(1.0, 2.0), -4, "( , )"},
    };
    for (auto const& c : cases) {
        EXPECT_EQ(toString(c.z, c.figures), c.text) << c.rule;
        EXPECT_STREQ(OwnedText(fpComplexToStr(c.z, c.figures)).get(), c.text) << c.rule;
    }
    std::ostringstream os;
    os << fpComplex(1.5, -2.0);
    EXPECT_EQ(os.str(), "(1.5, -2)");
}

TEST(ComplexText, ReaderTable) {
    struct Case {
        char const* text;
        bool ok;
        double re, im;
    };
    Case const cases[] = {
        {"(1.5, -2)", true, 1.5, -2},  {"1.5,-2", true, 1.5, -2}, {"1.5", true, 1.5, 0},
        {"((1.5)),(-2)", true, 1.5, -2}, {"1.5,", false, 0, 0},   {",3", false, 0, 0},
        {"", false, 0, 0},             {"(2,3)", true, 2, 3},      {"2", true, 2, 0},
        {"1,2,3", false, 0, 0},
    };
    for (auto const& c : cases) {
        fpComplex z(7.0, 7.0);
        EXPECT_EQ(fpConvFromString(z, c.text), c.ok) << '"' << c.text << '"';
        EXPECT_TRUE(z == fpComplex(c.re, c.im)) << '"' << c.text << '"';
    }
    fpComplex two("2", "-3");
    EXPECT_TRUE(two == fpComplex(2.0, -3.0));
    fpComplex bad("x", "1");
    EXPECT_TRUE(!bad);
    fpComplex z;
    EXPECT_FALSE(fpConvFromString(z, "q", "5"));
    z = "(4,5)";
    EXPECT_TRUE(z == fpComplex(4.0, 5.0));
    z = "oops";
    EXPECT_TRUE(!z);
}

}  // namespace
}  // namespace korvel
