// Trigonometric and hyperbolic functions, their inverses and the constants pi,
// ln 10, ln 2 and e against MPFR, in units of the last place of B words.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "../support/reference_check.h"
#include "../support/random_fp.h"
#include "../support/random_mb.h"
#include <korvel/fp.h>
#include "fp/internal.h"

namespace korvel {
namespace {

using testing::Mpfr;
using testing::RandomWords;

constexpr std::uint64_t seed = 271828;
constexpr i32 precisions[] = {1, 2, 3, 5, 9, 12, 32, 40};

using testing::negated;
using testing::show;
using testing::ulpError;

fp nearOne(i32 k, i32 sign) { return testing::nearInteger(1, sign, k); }

// Which arguments a function takes, and which hard ones it gets.
enum class Domain { any, unbounded, moderate, belowOne, aboveOne };

// The fp neighbours of k pi/2, both signs: the reduction's hardest cancellation,
// for k = 2^e + c up to 2^900 (k pi/2 near 2^900 needs pi to about 900 + 64B bits).
void addQuarterTurns(std::vector<fp>& xs, i32 B) {
    struct Turns {
        int e;           // k = 2^e + c, or c alone for e < 0
        unsigned long c;
    };
    for (Turns t : {Turns{-1, 1}, {-1, 2}, {-1, 3}, {-1, 4}, {-1, 5}, {-1, 7}, {-1, 14}, {-1, 200}, {-1, 1000001},
                    {40, 1}, {40, 2}, {100, 1}, {333, 5}, {500, 3}, {899, 1}, {900, 1}}) {
        Mpfr v(32 * B + 1100), k(1000);
        mpfr_set_ui_2exp(k, t.e >= 0 ? 1 : 0, t.e >= 0 ? t.e : 0, MPFR_RNDN);
        mpfr_add_ui(k, k, t.c, MPFR_RNDN);  // exact: k has at most 901 bits
        mpfr_const_pi(v, MPFR_RNDN);
        mpfr_mul(v, v, k, MPFR_RNDN);
        mpfr_div_2ui(v, v, 1, MPFR_RNDN);
        mpfr_prec_round(v, 32 * B, MPFR_RNDN);  // k pi/2 rounded once to B words
        fp x;
        testing::fromMpfr(x, v);
        fp ulp = power2(Lg2(x) - 32 * B + 1);
        for (int step = -2; step <= 2; ++step) {
            fp y;
            fp s;
            mul(s, ulp, fp(double(step)));
            add(y, x, s);
            xs.push_back(y);
            xs.push_back(negated(y));
        }
    }
}

std::vector<fp> hardArguments(Domain domain, i32 B) {
    std::vector<fp> xs;
    fp pointOne(0.1);
    fp ulpAtPointOne = power2(Lg2(pointOne) - 32 * B + 1);
    for (fp const& x : {pointOne, pointOne + ulpAtPointOne, pointOne - ulpAtPointOne}) {
        xs.push_back(x);
        xs.push_back(negated(x));
    }
    for (i32 e : {-1100, -1001, -500, -200, -40})  // tiny arguments
        for (fp const& x : {power2(e), fp(3.0) * power2(e)}) xs.push_back(x), xs.push_back(negated(x));
    switch (domain) {
        case Domain::any:
            addQuarterTurns(xs, B);
            xs.push_back(fp(-1e10));
            break;
        case Domain::unbounded:
            xs.push_back(fp(-1e10));
            xs.push_back(fp(1.5) * power2(99999));  // beyond 1e30000
            xs.push_back(fp(-1.5) * power2(99999));
            break;
        case Domain::moderate:
            for (double d : {-20000.0, 20000.0, 0.5, -3.0}) xs.push_back(fp(d));
            break;
        case Domain::belowOne:
            for (i32 k : {1, 10, 33, 160, 32 * B - 1})
                if (k < 32 * B) xs.push_back(nearOne(k, -1)), xs.push_back(negated(nearOne(k, -1)));
            break;
        case Domain::aboveOne:
            xs.clear();
            for (i32 k : {1, 10, 33, 160, 32 * B - 1}) xs.push_back(nearOne(k, 1));
            for (double d : {1.5, 2.0, 3.0, 1e10}) xs.push_back(fp(d));
            xs.push_back(fp(1.5) * power2(99999));
            break;
    }
    return xs;
}

fp randomArgument(RandomWords& rng, Domain domain, i32 B) {
    switch (domain) {
        case Domain::any:
        case Domain::unbounded: {  // |x| log-uniform in [2^-1100, 2^1000], either sign
            fp x = testing::fullFp(rng, B, -1099 + rng.below(2100));
            return rng.coin() ? negated(x) : x;
        }
        case Domain::moderate: {  // sinh, cosh, tanh stay inside the exponent's range
            fp x = testing::fullFp(rng, B, -1099 + rng.below(1130));
            return rng.coin() ? negated(x) : x;
        }
        case Domain::belowOne: {
            fp x = testing::fullFp(rng, B, -1099 + rng.below(1100));
            return rng.coin() ? negated(x) : x;
        }
        case Domain::aboveOne: {  // 1 + d with d log-uniform, and large values
            fp d = testing::fullFp(rng, B, -32 * B + 2 + rng.below(32 * B + 1000)), one;
            init(one, 1);
            add(d, d, one);
            return d;
        }
    }
    return fp();
}

struct Function {
    char const* name;
    void (*ours)(fp&, fp const&);
    int (*reference)(mpfr_ptr, mpfr_srcptr, mpfr_rnd_t);
    Domain domain;
    double bound;  // ulps, after the faults of the plain algorithms were fixed
};

Function const functions[] = {
    {"sin", sin, mpfr_sin, Domain::any, 1},
    {"cos", cos, mpfr_cos, Domain::any, 1},
    {"tan", tan, mpfr_tan, Domain::any, 1},
    {"atan", atan, mpfr_atan, Domain::any, 2},
    {"asin", asin, mpfr_asin, Domain::belowOne, 4},
    {"acos", acos, mpfr_acos, Domain::belowOne, 4},
    {"sinh", sinh, mpfr_sinh, Domain::moderate, 4},
    {"cosh", cosh, mpfr_cosh, Domain::moderate, 4},
    {"tanh", tanh, mpfr_tanh, Domain::moderate, 4},
    {"asinh", asinh, mpfr_asinh, Domain::unbounded, 8},
    {"acosh", acosh, mpfr_acosh, Domain::aboveOne, 8},
    {"atanh", atanh, mpfr_atanh, Domain::belowOne, 8},
};

class TrigFunctions : public ::testing::TestWithParam<Function> {
protected:
    static void SetUpTestSuite() {
        mpfr_set_emax(mpfr_get_emax_max());
        mpfr_set_emin(mpfr_get_emin_min());
    }
};

TEST_P(TrigFunctions, WithinBoundOfMpfrOnRandomAndHardArguments) {
    Function const& f = GetParam();
    RandomWords rng(seed);
    std::printf("seed %llu\n", (unsigned long long)seed);
    for (i32 B : precisions) {
        ScopedBlockPrec precision(B);
        std::vector<fp> xs = hardArguments(f.domain, B);
        int const draws = B >= 32 ? 8 : 40;
        for (int i = 0; i < draws; ++i) xs.push_back(randomArgument(rng, f.domain, B));
        testing::Worst worst;
        for (fp const& x : xs) {
            fp r;
            f.ours(r, x);
            ASSERT_EQ(blockPrec, B) << f.name << " restores the precision";
            EXPECT_LE(detail::length(r), B) << f.name << " rounds to B words";
            Mpfr xv(32 * B + 64), ref(32 * B + 64);
            testing::toMpfr(xv, x);
            f.reference(ref, xv, MPFR_RNDN);
            double const error = ulpError(r, ref, B);
            worst.see(error, show(x));
            EXPECT_LE(error, f.bound) << f.name << " B=" << B << " x=" << show(x) << " gave " << show(r);
        }
        if (HasFailure()) std::printf("%s B=%d: worst %.3g ulps at %s\n", f.name, B, worst.ulps, worst.where.c_str());
    }
}

INSTANTIATE_TEST_SUITE_P(Fp, TrigFunctions, ::testing::ValuesIn(functions),
                         [](auto const& param) { return std::string(param.param.name); });

// 10^N read at B words is 10^N rounded, some 2^(3.3 N - 32 B) away: far past a
// turn once 10^N needs more than B words. Held exactly (longer than B words),
// its sine and cosine at B words are those of 10^N itself.
TEST(FpTrig, PowersOfTenHeldExactlyReduceAtAShorterPrecision) {
    struct Case {
        i32 B;
        char const* text;
    } const cases[] = {{1, "1e20"}, {2, "1e30"}, {5, "1e100"}, {12, "1e300"}, {40, "1e300"}};
    for (Case c : cases) {
        fp x;
        {
            ScopedBlockPrec exact(40);  // 10^300 takes 22 words
            ASSERT_TRUE(equate(x, c.text));
        }
        ScopedBlockPrec precision(c.B);
        Mpfr xv(1400), ref(32 * c.B + 64);
        mpfr_set_str(xv, c.text, 10, MPFR_RNDN);  // exact
        Mpfr held(32 * 40);
        testing::toMpfr(held, x);
        ASSERT_EQ(mpfr_cmp(held, xv), 0) << c.text << " is held exactly";
        for (Function const& f : {functions[0], functions[1], functions[2]}) {
            fp r;
            f.ours(r, x);
            f.reference(ref, xv, MPFR_RNDN);
            EXPECT_LE(ulpError(r, ref, c.B), 1.0) << f.name << "(" << c.text << ") at B=" << c.B << " gave " << show(r);
        }
    }
}

TEST(FpTrig, Atan2WithinFourUlpsInEveryQuadrant) {
    RandomWords rng(seed + 1);
    for (i32 B : precisions) {
        ScopedBlockPrec precision(B);
        int const draws = B >= 32 ? 10 : 50;
        for (int i = 0; i < draws; ++i) {
            fp y = testing::fullFp(rng, B, -40 + rng.below(80)), x = testing::fullFp(rng, B, -40 + rng.below(80));
            if (rng.coin()) y = negated(y);
            if (rng.coin()) x = negated(x);
            fp r;
            atan2(r, y, x);
            Mpfr yv(32 * B), xv(32 * B), ref(32 * B + 64);
            testing::toMpfr(yv, y);
            testing::toMpfr(xv, x);
            mpfr_atan2(ref, yv, xv, MPFR_RNDN);
            EXPECT_LE(ulpError(r, ref, B), 4.0) << "B=" << B << " y=" << show(y) << " x=" << show(x);
        }
    }
}

struct Constant {
    char const* name;
    void (*compute)(fp&);
    detail::CachedConstant& (*cache)();
    void (*reference)(mpfr_ptr);
    double ulps, ulpsPerWord;  // the bound at B words: ulps + B ulpsPerWord
};

// Each summed one word above B and rounded: within an ulp at every B (e
// without its guard word was 12 ulps off at B = 126).
Constant const constants[] = {
    {"pi", ComputePi, detail::piCache, [](mpfr_ptr r) { mpfr_const_pi(r, MPFR_RNDN); }, 1, 0},
    {"ln 10", ComputeLog_10, detail::ln10Cache, [](mpfr_ptr r) { mpfr_log_ui(r, 10, MPFR_RNDN); }, 1, 0},
    {"ln 2", ComputeLn2, detail::ln2Cache, [](mpfr_ptr r) { mpfr_const_log2(r, MPFR_RNDN); }, 1, 0},
    {"e", ComputeE, detail::eCache, [](mpfr_ptr r) { mpfr_set_ui(r, 1, MPFR_RNDN), mpfr_exp(r, r, MPFR_RNDN); }, 1, 0},
};

// Each constant is summed once per highest precision asked for; below it the
// cached value is rounded.
TEST(FpConstants, WithinBoundAndCachedPerHighestPrecision) {
    for (Constant const& c : constants) {
        for (i32 B : {1, 3, 9, 32, 126}) {
            ScopedBlockPrec precision(B);
            fp x;
            c.compute(x);
            Mpfr ref(32 * B + 64);
            c.reference(ref);
            EXPECT_LE(ulpError(x, ref, B), c.ulps + B * c.ulpsPerWord) << c.name << " at B=" << B;
            if (c.compute == ComputePi) {
                EXPECT_EQ(compare(Pi(), x), 0) << "Pi() is ComputePi's value";
            }
        }
        detail::CachedConstant& cache = c.cache();
        i32 const top = cache.blockPrecCurr + 2;
        fp atTop, atLower;
        {
            ScopedBlockPrec p(top);
            i32 const before = cache.computations;
            c.compute(atTop);
            c.compute(atTop);
            EXPECT_EQ(cache.computations, before + 1) << c.name << ": two calls at a new highest precision sum once";
            EXPECT_EQ(blockPrec, top);
        }
        ScopedBlockPrec lower(top - 1);
        i32 const before = cache.computations;
        c.compute(atLower);
        EXPECT_EQ(cache.computations, before) << c.name << ": a lower precision rounds the cached value";
        fpNormalize(atTop);
        EXPECT_EQ(compare(atLower, atTop), 0) << c.name;
        EXPECT_LE(detail::length(atLower), top - 1) << c.name;
    }
}

TEST(FpTrig, PinnedValuesAndDomainErrors) {
    ScopedBlockPrec precision(9);
    fp const one(1.0), zero, pi = Pi(), sentinel(7.0);
    fp halfPi = pi, quarterPi = pi;
    halfPi.exponent -= 1;
    quarterPi.exponent -= 2;
    struct Pinned {
        char const* what;
        fp got, want;
    } const pinned[] = {
        {"sin 0", sin(zero), zero},          {"cos 0", cos(zero), one},
        {"tan 0", tan(zero), zero},          {"atan 0", atan(zero), zero},
        {"atan 1", atan(one), quarterPi},    {"atan -1", atan(-one), -quarterPi},
        {"asin 1", asin(one), halfPi},       {"asin -1", asin(-one), -halfPi},
        {"acos 0", acos(zero), halfPi},      {"acos 1", acos(one), zero},
        {"acos -1", acos(-one), pi},         {"atan2(0, 0)", atan2(zero, zero), zero},
        {"atan2(0, -1)", atan2(zero, -one), pi}, {"atan2(1, 0)", atan2(one, zero), halfPi},
        {"atan2(-1, 0)", atan2(-one, zero), -halfPi}, {"atan2(0, 1)", atan2(zero, one), zero},
    };
    for (auto const& p : pinned) EXPECT_EQ(compare(p.got, p.want), 0) << p.what << " gave " << show(p.got);

    fp zeroWords;
    zeroWords.mantissa = testing::fromWords({0, 0});  // zero held in two words
    using Unary = fp (*)(fp const&);
    for (Unary f : std::initializer_list<Unary>{sin, tan, atan, asin, sinh, tanh, asinh, atanh})
        EXPECT_TRUE(!f(zeroWords)) << "an odd function of zero in any form is 0";
    EXPECT_EQ(compare(cos(zeroWords), one), 0);
    EXPECT_EQ(compare(acos(zeroWords), halfPi), 0);
    EXPECT_TRUE(!atan2(zeroWords, one));

    fp const big = fp(1.5) * power2(1001), outside(1.5);
    struct Refused {
        char const* what;
        void (*f)(fp&, fp const&);
        fp x;
    } const refused[] = {
        {"sin 2^1001", sin, big},    {"cos 2^1001", cos, big},  {"tan 2^1001", tan, big},
        {"asin 1.5", asin, outside}, {"acos -1.5", acos, -outside}, {"acosh 0.5", acosh, fp(0.5)},
        {"atanh 1", atanh, one},     {"atanh -1", atanh, -one},
    };
    for (auto const& c : refused) {
        fp r = sentinel;
        c.f(r, c.x);
        EXPECT_EQ(compare(r, sentinel), 0) << c.what << " leaves the result unwritten";
    }
}

TEST(FpTrig, HyperbolicSymmetriesAndSaturation) {
    ScopedBlockPrec precision(5);
    fp const minusBig(-1e10), one(1.0);
    fpClearOverflow();
    fp c = cosh(minusBig);
    EXPECT_TRUE(fpOverflowed() && c > one) << "cosh(-1e10) saturates with the flag";
    fpClearOverflow();
    fp s = sinh(minusBig);
    EXPECT_TRUE(fpOverflowed() && s < -one) << "sinh(-1e10) saturates negative with the flag";
    fpClearOverflow();
    EXPECT_EQ(compare(tanh(minusBig), -one), 0);
    EXPECT_EQ(compare(tanh(fp(1000.0)), one), 0);
    EXPECT_EQ(compare(cosh(fp()), one), 0);
    EXPECT_EQ(compare(acosh(one), fp()), 0);
    EXPECT_FALSE(fpOverflowed());
}

}  // namespace
}  // namespace korvel
