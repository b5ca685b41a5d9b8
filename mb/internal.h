// Helpers shared by the mb routines; not part of the public interface.
#pragma once

#include "mb/kernels.h"
#include <korvel/mb.h>

namespace korvel::detail {

// Number of words in use.
inline i32 length(mb const& x) { return x.size < 0 ? -x.size : x.size; }

// -1 for a negative number, +1 otherwise (zero counts as positive).
inline i32 signOf(mb const& x) { return x.size < 0 ? -1 : 1; }

// The small constant v, made once on each thread that asks (per thread, like
// every value this layer keeps between calls).
template <i32 v>
mb const& smallConstant() {
    thread_local mb const value = [] {
        mb x;
        init(x, v);
        return x;
    }();
    return value;
}
inline mb const& one() { return smallConstant<1>(); }
inline mb const& two() { return smallConstant<2>(); }

// True for zero in any form, high zero words included.
inline bool isZeroValue(mb const& x) { return words::significantWords(x.words, length(x)) == 0; }

// Gives back the storage and leaves the empty zero.
inline void makeEmptyZero(mb& x) {
    if (x.alloc != 0 && x.words != nullptr) words::release(x.words);
    x.alloc = 0;
    x.size = 0;
    x.words = nullptr;
}

// Sets the length to n words (sign s); n is first reduced past high zero words,
// and a number that becomes zero gives back its storage.
inline void setLength(mb& x, i32 n, i32 s) {
    n = words::significantWords(x.words, n);
    if (n == 0) {
        makeEmptyZero(x);
        return;
    }
    x.size = s < 0 ? -n : n;
}

}  // namespace korvel::detail
