// What one search found, in the form every view takes it from: the output
// text, the plot, the JSON document.
#pragma once

#include <vector>

#include <korvel/complex.h>

namespace korvel {

// One root and what is known of it.
struct RootReport {
    fpComplex root;
    fpComplex value;  // the input polynomial at root
    fp radius;        // a disk of this radius about root holds a root; negative when unknown
    int certainFigures = -1;  // figures of root that are certain; -1 when not certified
    int cluster = 0;  // roots whose disks overlap share a number (1, 2, ...); 0 when unknown
};

// A whole successful search: the polynomial as read, the settings it ran
// with, and the roots in the order they are shown.
struct SearchResult {
    std::vector<fpComplex> coefficients;  // coefficients[k] of x^k, leading zeros dropped
    int shownFigures = 0;
    int carriedFigures = 0;
    bool snapToAxes = true;
    bool fullPrecisionSearch = false;
    bool certify = false;         // carried more figures where shown ones were not certain
    int carriedFiguresUsed = 0;   // the carried figures of the search that gave the roots
    std::vector<RootReport> roots;
    double seconds = 0;  // processor time of the search

    int degree() const { return int(coefficients.size()) - 1; }
};

}  // namespace korvel
