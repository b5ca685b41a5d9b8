// fp add, mul, div and decimal conversion beside MPFR at the same number of bits.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <string>

#include "../tests/support/mp_bridge.h"
#include "../tests/support/random_fp.h"
#include <korvel/fp.h>

namespace {

using namespace korvel;
using korvel::testing::Mpfr;

// A full B-word operand near 1 in magnitude.
fp operand(i32 words, std::uint64_t seed) {
    korvel::testing::RandomWords rng(seed);
    return korvel::testing::fullFp(rng, words, 1 + i32(seed % 5));
}

template <class Op>
void ours(benchmark::State& state, Op op) {
    i32 const B = i32(state.range(0));
    ScopedBlockPrec precision(B);
    fp x = operand(B, 1), y = operand(B, 2), r;
    for (auto _ : state) {
        op(r, x, y);
        benchmark::DoNotOptimize(r.mantissa.words);
    }
}

template <class Op>
void mpfr(benchmark::State& state, Op op) {
    i32 const B = i32(state.range(0));
    mpfr_prec_t const bits = 32 * B;
    Mpfr x(bits), y(bits), r(bits);
    korvel::testing::toMpfr(x, operand(B, 1));
    korvel::testing::toMpfr(y, operand(B, 2));
    for (auto _ : state) {
        op(r, x, y);
        benchmark::DoNotOptimize(r.v);
    }
}

void AddOurs(benchmark::State& s) { ours(s, [](fp& r, fp const& x, fp const& y) { add(r, x, y); }); }
void MulOurs(benchmark::State& s) { ours(s, [](fp& r, fp const& x, fp const& y) { mul(r, x, y); }); }
// The operands have their top bit set: never zero.
void DivOurs(benchmark::State& s) { ours(s, [](fp& r, fp const& x, fp const& y) { (void)div(r, x, y); }); }
void AddMpfr(benchmark::State& s) { mpfr(s, [](mpfr_ptr r, mpfr_srcptr x, mpfr_srcptr y) { mpfr_add(r, x, y, MPFR_RNDN); }); }
void MulMpfr(benchmark::State& s) { mpfr(s, [](mpfr_ptr r, mpfr_srcptr x, mpfr_srcptr y) { mpfr_mul(r, x, y, MPFR_RNDN); }); }
void DivMpfr(benchmark::State& s) { mpfr(s, [](mpfr_ptr r, mpfr_srcptr x, mpfr_srcptr y) { mpfr_div(r, x, y, MPFR_RNDN); }); }

// Digits written: about as many as B words carry.
i32 digitsFor(i32 B) { return i32(B * 32 * 0.30103); }

void ToTextOurs(benchmark::State& state) {
    i32 const B = i32(state.range(0));
    ScopedBlockPrec precision(B);
    fp x = operand(B, 3);
    for (auto _ : state) {
        OwnedText t(fpToStr(x, digitsFor(B)));
        benchmark::DoNotOptimize(t.get());
    }
}
void ToTextMpfr(benchmark::State& state) {
    i32 const B = i32(state.range(0));
    Mpfr x(32 * B);
    korvel::testing::toMpfr(x, operand(B, 3));
    mpfr_exp_t e;
    for (auto _ : state) {
        char* t = mpfr_get_str(nullptr, &e, 10, std::size_t(digitsFor(B)), x, MPFR_RNDN);
        benchmark::DoNotOptimize(t);
        mpfr_free_str(t);
    }
}

std::string decimalText(i32 B) {
    ScopedBlockPrec precision(B);
    return toString(operand(B, 4), digitsFor(B));
}
void FromTextOurs(benchmark::State& state) {
    i32 const B = i32(state.range(0));
    std::string const text = decimalText(B);
    ScopedBlockPrec precision(B);
    fp x;
    for (auto _ : state) {
        (void)fpConvFromString(x, text.c_str());  // our own writer's text: always readable
        benchmark::DoNotOptimize(x.mantissa.words);
    }
}
void FromTextMpfr(benchmark::State& state) {
    i32 const B = i32(state.range(0));
    std::string const text = decimalText(B);
    Mpfr x(32 * B);
    for (auto _ : state) {
        mpfr_set_str(x, text.c_str(), 10, MPFR_RNDN);
        benchmark::DoNotOptimize(x.v);
    }
}

// Elementary functions on an argument near 1.5.
template <class Op>
void unaryOurs(benchmark::State& state, Op op) {
    i32 const B = i32(state.range(0));
    ScopedBlockPrec precision(B);
    fp x = operand(B, 5), r;
    for (auto _ : state) {
        op(r, x);
        benchmark::DoNotOptimize(r.mantissa.words);
    }
}
template <class Op>
void unaryMpfr(benchmark::State& state, Op op) {
    i32 const B = i32(state.range(0));
    Mpfr x(32 * B), r(32 * B);
    korvel::testing::toMpfr(x, operand(B, 5));
    for (auto _ : state) {
        op(r, x);
        benchmark::DoNotOptimize(r.v);
    }
}
void SqrtOurs(benchmark::State& s) { unaryOurs(s, [](fp& r, fp const& x) { sqrt(r, x); }); }
void ExpOurs(benchmark::State& s) { unaryOurs(s, [](fp& r, fp const& x) { exp(r, x); }); }
void LogOurs(benchmark::State& s) { unaryOurs(s, [](fp& r, fp const& x) { log(r, x); }); }
void SqrtMpfr(benchmark::State& s) { unaryMpfr(s, [](mpfr_ptr r, mpfr_srcptr x) { mpfr_sqrt(r, x, MPFR_RNDN); }); }
void ExpMpfr(benchmark::State& s) { unaryMpfr(s, [](mpfr_ptr r, mpfr_srcptr x) { mpfr_exp(r, x, MPFR_RNDN); }); }
void LogMpfr(benchmark::State& s) { unaryMpfr(s, [](mpfr_ptr r, mpfr_srcptr x) { mpfr_log(r, x, MPFR_RNDN); }); }

#define KORVEL_FUNCTION_PRECISIONS ->Arg(9)->Arg(32)->Arg(126)->Unit(benchmark::kMicrosecond)
BENCHMARK(SqrtOurs)->Name("fp_sqrt/ours") KORVEL_FUNCTION_PRECISIONS;
BENCHMARK(SqrtMpfr)->Name("fp_sqrt/mpfr") KORVEL_FUNCTION_PRECISIONS;
BENCHMARK(ExpOurs)->Name("fp_exp/ours") KORVEL_FUNCTION_PRECISIONS;
BENCHMARK(ExpMpfr)->Name("fp_exp/mpfr") KORVEL_FUNCTION_PRECISIONS;
BENCHMARK(LogOurs)->Name("fp_log/ours") KORVEL_FUNCTION_PRECISIONS;
BENCHMARK(LogMpfr)->Name("fp_log/mpfr") KORVEL_FUNCTION_PRECISIONS;

#define KORVEL_PRECISIONS ->Arg(3)->Arg(9)->Arg(32)->Arg(126)->Unit(benchmark::kNanosecond)
BENCHMARK(AddOurs)->Name("fp_add/ours") KORVEL_PRECISIONS;
BENCHMARK(AddMpfr)->Name("fp_add/mpfr") KORVEL_PRECISIONS;
BENCHMARK(MulOurs)->Name("fp_mul/ours") KORVEL_PRECISIONS;
BENCHMARK(MulMpfr)->Name("fp_mul/mpfr") KORVEL_PRECISIONS;
BENCHMARK(DivOurs)->Name("fp_div/ours") KORVEL_PRECISIONS;
BENCHMARK(DivMpfr)->Name("fp_div/mpfr") KORVEL_PRECISIONS;
BENCHMARK(ToTextOurs)->Name("fpToStr/ours") KORVEL_PRECISIONS;
BENCHMARK(ToTextMpfr)->Name("fpToStr/mpfr") KORVEL_PRECISIONS;
BENCHMARK(FromTextOurs)->Name("fpConvFromString/ours") KORVEL_PRECISIONS;
BENCHMARK(FromTextMpfr)->Name("fpConvFromString/mpfr") KORVEL_PRECISIONS;

}  // namespace
