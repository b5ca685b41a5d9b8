// Comparison of values held in any form.
#include "fp/internal.h"

namespace korvel {

using detail::length;

namespace {
i64 topBit(fp const& x) {
    i32 const n = length(x);
    return i64(x.exponent) + 32 * i64(n) - 32 + NumBits(x.mantissa.words[n - 1]);
}
}  // namespace

i32 fpCompareAbs(fp const& x, fp const& y) {
    if (x.mantissa.size == 0) return y.mantissa.size == 0 ? 0 : -1;
    if (y.mantissa.size == 0) return 1;
    // Values longer than B words are rounded to B words before they are compared.
    thread_local fp xt, yt;  // per thread: working storage reused between calls
    equateWithCare(xt, x);
    equateWithCare(yt, y);
    xt.mantissa.size = length(xt);
    yt.mantissa.size = length(yt);
    fpNormalize(xt);
    fpNormalize(yt);
    if (xt.mantissa.size == 0) return yt.mantissa.size == 0 ? 0 : -1;  // zero held in zero words
    if (yt.mantissa.size == 0) return 1;
    i64 const bx = topBit(xt), by = topBit(yt);
    if (bx != by) return bx > by ? 1 : -1;
    alignLeft(xt.mantissa);
    alignLeft(yt.mantissa);
    i32 const nx = length(xt), ny = length(yt);
    u32 const* a = xt.mantissa.words + nx;
    u32 const* b = yt.mantissa.words + ny;
    i32 const common = nx < ny ? nx : ny;
    for (i32 i = 1; i <= common; ++i)
        if (a[-i] != b[-i]) return a[-i] > b[-i] ? 1 : -1;
    // Equal over the shorter length: the longer wins when anything below is set.
    for (i32 i = common + 1; i <= nx; ++i)
        if (a[-i] != 0) return 1;
    for (i32 i = common + 1; i <= ny; ++i)
        if (b[-i] != 0) return -1;
    return 0;
}

i32 compare(fp const& x, fp const& y) {
    i32 const sx = x.mantissa.size < 0 ? -1 : 1, sy = y.mantissa.size < 0 ? -1 : 1;
    i32 const c = fpCompareAbs(x, y);
    if (c == 0) return sx == sy || mbCompareAbs(x.mantissa, mb()) == 0 ? 0 : sx;
    if (c > 0) return sx;
    return -sy;
}

}  // namespace korvel
