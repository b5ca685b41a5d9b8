// A polynomial as the user typed it: the form recognised from the text, the
// text cleaned for its reader, and what the lenient x-notation passed over.
#include <algorithm>
#include <cctype>
#include <cstring>
#include <optional>
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

// A byte of a word: a letter, an underscore, or part of a character beyond ASCII.
bool isWordByte(char c) {
    return std::isalpha(static_cast<unsigned char>(c)) || c == '_' || static_cast<unsigned char>(c) >= 0x80;
}

// True when the i at text[i] is the imaginary unit: a letter of its own, or
// before an x ("2i", "(3-2i)x", "2ix"). An i in a word ("pi", "sin") is
// passed over, as every other letter is.
bool imaginaryUnitAt(std::string const& text, std::size_t i) {
    if (text[i] != 'i') return false;
    bool const wordBefore = i > 0 && isWordByte(text[i - 1]);
    bool const wordAfter = i + 1 < text.size() && isWordByte(text[i + 1]) && text[i + 1] != 'x';
    return !wordBefore && !wordAfter;
}

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

// The bytes outside the notation's alphabet, an imaginary unit i aside, are
// dropped; all but blanks and a `*` between a coefficient and its x are
// reported in ignored. Blanks are
// dropped too, which joins the numbers on either side: such a run of blanks is
// named in joined ("blank between 4 and 3"), since "x^2-4 3x" reads as -43x.
std::string xNotationText(std::string const& text, std::string& ignored, std::string& joined,
                          std::vector<int>& origin) {
    std::string out;
    out.reserve(text.size());
    origin.clear();
    for (std::size_t i = 0; i < text.size(); ++i) {
        char const c = text[i];
        if ((std::strchr(xNotationAlphabet, c) != nullptr && c != '\0') || imaginaryUnitAt(text, i)) {
            out.push_back(c);
            origin.push_back(int(i));
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
            bool const coefficientEnd = detail::isDigit(before) || before == ')' || before == '.' ||
                                        (before == 'i' && !out.empty() && out.back() == 'i');
            if (coefficientEnd && after == 'x') continue;
        }
        ignored.push_back(c);
    }
    return out;
}

// The list's lines without spaces; a line may end in CR LF.
std::string listText(std::string const& text, std::vector<int>& origin) {
    std::string out;
    out.reserve(text.size());
    origin.clear();
    for (std::size_t i = 0; i < text.size(); ++i) {
        char const c = text[i];
        if (c == ' ') continue;
        if (c == '\r' && (i + 1 == text.size() || text[i + 1] == '\n')) continue;
        out.push_back(c);
        origin.push_back(int(i));
    }
    return out;
}

// The exact readers' sink: coefficients as typed.
class ExactSink final : public detail::CoefficientSink {
public:
    explicit ExactSink(int n) : a(std::size_t(n) + 1) {}
    bool read(char const* text) override { return readExact(term_, text); }
    bool addTo(int power) override {
        ExactComplex& c = a[std::size_t(power)];
        return add(c.re, c.re, term_.re) && add(c.im, c.im, term_.im);
    }
    bool constant() const override {
        for (std::size_t k = 1; k < a.size(); ++k)
            if (a[k].re.num.size != 0 || a[k].im.num.size != 0) return false;
        return true;
    }
    std::vector<ExactComplex> a;

private:
    ExactComplex term_;
};

class FpVectorSink final : public detail::CoefficientSink {
public:
    explicit FpVectorSink(std::vector<fpComplex>& a, int n) : a_(a) { a_.assign(std::size_t(n) + 1, fpComplex()); }
    bool read(char const* text) override { return getTheNumber(term_, text); }
    bool addTo(int power) override {
        add(a_[std::size_t(power)], a_[std::size_t(power)], term_);
        return true;
    }
    bool constant() const override {
        for (std::size_t k = 1; k < a_.size(); ++k)
            if (!!a_[k]) return false;
        return true;
    }

private:
    std::vector<fpComplex>& a_;
    fpComplex term_;
};

struct Reading {
    int n = 0;
    std::string ignored, problem;
    int at = -1;  // where in the text the problem lies; -1 when nowhere in particular
};

// Reads text in the form it shows into the sink makeSink(n) gives for its
// degree n; false on an entry problem, with what and where when it can be named.
// True when s, blanks aside, is a zero: an optional sign, zeros, a point.
bool isZeroText(std::string_view s) {
    bool digit = false;
    std::size_t i = s.find_first_not_of(" \t\r\n");
    if (i != std::string_view::npos && (s[i] == '+' || s[i] == '-')) ++i;
    for (; i < s.size(); ++i) {
        if (s[i] == '0') digit = true;
        else if (s[i] != '.' && !isBlank(s[i])) return false;
    }
    return digit;
}

template <class MakeSink>
bool readTextOf(std::string const& text, Reading& r, MakeSink makeSink);

// An equation p = 0, as one is often written, is read as p; the "= 0" is said
// under Ignored. Any other "=" is refused where it stands: "x^3-2x+1=0" was
// once read as x^3 - 2x + 10.
template <class MakeSink>
bool readText(std::string const& text, Reading& r, MakeSink makeSink) {
    std::size_t const eq = text.find('=');
    if (eq == std::string::npos || text.find('\0') < eq) return readTextOf(text, r, makeSink);
    if (text.find('=', eq + 1) != std::string::npos || !isZeroText(std::string_view(text).substr(eq + 1))) {
        r.problem = "an equation whose right side is not 0 (write p(x) = 0 as p(x))";
        r.at = int(eq);
        return false;
    }
    bool const read = readTextOf(text.substr(0, eq), r, makeSink);
    r.ignored += (r.ignored.empty() ? "" : ", ") + std::string("= 0");
    return read;
}

template <class MakeSink>
bool readTextOf(std::string const& text, Reading& r, MakeSink makeSink) {
    // The readers below take C strings: a NUL byte would end the text there.
    if (std::size_t const nul = text.find('\0'); nul != std::string::npos) {
        r.problem = "NUL byte";
        r.at = int(nul);
        return false;
    }
    std::vector<int> origin;
    detail::ReadFault fault;
    auto fail = [&] {
        r.problem = fault.reason;
        r.at = fault.at >= 0 && std::size_t(fault.at) < origin.size() ? origin[std::size_t(fault.at)] : -1;
        return false;
    };
    bool x = xPresence(r.n, text.c_str());
    if (x) {
        std::string joined;
        std::string const cleaned = xNotationText(text, r.ignored, joined, origin);
        detail::CoefficientSink& sink = makeSink(r.n);
        bool const read = detail::readXNotation(sink, r.n, cleaned.c_str(), &r.ignored, &fault);
        if (!joined.empty()) r.ignored += (r.ignored.empty() ? "" : ", ") + joined;
        if (!read) return fail();
        if (sink.constant()) return (r.problem = "a constant has no roots", false);
        return true;
    }
    std::string const cleaned = listText(text, origin);
    if (!xNoPresence(r.n, "\n", cleaned.c_str())) {
        fpComplex z;
        if (text.find('x') != std::string::npos)
            r.problem = "a power of x that is not a whole number from 0 to 100000";
        else if (r.n > maxDegree)
            r.problem = "more than 100001 lines";
        else if (r.n == 0 && !getTheNumber(z, cleaned.substr(0, cleaned.find('\n')).c_str()))
            r.problem = "not a number: " + cleaned.substr(0, cleaned.find('\n'));
        else
            r.problem = "a constant has no roots";
        return false;
    }
    detail::CoefficientSink& sink = makeSink(r.n);
    if (!detail::readList(sink, r.n, "\n", cleaned.c_str(), &fault)) return fail();
    if (sink.constant()) return (r.problem = "a constant has no roots", false);
    return true;
}

}  // namespace

bool readPolynomial(std::string const& text, int& n, std::vector<fpComplex>& coefficients, std::string& ignored,
                    std::string& problem) {
    Reading r;
    std::optional<FpVectorSink> sink;
    bool const read = readText(text, r, [&](int degree) -> detail::CoefficientSink& { return sink.emplace(coefficients, degree); });
    n = r.n;
    ignored = std::move(r.ignored);
    problem = std::move(r.problem);
    problem += placeInText(text, r.at);
    return read;
}

std::string placeInText(std::string_view text, int position) {
    if (position < 0 || std::size_t(position) >= text.size()) return "";
    std::string_view const before = text.substr(0, std::size_t(position));
    std::size_t const lineStart = before.rfind('\n') + 1;  // 0 on the first line
    auto const line = std::count(before.begin(), before.end(), '\n') + 1;
    return " (line " + std::to_string(line) + ", column " + std::to_string(std::size_t(position) - lineStart + 1) + ")";
}

PolynomialReading parsePolynomial(std::string_view text) {
    PolynomialReading out;
    Reading r;
    std::optional<ExactSink> sink;
    bool const read =
        readText(std::string(text), r, [&](int degree) -> detail::CoefficientSink& { return sink.emplace(degree); });
    out.ignored = std::move(r.ignored);
    if (read) {
        out.polynomial.emplace(std::move(sink->a));
    } else {
        out.error = r.problem.empty() ? std::string("not a polynomial") : std::move(r.problem);
        out.position = r.at;
    }
    return out;
}

bool readPolynomial(std::string const& text, int& n, std::vector<fpComplex>& coefficients, std::string& ignored) {
    std::string problem;
    return readPolynomial(text, n, coefficients, ignored, problem);
}

}  // namespace korvel
