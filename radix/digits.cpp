// The digit notation: reading digit texts and writing digit values.
#include <string>

#include "radix/internal.h"

namespace korvel::detail {

namespace {

constexpr u32 largestDigit = 65535;

// Length of the digit text starting at text[pos]; 0 for a "<" without a ">".
std::size_t digitLength(std::string_view text, std::size_t pos) {
    if (text[pos] != '<') return 1;
    std::size_t const close = text.find('>', pos);
    return close == std::string_view::npos ? 0 : close - pos + 1;
}

}  // namespace

bool digitCount(std::size_t& count, std::string_view text) {
    count = 0;
    for (std::size_t pos = 0; pos < text.size(); ++count) {
        std::size_t const length = digitLength(text, pos);
        if (length == 0) return false;
        pos += length;
    }
    return true;
}

bool evalDigit(u32& value, std::string_view text) {
    if (text.size() == 1) {
        char const c = text[0];
        if (c >= '0' && c <= '9') value = u32(c - '0');
        else if (c >= 'A' && c <= 'Z') value = u32(c - 'A' + 10);
        else if (c >= 'a' && c <= 'z') value = u32(c - 'a' + 10);
        else return false;
        return true;
    }
    if (text.size() < 3 || text.front() != '<' || text.back() != '>') return false;
    u32 v = 0;
    for (char const c : text.substr(1, text.size() - 2)) {
        if (c < '0' || c > '9') return false;
        v = v * 10 + u32(c - '0');  // v <= 65535 before, so this cannot wrap
        if (v > largestDigit) return false;
    }
    value = v;
    return true;
}

bool readDigits(Digits& values, std::string_view text, u32 base) {
    std::size_t count = 0;
    if (!digitCount(count, text) || count == 0) return false;
    values.clear();
    values.reserve(count);
    for (std::size_t pos = 0; pos < text.size();) {
        std::size_t const length = digitLength(text, pos);
        u32 v = 0;
        if (!evalDigit(v, text.substr(pos, length)) || v >= base) return false;
        values.push_back(v);
        pos += length;
    }
    return true;
}

void appendDigit(std::string& out, u32 digit) {
    if (digit < 10) {
        out += char('0' + digit);
    } else if (digit < 36) {
        out += char('A' + digit - 10);
    } else {
        out += '<';
        out += std::to_string(digit);
        out += '>';
    }
}

std::string convToLowerCase(std::string_view text) {
    std::string r(text);
    for (char& c : r)
        if (c >= 'A' && c <= 'Z') c = char(c - 'A' + 'a');
    return r;
}

Group largestGroup(u32 base) {
    Group g{base, 1};
    while (g.power <= ~u64(0) / base) {
        g.power *= base;
        ++g.count;
    }
    return g;
}

u64 powerOf(u32 base, int count) {
    u64 p = 1;
    for (int k = 0; k < count; ++k) p *= base;
    return p;
}

std::vector<u64> packLimbs(Digits const& digits, u32 from, Group in, bool zerosBehind) {
    std::size_t const k = std::size_t(in.count);
    std::size_t const pad = (k - digits.size() % k) % k;
    std::vector<u64> limbs((digits.size() + k - 1) / k);
    for (std::size_t i = 0; i < limbs.size(); ++i) {
        u64 v = 0;
        for (std::size_t q = i * k; q < i * k + k; ++q) {
            std::size_t const at = zerosBehind ? q : q - pad;  // wraps past the end for a zero in front
            v = v * from + (at < digits.size() ? digits[at] : 0);
        }
        limbs[i] = v;
    }
    return limbs;
}

}  // namespace korvel::detail
