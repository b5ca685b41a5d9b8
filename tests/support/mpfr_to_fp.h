// MPFR numbers back to fp, for reference arguments built in MPFR.
#pragma once

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

}  // namespace korvel::testing
