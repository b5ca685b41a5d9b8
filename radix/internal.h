// Helpers shared by the radix conversion routines; not part of the public interface.
#pragma once

#include <bit>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace korvel::detail {

using u32 = std::uint32_t;
using u64 = std::uint64_t;
__extension__ using u128 = unsigned __int128;

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

// base^count for the largest count with base^count < 2^64: the digits that one
// 64-bit limb holds, so that a limb times such a power fits 128 bits.
struct Group {
    u64 power;
    int count;
};
Group largestGroup(u32 base);
u64 powerOf(u32 base, int count);  // base^count, count <= largestGroup(base).count
// The digits (base from) read in.count at a time into limbs of base in.power, most
// significant first; the missing digits of a partial limb are zeros in front (an
// integer) or behind (a fraction).
std::vector<u64> packLimbs(Digits const& digits, u32 from, Group in, bool zerosBehind);

// Conversion passes made together in one sweep over the limbs: pass s works one limb
// behind pass s - 1, so their chains of dependent divisions overlap in the processor.
inline constexpr int stages = 2;

// Division of a two-word number by one invariant word with a precomputed reciprocal
// (the 2-by-1 step of Moller and Granlund): the same divisor serves every limb of a
// conversion, and a multiplication is cheaper than a division instruction.
class Divisor {
public:
    explicit Divisor(u64 d)
        : shift_(std::countl_zero(d)), d_(d << shift_), v_(u64(~u128(0) / d_ - (u128(1) << 64))) {}

    // Returns x / d and sets rem = x mod d; requires x < d * 2^64.
    u64 divide(u128 x, u64& rem) const {
        x <<= shift_;
        u64 const u0 = u64(x);
        u128 const p = u128(v_) * u64(x >> 64) + x;
        u64 q = u64(p >> 64) + 1;
        u64 r = u0 - q * d_;
        u64 const adjust = u64(0) - u64(r > u64(p));  // often taken: a mask, not a branch
        q += adjust;
        r += adjust & d_;
        if (r >= d_) [[unlikely]] {
            ++q;
            r -= d_;
        }
        rem = r >> shift_;
        return q;
    }

private:
    int shift_;  // d << shift_ has its top bit set
    u64 d_;      // the divisor so normalised
    u64 v_;      // floor((2^128 - 1) / d_) - 2^64
};

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
