// One complex coefficient: a fraction, or a pair of fractions for re and im.
#include <cstring>

#include <korvel/input.h>
#include "input/text.h"

namespace korvel {

using detail::OwnedText;

namespace {

// part = numerator / denominator, read from a fraction text.
bool readFraction(fp& part, char const* text) {
    OwnedText numerator(nullptr), denominator(nullptr);
    if (!VerifyNumFracString2(numerator.slot(), denominator.slot(), text)) return false;
    fp top, bottom;
    if (!equate(top, numerator.get()) || !equate(bottom, denominator.get())) return false;
    if (!bottom) return false;
    // A quotient beyond the exponent's range cannot be held: not a number.
    OverflowWatch watch;
    return div(part, top, bottom) && !watch.overflowed();
}

}  // namespace

bool getTheNumber(fpComplex& z, char const* s) {
    detail::bytesLookedAt() += std::strlen(s);
    if (s[0] == '\0' || std::strcmp(s, "+") == 0) {
        equate(z, 1.0);
        return true;
    }
    if (std::strcmp(s, "-") == 0) {
        equate(z, -1.0);
        return true;
    }
    OwnedText realText(nullptr), imagText(nullptr);
    return detail::coefficientParts(s, realText, imagText) && readFraction(z.re, realText.get()) &&
           readFraction(z.im, imagText.get());
}

bool detail::coefficientParts(char const* s, OwnedText& realText, OwnedText& imagText) {
    for (char const* p = s; *p != '\0'; ++p)
        if (!detail::isDigit(*p) && std::strchr(" (),/^+-.eE", *p) == nullptr) return false;
    return VerifyNumComplexFracString2(realText.slot(), imagText.slot(), s);
}

}  // namespace korvel
