// Random integers from a generator the library owns.
#include <random>

#include "mb/internal.h"

namespace korvel {

using detail::length;

namespace {

constexpr u64 defaultSeed = 20261206;

std::mt19937_64& generator() {
    // Per thread: a thread's sequence depends only on its own seed and draws,
    // and no two threads ever advance the same state.
    thread_local std::mt19937_64 g(defaultSeed);
    return g;
}

u32 randomWord() { return u32(generator()() >> 32); }

// x = a uniform number below 2^bits (bits >= 1) in ceil(bits / 32) words,
// not yet in normal form.
void fillRandom(mb& x, i32 bits) {
    i32 const n = i32((i64(bits) + 31) / 32);
    x.size = n;
    update(x);
    randSetClear(x, 31, n - 1);
    i32 const top = bits - 32 * (n - 1);  // 1 .. 32 bits in the top word
    if (top < 32) x.words[n - 1] &= (1u << top) - 1;
}

}  // namespace

void mbSeedRandom(u64 seed) { generator().seed(seed); }

void insertBit(mb& x, i32 value, i32 bit, i32 word) {
    if (word < 0 || word >= length(x) || bit < 0 || bit > 31) return;
    u32 const mask = u32(1) << bit;
    if (value != 0)
        x.words[word] |= mask;
    else
        x.words[word] &= ~mask;
}

void randSetClear(mb& x, i32 bit, i32 word) {
    // Positions outside x's words are left alone.
    i32 const first = word < length(x) ? word : length(x) - 1;
    for (i32 w = first; w >= 0; --w) {
        u32 mask = 0xFFFFFFFFu;
        if (w == word) mask = bit < 0 ? 0u : bit >= 31 ? 0xFFFFFFFFu : (u32(2) << bit) - 1;
        x.words[w] = (x.words[w] & ~mask) | (randomWord() & mask);
    }
}

bool mbRandom(mb& x, i32 bits) {
    if (bits < 1) return false;
    fillRandom(x, bits);
    insertBit(x, 1, (bits - 1) % 32, (bits - 1) / 32);
    return true;
}

bool mbRandom(mb& x, mb const& n) {
    if (n.size <= 0) return false;
    mb const bound(n);  // x may be n
    // Draws of NumBits(n) bits; each is accepted with probability above 1/2.
    do {
        fillRandom(x, NumBits(bound));
        mbNormalize(x);
    } while (mbCompareAbs(x, bound) >= 0);
    return true;
}

}  // namespace korvel
