// Helpers shared by the fp routines; not part of the public interface.
#pragma once

#include <limits>

#include "fp/fp.h"

namespace korvel::detail {

constexpr i64 minExponent = std::numeric_limits<i32>::min();
constexpr i64 maxExponent = std::numeric_limits<i32>::max();

inline i32 length(fp const& x) { return x.mantissa.size < 0 ? -x.mantissa.size : x.mantissa.size; }

// Gives back the mantissa's storage and leaves zero with exponent 0.
inline void makeZero(fp& x) {
    x.mantissa = mb();
    x.exponent = 0;
}

// Stores e as x's exponent; an e outside the 32-bit range is absorbed by the
// mantissa where it can be, else saturates (raising the flag) or underflows.
void fitExponent(fp& x, i64 e);

// x = the largest magnitude of B words with the given sign; raises the flag.
void saturate(fp& x, i32 sign);

// Normalises x as if its exponent were e, which may lie outside the 32-bit
// range; the stored exponent is brought into range as the header describes.
void normalizeWide(fp& x, i64 e);

// x = sign * t[0 .. n) * 2^e rounded to B words as normalizeWide rounds; t is
// scratch (changed here) and must not be x's storage.
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

using korvel::OverflowWatch;

}  // namespace korvel::detail
