// The polynomials, precisions and clean-up settings whose roots and values are
// kept word for word in golden/roots.txt, and the text form of those words.
//
// Every case has a leading coefficient of 1 or a constant term within a factor
// 10^20 of the leading one per degree, so the driver never scales them.
#pragma once

#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "../support/random_words.h"
#include "roots_support.h"

namespace korvel::testing {

struct GoldenPolynomial {
    std::string name;
    std::function<std::vector<fpComplex>()> coefficients;  // index 0 first, built at the working precision
};

inline std::vector<fpComplex> goldenRandom(int n, std::uint64_t seed) {
    RandomWords rng{seed};
    std::vector<fpComplex> c;
    for (int k = 0; k <= n; ++k) c.emplace_back((rng.below(2001) - 1000) / 100.0, (rng.below(2001) - 1000) / 100.0);
    if (!c.back()) c.back() = fpComplex(1.0);
    return c;
}

// The product of (x - r) over the given roots, expanded at the working precision.
inline std::vector<fpComplex> goldenFromRoots(std::vector<fpComplex> const& roots) {
    return expand(roots, getBlockPrec());
}

inline std::vector<GoldenPolynomial> goldenPolynomials() {
    std::vector<GoldenPolynomial> p;
    for (auto [n, seed] : {std::pair{5, 105}, {8, 108}, {12, 112}, {20, 120}, {35, 135}, {60, 160}, {100, 200}})
        p.push_back({"random" + std::to_string(n), [n, seed] { return goldenRandom(n, std::uint64_t(seed)); }});
    p.push_back({"wilkinson20", [] { return goldenFromRoots(wilkinsonRoots()); }});
    p.push_back({"x64plus1", [] {
                     std::vector<fpComplex> c(65);
                     c[0] = 1.0;
                     c[64] = 1.0;
                     return c;
                 }});
    p.push_back({"multiple4", [] { return goldenFromRoots({1.0, 1.0, 1.0, 1.0, -2.0}); }});
    p.push_back({"circle16", [] {  // x^16 - (3 + 4i): sixteen roots of modulus 5^(1/16)
                     std::vector<fpComplex> c(17);
                     c[0] = fpComplex(-3.0, -4.0);
                     c[16] = 1.0;
                     return c;
                 }});
    p.push_back({"decimal", [] {
                     return std::vector<fpComplex>{fpComplex("-3.3"), fpComplex("2.75", "0.125"), fpComplex("-0.1"),
                                                   fpComplex("1.5", "-0.7"), fpComplex("0.31")};
                 }});
    p.push_back({"realClusters", [] {
                     return goldenFromRoots({0.5, 0.5001, -1.25, fpComplex(0.3, 0.7), fpComplex(0.3, -0.7), 3.0});
                 }});
    return p;
}

inline std::vector<int> const& goldenFigures() {
    static std::vector<int> const f{16, 64, 256, 1000};
    return f;
}

// Degree and figures beyond which a case counts as heavy: run in the optimised
// build only (the sanitizer build is several times slower).
inline bool goldenHeavy(int degree, int figures) { return i64(degree) * degree * figures > 20 * 20 * 300; }

// sign, exponent and the mantissa words, most significant first, in hex.
inline std::string goldenWords(fp const& x) {
    std::string s = x.mantissa.size < 0 ? "-" : "+";
    s += std::to_string(x.exponent);
    i32 const n = x.mantissa.size < 0 ? -x.mantissa.size : x.mantissa.size;
    char buf[16];
    for (i32 i = n - 1; i >= 0; --i) {
        std::snprintf(buf, sizeof buf, " %08x", x.mantissa.words[i]);
        s += buf;
    }
    return s;
}

// The lines recorded for one case: a header, then each root and each value.
inline std::vector<std::string> goldenLines(GoldenPolynomial const& p, int figures, bool clean) {
    ScopedBlockPrec precision(wordsForFigures(figures));
    std::vector<fpComplex> c = p.coefficients();
    int const n = int(c.size()) - 1;
    std::vector<fpComplex> roots(static_cast<std::size_t>(n)), values(static_cast<std::size_t>(n));
    fpComplex* r = roots.data();
    fpComplex* v = values.data();
    fpComplex* a = c.data();
    bool const ok = findPolyRoots(r, v, a, n, clean, defaultConfirmFigures, RootSearch::fullPrecision);
    std::vector<std::string> lines;
    lines.push_back("case " + p.name + " " + std::to_string(figures) + (clean ? " clean" : " raw") +
                    (ok ? " ok" : " failed"));
    for (int k = 0; k < n; ++k) {
        lines.push_back("root " + goldenWords(roots[std::size_t(k)].re) + " ,");
        lines.push_back("     " + goldenWords(roots[std::size_t(k)].im));
    }
    for (int k = 0; k < n; ++k) {
        lines.push_back("value " + goldenWords(values[std::size_t(k)].re) + " ,");
        lines.push_back("      " + goldenWords(values[std::size_t(k)].im));
    }
    return lines;
}

}  // namespace korvel::testing
