// Every root of a polynomial (x^3 - 2x + 1 unless one is given as the argument)
// to 30 significant figures, each of them certain, through Korvel's installed
// headers and libraries.
#include <iostream>

#include <korvel/roots.h>

int main(int argc, char** argv) {
    korvel::RootOptions options;
    options.shownFigures = 30;
    options.carriedFigures = 60;
    korvel::RootReport const report = korvel::findRoots(argc > 1 ? argv[1] : "x^3-2x+1", options);
    if (!report.ok) {
        std::cerr << report.error << '\n';
        return 1;
    }
    korvel::decPrec = options.shownFigures;  // digits written by operator<<
    for (korvel::FoundRoot const& r : report.roots) std::cout << r.root << '\n';
    if (!report.warning.empty()) std::cerr << report.warning << '\n';
}
