// Random fp operands: 1 to maxWords words with runs of equal bits, either sign,
// exponents near each other (cancellation) or far apart.
#pragma once

#include "fp/fp.h"
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

}  // namespace korvel::testing
