// Random fp operands: 1 to maxWords words with runs of equal bits, either sign,
// exponents near each other (cancellation) or far apart.
#pragma once

#include <korvel/fp.h>
#include "random_words.h"

namespace korvel::testing {

inline fp randomFp(RandomWords& rng, int maxWords, int exponentSpread = 400) {
    auto w = rng.magnitude(1 + rng.below(maxWords));
    fp x;
    x.mantissa.size = i32(w.size());
    update(x.mantissa);
    for (std::size_t i = 0; i < w.size(); ++i) x.mantissa.words[i] = w[i];
    if (rng.coin()) x.mantissa.size = -x.mantissa.size;
    x.exponent = rng.below(2 * exponentSpread + 1) - exponentSpread;
    return x;
}

// A value of exactly `words` uniform words with bit 31 of the top word set (the
// form arithmetic results take), positive, with its top bit at 2^(topBit - 1).
inline fp fullFp(RandomWords& rng, i32 words, i32 topBit) {
    fp x;
    x.mantissa.size = words;
    update(x.mantissa);
    for (i32 i = 0; i < words; ++i) x.mantissa.words[i] = rng.word();
    x.mantissa.words[words - 1] |= 0x80000000u;
    x.exponent = topBit - 32 * words;
    return x;
}

}  // namespace korvel::testing
