// Comparison, bit lengths and other queries.
#include "mb/internal.h"

namespace korvel {

using detail::length;

i32 mbCompareAbs(mb const& x, mb const& y) {
    // Operands need not be in normal form: high zero words are not counted.
    i32 const nx = words::significantWords(x.words, length(x));
    i32 const ny = words::significantWords(y.words, length(y));
    if (nx != ny) return nx > ny ? 1 : -1;
    return words::compare(x.words, y.words, nx);
}

i32 compare(mb const& x, mb const& y) {
    i32 const sx = detail::signOf(x), sy = detail::signOf(y);
    i32 const c = mbCompareAbs(x, y);
    if (c == 0) return sx == sy ? 0 : sx;
    if (c > 0) return sx;
    return -sy;
}

i32 NumBits(mb const& x) {
    i32 const n = length(x);
    if (n == 0) return 0;
    return NumBits(x.words[n - 1]) + 32 * (n - 1);
}

i32 Lg2(mb const& x) { return NumBits(x) - 1; }

bool isItEven(mb const& x) { return x.size == 0 || (x.words[0] & 1u) == 0; }

mb abs(mb const& x) {
    mb r(x);
    r.size = length(r);
    return r;
}

}  // namespace korvel
