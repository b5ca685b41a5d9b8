// The square-free decomposition against exact products of known factors.
#include <gtest/gtest.h>

#include <atomic>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <functional>
#include <iostream>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "roots/search.h"
#include "roots/squarefree.h"

namespace korvel::testing {
namespace {

using detail::GaussianInt;
using detail::GaussianPoly;
using detail::SquareFreeFactor;

GaussianInt gi(mb re, mb im = mb()) { return {std::move(re), std::move(im)}; }

GaussianPoly times(GaussianPoly const& a, GaussianPoly const& b) {
    GaussianPoly c(a.size() + b.size() - 1);
    for (std::size_t j = 0; j < a.size(); ++j)
        for (std::size_t k = 0; k < b.size(); ++k) {
            c[j + k].re += a[j].re * b[k].re - a[j].im * b[k].im;
            c[j + k].im += a[j].re * b[k].im + a[j].im * b[k].re;
        }
    return c;
}
GaussianPoly power(GaussianPoly const& a, int k) {
    GaussianPoly r{gi(mb(1))};
    for (int j = 0; j < k; ++j) r = times(r, a);
    return r;
}
bool equal(GaussianPoly const& a, GaussianPoly const& b) {
    if (a.size() != b.size()) return false;
    for (std::size_t k = 0; k < a.size(); ++k)
        if (a[k].re != b[k].re || a[k].im != b[k].im) return false;
    return true;
}
// a = u b for a unit u of Z[i].
bool equalUpToUnit(GaussianPoly const& a, GaussianPoly b) {
    for (int turn = 0; turn < 4; ++turn) {
        if (equal(a, b)) return true;
        for (auto& c : b) c = gi(-c.im, c.re);
    }
    return false;
}

// A Gaussian integer gcd in machine words, apart from the library's, to make the
// random factors primitive.
struct Small {
    std::int64_t re, im;
};
Small gcdSmall(Small a, Small b) {
    while (b.re || b.im) {
        std::int64_t const n = b.re * b.re + b.im * b.im;
        std::int64_t const x = a.re * b.re + a.im * b.im, y = a.im * b.re - a.re * b.im;
        auto round = [n](std::int64_t v) { return std::int64_t(std::floor((2.0 * v + n) / (2.0 * n))); };
        std::int64_t const qr = round(x), qi = round(y);
        Small const r{a.re - (qr * b.re - qi * b.im), a.im - (qr * b.im + qi * b.re)};
        a = b;
        b = r;
    }
    return a;
}

// A random primitive factor of degree 1 to 4 with 20-bit parts.
GaussianPoly randomFactor(std::mt19937_64& rng) {
    int const degree = 1 + int(rng() % 4);
    std::vector<Small> c(std::size_t(degree) + 1);
    for (auto& x : c) x = {std::int64_t(rng() % (1 << 21)) - (1 << 20), std::int64_t(rng() % (1 << 21)) - (1 << 20)};
    if (c.back().re == 0 && c.back().im == 0) c.back().re = 1;
    Small g{0, 0};
    for (auto const& x : c) g = gcdSmall(g, x);
    std::int64_t const n = g.re * g.re + g.im * g.im;
    GaussianPoly f;
    for (auto const& x : c)  // x / g = x conj(g) / N(g), exact
        f.push_back(gi(mb((x.re * g.re + x.im * g.im) / n), mb((x.im * g.re - x.re * g.im) / n)));
    return f;
}

// An input built from factors of known multiplicity; `zeros` more roots at 0.
struct Built {
    std::vector<std::pair<GaussianPoly, int>> factors;
    GaussianInt content = gi(mb(1));
    int zeros = 0;
};

GaussianPoly product(Built const& b) {
    GaussianPoly p{b.content};
    for (auto const& [f, k] : b.factors) p = times(p, power(f, k));
    p.insert(p.begin(), std::size_t(b.zeros), GaussianInt{});
    return p;
}

// What the decomposition must give: per multiplicity the product of its factors.
std::map<int, GaussianPoly> expected(Built const& b) {
    std::map<int, GaussianPoly> byK;
    for (auto const& [f, k] : b.factors) byK[k] = byK.count(k) ? times(byK[k], f) : f;
    if (b.zeros) byK[b.zeros] = byK.count(b.zeros) ? times(byK[b.zeros], {gi(mb()), gi(mb(1))})
                                                   : GaussianPoly{gi(mb()), gi(mb(1))};
    return byK;
}

std::string text(GaussianPoly const& f) {
    std::string s;
    for (std::size_t k = f.size(); k-- > 0;) {
        char* re = mb2Str(f[k].re);
        char* im = mb2Str(f[k].im);
        s.append("(").append(re).append(",").append(im).append(")x^").append(std::to_string(k)).append(" ");
        std::free(re);
        std::free(im);
    }
    return s;
}

void expectFactors(Built const& b) {
    std::vector<SquareFreeFactor> out;
    ASSERT_TRUE(detail::squareFreeDecomposition(product(b), out));
    auto const want = expected(b);
    ASSERT_EQ(out.size(), want.size());
    auto it = want.begin();
    for (auto const& q : out) {
        EXPECT_EQ(q.multiplicity, it->first);
        EXPECT_TRUE(equalUpToUnit(q.factor, it->second)) << text(q.factor) << "\nwanted " << text(it->second);
        EXPECT_TRUE(q.factor.back().re.size > 0 && q.factor.back().im.size >= 0);
        ++it;
    }
}

GaussianPoly linear(char const* c0, char const* c0i, char const* c1 = "1", char const* c1i = "0") {
    return {gi(mb(c0), mb(c0i)), gi(mb(c1), mb(c1i))};
}

// The first prime the modular gcd tries: p = 1 (mod 4) below 2^31, from the top.
std::int64_t firstPrime() {
    for (std::int64_t p = (std::int64_t(1) << 31) - 3;; p -= 4) {
        bool prime = true;
        for (std::int64_t d = 3; d * d <= p && prime; d += 2) prime = p % d != 0;
        if (prime) return p;
    }
}

// a + b i with a^2 + b^2 = p: a Gaussian prime over p.
std::pair<std::int64_t, std::int64_t> gaussianPrimeOver(std::int64_t p) {
    for (std::int64_t a = 1;; ++a) {
        auto b = std::int64_t(std::sqrt(double(p - a * a)));
        while (b * b > p - a * a) --b;
        while ((b + 1) * (b + 1) <= p - a * a) ++b;
        if (a * a + b * b == p) return {a, b};
    }
}

struct Row {
    std::string rule;
    std::function<Built()> build;
    bool accepted = true;   // false: the decomposition must refuse
    bool cancelled = false;  // run under a search already cancelled
};

TEST(SquareFree, GivesBackTheFactorsOfAnExactProduct) {
    GaussianPoly const xm1 = linear("-1", "0"), x = linear("0", "0");
    std::int64_t const p0 = firstPrime();
    std::vector<Row> const rows = {
        {"a square-free input is one factor, made primitive",
         [&] { return Built{{{times(linear("0", "1"), {gi(mb(-2)), gi(mb()), gi(mb(1))}), 1}},
                            gi(mb(6), mb(6))}; }},
        {"a constant has no factor", [] { return Built{{}, gi(mb(7), mb(-3))}; }},
        {"(x-1)^4 (x+2)", [&] { return Built{{{xm1, 4}, {linear("2", "0"), 1}}}; }},
        {"(x^2+1)^3", [] { return Built{{{{gi(mb(1)), gi(mb()), gi(mb(1))}, 3}}}; }},
        {"(x-1)^12 (2x+1)^3", [&] { return Built{{{xm1, 12}, {linear("1", "0", "2"), 3}}}; }},
        {"(x-1)^20", [&] { return Built{{{xm1, 20}}}; }},
        {"a unit leading coefficient is turned to 1", [] { return Built{{{linear("-1", "0", "0", "1"), 3}}}; }},
        {"a constant content is removed", [&] { return Built{{{xm1, 2}, {linear("0", "1"), 3}}, gi(mb(6), mb(4))}; }},
        {"zero roots are the factor x", [&] { return Built{{{xm1, 2}, {linear("5", "0"), 1}}, gi(mb(1)), 3}; }},
        {"zero roots join the factor of their multiplicity",
         [&] { return Built{{{xm1, 2}, {linear("3", "0"), 1}}, gi(mb(1)), 2}; }},
        {"a power of x alone", [] { return Built{{}, gi(mb(3)), 5}; }},
        {"roots 1e-30 apart stay two roots of their own multiplicities",
         [&] {
             return Built{{{xm1, 5}, {linear("-1000000000000000000000000000000", "-1",
                                             "1000000000000000000000000000000"), 1}}};
         }},
        {"x^60 - 1 is square-free",
         [] {
             GaussianPoly f(61);
             f[0] = gi(mb(-1));
             f[60] = gi(mb(1));
             return Built{{{f, 1}}};
         }},
        {"x^105 + i is square-free",
         [] {
             GaussianPoly f(106);
             f[0] = gi(mb(), mb(1));
             f[105] = gi(mb(1));
             return Built{{{f, 1}}};
         }},
        {"a leading coefficient the first prime divides is skipped",
         [&] { return Built{{{linear("-1", "0", std::to_string(p0).c_str()), 2}, {linear("1", "0"), 1}}}; }},
        {"a discriminant the first prime divides is still square-free",
         [&] { return Built{{{{gi(-mb(p0)), gi(mb()), gi(mb(1))}, 1}}}; }},
        {"an image of too high a degree modulo the first prime is passed over",
         [&] {
             auto const [a, b] = gaussianPrimeOver(p0);
             return Built{{{xm1, 2}, {{gi(-mb(a), -mb(b)), gi(mb()), gi(mb(1))}, 1}}};
         }},
        {"random Gaussian factors with multiplicities 1 to 8",
         [] {
             std::mt19937_64 rng(20261207);
             Built b;
             for (int k = 0; k < 4; ++k) b.factors.push_back({randomFactor(rng), 1 + int(rng() % 8)});
             b.content = gi(mb(12), mb(-18));
             b.zeros = 1;
             return b;
         }},
        {"beyond the work limit a repeated factor is refused",
         [] {
             mb big;
             mbShiftLeft(big, mb(1), i32(std::sqrt(detail::squareFreeWorkLimit) / 2));
             return Built{{{{gi(-big), gi(mb(1))}, 2}}};
         },
         false},
        {"a cancelled search gets false", [&] { return Built{{{xm1, 3}}}; }, false, true},
    };
    for (auto const& row : rows) {
        SCOPED_TRACE(row.rule);
        Built const b = row.build();
        if (row.accepted) {
            expectFactors(b);
            continue;
        }
        std::atomic<bool> cancel{row.cancelled};
        RootSearchControl control;
        control.cancel = &cancel;
        detail::ScopedSearchControl guard(control);
        std::vector<SquareFreeFactor> out;
        EXPECT_FALSE(detail::squareFreeDecomposition(product(b), out));
        EXPECT_TRUE(out.empty());
    }
}

// Random products against their own construction; the seed is printed and can be
// set with KORVEL_SQUAREFREE_SEED.
TEST(SquareFree, RandomProductsAgainstTheirFactors) {
    char const* given = std::getenv("KORVEL_SQUAREFREE_SEED");
    std::uint64_t const seed = given ? std::strtoull(given, nullptr, 10) : std::random_device{}();
    std::cout << "KORVEL_SQUAREFREE_SEED=" << seed << "\n";
    SCOPED_TRACE("KORVEL_SQUAREFREE_SEED=" + std::to_string(seed));
    std::mt19937_64 rng(seed);
    for (int round = 0; round < 30; ++round) {
        Built b;
        int const count = 1 + int(rng() % 4);
        for (int k = 0; k < count; ++k) b.factors.push_back({randomFactor(rng), 1 + int(rng() % 8)});
        b.content = gi(mb(i64(rng() % 100) + 1), mb(i64(rng() % 100)));
        b.zeros = int(rng() % 3);
        expectFactors(b);
    }
}

}  // namespace
}  // namespace korvel::testing
