// Circular functions from the real sine, cosine and hyperbolic functions, and
// the hyperbolic ones by the rotation iz = (-y, x).
#include "complex/internal.h"

namespace korvel {

namespace {

// sinh y and cosh y together: cosh y = sqrt(1 + sinh^2 y) has no cancellation;
// beyond 2^(2^29) the 1 is far below an ulp and cosh y = |sinh y|.
void bothSandC(fp& Sh, fp& Ch, fp const& y) {
    sinh(Sh, y);
    if (detail::log2Floor(Sh) > detail::moderateLog2) {
        Ch = abs(Sh);
        return;
    }
    fp t;
    mul(t, Sh, Sh);
    add(t, t, 1.0);
    sqrt(Ch, t);
}

void sineOrCosine(fpComplex& r, fpComplex const& z, bool cosine) {
    fpComplex v;
    {
        ScopedBlockPrec guard(blockPrec + 1);
        fp s, c, Sh, Ch;
        sin(s, z.re);
        cos(c, z.re);
        if (!z.im) {
            v.re = cosine ? c : s;
        } else {
            bothSandC(Sh, Ch, z.im);
            if (cosine) {
                mul(v.re, c, Ch);
                mul(v.im, s, Sh);
                v.im = -v.im;
            } else {
                mul(v.re, s, Ch);
                mul(v.im, c, Sh);
            }
        }
    }
    detail::roundInto(r, v);
}

}  // namespace

void sin(fpComplex& r, fpComplex const& z) { sineOrCosine(r, z, false); }

fpComplex sin(fpComplex const& z) { fpComplex r; sin(r, z); return r; }

void cos(fpComplex& r, fpComplex const& z) { sineOrCosine(r, z, true); }

fpComplex cos(fpComplex const& z) { fpComplex r; cos(r, z); return r; }

void tan(fpComplex& r, fpComplex const& z) {
    // tan z = (sin x cos x + i sinh y cosh y) / (cos^2 x + sinh^2 y): the
    // denominator |cos z|^2 is a sum of squares, so no part cancels, also for
    // large |y| where sin z / cos z would lose the real part.
    fpComplex v;
    {
        ScopedBlockPrec guard(blockPrec + 1);
        fp s, c;
        sin(s, z.re);
        cos(c, z.re);
        fp const a = abs(z.im);
        if (a > fp(12.0 * (blockPrec + 1))) {
            // e^(-2|y|) is below the guard precision: tan z = 4 sin x cos x e^(-2|y|) + i sign(y).
            fp e;
            exp(e, -(a + a));
            mul(v.re, s, c);
            mul(v.re, v.re, e);
            v.re.exponent += 2;
            equate(v.im, z.im.mantissa.size < 0 ? -1 : 1);
        } else {
            fp Sh, Ch, d, t;
            bothSandC(Sh, Ch, z.im);
            mul(d, c, c);
            mul(t, Sh, Sh);
            add(d, d, t);
            if (!d) {
                equate(r, 0.0, 0.0);
                return;
            }
            mul(v.re, s, c);
            (void)div(v.re, v.re, d);  // d != 0: checked above
            mul(v.im, Sh, Ch);
            (void)div(v.im, v.im, d);
        }
    }
    detail::roundInto(r, v);
}

fpComplex tan(fpComplex const& z) { fpComplex r; tan(r, z); return r; }

void sinh(fpComplex& r, fpComplex const& z) {
    detail::throughRotation(r, z, [](fpComplex const& w) { return sin(w); });
}

fpComplex sinh(fpComplex const& z) { fpComplex r; sinh(r, z); return r; }

void cosh(fpComplex& r, fpComplex const& z) { cos(r, detail::timesI(z)); }

fpComplex cosh(fpComplex const& z) { fpComplex r; cosh(r, z); return r; }

void tanh(fpComplex& r, fpComplex const& z) {
    detail::throughRotation(r, z, [](fpComplex const& w) { return tan(w); });
}

fpComplex tanh(fpComplex const& z) { fpComplex r; tanh(r, z); return r; }

}  // namespace korvel
