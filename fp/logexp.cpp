// Natural logarithm and exponential by their power series, with ln 2 and e
// cached per precision. No guard precision is added: each series term and each
// partial sum is rounded to B words.
#include "fp/internal.h"

namespace korvel {

namespace {

// Sums a series at the working precision until a term no longer changes the sum.
// next(term, j) turns term j - 1 into term j.
template <class Next>
void sumSeries(fp& s, fp const& first, i32 firstIndex, Next next) {
    static fp term, s1;
    equateWithCare(term, first);
    for (i32 j = firstIndex;; ++j) {
        add(s1, s, term);
        if (compare(s1, s) == 0) break;
        equateWithCare(s, s1);
        next(term, j);
    }
}

fp& integerValue(i32 j) {
    static fp v;
    equate(v, j);
    return v;
}

// A constant computed at the highest precision asked for so far; a lower
// precision gets that value rounded.
template <class Compute>
void cachedConstant(fp& r, detail::CachedConstant& cache, Compute compute) {
    if (blockPrec > cache.blockPrecCurr) {
        cache.blockPrecCurr = blockPrec;
        ++cache.computations;
        compute(cache.value);
    }
    equate(r, cache.value);
    fpNormalize(r);
}

}  // namespace

detail::CachedConstant& detail::ln2Cache() {
    static CachedConstant Ln2;
    return Ln2;
}

detail::CachedConstant& detail::eCache() {
    static CachedConstant e;
    return e;
}

void ComputeLn2(fp& r) {
    cachedConstant(r, detail::ln2Cache(), [](fp& out) {
        // ln 2 = sum over j >= 1 of 2^-j / j
        static fp pw;
        fp half;
        power2(half, -1);
        equate(pw, half);
        detail::makeZero(out);
        sumSeries(out, half, 2, [&](fp& term, i32 j) {
            mul(pw, pw, half);
            div(term, pw, integerValue(j));
        });
    });
}

void ComputeE(fp& r) {
    cachedConstant(r, detail::eCache(), [](fp& out) {
        // e = 1 + sum over j >= 1 of 1/j!
        fp one;
        init(one, 1);
        equate(out, one);
        sumSeries(out, one, 2, [](fp& term, i32 j) { div(term, term, integerValue(j)); });
    });
}

void log(fp& r, fp const& x) {
    if (x.mantissa.size <= 0) return;
    static fp one, t, y, s, pw;
    static bool const initGood = init(one, 1) != 0;
    (void)initGood;
    // ln x = k ln 2 + ln t with 0.75 <= t < 1.5, and ln t = -sum y^j / j, y = 1 - t.
    fp threeQuarters, threeHalves;
    init(threeQuarters, 0.75);
    init(threeHalves, 1.5);
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
    sumSeries(s, y, 2, [](fp& term, i32 j) {
        mul(pw, pw, y);
        div(term, pw, integerValue(j));
    });
    fp kLn2;
    if (k != 0) {
        ComputeLn2(kLn2);
        fp factor;
        init(factor, double(k < 0 ? -k : k));
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

void exp(fp& r, fp const& x) {
    // Beyond 2^31 in magnitude the result is far outside the exponent's range:
    // it saturates with the overflow flag, or underflows to zero. Tiny arguments
    // give exactly 1, the correctly rounded value.
    i32 const lg = Lg2(x);
    if (x.mantissa.size != 0 && lg < -1481763716) {
        equate(r, 1);
        return;
    }
    if (lg >= 31) {
        if (x.mantissa.size < 0) {
            detail::makeZero(r);
        } else {
            detail::saturate(r, 1);
        }
        return;
    }
    static fp f, g, p, e, s;
    floor(f, x);
    sub(g, x, f);
    i32 const n = to_long(f);
    ComputeE(e);
    power(p, e, n);
    fp one;
    init(one, 1);
    detail::makeZero(s);
    sumSeries(s, one, 1, [](fp& term, i32 j) {
        mul(term, term, g);
        div(term, term, integerValue(j));
    });
    mul(r, s, p);
}

fp exp(fp const& x) {
    fp r;
    exp(r, x);
    return r;
}

}  // namespace korvel
