// RAII holder for GMP's mpz_t, for tests and benchmarks of any layer.
#pragma once

#include <gmp.h>

namespace korvel::testing {

struct Mpz {
    mpz_t v;
    Mpz() { mpz_init(v); }
    Mpz(Mpz const&) = delete;
    Mpz& operator=(Mpz const&) = delete;
    ~Mpz() { mpz_clear(v); }
    operator mpz_ptr() { return v; }
    operator mpz_srcptr() const { return v; }
};

}  // namespace korvel::testing
