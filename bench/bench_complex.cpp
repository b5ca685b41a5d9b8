// Complex mul, div, sqrt, exp, log, sin and atan beside MPC at the same number of bits.
#include <benchmark/benchmark.h>

#include "../tests/support/mpc_bridge.h"
#include "../tests/support/random_fp.h"
#include <korvel/complex.h>

namespace {

using namespace korvel;
using korvel::testing::Mpc;

fp part(i32 words, std::uint64_t seed) {
    korvel::testing::RandomWords rng(seed);
    return korvel::testing::fullFp(rng, words, 1);
}

fpComplex value(i32 B, std::uint64_t seed) { return fpComplex(part(B, seed), part(B, seed + 7)); }

template <class Op>
void ours(benchmark::State& state, Op op) {
    i32 const B = i32(state.range(0));
    ScopedBlockPrec precision(B);
    fpComplex a = value(B, 1), b = value(B, 2), r;
    for (auto _ : state) {
        op(r, a, b);
        benchmark::DoNotOptimize(r.re.mantissa.words);
    }
}
template <class Op>
void mpc(benchmark::State& state, Op op) {
    i32 const B = i32(state.range(0));
    Mpc a(32 * B), b(32 * B), r(32 * B);
    korvel::testing::toMpc(a, value(B, 1));
    korvel::testing::toMpc(b, value(B, 2));
    for (auto _ : state) {
        op(r.v, a.v, b.v);
        benchmark::DoNotOptimize(r.v);
    }
}

void MulOurs(benchmark::State& s) { ours(s, [](fpComplex& r, fpComplex const& a, fpComplex const& b) { mul(r, a, b); }); }
void DivOurs(benchmark::State& s) { ours(s, [](fpComplex& r, fpComplex const& a, fpComplex const& b) { div(r, a, b); }); }
void SqrtOurs(benchmark::State& s) { ours(s, [](fpComplex& r, fpComplex const& a, fpComplex const&) { sqrt(r, a); }); }
void MulMpc(benchmark::State& s) { mpc(s, [](mpc_ptr r, mpc_ptr a, mpc_ptr b) { mpc_mul(r, a, b, MPC_RNDNN); }); }
void DivMpc(benchmark::State& s) { mpc(s, [](mpc_ptr r, mpc_ptr a, mpc_ptr b) { mpc_div(r, a, b, MPC_RNDNN); }); }
void SqrtMpc(benchmark::State& s) { mpc(s, [](mpc_ptr r, mpc_ptr a, mpc_ptr) { mpc_sqrt(r, a, MPC_RNDNN); }); }
void ExpOurs(benchmark::State& s) { ours(s, [](fpComplex& r, fpComplex const& a, fpComplex const&) { exp(r, a); }); }
void LogOurs(benchmark::State& s) { ours(s, [](fpComplex& r, fpComplex const& a, fpComplex const&) { log(r, a); }); }
void SinOurs(benchmark::State& s) { ours(s, [](fpComplex& r, fpComplex const& a, fpComplex const&) { sin(r, a); }); }
void AtanOurs(benchmark::State& s) { ours(s, [](fpComplex& r, fpComplex const& a, fpComplex const&) { atan(r, a); }); }
void ExpMpc(benchmark::State& s) { mpc(s, [](mpc_ptr r, mpc_ptr a, mpc_ptr) { mpc_exp(r, a, MPC_RNDNN); }); }
void LogMpc(benchmark::State& s) { mpc(s, [](mpc_ptr r, mpc_ptr a, mpc_ptr) { mpc_log(r, a, MPC_RNDNN); }); }
void SinMpc(benchmark::State& s) { mpc(s, [](mpc_ptr r, mpc_ptr a, mpc_ptr) { mpc_sin(r, a, MPC_RNDNN); }); }
void AtanMpc(benchmark::State& s) { mpc(s, [](mpc_ptr r, mpc_ptr a, mpc_ptr) { mpc_atan(r, a, MPC_RNDNN); }); }

#define KORVEL_COMPLEX_PRECISIONS ->Arg(9)->Arg(126)->Unit(benchmark::kMicrosecond)
BENCHMARK(MulOurs)->Name("complex_mul/ours") KORVEL_COMPLEX_PRECISIONS;
BENCHMARK(MulMpc)->Name("complex_mul/mpc") KORVEL_COMPLEX_PRECISIONS;
BENCHMARK(DivOurs)->Name("complex_div/ours") KORVEL_COMPLEX_PRECISIONS;
BENCHMARK(DivMpc)->Name("complex_div/mpc") KORVEL_COMPLEX_PRECISIONS;
BENCHMARK(SqrtOurs)->Name("complex_sqrt/ours") KORVEL_COMPLEX_PRECISIONS;
BENCHMARK(SqrtMpc)->Name("complex_sqrt/mpc") KORVEL_COMPLEX_PRECISIONS;
BENCHMARK(ExpOurs)->Name("complex_exp/ours") KORVEL_COMPLEX_PRECISIONS;
BENCHMARK(ExpMpc)->Name("complex_exp/mpc") KORVEL_COMPLEX_PRECISIONS;
BENCHMARK(LogOurs)->Name("complex_log/ours") KORVEL_COMPLEX_PRECISIONS;
BENCHMARK(LogMpc)->Name("complex_log/mpc") KORVEL_COMPLEX_PRECISIONS;
BENCHMARK(SinOurs)->Name("complex_sin/ours") KORVEL_COMPLEX_PRECISIONS;
BENCHMARK(SinMpc)->Name("complex_sin/mpc") KORVEL_COMPLEX_PRECISIONS;
BENCHMARK(AtanOurs)->Name("complex_atan/ours") KORVEL_COMPLEX_PRECISIONS;
BENCHMARK(AtanMpc)->Name("complex_atan/mpc") KORVEL_COMPLEX_PRECISIONS;

}  // namespace
