// Modular powers and primality tests beside GMP's mpz_powm and mpz_probab_prime_p.
#include <benchmark/benchmark.h>

#include "../tests/support/gmp_bridge.h"
#include "../tests/support/random_words.h"
#include <korvel/mb.h>

namespace {

using namespace korvel;
using korvel::testing::Mpz;

// A random odd number of exactly `bits` bits.
mb oddOperand(int bits, std::uint64_t seed) {
    korvel::testing::RandomWords rng(seed);
    mb x;
    x.size = (bits + 31) / 32;
    update(x);
    for (int i = 0; i < x.size; ++i) x.words[i] = rng.word();
    mbShiftRight(x, x, 32 * x.size - bits);
    insertBit(x, 1, (bits - 1) % 32, (bits - 1) / 32);
    insertBit(x, 1, 0, 0);
    return x;
}

// A prime of `bits` bits, found by GMP so that both sides test the same number.
mb primeOperand(int bits) {
    Mpz p;
    korvel::testing::toMpz(p, oddOperand(bits, 11));
    mpz_nextprime(p, p);
    mb r;
    korvel::testing::fromMpz(r, p);
    return r;
}

// x^e mod m with x, e and an odd m all of the given size.
void PowerModOurs(benchmark::State& state) {
    int const bits = int(state.range(0));
    mb const x = oddOperand(bits, 1), e = oddOperand(bits, 2), m = oddOperand(bits, 3);
    mb r;
    for (auto _ : state) {
        powerMod(r, x, e, 0, m);
        benchmark::DoNotOptimize(r.words);
    }
}
void PowerModGmp(benchmark::State& state) {
    int const bits = int(state.range(0));
    Mpz x, e, m, r;
    korvel::testing::toMpz(x, oddOperand(bits, 1));
    korvel::testing::toMpz(e, oddOperand(bits, 2));
    korvel::testing::toMpz(m, oddOperand(bits, 3));
    for (auto _ : state) {
        mpz_powm(r, x, e, m);
        benchmark::DoNotOptimize(r.v);
    }
}

// A prime, so that every trial runs: 20 Miller-Rabin trials for ours; GMP's
// count 20 is a Baillie-PSW test (reps up to 24 add no further trials).
constexpr int trials = 20;
void IsItPrimeOurs(benchmark::State& state) {
    mb const p = primeOperand(int(state.range(0)));
    for (auto _ : state) benchmark::DoNotOptimize(isItPrime(p, trials));
}
void IsItPrimeGmp(benchmark::State& state) {
    Mpz p;
    korvel::testing::toMpz(p, primeOperand(int(state.range(0))));
    for (auto _ : state) benchmark::DoNotOptimize(mpz_probab_prime_p(p, trials));
}
// GMP's count 44: Baillie-PSW and then 20 Miller-Rabin trials, as many as ours.
void IsItPrimeGmp44(benchmark::State& state) {
    Mpz p;
    korvel::testing::toMpz(p, primeOperand(int(state.range(0))));
    for (auto _ : state) benchmark::DoNotOptimize(mpz_probab_prime_p(p, trials + 24));
}

#define KORVEL_BITS ->Arg(512)->Arg(1024)->Arg(2048)->Arg(4096)->Unit(benchmark::kMillisecond)
BENCHMARK(PowerModOurs)->Name("powerMod/ours") KORVEL_BITS;
BENCHMARK(PowerModGmp)->Name("powerMod/gmp") KORVEL_BITS;
BENCHMARK(IsItPrimeOurs)->Name("isItPrime/ours") KORVEL_BITS;
BENCHMARK(IsItPrimeGmp)->Name("isItPrime/gmp") KORVEL_BITS;
BENCHMARK(IsItPrimeOurs)->Name("isItPrimeVs44/ours") KORVEL_BITS;
BENCHMARK(IsItPrimeGmp44)->Name("isItPrimeVs44/gmp") KORVEL_BITS;

}  // namespace
