// Modular multiplication for powerMod and Miller_Rabin; not part of the public interface.
#pragma once

#include <algorithm>
#include <vector>

#include "mb/internal.h"

namespace korvel::detail {

// Residues modulo an odd m > 1 in Montgomery form: a is held as a R mod m,
// R = 2^(32 n), in n words, n the length of m. Products reduce by m without division.
class Montgomery {
public:
    using Value = std::vector<u32>;

    explicit Montgomery(mb const& m);
    Value toForm(mb const& a) const;             // a R mod m, for a >= 0
    void fromForm(mb& r, Value const& a);        // r = a / R mod m, in [0, m)
    void mul(Value& r, Value const& a, Value const& b);  // r = a b / R mod m; r may be a or b
    void sqr(Value& r, Value const& a);                  // r = a a / R mod m; r may be a

private:
    void reduce(Value& r);  // r = t / R mod m for the product t held in t_

    mb m_;
    i32 n_;
    u32 minusInverse_;      // -1 / m mod 2^32
    std::vector<u32> t_;    // a product and its reduction, 2 n + 1 words
};

// Residues modulo any m > 0 kept as mb values in [0, m), reduced by division.
class DivisionRing {
public:
    using Value = mb;

    explicit DivisionRing(mb const& m) : m_(m) {}
    void mul(mb& r, mb const& a, mb const& b) {
        korvel::mul(r, a, b);
        myModulus(r, r, m_);
    }
    void sqr(mb& r, mb const& a) { mul(r, a, a); }

private:
    mb const& m_;
};

// Bit i of |x|.
inline bool bitOf(mb const& x, i64 i) {
    return i / 32 < length(x) && ((x.words[i / 32] >> (i % 32)) & 1u) != 0;
}

// acc = base^e for e > 0 in the ring, by sliding windows of odd powers over e's
// bits from the top. base and acc must be different objects.
template <class Ring>
void windowPower(Ring& ring, typename Ring::Value& acc, typename Ring::Value const& base, mb const& e) {
    i64 const bits = NumBits(e);
    // Window widths at which the saved multiplications pay for the table.
    i32 const k = bits <= 24 ? 1 : bits <= 80 ? 2 : bits <= 240 ? 3 : bits <= 700 ? 4 : bits <= 2000 ? 5 : 6;
    std::vector<typename Ring::Value> odd(std::size_t(1) << (k - 1));  // base^1, base^3, ...
    odd[0] = base;
    if (k > 1) {
        typename Ring::Value square;
        ring.sqr(square, base);
        for (std::size_t j = 1; j < odd.size(); ++j) ring.mul(odd[j], odd[j - 1], square);
    }
    bool started = false;
    for (i64 i = bits - 1; i >= 0;) {
        if (!bitOf(e, i)) {
            ring.sqr(acc, acc);
            --i;
            continue;
        }
        i32 width = i + 1 < k ? i32(i + 1) : k;
        while (!bitOf(e, i - width + 1)) --width;
        u32 value = 0;
        for (i64 j = i; j > i - width; --j) value = (value << 1) | u32(bitOf(e, j));
        if (started) {
            for (i32 s = 0; s < width; ++s) ring.sqr(acc, acc);
            ring.mul(acc, acc, odd[value >> 1]);
        } else {
            acc = odd[value >> 1];
            started = true;
        }
        i -= width;
    }
}

}  // namespace korvel::detail
