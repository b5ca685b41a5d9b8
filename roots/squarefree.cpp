// Square-free decomposition over Z[i] by Yun's algorithm, with a modular gcd.
//
// The gcd works modulo primes p = 1 (mod 4), where i has two images r and -r
// (r^2 = -1 mod p); the two images of a Gaussian integer a + b i, a + b r and
// a - b r, give back a and b mod p. The residues of the gcd scaled to the leading
// coefficient gamma = gcd(lc f, lc g) are joined by the Chinese remainder theorem
// until they stop changing; the primitive part is then checked by exact division,
// which also gives the quotients Yun's algorithm needs.
#include "roots/squarefree.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <utility>

#include "roots/search.h"

namespace korvel::detail {
namespace {

__extension__ typedef unsigned __int128 u128;

// ---- Gaussian integers --------------------------------------------------------------
bool isZero(GaussianInt const& a) { return a.re.size == 0 && a.im.size == 0; }
i32 degree(GaussianPoly const& f) { return i32(f.size()) - 1; }
void trim(GaussianPoly& f) {
    while (!f.empty() && isZero(f.back())) f.pop_back();
}
bool isOne(mb const& x) { return (x.size == 1 || x.size == -1) && x.words[0] == 1; }
bool isUnit(GaussianInt const& a) {
    return (a.im.size == 0 && isOne(a.re)) || (a.re.size == 0 && isOne(a.im));
}

// r = a b; r distinct from a and b.
void mulG(GaussianInt& r, GaussianInt const& a, GaussianInt const& b, mb& t) {
    mul(r.re, a.re, b.re);
    mul(t, a.im, b.im);
    sub(r.re, r.re, t);
    mul(r.im, a.re, b.im);
    mul(t, a.im, b.re);
    add(r.im, r.im, t);
}

// a = a i^k.
void rotate(GaussianInt& a, int k) {
    for (int j = 0; j < (k & 3); ++j) {
        std::swap(a.re, a.im);
        a.re = -a.re;  // (re + i im) i = -im + i re
    }
}

// The k with a i^k in the quadrant re > 0, im >= 0 (a != 0).
int canonicalTurn(GaussianInt a) {
    for (int k = 0; k < 4; ++k, rotate(a, 1))
        if (a.re.size > 0 && a.im.size >= 0) return k;
    return 0;
}

// q = floor(x / d) for d > 0.
void floorDiv(mb& q, mb const& x, mb const& d, mb& r) {
    (void)divRem(q, r, x, d);  // d > 0
    if (r.size < 0) --q;
}

// a = a mod b in Z[i] with the quotient rounded to nearest, so N(a) < N(b) / 2 after.
void remG(GaussianInt& a, GaussianInt const& b) {
    mb n, t, u, r;
    GaussianInt c{b.re, -b.im}, prod, q;
    sqr(n, b.re);
    sqr(t, b.im);
    add(n, n, t);
    mulG(prod, a, c, t);
    mb twice;
    mbShiftLeft(twice, n, 1);
    // round(x / n) = floor((2x + n) / 2n)
    mbShiftLeft(u, prod.re, 1);
    add(u, u, n);
    floorDiv(q.re, u, twice, r);
    mbShiftLeft(u, prod.im, 1);
    add(u, u, n);
    floorDiv(q.im, u, twice, r);
    mulG(prod, q, b, t);
    sub(a.re, a.re, prod.re);
    sub(a.im, a.im, prod.im);
}

// The gcd of a and b in its associate with re > 0, im >= 0 (0 for a = b = 0).
GaussianInt gcdG(GaussianInt a, GaussianInt b) {
    while (!isZero(b)) {
        remG(a, b);
        std::swap(a, b);
    }
    if (!isZero(a)) rotate(a, canonicalTurn(a));
    return a;
}

// Exact division by a fixed nonzero Gaussian integer c.
class ExactDivisor {
public:
    explicit ExactDivisor(GaussianInt const& c) : c_(c) {
        if (isUnit(c))
            turn_ = canonicalTurn(c);  // c i^k = 1: 1 / c = i^k
        else if (c.im.size == 0)
            real_ = true;
        sqr(norm_, c.re);
        sqr(t_, c.im);
        add(norm_, norm_, t_);
        c_.im = -c_.im;  // held as conj(c)
    }
    // q = a / c; false when c does not divide a. q distinct from a.
    bool divide(GaussianInt& q, GaussianInt const& a) {
        if (turn_ >= 0) {
            q = a;
            rotate(q, turn_);
            return true;
        }
        if (real_) return exact(q.re, a.re, c_.re) && exact(q.im, a.im, c_.re);
        mulG(prod_, a, c_, t_);
        return exact(q.re, prod_.re, norm_) && exact(q.im, prod_.im, norm_);
    }

private:
    bool exact(mb& q, mb const& x, mb const& d) {
        (void)divRem(q, r_, x, d);  // d != 0: the divisor's norm, or its real part when it is real
        return r_.size == 0;
    }
    GaussianInt c_;
    int turn_ = -1;
    bool real_ = false;
    mb norm_, t_, r_;
    GaussianInt prod_;
};

// f = f / content(f), turned so that its leading coefficient has re > 0, im >= 0.
void makePrimitive(GaussianPoly& f) {
    if (f.empty()) return;
    // The content g divides G = gcd of the norms over Z (g | N(g) | G), which is
    // 1 for almost every input after two coefficients; else the Gaussian gcd
    // runs on the coefficients reduced by the small G.
    mb G, n, t;
    for (std::size_t k = f.size(); k-- > 0 && !isOne(G);) {
        sqr(n, f[k].re);
        sqr(t, f[k].im);
        add(n, n, t);
        gcd(G, G, n);
    }
    GaussianInt g{G, mb()};
    for (std::size_t k = 0; k < f.size() && !isUnit(g); ++k)
        if (!isZero(f[k])) g = gcdG(f[k], g);
    if (!isUnit(g)) {
        ExactDivisor d(g);
        GaussianInt q;
        for (auto& c : f) {
            d.divide(q, c);
            std::swap(c, q);
        }
    }
    int const k = canonicalTurn(f.back());
    if (k)
        for (auto& c : f) rotate(c, k);
}

GaussianPoly derivative(GaussianPoly const& f) {
    GaussianPoly d(f.size() > 1 ? f.size() - 1 : 0);
    for (std::size_t k = 1; k < f.size(); ++k) {
        mul(d[k - 1].re, f[k].re, i64(k));
        mul(d[k - 1].im, f[k].im, i64(k));
    }
    return d;
}

// q = f / h exactly (h primitive, of degree <= f's); false when h does not divide f
// or the search is cancelled.
bool divideExact(GaussianPoly const& f, GaussianPoly const& h, GaussianPoly& q) {
    i32 const dh = degree(h), dq = degree(f) - dh;
    GaussianPoly r = f;
    q.assign(std::size_t(dq + 1), GaussianInt{});
    ExactDivisor lead(h.back());
    GaussianInt prod;
    mb t;
    for (i32 k = dq; k >= 0; --k) {
        if ((k & 15) == 0 && searchCancelled()) return false;
        if (!lead.divide(q[k], r[k + dh])) return false;
        if (isZero(q[k])) continue;
        for (i32 j = 0; j < dh; ++j) {
            mulG(prod, q[k], h[j], t);
            sub(r[k + j].re, r[k + j].re, prod.re);
            sub(r[k + j].im, r[k + j].im, prod.im);
        }
    }
    for (i32 j = 0; j < dh; ++j)
        if (!isZero(r[j])) return false;
    return true;
}

// ---- arithmetic modulo a word prime p = 1 (mod 4), p < 2^31 -------------------------
using Residues = std::vector<u32>;  // [k] of x^k; no leading zero

struct Modulus {
    u32 p = 0;
    u32 r = 0;      // r^2 = -1 (mod p)
    u64 inv = 0;    // floor((2^64 - 1) / p), for reduction without division

    // x mod p for x < 2^63: the estimate of x / p from inv is short by at most 2.
    u32 reduce(u64 x) const {
        u64 const q = u64((u128(x) * inv) >> 64);
        u64 t = x - q * p;
        while (t >= p) t -= p;
        return u32(t);
    }
    u32 mul(u32 a, u32 b) const { return reduce(u64(a) * b); }
    u32 add(u32 a, u32 b) const { u32 s = a + b; return s >= p ? s - p : s; }
    u32 sub(u32 a, u32 b) const { return a >= b ? a - b : a + (p - b); }
    u32 pow(u32 a, u32 e) const {
        u32 s = 1;
        for (; e; e >>= 1, a = mul(a, a))
            if (e & 1) s = mul(s, a);
        return s;
    }
    // a^-1 for a < p (0 for 0), by Euclid's algorithm: a few dozen steps where
    // a^(p - 2) takes some sixty products.
    u32 invert(u32 a) const {
        i64 t = 0, nextT = 1;
        u32 rest = p, nextRest = a;
        while (nextRest != 0) {
            u32 const q = rest / nextRest;
            t = std::exchange(nextT, t - i64(q) * nextT);
            rest = std::exchange(nextRest, rest - q * nextRest);
        }
        return u32(t < 0 ? t + i64(p) : t);
    }
    u32 of(mb const& x) const {
        u32 rem = 0;
        for (i32 k = std::abs(x.size) - 1; k >= 0; --k) rem = reduce((u64(rem) << 32) | x.words[k]);
        return x.size < 0 && rem ? p - rem : rem;
    }
    // a + b s mod p, s the image of i.
    u32 of(GaussianInt const& a, u32 s) const { return add(of(a.re), mul(of(a.im), s)); }
};

// Miller-Rabin with the bases 2, 7, 61, exact below 4759123141.
bool isPrimeWord(u32 n) {
    if (n < 2 || n % 2 == 0) return n == 2;
    u32 d = n - 1;
    int s = 0;
    for (; d % 2 == 0; d /= 2) ++s;
    for (u64 a : {2u, 7u, 61u}) {
        if (a % n == 0) continue;
        u64 x = 1, b = a % n;
        for (u32 e = d; e; e >>= 1, b = b * b % n)
            if (e & 1) x = x * b % n;
        if (x == 1 || x == n - 1) continue;
        bool composite = true;
        for (int k = 1; k < s && composite; ++k) {
            x = x * x % n;
            if (x == n - 1) composite = false;
        }
        if (composite) return false;
    }
    return true;
}

// The primes p = 1 (mod 4) below 2^31, from the top.
class PrimeSource {
public:
    Modulus next() {
        // Every test starts from the top, and one prime almost always settles
        // it: the first few are found once per process (then only read).
        static std::array<Modulus, 4> const first = [] {
            std::array<Modulus, 4> t;
            PrimeSource s;
            for (auto& m : t) m = s.search();
            return t;
        }();
        if (taken_ < first.size()) {
            candidate_ = first[taken_].p;
            return first[taken_++];
        }
        return search();
    }

private:
    Modulus search() {
        do
            candidate_ -= 4;
        while (!isPrimeWord(candidate_));
        Modulus m;
        m.p = candidate_;
        m.inv = ~u64(0) / m.p;
        // g^((p-1)/4) for a non-residue g is a square root of -1.
        for (u32 g = 2;; ++g) {
            m.r = m.pow(g, (m.p - 1) / 4);
            if (m.mul(m.r, m.r) == m.p - 1) break;
        }
        return m;
    }

    u32 candidate_ = 2147483649u;  // 2^31 + 1; the first candidate is 2^31 - 3
    std::size_t taken_ = 0;        // of the first
};

// The images of f under i -> r and, when minus is given, i -> -r.
Residues image(GaussianPoly const& f, Modulus const& m, Residues* minus = nullptr) {
    Residues a(f.size());
    if (minus) minus->resize(f.size());
    for (std::size_t k = 0; k < f.size(); ++k) {
        u32 const re = m.of(f[k].re), imr = m.mul(m.of(f[k].im), m.r);
        a[k] = m.add(re, imr);
        if (minus) (*minus)[k] = m.sub(re, imr);
    }
    return a;
}

void trim(Residues& a) {
    while (!a.empty() && a.back() == 0) a.pop_back();
}

// a = a mod b (b nonzero, no leading zero).
void remainder(Residues& a, Residues const& b, Modulus const& m) {
    std::size_t const db = b.size() - 1;
    u32 const inv = m.invert(b.back());
    for (std::size_t k = a.size(); k-- > db;) {
        u32 const q = m.mul(a[k], inv);
        if (!q) continue;
        u64 const minusQ = m.p - q;
        u32* const row = a.data() + (k - db);
        // row - q b as row + (p - q) b < 2^63: one reduction per term
        for (std::size_t j = 0; j < db; ++j) row[j] = m.reduce(row[j] + minusQ * b[j]);
    }
    a.resize(std::min(a.size(), db));
    trim(a);
}

// a = the monic gcd of a and b (b is consumed); false when cancelled.
bool gcdMod(Residues& a, Residues& b, Modulus const& m) {
    trim(a);
    trim(b);
    while (!b.empty()) {
        remainder(a, b, m);
        std::swap(a, b);
        if (searchCancelled()) return false;
    }
    if (!a.empty()) {
        u32 const inv = m.invert(a.back());
        for (auto& c : a) c = m.mul(c, inv);
    }
    return true;
}

enum class Outcome { done, cancelled, refused };

// log2 of the 2-norm of f, from above.
double log2Norm(GaussianPoly const& f) {
    i32 bits = 0;
    for (auto const& c : f) bits = std::max({bits, NumBits(c.re), NumBits(c.im)});
    return bits + 0.5 + 0.5 * std::log2(double(f.size()));
}

// h = gcd(f, g), primitive with its leading coefficient in re > 0, im >= 0;
// fq = f / h, gq = g / h. f and g nonzero, f of degree >= 1.
Outcome gcdGaussian(GaussianPoly const& f, GaussianPoly const& g, GaussianPoly& h, GaussianPoly& fq,
                    GaussianPoly& gq) {
    auto coprime = [&] {
        h = {GaussianInt{mb(1), mb()}};
        fq = f;
        gq = g;
        return Outcome::done;
    };
    if (degree(g) == 0) return coprime();
    GaussianInt const gamma = gcdG(f.back(), g.back());
    // Each coefficient of gamma h / lc(h) is below 2^d |f|_2 (Landau-Mignotte, and
    // gamma | lc f), likewise for g: the residues determine it once the modulus
    // passes twice that.
    double const normBits = std::min(log2Norm(f), log2Norm(g));
    i32 best = std::min(degree(f), degree(g)) + 1;  // the least degree seen modulo a good prime
    std::vector<GaussianInt> acc;                   // the joined residues, in (-M/2, M/2]
    mb modulus, t, step;
    double checkBits = 0;  // no exact check below this size of the modulus
    PrimeSource primes;
    for (i32 tries = 0;; ++tries) {
        if (searchCancelled()) return Outcome::cancelled;
        // More primes than twice the bound needs: the degrees seen were all too high.
        if (tries > 2 * (normBits + best) / 30 + 8) return Outcome::refused;
        Modulus const m = primes.next();
        u32 const s[2] = {m.r, m.p - m.r};
        Residues hs[2], gs[2];
        hs[0] = image(f, m, &hs[1]);
        gs[0] = image(g, m, &gs[1]);
        bool good = true;
        for (int k = 0; k < 2 && good; ++k) {
            good = hs[k].back() != 0 && gs[k].back() != 0;  // both degrees kept
            if (good && !gcdMod(hs[k], gs[k], m)) return Outcome::cancelled;
        }
        if (!good) continue;
        i32 const d0 = i32(hs[0].size()) - 1, d1 = i32(hs[1].size()) - 1;
        if (d0 == 0 || d1 == 0) return coprime();
        i32 const d = std::min(d0, d1);
        if (d < best) {
            best = d;
            acc.clear();
        }
        if (d0 != d1 || d > best) continue;  // an unlucky image
        // gamma times each monic image, then a = (u + v) / 2, b = (u - v) / (2 r).
        u32 const g0 = m.of(gamma, s[0]), g1 = m.of(gamma, s[1]);
        u32 const half = (m.p + 1) / 2, halfOverR = m.mul(half, m.invert(m.r));
        bool const first = acc.empty();
        if (first) {
            acc.assign(std::size_t(d + 1), GaussianInt{});
            modulus = mb(1);
        }
        u32 const modInv = m.invert(m.of(modulus));
        bool stable = !first;
        for (i32 j = 0; j <= d; ++j) {
            u32 const u = m.mul(g0, hs[0][j]), v = m.mul(g1, hs[1][j]);
            u32 const res[2] = {m.mul(m.add(u, v), half), m.mul(m.sub(u, v), halfOverR)};
            mb* const parts[2] = {&acc[j].re, &acc[j].im};
            for (int k = 0; k < 2; ++k) {
                // x + M t with t = (res - x) / M mod p in (-p/2, p/2)
                u32 const tm = m.mul(m.sub(res[k], m.of(*parts[k])), modInv);
                if (!tm) continue;
                stable = false;
                i64 const ts = tm > m.p / 2 ? i64(tm) - i64(m.p) : i64(tm);
                mul(step, modulus, ts);
                add(*parts[k], *parts[k], step);
            }
        }
        mul(modulus, modulus, i64(m.p));
        double const bits = NumBits(modulus);
        bool const enough = bits > normBits + best + 2;
        if ((stable || enough) && bits >= checkBits) {
            GaussianPoly candidate(acc.begin(), acc.end());
            makePrimitive(candidate);
            if (divideExact(f, candidate, fq) && divideExact(g, candidate, gq)) {
                h = std::move(candidate);
                return Outcome::done;
            }
            if (searchCancelled()) return Outcome::cancelled;
            checkBits = 2 * bits;  // a failed check is rare: wait for twice the modulus
        }
    }
}

}  // namespace

bool squareFreeDecomposition(GaussianPoly const& p, std::vector<SquareFreeFactor>& out) {
    out.clear();
    GaussianPoly f = p;
    trim(f);
    std::size_t zeros = 0;
    while (zeros < f.size() && isZero(f[zeros])) ++zeros;
    f.erase(f.begin(), f.begin() + std::ptrdiff_t(zeros));
    makePrimitive(f);
    auto finish = [&] {
        // The zero roots join the factor of their multiplicity (x is prime to the rest).
        if (zeros == 0) return true;
        auto it = std::find_if(out.begin(), out.end(),
                               [&](SquareFreeFactor const& q) { return q.multiplicity >= int(zeros); });
        if (it != out.end() && it->multiplicity == int(zeros))
            it->factor.insert(it->factor.begin(), GaussianInt{});
        else
            out.insert(it, SquareFreeFactor{{GaussianInt{}, GaussianInt{mb(1), mb()}}, int(zeros)});
        return true;
    };
    if (degree(f) <= 0) return finish();
    if (degree(f) == 1) {
        out.push_back({f, 1});
        return finish();
    }
    GaussianPoly const df = derivative(f);
    // The common case: a gcd of degree 0 modulo one prime that keeps the degree
    // proves f square-free.
    {
        PrimeSource primes;
        Modulus m;
        Residues a;
        do {
            m = primes.next();
            a = image(f, m);
        } while (a.back() == 0);
        Residues b = image(df, m);
        if (!gcdMod(a, b, m)) return false;
        if (a.size() == 1) {
            out.push_back({f, 1});
            return finish();
        }
    }
    double const n = degree(f), bits = log2Norm(f) + 64;
    if (n * n * bits * bits > squareFreeWorkLimit) return false;

    // Yun: with a_0 = gcd(f, f'), b_1 = f / a_0, c_1 = f' / a_0 and d_k = c_k - b_k',
    // a_k = gcd(b_k, d_k) is the product of the roots of multiplicity exactly k,
    // b_{k+1} = b_k / a_k and c_{k+1} = d_k / a_k. Dividing b and c by the same
    // primitive a keeps them in Z[i][x] and their difference exact.
    GaussianPoly a, b, c;
    Outcome o = gcdGaussian(f, df, a, b, c);
    if (o == Outcome::done && degree(a) == 0) {
        out.push_back({f, 1});
        return finish();
    }
    for (int k = 1; o == Outcome::done && degree(b) > 0; ++k) {
        GaussianPoly d = derivative(b);
        d.resize(std::max(d.size(), c.size()));
        for (std::size_t j = 0; j < c.size(); ++j) {
            sub(d[j].re, c[j].re, d[j].re);
            sub(d[j].im, c[j].im, d[j].im);
        }
        for (std::size_t j = c.size(); j < d.size(); ++j) {
            d[j].re = -d[j].re;
            d[j].im = -d[j].im;
        }
        trim(d);
        if (d.empty()) {  // gcd(b, 0) = b: the rest has multiplicity k
            makePrimitive(b);
            out.push_back({std::move(b), k});
            break;
        }
        GaussianPoly ak, bk, ck;
        o = gcdGaussian(b, d, ak, bk, ck);
        if (o != Outcome::done) break;
        if (degree(ak) > 0) out.push_back({std::move(ak), k});
        b = std::move(bk);
        c = std::move(ck);
    }
    if (o != Outcome::done || searchCancelled()) {
        out.clear();
        return false;
    }
    return finish();
}

}  // namespace korvel::detail
