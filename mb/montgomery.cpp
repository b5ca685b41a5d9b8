// Montgomery multiplication modulo an odd number.
#include "mb/modular.h"

namespace korvel::detail {

namespace {
// Up to this many words a square by halved schoolbook products costs fewer
// word products than the general (Karatsuba) product of the same length.
constexpr i32 squareLimit = 128;
}  // namespace

Montgomery::Montgomery(mb const& m) : m_(abs(m)), n_(length(m)), t_(2 * std::size_t(n_) + 1) {
    // Newton's iteration doubles the correct low bits: m m = 1 mod 8 for odd m.
    u32 const m0 = m_.words[0];
    u32 inverse = m0;
    for (int i = 0; i < 4; ++i) inverse *= 2 - m0 * inverse;
    minusInverse_ = 0u - inverse;
}

Montgomery::Value Montgomery::toForm(mb const& a) const {
    mb t;
    mbShiftLeft(t, a, 32 * n_);
    myModulus(t, t, m_);
    Value r(std::size_t(n_), 0);
    for (i32 i = 0; i < length(t); ++i) r[i] = t.words[i];
    return r;
}

void Montgomery::fromForm(mb& r, Value const& a) {
    std::fill(t_.begin(), t_.end(), 0u);
    for (i32 i = 0; i < n_; ++i) t_[i] = a[i];
    Value plain(std::size_t(n_), 0);
    reduce(plain);
    r.size = n_;
    update(r);
    for (i32 i = 0; i < n_; ++i) r.words[i] = plain[i];
    mbNormalize(r);
}

void Montgomery::mul(Value& r, Value const& a, Value const& b) {
    words::multiply(t_.data(), a.data(), n_, b.data(), n_);
    t_[2 * n_] = 0;
    r.resize(std::size_t(n_));
    reduce(r);
}

void Montgomery::sqr(Value& r, Value const& a) {
    if (n_ > squareLimit) {
        mul(r, a, a);
        return;
    }
    // Each product a_i a_j with i < j once, doubled, then the squares a_i^2.
    u32* t = t_.data();
    u32 const* x = a.data();
    std::fill(t_.begin(), t_.end(), 0u);
    for (i32 i = 0; i + 1 < n_; ++i) t[i + n_] = words::addMul1(t + 2 * i + 1, x + i + 1, n_ - i - 1, x[i]);
    words::shiftLeft(t, t, 2 * n_, 1);
    u64 carry = 0;
    for (i32 i = 0; i < n_; ++i) {
        u64 const p = u64(x[i]) * x[i];
        u64 s = u64(t[2 * i]) + u32(p) + carry;
        t[2 * i] = u32(s);
        s = u64(t[2 * i + 1]) + (p >> 32) + (s >> 32);
        t[2 * i + 1] = u32(s);
        carry = s >> 32;
    }
    r.resize(std::size_t(n_));
    reduce(r);
}

void Montgomery::reduce(Value& r) {
    // Adding u m 2^(32 i) clears word i; t < m R before, so t < 2 m R after
    // and the carry out of the top stops in word 2n.
    u32* t = t_.data();
    u32 const* m = m_.words;
    for (i32 i = 0; i < n_; ++i) {
        u32 carry = words::addMul1(t + i, m, n_, t[i] * minusInverse_);
        for (i32 j = i + n_; carry != 0; ++j) {
            u64 const s = u64(t[j]) + carry;
            t[j] = u32(s);
            carry = u32(s >> 32);
        }
    }
    // t / R < 2m: one subtraction at most.
    if (t[2 * n_] != 0 || words::compare(t + n_, m, n_) >= 0)
        words::sub(r.data(), t + n_, m, n_);
    else
        std::copy(t + n_, t + 2 * n_, r.data());
}

}  // namespace korvel::detail
