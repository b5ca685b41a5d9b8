// The action: precision fields, input form, roots, output text and time.
#include "app/korvel.h"

#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <new>
#include <string>
#include <vector>

#include "app/output.h"
#include <korvel/input.h>
#include <korvel/roots.h>

namespace korvel {

namespace {

double processorSeconds() { return double(std::clock()) / CLOCKS_PER_SEC; }

}  // namespace

bool Korvel::korvel() {
    try {
        return run();
    } catch (std::bad_alloc const&) {
        window_.setOutputText(outOfMemoryMessage);
        return false;
    }
}

bool Korvel::run() {
    auto fail = [this](char const* message) {
        window_.setOutputText(message);
        return false;
    };
    window_.setStatusText("");

    bool const snapToAxes = window_.selectedRow() == 0;
    int intDigits = window_.internalFigures();
    if (intDigits <= 0) {
        window_.setInternalFigures(defaultInternalFigures);
        intDigits = defaultInternalFigures;
    }
    int extDigits = window_.externalFigures();
    if (extDigits <= 0) {
        window_.setExternalFigures(defaultExternalFigures);
        extDigits = defaultExternalFigures;
    }
    if (extDigits > intDigits) return fail(precisionMessage);
    if (intDigits > maxFigures) return fail(tooManyFiguresMessage);
    setBlockPrec(intDigits / 8 + 1);

    std::string output;
    std::string const text = window_.inputText();
    if (text.empty()) return fail(entryMessage);

    int n = 0;
    std::vector<fpComplex> coefficients;
    std::string ignored;
    if (!readPolynomial(text, n, coefficients, ignored)) return fail(entryMessage);
    if (!ignored.empty())
        window_.setStatusText("Ignored: " + ignored + "\nRead as: " + polynomialAsRead(coefficients));
    // Leading zero coefficients lower the degree: a zero x^3 term has no roots.
    n = trueDegree(coefficients.data(), n);
    if (n < 1) return fail(entryMessage);

    std::vector<fpComplex> roots(static_cast<std::size_t>(n)), values(static_cast<std::size_t>(n));
    double const start = processorSeconds();
    fpComplex* r = roots.data();
    fpComplex* v = values.data();
    fpComplex* a = coefficients.data();
    RootSearch const search = window_.fullPrecisionSearch() ? RootSearch::fullPrecision : RootSearch::staged;
    // A value that left the exponent's range makes every root after it suspect.
    OverflowWatch watch;
    if (!findPolyRoots(r, v, a, n, snapToAxes, extDigits, search) || watch.overflowed())
        return fail(computationMessage);

    for (auto const& root : roots) appendValue(output, root, extDigits);
    output += "Polynomial(root):\n";
    for (auto const& value : values) appendValue(output, value, extDigits);
    window_.setOutputText("");
    window_.setOutputText(output);

    double const elapsed = processorSeconds() - start;
    char time[32];
    std::snprintf(time, sizeof time, "%.2e", elapsed);
    window_.setTimeText(time);
    return true;
}

}  // namespace korvel
