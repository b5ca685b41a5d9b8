// What one search found, in the form every view takes it from: the output
// text, the plot, the JSON document.
#pragma once

#include <string>
#include <vector>

#include <korvel/complex.h>
#include <korvel/roots.h>

namespace korvel {

// A whole successful search: the polynomial as read, the settings it ran
// with, and the roots in the order they are shown.
struct SearchResult {
    std::vector<fpComplex> coefficients;  // coefficients[k] of x^k, leading zeros dropped
    RootOptions options;          // the settings the search ran with (progress left empty)
    int carriedUsed = 0;          // the carried figures of the round that gave the roots
    bool exactFactors = false;    // searched on the exact square-free factors
    std::vector<FoundRoot> roots;
    std::string warning;          // roots whose shown figures stay uncertain; "" when none
    double seconds = 0;  // processor time of the search

    int degree() const { return int(coefficients.size()) - 1; }
};

// The result of a search that succeeded, from the library's report of it.
SearchResult searchResult(RootReport&& report, RootOptions const& options, double seconds);

}  // namespace korvel
