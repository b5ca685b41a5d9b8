// sin, atan, sinh and Gamma beside MPFR at the same number of bits.
#include <benchmark/benchmark.h>

#include "../tests/support/mp_bridge.h"
#include "../tests/support/random_fp.h"
#include <korvel/special.h>

namespace {

using namespace korvel;
using korvel::testing::Mpfr;

// A full B-word operand in [2^(topBit - 1), 2^topBit).
fp operand(i32 words, i32 topBit) {
    korvel::testing::RandomWords rng(7);
    return korvel::testing::fullFp(rng, words, topBit);
}

template <class Op>
void ours(benchmark::State& state, i32 topBit, Op op) {
    i32 const B = i32(state.range(0));
    ScopedBlockPrec precision(B);
    fp x = operand(B, topBit), r;
    op(r, x);  // constants such as pi are cached before timing, as MPFR caches its own
    for (auto _ : state) {
        op(r, x);
        benchmark::DoNotOptimize(r.mantissa.words);
    }
}

template <class Op>
void mpfr(benchmark::State& state, i32 topBit, Op op) {
    i32 const B = i32(state.range(0));
    Mpfr x(32 * B), r(32 * B);
    korvel::testing::toMpfr(x, operand(B, topBit));
    op(r, x, MPFR_RNDN);
    for (auto _ : state) {
        op(r, x, MPFR_RNDN);
        benchmark::DoNotOptimize(r.v);
    }
}

// sin of an argument in [2, 4) (reduced by pi), atan in [1, 2) (reflected and
// halved), sinh in [1, 2) (the exponential), Gamma in [8, 16) (lower series and product).
void SinOurs(benchmark::State& s) { ours(s, 2, [](fp& r, fp const& x) { sin(r, x); }); }
void SinMpfr(benchmark::State& s) { mpfr(s, 2, mpfr_sin); }
void AtanOurs(benchmark::State& s) { ours(s, 1, [](fp& r, fp const& x) { atan(r, x); }); }
void AtanMpfr(benchmark::State& s) { mpfr(s, 1, mpfr_atan); }
void SinhOurs(benchmark::State& s) { ours(s, 1, [](fp& r, fp const& x) { sinh(r, x); }); }
void SinhMpfr(benchmark::State& s) { mpfr(s, 1, mpfr_sinh); }
void GammaOurs(benchmark::State& s) { ours(s, 4, [](fp& r, fp const& x) { Gamma(r, x); }); }
void GammaMpfr(benchmark::State& s) { mpfr(s, 4, mpfr_gamma); }

#define KORVEL_SPECIAL_PRECISIONS ->Arg(9)->Arg(32)->Arg(126)->Unit(benchmark::kMicrosecond)
BENCHMARK(SinOurs)->Name("fp_sin/ours") KORVEL_SPECIAL_PRECISIONS;
BENCHMARK(SinMpfr)->Name("fp_sin/mpfr") KORVEL_SPECIAL_PRECISIONS;
BENCHMARK(AtanOurs)->Name("fp_atan/ours") KORVEL_SPECIAL_PRECISIONS;
BENCHMARK(AtanMpfr)->Name("fp_atan/mpfr") KORVEL_SPECIAL_PRECISIONS;
BENCHMARK(SinhOurs)->Name("fp_sinh/ours") KORVEL_SPECIAL_PRECISIONS;
BENCHMARK(SinhMpfr)->Name("fp_sinh/mpfr") KORVEL_SPECIAL_PRECISIONS;
BENCHMARK(GammaOurs)->Name("Gamma/ours") KORVEL_SPECIAL_PRECISIONS;
BENCHMARK(GammaMpfr)->Name("Gamma/mpfr") KORVEL_SPECIAL_PRECISIONS;

}  // namespace
