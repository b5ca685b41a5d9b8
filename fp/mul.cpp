// Multiplication: exact when the product fits B words, otherwise a short product.
//
// Error budget: the partial products left out sum to less than min(lx, ly) + 1
// units of word n - 1 (n the product's words beyond B, see below), then half an
// ulp of rounding (the bound FpReference checks exactly).
#include "fp/internal.h"
#include "mb/kernels.h"

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
    i32 const productWords = (detail::bitLength(x) + detail::bitLength(y) + 31) / 32;
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
    u32* const zt = detail::scratch(1, B + 3);
    for (i32 i = 0; i < B + 3; ++i) zt[i] = 0;
    bool const yOuter = ly <= lx;
    u32 const* rows = yOuter ? y.mantissa.words : x.mantissa.words;
    u32 const* columns = yOuter ? x.mantissa.words : y.mantissa.words;
    i32 const rowCount = yOuter ? ly : lx, columnCount = yOuter ? lx : ly;
    i32 const cut = n - 2;
    // Row j adds rows[j] * columns[first ..] into zt from word first + j - cut;
    // the word above it is still zero then.
    auto singleRow = [&](i32 j) {
        i32 const first = cut - j > 0 ? cut - j : 0;
        u32* out = zt + (first + j - cut);
        i32 const count = columnCount - first;
        if (count > 0) out[count] += words::addMul1(out, columns + first, count, rows[j]);
    };
    // Rows j and j + 1 together, as one 64-bit multiplier over row j's columns;
    // row j + 1's one extra product, a column further down when the cut slants
    // through the pair, is added on its own. The same partial products are
    // formed as row by row, so the integer summed is the same.
    i32 j = 0;
    for (; j + 1 < rowCount; j += 2) {
        i32 const first = cut - j > 0 ? cut - j : 0;
        i32 const count = columnCount - first;
        if (count <= 0) {
            singleRow(j);
            singleRow(j + 1);
            continue;
        }
        u32* out = zt + (first + j - cut);
        u64 const carry = words::addMulPair(out, columns + first, count, rows[j] | u64(rows[j + 1]) << 32);
        out[count] += u32(carry);  // the two words above the pair are still zero
        out[count + 1] += u32(carry >> 32);
        if (first > 0) {
            u64 const p = u64(rows[j + 1]) * columns[first - 1];
            u64 s = u64(out[0]) + u32(p);
            out[0] = u32(s);
            s = (s >> 32) + out[1] + (p >> 32);
            out[1] = u32(s);
            i32 const above = B + 3 - i32(out - zt) - 2;
            words::addCarry(out + 2, out + 2, above, u32(s >> 32));
        }
    }
    if (j < rowCount) singleRow(j);
    detail::roundInto(r, zt, B + 3, sign, e + 32 * i64(cut));  // r may be x or y: both were read
}


}  // namespace korvel
