// Word-level product.
#include "mb/kernels.h"

#include <utility>

namespace korvel::words {

void multiply(u32* r, u32 const* a, i32 an, u32 const* b, i32 bn) {
    // Schoolbook, the shorter operand in the outer loop.
    if (an < bn) {
        std::swap(a, b);
        std::swap(an, bn);
    }
    r[an] = mul1(r, a, an, b[0]);
    for (i32 j = 1; j < bn; ++j) r[an + j] = addMul1(r + j, a, an, b[j]);
}

}  // namespace korvel::words
