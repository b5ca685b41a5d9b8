// Spouge's approximation for large arguments:
//   Gamma(z + 1) = (z + a)^(z + 1/2) e^-(z + a) (sqrt(2 pi) + sum over k < a of c_k / (z + k)),
//   c_k = (-1)^(k-1) (a - k)^(k - 1/2) e^(a - k) / (k - 1)!,
// with a relative error below a^(-1/2) (2 pi)^-(a + 1/2).
#include <cmath>
#include <vector>

#include "fp/internal.h"
#include <korvel/special.h>

namespace korvel {

namespace {

// The parameter that makes the error bound fall below half an ulp of B words:
// (2 pi)^-a < 10^-(digits of B words + 3).
i32 spougeParameter(i32 B) {
    double const digits = 32.0 * B * 0.30102999566398120 + 3.0;
    return i32(std::ceil(digits * 659.0 / 526.0));
}

// The coefficients c_1 .. c_(a-1) at W words. They depend only on a and W, so
// each thread keeps the last set it computed.
struct SpougeCoefficients {
    i32 a = 0, W = 0;
    std::vector<fp> c;
};

std::vector<fp> const& coefficients(i32 a) {
    thread_local SpougeCoefficients cache;
    if (cache.a == a && cache.W == blockPrec) return cache.c;
    cache.a = a;
    cache.W = blockPrec;
    cache.c.assign(std::size_t(a), fp());
    fp e, ea, factorial, u, t, root;
    ComputeE(e);
    equate(ea, a - 1);
    exp(ea, ea);  // e^(a - k), divided by e at each step
    equate(factorial, 1);
    // u = a - k >= 1, its root, the factorial and e are positive: nothing here fails.
    for (i32 k = 1; k < a; ++k) {
        equate(u, a - k);
        (void)pow(t, u, k);
        sqrt(root, u);
        (void)div(t, t, root);  // (a - k)^(k - 1/2)
        mul(t, t, ea);
        (void)div(t, t, factorial);
        if (k % 2 == 0) t.mantissa.size = -t.mantissa.size;
        cache.c[std::size_t(k)] = t;
        (void)div(ea, ea, e);
        equate(u, k);
        mul(factorial, factorial, u);
    }
    return cache.c;
}

}  // namespace

fp GammaSum(fp const& z, i32 a) {
    // The terms alternate and reach about 2^(2a) times the sum: 2a bits and a
    // word above B keep the cancellation out of the result.
    ScopedBlockPrec working(blockPrec + (2 * a + 31) / 32 + 1);
    fp S, t, zk;
    ComputePi(S);
    S.exponent += 1;
    sqrt(S, S);
    std::vector<fp> const& c = coefficients(a);
    for (i32 k = 1; k < a; ++k) {
        equate(t, k);
        add(zk, z, t);
        (void)div(t, c[std::size_t(k)], zk);  // z + k > 0 here
        add(S, S, t);
    }
    return S;
}

void GammaSpouge(fp& r, fp const& x) {
    i32 const B = blockPrec;
    i32 const a = spougeParameter(B);
    fp z, one, power, t, S;
    equate(one, 1);
    bool overflows;
    {
        // (z + a)^(z + 1/2) e^-(z + a) as one exponential. Its argument reaches
        // 2^31 and exp's error grows with it: three guard words.
        ScopedBlockPrec guard(B + 3);
        sub(z, x, one);
        equate(t, a);
        add(t, t, z);  // z + a
        log(power, t);
        fp half;
        power2(half, -1);
        add(half, half, z);  // z + 1/2
        mul(power, power, half);
        sub(power, power, t);
        OverflowWatch watch;
        exp(power, power);
        overflows = watch.overflowed();
    }
    if (overflows) {
        detail::saturate(r, 1);  // at once, at B words: the sum is not needed
        return;
    }
    S = GammaSum(z, a);
    {
        ScopedBlockPrec guard(B + 1);
        mul(S, S, power);
    }
    equate(r, S);
    fpNormalize(r);
}

fp GammaSpouge(fp const& x) { fp r; GammaSpouge(r, x); return r; }

}  // namespace korvel
