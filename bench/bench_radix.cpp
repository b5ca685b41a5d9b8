// BaseFromBase on 10000-digit texts beside GMP's conversions (mpz_set_str, then
// mpz_get_str; for a fraction, the scaled quotient that gives the same digits).
#include <benchmark/benchmark.h>
#include <gmp.h>

#include <cstdlib>
#include <string>

#include "../tests/support/random_words.h"
#include <korvel/radix.h>

namespace {

constexpr int digitCount = 10000;

// digitCount random digits of base; the leading one is not zero.
std::string randomText(int base) {
    korvel::testing::RandomWords rng{std::uint64_t(base)};
    char const* alphabet = "0123456789abcdefghijklmnopqrstuvwxyz";
    std::string s(digitCount, '0');
    for (char& c : s) c = alphabet[rng.below(base)];
    s[0] = alphabet[1 + rng.below(base - 1)];
    return s;
}

// state.range: 0 source base, 1 target base, 2 fractional digits (0 for an integer).
void Ours(benchmark::State& state) {
    int const from = int(state.range(0)), to = int(state.range(1)), n = int(state.range(2));
    std::string text = randomText(from);
    if (n != 0) text.insert(text.begin(), '.');
    for (auto _ : state) {
        char* r = korvel::BaseFromBase(text.data(), to, from, n, false);
        benchmark::DoNotOptimize(r);
        std::free(r);
    }
}

void Gmp(benchmark::State& state) {
    int const from = int(state.range(0)), to = int(state.range(1)), n = int(state.range(2));
    std::string const text = randomText(from);
    mpz_t x, den, scale;
    mpz_inits(x, den, scale, nullptr);
    mpz_ui_pow_ui(den, (unsigned long)from, digitCount);
    mpz_ui_pow_ui(scale, (unsigned long)to, (unsigned long)n);
    std::string buffer(4 * digitCount + 2, '\0');  // 10000 digits of base 10 need 33220 in base 2
    for (auto _ : state) {
        mpz_set_str(x, text.c_str(), from);
        if (n != 0) {  // round(x * to^n / from^L), ties up
            mpz_mul(x, x, scale);
            mpz_mul_2exp(x, x, 1);
            mpz_add(x, x, den);
            mpz_fdiv_q(x, x, den);
            mpz_fdiv_q_2exp(x, x, 1);
        }
        mpz_get_str(buffer.data(), to, x);
        benchmark::DoNotOptimize(buffer.data());
    }
    mpz_clears(x, den, scale, nullptr);
}

#define KORVEL_RADIX_CASES                                                                       \
    ->Args({10, 16, 0})->Args({16, 10, 0})->Args({10, 2, 0})->Args({2, 10, 0})->Args({10, 3, 0}) \
        ->Args({36, 7, 0})->Args({10, 16, 8000})->Unit(benchmark::kMicrosecond)
BENCHMARK(Ours)->Name("BaseFromBase/ours/10000") KORVEL_RADIX_CASES;
BENCHMARK(Gmp)->Name("BaseFromBase/gmp/10000") KORVEL_RADIX_CASES;

}  // namespace
