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
#include <limits>

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

// A node further than this many binary places below the largest leaves the
// pass to the wide numbers: scaled, it would lose bits as a subnormal double.
constexpr i64 scaledRange = 960;
double const smallestScaledNorm = std::ldexp(1.0, -1000);

// x 2^-s as a double complex (parts below the doubles' range become 0).
dcomplex scaledDown(WideComplex const& x, i64 s) {
    if (x.m == 0.0) return {};
    i64 const k = x.e - s;
    if (k < -1100) return {};
    if (k > 1023) return {HUGE_VAL, HUGE_VAL};
    return {std::ldexp(x.m.real(), int(k)), std::ldexp(x.m.imag(), int(k))};
}

// The nodes as wide numbers, and for each node the exact differences b_k - b_i
// to the nodes close to it. When every node lies within scaledRange binary
// places of the largest, the nodes and the differences are also held as
// plain doubles scaled by that node's power of two, where a row's sums cost a
// fifth of theirs in wide numbers.
class Nodes {
public:
    explicit Nodes(std::size_t n) : wide_(n), scaled_(n), re_(n), im_(n), close_(n), mark_(n, 0) {}

    // False when more pairs are close than closeBudget allows.
    bool set(std::vector<fpComplex> const& b) {
        std::size_t const n = b.size();
        std::size_t pairs = 0;
        for (std::size_t k = 0; k < n; ++k) wide_[k] = toWide(b[k]);
        scale_ = std::numeric_limits<i64>::min();
        for (auto const& w : wide_)
            if (!(w.m == 0.0)) scale_ = std::max(scale_, w.e);
        fits_ = scale_ != std::numeric_limits<i64>::min();
        for (std::size_t k = 0; k < n; ++k) {
            scaled_[k] = scaledDown(wide_[k], scale_);
            if (!(wide_[k].m == 0.0) && wide_[k].e < scale_ - scaledRange) fits_ = false;
        }
        if (fits_)
            for (std::size_t k = 0; k < n; ++k) {
                WideDD const x = toWideDD(b[k]);
                double const f = std::ldexp(1.0, int(x.e - scale_));  // at least 2^-960
                re_[k] = {x.re.hi * f, x.re.lo * f};
                im_[k] = {x.im.hi * f, x.im.lo * f};
            }
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
                dcomplex const ds = scaledDown(d, scale_);
                WideDD const exact = fits_ ? toWideDD(t) : WideDD();
                close_[k].push_back({i, d, ds, exact});
                close_[i].push_back({k, WideComplex(-d.m, d.e), -ds, {-exact.re, -exact.im, exact.e}});
            }
        return true;
    }

    // Whether the rows in scaled doubles may be used, and their power of two.
    bool fits() const { return fits_; }
    i64 scale() const { return scale_; }

    // f(i, x - b_i) for every i != k, x = b_k + offset.
    template <class F>
    void row(std::size_t k, WideComplex const& offset, F f) {
        WideComplex const x = wide_[k] + offset;
        visit(k, [&](std::size_t i) { f(i, x - wide_[i]); }, [&](Close const& c) { f(c.i, c.difference + offset); });
    }

    // The same in doubles scaled by 2^-scale(), offset among them.
    template <class F>
    void rowScaled(std::size_t k, dcomplex offset, F f) {
        dcomplex const x = scaled_[k] + offset;
        visit(k, [&](std::size_t i) { f(i, x - scaled_[i]); }, [&](Close const& c) { f(c.i, c.scaled + offset); });
    }

    // f(i, re, im) with re + i im = (x - b_i) 2^-scale() for every i != k,
    // x = b_k + offset, in double-doubles (fits() only).
    template <class F>
    void rowDD(std::size_t k, DD const& offRe, DD const& offIm, F f) {
        DD const xRe = re_[k] + offRe, xIm = im_[k] + offIm;
        visit(k, [&](std::size_t i) { f(i, xRe - re_[i], xIm - im_[i]); },
              [&](Close const& c) {
                  DD re, im;
                  scaledDown(c.exact, scale_, re, im);
                  f(c.i, re + offRe, im + offIm);
              });
    }

    // lead times prod_{i != k} (b_k - b_i) in double-doubles (fits() only): the
    // differences of nodes that are not close lose at most 2^-90 of
    // themselves to the nodes' roundings, the close ones none.
    WideDD product(std::size_t k, WideDD r) {
        visit(k, [&](std::size_t i) { r = r * WideDD{re_[k] - re_[i], im_[k] - im_[i], scale_}; },
              [&](Close const& c) { r = r * c.exact; });
        return r;
    }

private:
    struct Close {
        std::size_t i;
        WideComplex difference;
        dcomplex scaled;
        WideDD exact;  // the difference in double-doubles
    };
    std::vector<WideComplex> wide_;
    std::vector<dcomplex> scaled_;
    std::vector<DD> re_, im_;  // the nodes in double-doubles, scaled as scaled_
    std::vector<std::vector<Close>> close_;
    std::vector<char> mark_;  // the close nodes of the row under way
    i64 scale_ = 0;
    bool fits_ = false;

    // far(i) for every node i != k not close to b_k, then near(c) for each close one.
    template <class Far, class Near>
    void visit(std::size_t k, Far far, Near near) {
        for (auto const& c : close_[k]) mark_[c.i] = 1;
        for (std::size_t i = 0; i < wide_.size(); ++i)
            if (i != k && !mark_[i]) far(i);
        for (auto const& c : close_[k]) {
            mark_[c.i] = 0;
            near(c);
        }
    }
};

// A row's three sums: sum1 = sum c_i / e_i and sum2 = sum c_i / e_i^2 for
// e_i = x - b_i, and pairs = -sum d_i / (e_i (e_i - d_i)).
struct RowSums {
    WideComplex sum1, sum2, pairs;
};

// The sums in wide numbers.
RowSums wideRow(Nodes& nodes, std::size_t k, std::vector<WideComplex> const& c,
                std::vector<WideComplex> const& d) {
    RowSums s;
    nodes.row(k, d[k], [&](std::size_t i, WideComplex const& e) {
        WideComplex const r = inverse(e), q = c[i] * r;
        s.sum1 += q;
        s.sum2 += q * r;
        if (!(d[i].m == 0.0)) s.pairs -= d[i] * r / (e - d[i]);
    });
    return s;
}

// The sums in doubles scaled by 2^-nodes.scale() (cs, ds: c and d so scaled);
// false when a term left the doubles' normal range, where the wide row must
// take over. Each term is its wide counterpart's operations, rounded alike;
// the c_i and d_i that the scaling sends below the range are far below the
// sums' rounding (sum1 is added to 1).
bool scaledRow(Nodes& nodes, std::size_t k, std::vector<dcomplex> const& cs, std::vector<dcomplex> const& ds,
               RowSums& out) {
    dcomplex sum1, sum2, pairs;
    double smallest = HUGE_VAL;
    nodes.rowScaled(k, ds[k], [&](std::size_t i, dcomplex e) {
        double const norm = e.real() * e.real() + e.imag() * e.imag();
        smallest = std::min(smallest, norm);
        double const inv = 1.0 / norm;
        dcomplex const r(e.real() * inv, -e.imag() * inv), q = mulParts(cs[i], r);
        sum1 += q;
        sum2 += mulParts(q, r);
        if (!(ds[i] == 0.0)) {
            dcomplex const f = e - ds[i];
            double const fi = 1.0 / (f.real() * f.real() + f.imag() * f.imag());
            pairs -= mulParts(mulParts(ds[i], r), dcomplex(f.real() * fi, -f.imag() * fi));
        }
    });
    bool const finite = std::isfinite(sum1.real()) && std::isfinite(sum1.imag()) && std::isfinite(sum2.real()) &&
                        std::isfinite(sum2.imag()) && std::isfinite(pairs.real()) && std::isfinite(pairs.imag());
    if (!finite || !(smallest >= smallestScaledNorm)) return false;
    i64 const s = nodes.scale();
    out = {WideComplex(sum1, 0), WideComplex(sum2, -s), WideComplex(pairs, -s)};
    return true;
}

// For a real polynomial: leader[j] = k < j where nodes k and j stand for a
// pair of conjugate roots, else j. Both must be free to move; each must be
// the other's nearest to its mirror image, 4 times nearer than any other; the
// two must be 64 times nearer each other's mirror image than the axis, and
// further from it than 4 times the leader's last offset, for a pair that
// heads for two real roots must be let go. A node in the noise of a cluster
// may pair with another one of that noise: the roots are as symmetric as the
// pair, and the iteration sorts them out.
std::vector<std::size_t> conjugateLeaders(std::vector<fpComplex> const& z, std::vector<char> const& frozen,
                                          std::vector<WideComplex> const& offsets) {
    std::size_t const n = z.size();
    std::vector<std::size_t> leader(n), nearest(n, noPartner);
    for (std::size_t k = 0; k < n; ++k) leader[k] = k;
    std::vector<WideComplex> w(n);
    for (std::size_t k = 0; k < n; ++k) w[k] = toWide(z[k]);
    constexpr double apart = 2, offAxisBits = 6;
    for (std::size_t k = 0; k < n; ++k) {
        if (frozen[k] || w[k].m.imag() == 0.0) continue;
        WideComplex const mirror(std::conj(w[k].m), w[k].e);
        double best = HUGE_VAL, second = HUGE_VAL;
        std::size_t at = noPartner;
        for (std::size_t j = 0; j < n; ++j) {
            if (j == k) continue;
            double const l = (w[j] - mirror).log2Abs();
            if (l < best) {
                second = best;
                best = l;
                at = j;
            } else if (l < second) {
                second = l;
            }
        }
        double const height = std::log2(std::abs(w[k].m.imag())) + double(w[k].e);
        bool const offAxis = height > best + offAxisBits && (offsets[k].m == 0.0 || height > offsets[k].log2Abs() + 2);
        if (at != noPartner && !frozen[at] && best < second - apart && offAxis) nearest[k] = at;
    }
    for (std::size_t k = 0; k < n; ++k)
        if (std::size_t const j = nearest[k]; j != noPartner && j > k && nearest[j] == k) leader[j] = k;
    return leader;
}

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
    std::vector<dcomplex> cs(n), ds(n);  // c and d scaled as the nodes for the rows in doubles
    std::vector<fpComplex> v(n);
    std::vector<char> fresh(n, 1), done(n, 0), moving(n, 0), converged(n, 0), steady(n, 0), exact(n, 0);
    std::vector<WideDD> offset(n), cExact(n);  // where exact: the offset; c in double-doubles
    std::vector<DD> cRe(n), cIm(n);             // cExact scaled as the nodes
    WideDD const leadDD = toWideDD(p.a[p.n]);
    // On a real polynomial a node that follows another (leader[j] != j) is
    // its exact conjugate: its value, offset and steps are the conjugates of
    // the leader's (p(conj z) = conj p(z), so the value is good to the same
    // bound), and a pair costs one evaluation and one row.
    bool const real = realPolynomial(p.a, p.n);
    std::vector<std::size_t> leader(n);
    for (std::size_t k = 0; k < n; ++k) leader[k] = k;
    auto follows = [&](std::size_t j) { return leader[j] != j; };
    fpComplex t;
    for (int regeneration = 0; regeneration < regenerations; ++regeneration) {
        if (searchCancelled()) return false;
        if (real) {
            leader = conjugateLeaders(z, frozen, d);
            for (std::size_t j = 0; j < n; ++j)
                if (follows(j)) {
                    z[j] = conj(z[leader[j]]);
                    fresh[j] = 1;
                }
        }
        // The values at the nodes that moved (the others keep theirs): one
        // Horner evaluation each, independent of one another.
        std::vector<std::size_t> update;
        for (std::size_t k = 0; k < n; ++k)
            if (fresh[k] && !follows(k)) update.push_back(k);
        parallelFor(update.size(), threadsFor(update.size(), double(update.size()) * p.n * blockPrec),
                    [&](std::size_t u) {
                        std::size_t const k = update[u];
                        evaluate(p, z[k], v[k], nullptr);
                        double const mag = log2Magnitude(p, log2Abs(z[k]));
                        log2Value[k] = log2ValueBound(v[k], mag + round);
                        if (log2Abs(v[k]) <= mag + settle) done[k] = 1;
                    });
        for (std::size_t j = 0; j < n; ++j)
            if (follows(j)) {
                std::size_t const k = leader[j];
                v[j] = conj(v[k]);
                log2Value[j] = log2Value[k];
                done[j] = done[k];
            }
        std::size_t active = 0;
        for (std::size_t k = 0; k < n; ++k) {
            moving[k] = !frozen[k] && !done[k];
            active += moving[k];
        }
        std::vector<std::size_t> follower(n, noPartner);
        for (std::size_t j = 0; j < n; ++j)
            if (follows(j)) follower[leader[j]] = j;
        if (settled) settled(n - active);
        if (active == 0) return true;
        if (!nodes.set(z)) return false;
        for (std::size_t k = 0; k < n; ++k) {
            WideComplex product = lead;
            nodes.row(k, WideComplex(),
                      [&](std::size_t, WideComplex const& difference) { product = product * difference; });
            c[k] = toWide(v[k]) / product;
            d[k] = WideComplex();
            converged[k] = steady[k] = exact[k] = 0;
        }
        bool const scaled = nodes.fits();
        if (scaled)
            for (std::size_t k = 0; k < n; ++k) {
                cs[k] = scaledDown(c[k], nodes.scale());
                ds[k] = dcomplex();
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
                if (!moving[k] || converged[k] || follows(k)) continue;
                RowSums sums;
                if (!scaled || !scaledRow(nodes, k, cs, ds, sums)) sums = wideRow(nodes, k, c, d);
                auto const& [sum1, sum2, pairs] = sums;
                WideComplex const G = one + sum1;
                WideComplex const g = c[k] + d[k] * G;
                WideComplex const denominator = G - d[k] * sum2 + g * pairs;
                WideComplex const step = g / denominator;
                if (denominator.m == 0.0 || !step.finite()) {
                    converged[k] = 1;  // the node stays where the offset has led so far
                    continue;
                }
                d[k] -= step;
                if (scaled) ds[k] = scaledDown(d[k], nodes.scale());
                any = true;
                if (step.m == 0.0 || (d[k].m != 0.0 && step.log2Abs() < d[k].log2Abs() - convergedBits))
                    converged[k] = steady[k] = 1;
                if (std::size_t const j = follower[k]; j != noPartner) {
                    d[j] = WideComplex(std::conj(d[k].m), d[k].e);
                    ds[j] = std::conj(ds[k]);
                    converged[j] = converged[k];
                    steady[j] = steady[k];
                }
            }
            if (!any) break;
        }
        // A converged offset is good to about 48 bits: c_k is a quotient by a
        // product of n roundings, and the doubles allow no more. One Newton
        // step on g(d) = c_k + d (1 + S_k(b_k + d)), S_k = sum_{i != k} c_i /
        // (x - b_i), with g in double-doubles and g' from the doubles' sums,
        // leaves it good to about 90 bits, where it stays in the range that
        // the doubles' g' describes; that halves the regenerations that bring
        // the nodes to their roots.
        if (scaled && std::any_of(steady.begin(), steady.end(), [](char x) { return x != 0; })) {
            for (std::size_t i = 0; i < n; ++i) {
                cExact[i] = toWideDD(v[i]) / nodes.product(i, leadDD);
                scaledDown(cExact[i], nodes.scale(), cRe[i], cIm[i]);
            }
            for (std::size_t k = 0; k < n; ++k) {
                if (!moving[k] || !steady[k] || d[k].m == 0.0 || follows(k)) continue;
                RowSums sums;
                if (!scaledRow(nodes, k, cs, ds, sums)) continue;
                WideComplex const derivative = one + sums.sum1 - d[k] * sums.sum2;
                WideDD const dk = toWideDD(d[k]);
                DD offRe, offIm, sRe, sIm;
                scaledDown(dk, nodes.scale(), offRe, offIm);
                nodes.rowDD(k, offRe, offIm, [&](std::size_t i, DD const& eRe, DD const& eIm) {
                    // c_i / e = c_i conj(e) / |e|^2
                    DD const norm = eRe * eRe + eIm * eIm;
                    sRe = sRe + (cRe[i] * eRe + cIm[i] * eIm) / norm;
                    sIm = sIm + (cIm[i] * eRe - cRe[i] * eIm) / norm;
                });
                if (!std::isfinite(sRe.hi) || !std::isfinite(sIm.hi)) continue;
                WideDD G{DD{1.0, 0} + sRe, sIm, 0};
                G.normalize();
                WideDD const g = cExact[k] + dk * G;
                WideDD const step = g / toWideDD(derivative);
                if (!std::isfinite(step.re.hi) || !std::isfinite(step.im.hi)) continue;
                offset[k] = dk + -step;
                exact[k] = 1;
            }
        }
        for (std::size_t k = 0; k < n; ++k) {
            fresh[k] = moving[k] && !(d[k].m == 0.0);
            if (!fresh[k] || follows(k)) continue;
            if (exact[k])
                fromWideDD(t, offset[k]);
            else
                fromWide(t, d[k]);
            add(z[k], z[k], t);
        }
        for (std::size_t j = 0; j < n; ++j)
            if (follows(j) && fresh[j]) z[j] = conj(z[leader[j]]);
    }
    return false;
}

}  // namespace korvel::detail
