// Integer parts and integer tests.
#include "fp/internal.h"

namespace korvel {

using detail::length;

namespace {
// Trailing zero bits of a non-zero mantissa.
i64 trailingZeroBits(mb const& m) {
    i64 count = 0;
    i32 i = 0;
    for (; m.words[i] == 0; ++i) count += 32;
    for (u32 w = m.words[i]; (w & 1u) == 0; w >>= 1) ++count;
    return count;
}
}  // namespace

i32 to_long(fp const& x) {
    if (x.mantissa.size == 0 || x.exponent >= 32) return 0;  // the low 32 bits are zero
    if (x.exponent < 0 && -i64(x.exponent) >= 32 * i64(length(x))) return 0;
    mb t;
    equate(t, x);
    if (t.size == 0) return 0;
    u32 const low = t.words[0];
    return t.size < 0 ? i32(0u - low) : i32(low);
}

bool equate(i32& v, fp const& x) {
    v = 0;
    if (x.mantissa.size == 0) return true;
    if (Lg2(x) >= 32) return false;  // more than one word
    mb t;
    equate(t, x);
    if (t.size == 0 || t.size > 1 || t.size < -1) return false;
    u32 const word = t.words[0];
    v = i32(word);
    if (word >= 0x80000000u) return false;
    if (t.size < 0) v = -v;
    fp back;
    equate(back, t);
    return compare(back, x) == 0;
}

void floor(fp& r, fp const& x) {
    if (x.exponent >= 0) {
        equate(r, x);
        return;
    }
    if (-i64(x.exponent) >= 32 * i64(length(x))) {
        detail::makeZero(r);
        return;
    }
    mbShiftRight(r.mantissa, x.mantissa, x.exponent);
    r.exponent = 0;
}

fp floor(fp const& x) {
    fp r;
    floor(r, x);
    return r;
}

bool isItInteger(fp const& x) {
    thread_local fp t;  // per thread: working storage reused between calls
    equateWithCare(t, x);
    fpNormalize(t);
    if (t.mantissa.size == 0) return true;
    return t.exponent + trailingZeroBits(t.mantissa) >= 0;
}

bool isItEven(fp const& x) {
    if (x.mantissa.size == 0) return true;
    return x.exponent + trailingZeroBits(x.mantissa) >= 1;
}

}  // namespace korvel
