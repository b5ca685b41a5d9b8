// Integer digits from one base to another. The number is held in limbs of k digits
// of base from (B = from^k < 2^64), most significant first, and divided repeatedly by
// M = to^j < 2^64; each remainder gives j output digits, zero digits included, and
// leading zeros are dropped at the end. A limb step is one two-word division:
// rem * B + limb < M * B, so the quotient is below B.
#include <vector>

#include "radix/internal.h"

namespace korvel::detail {

namespace {

// limbs += 1 in base B; a carry out of the leading limb becomes a new one.
void addOne(std::vector<u64>& limbs, u64 B) {
    for (auto limb = limbs.rbegin(); limb != limbs.rend(); ++limb) {
        if (*limb + 1 < B) {
            ++*limb;
            return;
        }
        *limb = 0;
    }
    limbs.insert(limbs.begin(), 1);
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
    std::vector<u64> limbs = packLimbs(digits, from, in, false);
    if (carry) addOne(limbs, B);

    Digits result;  // least significant first
    std::size_t first = 0;  // limbs[.. first) are zero
    auto skipZeros = [&] {
        while (first < limbs.size() && limbs[first] == 0) ++first;
    };
    skipZeros();
    while (first < limbs.size()) {
        // Divides by M once per stage; pass s divides the quotient pass s - 1 leaves.
        u64 rem[stages] = {};
        for (std::size_t i = first; i < limbs.size(); ++i) {
            u64 v = limbs[i];
            for (u64& r : rem) v = byM.divide(u128(r) * B + v, r);
            limbs[i] = v;
        }
        skipZeros();
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
