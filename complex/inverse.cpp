// Inverse circular and hyperbolic functions. atan by its real and imaginary
// parts; asin and acos from the square roots of 1 - z and 1 + z, whose
// products have no cancelling terms; the hyperbolic ones by rotation.
#include "complex/internal.h"

namespace korvel {

namespace {

// (1 - y)(1 + y) - x^2 with 2B + 3 words: every product is exact, so the
// denominator of the real part keeps its digits when |z| is near 1.
fp oneMinusModulusSquared(fpComplex const& z) {
    ScopedBlockPrec wide(2 * blockPrec + 3);
    fp a = 1.0 - z.im, b = z.im + 1.0, d, x2;
    mul(d, a, b);
    mul(x2, z.re, z.re);
    sub(d, d, x2);
    return d;
}

// atan z for |z| below 2^(2^28), at the precision in force:
// re = atan2(2x, 1 - x^2 - y^2) / 2, im = atanh(2y / (1 + x^2 + y^2)) / 2, the
// latter as log((x^2 + (1 + y)^2) / (x^2 + (1 - y)^2)) / 4 when near +-i.
void atanModerate(fpComplex& v, fpComplex const& z) {
    fp twoX = z.re;
    twoX.exponent += 1;
    atan2(v.re, twoX, oneMinusModulusSquared(z));
    v.re.exponent -= 1;
    if (!z.im) {
        v.im = fp();
        return;
    }
    fp x2, y2, t;
    mul(x2, z.re, z.re);
    mul(y2, z.im, z.im);
    add(t, x2, y2);
    add(t, t, 1.0);
    (void)div(t, z.im, t);  // t >= 1
    t.exponent += 1;
    if (!t || Lg2(t) < -1) {
        atanh(v.im, t);
        v.im.exponent -= 1;
        return;
    }
    fp n = z.im + 1.0, d = 1.0 - z.im;
    mul(n, n, n);
    mul(d, d, d);
    add(n, n, x2);
    add(d, d, x2);
    log(v.im, n / d);
    v.im.exponent -= 2;
}

// The roots (p, q) = sqrt((1 - x) + iy) and (u, v) = sqrt((1 + x) + iy); then
// sqrt(1 - z) = p - iq on the side MPC takes on the cuts, and
// pu + qv, pv + qu are sums of terms of one sign.
struct Roots {
    fp p, q, u, v;
};

Roots rootsOfOneMinusAndPlus(fpComplex const& z) {
    fpComplex a(1.0 - z.re, z.im), b(z.re + 1.0, z.im);
    sqrt(a, a);
    sqrt(b, b);
    return {a.re, a.im, b.re, b.im};
}

// asin z = atan2(x, pu + qv) + i asinh(pv + qu); acos z = 2 atan2(p, u) -
// i asinh(pv + qu), whose real part lies in [0, pi] for every z, the negative
// real half-plane included.
void arcSineOrCosine(fpComplex& r, fpComplex const& z, bool cosine) {
    fpComplex v;
    {
        ScopedBlockPrec guard(blockPrec + 2);
        Roots const s = rootsOfOneMinusAndPlus(z);
        fp im = s.p * s.v + s.q * s.u;
        if (cosine) {
            atan2(v.re, s.p, s.u);
            v.re.exponent += 1;
            im = -im;
        } else {
            atan2(v.re, z.re, s.p * s.u + s.q * s.v);
        }
        asinh(v.im, im);
    }
    detail::roundInto(r, v);
}

}  // namespace

void atan(fpComplex& r, fpComplex const& z) {
    if (!z || (!z.re && abs(z.im) == 1.0)) {
        equate(r, 0.0, 0.0);  // atan(+-i) = 0
        return;
    }
    fpComplex v;
    {
        ScopedBlockPrec guard(blockPrec + 2);
        if (detail::topLog2(z) < detail::moderateLog2 / 2) {
            atanModerate(v, z);
        } else {
            // atan z = +-pi/2 - atan(1/z), the sign that of x with x = 0 taken as +.
            fpComplex q, w;
            div(q, 1.0, z);
            atanModerate(w, q);
            fp halfPi = Pi();
            halfPi.exponent -= 1;
            if (z.re.mantissa.size < 0) halfPi = -halfPi;
            v.re = halfPi - w.re;
            v.im = -w.im;
        }
    }
    detail::roundInto(r, v);
}

fpComplex atan(fpComplex const& z) { fpComplex r; atan(r, z); return r; }

void asin(fpComplex& r, fpComplex const& z) { arcSineOrCosine(r, z, false); }

fpComplex asin(fpComplex const& z) { fpComplex r; asin(r, z); return r; }

void acos(fpComplex& r, fpComplex const& z) { arcSineOrCosine(r, z, true); }

fpComplex acos(fpComplex const& z) { fpComplex r; acos(r, z); return r; }

void asinh(fpComplex& r, fpComplex const& z) {
    detail::throughRotation(r, z, [](fpComplex const& w) { return asin(w); });
}

fpComplex asinh(fpComplex const& z) { fpComplex r; asinh(r, z); return r; }

void acosh(fpComplex& r, fpComplex const& z) {
    // +-i acos z, the sign that makes the real part non-negative.
    fpComplex a = acos(z);
    a = detail::timesI(a);
    if (a.re.mantissa.size < 0) a = -a;
    r = a;
}

fpComplex acosh(fpComplex const& z) { fpComplex r; acosh(r, z); return r; }

void atanh(fpComplex& r, fpComplex const& z) {
    bool const onCut = !z.im && abs(z.re) > 1.0;
    fpComplex a;
    detail::throughRotation(a, z, [](fpComplex const& w) { return atan(w); });
    // On the cut |x| > 1 the rotated atan lies on the side of Im z < 0; the
    // +0 side has imaginary part +pi/2.
    if (onCut && a.im.mantissa.size < 0) a.im = -a.im;
    r = a;
}

fpComplex atanh(fpComplex const& z) { fpComplex r; atanh(r, z); return r; }

}  // namespace korvel
