// Reading decimal text and doubles.
#include <cctype>
#include <cmath>
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
    if (!isDigit(*s)) return false;
    value = 0;
    for (; isDigit(*s); ++s) {
        value = value * 10 + (*s - '0');
        if (value > detail::maxExponent + 1) return false;
    }
    if (negative) value = -value;
    return value >= detail::minExponent && value <= detail::maxExponent;
}

// Digits beyond those that can reach the working precision are dropped, so
// that a long text costs time in proportion to its length: the first
// significantDigits stay, and a last digit 1 stands for the dropped ones when
// any was not zero, which keeps the value off a rounding tie. The value moves
// by less than 10^-(significantDigits - 2) relative, far below the B + 2 words
// the digits kept can hold. Returns the count of digits dropped.
i64 dropExcessDigits(std::string& digits) {
    std::size_t first = 0;
    while (first < digits.size() && !isDigit(digits[first])) ++first;
    while (first < digits.size() && digits[first] == '0') ++first;
    // 32(B + 2) bits are 9.64(B + 2) decimal digits; 10(B + 3) is more.
    std::size_t const significantDigits = 10 * (std::size_t(blockPrec) + 3);
    std::size_t const end = first + significantDigits;
    if (end + 1 >= digits.size()) return 0;
    bool sticky = false;
    for (std::size_t i = end; i < digits.size(); ++i) {
        if (!isDigit(digits[i])) return 0;  // the reader refuses it whole
        sticky = sticky || digits[i] != '0';
    }
    i64 const dropped = i64(digits.size() - end) - (sticky ? 1 : 0);
    digits.resize(end);
    if (sticky) digits.push_back('1');
    return dropped;
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
        while (end < text.size() && isDigit(text[end])) ++end;
        std::size_t const fractionDigits = end - point - 1;
        text.erase(point, 1);
        text.resize(end - 1);
        decimalExponent -= i64(fractionDigits);
    }
    decimalExponent += dropExcessDigits(text);
    if (decimalExponent < detail::minExponent || decimalExponent > detail::maxExponent) return false;

    // Built aside, so that a text that cannot be read leaves r as it was.
    fp value;
    if (!mbConvFromStr(value.mantissa, text.c_str())) return false;
    fp ten, p;
    init(ten, 10);
    OverflowWatch watch;
    power(p, ten, i32(decimalExponent));
    mul(value, value, p);
    if (watch.overflowed()) return false;
    r = std::move(value);
    return true;
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
    if (!std::isfinite(d)) return false;  // r as it was
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
    if (!std::isfinite(d)) return false;  // r as it was
    detail::makeZero(r);
    return init(r, d);
}

namespace {
// A NaN or an infinity where no false can be given back becomes what an
// overflow leaves, the largest magnitude (positive for NaN) with the flag
// raised, so that it is seen: findPolyRoots refuses such a coefficient.
void fromDouble(fp& r, double d) {
    if (std::isfinite(d))
        equate(r, d);
    else
        detail::saturate(r, !std::isnan(d) && d < 0 ? -1 : 1);
}
}  // namespace

fp::fp(double d) { fromDouble(*this, d); }

fp& fp::operator=(double d) {
    fromDouble(*this, d);
    return *this;
}

bool equate(double& d, fp const& x) {
    d = 0.0;
    if (x.mantissa.size == 0) return true;
    OwnedText const text(fpToStr(x, 16));
    int const converted = std::sscanf(text.get(), "%lg", &d);
    // Beyond the largest double the value does not fit; below the smallest it
    // comes out as zero or a subnormal, its nearest doubles.
    if (converted != 1 || !std::isfinite(d)) {
        d = 0.0;
        return false;
    }
    return true;
}

}  // namespace korvel
