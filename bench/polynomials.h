// The benchmark polynomials, held as exact rational coefficients so that the
// same polynomial can be given to findPolyRoots and written for MPSolve.
#pragma once

#include <string>
#include <vector>

#include "../tests/support/random_words.h"
#include <korvel/complex.h>

namespace korvel::bench {

// A coefficient re + i im, each part the text "p" or "p/q" of integers.
struct Rational {
    std::string re = "0", im = "0";
};

struct Polynomial {
    std::string name;
    std::vector<Rational> c;  // c[k] is the coefficient of x^k
    int degree() const { return int(c.size()) - 1; }
};

// Random complex coefficients (a + bi)/100 with integers a, b in [-1000, 1000].
inline Polynomial randomPolynomial(int n) {
    korvel::testing::RandomWords rng{std::uint64_t(n)};
    Polynomial p{"random " + std::to_string(n), {}};
    for (int k = 0; k <= n; ++k) {
        std::string const re = std::to_string(rng.below(2001) - 1000) + "/100";
        p.c.push_back({re, std::to_string(rng.below(2001) - 1000) + "/100"});
    }
    return p;
}

// The text p (or p/q) at the working precision.
inline fp rationalValue(std::string const& text) {
    auto const slash = text.find('/');
    if (slash == std::string::npos) return fp(text.c_str());
    return fp(text.substr(0, slash).c_str()) / fp(text.substr(slash + 1).c_str());
}

inline std::vector<fpComplex> coefficients(Polynomial const& p) {
    std::vector<fpComplex> c;
    for (auto const& r : p.c) c.emplace_back(rationalValue(r.re), rationalValue(r.im));
    return c;
}

}  // namespace korvel::bench
