// fpComplex values as MPC numbers, for reference tests and benchmarks.
#pragma once

#include <mpc.h>

#include <string>

#include <korvel/complex.h>
#include "mp_bridge.h"

namespace korvel::testing {

struct Mpc {
    mpc_t v;
    explicit Mpc(mpfr_prec_t bits) { mpc_init2(v, bits); }
    Mpc(Mpc const&) = delete;
    Mpc& operator=(Mpc const&) = delete;
    ~Mpc() { mpc_clear(v); }
    operator mpc_ptr() { return v; }
};

// out = z exactly; out needs at least 32 * (length of each part) bits.
inline void toMpc(mpc_ptr out, fpComplex const& z) {
    toMpfr(mpc_realref(out), z.re);
    toMpfr(mpc_imagref(out), z.im);
}

inline std::string show(fpComplex const& z) { return toString(z, 25); }

// max(|re - ref.re|, |im - ref.im|) in units of the last place of B words of
// the larger part of the reference.
inline double normwiseUlps(fpComplex const& ours, mpc_ptr ref, i32 B) {
    Mpfr d(32 * B + 96), e(32 * B + 96), a(32 * B + 96);
    toMpfr(d, ours.re);
    mpfr_sub(d, d, mpc_realref(ref), MPFR_RNDN);
    toMpfr(e, ours.im);
    mpfr_sub(e, e, mpc_imagref(ref), MPFR_RNDN);
    mpfr_abs(d, d, MPFR_RNDN);
    mpfr_abs(e, e, MPFR_RNDN);
    mpfr_max(d, d, e, MPFR_RNDN);
    mpfr_abs(a, mpc_realref(ref), MPFR_RNDN);
    mpfr_abs(e, mpc_imagref(ref), MPFR_RNDN);
    mpfr_max(a, a, e, MPFR_RNDN);
    return inUlps(d, a, B);
}

}  // namespace korvel::testing
