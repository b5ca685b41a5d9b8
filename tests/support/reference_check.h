// Helpers for tests of fp functions against MPFR: values back from MPFR,
// errors in units of the last place, and printable arguments.
#pragma once

#include <cstdlib>
#include <string>

#include "mp_bridge.h"

namespace korvel::testing {

// out = v exactly (v finite), with no rounding: its mantissa has as many words
// as v's precision needs.
inline void fromMpfr(fp& out, mpfr_srcptr v) {
    if (mpfr_zero_p(v)) {
        out = fp();
        return;
    }
    Mpz m;
    mpfr_exp_t const e = mpfr_get_z_2exp(m, v);
    fromMpz(out.mantissa, m);
    out.exponent = i32(e);
}

// |ours - reference| in units of 2^(floor(log2 |reference|) - 32B + 1).
inline double ulpError(fp const& ours, mpfr_srcptr reference, i32 B) {
    Mpfr o(32 * B + 64), d(32 * B + 96);
    toMpfr(o, ours);
    mpfr_sub(d, o, reference, MPFR_RNDN);
    return inUlps(d, reference, B);
}

inline std::string show(fp const& x) { return toString(x, 25); }

// The largest error seen and where, to print when a bound fails.
struct Worst {
    double ulps = 0;
    std::string where;
    void see(double u, std::string const& w) {
        if (u > ulps) ulps = u, where = w;
    }
};

// n + sign 2^-k rounded to the working precision: the hard neighbours of an
// integer.
inline fp nearInteger(i32 n, i32 sign, i32 k) {
    fp r = fp(double(n)), d = power2(-k);
    if (sign < 0) sub(r, r, d); else add(r, r, d);
    return r;
}

inline fp negated(fp x) {
    x.mantissa.size = -x.mantissa.size;
    return x;
}

}  // namespace korvel::testing
