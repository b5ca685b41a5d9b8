// fpComplex values as MPC numbers, for reference tests and benchmarks.
#pragma once

#include <mpc.h>

#include "complex/complex.h"
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

}  // namespace korvel::testing
