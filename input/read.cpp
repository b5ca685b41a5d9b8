// A polynomial as the user typed it: the form recognised from the text, the
// text cleaned for its reader, and what the lenient x-notation passed over.
#include <cstring>
#include <string>
#include <vector>

#include <korvel/input.h>
#include "input/text.h"

namespace korvel {

namespace {

constexpr char const* xNotationAlphabet = "x^()eE,.+-/0123456789";

bool isBlank(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; }

// The next byte that is not blank after (or before, step -1) position i; 0 at an end.
char neighbour(std::string const& text, std::size_t i, int step) {
    for (auto j = std::ptrdiff_t(i) + step; j >= 0 && j < std::ptrdiff_t(text.size()); j += step)
        if (!isBlank(text[std::size_t(j)])) return text[std::size_t(j)];
    return '\0';
}

// The bytes outside the notation's alphabet are dropped; all but blanks and a
// `*` between a coefficient and its x are reported.
std::string xNotationText(std::string const& text, std::string& ignored) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        char const c = text[i];
        if (std::strchr(xNotationAlphabet, c) != nullptr && c != '\0') {
            out.push_back(c);
            continue;
        }
        if (isBlank(c)) continue;
        if (c == '*') {
            char const before = neighbour(text, i, -1), after = neighbour(text, i, +1);
            bool const coefficientEnd = detail::isDigit(before) || before == ')' || before == '.';
            if (coefficientEnd && after == 'x') continue;
        }
        ignored.push_back(c);
    }
    return out;
}

// The list's lines without spaces; a line may end in CR LF.
std::string listText(std::string const& text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        char const c = text[i];
        if (c == ' ') continue;
        if (c == '\r' && (i + 1 == text.size() || text[i + 1] == '\n')) continue;
        out.push_back(c);
    }
    return out;
}

}  // namespace

bool readPolynomial(std::string const& text, int& n, std::vector<fpComplex>& coefficients, std::string& ignored) {
    ignored.clear();
    if (xPresence(n, text.c_str())) {
        std::string const cleaned = xNotationText(text, ignored);
        coefficients.assign(std::size_t(n) + 1, fpComplex());
        fpComplex* a = coefficients.data();
        return detail::readXNotation(a, n, cleaned.c_str(), &ignored);
    }
    std::string const cleaned = listText(text);
    if (!xNoPresence(n, "\n", cleaned.c_str())) return false;
    coefficients.assign(std::size_t(n) + 1, fpComplex());
    fpComplex* a = coefficients.data();
    return inputPoly(a, n, "\n", cleaned.c_str());
}

}  // namespace korvel
