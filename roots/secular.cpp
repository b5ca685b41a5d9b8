// Stage 1 in fp through the secular equation. With the approximations b_i as
// nodes, Lagrange's formula gives
//     p(x) / (a_n prod_i (x - b_i)) = 1 + sum_i c_i / (x - b_i),
//     c_i = p(b_i) / (a_n prod_{j != i} (b_i - b_j)),
// so the roots of p are those of the right-hand side. Only the c_i and the
// differences of nearby nodes need the working precision; Aberth's iteration
// on the right-hand side runs in doubles with a separate exponent, on offsets
// d_k from the nodes. Each regeneration (the nodes moved by their offsets, the
// c_i formed again) gains up to the doubles' 53 bits, until p at every node is
// within its rounding. Approximations that must walk across a cluster, which
// costs an evaluation of p at the working precision a step in aberthFp, walk
// here at the cost of a sum in doubles.
#include <cmath>

#include "roots/parallel.h"
#include "roots/search.h"
#include "roots/wide.h"

namespace korvel::detail {

namespace {

// Aberth sweeps on one secular equation: the offsets converge fast while the
// nodes are far from the roots, and a regeneration costs only an evaluation
// at each moved node, so a few sweeps each pay best.
constexpr int sweepsPerRegeneration = 10;
// Nodes closer than 2^-closeBits of the larger modulus: their difference is
// taken in fp, where the wide numbers would lose that many of its bits. Such
// pairs are rare (none on the Mandelbrot polynomials); past closeBudget a
// pass gives way to aberthFp rather than hold a table of n^2 pairs.
constexpr i64 closeBits = 16;
std::size_t closeBudget(std::size_t n) { return 8 * n + 1024; }
// An offset whose step falls below 2^-convergedBits of it holds all the
// doubles can say until the next regeneration.
constexpr double convergedBits = 48;

// The nodes as wide numbers, and for each node the exact differences b_k - b_i
// to the nodes close to it.
class Nodes {
public:
    explicit Nodes(std::size_t n) : wide_(n), close_(n), mark_(n, 0) {}

    // False when more pairs are close than closeBudget allows.
    bool set(std::vector<fpComplex> const& b) {
        std::size_t const n = b.size();
        std::size_t pairs = 0;
        for (std::size_t k = 0; k < n; ++k) wide_[k] = toWide(b[k]);
        fpComplex t;
        for (auto& c : close_) c.clear();
        for (std::size_t k = 0; k < n; ++k)
            for (std::size_t i = k + 1; i < n; ++i) {
                // Exponents of normalized wide numbers: moduli within a factor 2 of 2^e.
                WideComplex const apart = wide_[k] - wide_[i];
                if (!(apart.m == 0.0) && apart.e >= std::max(wide_[k].e, wide_[i].e) - closeBits) continue;
                if (++pairs > closeBudget(n)) return false;
                sub(t, b[k], b[i]);
                WideComplex const d = toWide(t);
                close_[k].push_back({i, d});
                close_[i].push_back({k, WideComplex(-d.m, d.e)});
            }
        return true;
    }

    // f(i, x - b_i) for every i != k, x = b_k + offset.
    template <class F>
    void row(std::size_t k, WideComplex const& offset, F f) {
        for (auto const& [i, d] : close_[k]) mark_[i] = 1;
        WideComplex const x = wide_[k] + offset;
        for (std::size_t i = 0; i < wide_.size(); ++i)
            if (i != k && !mark_[i]) f(i, x - wide_[i]);
        for (auto const& [i, d] : close_[k]) {
            mark_[i] = 0;
            f(i, d + offset);
        }
    }

private:
    struct Close {
        std::size_t i;
        WideComplex difference;
    };
    std::vector<WideComplex> wide_;
    std::vector<std::vector<Close>> close_;
    std::vector<char> mark_;  // the close nodes of the row under way
};

}  // namespace

bool secularFp(Poly const& p, std::vector<fpComplex>& z, std::vector<double>& log2Value,
               std::vector<char> const& frozen, SettledCount const& settled) {
    std::size_t const n = z.size();
    if (n < 2 || std::size_t(p.n) != n) return false;
    double const bits = bitsOf(blockPrec);
    double const settle = std::log2(4.0 * (p.n + 1)) - bits, round = log2RoundingFactor(p.n, bits);
    // Each regeneration gains at most about 50 bits, and the pass starts from
    // approximations good to half the precision or better.
    int const regenerations = 4 + int(bits / 24);
    WideComplex const lead = toWide(p.a[p.n]), one(1.0);
    Nodes nodes(n);
    std::vector<WideComplex> c(n), d(n);
    std::vector<fpComplex> v(n);
    std::vector<char> fresh(n, 1), done(n, 0), moving(n, 0), converged(n, 0);
    fpComplex t;
    for (int regeneration = 0; regeneration < regenerations; ++regeneration) {
        if (searchCancelled()) return false;
        // The values at the nodes that moved (the others keep theirs): one
        // Horner evaluation each, independent of one another.
        std::vector<std::size_t> update;
        for (std::size_t k = 0; k < n; ++k)
            if (fresh[k]) update.push_back(k);
        parallelFor(update.size(), threadsFor(update.size(), double(update.size()) * p.n * blockPrec),
                    [&](std::size_t u) {
                        std::size_t const k = update[u];
                        evaluate(p, z[k], v[k], nullptr);
                        double const mag = log2Magnitude(p, log2Abs(z[k]));
                        log2Value[k] = log2ValueBound(v[k], mag + round);
                        if (log2Abs(v[k]) <= mag + settle) done[k] = 1;
                    });
        std::size_t active = 0;
        for (std::size_t k = 0; k < n; ++k) {
            moving[k] = !frozen[k] && !done[k];
            active += moving[k];
        }
        if (settled) settled(n - active);
        if (active == 0) return true;
        if (!nodes.set(z)) return false;
        for (std::size_t k = 0; k < n; ++k) {
            WideComplex product = lead;
            nodes.row(k, WideComplex(),
                      [&](std::size_t, WideComplex const& difference) { product = product * difference; });
            c[k] = toWide(v[k]) / product;
            d[k] = WideComplex();
            converged[k] = 0;
        }
        // Aberth on 1 + sum_i c_i / (x - b_i) at x_k = b_k + d_k. With
        // G = 1 + sum_{i != k} c_i / (x - b_i), g = c_k + d_k G is (x - b_k)
        // times it, so p'/p = g'/g + sum_{i != k} 1 / (x - b_i) without the
        // pole at b_k; less Aberth's sum of 1 / (x - x_i), each pair leaves
        // 1 / (x - b_i) - 1 / (x - x_i) = -d_i / ((x - b_i)(x - x_i)).
        for (int sweep = 0; sweep < sweepsPerRegeneration; ++sweep) {
            if (searchCancelled()) return false;
            bool any = false;
            for (std::size_t k = 0; k < n; ++k) {
                if (!moving[k] || converged[k]) continue;
                WideComplex sum1, sum2, pairs;
                nodes.row(k, d[k], [&](std::size_t i, WideComplex const& e) {
                    WideComplex const r = inverse(e), q = c[i] * r;
                    sum1 += q;
                    sum2 += q * r;
                    if (!(d[i].m == 0.0)) pairs -= d[i] * r / (e - d[i]);
                });
                WideComplex const G = one + sum1;
                WideComplex const g = c[k] + d[k] * G;
                WideComplex const denominator = G - d[k] * sum2 + g * pairs;
                WideComplex const step = g / denominator;
                if (denominator.m == 0.0 || !step.finite()) {
                    converged[k] = 1;  // the node stays where the offset has led so far
                    continue;
                }
                d[k] -= step;
                any = true;
                if (step.m == 0.0 || (d[k].m != 0.0 && step.log2Abs() < d[k].log2Abs() - convergedBits))
                    converged[k] = 1;
            }
            if (!any) break;
        }
        for (std::size_t k = 0; k < n; ++k) {
            fresh[k] = moving[k] && !(d[k].m == 0.0);
            if (!fresh[k]) continue;
            fromWide(t, d[k]);
            add(z[k], z[k], t);
        }
    }
    return false;
}

}  // namespace korvel::detail
