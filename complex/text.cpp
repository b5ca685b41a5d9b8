// Reading and writing complex values.
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

std::string toString(fpComplex const& z, int figures) {
    std::string out = "(";  // appended piece by piece: "(" + a string trips GCC 12's -Wrestrict
    out += toString(z.re, figures);
    out += " , ";
    out += toString(z.im, figures);
    out += ')';
    return out;
}

char* fpComplexToStr(fpComplex const& z, i32 digits) { return mallocText(toString(z, digits)); }

std::ostream& operator<<(std::ostream& os, fpComplex const& z) {
    os << '(' << toString(z.re, getDecPrec()) << ", " << toString(z.im, getDecPrec()) << ')';
    return os;
}

}  // namespace korvel
