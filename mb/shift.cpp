// Shifts by a number of bits; the magnitude moves, the sign stays.
#include <cstring>

#include "mb/internal.h"

namespace korvel {

using detail::length;

namespace {
mb& workingValue() {
    thread_local mb s;  // per thread: working storage reused between calls
    return s;
}

// The shift count |n| as a word count and a bit count.
void splitShift(i32 n, i64& wordShift, i32& bitShift) {
    i64 const m = n < 0 ? -i64(n) : i64(n);
    wordShift = m / 32;
    bitShift = i32(m % 32);
}
}  // namespace

void mbShiftLeft(mb& r, mb const& x, i32 n) {
    if (x.size == 0 || n == 0) {
        equate(r, x);
        return;
    }
    i64 q;
    i32 b;
    splitShift(n, q, b);
    i32 const nx = length(x), sign = detail::signOf(x);
    mb& s = workingValue();
    s.size = i32(nx + q + (b != 0 ? 1 : 0));
    updateWithCare(s);
    std::memset(s.words, 0, sizeof(u32) * q);
    if (b == 0) {
        std::memcpy(s.words + q, x.words, sizeof(u32) * nx);
    } else {
        s.words[q + nx] = words::shiftLeft(s.words + q, x.words, nx, b);
    }
    detail::setLength(s, s.size, sign);
    equate(r, s);
}

void mbShiftRight(mb& r, mb const& x, i32 n) {
    if (x.size == 0 || n == 0) {
        equate(r, x);
        return;
    }
    i64 q;
    i32 b;
    splitShift(n, q, b);
    i32 const nx = length(x), sign = detail::signOf(x);
    if (nx - q <= 0) {
        detail::makeEmptyZero(r);
        return;
    }
    mb& s = workingValue();
    s.size = i32(nx - q);
    updateWithCare(s);
    if (b == 0)
        std::memcpy(s.words, x.words + q, sizeof(u32) * s.size);
    else
        words::shiftRight(s.words, x.words + q, s.size, b);
    detail::setLength(s, s.size, sign);
    equate(r, s);
}

}  // namespace korvel
