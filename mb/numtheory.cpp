// Greatest common divisors, modular inverses, factorials and binomials.
#include <utility>

#include "mb/internal.h"

namespace korvel {

void gcd(mb& g, mb const& a, mb const& b) {
    mb u = abs(a), v = abs(b), q, rem;
    while (v.size != 0) {
        (void)divRem(q, rem, u, v);  // v != 0
        std::swap(u, v);
        std::swap(v, rem);
    }
    equate(g, u);
}

mb gcd(mb const& a, mb const& b) {
    mb g;
    gcd(g, a, b);
    return g;
}

void extendedGCD(mb& x, mb& y, mb& g, mb const& a, mb const& b) {
    // On |a| and |b|, where each quotient is the floor and each remainder is
    // non-negative; the signs of a and b go onto x and y at the end.
    mb A = abs(a), B = abs(b), q, rem, t;
    mb xi(0), lastx(1), yi(1), lasty(0);
    while (B.size != 0) {
        (void)divRem(q, rem, A, B);  // B != 0
        std::swap(A, B);
        std::swap(B, rem);
        t = lastx - q * xi;  // (x, lastx) = (lastx - q x, x)
        std::swap(lastx, xi);
        std::swap(xi, t);
        t = lasty - q * yi;
        std::swap(lasty, yi);
        std::swap(yi, t);
    }
    if (a.size < 0) lastx.size = -lastx.size;
    if (b.size < 0) lasty.size = -lasty.size;
    equate(x, lastx);
    equate(y, lasty);
    equate(g, A);
}

bool invMod(mb& r, mb const& x, mb const& m) {
    mb t = abs(x), s = abs(m);
    if (s.size == 0) {
        equate(r, t);
        return false;
    }
    // c0 |x| = s and c1 |x| = t modulo |m| throughout.
    mb const modulus(s);
    mb c0(0), c1(1), c, q, rem;
    while (t.size != 0) {
        (void)divRem(q, rem, s, t);  // t != 0
        std::swap(s, t);
        std::swap(t, rem);
        c = c0 - c1 * q;
        myModulus(c, c, modulus);
        std::swap(c0, c1);
        std::swap(c1, c);
    }
    if (s != mb(1)) return false;
    equate(r, c0);
    return true;
}

void factorial(mb& r, mb const& n) {
    if (n.size < 0) return;
    u32 last = 0;
    mb f(1);
    if (equate(last, n)) {
        // Factors packed into words, one multiplication per word.
        u64 packed = 1;
        for (u64 i = 2; i <= last; ++i) {
            if (packed * i > 0xFFFFFFFFu) {
                mulByScalarAbs(f, f, u32(packed));
                packed = 1;
            }
            packed *= i;
        }
        mulByScalarAbs(f, f, u32(packed));
    } else {
        for (mb t(n); t.size != 0; --t) f *= t;
    }
    equate(r, f);
}

mb factorial(mb const& n) {
    mb r;
    factorial(r, n);
    return r;
}

bool binomial(mb& r, mb const& n, mb const& k) {
    mb const nk = n - k;
    if (n.size < 0 || k.size < 0 || nk.size < 0) {
        r = mb();
        return false;
    }
    if (nk.size == 0 || k.size == 0) {
        equate(r, mb(1));
        return true;
    }
    // v = c (c - 1) ... / i! with c rising from n - j: each quotient is exact.
    mb const j = k < nk ? k : nk;
    mb c = n - j, v(1), i(1);
    while (j >= i) {
        ++c;
        v *= c;
        v /= i;
        ++i;
    }
    equate(r, v);
    return true;
}

mb binomial(mb const& n, mb const& k) {
    mb r;
    (void)binomial(r, n, k);  // false leaves r = 0, the value form's answer
    return r;
}

}  // namespace korvel
