// The texts the front ends show, formatted in one place.
#pragma once

#include <string>
#include <vector>

#include <korvel/complex.h>

namespace korvel {

// Appends "re , im" and a blank line, each part with `figures` significant figures.
void appendValue(std::string& out, fpComplex const& z, int figures);

// The polynomial as it was read, in x-notation with coefficients to `figures`
// significant figures, such as "x^2 + (0,1)" or "2x - 1", and its degree.
std::string polynomialAsRead(std::vector<fpComplex> const& coefficients, int figures = 6);

}  // namespace korvel
