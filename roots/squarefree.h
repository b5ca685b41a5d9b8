// The exact square-free decomposition of a polynomial over the Gaussian
// integers; not part of the public interface.
//
// An exact input's repeated roots are split off before the numeric search: each
// root of the factor q_k is a root of multiplicity exactly k, and q_k's roots are
// simple, so the search never meets a multiple root.
#pragma once

#include <vector>

#include <korvel/mb.h>

namespace korvel::detail {

struct GaussianInt {  // re + i im
    mb re, im;
};
using GaussianPoly = std::vector<GaussianInt>;  // [k] the coefficient of x^k; no leading zero

struct SquareFreeFactor {
    GaussianPoly factor;
    int multiplicity = 1;
};

// The decomposition of a polynomial with a repeated factor is refused (the
// caller searches p as it is) when degree^2 * (coefficient bits + 64)^2 exceeds
// this. Its work is dominated by the exact divisions that check each gcd, about
// degree^2 / 4 products of coefficients of up to (bits + 64) bits: at this limit
// (a square of degree 1000 with 2000-bit coefficients, or of degree 200 with
// 10000-bit ones) it measured about 1.5 s, while the search of a polynomial of
// degree 1000 takes over 8 s with simple roots alone, and one of degree 200 with
// a double root 20 s already at 330-bit coefficients. The square-free test (one
// modular gcd, about degree^2 word products) is never refused.
inline constexpr double squareFreeWorkLimit = 4.5e12;

// p = c * prod_k q_k^k with c a constant (Gaussian rational), each q_k of positive
// degree, primitive over Z[i] with its leading coefficient in {re > 0, im >= 0},
// square-free, and the q_k pairwise coprime; out holds the q_k with their k,
// ascending in k. A square-free p gives one factor (p made primitive) with
// multiplicity 1; a constant p gives none. Zero roots count as the factor x.
// False when the caller's search was cancelled (searchCancelled) or when the work
// would exceed squareFreeWorkLimit; out is then empty.
bool squareFreeDecomposition(GaussianPoly const& p, std::vector<SquareFreeFactor>& out);

}  // namespace korvel::detail
