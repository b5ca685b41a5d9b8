// Random mb operands built from RandomWords magnitudes.
#pragma once

#include <vector>

#include <korvel/mb.h>
#include "random_words.h"

namespace korvel::testing {

// The given words, least significant first, as a non-negative mb.
inline mb fromWords(std::vector<std::uint32_t> const& w) {
    mb x;
    x.size = i32(w.size());
    update(x);
    for (std::size_t i = 0; i < w.size(); ++i) x.words[i] = w[i];
    return x;
}

// Up to maxWords words of either sign.
inline mb randomMb(RandomWords& rng, int maxWords) {
    mb x = fromWords(rng.magnitude(rng.below(maxWords + 1)));
    if (rng.coin()) x.size = -x.size;
    return x;
}

}  // namespace korvel::testing
