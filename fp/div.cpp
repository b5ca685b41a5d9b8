// Division: a truncated integer quotient of B + 1 or B + 2 words, then rounded.
//
// Error budget: the truncation loses less than one unit of the quotient's lowest
// word, 2^(ex - ey - 32k) with k = max(0, B + 1 + ly - lx), and the rounding
// half an ulp (the bound FpReference checks exactly).
#include <cstring>
#include <vector>

#include "fp/internal.h"
#include "mb/kernels.h"

namespace korvel {

using detail::length;

bool div(fp& r, fp const& x, fp const& y) {
    if (mbCompareAbs(y.mantissa, mb()) == 0) return false;  // zero in any form, high zero words included
    if (x.mantissa.size == 0) {
        detail::makeZero(r);
        return true;
    }
    i64 e = i64(x.exponent) - y.exponent;
    i32 const k = blockPrec + 1 + length(y) - length(x);
    i32 const lx = length(x), ly = length(y);
    if (ly >= 2 && x.mantissa.words[lx - 1] != 0 && y.mantissa.words[ly - 1] != 0) {
        // The dividend, widened by k zero words, is longer than the divisor, so
        // the quotient is the word kernel's; it is formed in scratch and rounded
        // straight into r (which may be x or y: both are read first).
        i32 const wide = k > 0 ? k : 0, n = lx + wide;
        u32* const a = detail::scratch(1, n);
        for (i32 i = 0; i < wide; ++i) a[i] = 0;
        std::memcpy(a + wide, x.mantissa.words, sizeof(u32) * std::size_t(lx));
        thread_local std::vector<u64> limbs;  // per thread, grown once
        std::size_t const need = std::size_t(words::quotientScratchLimbs(n, ly));
        if (limbs.size() < need) limbs.resize(need);
        words::quotient(a, a, n, y.mantissa.words, ly, limbs.data());
        i32 const sign = (x.mantissa.size < 0) != (y.mantissa.size < 0) ? -1 : 1;
        detail::roundInto(r, a, n - ly + 1, sign, e - 32 * i64(wide));
        return true;
    }
    thread_local fp s;  // per thread: working storage reused between calls
    equateWithCare(s, x);
    if (k > 0) {
        mbShiftLeft(s.mantissa, s.mantissa, 32 * k);
        e -= 32 * i64(k);
    }
    // y != 0: checked above
    (void)div(r.mantissa, s.mantissa, y.mantissa);  // r may be y: its exponent was read above
    detail::normalizeWide(r, e);
    return true;
}

}  // namespace korvel
