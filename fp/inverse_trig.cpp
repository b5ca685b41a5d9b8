// Arc tangent by angle halving and its power series, one word above B; atan2,
// asin and acos through it at one more word, with (1 - a)(1 + a) for 1 - a^2.
#include "fp/internal.h"

namespace korvel {

namespace {

// r = pi * 2^shift at the working precision.
void scaledPi(fp& r, i32 shift) {
    ComputePi(r);
    r.exponent += shift;
}

}  // namespace

void atan(fp& r, fp const& x) {
    if (detail::signOf(x) == 0) {
        detail::makeZero(r);
        return;
    }
    fp a = abs(x), sum, one;
    equate(one, 1);
    i32 const relation = compare(a, one);
    if (relation == 0) {
        scaledPi(r, -2);  // atan(+-1) = +-pi/4, exactly as Pi() gives it
        if (x.mantissa.size < 0) detail::negate(r);
        return;
    }
    {
        // Each halving and the series round to B + 1 words: a few units there,
        // far below an ulp of B.
        ScopedBlockPrec guard(blockPrec + 1);
        {
            if (relation > 0) (void)div(a, one, a);  // a > 1 here
            // atan a = 2 atan(a / (1 + sqrt(1 + a^2))): halve the angle down to 0.01,
            // and at long precisions on to about 2^-sqrt(bits / 24), where a
            // halving (a square root and a division) costs what the terms it saves do.
            fp pointZeroOne, t;
            (void)init(pointZeroOne, 0.01);  // a finite constant
            i32 target = 1;
            while (24 * target * target <= 32 * blockPrec) ++target;
            i32 count = 0;
            while (compare(a, pointZeroOne) > 0 || Lg2(a) >= -target) {
                mul(t, a, a);
                add(t, t, one);
                sqrt(t, t);
                add(t, t, one);
                (void)div(a, a, t);  // t >= 2
                ++count;
            }
            // atan a = sum over j >= 0 of (-1)^j a^(2j+1) / (2j + 1)
            fp p, m;
            equate(p, a);
            mul(m, a, a);
            detail::negate(m);
            detail::makeZero(sum);
            detail::sumSeries(sum, a, 1, [&p, &m](fp& term, i32 j) {
                mul(p, p, m);
                (void)div(term, p, detail::integerValue(2 * i64(j) + 1));  // 2j + 1 >= 3
            });
            sum.exponent += count;
            if (relation > 0) {
                fp halfPi;
                scaledPi(halfPi, -1);
                sub(sum, halfPi, sum);
            }
        }
    }
    if (x.mantissa.size < 0) detail::negate(sum);
    detail::roundInto(r, sum);
}

fp atan(fp const& x) { fp r; atan(r, x); return r; }

void atan2(fp& r, fp const& y, fp const& x) {
    i32 const sy = detail::signOf(y), sx = detail::signOf(x);
    if (sy == 0 && sx <= 0) {
        // atan2(0, 0) = 0, atan2(0, x < 0) = pi
        if (sx == 0)
            detail::makeZero(r);
        else
            ComputePi(r);
        return;
    }
    if (sy == 0) {
        detail::makeZero(r);
        return;
    }
    if (sx == 0) {
        scaledPi(r, -1);
        if (y.mantissa.size < 0) detail::negate(r);
        return;
    }
    fp t;
    {
        ScopedBlockPrec guard(blockPrec + 1);
        (void)div(t, y, x);  // x != 0: checked above
        t = abs(t);
        atan(t, t);
        if (x.mantissa.size < 0) {
            fp P;
            ComputePi(P);
            sub(t, P, t);
        }
        if (y.mantissa.size < 0) detail::negate(t);
    }
    detail::roundInto(r, t);
}

fp atan2(fp const& y, fp const& x) { fp r; atan2(r, y, x); return r; }

namespace {

// For 0 < a <= 1 at the working precision: s = sqrt((1 - a)(1 + a)); the
// factor 1 - a is exact, so nothing cancels near 1.
void complement(fp& s, fp const& a) {
    fp one, u;
    equate(one, 1);
    sub(s, one, a);
    add(u, one, a);
    mul(s, s, u);
    sqrt(s, s);
}

}  // namespace

void asin(fp& r, fp const& x) {
    if (detail::signOf(x) == 0) {
        detail::makeZero(r);
        return;
    }
    fp a = abs(x), one, t;
    equate(one, 1);
    i32 const relation = compare(a, one);
    if (relation > 0) return;
    if (relation == 0) {
        scaledPi(r, -1);
        if (x.mantissa.size < 0) detail::negate(r);
        return;
    }
    {
        ScopedBlockPrec guard(blockPrec + 1);
        complement(t, a);
        // t = sqrt(1 - a^2) > 0 for |a| < 1
        (void)div(t, a, t);
        atan(t, t);  // asin a = atan(a / sqrt(1 - a^2))
        if (x.mantissa.size < 0) detail::negate(t);
    }
    detail::roundInto(r, t);
}

fp asin(fp const& x) { fp r; asin(r, x); return r; }

void acos(fp& r, fp const& x) {
    if (detail::signOf(x) == 0) {
        scaledPi(r, -1);
        return;
    }
    fp a = abs(x), one, t;
    equate(one, 1);
    i32 const relation = compare(a, one);
    if (relation > 0) return;
    if (relation == 0) {  // acos 1 = 0, acos -1 = pi
        if (x.mantissa.size > 0)
            detail::makeZero(r);
        else
            ComputePi(r);
        return;
    }
    {
        ScopedBlockPrec guard(blockPrec + 1);
        complement(t, a);
        // a != 0: the zero case returned above
        (void)div(t, t, a);
        atan(t, t);  // acos a = atan(sqrt(1 - a^2) / a)
        if (x.mantissa.size < 0) {
            fp P;
            ComputePi(P);
            sub(t, P, t);
        }
    }
    detail::roundInto(r, t);
}

fp acos(fp const& x) { fp r; acos(r, x); return r; }

}  // namespace korvel
