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

#include <string>
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
bool FindSep(int& pos, char const* text, char const* sep, int start);
// Number of fields sep divides text into (overlapping occurrences count).
int CountFields(char const* text, char const* sep);
// Field n (from 1) as a new text; the whole text when sep does not occur.
char* NthField(char const* text, char const* sep, int n);

// ---- number text ---------------------------------------------------------------------------
bool VerifyNumString(char const* s);     // [+-]digits, a lone sign included
bool VerifyNumDPString(char const* s);   // integer part, optionally "." and digits
bool VerifyNumExpString(char const* s);  // decimal, optionally "e" and an integer
bool VerifyNumExpString2(char*& mantissa, char*& exponent, char const* s);  // defaults "0", "0"
bool VerifyNumFracString(char const* s);  // exponent text, optionally "/" and another
bool VerifyNumFracString2(char*& numerator, char*& denominator, char const* s);  // defaults "0", "1"
bool VerifyNumComplexFracString(char const* s);  // fraction, optionally "," and another
bool VerifyNumComplexFracString2(char*& realPart, char*& imagPart, char const* s);  // defaults "0/1", "0/1"

// ---- polynomials ------------------------------------------------------------------------------
// z = the coefficient in s: "" and "+" give 1, "-" gives -1.
bool getTheNumber(fpComplex& z, char const* s);
// True when text is in x-notation with readable exponents; n = the largest power.
bool xPresence(int& n, char const* text);
// n = the number of lines of a list less one (a final empty line not counted); true when n >= 1.
bool xNoPresence(int& n, char const* sep, char const* text);
// Fill a[0 .. n] (a[k] the coefficient of x^k); false on an entry fault or a constant polynomial.
bool inputPoly_x(fpComplex*& a, int n, char const* text);
bool inputPoly(fpComplex*& a, int n, char const* sep, char const* text);

// A typed polynomial in the form its text shows: x-notation, keeping only the
// characters of that notation, or a list of lines (ending in LF or CR LF) with
// the spaces dropped. n is the degree read and coefficients[k] the coefficient
// of x^k. ignored gets what an x-notation text had that was passed over
// unread, other than blanks and a `*` between a coefficient and its x; empty
// when nothing was; blanks or line ends that join two runs of digits are named
// there too ("blank between 4 and 3"). The whole text is read, NUL bytes
// included: a NUL byte is refused. False on an entry problem.
bool readPolynomial(std::string const& text, int& n, std::vector<fpComplex>& coefficients, std::string& ignored);
// The same; problem gets what refused the text when that can be named for the
// user ("NUL byte on line 2"), empty otherwise.
bool readPolynomial(std::string const& text, int& n, std::vector<fpComplex>& coefficients, std::string& ignored,
                    std::string& problem);

}  // namespace korvel
KORVEL_API_END
