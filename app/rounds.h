// The search in rounds: with certification, the polynomial is searched again
// with twice the carried figures until every shown figure is certain or the
// cap is reached.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "app/result.h"
#include <korvel/roots.h>

namespace korvel {

// With certification on, the carried figures may grow to this many times the
// figures asked for, and never above maxFigures.
inline constexpr int certifyCapFactor = 8;

struct RoundsAsked {
    int shown = 16;
    int carried = 64;      // figures of the first round; blockPrec is set for them
    int cap = 64;          // the most figures a round may carry
    bool snapToAxes = true;
    RootSearch search = RootSearch::staged;
    bool certify = true;   // settle the roots and repeat while figures are uncertain
    bool bounds = false;   // the certainty without certify: radii about the roots as found
    RootSearchControl control;  // cancel flag and progress, handed to every round's search
    std::function<void(int carried)> roundReport;  // told the figures of each round as it starts
};

struct Rounds {
    std::vector<fpComplex> coefficients;  // as read for the round that gave the roots
    std::vector<fpComplex> roots, values;
    RootCertainty certainty;              // empty unless certify or bounds
    int carriedUsed = 0;
};

// Roots of `text`, whose coefficients read at asked.carried figures are in
// out.coefficients on entry (leading zeros dropped). Each later round reads the
// text again at its own precision. False when the last round's search failed
// or left the exponent's range, or when the search was cancelled.
bool searchInRounds(Rounds& out, std::string const& text, RoundsAsked const& asked);

// What the views take: the settings asked and the last round's roots (time not set).
SearchResult searchResult(Rounds const& rounds, RoundsAsked const& asked);

}  // namespace korvel
