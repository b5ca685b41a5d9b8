// Multiplication: exact when the product fits B words, otherwise a short product.
//
// Error budget: the partial products left out sum to less than min(lx, ly) + 1
// units of word n - 1 (n the product's words beyond B, see below), then half an
// ulp of rounding (the bound FpReference checks exactly).
#include <array>
#include <type_traits>
#include <utility>

#include "fp/internal.h"
#include "mb/kernels.h"

namespace korvel {

using detail::length;

namespace {

using words::u128;

// Runtime limb counts go up to this many limbs each.
constexpr i32 columnLimbs = 128;
// The limbs an operand's array holds: its count when fixed, else columnLimbs.
template <class Count>
constexpr i32 capacity = columnLimbs;
template <i32 N>
constexpr i32 capacity<std::integral_constant<i32, N>> = N;

// The integer the short product below sums (every partial product x_i y_j of
// words with i + j >= cut, in units of word cut; cut = 0 gives the whole
// product, -1 the whole product a word up), formed on the stack from 64-bit
// limbs X_I = x_2I + x_2I+1 2^32 column by column, then rounded into r. A limb
// product X_I Y_J holds the word products of weights 2K, 2K + 1 (two) and
// 2K + 2 (K = I + J): it is taken whole when 2K >= cut, without its lowest
// word product when 2K = cut - 1, by its highest alone when 2K = cut - 2.
// Any order of summing gives the same integer, so the result is the same.
// NX and NY, the limb counts, are std::integral_constant for the few words of
// the usual precisions, so that every loop unrolls, else i32.
template <class CountX, class CountY>
void productByColumns(fp& r, u32 const* xs, i32 lx, u32 const* ys, i32 ly, i32 cut, i32 sign, i64 e, CountX countX,
                      CountY countY) {
    i32 const NX = countX, NY = countY;
    u64 X[capacity<CountX>], Y[capacity<CountY>];
    for (i32 i = 0; i < NX; ++i) X[i] = xs[2 * i] | (2 * i + 1 < lx ? u64(xs[2 * i + 1]) << 32 : 0);
    for (i32 i = 0; i < NY; ++i) Y[i] = ys[2 * i] | (2 * i + 1 < ly ? u64(ys[2 * i + 1]) << 32 : 0);
    i32 const c = cut < 0 ? 0 : cut;
    // Column K's 64-bit result goes to words 2K + 2 on; below, two words for
    // the word up that cut = -1 asks for.
    u32 z[2 * (capacity<CountX> + capacity<CountY>) + 2];
    // Fixed counts unroll every column, the ones below the first partial one
    // (2K >= c - 2) to a zero limb; with counts known only when running those
    // are never formed, and their words from start on are zero.
    constexpr bool fixed = !std::is_same_v<CountX, i32>;
    i32 const first = fixed || c < 2 ? 0 : (c - 1) / 2;
    i32 const start = 2 + c - (cut < 0 ? 1 : 0);
    if constexpr (!fixed)
        for (i32 w = start; w < 2 * first + 2; ++w) z[w] = 0;
    u128 acc = 0;  // the column's sum and carry, with `over` its third limb
#pragma GCC unroll 8
    for (i32 K = first; K <= NX + NY - 2; ++K) {
        i32 const lo = K - NY + 1 > 0 ? K - NY + 1 : 0, hi = K < NX - 1 ? K : NX - 1;
        u64 over = 0;
        if (fixed && 2 * K < c - 2) {  // nothing taken yet: acc is still zero
        } else if (2 * K >= c) {
#pragma GCC unroll 4
            for (i32 i = lo; i <= hi; ++i) {
                u128 const p = u128(X[i]) * Y[K - i];
                acc += p;
                over += acc < p;
            }
        } else if (2 * K == c - 1) {
#pragma GCC unroll 4
            for (i32 i = lo; i <= hi; ++i) {
                u128 const p = u128(X[i]) * Y[K - i] - u64(u32(X[i])) * u32(Y[K - i]);
                acc += p;
                over += acc < p;
            }
        } else {  // 2K = c - 2: the top word products, of weight 2^64
#pragma GCC unroll 4
            for (i32 i = lo; i <= hi; ++i) {
                u128 const p = u128(u64(X[i] >> 32) * (Y[K - i] >> 32)) << 64;
                acc += p;
                over += acc < p;
            }
        }
        words::setPair(z + 2 * K + 2, u64(acc));  // the low limb
        acc = acc >> 64 | u128(over) << 64;
    }
    // Below 2^64: the sum is at most the whole product.
    words::setPair(z + 2 * (NX + NY), u64(acc));
    // The first word kept is word c.
    if (cut < 0) z[start] = 0;
    detail::roundInto(r, z + start, 2 * (NX + NY) + 2 - start, sign, e + 32 * i64(cut));
}

template <i32 NX, i32 NY>
void productOnStack(fp& r, u32 const* xs, i32 lx, u32 const* ys, i32 ly, i32 cut, i32 sign, i64 e) {
    productByColumns(r, xs, lx, ys, ly, cut, sign, e, std::integral_constant<i32, NX>(),
                     std::integral_constant<i32, NY>());
}

// Operands of at most this many words are multiplied on the stack.
constexpr i32 stackLimbs = 4;

using StackProduct = void (*)(fp&, u32 const*, i32, u32 const*, i32, i32, i32, i64);
template <i32... I>
constexpr auto stackProducts(std::integer_sequence<i32, I...>) {
    return std::array<StackProduct, sizeof...(I)>{&productOnStack<I / stackLimbs + 1, I % stackLimbs + 1>...};
}
constexpr auto stackProduct = stackProducts(std::make_integer_sequence<i32, stackLimbs * stackLimbs>());

}  // namespace

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
    if (lx <= 2 * stackLimbs && ly <= 2 * stackLimbs && x.mantissa.words[lx - 1] != 0 &&
        y.mantissa.words[ly - 1] != 0) {
        i32 const sign = (x.mantissa.size < 0) != (y.mantissa.size < 0) ? -1 : 1;
        stackProduct[std::size_t((lx - 1) / 2 * stackLimbs + (ly - 1) / 2)](
            r, x.mantissa.words, lx, y.mantissa.words, ly, n <= 0 ? 0 : n - 2, sign, e);
        return;
    }
    if (n > 0 && lx <= 2 * columnLimbs && ly <= 2 * columnLimbs && x.mantissa.words[lx - 1] != 0 &&
        y.mantissa.words[ly - 1] != 0) {
        i32 const sign = (x.mantissa.size < 0) != (y.mantissa.size < 0) ? -1 : 1;
        productByColumns(r, x.mantissa.words, lx, y.mantissa.words, ly, n - 2, sign, e, (lx + 1) / 2, (ly + 1) / 2);
        return;
    }
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
