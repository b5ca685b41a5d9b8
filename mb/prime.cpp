// Primality: trial division by the primes below 1000, then Miller-Rabin trials
// with uniformly random bases.
#include <array>

#include "mb/modular.h"

namespace korvel {

namespace {

constexpr u32 trialLimit = 1000;

constexpr auto smallPrimes = [] {
    std::array<bool, trialLimit> composite{};
    std::array<u32, 168> primes{};
    std::size_t count = 0;
    for (u32 p = 2; p < trialLimit; ++p) {
        if (composite[p]) continue;
        primes[count++] = p;
        for (u32 q = p * p; q < trialLimit; q += p) composite[q] = true;
    }
    return primes;
}();

// |x| mod d for d != 0.
u32 remainderOf(mb const& x, u32 d) {
    u64 r = 0;
    for (i32 i = detail::length(x) - 1; i >= 0; --i) r = ((r << 32) | x.words[i]) % d;
    return u32(r);
}

// For n >= 2: +1 when n is a prime below 1000^2, 0 when a prime below 1000
// divides the composite n, -1 when n has no factor below 1000 and is larger.
int trialDivision(mb const& n) {
    u32 small = 0;
    bool const oneWord = equate(small, n);
    // Primes gathered into products of one word: one pass over n per product.
    for (std::size_t i = 0; i < smallPrimes.size();) {
        u64 product = smallPrimes[i];
        std::size_t j = i + 1;
        while (j < smallPrimes.size() && product * smallPrimes[j] <= 0xFFFFFFFFu) product *= smallPrimes[j++];
        u32 const r = remainderOf(n, u32(product));
        for (; i < j; ++i)
            if (r % smallPrimes[i] == 0) return oneWord && small == smallPrimes[i] ? 1 : 0;
    }
    return oneWord && small < trialLimit * trialLimit ? 1 : -1;
}

// The strong test of an odd n >= 5: n - 1 = d 2^s with d odd.
class StrongTest {
public:
    explicit StrongTest(mb const& n) : ring_(n), n_(n), d_(n - 1) {
        while (isItEven(d_)) {
            mbShiftRight(d_, d_, 1);
            ++s_;
        }
        one_ = ring_.toForm(mb(1));
        minusOne_ = ring_.toForm(n - 1);
    }

    // True when a random base in [2, n - 2] proves n composite.
    bool randomWitness() {
        mb a;
        (void)mbRandom(a, n_ - 3);  // n - 3 >= 2 for n >= 5
        a += 2;
        detail::Montgomery::Value y;
        detail::windowPower(ring_, y, ring_.toForm(a), d_);
        if (y == one_ || y == minusOne_) return false;
        // Squaring y = a^(d 2^j) for j = 1 .. s - 1; once it is 1 it stays 1.
        for (i32 j = 1; j < s_; ++j) {
            ring_.sqr(y, y);
            if (y == minusOne_) return false;
            if (y == one_) return true;
        }
        return true;
    }

private:
    detail::Montgomery ring_;
    mb n_, d_;
    i32 s_ = 0;
    detail::Montgomery::Value one_, minusOne_;
};

}  // namespace

bool Miller_Rabin(mb const& n) {
    if (n < mb(4)) return n < mb(2);  // 2 and 3 are prime, below 2 nothing is
    if (isItEven(n)) return true;
    return StrongTest(n).randomWitness();
}

bool isItPrime(mb const& n, i32 trials) {
    if (n < mb(2)) return false;
    if (int const settled = trialDivision(n); settled >= 0) return settled == 1;
    StrongTest test(n);
    for (i32 t = 0; t < trials; ++t)
        if (test.randomWitness()) return false;
    return true;
}

}  // namespace korvel
