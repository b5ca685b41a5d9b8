// fp values as exact GMP rationals and MPFR numbers, for reference tests.
#pragma once

#include <gmp.h>
#include <mpfr.h>

#include <korvel/fp.h>
#include "gmp_bridge.h"

namespace korvel::testing {

struct Mpq {
    mpq_t v;
    Mpq() { mpq_init(v); }
    Mpq(Mpq const&) = delete;
    Mpq& operator=(Mpq const&) = delete;
    ~Mpq() { mpq_clear(v); }
    operator mpq_ptr() { return v; }
    operator mpq_srcptr() const { return v; }
};

struct Mpfr {
    mpfr_t v;
    explicit Mpfr(mpfr_prec_t bits) { mpfr_init2(v, bits); }
    Mpfr(Mpfr const&) = delete;
    Mpfr& operator=(Mpfr const&) = delete;
    ~Mpfr() { mpfr_clear(v); }
    operator mpfr_ptr() { return v; }
    operator mpfr_srcptr() const { return v; }
};

// out = x exactly.
inline void toMpq(mpq_t out, fp const& x) {
    Mpz m;
    toMpz(m, x.mantissa);
    mpq_set_z(out, m);
    if (x.exponent >= 0)
        mpq_mul_2exp(out, out, mp_bitcnt_t(x.exponent));
    else
        mpq_div_2exp(out, out, mp_bitcnt_t(-(long long)x.exponent));
}

// out = x exactly; out must have at least 32 * |length| bits of precision.
inline void toMpfr(mpfr_t out, fp const& x) {
    Mpz m;
    toMpz(m, x.mantissa);
    mpfr_set_z_2exp(out, m, x.exponent, MPFR_RNDN);
}

// 2^e as a rational.
inline void powerOfTwo(mpq_t out, long long e) {
    mpq_set_ui(out, 1, 1);
    if (e >= 0)
        mpq_mul_2exp(out, out, mp_bitcnt_t(e));
    else
        mpq_div_2exp(out, out, mp_bitcnt_t(-e));
}

// |error| in units of the last place of B words at the magnitude of scale:
// 2^(floor(log2 |scale|) - 32B + 1). A zero scale counts any error as huge.
inline double inUlps(mpfr_ptr error, mpfr_srcptr scale, i32 B) {
    mpfr_abs(error, error, MPFR_RNDN);
    if (mpfr_zero_p(scale)) return mpfr_zero_p(error) ? 0.0 : 1e300;
    long const top = mpfr_get_exp(scale) - 1;
    mpfr_mul_2si(error, error, -(top - 32 * long(B) + 1), MPFR_RNDN);
    return mpfr_get_d(error, MPFR_RNDN);
}

}  // namespace korvel::testing
