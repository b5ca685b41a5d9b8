// Signed addition and subtraction over the magnitude routines.
//
// Every routine reads its operands' signs and lengths first, builds the result in
// its static working value and copies it out with equate, so r may alias x or y.
#include "mb/internal.h"

namespace korvel {

using detail::length;

namespace {

// zt = |x| + |y| for non-zero x, y.
void addMagnitudes(mb& zt, mb const& x, mb const& y) {
    mb const& longer = length(x) >= length(y) ? x : y;
    mb const& shorter = length(x) >= length(y) ? y : x;
    i32 const nl = length(longer), ns = length(shorter);
    zt.size = nl + 1;
    updateWithCare(zt);
    u32 carry = words::add(zt.words, longer.words, shorter.words, ns);
    carry = words::addCarry(zt.words + ns, longer.words + ns, nl - ns, carry);
    zt.words[nl] = carry;
    zt.size = carry != 0 ? nl + 1 : nl;
}

// zt = |x| - |y| for |x| >= |y| > 0, in normal form. y's high zero words are
// passed over: |x| >= |y| bounds only its significant words by x's length.
void subMagnitudes(mb& zt, mb const& x, mb const& y) {
    i32 const nx = length(x), ny = words::significantWords(y.words, length(y));
    zt.size = nx;
    updateWithCare(zt);
    u32 const borrow = words::sub(zt.words, x.words, y.words, ny);
    words::subBorrow(zt.words + ny, x.words + ny, nx - ny, borrow);
    detail::setLength(zt, nx, 1);
}

// zt = sx|x| + sy|y| for non-zero x, y; the signs are given separately so that
// sub can pass -sign(y).
void addSigned(mb& zt, mb const& x, i32 sx, mb const& y, i32 sy) {
    if (sx == sy) {
        addMagnitudes(zt, x, y);
        if (sx < 0) zt.size = -zt.size;
        return;
    }
    i32 const c = mbCompareAbs(x, y);
    if (c == 0) {
        detail::makeEmptyZero(zt);
    } else if (c > 0) {
        subMagnitudes(zt, x, y);
        if (sx < 0) zt.size = -zt.size;
    } else {
        subMagnitudes(zt, y, x);
        if (sy < 0) zt.size = -zt.size;
    }
}

mb& workingValue() {
    thread_local mb zt;  // per thread: working storage reused between calls
    return zt;
}

}  // namespace

void mbAddAbs(mb& r, mb const& x, mb const& y) {
    if (x.size == 0 || y.size == 0) {
        equate(r, x.size == 0 ? y : x);
        r.size = length(r);
        return;
    }
    mb& zt = workingValue();
    addMagnitudes(zt, x, y);
    equate(r, zt);
}

void mbSubAbs(mb& r, mb const& x, mb const& y) {
    mb& zt = workingValue();
    subMagnitudes(zt, x, y);
    equate(r, zt);
}

void add(mb& r, mb const& x, mb const& y) {
    if (x.size == 0 || y.size == 0) {
        equate(r, x.size == 0 ? y : x);
        return;
    }
    mb& zt = workingValue();
    addSigned(zt, x, detail::signOf(x), y, detail::signOf(y));
    equate(r, zt);
}

void sub(mb& r, mb const& x, mb const& y) {
    if (y.size == 0) {
        equate(r, x);
        return;
    }
    if (x.size == 0) {
        equate(r, y);
        r.size = -r.size;
        return;
    }
    mb& zt = workingValue();
    addSigned(zt, x, detail::signOf(x), y, -detail::signOf(y));
    equate(r, zt);
}

}  // namespace korvel
