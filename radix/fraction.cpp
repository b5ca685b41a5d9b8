// Fractional digits from one base to another. The fraction is held in limbs of k
// digits of base from (B = from^k < 2^64), most significant first, and multiplied
// by M = to^j < 2^64; the carry out of the leading limb is the next j output digits.
// A limb step is one two-word division: limb * M + carry < B * M, so the carry
// stays below M.
#include <algorithm>
#include <vector>

#include "radix/internal.h"

namespace korvel::detail {

namespace {

// limbs[0 .. count) *= M[0], then *= M[1], ... up to M[used - 1], in base B, the
// passes made together (see stages); carries[s] = the integer part pass s carried out.
void scale(std::vector<u64>& limbs, std::size_t count, u64 const* M, u64* carries, int used,
           Divisor const& byB) {
    for (int s = 0; s < used; ++s) carries[s] = 0;
    for (std::size_t i = count; i-- > 0;) {
        u64 v = limbs[i];
        for (int s = 0; s < used; ++s) carries[s] = byB.divide(u128(v) * M[s] + carries[s], v);
        limbs[i] = v;
    }
}

// Appends the width digits of value (base to), most significant first.
void appendGroup(Digits& result, u64 value, int width, u32 to) {
    std::size_t const at = result.size();
    result.resize(at + std::size_t(width));
    for (std::size_t p = result.size(); p-- > at;) {
        result[p] = u32(value % to);
        value /= to;
    }
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
    Divisor const byB(in.power);
    std::vector<u64> limbs = packLimbs(digits, from, in, true);

    Digits result;  // most significant first
    std::size_t low = limbs.size();  // limbs[low ..] are zero
    auto trim = [&] {
        while (low > 0 && limbs[low - 1] == 0) --low;
    };
    trim();
    while (result.size() < std::size_t(n) && low > 0) {
        u64 powers[stages];
        u64 values[stages];
        int widths[stages];
        int used = 0;
        for (int wanted = n - int(result.size()); used < stages && wanted > 0; ++used) {
            widths[used] = std::min(group.count, wanted);
            powers[used] = powerOf(to, widths[used]);
            wanted -= widths[used];
        }
        scale(limbs, low, powers, values, used, byB);
        for (int s = 0; s < used; ++s) appendGroup(result, values[s], widths[s], to);
        trim();
    }
    // Ties go up: round up when twice the rest reaches 1.
    u64 const two = 2;
    u64 half = 0;
    if (low > 0) scale(limbs, low, &two, &half, 1, byB);
    if (half != 0) carry = roundUp(result, to);

    while (!result.empty() && result.back() == 0) result.pop_back();
    out.clear();
    if (result.empty()) return true;
    out += '.';
    for (u32 const d : result) appendDigit(out, d);
    return true;
}

}  // namespace korvel::detail
