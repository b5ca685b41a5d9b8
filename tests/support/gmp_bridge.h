// Moving values between mb and GMP's mpz for differential tests.
#pragma once

#include <gmp.h>

#include <string>

#include <korvel/mb.h>
#include "mpz.h"

namespace korvel::testing {

inline void toMpz(mpz_t out, mb const& x) {
    int n = x.size < 0 ? -x.size : x.size;
    mpz_import(out, std::size_t(n), -1, sizeof(u32), 0, 0, x.words);
    if (x.size < 0) mpz_neg(out, out);
}

inline void fromMpz(mb& out, mpz_srcptr v) {
    std::size_t n = (mpz_sizeinbase(v, 2) + 31) / 32;
    if (mpz_sgn(v) == 0) n = 0;
    out = mb();
    out.size = i32(n);
    update(out);
    std::size_t written = 0;
    if (n != 0) mpz_export(out.words, &written, -1, sizeof(u32), 0, 0, v);
    if (mpz_sgn(v) < 0) out.size = -out.size;
}

inline bool sameValue(mb const& x, mpz_srcptr v) {
    Mpz t;
    toMpz(t, x);
    return mpz_cmp(t, v) == 0;
}

inline std::string decimal(mpz_srcptr v) {
    char* s = mpz_get_str(nullptr, 10, v);
    std::string r(s);
    void (*freeFn)(void*, std::size_t);
    mp_get_memory_functions(nullptr, nullptr, &freeFn);
    freeFn(s, r.size() + 1);
    return r;
}

inline std::string decimal(mb const& x) {
    Mpz t;
    toMpz(t, x);
    return decimal(t);
}

}  // namespace korvel::testing
