// Reading polynomials typed by the user: number-text validation, field
// splitting, and the two input forms (x-notation and one coefficient per line).
//
// Every text these functions return is a fresh malloc'd copy that the caller
// releases with free (or holds in an OwnedText). Every reader reports a bad entry
// only by returning false.
//
// Threads: the readers keep no state between calls apart from per-thread
// counters, so they may run on several threads at once.
#pragma once

#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include <korvel/complex.h>
#include <korvel/export.h>

KORVEL_API_BEGIN
namespace korvel {

// The highest degree the readers accept. Above it the coefficient array alone
// would ask for more memory than an entry deserves; such a text is an entry problem.
inline constexpr int maxDegree = 100000;

// ---- field splitting -------------------------------------------------------------------
// First occurrence of sep in text at an index >= start; false when none.
[[nodiscard]] bool FindSep(int& pos, char const* text, char const* sep, int start);
// Number of fields sep divides text into (overlapping occurrences count).
int CountFields(char const* text, char const* sep);
// Field n (from 1) as a new text; the whole text when sep does not occur.
char* NthField(char const* text, char const* sep, int n);

// ---- number text ---------------------------------------------------------------------------
[[nodiscard]] bool VerifyNumString(char const* s);     // [+-]digits, a lone sign included
[[nodiscard]] bool VerifyNumDPString(char const* s);   // integer part, optionally "." and digits
[[nodiscard]] bool VerifyNumExpString(char const* s);  // decimal, optionally "e" and an integer
[[nodiscard]] bool VerifyNumExpString2(char*& mantissa, char*& exponent, char const* s);  // defaults "0", "0"
[[nodiscard]] bool VerifyNumFracString(char const* s);  // exponent text, optionally "/" and another
[[nodiscard]] bool VerifyNumFracString2(char*& numerator, char*& denominator, char const* s);  // defaults "0", "1"
[[nodiscard]] bool VerifyNumComplexFracString(char const* s);  // fraction, optionally "," and another
// Defaults "0/1", "0/1".
[[nodiscard]] bool VerifyNumComplexFracString2(char*& realPart, char*& imagPart, char const* s);

// ---- polynomials ------------------------------------------------------------------------------
// z = the coefficient in s: "" and "+" give 1, "-" gives -1.
[[nodiscard]] bool getTheNumber(fpComplex& z, char const* s);
// True when text is in x-notation with readable exponents; n = the largest power.
[[nodiscard]] bool xPresence(int& n, char const* text);
// n = the number of lines of a list less one (a final empty line not counted); true when n >= 1.
[[nodiscard]] bool xNoPresence(int& n, char const* sep, char const* text);
// Fill a[0 .. n] (a[k] the coefficient of x^k); false on an entry fault or a constant polynomial.
[[nodiscard]] bool inputPoly_x(fpComplex*& a, int n, char const* text);
[[nodiscard]] bool inputPoly(fpComplex*& a, int n, char const* sep, char const* text);

// A typed polynomial in the form its text shows: x-notation, keeping only the
// characters of that notation, or a list of lines (ending in LF or CR LF) with
// the spaces dropped. n is the degree read and coefficients[k] the coefficient
// of x^k. ignored gets what an x-notation text had that was passed over
// unread, other than blanks and a `*` between a coefficient and its x; empty
// when nothing was; blanks or line ends that join two runs of digits are named
// there too ("blank between 4 and 3"). The whole text is read, NUL bytes
// included: a NUL byte is refused. False on an entry problem.
[[nodiscard]] bool readPolynomial(std::string const& text, int& n, std::vector<fpComplex>& coefficients,
                                  std::string& ignored);
// The same; problem gets what refused the text when that can be named for the
// user ("NUL byte on line 2"), empty otherwise.
[[nodiscard]] bool readPolynomial(std::string const& text, int& n, std::vector<fpComplex>& coefficients,
                                  std::string& ignored, std::string& problem);

// ---- exact coefficients ------------------------------------------------------------------
// A real number as typed: num / den * 10^exp10 with den > 0, exactly, unless
// shortened: a number with more significant digits than any precision can use
// keeps the first of them and a last 1 for the rest, which rounds as the whole
// would to every precision up to maxFigures.
struct DecimalFraction {
    mb num{0}, den{1};
    i64 exp10 = 0;
    bool shortened = false;
};
// A complex coefficient as typed: its two parts.
struct ExactComplex {
    DecimalFraction re, im;
};

// z = the coefficient in s, exactly, as getTheNumber reads it.
[[nodiscard]] bool readExact(ExactComplex& z, char const* s);
// r = x + y exactly; false when their powers of ten lie more than 100000 apart.
[[nodiscard]] bool add(DecimalFraction& r, DecimalFraction const& x, DecimalFraction const& y);
// x = d rounded to `words` words to nearest, ties away from zero, as fpNormalize
// rounds; exact tells whether it was held without rounding. A power of ten
// beyond 10^+-100000 goes through the fp reader and a division: within one unit
// of the last word then, and never called exact. False (x unchanged) when d lies
// beyond the range of fp.
[[nodiscard]] bool roundToFp(fp& x, DecimalFraction const& d, i32 words, bool& exact);

// A polynomial as given: coefficients typed as text, held exactly, or fp
// values handed over by a caller, held as they are. Leading zero coefficients
// lower its degree.
class Polynomial {
public:
    Polynomial() = default;
    explicit Polynomial(std::vector<ExactComplex> coefficients);    // [k] of x^k
    explicit Polynomial(std::span<fpComplex const> coefficients);  // [k] of x^k

    int degree() const { return degree_; }  // -1 for the zero polynomial
    // Typed, held exactly: not fp values, and no number shortened.
    bool exact() const { return values_.empty() && degree_ >= 0 && !shortened_; }
    std::vector<ExactComplex> const& exactCoefficients() const { return exact_; }

    // a[0 .. degree()] = the coefficients at `words` words, each part rounded
    // correctly (fp values as they are); exact tells whether none was rounded.
    // False when a coefficient lies beyond the range of fp.
    [[nodiscard]] bool toComplex(std::vector<fpComplex>& a, i32 words, bool* exact = nullptr) const;

private:
    std::vector<ExactComplex> exact_;
    std::vector<fpComplex> values_;
    int degree_ = -1;
    bool shortened_ = false;
};

// A text read as a polynomial: the polynomial as typed, or why not and where.
struct PolynomialReading {
    std::optional<Polynomial> polynomial;  // empty on an entry problem
    std::string error;                     // what refused the text ("NUL byte on line 2")
    int position = -1;                     // its byte offset in the text; -1 when nowhere in particular
    std::string ignored;                   // what the lenient x-notation passed over, as readPolynomial says
};
// The text in either input form, as readPolynomial reads it, with the
// coefficients held exactly.
PolynomialReading parsePolynomial(std::string_view text);
// " (line L, column C)" of a byte offset in text, both from 1; "" for none (-1).
std::string placeInText(std::string_view text, int position);

}  // namespace korvel
KORVEL_API_END
