// Number text rewritten from one base into another.
//
// Digit notation, read and written: a digit of value 0 to 35 is one of "0-9A-Z"
// ("a-z" read as well); any digit up to 65535 may be written as its decimal value
// in angle brackets ("<100>"), and every digit above 35 is written that way. A
// fractional part follows one ".". Only non-negative numbers are read.
//
// The conversion works on machine integers only and keeps no state: it may run on
// several threads at once. Its cost is quadratic. With k source and j target digits
// to a 64-bit limb (19 in base 10, 15 in base 16, 3 in base 65536), L source digits
// cost L * m / (2kj) two-word divisions to give m integer digits and about L * n / (kj)
// to give n fractional ones.
#pragma once

#include <korvel/export.h>

KORVEL_API_BEGIN
namespace korvel {

inline constexpr int radixMinBase = 2;
inline constexpr int radixMaxBase = 65536;
// The most fractional digits BaseFromBase is asked for; a larger count is refused.
inline constexpr int radixMaxFractionDigits = 1 << 24;

// The number in text (base from) in base to, with at most n fractional digits rounded
// to nearest (ties up, a carry reaching the integer part); trailing zero fractional
// digits and an empty fraction are dropped, and a text without an integer part gives
// ".xxx". Letters are lower case unless upper. White space is removed from text in
// place first; to == from gives a copy that is not validated. Every fault (a base
// outside 2 .. 65536, n < 0 or too large, a second ".", a digit that is invalid or
// not below from, an unclosed "<") gives the empty text. The result is a new text
// from malloc that the caller releases with free.
char* BaseFromBase(char* text, int to, int from, int n, bool upper);

}  // namespace korvel
KORVEL_API_END
