// A polynomial as the user typed it: the form recognised from the text, the
// text cleaned for its reader, and what the lenient x-notation passed over.
#include <algorithm>
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

bool isNumberByte(char c) { return detail::isDigit(c) || c == '.'; }

// The run of number bytes that ends before (step -1) or starts at (step +1) i,
// at most 12 of them, as it stands in text.
std::string numberRun(std::string const& text, std::size_t i, int step) {
    std::size_t begin = i, end = i;
    if (step < 0) {
        while (begin > 0 && i - begin < 12 && isNumberByte(text[begin - 1])) --begin;
    } else {
        while (end < text.size() && end - i < 12 && isNumberByte(text[end])) ++end;
    }
    return text.substr(begin, end - begin);
}

// The bytes outside the notation's alphabet are dropped; all but blanks and a
// `*` between a coefficient and its x are reported in ignored. Blanks are
// dropped too, which joins the numbers on either side: such a run of blanks is
// named in joined ("blank between 4 and 3"), since "x^2-4 3x" reads as -43x.
std::string xNotationText(std::string const& text, std::string& ignored, std::string& joined) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        char const c = text[i];
        if (std::strchr(xNotationAlphabet, c) != nullptr && c != '\0') {
            out.push_back(c);
            continue;
        }
        if (isBlank(c)) {
            std::size_t end = i;
            bool lineEnd = false;
            for (; end < text.size() && isBlank(text[end]); ++end) lineEnd = lineEnd || text[end] == '\n';
            if (i > 0 && end < text.size() && isNumberByte(text[i - 1]) && isNumberByte(text[end])) {
                joined += joined.empty() ? "" : ", ";
                joined += std::string(lineEnd ? "line end" : "blank") + " between " + numberRun(text, i, -1) +
                          " and " + numberRun(text, end, +1);
            }
            i = end - 1;
            continue;
        }
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

bool readPolynomial(std::string const& text, int& n, std::vector<fpComplex>& coefficients, std::string& ignored,
                    std::string& problem) {
    ignored.clear();
    problem.clear();
    // The readers below take C strings: a NUL byte would end the text there.
    if (std::size_t const nul = text.find('\0'); nul != std::string::npos) {
        auto const line = std::count(text.begin(), text.begin() + std::ptrdiff_t(nul), '\n') + 1;
        problem = "NUL byte on line " + std::to_string(line);
        return false;
    }
    if (xPresence(n, text.c_str())) {
        std::string joined;
        std::string const cleaned = xNotationText(text, ignored, joined);
        coefficients.assign(std::size_t(n) + 1, fpComplex());
        fpComplex* a = coefficients.data();
        bool const read = detail::readXNotation(a, n, cleaned.c_str(), &ignored);
        if (!joined.empty()) ignored += (ignored.empty() ? "" : ", ") + joined;
        return read;
    }
    std::string const cleaned = listText(text);
    if (!xNoPresence(n, "\n", cleaned.c_str())) return false;
    coefficients.assign(std::size_t(n) + 1, fpComplex());
    fpComplex* a = coefficients.data();
    return inputPoly(a, n, "\n", cleaned.c_str());
}

bool readPolynomial(std::string const& text, int& n, std::vector<fpComplex>& coefficients, std::string& ignored) {
    std::string problem;
    return readPolynomial(text, n, coefficients, ignored, problem);
}

}  // namespace korvel
