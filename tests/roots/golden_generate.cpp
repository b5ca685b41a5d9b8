// Writes the golden roots file to standard output:
//   korvel_golden_generate > tests/roots/golden/roots.txt
// With a case name (and optionally figures) as arguments it writes only those
// cases and reports the time each took on standard error.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "golden_cases.h"

int main(int argc, char** argv) {
    using namespace korvel::testing;
    std::string const only = argc > 1 ? argv[1] : "";
    int const onlyFigures = argc > 2 ? std::atoi(argv[2]) : 0;
    for (auto const& p : goldenPolynomials()) {
        if (!only.empty() && p.name != only) continue;
        for (int figures : goldenFigures()) {
            if (onlyFigures != 0 && figures != onlyFigures) continue;
            for (bool clean : {false, true}) {
                auto const start = std::chrono::steady_clock::now();
                for (auto const& line : goldenLines(p, figures, clean)) std::printf("%s\n", line.c_str());
                double const s = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
                if (!only.empty()) std::fprintf(stderr, "%s %d %d: %.2f s\n", p.name.c_str(), figures, int(clean), s);
            }
        }
    }
    return 0;
}
