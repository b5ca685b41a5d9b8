// The two polynomial forms: x-notation and one coefficient per line.
#include <algorithm>
#include <cctype>
#include <cstring>
#include <string>

#include <korvel/input.h>
#include "input/text.h"

namespace korvel {

using detail::OwnedText;

namespace {

bool isSign(char c) { return c == '+' || c == '-'; }

// Skips the bytes that, read as signed bytes, are at most 32.
int skipControlBytes(char const* text, int p, int len) {
    while (p < len && static_cast<signed char>(text[p]) <= 32) ++p;
    return p;
}

// The exponent text from p: an optional sign, then every byte up to the next
// sign or the end. p moves past it.
std::string exponentText(char const* text, int& p, int len) {
    std::string out;
    if (p < len && isSign(text[p])) out.push_back(text[p++]);
    while (p < len && !isSign(text[p])) out.push_back(text[p++]);
    return out;
}

// The length of the integer that readInt reads at the start of s.
std::size_t integerLength(std::string const& s) {
    std::size_t p = 0;
    while (p < s.size() && std::isspace(static_cast<unsigned char>(s[p]))) ++p;
    if (p < s.size() && isSign(s[p])) ++p;
    while (p < s.size() && detail::isDigit(s[p])) ++p;
    return p;
}

// False when a coefficient's text has a number without any digit, such as the
// numerator of "-/2", which the lenient reader takes as zero.
bool readsAsWritten(std::string const& coefficient) {
    std::string const bare = detail::without(coefficient.c_str(), "() ");
    if (bare.empty() || bare == "+" || bare == "-") return true;
    for (auto part : detail::splitFields(bare, ","))
        for (auto number : detail::splitFields(part, "/"))
            if (std::none_of(number.begin(), number.end(), detail::isDigit)) return false;
    return true;
}

// True when a part of the coefficient text is a fraction whose denominator's
// mantissa has no digit but 0, as in "1/0" or "(1,2/0.0e5)".
bool zeroDenominator(std::string const& coefficient) {
    for (auto part : detail::splitFields(coefficient, ",")) {
        std::size_t const slash = part.find('/');
        if (slash == std::string_view::npos) continue;
        std::string_view d = part.substr(slash + 1);
        d = d.substr(0, std::min(d.find_first_of("eE"), d.size()));
        if (d.find_first_of("123456789") == std::string_view::npos && d.find('0') != std::string_view::npos) return true;
    }
    return false;
}

// False for a zero or constant polynomial.
bool notConstant(fpComplex const* a, int n) {
    for (int m = n; m >= 0; --m)
        if (!!a[m]) return m > 0;
    return false;
}

}  // namespace

bool xPresence(int& n, char const* text) {
    n = 0;
    int const len = int(std::strlen(text));
    if (len == 0 || std::strchr(text, 'x') == nullptr) return false;
    int p = 0;
    for (;;) {
        char const* x = std::strchr(text + p, 'x');
        if (x == nullptr) return true;
        p = skipControlBytes(text, int(x - text) + 1, len);
        if (p == len) {
            n = std::max(n, 1);
            return true;
        }
        if (text[p] != '^') {
            n = std::max(n, 1);
            ++p;
            continue;
        }
        if (p == len - 1) break;
        p = skipControlBytes(text, p + 1, len);
        if (p == len) break;
        int power = 0;
        if (!detail::readInt(exponentText(text, p, len).c_str(), power) || power > maxDegree) break;
        n = std::max(n, power);
    }
    n = 0;
    return false;
}

bool xNoPresence(int& n, char const* sep, char const* text) {
    auto const fields = detail::splitFields(text, sep);
    n = int(fields.size()) - 1;
    if (fields.back().empty()) --n;
    return n >= 1 && n <= maxDegree;
}

namespace {

// The fp readers' sink: a[power] += the coefficient read.
class FpSink final : public detail::CoefficientSink {
public:
    FpSink(fpComplex* a, int n) : a_(a), n_(n) {
        for (int k = 0; k <= n; ++k) equate(a_[k], 0.0, 0.0);
    }
    bool read(char const* text) override { return getTheNumber(term_, text); }
    bool addTo(int power) override {
        add(a_[power], a_[power], term_);
        return true;
    }
    bool constant() const override { return !notConstant(a_, n_); }

private:
    fpComplex* a_;
    int n_;
    fpComplex term_;
};

}  // namespace

bool detail::readList(CoefficientSink& sink, int n, char const* sep, char const* text, ReadFault* fault) {
    auto const fields = detail::splitFields(text, sep);
    std::string field;
    for (int k = 1; k <= n + 1; ++k) {
        // Without a separator every field is the whole text.
        std::size_t const i = fields.size() == 1 ? 0 : std::size_t(k) - 1;
        field.assign(i < fields.size() ? fields[i] : std::string_view());
        if (!sink.read(field.c_str()) || !sink.addTo(n + 1 - k)) {
            if (fault) *fault = {"line " + std::to_string(k) + " is not a number: " + field, -1};
            return false;
        }
    }
    return true;
}

bool inputPoly(fpComplex*& a, int n, char const* sep, char const* text) {
    FpSink sink(a, n);
    return detail::readList(sink, n, sep, text, nullptr) && !sink.constant();
}

bool inputPoly_x(fpComplex*& a, int n, char const* text) {
    if (n <= 0 || n > maxDegree) return false;
    FpSink sink(a, n);
    return detail::readXNotation(sink, n, text, nullptr, nullptr) && !sink.constant();
}

bool detail::readXNotation(CoefficientSink& sink, int n, char const* text, std::string* skipped, ReadFault* fault) {
    auto skip = [skipped](std::string_view what) {
        if (skipped != nullptr) skipped->append(what);
    };
    auto refuse = [fault](std::string reason, int at) {
        if (fault) *fault = {std::move(reason), at};
        return false;
    };
    int const len = int(std::strlen(text));
    // A last byte after a term is not read; a line end there is no loss.
    auto skipLastByte = [&](int at) {
        if (at == len - 1 && text[at] != '\n' && text[at] != '\r') skip(std::string_view(text + at, 1));
    };
    if (n <= 0 || n > maxDegree || len == 0) return refuse("no term", 0);
    for (char const* q = text; *q != '\0'; ++q)
        if (!detail::isDigit(*q) && std::strchr("\n\rx ()/,^+-.eE", *q) == nullptr)
            return refuse(std::string("unexpected ") + *q, int(q - text));

    int p = 0;
    for (;;) {
        // One term: sign, coefficient (parenthesised or up to the x), then its power.
        int const start = p;
        std::string coefficient;
        if (isSign(text[p])) coefficient.push_back(text[p++]);
        bool parenthesised = false;
        if (p < len && text[p] == '(') {
            char const* close = std::strchr(text + p + 1, ')');
            if (close == nullptr) return refuse("a parenthesis that does not close", p);
            std::string_view inner(text + p + 1, std::size_t(close - text - p - 1));
            // A sign before the parentheses meets the real part's own sign:
            // "+(-2,1)" is -2 + i, and "-(-2,1)" is 2 + i.
            // Only a sign before a number's first byte: "+(-)" stays refused.
            std::size_t const first = inner.find_first_not_of(' ');
            std::size_t const next = first == std::string_view::npos ? first : inner.find_first_not_of(' ', first + 1);
            bool const signedNumber = next != std::string_view::npos && isSign(inner[first]) &&
                                      (detail::isDigit(inner[next]) || inner[next] == '.');
            if (!coefficient.empty() && signedNumber) {
                coefficient = coefficient[0] == inner[first] ? "+" : "-";
                inner.remove_prefix(first + 1);
            }
            coefficient.append(inner);
            p = int(close - text) + 1;
            parenthesised = true;
        } else {
            while (p < len && text[p] != 'x' && text[p] != '\n' && text[p] != '\r') coefficient.push_back(text[p++]);
        }
        if (!sink.read(coefficient.c_str())) {
            // "2+x^2": a plain constant ran into the next term's coefficient.
            for (std::size_t i = 1; i < coefficient.size(); ++i)
                if (isSign(coefficient[i]) && std::tolower(coefficient[i - 1]) != 'e')
                    return refuse("a constant before another term (write it last, or in parentheses)", start);
            if (zeroDenominator(coefficient)) return refuse("a zero denominator: " + coefficient, start);
            if (VerifyNumComplexFracString(coefficient.c_str()))
                return refuse("a number beyond the range of the working precision: " + coefficient, start);
            return refuse("not a number: " + coefficient, start);
        }
        if (!readsAsWritten(coefficient)) {
            skip(coefficient);
        } else if (!parenthesised) {
            // Parentheses that open or close nothing, as in "x^2-2)))", are passed over.
            for (char c : coefficient)
                if (c == '(' || c == ')') skip(std::string_view(&c, 1));
        }

        if (p < len && text[p] == 'x') {
            ++p;
            int power = 1;
            if (p < len && text[p] == '^') {
                int const at = p;
                if (p == len - 1) return refuse("a power without its exponent", at);
                ++p;
                std::string const exponent = exponentText(text, p, len);
                if (!detail::readInt(exponent.c_str(), power)) return refuse("a power that is not a whole number", at);
                if (power < 0 || power > n) return refuse("a negative power", at);
                skip(std::string_view(exponent).substr(integerLength(exponent)));
            }
            if (!sink.addTo(power)) return refuse("terms too far apart in size to add", start);
            if (p < len - 1) continue;
            skipLastByte(p);
            break;
        }
        // A term without x ends the text or is followed by a sign.
        bool const atEnd = p >= len - 1;
        if ((atEnd || isSign(text[p])) && !sink.addTo(0)) return refuse("terms too far apart in size to add", start);
        if (atEnd) {
            skipLastByte(p);
            break;
        }
        if (!isSign(text[p])) return refuse("a constant before another term", start);
    }
    return true;
}

}  // namespace korvel
