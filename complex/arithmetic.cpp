// The four operations. Each reads every operand part it needs before it writes
// any part of the result, so the result may be any operand.
#include <utility>

#include "complex/internal.h"

namespace korvel {

namespace {
fpComplex realValue(fp const& x) { return fpComplex(x, fp()); }
fpComplex realValue(mb const& x) {
    fpComplex z;
    equate(z, x);
    return z;
}
}  // namespace

void add(fpComplex& r, fpComplex const& a, fpComplex const& b) {
    add(r.re, a.re, b.re);
    add(r.im, a.im, b.im);
}
void sub(fpComplex& r, fpComplex const& a, fpComplex const& b) {
    sub(r.re, a.re, b.re);
    sub(r.im, a.im, b.im);
}

// The real operand changes only the real part; the imaginary part is copied
// (or negated for x - z).
void add(fpComplex& r, fp const& x, fpComplex const& z) { equate(r, x + z.re, z.im); }
void add(fpComplex& r, mb const& x, fpComplex const& z) { equate(r, x + z.re, z.im); }
void add(fpComplex& r, double x, fpComplex const& z) { equate(r, x + z.re, z.im); }
void add(fpComplex& r, fpComplex const& z, fp const& x) { equate(r, z.re + x, z.im); }
void add(fpComplex& r, fpComplex const& z, mb const& x) { equate(r, z.re + x, z.im); }
void add(fpComplex& r, fpComplex const& z, double x) { equate(r, z.re + x, z.im); }
void sub(fpComplex& r, fp const& x, fpComplex const& z) { equate(r, x - z.re, -z.im); }
void sub(fpComplex& r, mb const& x, fpComplex const& z) { equate(r, x - z.re, -z.im); }
void sub(fpComplex& r, double x, fpComplex const& z) { equate(r, x - z.re, -z.im); }
void sub(fpComplex& r, fpComplex const& z, fp const& x) { equate(r, z.re - x, z.im); }
void sub(fpComplex& r, fpComplex const& z, mb const& x) { equate(r, z.re - x, z.im); }
void sub(fpComplex& r, fpComplex const& z, double x) { equate(r, z.re - x, z.im); }

namespace {

// Exchanges two values with their storage; std::swap would go through three
// moves, each a call that checks for storage to give back.
void exchange(fp& x, fp& y) {
    std::swap(x.mantissa.alloc, y.mantissa.alloc);
    std::swap(x.mantissa.size, y.mantissa.size);
    std::swap(x.mantissa.words, y.mantissa.words);
    std::swap(x.exponent, y.exponent);
}

// r = a b; with f (whose z is b), b.re + b.im is formed there once.
void product(fpComplex& r, fpComplex const& a, fpComplex const& b, RepeatedFactor const* f) {
    // Zero parts first: two products instead of three, and exact zeros. The
    // parts are formed aside (r may be a or b) in working values kept per
    // thread; swapped into r, they leave r's old storage for the next product.
    thread_local fp re, im;
    // -(a.im b.im) as the product then negated: the rounding is symmetric, so
    // this is the product of -a.im without a copy of it.
    if (!a.re) {
        mul(re, a.im, b.im);
        re.mantissa.size = -re.mantissa.size;
        mul(im, a.im, b.re);
    } else if (!a.im) {
        mul(re, a.re, b.re);
        mul(im, a.re, b.im);
    } else if (!b.re) {
        mul(re, a.im, b.im);
        re.mantissa.size = -re.mantissa.size;
        mul(im, a.re, b.im);
    } else if (!b.im) {
        mul(re, a.re, b.re);
        mul(im, a.im, b.re);
    } else {
        // Working values kept per thread, so that their storage is reused from
        // one product to the next (searches may run on several threads).
        thread_local fp k1, k2, s, t, p;
        mul(k1, a.re, b.re);
        mul(k2, a.im, b.im);
        fp const* bSum = &s;
        if (!f) {
            add(s, b.re, b.im);
        } else {
            if (!f->formed) add(f->partsSum, b.re, b.im);
            f->formed = true;
            bSum = &f->partsSum;
        }
        add(t, a.re, a.im);
        mul(p, t, *bSum);
        sub(im, p, k1);
        sub(im, im, k2);
        sub(re, k1, k2);
    }
    exchange(r.im, im);
    exchange(r.re, re);
}

}  // namespace

void mul(fpComplex& r, fpComplex const& a, fpComplex const& b) { product(r, a, b, nullptr); }

void mul(fpComplex& r, fpComplex const& a, RepeatedFactor const& f) { product(r, a, f.z, &f); }

namespace {

// re + i im = a / b = (a conj(b)) / |b|^2, the numerator by three multiplications.
void quotient(fp& re, fp& im, fpComplex const& a, fpComplex const& b) {
    fp d1, d2, den, k1, k2, u, t, p;
    mul(d2, b.im, b.im);
    mul(d1, b.re, b.re);
    add(den, d1, d2);
    mul(k1, a.re, b.re);
    mul(k2, a.im, b.im);
    sub(u, b.re, b.im);
    add(t, a.re, a.im);
    mul(p, t, u);
    sub(im, p, k1);
    add(im, im, k2);
    // den = |b|^2 > 0: b is non-zero and of moderate size
    (void)div(im, im, den);
    add(re, k1, k2);
    (void)div(re, re, den);
}

}  // namespace

void div(fpComplex& r, fpComplex const& a, fpComplex const& b) {
    fp re, im;
    if (!b) {
        // re and im stay zero
    } else if (a == b) {
        re = 1.0;
    } else if (!a.im && !b.im) {
        (void)div(re, a.re, b.re);  // b.re != 0
    } else if (!a.re && !b.re) {
        (void)div(re, a.im, b.im);  // b.im != 0
    } else if (!a.re && !b.im) {
        (void)div(im, a.im, b.re);  // b.re != 0
    } else if (!a.im && !b.re) {
        (void)div(im, -a.re, b.im);  // b.im != 0
    } else if (!detail::moderate(detail::topLog2(a)) || !detail::moderate(detail::topLog2(b))) {
        // |b|^2 or a part product would leave the exponent's range: a/b is
        // (a s)/(b s) with s the power of two that brings b near 1.
        i32 const shift = detail::shiftToOne(detail::topLog2(b));
        fpComplex as(a), bs(b);
        detail::scale(as, shift);
        detail::scale(bs, shift);
        quotient(re, im, as, bs);
    } else {
        quotient(re, im, a, b);
    }
    std::swap(r.im, im);
    std::swap(r.re, re);
}

void mul(fpComplex& r, fp const& x, fpComplex const& z) { mul(r, realValue(x), z); }
void mul(fpComplex& r, mb const& x, fpComplex const& z) { mul(r, realValue(x), z); }
void mul(fpComplex& r, double x, fpComplex const& z) { mul(r, fpComplex(x), z); }
void mul(fpComplex& r, fpComplex const& z, fp const& x) { mul(r, z, realValue(x)); }
void mul(fpComplex& r, fpComplex const& z, mb const& x) { mul(r, z, realValue(x)); }
void mul(fpComplex& r, fpComplex const& z, double x) { mul(r, z, fpComplex(x)); }
void div(fpComplex& r, fp const& x, fpComplex const& z) { div(r, realValue(x), z); }
void div(fpComplex& r, mb const& x, fpComplex const& z) { div(r, realValue(x), z); }
void div(fpComplex& r, double x, fpComplex const& z) { div(r, fpComplex(x), z); }
void div(fpComplex& r, fpComplex const& z, fp const& x) { div(r, z, realValue(x)); }
void div(fpComplex& r, fpComplex const& z, mb const& x) { div(r, z, realValue(x)); }
void div(fpComplex& r, fpComplex const& z, double x) { div(r, z, fpComplex(x)); }

}  // namespace korvel
