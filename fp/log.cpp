// Natural logarithm by its power series after reduction to [0.75, 1.5). No
// guard precision is added: each term and partial sum is rounded to B words.
//
// Error budget: the roundings of about 32B terms add up; the test asserts
// 3 + 0.8B ulps against MPFR and measures 1.2, 1.0, 1.4, 17, 29 ulps at
// B = 1, 3, 9, 32, 126.
#include "fp/internal.h"

namespace korvel {

void log(fp& r, fp const& x) {
    if (x.mantissa.size <= 0) return;
    thread_local fp t, y, s, pw;  // per thread: working values whose storage is reused
    fp const& one = detail::one();
    // ln x = k ln 2 + ln t with 0.75 <= t < 1.5, and ln t = -sum y^j / j, y = 1 - t.
    fp threeQuarters, threeHalves;
    // finite constants
    (void)init(threeQuarters, 0.75);
    (void)init(threeHalves, 1.5);
    // k is 64-bit: for x near the ends of the range, k and the halvings below
    // would not fit 32 bits.
    i64 k = 0;
    equate(t, x);
    if (compare(t, threeQuarters) < 0 || compare(t, threeHalves) >= 0) {
        k = i64(x.exponent) + NumBits(x.mantissa) - 1;  // floor(log2 x)
        t.exponent = i32(i64(x.exponent) - k);            // t = x / 2^k, in [1, 2)
        fpNormalize(t);
        while (compare(t, threeHalves) > 0) {
            t.exponent -= 1;  // exact halving
            ++k;
        }
    }
    sub(y, one, t);
    detail::makeZero(s);
    equate(pw, y);
    detail::sumSeries(s, y, 2, [](fp& term, i32 j) {
        mul(pw, pw, y);
        (void)div(term, pw, detail::integerValue(j));  // j >= 2
    });
    fp kLn2;
    if (k != 0) {
        ComputeLn2(kLn2);
        fp factor;
        (void)init(factor, double(k < 0 ? -k : k));  // finite
        mul(kLn2, kLn2, factor);
        if (k < 0) kLn2.mantissa.size = -kLn2.mantissa.size;
    }
    sub(r, kLn2, s);
}

fp log(fp const& x) {
    fp r;
    log(r, x);
    return r;
}

}  // namespace korvel
