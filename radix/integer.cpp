// Integer digits from one base to another. The number is held in limbs of k digits
// of base from (B = from^k <= 2^32) and divided repeatedly by M = to^j <= 2^32; each
// remainder gives j output digits. A limb step is one 64-bit division:
// rem * B + limb < M * B <= 2^64.
#include <vector>

#include "radix/internal.h"

namespace korvel::detail {

namespace {

// The limbs of the integer digits in base B = in.power, least significant first;
// the top limb may hold fewer than in.count digits.
std::vector<u32> packInteger(Digits const& digits, u32 from, Group in) {
    std::size_t const k = std::size_t(in.count);
    std::vector<u32> limbs((digits.size() + k - 1) / k);
    for (std::size_t i = 0; i < limbs.size(); ++i) {
        std::size_t const end = digits.size() - i * k;
        std::size_t const begin = end > k ? end - k : 0;
        u64 v = 0;
        for (std::size_t p = begin; p < end; ++p) v = v * from + digits[p];
        limbs[i] = u32(v);
    }
    return limbs;
}

// limbs += 1 in base B; a carry out of the top limb becomes a new limb.
void addOne(std::vector<u32>& limbs, u64 B) {
    for (u32& limb : limbs) {
        if (limb + u64(1) < B) {
            ++limb;
            return;
        }
        limb = 0;
    }
    limbs.push_back(1);
}

}  // namespace

bool translateBasePointLeft(std::string& out, std::string_view text, u32 to, u32 from,
                            bool carry) {
    Digits digits;
    if (!readDigits(digits, text, from)) return false;
    Group const in = largestGroup(from);
    Group const group = largestGroup(to);
    u64 const B = in.power;
    u64 const M = group.power;
    std::vector<u32> limbs = packInteger(digits, from, in);
    if (carry) addOne(limbs, B);

    Digits result;  // least significant first
    std::size_t top = limbs.size();
    while (top > 0 && limbs[top - 1] == 0) --top;
    while (top > 0) {
        u64 rem = 0;
        for (std::size_t i = top; i-- > 0;) {
            u64 const x = rem * B + limbs[i];
            limbs[i] = u32(x / M);
            rem = x % M;
        }
        while (top > 0 && limbs[top - 1] == 0) --top;
        // Below the leading group every one of its j digits is written, zeros included.
        for (int c = 0; c < group.count && (top > 0 || rem != 0); ++c) {
            result.push_back(u32(rem % to));
            rem /= to;
        }
    }
    if (result.empty()) result.push_back(0);

    out.clear();
    for (auto d = result.rbegin(); d != result.rend(); ++d) appendDigit(out, *d);
    return true;
}

}  // namespace korvel::detail
