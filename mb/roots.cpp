// Integer square and n-th roots by Newton's iteration.
#include <cmath>

#include "mb/internal.h"

namespace korvel {

using detail::length;

namespace {

// A safety net, never reached: the starts below lie just above the root (the root
// of the leading 52 bits or leading half, plus one, shifted back), from which each
// step at least doubles the correct bits, so about log2(bits) + 3 steps (under 40
// for any size that fits memory) end the loop. The cap only bounds a loop that a fault could leave running.
constexpr int maxNewtonSteps = 10000;

// Newton's iteration for floor(sqrt(x)) from the estimate s1, stopping when
// the estimate stands still or alternates between the root and the root + 1.
void newtonRoot(mb& r, mb const& x, mb const& start) {
    thread_local mb s, s1, t1, ss;  // per thread: working storage reused between calls
    mb const& one = detail::one();
    equateWithCare(s1, start);
    equateWithCare(t1, s1);
    for (int step = 0; step < maxNewtonSteps; ++step) {
        (void)div(s, x, s1);  // s1 >= 1
        add(s, s, s1);
        mbShiftRight(s, s, 1);
        if (compare(s, s1) == 0) break;
        if (compare(s, t1) == 0) {
            mul(ss, s, s);
            if (compare(ss, x) > 0) sub(s, s, one);
            break;
        }
        equateWithCare(t1, s1);
        equateWithCare(s1, s);
    }
    equate(r, s);
}

// Above this many bits the start is the root of the leading half (fewer
// full-length divisions); below it, the root of the leading 52 bits (less
// overhead). Measured with the fp sqrt benchmark.
constexpr i32 recursiveRootBits = 1024;

// floor(sqrt(x)) for x > 0. A long x starts from the root of its leading half,
// found the same way, so each level's Newton steps begin with about half the
// bits right: two or three full-length divisions per level.
void rootOfPositive(mb& r, mb const& x) {
    i32 const k = NumBits(x);
    mb start;
    if (k <= recursiveRootBits) {
        // The root of the leading 52 bits or so, in double precision.
        i32 const shift = k > 52 ? ((k - 52 + 1) & ~1) : 0;  // even, so the root's shift is exact
        mbShiftRight(start, x, shift);
        u64 top = 0;
        (void)equate(top, start);  // start has at most 53 bits
        equate(start, u64(std::sqrt(double(top))) + 1);
        mbShiftLeft(start, start, shift / 2);
    } else {
        // (floor(sqrt(x / 4^h)) + 1) 2^h is not below sqrt(x).
        i32 const h = k / 4;
        mb head, one;
        mbShiftRight(head, x, 2 * h);
        rootOfPositive(start, head);
        init(one, 1);
        add(start, start, one);
        mbShiftLeft(start, start, h);
    }
    newtonRoot(r, x, start);
}

}  // namespace

void sqrt(mb& r, mb const& x) {
    if (x.size < 0) return;
    if (x.size == 0) {
        detail::makeEmptyZero(r);
        return;
    }
    rootOfPositive(r, x);
}

mb sqrt(mb const& x) {
    mb r;
    sqrt(r, x);
    return r;
}

void nthRoot(mb& r, mb const& x, i32 n) {
    if (n < 1) {
        r.size = 0;
        return;
    }
    if (n == 1) {
        equate(r, x);
        return;
    }
    mb const& one = detail::one();
    mb const& two = detail::two();
    bool const negative = x.size < 0;
    mb A = abs(x), B, P, Q;
    if (negative && n % 2 == 0) {
        detail::makeEmptyZero(r);
        return;
    }
    if (compare(A, one) <= 0) {  // 0 and 1 are their own roots
        equate(r, x);
        return;
    }
    // A below 2^n, told by its bit length (a huge n costs nothing): 1 <= root < 2.
    if (n >= NumBits(A)) {
        equate(r, one);
        if (negative) r.size = -r.size;
        return;
    }
    // 2^floor(lg A / n) is not above the root; Newton's steps then land above it
    // and come down until they stand still.
    // non-zero bases: power cannot fail
    (void)power(B, two, Lg2(A) / n);
    for (;;) {
        (void)power(Q, B, n - 1);
        mul(P, Q, B);
        mulByScalarAbs(Q, Q, u32(n));
        sub(P, A, P);
        (void)div(P, P, Q);  // Q = n B^(n-1) >= 1
        add(P, P, B);
        if (compare(P, B) == 0) break;
        equate(B, P);
    }
    (void)power(P, B, n);
    if (compare(P, A) > 0) {
        do {
            sub(B, B, one);
            (void)power(P, B, n);
        } while (compare(P, A) > 0);
    } else if (compare(P, A) < 0) {
        do {
            add(B, B, one);
            (void)power(P, B, n);
        } while (compare(P, A) < 0);
        if (compare(P, A) > 0) sub(B, B, one);
    }
    equate(r, B);
    if (negative) r.size = -r.size;
}

mb nthRoot(mb const& x, i32 n) {
    mb r;
    nthRoot(r, x, n);
    return r;
}

}  // namespace korvel
