// Representation: construction, storage, copying, normal form.
#include <cstring>

#include "mb/internal.h"

namespace korvel {

using detail::length;

mb::mb(mb const& x) {
    if (x.size == 0) return;
    size = x.size;
    alloc = u32(length(x));
    words = words::allocate(alloc);
    std::memcpy(words, x.words, sizeof(u32) * alloc);
}

mb::mb(mb&& x) noexcept : alloc(x.alloc), size(x.size), words(x.words) {
    x.alloc = 0;
    x.size = 0;
    x.words = nullptr;
}

mb::~mb() {
    if (alloc != 0 && words != nullptr) words::release(words);
}

mb& mb::operator=(mb const& y) {
    if (&y == this) return *this;
    detail::makeEmptyZero(*this);
    if (y.size == 0) return *this;
    size = y.size;
    alloc = u32(length(y));
    words = words::allocate(alloc);
    std::memcpy(words, y.words, sizeof(u32) * alloc);
    return *this;
}

mb& mb::operator=(mb&& y) noexcept {
    if (&y == this) return *this;
    detail::makeEmptyZero(*this);
    alloc = y.alloc;
    size = y.size;
    words = y.words;
    y.alloc = 0;
    y.size = 0;
    y.words = nullptr;
    return *this;
}

bool init(mb& x) {
    x.alloc = 0;
    x.size = 0;
    x.words = nullptr;
    return true;
}

bool init(mb& x, i32 v) {
    init(x);
    if (v == 0) return true;
    x.alloc = 1;
    x.words = words::allocate(1);
    x.words[0] = v < 0 ? 0u - u32(v) : u32(v);
    x.size = v < 0 ? -1 : 1;
    return true;
}

void update(mb& x) {
    if (x.size == 0) {
        detail::makeEmptyZero(x);
        return;
    }
    if (x.words != nullptr && x.alloc == u32(length(x))) return;  // already exact
    if (x.alloc != 0 && x.words != nullptr) words::release(x.words);
    x.alloc = u32(length(x));
    x.words = words::allocate(x.alloc);
}

void updateWithCare(mb& x) {
    if (x.size != 0 && u32(length(x)) <= x.alloc) return;
    update(x);
}

void equate(mb& x, mb const& y) {
    if (x.alloc == y.alloc && x.size == y.size && x.words == y.words) return;
    x.size = y.size;
    update(x);
    if (x.size != 0) std::memcpy(x.words, y.words, sizeof(u32) * length(y));
}

void equateWithCare(mb& x, mb const& y) {
    if (x.alloc == y.alloc && x.size == y.size && x.words == y.words) return;
    x.size = y.size;
    updateWithCare(x);
    if (x.size != 0) std::memcpy(x.words, y.words, sizeof(u32) * length(y));
}

void mbNormalize(mb& x) {
    if (x.size == 0) return;
    detail::setLength(x, length(x), detail::signOf(x));
}

i32 alignLeft(mb& x) {
    i32 count = 0;
    for (i32 i = length(x) - 1; i >= 0; --i) {
        if (x.words[i] == 0) {
            count += 32;
            continue;
        }
        count += 32 - NumBits(x.words[i]);
        break;
    }
    if (count != 0) mbShiftLeft(x, x, count);
    return count;
}

}  // namespace korvel
