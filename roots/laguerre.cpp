// The Laguerre iteration.
#include <cstdlib>
#include <utility>

#include <korvel/roots.h>
#include "roots/horner.h"
#include "roots/rough.h"
#include "roots/search.h"

namespace korvel {

namespace {

// The stop test |b| <= erb * eps in full precision: the Horner pass for the
// value alone, with the roundoff bound beside it.
bool exactStop(fpComplex*& a, i32 n, fpComplex const& x, fp const& eps) {
    fpComplex b;
    fp erb = abs(a[n]);
    fp const absx = abs(x);
    detail::horner(a, n, x, b, nullptr, nullptr, [&](fpComplex const& partial) {
        mul(erb, erb, absx);
        add(erb, erb, abs(partial));
    });
    mul(erb, erb, eps);
    return abs(b) <= erb;
}

// A decision taken from rough moduli; in the checking build it is compared with
// the full-precision one and any difference ends the program.
bool checked(bool roughDecision, [[maybe_unused]] auto exactDecision) {
#ifdef KORVEL_CHECK_STOP_TEST
    if (roughDecision != exactDecision()) std::abort();
#endif
    return roughDecision;
}

}  // namespace

bool Laguerre(fpComplex*& a, i32 n, fpComplex& x, fp& err, fp& f) {
    return laguerreIterate(a, n, x, err, f) != LaguerreEnd::invalid;
}

LaguerreEnd laguerreIterate(fpComplex*& a, i32 n, fpComplex& x, fp& err, fp& f) {
    // Cap and tolerance: 10^-(8B + 2), through pow on the base 10.
    i64 const maxIter = 5 * i64(n) + 400 + i64(n) * n / 2;
    fp eps;
    (void)pow(eps, fp(10.0), fp(-(32.0 * blockPrec) * 0.25));  // a positive base: cannot fail
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
    fpComplex b, d, f2, G, G2, H, sq, gp, gm, dx, x1, lastDx;

    // The moduli behind the stop test and the choice of denominator are decided
    // from rough values (roots/rough.h); the fp moduli are formed only when the
    // bound cannot tell. Each pass forms erb from at most 6n + 6 rounded
    // operations per term (a modulus 4, each step by |x| 6, eps 2), a single
    // modulus from 4.
    double const deltaErb = detail::roughDelta(6 * i64(n) + 16, blockPrec);
    double const deltaAbs = detail::roughDelta(16, blockPrec);
    detail::Rough const roughEps = detail::rough(eps);
    // err is |dx| of the last step taken, formed when Laguerre returns.
    bool stepped = false;
    auto finish = [&](LaguerreEnd end) {
        if (stepped) err = abs(lastDx);
        return end;
    };
    for (i64 iter = 0; iter < maxIter; ++iter) {
        if (detail::searchCancelled()) return LaguerreEnd::invalid;
        // Value, first derivative, half the second derivative and the roundoff
        // bound of the evaluation, in one pass.
        detail::Rough const absx = detail::roughAbs(x);
        detail::Rough erb = detail::roughAbs(a[n]);
        bool tame = detail::tame(absx) && detail::tame(erb);
        detail::horner(a, n, x, b, &d, &f2, [&](fpComplex const& partial) {
            detail::Rough const absb = detail::roughAbs(partial);
            erb = detail::roughMulAdd(erb, absx, absb);
            tame = tame && detail::tame(absb) && detail::tame(erb);
        });
        erb = detail::roughMulAdd(erb, roughEps, {});
        detail::Rough const absb = detail::roughAbs(b);
        i32 const stop = tame && detail::tame(erb) ? detail::roughCompare(absb, erb, deltaErb) : 0;
        bool const converged = stop == 0 ? exactStop(a, n, x, eps)
                                         : checked(stop < 0, [&] { return exactStop(a, n, x, eps); });
        if (converged) return finish(LaguerreEnd::stopRule);

        // With G = p'/p and f2 = p''/2: H = (n - 1)(n (G^2 - f f2/p) - G^2), and
        // the step n / (G +- sqrt(H)) takes the denominator of larger modulus.
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
        detail::Rough const ap = detail::roughAbs(gp), am = detail::roughAbs(gm);
        i32 const order = detail::tame(ap) && detail::tame(am) ? detail::roughCompare(ap, am, deltaAbs) : 0;
        auto const exactOrder = [&] { return compare(abs(gp), abs(gm)) < 0; };
        if (order == 0 ? exactOrder() : checked(order < 0, exactOrder)) gp = gm;
        div(dx, degree, gp);
        sub(x1, x, dx);
        if (x1 == x) return finish(LaguerreEnd::stopRule);
        x = x1;
        std::swap(lastDx, dx);
        stepped = true;
    }
    return finish(LaguerreEnd::capReached);
}

}  // namespace korvel
