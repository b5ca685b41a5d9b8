// add, sub, mul, div and fpNormalize against exact rational results, within the
// error that each algorithm allows.
#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "../support/mp_bridge.h"
#include "../support/random_fp.h"
#include <korvel/fp.h>

namespace korvel {
namespace {

using testing::Mpq;
using testing::Mpz;
using testing::RandomWords;

constexpr std::uint64_t seed = 77031;
constexpr i32 precisions[] = {1, 2, 3, 5, 9};

i32 wordCount(fp const& x) { return x.mantissa.size < 0 ? -x.mantissa.size : x.mantissa.size; }

// Half a unit in the last place of r at B words: the final rounding's error.
void halfUlp(mpq_t out, fp const& r, i32 B) {
    if (r.mantissa.size == 0) {
        mpq_set_ui(out, 0, 1);
        return;
    }
    testing::powerOfTwo(out, (long long)Lg2(r) - 32LL * B);
}

std::string show(fp const& x) {
    return toString(x, 40) + " [" + std::to_string(wordCount(x)) + " words, e " + std::to_string(x.exponent) + "]";
}

::testing::AssertionResult within(fp const& got, mpq_srcptr exact, mpq_srcptr bound) {
    Mpq g, d;
    testing::toMpq(g, got);
    mpq_sub(d, g, exact);
    mpq_abs(d, d);
    if (mpq_cmp(d, bound) <= 0) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "error " << mpq_get_d(d) << " exceeds bound " << mpq_get_d(bound);
}

::testing::AssertionResult fitsPrecision(fp const& r, i32 B) {
    if (wordCount(r) <= B) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << wordCount(r) << " words at B = " << B;
}

// x's mantissa cut to its top `keep` bits and followed by 1 and zeros to its
// length: an exact tie at `keep` bits, or (sticky) one just above it.
void makeTie(fp& x, i32 keep, bool sticky) {
    i32 const drop = NumBits(x.mantissa) - keep;
    mb m = abs(x.mantissa), one;
    init(one, 1);
    mbShiftRight(m, m, drop);
    mbShiftLeft(m, m, 1);
    add(m, m, one);
    mbShiftLeft(m, m, drop - 1);
    if (sticky) add(m, m, one);
    m.size = x.mantissa.size < 0 ? -m.size : m.size;
    x.mantissa = m;
}

// add/sub: the operand with the larger exponent, L, is kept whole in a window
// whose lowest bit lies at least 32B - 1 bits below L's top bit; the other
// loses less than one unit of that bit. Then one rounding.
void addBound(mpq_t out, fp const& x, fp const& y, fp const& r, i32 B) {
    fp const& L = x.exponent >= y.exponent ? x : y;
    testing::powerOfTwo(out, (long long)Lg2(L) - 32LL * B + 1);
    Mpq h;
    halfUlp(h, r, B);
    mpq_add(out, out, h);
}

// mul: partial products below word n - 2 are never formed, where n is the
// number of words of the product beyond B (from the operands' bit lengths);
// column c holds at most min(lx, ly) products below 2^64 * 2^(32c), so all of
// them sum to less than min(lx, ly) + 1 units of word n - 1. Then one rounding.
void mulBound(mpq_t out, fp const& x, fp const& y, fp const& r, i32 B) {
    i32 const lx = wordCount(x), ly = wordCount(y);
    i32 const n = (NumBits(x.mantissa) + NumBits(y.mantissa) + 31) / 32 - B;
    mpq_set_ui(out, 0, 1);
    if (n > 0) {
        testing::powerOfTwo(out, (long long)x.exponent + y.exponent + 32LL * (n - 1));
        Mpq count;
        mpq_set_ui(count, (lx < ly ? lx : ly) + 1, 1);
        mpq_mul(out, out, count);
    }
    Mpq h;
    halfUlp(h, r, B);
    mpq_add(out, out, h);
}

// div: the quotient is truncated at its word of weight 2^(ex - ey - 32k) with
// k = max(0, B + 1 + ly - lx). Then one rounding.
void divBound(mpq_t out, fp const& x, fp const& y, fp const& r, i32 B) {
    long long k = (long long)B + 1 + wordCount(y) - wordCount(x);
    if (k < 0) k = 0;
    testing::powerOfTwo(out, (long long)x.exponent - y.exponent - 32 * k);
    Mpq h;
    halfUlp(h, r, B);
    mpq_add(out, out, h);
}

struct Operation {
    char const* name;
    void (*ours)(fp&, fp const&, fp const&);
    void (*exact)(mpq_ptr, mpq_srcptr, mpq_srcptr);
    void (*bound)(mpq_t, fp const&, fp const&, fp const&, i32);
};

Operation const operations[] = {
    {"add", [](fp& r, fp const& a, fp const& b) { add(r, a, b); }, mpq_add, addBound},
    {"sub", [](fp& r, fp const& a, fp const& b) { sub(r, a, b); }, mpq_sub, addBound},
    {"mul", [](fp& r, fp const& a, fp const& b) { mul(r, a, b); }, mpq_mul, mulBound},
    {"div", [](fp& r, fp const& a, fp const& b) { EXPECT_TRUE(div(r, a, b)); }, mpq_div, divBound},
};

TEST(FpReference, ArithmeticWithinAlgorithmBounds) {
    RandomWords rng(seed);
    SCOPED_TRACE("seed " + std::to_string(seed));
    for (i32 B : precisions) {
        ScopedBlockPrec precision(B);
        for (int i = 0; i < 1500; ++i) {
            fp x = testing::randomFp(rng, 12, rng.coin() ? 40 : 400);
            fp y = testing::randomFp(rng, 12, rng.coin() ? 40 : 400);
            Mpq qx, qy, exact, bound;
            testing::toMpq(qx, x);
            testing::toMpq(qy, y);
            for (Operation const& op : operations) {
                fp r;
                op.ours(r, x, y);
                op.exact(exact, qx, qy);
                op.bound(bound, x, y, r, B);
                EXPECT_TRUE(within(r, exact, bound)) << op.name << " B=" << B << " x=" << show(x) << " y=" << show(y);
                EXPECT_TRUE(fitsPrecision(r, B)) << op.name;
            }
            i32 const want = mpq_cmp(qx, qy) < 0 ? -1 : (mpq_cmp(qx, qy) > 0 ? 1 : 0);
            if (wordCount(x) <= B && wordCount(y) <= B) {
                EXPECT_EQ(compare(x, y), want) << "compare";
            }
        }
    }
}

// Every form with the result aliased to an operand gives the unaliased result.
TEST(FpReference, AliasedResultsMatch) {
    RandomWords rng(seed + 1);
    SCOPED_TRACE("seed " + std::to_string(seed + 1));
    for (i32 B : precisions) {
        ScopedBlockPrec precision(B);
        for (int i = 0; i < 300; ++i) {
            fp x = testing::randomFp(rng, 12, 100), y = testing::randomFp(rng, 12, 100);
            for (Operation const& op : operations) {
                fp want, wantSame;
                op.ours(want, x, y);
                op.ours(wantSame, x, x);
                fp r1(x), r2(y), r3(x);
                op.ours(r1, r1, y);
                op.ours(r2, x, r2);
                op.ours(r3, r3, r3);
                EXPECT_EQ(compare(r1, want), 0) << op.name << " r = x";
                EXPECT_EQ(compare(r2, want), 0) << op.name << " r = y";
                EXPECT_EQ(compare(r3, wantSame), 0) << op.name << " r = x = y";
            }
        }
    }
}

// fpNormalize alone rounds to nearest with ties away from zero, at 32B bits
// counted from the top bit.
TEST(FpReference, NormalizeRoundsToNearestTiesAway) {
    RandomWords rng(seed + 2);
    SCOPED_TRACE("seed " + std::to_string(seed + 2));
    for (i32 B : precisions) {
        ScopedBlockPrec precision(B);
        for (int i = 0; i < 2000; ++i) {
            fp x = testing::randomFp(rng, 20, 100);
            if (rng.below(4) == 0 && wordCount(x) > B) makeTie(x, 32 * B, false);
            Mpz m;
            testing::toMpz(m, x.mantissa);
            long long const e = x.exponent;
            long long const drop = (long long)NumBits(x.mantissa) - 32LL * B;
            Mpq exact;
            if (drop > 0 && wordCount(x) > B) {
                // round(|m| / 2^drop), ties away, with m's sign.
                Mpz a, q, rem, half;
                mpz_abs(a, m);
                mpz_tdiv_q_2exp(q, a, mp_bitcnt_t(drop));
                mpz_tdiv_r_2exp(rem, a, mp_bitcnt_t(drop));
                mpz_setbit(half, mp_bitcnt_t(drop - 1));
                if (mpz_cmp(rem, half) >= 0) mpz_add_ui(q, q, 1);
                if (mpz_sgn(m.v) < 0) mpz_neg(q, q);
                mpq_set_z(exact, q);
                Mpq scale;
                testing::powerOfTwo(scale, e + drop);
                mpq_mul(exact, exact, scale);
            } else {
                testing::toMpq(exact, x);
            }
            fp r(x);
            fpNormalize(r);
            Mpq got;
            testing::toMpq(got, r);
            EXPECT_TRUE(mpq_equal(got, exact)) << "B=" << B << " x=" << show(x);
            EXPECT_TRUE(fitsPrecision(r, B));
        }
    }
}

// toDouble rounds the whole mantissa once to nearest, ties to even, as MPFR's
// mpfr_get_d_2exp does; exact ties and ties with a far sticky bit included;
// scaled, it is that double, or infinite beyond the doubles' range.
TEST(FpReference, ToDoubleRoundsOnceToNearestEven) {
    RandomWords rng(seed + 3);
    SCOPED_TRACE("seed " + std::to_string(seed + 3));
    for (int i = 0; i < 4000; ++i) {
        fp x = testing::randomFp(rng, 8, 100000);
        i32 const bits = NumBits(x.mantissa);
        if (rng.below(2) == 0 && bits > 54) makeTie(x, 53, rng.below(2) == 0);
        i64 e = 0;
        double const got = toDouble(x, e);
        long want = 0;
        double expected = 0;
        if (x.mantissa.size != 0) {
            testing::Mpfr exact(32 * (wordCount(x) + 1));
            testing::toMpfr(exact, x);
            expected = mpfr_get_d_2exp(&want, exact, MPFR_RNDN);
        }
        EXPECT_EQ(got, expected) << show(x);
        EXPECT_EQ(e, i64(want)) << show(x);
        // The one-argument form: the same double where doubles are normal, infinite beyond.
        if (e > 1024) {
            EXPECT_TRUE(std::isinf(toDouble(x))) << show(x);
        } else if (e >= -1021) {
            EXPECT_EQ(toDouble(x), std::ldexp(expected, int(want))) << show(x);
        }
    }
}

}  // namespace
}  // namespace korvel
