// Reading and writing complex values.
#include <cstdlib>
#include <cstring>
#include <ostream>
#include <string>

#include "complex/complex.h"

namespace korvel {

bool fpConvFromString(fpComplex& z, char const* s) {
    if (s == nullptr || s[0] == '\0') {
        equate(z, 0.0, 0.0);
        return false;
    }
    std::string text;
    for (char const* p = s; *p != '\0'; ++p)
        if (*p != '(' && *p != ')') text.push_back(*p);
    std::size_t const comma = text.find(',');
    if (comma == std::string::npos) {
        z.im = fp();
        return fpConvFromString(z.re, text.c_str());
    }
    std::string const realText = text.substr(0, comma), imagText = text.substr(comma + 1);
    if (!fpConvFromString(z.re, realText.c_str()) || !fpConvFromString(z.im, imagText.c_str())) {
        equate(z, 0.0, 0.0);
        return false;
    }
    return true;
}

bool fpConvFromString(fpComplex& z, char const* realText, char const* imagText) {
    if (!fpConvFromString(z.re, realText)) return false;
    return fpConvFromString(z.im, imagText);
}

char* fpComplexToStr(fpComplex const& z, i32 digits) {
    char* re = fpToStr(z.re, digits);
    char* im = fpToStr(z.im, digits);
    std::size_t const bytes = std::strlen(re) + std::strlen(im) + 10;
    auto* out = static_cast<char*>(std::malloc(bytes));
    if (out == nullptr) std::exit(1);
    std::strcpy(out, "(");
    std::strcat(out, re);
    std::strcat(out, " , ");
    std::strcat(out, im);
    std::strcat(out, ")");
    std::free(re);
    std::free(im);
    return out;
}

std::ostream& operator<<(std::ostream& os, fpComplex const& z) {
    char* re = fpToStr(z.re, getDecPrec());
    char* im = fpToStr(z.im, getDecPrec());
    os << '(' << re << ", " << im << ')';
    std::free(re);
    std::free(im);
    return os;
}

}  // namespace korvel
