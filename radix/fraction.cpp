// Fractional digits from one base to another. The fraction is held in limbs of k
// digits of base from (B = from^k <= 2^32), most significant first, and multiplied
// by M = to^j <= 2^32; the carry out of the leading limb is the next j output digits.
// A limb step is one 64-bit division: limb * M + carry < B * M <= 2^64.
#include <algorithm>
#include <vector>

#include "radix/internal.h"

namespace korvel::detail {

namespace {

// The limbs of the fraction digits in base B = in.power, most significant first;
// the last limb is filled with zero digits.
std::vector<u32> packFraction(Digits const& digits, u32 from, Group in) {
    std::size_t const k = std::size_t(in.count);
    std::vector<u32> limbs((digits.size() + k - 1) / k);
    for (std::size_t i = 0; i < limbs.size(); ++i) {
        u64 v = 0;
        for (std::size_t p = i * k; p < i * k + k; ++p) v = v * from + (p < digits.size() ? digits[p] : 0);
        limbs[i] = u32(v);
    }
    return limbs;
}

// limbs[0 .. count) *= M in base B; returns the integer part carried out.
u64 scale(std::vector<u32>& limbs, std::size_t count, u64 M, u64 B) {
    u64 carry = 0;
    for (std::size_t i = count; i-- > 0;) {
        u64 const x = limbs[i] * M + carry;
        limbs[i] = u32(x % B);
        carry = x / B;
    }
    return carry;
}

// Adds one unit of the last digit of result (base to); true when it carries out.
bool roundUp(Digits& result, u32 to) {
    for (auto d = result.rbegin(); d != result.rend(); ++d) {
        if (*d + 1 < to) {
            ++*d;
            return false;
        }
        *d = 0;
    }
    return true;
}

}  // namespace

bool translateBasePointRight(std::string& out, bool& carry, std::string_view text, u32 to,
                             u32 from, int n) {
    carry = false;
    Digits digits;
    if (!readDigits(digits, text, from) || n < 0) return false;
    Group const in = largestGroup(from);
    Group const group = largestGroup(to);
    u64 const B = in.power;
    std::vector<u32> limbs = packFraction(digits, from, in);

    Digits result;  // most significant first
    std::size_t low = limbs.size();  // limbs[low ..] are zero
    auto trim = [&] {
        while (low > 0 && limbs[low - 1] == 0) --low;
    };
    trim();
    while (result.size() < std::size_t(n) && low > 0) {
        int const count = std::min(group.count, n - int(result.size()));
        u64 next = scale(limbs, low, powerOf(to, count), B);
        std::size_t const at = result.size();
        result.resize(at + std::size_t(count));
        for (std::size_t p = result.size(); p-- > at;) {
            result[p] = u32(next % to);
            next /= to;
        }
        trim();
    }
    // Ties go up: round up when twice the rest reaches 1.
    if (low > 0 && scale(limbs, low, 2, B) != 0) carry = roundUp(result, to);

    while (!result.empty() && result.back() == 0) result.pop_back();
    out.clear();
    if (result.empty()) return true;
    out += '.';
    for (u32 const d : result) appendDigit(out, d);
    return true;
}

}  // namespace korvel::detail
