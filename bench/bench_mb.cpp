// Integer mul, div and decimal conversion beside GMP's mpz on the same operands.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <string>

#include "../tests/support/gmp_bridge.h"
#include "../tests/support/random_words.h"
#include <korvel/mb.h>

namespace {

using namespace korvel;
using korvel::testing::Mpz;

mb operand(int words, std::uint64_t seed) {
    korvel::testing::RandomWords rng(seed);
    mb x;
    x.size = words;
    update(x);
    for (int i = 0; i < words; ++i) x.words[i] = rng.word();
    x.words[words - 1] |= 1u;
    return x;
}

void MulOurs(benchmark::State& state) {
    int n = int(state.range(0));
    mb x = operand(n, 1), y = operand(n, 2), r;
    for (auto _ : state) {
        mul(r, x, y);
        benchmark::DoNotOptimize(r.words);
    }
}
void MulGmp(benchmark::State& state) {
    int n = int(state.range(0));
    Mpz x, y, r;
    korvel::testing::toMpz(x, operand(n, 1));
    korvel::testing::toMpz(y, operand(n, 2));
    for (auto _ : state) {
        mpz_mul(r, x, y);
        benchmark::DoNotOptimize(r.v);
    }
}

// A 2n-word dividend by an n-word divisor.
void DivOurs(benchmark::State& state) {
    int n = int(state.range(0));
    mb x = operand(2 * n, 3), y = operand(n, 4), q;
    for (auto _ : state) {
        (void)div(q, x, y);  // y's top word is odd: never zero
        benchmark::DoNotOptimize(q.words);
    }
}
void DivGmp(benchmark::State& state) {
    int n = int(state.range(0));
    Mpz x, y, q;
    korvel::testing::toMpz(x, operand(2 * n, 3));
    korvel::testing::toMpz(y, operand(n, 4));
    for (auto _ : state) {
        mpz_tdiv_q(q, x, y);
        benchmark::DoNotOptimize(q.v);
    }
}

void ToTextOurs(benchmark::State& state) {
    mb x = operand(int(state.range(0)), 5);
    for (auto _ : state) {
        OwnedText t(mb2Str(x));
        benchmark::DoNotOptimize(t.get());
    }
}
void ToTextGmp(benchmark::State& state) {
    Mpz x;
    korvel::testing::toMpz(x, operand(int(state.range(0)), 5));
    std::string buffer(mpz_sizeinbase(x, 10) + 2, '\0');
    for (auto _ : state) {
        mpz_get_str(buffer.data(), 10, x);
        benchmark::DoNotOptimize(buffer.data());
    }
}

std::string decimalOf(int words) {
    return toString(operand(words, 6));
}
void FromTextOurs(benchmark::State& state) {
    std::string text = decimalOf(int(state.range(0)));
    mb x;
    for (auto _ : state) {
        (void)mbConvFromStr(x, text.c_str());  // our own writer's text: always readable
        benchmark::DoNotOptimize(x.words);
    }
}
void FromTextGmp(benchmark::State& state) {
    std::string text = decimalOf(int(state.range(0)));
    Mpz x;
    for (auto _ : state) {
        mpz_set_str(x, text.c_str(), 10);
        benchmark::DoNotOptimize(x.v);
    }
}

#define KORVEL_SIZES ->Arg(1)->Arg(9)->Arg(126)->Arg(1000)->Arg(10000)->Unit(benchmark::kMicrosecond)
BENCHMARK(MulOurs)->Name("mul/ours") KORVEL_SIZES;
BENCHMARK(MulGmp)->Name("mul/gmp") KORVEL_SIZES;
BENCHMARK(DivOurs)->Name("div/ours") KORVEL_SIZES;
BENCHMARK(DivGmp)->Name("div/gmp") KORVEL_SIZES;
BENCHMARK(ToTextOurs)->Name("mb2Str/ours") KORVEL_SIZES;
BENCHMARK(ToTextGmp)->Name("mb2Str/gmp") KORVEL_SIZES;
BENCHMARK(FromTextOurs)->Name("mbConvFromStr/ours") KORVEL_SIZES;
BENCHMARK(FromTextGmp)->Name("mbConvFromStr/gmp") KORVEL_SIZES;

}  // namespace
