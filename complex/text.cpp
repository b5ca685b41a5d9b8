// Reading and writing complex values.
#include <cstdlib>
#include <cstring>
#include <ostream>
#include <string>

#include <korvel/complex.h>

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
    OwnedText const re(fpToStr(z.re, digits)), im(fpToStr(z.im, digits));
    char* out = mallocText(std::strlen(re.get()) + std::strlen(im.get()) + 10);
    std::strcpy(out, "(");
    std::strcat(out, re.get());
    std::strcat(out, " , ");
    std::strcat(out, im.get());
    std::strcat(out, ")");
    return out;
}

std::ostream& operator<<(std::ostream& os, fpComplex const& z) {
    OwnedText const re(fpToStr(z.re, getDecPrec())), im(fpToStr(z.im, getDecPrec()));
    os << '(' << re.get() << ", " << im.get() << ')';
    return os;
}

}  // namespace korvel
