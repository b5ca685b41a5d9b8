// The two polynomial forms: x-notation and one coefficient per line.
#include <algorithm>
#include <cctype>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

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

// True when the sign at c[i] starts a new term: not the first byte, and not the
// sign of an exponent, a denominator, an imaginary part or another sign.
bool startsTerm(std::string_view c, std::size_t i) {
    return i > 0 && isSign(c[i]) && std::strchr("eE/,(+-", c[i - 1]) == nullptr;
}

// The terms in a run of text without x: "2+3" is 2 and +3, "1e-3-2i" is 1e-3
// and -2i. Each is a view into c; a number's text never holds such a sign.
std::vector<std::string_view> splitTerms(std::string_view c) {
    std::vector<std::string_view> out;
    std::size_t begin = 0;
    for (std::size_t i = 1; i < c.size(); ++i)
        if (startsTerm(c, i)) {
            out.push_back(c.substr(begin, i - begin));
            begin = i;
        }
    out.push_back(c.substr(begin));
    return out;
}

// A term in i, "[sign][number]i", as the imaginary part of a pair: "-2i" is
// "0,-2", "i" is "0,1". A term without i stays as it is; false when the i is
// not last or comes twice.
bool imaginaryAsPair(std::string_view term, std::string& out) {
    std::size_t const i = term.find('i');
    if (i == std::string_view::npos) return (out.assign(term), true);
    if (i + 1 != term.size()) return false;
    std::string_view number = term.substr(0, i);
    std::string sign;
    if (!number.empty() && isSign(number[0])) {
        sign = number[0];
        number.remove_prefix(1);
    }
    out.assign("0,");
    out += sign;
    out += number.empty() ? std::string_view("1") : number;
    return true;
}

std::string negated(std::string_view number) {
    bool const signed_ = !number.empty() && isSign(number[0]);
    std::string out(1, signed_ && number[0] == '-' ? '+' : '-');
    out.append(signed_ ? number.substr(1) : number);
    return out;
}

// The inside of parentheses written with i, "3-2i", "-i", "2i+1", as a pair
// "re,im"; a minus before the parentheses negates both parts. False when the
// inside is not one real and one imaginary term, or one of them alone.
bool parenthesisedWithI(std::string_view inner, bool minus, std::string& out) {
    std::string re, im;
    for (std::string_view term : splitTerms(inner)) {
        std::string pair;
        bool const imaginary = term.find('i') != std::string_view::npos;
        std::string& part = imaginary ? im : re;
        if (term.empty() || !part.empty() || !imaginaryAsPair(term, pair)) return false;
        part = imaginary ? pair.substr(2) : pair;
    }
    if (re.empty()) re.push_back('0');
    if (im.empty()) im.push_back('0');
    out = minus ? negated(re) + "," + negated(im) : re + "," + im;
    return true;
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
        std::string number = field;
        if (field.find('i') != std::string::npos) {
            // A line in i, "3-2i" or "(3-2i)", as its pair.
            std::string_view inner = field;
            if (inner.size() >= 2 && inner.front() == '(' && inner.back() == ')') inner = inner.substr(1, inner.size() - 2);
            if (!parenthesisedWithI(inner, false, number)) number = field;
        }
        if (!sink.read(number.c_str()) || !sink.addTo(n + 1 - k)) {
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
        if (!detail::isDigit(*q) && std::strchr("\n\rx ()/,^+-.eEi", *q) == nullptr)
            return refuse(std::string("unexpected ") + *q, int(q - text));

    // What a coefficient read passes over: all of it when a number has no
    // digit, and parentheses that open or close nothing, as in "x^2-2)))".
    auto passOver = [&](std::string_view typed, std::string const& number, bool parenthesised) {
        if (!readsAsWritten(number)) {
            skip(typed);
        } else if (!parenthesised) {
            for (char c : typed)
                if (c == '(' || c == ')') skip(std::string_view(&c, 1));
        }
    };
    // Reads one coefficient: typed as it stands in the text at byte at, number
    // as the number reader takes it (a term in i made a pair).
    auto readCoefficient = [&](std::string_view typed, std::string const& number, int at, bool parenthesised) {
        std::string const shown(typed);
        if (!sink.read(number.c_str())) {
            if (zeroDenominator(number)) return refuse("a zero denominator: " + shown, at);
            if (VerifyNumComplexFracString(number.c_str()))
                return refuse("a number beyond the range of the working precision: " + shown, at);
            if (shown.find('i') != std::string::npos)
                return refuse("not a number: " + shown + " (i stands last in its term: 2i, -i, (3-2i)x)", at);
            return refuse("not a number: " + shown, at);
        }
        passOver(typed, number, parenthesised);
        return true;
    };

    int p = 0;
    for (;;) {
        // One term: sign, coefficient (parenthesised or up to the x), then its
        // power. Plain constants may stand before it: "2+3x" is 2, then 3x.
        int start = p;
        std::string coefficient;
        if (isSign(text[p])) coefficient.push_back(text[p++]);
        if (p < len && text[p] == '(') {
            char const* close = std::strchr(text + p + 1, ')');
            if (close == nullptr) return refuse("a parenthesis that does not close", p);
            std::string_view inner(text + p + 1, std::size_t(close - text - p - 1));
            if (inner.find('i') != std::string_view::npos) {
                // (3-2i): a minus before it negates the whole number.
                std::string pair;
                if (!parenthesisedWithI(inner, coefficient == "-", pair))
                    return refuse("not a number: (" + std::string(inner) + ") (write a + bi, as (3-2i))", p);
                coefficient = pair;
            } else {
                // A sign before a pair meets the real part's own sign:
                // "+(-2,1)" is -2 + i, and "-(-2,1)" is 2 + i.
                // Only a sign before a number's first byte: "+(-)" stays refused.
                std::size_t const first = inner.find_first_not_of(' ');
                std::size_t const next =
                    first == std::string_view::npos ? first : inner.find_first_not_of(' ', first + 1);
                bool const signedNumber = next != std::string_view::npos && isSign(inner[first]) &&
                                          (detail::isDigit(inner[next]) || inner[next] == '.');
                if (!coefficient.empty() && signedNumber) {
                    coefficient = coefficient[0] == inner[first] ? "+" : "-";
                    inner.remove_prefix(first + 1);
                }
                coefficient.append(inner);
            }
            p = int(close - text) + 1;
            // A pair is named as the reader took it, a number in i as typed.
            std::string_view const typed =
                inner.find('i') == std::string_view::npos ? coefficient : std::string_view(text + start, std::size_t(p - start));
            if (!readCoefficient(typed, coefficient, start, true)) return false;
        } else {
            // Up to the x, read as one coefficient when it reads so, as it always
            // was; otherwise as its terms, up to a term in parentheses:
            // "2+(3-2i)x" is 2, then (3-2i)x.
            int end = p;
            while (end < len && text[end] != 'x' && text[end] != '\n' && text[end] != '\r') ++end;
            std::string_view const whole(text + start, std::size_t(end - start));
            std::string number;
            if (imaginaryAsPair(whole, number) && sink.read(number.c_str())) {
                passOver(whole, number, false);
                p = end;
            } else {
                std::string_view const all(text, std::size_t(len));
                auto parenthesisedNext = [&] { return p > start && startsTerm(all, std::size_t(p)) && text[p + 1] == '('; };
                while (p < end && !parenthesisedNext()) ++p;
                std::string_view const run(text + start, std::size_t(p - start));
                std::vector<std::string_view> const terms = splitTerms(run);
                for (std::string_view const& term : terms) {
                    start = int(term.data() - text);
                    if (!imaginaryAsPair(term, number)) number = term;  // refused below, as typed
                    if (!readCoefficient(term, number, start, false)) return false;
                    if (&term != &terms.back() && !sink.addTo(0))
                        return refuse("terms too far apart in size to add", start);
                }
            }
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
