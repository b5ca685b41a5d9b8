// Helpers shared by the fp routines; not part of the public interface.
#pragma once

#include <limits>

#include <korvel/fp.h>
#include <korvel/export.h>

// Exported from the shared library for the layers above and the tests; not installed.
KORVEL_API_BEGIN
namespace korvel::detail {

constexpr i64 minExponent = std::numeric_limits<i32>::min();
constexpr i64 maxExponent = std::numeric_limits<i32>::max();

inline i32 length(fp const& x) { return x.mantissa.size < 0 ? -x.mantissa.size : x.mantissa.size; }

// Gives back the mantissa's storage and leaves zero with exponent 0.
inline void makeZero(fp& x) {
    x.mantissa = mb();
    x.exponent = 0;
}

// m's size is `words`, its storage exactly that.
inline void setSize(mb& m, i32 words) {
    m.size = words;
    if (m.words == nullptr || m.alloc != u32(words)) update(m);  // most often the storage fits already
}

// Stores e as x's exponent; an e outside the 32-bit range is absorbed by the
// mantissa where it can be, else saturates (raising the flag) or underflows.
// Inline for the common case: every rounded result passes here.
void fitExponentOutOfRange(fp& x, i64 e);
inline void fitExponent(fp& x, i64 e) {
    if (e >= minExponent && e <= maxExponent)
        x.exponent = i32(e);
    else
        fitExponentOutOfRange(x, e);
}

// x = the largest magnitude of B words with the given sign; raises the flag.
void saturate(fp& x, i32 sign);

// Normalises x as if its exponent were e, which may lie outside the 32-bit
// range; the stored exponent is brought into range as the header describes.
void normalizeWide(fp& x, i64 e);

// x = sign * t[0 .. n) * 2^e rounded to B words as normalizeWide rounds; t is
// only read and must not be x's storage.
void roundInto(fp& x, u32* t, i32 n, i32 sign, i64 e);

// Scratch words of this thread: slot 0 for normalizeWide, slot 1 for the
// operations that build a result before rounding it. Valid until the next call
// with the same slot. The buffers only grow; `scratchSeen` remembers them so that
// the common call is a comparison.
u32* growScratch(i32 slot, i32 words);
struct ScratchSeen {
    u32* words[2];
    i32 size[2];
};
inline thread_local ScratchSeen scratchSeen{};  // per thread, like the buffers
inline u32* scratch(i32 slot, i32 words) {
    return words <= scratchSeen.size[slot] ? scratchSeen.words[slot] : growScratch(slot, words);
}

// Bit length of a mantissa in normal form (non-zero top word).
inline i32 bitLength(fp const& x) {
    i32 const n = length(x);
    return n == 0 ? 0 : 32 * (n - 1) + NumBits(x.mantissa.words[n - 1]);
}

// A constant kept at the highest precision computed so far.
struct CachedConstant {
    fp value;
    i32 blockPrecCurr = 0;  // the B it was computed at
    i32 computations = 0;   // how often the series ran
};
CachedConstant& ln2Cache();
CachedConstant& eCache();
CachedConstant& piCache();
CachedConstant& ln10Cache();

// A constant computed at the highest precision asked for so far; a lower
// precision gets that value rounded. compute(value) runs at B and may leave
// more than B words, which the rounding here takes off.
template <class Compute>
void cachedConstant(fp& r, CachedConstant& cache, Compute compute) {
    if (blockPrec > cache.blockPrecCurr) {
        cache.blockPrecCurr = blockPrec;
        ++cache.computations;
        compute(cache.value);
    }
    equate(r, cache.value);
    fpNormalize(r);
}

// Sums a series at the working precision until a term no longer changes the sum.
// next(term, j) turns term j - 1 into term j. The scratch values are kept per
// thread so that their storage is reused between calls.
template <class Next>
void sumSeries(fp& s, fp const& first, i32 firstIndex, Next next) {
    thread_local fp term, s1;
    equateWithCare(term, first);
    for (i32 j = firstIndex;; ++j) {
        add(s1, s, term);
        if (compare(s1, s) == 0) break;
        equateWithCare(s, s1);
        next(term, j);
    }
}

// j as an fp, in a per-thread value that the next call overwrites.
fp& integerValue(i64 j);

// The constant 1, made once per thread (an fp's storage belongs to one thread's pool).
fp const& one();

inline void negate(fp& x) { x.mantissa.size = -x.mantissa.size; }

// The sign of x's value, -1, 0 or 1; 0 for zero in any form, zero words included.
inline i32 signOf(fp const& x) {
    if (x.mantissa.size == 0 || mbCompareAbs(x.mantissa, mb()) == 0) return 0;
    return x.mantissa.size < 0 ? -1 : 1;
}

// r = x rounded to B words.
inline void roundInto(fp& r, fp const& x) {
    equate(r, x);
    fpNormalize(r);
}

// s = sin y, or sinh y with `hyperbolic`, by the Taylor series at the working
// precision; for small |y|, where it converges at once.
void oddTaylorSeries(fp& s, fp const& y, bool hyperbolic);

using korvel::OverflowWatch;

}  // namespace korvel::detail
KORVEL_API_END
