// The constants ln 2, e, pi and ln 10, each cached at the highest precision
// asked for so far (see detail::cachedConstant).
#include "fp/internal.h"

namespace korvel {

fp& detail::integerValue(i64 j) {
    thread_local fp v;  // reused storage; the caller reads it before the next call
    equate(v, j);
    return v;
}

// Every constant is cached per thread, so that threads never share a value
// while one of them extends it.
fp const& detail::one() {
    thread_local fp const v = [] {
        fp t;
        init(t, 1);
        return t;
    }();
    return v;
}

detail::CachedConstant& detail::ln2Cache() {
    thread_local CachedConstant Ln2;
    return Ln2;
}

detail::CachedConstant& detail::eCache() {
    thread_local CachedConstant e;
    return e;
}

detail::CachedConstant& detail::piCache() {
    thread_local CachedConstant pi;
    return pi;
}

detail::CachedConstant& detail::ln10Cache() {
    thread_local CachedConstant LogOfTen;
    return LogOfTen;
}

void ComputeLn2(fp& r) {
    detail::cachedConstant(r, detail::ln2Cache(), [](fp& out) {
        // ln 2 = sum over j >= 1 of 2^-j / j
        thread_local fp pw;  // per thread: working storage reused between calls
        fp half;
        power2(half, -1);
        equate(pw, half);
        detail::makeZero(out);
        detail::sumSeries(out, half, 2, [&](fp& term, i32 j) {
            mul(pw, pw, half);
            (void)div(term, pw, detail::integerValue(j));  // j >= 2
        });
    });
}

void ComputeE(fp& r) {
    detail::cachedConstant(r, detail::eCache(), [](fp& out) {
        // e = 1 + sum over j >= 1 of 1/j!, summed one word above B as pi is:
        // at B itself the roundings of the terms and sums left e 12 ulps off
        // at B = 126.
        ScopedBlockPrec guard(blockPrec + 1);
        fp one;
        init(one, 1);
        equate(out, one);
        // j >= 2: no division by zero
        detail::sumSeries(out, one, 2, [](fp& term, i32 j) { (void)div(term, term, detail::integerValue(j)); });
    });
}

void ComputePi(fp& r) {
    detail::cachedConstant(r, detail::piCache(), [](fp& out) {
        // pi = sum over k >= 0 of 16^-k (120k^2 + 151k + 47) / ((8k+1)(2k+1)(8k+5)(4k+3)),
        // the four fractions 4/(8k+1) - 2/(8k+4) - 1/(8k+5) - 1/(8k+6) over one
        // denominator. Summed one word above B, so that the rounding by the cache
        // leaves half an ulp and a little.
        ScopedBlockPrec guard(blockPrec + 1);
        fp first, low, high;
        equate(first, 47);
        (void)div(first, first, detail::integerValue(15));  // 15 != 0
        detail::makeZero(out);
        detail::sumSeries(out, first, 1, [&](fp& term, i32 k) {
            u64 const K = u64(k);
            equate(term, (120 * K + 151) * K + 47);
            term.exponent = -4 * k;
            u64 const lowFactor = (8 * K + 1) * (2 * K + 1), highFactor = (8 * K + 5) * (4 * K + 3);
            if (k < 8192) {  // the whole denominator stays below 2^64
                (void)div(term, term, detail::integerValue(i64(lowFactor * highFactor)));  // non-zero divisors
            } else {
                equate(low, lowFactor);
                equate(high, highFactor);
                (void)div(term, term, low);
                (void)div(term, term, high);
            }
        });
    });
}

fp Pi() { fp r; ComputePi(r); return r; }

void ComputeLog_10(fp& r) {
    detail::cachedConstant(r, detail::ln10Cache(), [](fp& out) {
        // The logarithm's series rounds every term to its precision: one word
        // above B keeps ln 10 within half an ulp and a little.
        ScopedBlockPrec guard(blockPrec + 1);
        fp ten;
        equate(ten, 10);
        log(out, ten);
    });
}

}  // namespace korvel
