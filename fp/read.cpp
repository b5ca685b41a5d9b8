// Reading decimal text and doubles.
#include <cctype>
#include <cstdio>
#include <cstring>
#include <string>

#include "fp/internal.h"

namespace korvel {

namespace {

// Reads a decimal exponent as "%ld" would: leading white space, an optional
// sign, at least one digit, and nothing looked at after the digits. A value
// outside 32 bits is refused (such a power of ten has no exponent to hold it).
bool readExponent(char const* s, i64& value) {
    while (std::isspace(static_cast<unsigned char>(*s))) ++s;
    bool const negative = *s == '-';
    if (*s == '-' || *s == '+') ++s;
    if (!std::isdigit(static_cast<unsigned char>(*s))) return false;
    value = 0;
    for (; std::isdigit(static_cast<unsigned char>(*s)); ++s) {
        value = value * 10 + (*s - '0');
        if (value > detail::maxExponent + 1) return false;
    }
    if (negative) value = -value;
    return value >= detail::minExponent && value <= detail::maxExponent;
}

}  // namespace

bool fpConvFromString(fp& r, char const* s) {
    if (s == nullptr || s[0] == '\0') return false;
    std::string text(s);

    i64 decimalExponent = 0;
    std::size_t const e = text.find_first_of("eE");
    if (e != std::string::npos) {
        std::string const exponentText = text.substr(e + 1, 21);
        if (!readExponent(exponentText.c_str(), decimalExponent)) return false;
        text.resize(e);
    }

    // Fraction digits move left over the point; whatever follows them is dropped.
    std::size_t const point = text.find('.');
    if (point != std::string::npos) {
        std::size_t end = point + 1;
        while (end < text.size() && std::isdigit(static_cast<unsigned char>(text[end]))) ++end;
        std::size_t const fractionDigits = end - point - 1;
        text.erase(point, 1);
        text.resize(end - 1);
        decimalExponent -= i64(fractionDigits);
    }
    if (decimalExponent < detail::minExponent) return false;

    if (!mbConvFromStr(r.mantissa, text.c_str())) return false;
    r.exponent = 0;

    static fp ten, p;
    static bool const initGood = init(ten, 10) != 0;
    (void)initGood;
    detail::OverflowWatch watch;
    power(p, ten, i32(decimalExponent));
    mul(r, r, p);
    return !watch.overflowed();
}

bool init(fp& r, char const* s) {
    init(r);
    if (!fpConvFromString(r, s)) return false;
    fpNormalize(r);
    return true;
}

bool equate(fp& r, char const* s) {
    detail::makeZero(r);
    return init(r, s);
}

fp::fp(char const* text) {
    fp value;
    if (init(value, text)) *this = std::move(value);
}

bool init(fp& r, double d) {
    if (d == 0.0) {
        init(r);
        return true;
    }
    // Fifteen significant digits, trailing zeros of the fraction removed.
    char text[64];
    std::snprintf(text, sizeof text, "%.14e", d);
    if (char* e = std::strchr(text, 'e')) {
        char* zeros = e;
        while (zeros - 1 > text && zeros[-1] == '0') --zeros;
        std::memmove(zeros, e, std::strlen(e) + 1);
    }
    return init(r, text);
}

bool equate(fp& r, double d) {
    detail::makeZero(r);
    return init(r, d);
}

fp::fp(double d) { equate(*this, d); }

fp& fp::operator=(double d) {
    equate(*this, d);
    return *this;
}

bool equate(double& d, fp const& x) {
    d = 0.0;
    if (x.mantissa.size == 0) return true;
    char* text = fpToStr(x, 16);
    int const converted = std::sscanf(text, "%lg", &d);
    std::free(text);
    if (converted != 1) {
        d = 0.0;
        return false;
    }
    return true;
}

}  // namespace korvel
