// BaseFromBase: the text split at its point, each side converted, the results joined.
#include <korvel/radix.h>

#include <cstdlib>
#include <cstring>
#include <string>

#include "radix/internal.h"

namespace korvel {

namespace {

using detail::u32;

bool isWhiteSpace(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; }

// Removes blanks, tabs, line feeds and carriage returns from text in place.
void removeWhiteSpace(char* text) {
    char* to = text;
    for (char const* from = text; *from != '\0'; ++from)
        if (!isWhiteSpace(*from)) *to++ = *from;
    *to = '\0';
}

bool validBase(int base) { return base >= radixMinBase && base <= radixMaxBase; }

char* newText(std::string const& s) {
    auto* p = static_cast<char*>(std::malloc(s.size() + 1));
    if (p == nullptr) std::exit(1);
    std::memcpy(p, s.c_str(), s.size() + 1);
    return p;
}

// out = text (base from) in base to with at most n fractional digits, letters upper case.
bool convert(std::string& out, std::string_view text, u32 to, u32 from, int n) {
    std::size_t const point = text.find('.');
    if (point == std::string_view::npos) return detail::translateBasePointLeft(out, text, to, from, false);
    if (text.find('.', point + 1) != std::string_view::npos) return false;
    std::string_view const whole = text.substr(0, point);
    std::string_view const fraction = text.substr(point + 1);
    if (fraction.empty()) return detail::translateBasePointLeft(out, whole, to, from, false);

    std::string fractionText;
    bool carry = false;
    if (!detail::translateBasePointRight(fractionText, carry, fraction, to, from, n)) return false;
    if (whole.empty()) {
        out = carry ? "1" : fractionText.empty() ? "0" : fractionText;
        return true;
    }
    if (!detail::translateBasePointLeft(out, whole, to, from, carry)) return false;
    out += fractionText;
    return true;
}

}  // namespace

char* BaseFromBase(char* text, int to, int from, int n, bool upper) {
    if (text == nullptr) return newText("");
    removeWhiteSpace(text);
    std::string_view const all(text);
    if (all.empty() || !validBase(to) || !validBase(from) || n < 0 || n > radixMaxFractionDigits)
        return newText("");
    std::string result;
    if (to == from) result = all;
    else if (!convert(result, all, u32(to), u32(from), n)) result.clear();
    return newText(upper ? result : detail::convToLowerCase(result));
}

}  // namespace korvel
