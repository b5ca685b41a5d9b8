// Stage 3: inclusion disks about approximations z_i of all roots,
//   r_i = n |p(z_i)| / |a_n prod_{j != i} (z_i - z_j)|,
// whose union holds every root and each of whose connected components of m
// disks holds exactly m roots. Every quantity is bounded on the safe side:
// |p(z_i)| from above with the evaluation's rounding, the distances from below.
#include <algorithm>
#include <cmath>
#include <limits>

#include "roots/parallel.h"
#include "roots/search.h"
#include "roots/wide.h"

namespace korvel::detail {

namespace {

// Slack in log2 units for the roundings of the double logarithms themselves.
// Wider than search.h's log2Slack, which would do: the radii made with this
// one are in every certified bound and certain-figure count korvel-cli prints.
constexpr double logSlack = 1e-6;

// log2 of a lower bound of |z_i - z_j| from a subtraction in fp.
double fpDistance(fpComplex const& a, fpComplex const& b) { return log2Difference(a, b) - 0x1p-40; }

// log2 of a lower bound of |z_i - z_j| for a pair the scaled doubles cannot
// hold: from w (z in doubles with a separate exponent) where the difference
// stands far above their conversion errors, else from a subtraction in fp.
double farDistance(DiskCenters const& c, std::size_t i, std::size_t j) {
    std::vector<WideComplex> const& w = c.wide;
    WideComplex const d = w[i] - w[j];
    // |w_k - z_k| <= 3u |z_k| (toWide) and the subtraction adds u |d|: once |d|
    // exceeds 2^20 times 6u max |w_k|, |z_i - z_j| >= |d| (1 - 2^-19).
    double const ld = d.log2Abs(), err = std::log2(6 * unitRoundoff) + std::max(w[i].log2Abs(), w[j].log2Abs());
    if (ld > err + 20) return ld - 0x1p-16;
    return fpDistance(c.z[i], c.z[j]);
}

// Above this degree a sparse polynomial tries Newton's disks first, and above
// 3 B^2 at B words: an evaluation by powers costs about 2 log2 n complex
// products of B-word numbers, against n products in doubles.
constexpr std::size_t newtonDegree = 4096;
std::size_t newtonFrom() {
    std::size_t const words = std::size_t(blockPrec);
    return std::max(newtonDegree, 3 * words * words);
}

// log2 of Newton's radius n |p(z)| / |p'(z)| about every z_i, as an upper bound:
// a disk that holds at least one root of p (1/|z - root| summed over the n roots
// is |p'/p| at z). z p'(z) is formed at blockPrec (newtonStep) and bounded from
// below by its rounding, at most n times that of p(z) (k |a_k| <= n |a_k|).
void newtonRadii(Poly const& p, std::span<fpComplex const> z, std::vector<double> const& log2Value,
                 std::vector<double>& log2Radius) {
    double const ln = std::log2(double(p.n)), round = log2RoundingFactor(p.n, bitsOf(blockPrec));
    fpComplex v, step;
    log2Radius.assign(z.size(), std::numeric_limits<double>::infinity());
    for (std::size_t i = 0; i < z.size(); ++i) {
        if (!z[i]) continue;
        double ld = 0;
        (void)newtonStep(p, z[i], v, step, ld);
        double const lz = log2Abs(z[i]), lzd = ld + lz, lerr = ln + log2Magnitude(p, lz) + round;
        if (!(lzd > lerr + 1)) continue;  // p' not told from 0: no disk
        double const lower = ld + std::log2(1 - std::exp2(lerr - lzd)) - logSlack;
        log2Radius[i] = ln + log2Value[i] - lower + logSlack;
    }
}

}  // namespace

Scaled scale(std::span<fpComplex const> z) {
    Scaled r;
    double top = -std::numeric_limits<double>::infinity();
    for (auto const& x : z) top = std::max(top, log2Abs(x));
    r.s = std::isfinite(top) ? i64(std::floor(top)) : 0;
    r.w.resize(z.size());
    r.err.resize(z.size());
    r.ok.resize(z.size());
    for (std::size_t i = 0; i < z.size(); ++i) r.set(i, z[i]);
    return r;
}

void Scaled::set(std::size_t i, fpComplex const& x) {
    w[i] = dcomplex(scaledDouble(x.re, s), scaledDouble(x.im, s));
    err[i] = 4 * unitRoundoff * std::abs(w[i]);
    ok[i] = !x || std::abs(w[i]) > 0x1p-1000;
}

bool doubleDistance(Scaled const& r, std::size_t i, std::size_t j, double& d, double& eps) {
    if (!r.ok[i] || !r.ok[j]) return false;
    d = std::sqrt(std::norm(r.w[i] - r.w[j]));
    double const e = r.err[i] + r.err[j];
    if (!(d > 0x1p20 * e) || d < 0x1p-1000) return false;
    eps = e / d + 4 * unitRoundoff;  // relative error of d
    return true;
}

DiskCenters::DiskCenters(std::span<fpComplex const> centers) : z(centers), scaled(scale(centers)) {
    wide.reserve(z.size());
    for (auto const& x : z) wide.push_back(toWide(x));
}

DiskCenters::~DiskCenters() = default;

void diskRadii(Poly const& p, DiskCenters const& c, std::vector<double> const& log2Value,
               std::vector<double>& log2Radius) {
    std::size_t const n = c.z.size();
    if (p.sparse && n > newtonFrom() && std::size_t(p.n) == n) {
        newtonRadii(p, c.z, log2Value, log2Radius);
        if (disjointDisks(c, log2Radius)) return;
    }
    std::vector<double> logProd;
    log2DistanceProducts(c, logProd);
    log2Radius.assign(n, 0);
    double const lead = p.logAbs.back();
    for (std::size_t i = 0; i < n; ++i) {
        log2Radius[i] = std::log2(double(n)) + log2Value[i] - lead - logProd[i] + logSlack;
        if (std::isnan(log2Radius[i])) log2Radius[i] = std::numeric_limits<double>::infinity();
    }
}

void log2DistanceProducts(DiskCenters const& c, std::vector<double>& log2Product) {
    std::size_t const n = c.z.size();
    Scaled const& r = c.scaled;
    log2Product.assign(n, 0);
    // A pair's distance in doubles costs about as much as a unit of threadsFor.
    parallelFor(n, threadsFor(n, double(n) * double(n)), [&](std::size_t i) {
        double prod = 1, logs = 0, epsSum = 0, d = 0, eps = 0;
        int exponent = 0;
        for (std::size_t j = 0; j < n; ++j) {
            if (j == i) continue;
            if (doubleDistance(r, i, j, d, eps)) {
                prod *= d;
                epsSum += eps;
                if (prod > 0x1p600 || prod < 0x1p-600) {
                    int e = 0;
                    prod = std::frexp(prod, &e);
                    exponent += e;
                }
            } else {
                logs += farDistance(c, i, j) - double(r.s);
            }
        }
        // log2 prod (1 - eps_j) >= log2 prod - 1.5 sum eps_j while every eps_j < 0.01.
        log2Product[i] = std::log2(prod) + exponent + logs + double(r.s) * double(n - 1) - 1.5 * epsSum;
    });
}

double pairReach(Scaled const& r, std::vector<double> const& log2Radius) {
    double top = -std::numeric_limits<double>::infinity(), error = 0x1p-990;
    for (std::size_t i = 0; i < log2Radius.size(); ++i) {
        if (std::isnan(log2Radius[i])) return std::numeric_limits<double>::infinity();
        top = std::max(top, log2Radius[i]);
        error = std::max(error, r.err[i]);
    }
    return (std::exp2(std::clamp(top + 1 - double(r.s), -1000.0, 2000.0)) + 2 * error) * (1 + 0x1p-10);
}

namespace {

// visit(i, j, apart) for the pairs near one another (as visitNearPairs), with
// apart true when their disks are disjoint; false when visit is.
template <class Visit>
bool visitDiskPairs(DiskCenters const& c, std::vector<double> const& log2Radius, Visit visit) {
    std::size_t const n = c.z.size();
    Scaled const& r = c.scaled;
    // Disjoint when the distance exceeds twice the larger radius of the pair;
    // in doubles scaled by 2^-s, a radius below 2^-1000 counts as 2^-1000.
    std::vector<double> twice(n);
    for (std::size_t i = 0; i < n; ++i)
        twice[i] = std::exp2(std::clamp(log2Radius[i] + 1 - double(r.s), -1000.0, 2000.0));
    // Pairs further apart than pairReach pass every test below.
    return visitNearPairs(r, pairReach(r, log2Radius), [&](std::size_t i, std::size_t j) {
        double d = 0, eps = 0;
        bool const apart = doubleDistance(r, i, j, d, eps)
                               ? d * (1 - 1.5 * eps) > std::max(twice[i], twice[j])
                               : farDistance(c, i, j) > std::max(log2Radius[i], log2Radius[j]) + 1;
        return visit(i, j, apart);
    });
}

}  // namespace

bool disjointDisks(DiskCenters const& c, std::vector<double> const& log2Radius) {
    return visitDiskPairs(c, log2Radius, [](std::size_t, std::size_t, bool apart) { return apart; });
}

std::vector<char> apartFromPeers(DiskCenters const& c, std::vector<double> const& log2Radius) {
    // A disk far larger than another: the two do not count as peers.
    constexpr double larger = 20;
    std::vector<char> apart(c.z.size(), 1);
    visitDiskPairs(c, log2Radius, [&](std::size_t i, std::size_t j, bool disjoint) {
        if (disjoint) return true;
        double const ri = log2Radius[i], rj = log2Radius[j];
        if (!(rj > ri + larger)) apart[i] = 0;
        if (!(ri > rj + larger)) apart[j] = 0;
        return true;
    });
    return apart;
}

std::vector<std::size_t> mirrorPartners(std::vector<fpComplex> const& z, std::vector<double> const& log2Radius) {
    std::size_t const n = z.size();
    // The disks and their mirror images side by side: a pair (i, n + k) that
    // may meet is a disk i that the mirror image of disk k may meet.
    std::vector<fpComplex> both(z);
    both.reserve(2 * n);
    for (auto const& x : z) both.push_back(conj(x));
    std::vector<double> radii(log2Radius);
    radii.insert(radii.end(), log2Radius.begin(), log2Radius.end());
    std::vector<std::size_t> partner(n, noPartner);
    std::vector<int> meeting(n, 0);
    visitDiskPairs(DiskCenters(both), radii, [&](std::size_t i, std::size_t j, bool apart) {
        if (!apart && i < n && j >= n) {
            ++meeting[j - n];
            partner[j - n] = i;
        }
        return true;
    });
    for (std::size_t k = 0; k < n; ++k)
        if (meeting[k] != 1) partner[k] = noPartner;
    return partner;
}

}  // namespace korvel::detail
