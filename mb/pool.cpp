// Word storage: malloc'd blocks of exactly the words asked for, kept after
// release on a free list per size, so that working values of the same length
// are handed back and forth without reaching malloc in steady state.
//
// Each block carries a two-word header in front of the words: the word count
// while the block is in use, the link to the next free block while it is on a
// list. Under AddressSanitizer every block goes straight back to free, so that
// use after release is still caught.
#include <cstdlib>
#include <cstring>

#include "mb/kernels.h"

namespace korvel::words {

namespace {

constexpr u32 headerWords = 2;
constexpr u32 pooledWords = 512;   // longer blocks go straight back to free
constexpr u32 pooledPerSize = 64;  // at most this many free blocks of one size

#if defined(__SANITIZE_ADDRESS__)
constexpr bool pooling = false;
#else
constexpr bool pooling = true;
#endif

// The link of a free block lives in its header, read and written bytewise.
u32* nextOf(u32* block) {
    u32* next;
    std::memcpy(&next, block, sizeof next);
    return next;
}
void setNext(u32* block, u32* next) { std::memcpy(block, &next, sizeof next); }

struct FreeLists {
    u32* head[pooledWords + 1] = {};  // blocks from their header on
    u32 count[pooledWords + 1] = {};
    ~FreeLists();
};

// Per thread, since searches may run on several threads: a block released on
// one thread joins that thread's lists, whatever thread allocated it.
thread_local FreeLists lists;
// Set once this thread's lists are gone; storage released later (by working
// values destroyed after them at exit) goes straight back to free.
thread_local bool listsGone = false;

FreeLists::~FreeLists() {
    for (u32 n = 0; n <= pooledWords; ++n)
        while (head[n] != nullptr) {
            u32* const b = head[n];
            head[n] = nextOf(b);
            std::free(b);
        }
    listsGone = true;
}

}  // namespace

u32* allocate(u32 n) {
    if (pooling && n <= pooledWords && !listsGone && lists.head[n] != nullptr) {
        u32* const p = lists.head[n];
        lists.head[n] = nextOf(p);
        --lists.count[n];
        p[0] = n;
        return p + headerWords;
    }
    auto* p = static_cast<u32*>(std::malloc((std::size_t(n) + headerWords) * sizeof(u32)));
    if (p == nullptr) std::exit(1);
    p[0] = n;
    return p + headerWords;
}

void release(u32* words) {
    u32* const p = words - headerWords;
    u32 const n = p[0];
    if (pooling && n <= pooledWords && !listsGone && lists.count[n] < pooledPerSize) {
        setNext(p, lists.head[n]);
        lists.head[n] = p;
        ++lists.count[n];
        return;
    }
    std::free(p);
}

}  // namespace korvel::words
