// Word kernels beneath mb: raw pointer + count, no sign, no allocation.
// Unless a kernel says otherwise, r may equal an input but not overlap it partially.
#pragma once

#include <korvel/mb.h>
#include <korvel/export.h>

// Exported from the shared library for the layers above and the tests; not installed.
KORVEL_API_BEGIN
namespace korvel::words {

u32* allocate(u32 n);         // storage of exactly n words (mb/pool.cpp); exit(1) on failure
void release(u32* p);         // gives back storage from allocate

u32 add(u32* r, u32 const* a, u32 const* b, i32 n);       // r = a + b, returns the carry
u32 addCarry(u32* r, u32 const* a, i32 n, u32 carry);     // r = a + carry, returns the carry
u32 sub(u32* r, u32 const* a, u32 const* b, i32 n);       // r = a - b, returns the borrow
u32 subBorrow(u32* r, u32 const* a, i32 n, u32 borrow);   // r = a - borrow, returns the borrow
u32 mul1(u32* r, u32 const* a, i32 n, u32 w);             // r = a * w, returns the top word
u32 addMul1(u32* r, u32 const* a, i32 n, u32 w);          // r += a * w, returns the carry word
u64 addMulPair(u32* r, u32 const* a, i32 n, u64 w);  // r += a * w for a 64-bit w, returns the two carry words
u32 subMul1(u32* r, u32 const* a, i32 n, u32 w);          // r -= a * w, returns the word owed above r
u32 shiftLeft(u32* r, u32 const* a, i32 n, i32 bits);     // r = a << bits (0 < bits < 32), returns the bits out; r >= a
u32 shiftRight(u32* r, u32 const* a, i32 n, i32 bits);    // r = a >> bits (0 < bits < 32), returns the bits out; r <= a
u32 divRem1(u32* q, u32 const* a, i32 n, u32 d);          // q = a / d, returns a mod d
i32 compare(u32 const* a, u32 const* b, i32 n);           // sign(a - b)
i32 significantWords(u32 const* a, i32 n);                        // n less the high zero words

// q[0 .. an - bn + 1) = floor(a / b) for an >= bn >= 2 and a non-zero top word
// of b (mb/divide.cpp); scratch holds quotientScratchLimbs(an, bn) limbs. Both
// operands are read into scratch before q is written, so q may overlap them.
void quotient(u32* q, u32 const* a, i32 an, u32 const* b, i32 bn, u64* scratch);
i32 quotientScratchLimbs(i32 an, i32 bn);

// r[0 .. an+bn) = a * b; r must not overlap a or b.
void multiply(u32* r, u32 const* a, i32 an, u32 const* b, i32 bn);

}  // namespace korvel::words
KORVEL_API_END
