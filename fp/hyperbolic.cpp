// Hyperbolic functions and their inverses: power series below 0.1, otherwise
// the exponential (two guard words) or the logarithm (one guard word), with
// the odd and even symmetries applied to |x|.
#include "fp/internal.h"

namespace korvel {

namespace {

constexpr i32 expGuard = 2;  // exp's error grows with |x|: (6 + B/5)(1 + |x|) units

bool atMostPointOne(fp const& a) {
    fp pointOne;
    (void)init(pointOne, 0.1);  // a finite constant
    return compare(a, pointOne) <= 0;
}

// For a > 0 at the working precision: e = e^a and its reciprocal; false when
// e^a overflows the exponent's range.
bool expPair(fp& e, fp& inverse, fp const& a) {
    OverflowWatch watch;
    exp(e, a);
    if (watch.overflowed()) return false;
    fp one;
    equate(one, 1);
    (void)div(inverse, one, e);  // e^a > 1 for a > 0
    return true;
}

constexpr i32 triplingBelowLg2 = 6;  // below 64 sinh triples a small angle's series

// s = sinh |x| at the working precision; false when it overflows.
//
// Below 64: sinh(3u) = sinh u (3 + 4 sinh^2 u) from u = a / 3^h of about
// 2^-sqrt(bits)/2. The steps add no cancellation; the relative error grows by
// at most 3 per step once sinh u > 1, a factor below a in all, which the guard
// words hold. Beyond, (e^a - e^-a) / 2.
bool sinhOfMagnitude(fp& s, fp const& a) {
    if (atMostPointOne(a)) {
        detail::oddTaylorSeries(s, a, true);
        return true;
    }
    if (Lg2(a) < triplingBelowLg2) {
        i32 target = 1;
        while (target * target <= 8 * blockPrec) ++target;  // sqrt(32 words) / 2
        i32 h = 0;
        u64 power = 1;
        while (Lg2(a) + 1 - 1.58496 * h > -target) ++h, power *= 3;
        fp u, s2, three;
        (void)div(u, a, detail::integerValue(i64(power)));  // power >= 1
        detail::oddTaylorSeries(s, u, true);
        equate(three, 3);
        for (i32 i = 0; i < h; ++i) {
            mul(s2, s, s);
            s2.exponent += 2;
            add(s2, s2, three);
            mul(s, s, s2);
        }
        return true;
    }
    fp e, inverse;
    if (!expPair(e, inverse, a)) return false;
    sub(s, e, inverse);
    s.exponent -= 1;
    return true;
}

}  // namespace

void sinh(fp& r, fp const& x) {
    if (detail::signOf(x) == 0) {
        detail::makeZero(r);
        return;
    }
    i32 const sign = x.mantissa.size < 0 ? -1 : 1;
    fp s;
    bool fits;
    {
        ScopedBlockPrec guard(blockPrec + expGuard);
        fits = sinhOfMagnitude(s, abs(x));
    }
    if (!fits) {
        detail::saturate(r, sign);
        return;
    }
    if (sign < 0) detail::negate(s);
    detail::roundInto(r, s);
}

fp sinh(fp const& x) { fp r; sinh(r, x); return r; }

void cosh(fp& r, fp const& x) {
    fp c, inverse;
    bool fits;
    {
        ScopedBlockPrec guard(blockPrec + expGuard);
        fits = expPair(c, inverse, abs(x));
        add(c, c, inverse);
        c.exponent -= 1;
    }
    if (!fits) {
        detail::saturate(r, 1);
        return;
    }
    detail::roundInto(r, c);
}

fp cosh(fp const& x) { fp r; cosh(r, x); return r; }

void tanh(fp& r, fp const& x) {
    if (detail::signOf(x) == 0) {
        detail::makeZero(r);
        return;
    }
    // 1 - tanh a < 2 e^(-2a), below half an ulp of 1 beyond (32B + 2) ln 2 / 2.
    fp a = abs(x), limit, t;
    (void)init(limit, double(32 * i64(blockPrec) + 2) * 0.34657359027997264);  // finite
    if (compare(a, limit) > 0) {
        equate(t, 1);
    } else {
        // tanh a = sinh a / sqrt(1 + sinh^2 a)
        ScopedBlockPrec guard(blockPrec + expGuard);
        fp c, one;
        equate(one, 1);
        sinhOfMagnitude(t, a);
        mul(c, t, t);
        add(c, c, one);
        sqrt(c, c);
        (void)div(t, t, c);  // c >= 1
    }
    if (x.mantissa.size < 0) detail::negate(t);
    detail::roundInto(r, t);
}

fp tanh(fp const& x) { fp r; tanh(r, x); return r; }

namespace {

// Above this the square in log(a + sqrt(a^2 + 1)) is avoided: ln(2a) is exact to B.
bool beyondMax(fp const& a) {
    thread_local fp const max("1e30000");  // read once per thread
    return compare(a, max) > 0;
}

// s = ln(2a) = ln a + ln 2 at the working precision.
void logOfDouble(fp& s, fp const& a) {
    fp ln2;
    log(s, a);
    ComputeLn2(ln2);
    add(s, s, ln2);
}

// s = asinh a for a >= 0 at the working precision.
void asinhOfMagnitude(fp& s, fp const& a) {
    if (atMostPointOne(a)) {
        // a * sum over k even of term, term_k = -term_(k-2) a^2 (k - 1)^2 / (k (k + 1))
        fp m;
        mul(m, a, a);
        detail::negate(m);
        fp one;
        equate(one, 1);
        detail::makeZero(s);
        detail::sumSeries(s, one, 1, [&m](fp& term, i32 j) {
            i64 const k = 2 * i64(j);
            mul(term, term, m);
            mul(term, term, detail::integerValue((k - 1) * (k - 1)));
            (void)div(term, term, detail::integerValue(k * (k + 1)));  // k >= 1
        });
        mul(s, s, a);
    } else if (beyondMax(a)) {
        logOfDouble(s, a);
    } else {
        fp t, one;
        equate(one, 1);
        mul(t, a, a);
        add(t, t, one);
        sqrt(t, t);
        add(t, t, a);
        log(s, t);
    }
}

}  // namespace

void asinh(fp& r, fp const& x) {
    fp s;
    {
        ScopedBlockPrec guard(blockPrec + 1);
        asinhOfMagnitude(s, abs(x));
    }
    if (x.mantissa.size < 0) detail::negate(s);
    detail::roundInto(r, s);
}

fp asinh(fp const& x) { fp r; asinh(r, x); return r; }

void acosh(fp& r, fp const& x) {
    fp one, two, s;
    equate(one, 1);
    equate(two, 2);
    i32 const relation = compare(x, one);
    if (relation < 0) return;
    if (relation == 0) {
        detail::makeZero(r);
        return;
    }
    {
        ScopedBlockPrec guard(blockPrec + 1);
        if (beyondMax(x)) {
            logOfDouble(s, x);
        } else if (compare(x, two) <= 0) {
            // acosh x = 2 asinh sqrt((x - 1)/2): nothing cancels near 1
            sub(s, x, one);
            s.exponent -= 1;
            fp u;
            sqrt(u, s);
            asinhOfMagnitude(s, u);
            s.exponent += 1;
        } else {
            fp t;
            sub(s, x, one);
            add(t, x, one);
            mul(s, s, t);
            sqrt(s, s);
            add(s, s, x);
            log(s, s);
        }
    }
    detail::roundInto(r, s);
}

fp acosh(fp const& x) { fp r; acosh(r, x); return r; }

void atanh(fp& r, fp const& x) {
    fp a = abs(x), one, s;
    equate(one, 1);
    if (compare(a, one) >= 0) return;
    {
        ScopedBlockPrec guard(blockPrec + 1);
        fp pointOne;
        (void)init(pointOne, 0.1);  // a finite constant
        if (compare(a, pointOne) < 0) {
            // a * sum over j of a^(2j) / (2j + 1)
            fp a2, p;
            mul(a2, a, a);
            equate(p, one);
            detail::makeZero(s);
            detail::sumSeries(s, one, 1, [&p, &a2](fp& term, i32 j) {
                mul(p, p, a2);
                (void)div(term, p, detail::integerValue(2 * i64(j) + 1));  // 2j + 1 >= 3
            });
            mul(s, s, a);
        } else {
            // atanh a = ln((1 + a) / (1 - a)) / 2
            fp t;
            add(s, one, a);
            sub(t, one, a);
            (void)div(s, s, t);  // 1 - a > 0 for |a| < 1
            log(s, s);
            s.exponent -= 1;
        }
    }
    if (x.mantissa.size < 0) detail::negate(s);
    detail::roundInto(r, s);
}

fp atanh(fp const& x) { fp r; atanh(r, x); return r; }

}  // namespace korvel
