// Multiplication: exact when the product fits B words, otherwise a short product.
#include "fp/internal.h"

namespace korvel {

using detail::length;

void mul(fp& r, fp const& x, fp const& y) {
    if (x.mantissa.size == 0 || y.mantissa.size == 0) {
        detail::makeZero(r);
        return;
    }
    i32 const B = blockPrec;
    i32 const lx = length(x), ly = length(y);
    i64 const e = i64(x.exponent) + y.exponent;
    // n counts the product's words beyond B. It is taken from the bit lengths,
    // not the word counts, so that small leading words cannot pull the cut
    // below into the words that are kept.
    i32 const productWords = (NumBits(x.mantissa) + NumBits(y.mantissa) + 31) / 32;
    i32 const n = productWords - B;
    if (n <= 0) {
        mul(r.mantissa, x.mantissa, y.mantissa);
        detail::normalizeWide(r, e);
        return;
    }

    // Short product: partial products of word weight below n - 2 are never
    // formed. They sum to less than min(lx, ly) + 1 units of word n - 1, which
    // lies a word below the B words that the rounding keeps. The product may be
    // one word shorter than lx + ly, so the top carry can land one word higher.
    i32 const sign = (x.mantissa.size < 0) != (y.mantissa.size < 0) ? -1 : 1;
    static mb zt;
    zt.size = B + 3;
    updateWithCare(zt);
    for (i32 i = 0; i < B + 3; ++i) zt.words[i] = 0;
    bool const yOuter = ly <= lx;
    u32 const* rows = yOuter ? y.mantissa.words : x.mantissa.words;
    u32 const* columns = yOuter ? x.mantissa.words : y.mantissa.words;
    i32 const rowCount = yOuter ? ly : lx, columnCount = yOuter ? lx : ly;
    i32 const cut = n - 2;
    for (i32 j = 0; j < rowCount; ++j) {
        // Row j adds rows[j] * columns[first ..] into zt from word first + j - cut.
        i32 const first = cut - j > 0 ? cut - j : 0;
        u64 const row = rows[j];
        u32 const* column = columns + first;
        u32* out = zt.words + (first + j - cut);
        i32 const count = columnCount - first;
        u64 carry = 0;
        for (i32 k = 0; k < count; ++k) {
            carry += u64(column[k]) * row + out[k];
            out[k] = u32(carry);
            carry >>= 32;
        }
        if (count > 0) out[count] += u32(carry);  // the word above this row is still zero
    }
    zt.size = B + 3;
    mbNormalize(zt);
    equate(r.mantissa, zt);
    r.mantissa.size *= sign;
    detail::normalizeWide(r, e + 32 * i64(cut));
}


}  // namespace korvel
