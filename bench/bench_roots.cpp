// findPolyRoots on random complex polynomials and on Wilkinson's polynomial.
#include <benchmark/benchmark.h>

#include <vector>

#include "polynomials.h"
#include <korvel/roots.h>

namespace {

using namespace korvel;


std::vector<fpComplex> wilkinson20() {
    ScopedBlockPrec exact(20);
    std::vector<fpComplex> c(1, fpComplex(1.0));
    for (int r = 1; r <= 20; ++r) {
        std::vector<fpComplex> next(c.size() + 1);
        for (std::size_t k = 0; k < c.size(); ++k) {
            next[k + 1] += c[k];
            next[k] -= c[k] * double(r);
        }
        c = std::move(next);
    }
    return c;
}

void solve(benchmark::State& state, std::vector<fpComplex> coefficients, int figures) {
    ScopedBlockPrec precision(wordsForFigures(figures));
    int const n = int(coefficients.size()) - 1;
    std::vector<fpComplex> roots(static_cast<std::size_t>(n)), values(static_cast<std::size_t>(n));
    for (auto _ : state) {
        fpComplex* a = coefficients.data();
        fpComplex* r = roots.data();
        fpComplex* v = values.data();
        benchmark::DoNotOptimize(findPolyRoots(r, v, a, n, true));
    }
}

void Random(benchmark::State& state) {
    ScopedBlockPrec precision(wordsForFigures(int(state.range(1))));
    solve(state, bench::coefficients(bench::randomPolynomial(int(state.range(0)))), int(state.range(1)));
}
void Wilkinson(benchmark::State& state) { solve(state, wilkinson20(), int(state.range(0))); }

BENCHMARK(Random)
    ->Name("findPolyRoots/random")
    ->ArgsProduct({{10, 20, 50, 100}, {16, 64, 256}})
    ->ArgNames({"degree", "figures"})
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1);
BENCHMARK(Wilkinson)->Name("findPolyRoots/wilkinson20")->Arg(16)->Arg(64)->Arg(256)->ArgName("figures")->Unit(benchmark::kMillisecond)->Iterations(1);

}  // namespace
