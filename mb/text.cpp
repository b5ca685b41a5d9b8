// Decimal text: reading, writing, and the stream operator.
#include <cstdlib>
#include <cstring>
#include <ostream>
#include <string>

#include "mb/internal.h"

namespace korvel {

using detail::length;

thread_local i32 sIndex = 0;

namespace {

constexpr u32 billion = 1000000000u;  // nine decimal digits per group


// x = the decimal digits digits[0 .. count), most significant first, no sign.
// Nine digits at a time: x = x * 10^9 + group.
void readDigits(mb& x, char const* digits, std::size_t count) {
    std::size_t const capacity = count / 9 + 2;
    u32* w = words::allocate(u32(capacity));
    i32 n = 0;
    std::size_t pos = 0;
    std::size_t group = count % 9 == 0 ? 9 : count % 9;
    while (pos < count) {
        u32 value = 0;
        for (std::size_t k = 0; k < group; ++k) value = value * 10 + u32(digits[pos + k] - '0');
        u32 scale = 1;
        for (std::size_t k = 0; k < group; ++k) scale *= 10;
        // x * scale + value needs at most one more word than x.
        u32 top = words::mul1(w, w, n, scale);
        top += words::addCarry(w, w, n, value);
        if (top != 0) w[n++] = top;
        pos += group;
        group = 9;
    }
    x.size = n;
    update(x);
    if (n != 0) std::memcpy(x.words, w, sizeof(u32) * n);
    words::release(w);
}

}  // namespace

bool mbConvFromStr(mb& x, char const* text) {
    detail::makeEmptyZero(x);
    if (text == nullptr) return false;
    if (text[0] == '\0' || std::strcmp(text, "0") == 0) return true;

    std::string buffer;
    for (char const* p = text; *p != '\0'; ++p)
        if (*p != ' ') buffer.push_back(*p);

    // Nothing after a decimal point is looked at; no digit before it reads as 0.
    std::size_t const point = buffer.find('.');
    if (point != std::string::npos) {
        buffer.resize(point);
        bool anyDigit = false;
        for (char c : buffer) anyDigit = anyDigit || isDigit(c);
        if (!anyDigit) return true;
    }

    if (buffer.empty()) return false;
    bool negative = false;
    std::size_t start = 0;
    if (buffer[0] == '+' || buffer[0] == '-') {
        negative = buffer[0] == '-';
        start = 1;
    } else if (!isDigit(buffer[0])) {
        return false;
    }
    for (std::size_t i = start; i < buffer.size(); ++i)
        if (!isDigit(buffer[i])) return false;
    while (start < buffer.size() && buffer[start] == '0') ++start;
    if (start == buffer.size()) return true;

    readDigits(x, buffer.data() + start, buffer.size() - start);
    if (negative) x.size = -x.size;
    return true;
}

bool init(mb& x, char const* text) {
    init(x);
    if (text != nullptr && (text[0] == '\0' || std::strcmp(text, "0") == 0)) return true;
    return mbConvFromStr(x, text);
}

bool equate(mb& x, char const* text) {
    detail::makeEmptyZero(x);
    return init(x, text);
}

mb::mb(char const* text) {
    if (text == nullptr || text[0] == '\0' || std::strcmp(text, "0") == 0) return;
    mb value;
    if (mbConvFromStr(value, text)) *this = value;
}

lstack::~lstack() { std::free(items); }

void lstack::push(i32 v) {
    if (capacity == 0) {
        capacity = 100;
        items = static_cast<i32*>(std::malloc(sizeof(i32) * 100));
        if (items == nullptr) std::exit(1);
    }
    ++top;
    if (top + 1 > capacity) {
        capacity *= 2;
        auto* grown = static_cast<i32*>(std::realloc(items, sizeof(i32) * std::size_t(capacity)));
        if (grown == nullptr) std::exit(1);
        items = grown;
    }
    items[top] = v;
}

void PrintDigits(char* out, i32 v, i32 pad) {
    char buf[9];
    i32 count = 0;
    for (u32 rest = u32(v); rest != 0; rest /= 10) buf[count++] = char('0' + rest % 10);
    if (pad != 0)
        for (i32 i = count; i < 9; ++i) out[sIndex++] = '0';
    while (count > 0) out[sIndex++] = buf[--count];
}

char* mb2Str(mb const& x) {
    i32 const n = length(x);
    char* out = mallocText(16 * std::size_t(n) + 10);
    if (n == 0) {
        std::strcpy(out, "0");
        return out;
    }
    // Peel off groups of nine digits by short division, in place in xt.
    thread_local mb xt;  // per thread: working storage reused between calls
    thread_local lstack S;  // per thread: working storage reused between calls
    equateWithCare(xt, x);
    sIndex = 0;
    if (x.size < 0) out[sIndex++] = '-';
    i32 left = n;
    while (left > 0) {
        S.push(i32(words::divRem1(xt.words, xt.words, left, billion)));
        left = words::significantWords(xt.words, left);
    }
    PrintDigits(out, S.items[S.top--], 0);
    while (S.top >= 0) PrintDigits(out, S.items[S.top--], 1);
    out[sIndex] = '\0';
    return out;
}

std::string toString(mb const& x) { return OwnedText(mb2Str(x)).get(); }

void equate(char*& out, mb const& x) { out = mb2Str(x); }

std::ostream& operator<<(std::ostream& os, mb const& x) {
    OwnedText text(mb2Str(x));
    os << text.get() << std::endl;
    return os;
}

char* mallocText(std::size_t bytes) {
    auto* p = static_cast<char*>(std::malloc(bytes));
    if (p == nullptr) std::exit(1);
    return p;
}

char* mallocText(std::string_view s) {
    char* out = mallocText(s.size() + 1);
    if (!s.empty()) std::memcpy(out, s.data(), s.size());  // an empty view may have no data
    out[s.size()] = '\0';
    return out;
}

OwnedText::~OwnedText() { std::free(text_); }

}  // namespace korvel
