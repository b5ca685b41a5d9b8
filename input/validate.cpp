// The ladder of number-text validators. Each level cleans its text, splits it
// at one separator and checks the pieces with the level below.
#include <cctype>
#include <climits>
#include <cstdlib>
#include <string>

#include <korvel/input.h>
#include "input/text.h"

namespace korvel {

using detail::OwnedText;

bool detail::readInt(char const* s, int& value) {
    while (std::isspace(static_cast<unsigned char>(*s))) ++s;
    bool const negative = *s == '-';
    if (*s == '+' || *s == '-') ++s;
    if (!isDigit(*s)) return false;
    long long v = 0;
    for (; isDigit(*s); ++s) {
        v = v * 10 + (*s - '0');
        if (v > 1LL + INT_MAX) return false;
    }
    if (negative) v = -v;
    if (v < INT_MIN || v > INT_MAX) return false;
    value = int(v);
    return true;
}

bool VerifyNumString(char const* s) {
    if (s[0] == '\0') return false;
    char const* p = (s[0] == '+' || s[0] == '-') ? s + 1 : s;
    for (; *p != '\0'; ++p)
        if (!detail::isDigit(*p)) return false;
    return true;
}

bool VerifyNumDPString(char const* s) {
    if (s[0] == '\0') return false;
    std::string const t = detail::without(s, " ");
    if (t.empty()) return false;
    int const c = CountFields(t.c_str(), ".");
    if (c >= 3) return false;
    OwnedText whole(NthField(t.c_str(), ".", 1));
    std::string const f1 = whole.get();
    bool const integerPart = f1.empty() ||
                             (f1.size() == 1 && (f1[0] == '+' || f1[0] == '-' || detail::isDigit(f1[0]))) ||
                             (f1.size() >= 2 && VerifyNumString(f1.c_str()));
    if (!integerPart) return false;
    if (c == 2) {
        OwnedText fraction(NthField(t.c_str(), ".", 2));
        char const* f2 = fraction.get();
        if (f2[0] != '\0' && (f2[0] == '+' || f2[0] == '-' || !VerifyNumString(f2))) return false;
    }
    return true;
}

namespace {

// The shape shared by the validators with parts: defaults stored, the text
// cleaned, split at sep into at most two fields, field 1 checked with
// checkFirst and field 2 (when present) with checkSecond.
template <class Check1, class Check2>
bool splitAndCheck(char*& first, char*& second, char const* s, std::string const& cleaned, char const* sep,
                   char const* defaultFirst, char const* defaultSecond, Check1 checkFirst, Check2 checkSecond) {
    first = detail::newText(defaultFirst);
    second = detail::newText(defaultSecond);
    if (s[0] == '\0' || cleaned.empty()) return false;
    int const c = CountFields(cleaned.c_str(), sep);
    if (c >= 3) return false;
    std::free(first);
    first = NthField(cleaned.c_str(), sep, 1);
    if (!checkFirst(first)) return false;
    if (c == 1) return true;
    std::free(second);
    second = NthField(cleaned.c_str(), sep, 2);
    return checkSecond(second);
}

// A plain validator is its twin with parts whose parts are thrown away.
template <class WithParts>
bool plain(char const* s, WithParts withParts) {
    OwnedText a, b;
    return withParts(a.slot(), b.slot(), s);
}

std::string lowerCaseWithoutBlanks(char const* s) {
    std::string t = detail::without(s, " ");
    for (char& ch : t) ch = char(std::tolower(static_cast<unsigned char>(ch)));
    return t;
}

}  // namespace

bool VerifyNumExpString2(char*& mantissa, char*& exponent, char const* s) {
    return splitAndCheck(mantissa, exponent, s, lowerCaseWithoutBlanks(s), "e", "0", "0", VerifyNumDPString,
                         VerifyNumString);
}

bool VerifyNumExpString(char const* s) { return plain(s, VerifyNumExpString2); }

bool VerifyNumFracString2(char*& numerator, char*& denominator, char const* s) {
    return splitAndCheck(numerator, denominator, s, detail::without(s, " "), "/", "0", "1", VerifyNumExpString,
                         VerifyNumExpString);
}

bool VerifyNumFracString(char const* s) { return plain(s, VerifyNumFracString2); }

bool VerifyNumComplexFracString2(char*& realPart, char*& imagPart, char const* s) {
    return splitAndCheck(realPart, imagPart, s, detail::without(s, " ()"), ",", "0/1", "0/1",
                         VerifyNumFracString, VerifyNumFracString);
}

bool VerifyNumComplexFracString(char const* s) { return plain(s, VerifyNumComplexFracString2); }

}  // namespace korvel
