// Word-level product: schoolbook for short operands, Karatsuba above a
// threshold, unbalanced operands cut into balanced pieces.
#include <cstring>
#include <utility>
#include <vector>

#include "mb/kernels.h"

namespace korvel::words {

namespace {

// Below this many words in the shorter operand schoolbook is used. With the mul
// benchmark, thresholds from 16 to 64 differ less than the run-to-run noise.
constexpr i32 karatsubaThreshold = 32;

void schoolbook(u32* r, u32 const* a, i32 an, u32 const* b, i32 bn) {
    // The shorter operand runs in the outer loop.
    if (an < bn) {
        std::swap(a, b);
        std::swap(an, bn);
    }
    r[an] = mul1(r, a, an, b[0]);
    for (i32 j = 1; j < bn; ++j) r[an + j] = addMul1(r + j, a, an, b[j]);
}

// d[0 .. lo) = |x0 - x1| for x0 of lo words and x1 of hi <= lo words;
// returns true when x0 < x1.
bool absoluteDifference(u32* d, u32 const* x0, i32 lo, u32 const* x1, i32 hi) {
    bool const x0Larger = (lo > hi && x0[lo - 1] != 0) || compare(x0, x1, hi) >= 0;
    if (x0Larger) {
        u32 const borrow = sub(d, x0, x1, hi);
        if (lo > hi) d[hi] = x0[hi] - borrow;
        return false;
    }
    sub(d, x1, x0, hi);  // x0's extra word is zero here
    if (lo > hi) d[hi] = 0;
    return true;
}

// r[0 .. 2n) = a * b for two n-word operands; t is scratch of scratchWords(n).
void karatsuba(u32* r, u32 const* a, u32 const* b, i32 n, u32* t) {
    if (n < karatsubaThreshold) {
        schoolbook(r, a, n, b, n);
        return;
    }
    // a = a1 W^lo + a0, b = b1 W^lo + b0, with a0 b1 + a1 b0 = a0 b0 + a1 b1 - (a0 - a1)(b0 - b1).
    i32 const lo = (n + 1) / 2, hi = n - lo;
    u32* da = t;
    u32* db = t + lo;
    u32* m = t + 2 * lo;
    u32* next = t + 4 * lo;
    bool const negative = absoluteDifference(da, a, lo, a + lo, hi) != absoluteDifference(db, b, lo, b + lo, hi);
    karatsuba(m, da, db, lo, next);
    karatsuba(r, a, b, lo, next);
    karatsuba(r + 2 * lo, a + lo, b + lo, hi, next);

    // middle = a0 b0 + a1 b1 -+ |m|, which is a0 b1 + a1 b0 >= 0, added at word lo.
    u32* middle = next;
    i32 const mn = 2 * lo + 1;
    std::memcpy(middle, r, sizeof(u32) * 2 * lo);
    middle[2 * lo] = 0;
    u32 carry = add(middle, middle, r + 2 * lo, 2 * hi);
    addCarry(middle + 2 * hi, middle + 2 * hi, mn - 2 * hi, carry);
    if (negative) {
        carry = add(middle, middle, m, 2 * lo);
        middle[2 * lo] += carry;
    } else {
        u32 const borrow = sub(middle, middle, m, 2 * lo);
        middle[2 * lo] -= borrow;
    }
    carry = add(r + lo, r + lo, middle, mn);
    addCarry(r + lo + mn, r + lo + mn, 2 * n - lo - mn, carry);
}

// Scratch of one karatsuba level: da, db and m take 4 lo <= 2n + 2 words, then
// the recursion or the middle sum (2 lo + 1 words) reuses what follows. The levels
// sum to S(n) <= 2n + 2 + S((n + 1) / 2), about 4n + 2 log2 n; 8n + 64 doubles that,
// so small n, whose levels are all rounding, are covered too.
i32 scratchWords(i32 n) { return 8 * n + 64; }

std::vector<u32>& scratch(i32 n) {
    thread_local std::vector<u32> t;  // per thread: working storage reused between calls
    if (t.size() < std::size_t(scratchWords(n))) t.resize(std::size_t(scratchWords(n)));
    return t;
}

}  // namespace

void multiply(u32* r, u32 const* a, i32 an, u32 const* b, i32 bn) {
    if (an < bn) {
        std::swap(a, b);
        std::swap(an, bn);
    }
    if (bn < karatsubaThreshold) {
        schoolbook(r, a, an, b, bn);
        return;
    }
    // Balanced pieces of bn words of a, each multiplied by b and added in place.
    std::vector<u32>& t = scratch(bn);
    if (an == bn) {
        karatsuba(r, a, b, bn, t.data());
        return;
    }
    std::vector<u32> piece(2 * std::size_t(bn));
    std::memset(r, 0, sizeof(u32) * (std::size_t(an) + bn));
    for (i32 start = 0; start < an; start += bn) {
        i32 const len = an - start < bn ? an - start : bn;
        if (len == bn)
            karatsuba(piece.data(), a + start, b, bn, t.data());
        else
            multiply(piece.data(), b, bn, a + start, len);
        u32 const carry = add(r + start, r + start, piece.data(), len + bn);
        addCarry(r + start + len + bn, r + start + len + bn, an + bn - start - len - bn, carry);
    }
}

}  // namespace korvel::words
