// Horner evaluation and the Laguerre iteration.
#include "roots/roots.h"

namespace korvel {

void Evaluate(fpComplex*& a, i32 n, fpComplex& x, fpComplex& result) {
    fpComplex r = a[n];
    for (i32 i = n - 1; i >= 0; --i) {
        mul(r, r, x);
        add(r, r, a[i]);
    }
    result = r;
}

bool Laguerre(fpComplex*& a, i32 n, fpComplex& x, fp& err, fp& f) {
    return laguerreIterate(a, n, x, err, f) != LaguerreEnd::invalid;
}

LaguerreEnd laguerreIterate(fpComplex*& a, i32 n, fpComplex& x, fp& err, fp& f) {
    // Cap and tolerance: 10^-(8B + 2), through pow on the base 10.
    i64 const maxIter = 5 * i64(n) + 400 + i64(n) * n / 2;
    fp eps;
    pow(eps, fp(10.0), fp(-(32.0 * blockPrec) * 0.25));
    eps /= 10.0;
    eps /= 10.0;

    if (n < 1) return LaguerreEnd::invalid;
    if (!a[0]) {
        equate(x, 0.0, 0.0);
        return LaguerreEnd::stopRule;
    }
    err = 0.0;
    fp degree, degreeLess1;
    equate(degree, n);
    equate(degreeLess1, n - 1);
    fpComplex b, d, f2, G, G2, H, sq, gp, gm, dx, x1;
    fp erb, absx;
    for (i64 iter = 0; iter < maxIter; ++iter) {
        // Value, first derivative, half the second derivative and the roundoff
        // bound of the evaluation, in one pass.
        b = a[n];
        erb = abs(b);
        equate(d, 0.0, 0.0);
        equate(f2, 0.0, 0.0);
        absx = abs(x);
        for (i32 j = n - 1; j >= 0; --j) {
            mul(f2, f2, x);
            add(f2, f2, d);
            mul(d, d, x);
            add(d, d, b);
            mul(b, b, x);
            add(b, b, a[j]);
            mul(erb, erb, absx);
            add(erb, erb, abs(b));
        }
        mul(erb, erb, eps);
        if (abs(b) <= erb) return LaguerreEnd::stopRule;

        div(G, d, b);
        mul(G2, G, G);
        div(H, f2, b);
        mul(H, H, f);
        sub(H, G2, H);
        mul(H, H, degree);
        sub(H, H, G2);
        mul(H, H, degreeLess1);
        sqrt(sq, H);
        add(gp, G, sq);
        sub(gm, G, sq);
        if (compare(abs(gp), abs(gm)) < 0) gp = gm;
        div(dx, degree, gp);
        sub(x1, x, dx);
        if (x1 == x) return LaguerreEnd::stopRule;
        x = x1;
        err = abs(dx);
    }
    return LaguerreEnd::capReached;
}

}  // namespace korvel
