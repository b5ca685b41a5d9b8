// Integer digits from one base to another. The number is held in limbs of k digits
// of base from (B = from^k < 2^64) and divided repeatedly by M = to^j < 2^64; each
// remainder gives j output digits, zero digits included, and leading zeros are
// dropped at the end. A limb step is one two-word division:
// rem * B + limb < M * B, so the quotient is below B.
#include <vector>

#include "radix/internal.h"

namespace korvel::detail {

namespace {

// The limbs of the integer digits in base B = in.power, least significant first;
// the top limb may hold fewer than in.count digits.
std::vector<u64> packInteger(Digits const& digits, u32 from, Group in) {
    std::size_t const k = std::size_t(in.count);
    std::vector<u64> limbs((digits.size() + k - 1) / k);
    for (std::size_t i = 0; i < limbs.size(); ++i) {
        std::size_t const end = digits.size() - i * k;
        std::size_t const begin = end > k ? end - k : 0;
        u64 v = 0;
        for (std::size_t p = begin; p < end; ++p) v = v * from + digits[p];
        limbs[i] = v;
    }
    return limbs;
}

// limbs += 1 in base B; a carry out of the top limb becomes a new limb.
void addOne(std::vector<u64>& limbs, u64 B) {
    for (u64& limb : limbs) {
        if (limb + 1 < B) {
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
    Divisor const byM(group.power);
    std::vector<u64> limbs = packInteger(digits, from, in);
    if (carry) addOne(limbs, B);

    Digits result;  // least significant first
    std::size_t top = limbs.size();
    while (top > 0 && limbs[top - 1] == 0) --top;
    while (top > 0) {
        // Divides by M once per stage; pass s divides the quotient pass s - 1 leaves.
        u64 rem[stages] = {};
        for (std::size_t i = top; i-- > 0;) {
            u64 v = limbs[i];
            for (u64& r : rem) v = byM.divide(u128(r) * B + v, r);
            limbs[i] = v;
        }
        while (top > 0 && limbs[top - 1] == 0) --top;
        for (u64 r : rem)
            for (int c = 0; c < group.count; ++c) {
                result.push_back(u32(r % to));
                r /= to;
            }
    }
    while (result.size() > 1 && result.back() == 0) result.pop_back();  // leading zeros
    if (result.empty()) result.push_back(0);

    out.clear();
    for (auto d = result.rbegin(); d != result.rend(); ++d) appendDigit(out, *d);
    return true;
}

}  // namespace korvel::detail
