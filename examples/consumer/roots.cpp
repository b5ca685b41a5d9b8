// Every root of a polynomial (x^3 - 2x + 1 unless one is given as the argument)
// to 30 significant figures, through Korvel's installed headers and libraries.
#include <cstddef>
#include <iostream>
#include <string>
#include <vector>

#include <korvel/fp.h>
#include <korvel/input.h>
#include <korvel/roots.h>

int main(int argc, char** argv) {
    using korvel::fpComplex;
    std::string const text = argc > 1 ? argv[1] : "x^3-2x+1";
    int const figures = 30;
    korvel::setBlockPrec(2 * figures / 8 + 1);  // words carried: twice the figures shown
    korvel::decPrec = figures;                  // digits written by operator<<

    int n = 0;
    std::vector<fpComplex> coefficients;
    std::string ignored;
    if (!korvel::readPolynomial(text, n, coefficients, ignored) ||
        (n = korvel::trueDegree(coefficients.data(), n)) < 1) {
        std::cerr << "not a polynomial of degree 1 or more: " << text << '\n';
        return 1;
    }

    std::vector<fpComplex> roots(static_cast<std::size_t>(n)), values(static_cast<std::size_t>(n));
    fpComplex* r = roots.data();
    fpComplex* v = values.data();
    fpComplex* a = coefficients.data();
    if (!korvel::findPolyRoots(r, v, a, n, true, figures)) {
        std::cerr << "the root search failed\n";
        return 1;
    }
    for (fpComplex const& root : roots) std::cout << root << '\n';
}
