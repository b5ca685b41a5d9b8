// The action: precision fields, input form, roots, output text and time.
#include "app/korvel.h"

#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <new>
#include <string>
#include <vector>

#include "app/output.h"
#include "input/input.h"
#include "roots/roots.h"

namespace korvel {

namespace {

double processorSeconds() { return double(std::clock()) / CLOCKS_PER_SEC; }

}  // namespace

bool Korvel::korvel() {
    cancelled_ = false;
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
    if (!findPolyRoots(r, v, a, n, snapToAxes, extDigits, search, nullptr, control_) || watch.overflowed()) {
        if (!control_.cancel || !control_.cancel->load()) return fail(computationMessage);
        cancelled_ = true;
        window_.setStatusText(cancelledMessage);
        return false;
    }

    double const elapsed = processorSeconds() - start;
    SearchResult result;
    result.coefficients.assign(coefficients.begin(), coefficients.begin() + n + 1);
    result.shownFigures = extDigits;
    result.carriedFigures = intDigits;
    result.snapToAxes = snapToAxes;
    result.fullPrecisionSearch = search == RootSearch::fullPrecision;
    result.carriedFiguresUsed = intDigits;
    result.seconds = elapsed;
    result.roots.reserve(roots.size());
    for (std::size_t k = 0; k < roots.size(); ++k) result.roots.push_back({roots[k], values[k], fp(-1), -1, 0});

    window_.setOutputText("");
    window_.setOutputText(rootsText(result));
    char time[32];
    std::snprintf(time, sizeof time, "%.2e", elapsed);
    window_.setTimeText(time);
    window_.setResult(result);
    return true;
}

}  // namespace korvel
