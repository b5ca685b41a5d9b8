// The action: precision fields, input form, roots, output text and time.
#include "app/korvel.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <new>
#include <string>
#include <vector>

#include "app/output.h"
#include "app/rounds.h"
#include <korvel/input.h>
#include <korvel/roots.h>

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
    std::string ignored, problem;
    if (!readPolynomial(text, n, coefficients, ignored, problem)) {
        // What refused the text, when it can be named, goes on the status line.
        window_.setStatusText(problem);
        return fail(entryMessage);
    }
    window_.setStatusText(statusText(ignored, coefficients, ""));
    // Leading zero coefficients lower the degree: a zero x^3 term has no roots.
    n = trueDegree(coefficients.data(), n);
    if (n < 1) return fail(entryMessage);

    double const start = processorSeconds();
    RoundsAsked asked;
    asked.shown = extDigits;
    asked.carried = intDigits;
    asked.snapToAxes = snapToAxes;
    asked.search = window_.fullPrecisionSearch() ? RootSearch::fullPrecision : RootSearch::staged;
    asked.certify = window_.certifyFigures();
    asked.bounds = window_.showErrorBounds();
    asked.cap = asked.certify ? std::max(intDigits, std::min(maxFigures, certifyCapFactor * intDigits)) : intDigits;
    asked.control = control_;
    asked.roundReport = roundReport_;
    Rounds rounds;
    rounds.coefficients.assign(coefficients.begin(), coefficients.begin() + n + 1);
    if (!searchInRounds(rounds, text, asked)) {
        if (!control_.cancel || !control_.cancel->load()) return fail(computationMessage);
        cancelled_ = true;
        window_.setStatusText(cancelledMessage);
        return false;
    }

    double const elapsed = processorSeconds() - start;
    SearchResult result = searchResult(rounds, asked);
    result.seconds = elapsed;
    if (std::string const warning = uncertainWarning(result); !warning.empty())
        window_.setStatusText(statusText(ignored, coefficients, warning));

    window_.setOutputText("");
    window_.setOutputText(rootsText(result, window_.showErrorBounds()));
    char time[32];
    std::snprintf(time, sizeof time, "%.2e", elapsed);
    window_.setTimeText(time);
    window_.setResult(result);
    return true;
}

}  // namespace korvel
