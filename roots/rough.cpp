// Rough moduli and their error bound.
//
// Let R be the exact real value of a formula (a modulus, or the Horner sum of
// moduli behind the roundoff bound), over the same fp inputs. Every term of R
// passes through at most k rounded operations, each with a relative error of at
// most u, and all terms are positive, so both the rough value r and the fp value
// f lie within gamma_k(u) = k u / (1 - k u) of R (relative), with
//   u_d = 2^-52 for the doubles: a conversion rounds to 53 bits (<= 2^-53,
//         toDouble); each product, sum and root rounds once,
//         a square root halving the error of its argument; scaling by powers of
//         two is exact (an addend shifted into the subnormals loses less than
//         2^-1074 beside a partner of at least 1/2);
//   u_f = 2^(33 - 32B) for fp at B words: the kept B words have a non-zero top
//         word, so one unit of the last word is at most 2^(32 - 32B) of the
//         value; the short product errs by under (B + 1) 2^-32 of that unit plus
//         half a unit of rounding, a sum of positive values by a cut below the
//         window of 32B bits plus half a unit, a truncated root by one unit.
// Hence |r - f| <= (gamma_k(u_d) + gamma_k(u_f)) R
//              <= (gamma_k(u_d) + gamma_k(u_f)) / (1 - gamma_k(u_f)) f = delta f.
// roughCompare decides a below b when r_a < (1 - 3 delta) r_b, which forces
// f_a <= r_a / (1 - delta) < r_b (1 - 3 delta) / (1 - delta) <= r_b / (1 + delta) <= f_b
// for delta <= 1/10, and above symmetrically; the ratio r_a / r_b is formed with
// two roundings, covered by the extra 2^-50 of the margin.
#include "roots/rough.h"

#include <cmath>

namespace korvel::detail {

namespace {

Rough make(double m, i64 e) {
    if (m == 0) return {};
    int k = 0;
    double const f = std::frexp(m, &k);
    return {f, e + k};
}

// v / 2^E for v.e <= E, as a double (zero far below).
double scaled(Rough v, i64 E) { return v.e - E < -2000 ? 0.0 : std::ldexp(v.m, int(v.e - E)); }

}  // namespace

Rough rough(fp const& x) {
    i64 e = 0;
    double const m = toDouble(x, e);
    return {m < 0 ? -m : m, e};
}

Rough roughAbs(fpComplex const& z) {
    Rough const a = rough(z.re), b = rough(z.im);
    if (a.m == 0) return b;
    if (b.m == 0) return a;
    i64 const E = a.e > b.e ? a.e : b.e;
    double const x = scaled(a, E), y = scaled(b, E);
    return make(std::sqrt(x * x + y * y), E);  // the root of a value in [1/4, 2)
}

Rough roughMulAdd(Rough a, Rough b, Rough c) {
    if (a.m == 0 || b.m == 0) return c;
    Rough const p{a.m * b.m, a.e + b.e};  // m in [1/4, 1), exact exponent
    if (c.m == 0) return make(p.m, p.e);
    i64 const E = p.e > c.e ? p.e : c.e;
    return make(scaled(p, E) + scaled(c, E), E);
}

i32 roughCompare(Rough a, Rough b, double delta) {
    if (delta <= 0) return 0;
    if (a.m == 0 || b.m == 0) {
        if (a.m == 0 && b.m == 0) return 0;  // equal: the caller's exact rule decides
        return a.m == 0 ? -1 : 1;
    }
    i64 const d = a.e - b.e;
    if (d < -4) return -1;  // ratios below 1/8 or above 8
    if (d > 4) return 1;
    double const ratio = std::ldexp(a.m / b.m, int(d));
    double const margin = 3 * delta + std::ldexp(1.0, -50);
    if (ratio < 1 - margin) return -1;
    if (ratio > 1 + margin) return 1;
    return 0;
}

double roughDelta(i64 k, i32 B) {
    if (B < 3) return 0;
    double const ud = std::ldexp(1.0, -52), uf = std::ldexp(1.0, 33 - 32 * B);
    double const kd = double(k) * ud, kf = double(k) * uf;
    if (kd > 1e-6 || kf > 1e-6) return 0;
    // gamma_k(u) <= k u (1 + 2 k u) for k u <= 1/4; the doubles here round too,
    // hence the factor 1.01.
    double const gd = kd * (1 + 2 * kd), gf = kf * (1 + 2 * kf);
    return 1.01 * (gd + gf) / (1 - gf);
}

}  // namespace korvel::detail
