// Helpers shared by the radix conversion routines; not part of the public interface.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace korvel::detail {

using u32 = std::uint32_t;
using u64 = std::uint64_t;

// Digit values, most significant first.
using Digits = std::vector<u32>;

// count = the digits of text, a bracketed group counting as one; false when a "<"
// has no closing ">".
bool digitCount(std::size_t& count, std::string_view text);
// value = the digit written in text: one character, or "<decimal digits>" up to 65535.
bool evalDigit(u32& value, std::string_view text);
// values = the digits of text; false when there are none or one is invalid or not below base.
bool readDigits(Digits& values, std::string_view text, u32 base);
// Appends digit in the digit notation, letters upper case.
void appendDigit(std::string& out, u32 digit);
// A copy of text with the letters A-Z lower-cased.
std::string convToLowerCase(std::string_view text);

// base^count for the largest count with base^count <= 2^32: the digits that one
// 32-bit limb holds, so that a limb times such a power fits 64 bits.
struct Group {
    u64 power;
    int count;
};
Group largestGroup(u32 base);
u64 powerOf(u32 base, int count);  // base^count, count <= largestGroup(base).count

// out = "." and the first n digits in base to of the fraction "0.digits" (base from),
// rounded to nearest with ties up, trailing zeros dropped; "" when no digit remains.
// carry = the rounding reached 1. False when digits is not a valid fraction.
bool translateBasePointRight(std::string& out, bool& carry, std::string_view digits, u32 to,
                             u32 from, int n);
// out = digits (base from) plus carry, in base to; "0" for zero. False when digits
// is not a valid integer.
bool translateBasePointLeft(std::string& out, std::string_view digits, u32 to, u32 from,
                            bool carry);

}  // namespace korvel::detail
