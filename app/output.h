// The texts the front ends show, formatted in one place.
#pragma once

#include <string>
#include <vector>

#include "app/result.h"
#include <korvel/complex.h>

namespace korvel {

// Appends "re , im" and a blank line, each part with `figures` significant figures.
void appendValue(std::string& out, fpComplex const& z, int figures);

// The output view's text: the roots, the line "Polynomial(root):", the values;
// with errorBounds then the line "Error bound:" and each root's radius to 3 figures.
std::string rootsText(SearchResult const& result, bool errorBounds = false);

// The window's output text: the lines of rootsText (so lineOfRoot holds), each
// root's line carrying its error bound (with errorBounds) and a mark when its
// figures are not all certain, or not certified at all.
std::string markedRootsText(SearchResult const& result, bool errorBounds);

// What a saved or copied output is for, a line each: the polynomial as read,
// the figures shown and carried, the search, the certification and `date`;
// then the certainty warning when there is one.
std::string outputHeader(SearchResult const& result, std::string const& date);

// How a text was read: what the reader passed over (when ignored is not
// empty), then the polynomial as read. The polynomial as read is always there:
// a list's rules (an empty line is the coefficient 1) show nowhere else.
std::string readingText(std::string const& ignored, std::vector<fpComplex> const& coefficients);

// Where root k stands in rootsText(result): its line (from 0), and the root
// whose root or value line is `line`, -1 for the other lines.
int lineOfRoot(SearchResult const& result, int k);
int rootOfLine(SearchResult const& result, int line);

// The polynomial as it was read, in x-notation with coefficients to `figures`
// significant figures, such as "x^2 + i", "x - (1,2)" or "2x - 1", and its degree.
std::string polynomialAsRead(std::vector<fpComplex> const& coefficients, int figures = 6);

}  // namespace korvel
