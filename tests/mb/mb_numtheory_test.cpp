// Number theory, integer roots and random numbers against GMP and a sieve.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "../support/gmp_bridge.h"
#include "../support/random_mb.h"
#include <korvel/mb.h>

namespace korvel {
namespace {

using testing::Mpz;
using testing::RandomWords;
using testing::randomMb;
using testing::sameValue;

constexpr std::uint64_t seed = 20261208;

using testing::decimal;

mb fromMpz(mpz_srcptr v) {
    mb x;
    testing::fromMpz(x, v);
    return x;
}

mb parse(char const* text) { return mb(text); }

TEST(MbNumberTheory, GcdInverseAndPowerMatchGmp) {
    RandomWords rng(seed);
    mbSeedRandom(seed);
    SCOPED_TRACE("seed " + std::to_string(seed));
    mb const edges[] = {mb(0), mb(-12), mb(18)};  // the last rounds: zeros and signs, every pair
    for (int i = 0; i < 609; ++i) {
        bool const edge = i >= 600;
        mb const a = edge ? edges[(i - 600) % 3] : randomMb(rng, 12);
        mb const b = edge ? edges[(i - 600) / 3] : randomMb(rng, 12);
        Mpz ga, gb, want, s, t;
        testing::toMpz(ga, a);
        testing::toMpz(gb, b);
        mpz_gcd(want, ga, gb);
        EXPECT_TRUE(sameValue(gcd(a, b), want)) << "gcd " << decimal(a) << ", " << decimal(b);

        // a x + b y = g for every sign, g = gcd >= 0.
        mb x, y, g;
        extendedGCD(x, y, g, a, b);
        testing::toMpz(s, x);
        testing::toMpz(t, y);
        mpz_mul(s, s, ga);
        mpz_addmul(s, t, gb);
        EXPECT_TRUE(sameValue(g, want) && mpz_cmp(s, want) == 0)
            << "extendedGCD " << decimal(a) << ", " << decimal(b);

        // The inverse of |a| modulo |b|.
        mpz_abs(s, ga);
        mpz_abs(t, gb);
        if (mpz_cmp_ui(t.v, 2) >= 0) {
            mb r(-1);
            bool const exists = mpz_invert(want, s, t) != 0;
            EXPECT_EQ(invMod(r, a, b), exists) << "invMod " << decimal(a) << ", " << decimal(b);
            if (exists) EXPECT_TRUE(sameValue(r, want)) << "invMod " << decimal(a) << " mod " << decimal(b);
            else EXPECT_EQ(r, mb(-1)) << "no inverse leaves r";
        }

        // x^floor(e 2^k) mod m: |x|^E mod m, negated for a negative x and odd E.
        mb const e = abs(randomMb(rng, 3));
        i32 const k = rng.below(13) - 6;
        mb m = abs(b);
        if (m.size == 0 || m == mb(1)) continue;
        Mpz E;
        testing::toMpz(E, e);
        if (k >= 0)
            mpz_mul_2exp(E, E, u32(k));
        else
            mpz_fdiv_q_2exp(E, E, u32(-k));
        mpz_powm(want, s, E, t);
        if (mpz_sgn(ga.v) < 0 && mpz_odd_p(E.v)) mpz_neg(want, want);
        if (e.size == 0) mpz_set_ui(want, 1);
        if (a.size == 0) mpz_set_ui(want, 0);  // 0^0 included
        mb r;
        powerMod(r, a, e, k, m);
        EXPECT_TRUE(sameValue(r, want)) << "powerMod " << decimal(a) << "^(" << decimal(e) << " 2^" << k << ") mod "
                                        << decimal(m) << " got " << decimal(r);
        EXPECT_TRUE(sameValue(powerMod(a, e, k, m), want));
    }
}

TEST(MbNumberTheory, FactorialAndBinomialMatchGmp) {
    RandomWords rng(seed + 1);
    Mpz want;
    for (unsigned n : {0u, 1u, 2u, 12u, 13u, 20u, 21u, 34u, 100u, 257u, 1000u}) {
        mpz_fac_ui(want, n);
        EXPECT_TRUE(sameValue(factorial(mb(n)), want)) << n << "!";
    }
    for (int i = 0; i < 300; ++i) {
        unsigned long const n = rng.below(400), k = rng.below(int(n) + 2);
        mpz_bin_uiui(want, n, k);
        if (k > n) mpz_set_ui(want, 0);
        mb r(7);
        EXPECT_EQ(binomial(r, n, k), k <= n);
        EXPECT_TRUE(sameValue(r, want)) << n << " over " << k;
    }
    for (int i = 0; i < 50; ++i) {  // a long n, a short k
        mb const n = abs(randomMb(rng, 4));
        unsigned long const k = rng.below(40);
        Mpz gn;
        testing::toMpz(gn, n);
        mpz_bin_ui(want, gn, k);
        if (mpz_cmp_ui(gn.v, k) < 0) mpz_set_ui(want, 0);
        EXPECT_TRUE(sameValue(binomial(n, k), want)) << decimal(n) << " over " << k;
    }
}

TEST(MbPrimality, MatchesSieveBelow100000) {
    mbSeedRandom(seed + 2);
    constexpr int limit = 100000;
    std::vector<bool> composite(limit, false);
    composite[0] = composite[1] = true;
    for (int p = 2; p * p < limit; ++p)
        if (!composite[p])
            for (int q = p * p; q < limit; q += p) composite[q] = true;
    for (int n = -3; n < limit; ++n)
        ASSERT_EQ(isItPrime(mb(n), 20), n >= 0 && !composite[n]) << n;
    // The random trials alone: never a witness for a prime, soon one for an odd composite.
    for (int n = 5; n < limit; n += 2) {
        if (!composite[n]) {
            ASSERT_FALSE(Miller_Rabin(mb(n))) << n;
            continue;
        }
        int t = 0;
        while (t < 20 && !Miller_Rabin(mb(n))) ++t;
        ASSERT_LT(t, 20) << n << " passed 20 trials";
    }
}

TEST(MbPrimality, RejectsPseudoprimesAndProducts) {
    mbSeedRandom(seed + 3);
    char const* const liars[] = {
        // Carmichael numbers (the first with 3, 4, 5 and 6 factors, and others
        // without a factor below 1000)
        "561", "41041", "825265", "321197185", "1152271", "2508013", "6868261", "10024561",
        // strong pseudoprimes to one or more small bases
        "2047", "3277", "4033", "1373653", "25326001", "3215031751", "2152302898747", "3474749660383",
        "341550071728321", "3825123056546413051", "318665857834031151167461",
        "3317044064679887385961981"};
    for (char const* text : liars) {
        mb const n = parse(text);
        EXPECT_FALSE(isItPrime(n, 20)) << text;
        int t = 0;
        while (t < 40 && !Miller_Rabin(n)) ++t;
        EXPECT_LT(t, 40) << text << " is never proved composite by the trials";
    }
    gmp_randstate_t state;
    gmp_randinit_default(state);
    gmp_randseed_ui(state, seed);
    Mpz p, q, n;
    for (int i = 0; i < 6; ++i) {
        mpz_urandomb(p, state, 256);
        mpz_nextprime(p, p);
        mpz_urandomb(q, state, 256);
        mpz_nextprime(q, q);
        mpz_mul(n, p, q);
        EXPECT_FALSE(isItPrime(fromMpz(n), 20)) << "p q " << decimal(n);
        mpz_mul(n, p, p);
        EXPECT_FALSE(isItPrime(fromMpz(n), 20)) << "p^2 " << decimal(n);
        EXPECT_TRUE(isItPrime(fromMpz(p), 20)) << decimal(p);
        mpz_urandomb(p, state, 64 + 160 * i);
        mpz_nextprime(p, p);
        EXPECT_TRUE(isItPrime(fromMpz(p), 20)) << decimal(p);
        mpz_mul_ui(n, p, 1009);
        EXPECT_FALSE(isItPrime(fromMpz(n), 20)) << "1009 p";
    }
    gmp_randclear(state);
    for (int e : {127, 521}) {
        mb mersenne(1);
        mersenne << e;
        --mersenne;
        EXPECT_TRUE(isItPrime(mersenne, 20)) << "2^" << e << " - 1";
    }
}

TEST(MbRandom, LengthRangeAndUniformity) {
    mbSeedRandom(seed + 4);
    RandomWords rng(seed + 4);
    for (int i = 0; i < 2000; ++i) {
        i32 const bits = 1 + rng.below(300);
        mb x;
        ASSERT_TRUE(mbRandom(x, bits));
        ASSERT_TRUE(NumBits(x) == bits && x.size > 0 && x.alloc == u32(x.size)) << bits;
        mb const n = abs(randomMb(rng, 6)) + 1;
        ASSERT_TRUE(mbRandom(x, n));
        ASSERT_TRUE(x.size >= 0 && x < n && (x.size == 0 || x.words[x.size - 1] != 0)) << decimal(n);
    }
    // Chi-square with 9 degrees of freedom: below 27.9 with probability 0.999.
    std::vector<int> counts(10, 0);
    int const draws = 20000;
    mb x;
    for (int i = 0; i < draws; ++i) {
        ASSERT_TRUE(mbRandom(x, mb(10)));
        i32 v = 0;
        ASSERT_TRUE(equate(v, x) && v >= 0 && v < 10);
        ++counts[std::size_t(v)];
    }
    double chi2 = 0, expected = draws / 10.0;
    for (int c : counts) chi2 += (c - expected) * (c - expected) / expected;
    EXPECT_LT(chi2, 27.9);
}

// gcd's sign, Bezout's identity and the inverse of |x| (or its failure) are
// checked against GMP above; here the cofactors themselves, and the inverse
// modulo 0, which sets the result to |x| mod 0.
TEST(MbNumberTheory, GcdAndInverseEdges) {
    mb x, y, g, r;
    extendedGCD(x, y, g, mb(240), mb(46));
    EXPECT_TRUE(g == mb(2) && x == mb(-9) && y == mb(47));
    extendedGCD(x, y, g, mb(-240), mb(0));
    EXPECT_TRUE(g == mb(240) && x == mb(-1) && y == mb(0)) << "g >= 0 for a negative operand";
    EXPECT_FALSE(invMod(r, mb(-7), mb(0)));
    EXPECT_EQ(r, mb(7));
}

// x^(e 2^k) mod m, with k = INT_MIN, a negative x and the degenerate forms.
TEST(MbNumberTheory, PowerModDegenerateForms) {
    struct { int x, e, k, m, want; } const powers[] = {
        {4, 13, 0, 497, 445}, {2, 5, 1, 1000, 24}, {2, 5, -1, 1000, 4}, {2, 1, -1, 1000, 1},
        {2, 1, INT_MIN, 1000, 1}, {-2, 3, 0, 5, -3}, {5, 3, 0, 1, 0}, {0, 0, 0, 7, 0}, {3, -1, 0, 7, 0},
        {3, 2, 0, 0, 0}, {3, 2, 0, -7, 0}, {3, 0, 0, 7, 1}, {1, 9, 0, 7, 1}, {0, 4, 0, 7, 0}};
    for (auto const& c : powers)
        EXPECT_EQ(powerMod(mb(c.x), mb(c.e), c.k, mb(c.m)), mb(c.want))
            << c.x << "^(" << c.e << " 2^" << c.k << ") mod " << c.m;
}

// Random numbers of an exact bit length or below a bound; bits set and
// cleared only where the number has them.
TEST(MbNumberTheory, RandomBitsStayInRange) {
    mb x;  // lengths 1 to 300 and bounds from 1 up are drawn in LengthRangeAndUniformity
    EXPECT_FALSE(mbRandom(x, 0) || mbRandom(x, mb(0)) || mbRandom(x, mb(-4)));
    x = mb(0xF0);
    insertBit(x, 1, 0, 0), insertBit(x, 0, 4, 0), insertBit(x, 1, 32, 0), insertBit(x, 1, 3, 1);
    insertBit(x, 1, -1, 0), insertBit(x, 1, 0, -1);
    EXPECT_EQ(x, mb(0xE1)) << "positions out of range are ignored";
    randSetClear(x, 40, 5);  // clamped to the one word x has
    EXPECT_EQ(x.size, 1);
}

// Primality of -3 .. 10^5 is checked against a sieve; here no trials at all and
// Miller_Rabin's small end (it is true for a composite), and the refusals of
// factorial and binomial, which leave or clear their result.
TEST(MbNumberTheory, PrimalityAndCombinatoricsEdges) {
    EXPECT_FALSE(isItPrime(mb(4), 0));
    EXPECT_TRUE(Miller_Rabin(mb(1)) && Miller_Rabin(mb(0)) && Miller_Rabin(mb(4)) && !Miller_Rabin(mb(3)));
    mb r = mb(5);
    factorial(r, mb(-1));
    EXPECT_EQ(r, mb(5));
    EXPECT_TRUE(!binomial(r, 5, 6) && r.size == 0 && r.alloc == 0 && binomial(5, mb(2)) == mb(10));
}

TEST(MbRoots, AgainstGmp) {
    testing::RandomWords rng(424242);
    for (int i = 0; i < 400; ++i) {
        // Up to 12 words, and (for the square root's recursive start) up to 80.
        mb const x = testing::fromWords(rng.magnitude(i % 4 == 0 ? 33 + rng.below(48) : 1 + rng.below(12)));
        i32 const n = 1 + rng.below(9);
        mb root = nthRoot(x, n);
        // Its power and the neighbours of that power.
        for (int d = -1; d <= 1; ++d) {
            mb p, step;
            ASSERT_TRUE(power(p, root, n));
            init(step, d);
            add(p, p, step);
            if (p.size <= 0) continue;
            Mpz gp, want;
            testing::toMpz(gp, p);
            mpz_root(want, gp, unsigned(n));
            EXPECT_TRUE(testing::sameValue(nthRoot(p, n), want)) << "n=" << n << " of " << decimal(p);
            mb negative(p), r;
            negative.size = -negative.size;
            nthRoot(r, negative, n);
            if (n % 2 == 1) {
                mpz_neg(want, want);
                EXPECT_TRUE(testing::sameValue(r, want));
            } else if (n > 1) {
                EXPECT_EQ(r.size, 0) << "an even root of a negative value is 0";
            }
        }
    }
    mb x, r;
    ASSERT_TRUE(mbConvFromStr(x, "-4"));
    ASSERT_TRUE(mbConvFromStr(r, "9"));
    sqrt(r, x);
    EXPECT_EQ(decimal(r), "9") << "sqrt of a negative value leaves r";
    EXPECT_EQ(decimal(nthRoot(x, 0)), "0");
    EXPECT_EQ(decimal(nthRoot(x, -2)), "0");
}

}  // namespace
}  // namespace korvel
