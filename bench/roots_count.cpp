// One findPolyRoots call on the random polynomial of the roots benchmark, for
// instruction counts:  valgrind --tool=callgrind korvel_roots_count 20 64 [staged]
// (the full-precision search unless "staged" is given).
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "../tests/support/random_words.h"
#include <korvel/roots.h>

int main(int argc, char** argv) {
    using namespace korvel;
    if (argc < 3) {
        std::fprintf(stderr, "usage: korvel_roots_count degree figures\n");
        return 2;
    }
    int const n = std::atoi(argv[1]), figures = std::atoi(argv[2]);
    ScopedBlockPrec precision(wordsForFigures(figures));
    korvel::testing::RandomWords rng{std::uint64_t(n)};  // the benchmark's polynomial
    std::vector<fpComplex> c;
    for (int k = 0; k <= n; ++k) c.emplace_back((rng.below(2001) - 1000) / 100.0, (rng.below(2001) - 1000) / 100.0);
    std::vector<fpComplex> roots(static_cast<std::size_t>(n)), values(static_cast<std::size_t>(n));
    fpComplex* a = c.data();
    fpComplex* r = roots.data();
    fpComplex* v = values.data();
    RootSearch const search =
        argc > 3 && std::string(argv[3]) == "staged" ? RootSearch::staged : RootSearch::fullPrecision;
    bool const ok = findPolyRoots(r, v, a, n, true, defaultConfirmFigures, search);
    std::printf("%s\n", ok ? "ok" : "failed");
    return ok ? 0 : 1;
}
