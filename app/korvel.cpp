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
#include <korvel/input.h>
#include <korvel/roots.h>

namespace korvel {

namespace {

double processorSeconds() { return double(std::clock()) / CLOCKS_PER_SEC; }

}  // namespace

char const* rootOptionsOf(KorvelWindow& window, RootOptions& options) {
    int carried = window.internalFigures();
    if (carried <= 0) {
        window.setInternalFigures(defaultInternalFigures);
        carried = defaultInternalFigures;
    }
    int shown = window.externalFigures();
    if (shown <= 0) {
        window.setExternalFigures(defaultExternalFigures);
        shown = defaultExternalFigures;
    }
    if (shown > carried) return precisionMessage;
    if (carried > maxFigures) return tooManyFiguresMessage;
    options.shownFigures = shown;
    options.carriedFigures = carried;
    options.cleanUp = window.selectedRow() == 0;
    options.search = window.fullPrecisionSearch() ? RootSearch::fullPrecision : RootSearch::staged;
    options.certify = window.certifyFigures();
    return nullptr;
}

SearchResult searchResult(RootReport&& report, RootOptions const& options, double seconds) {
    SearchResult result;
    result.coefficients = std::move(report.coefficients);
    result.options = options;
    result.options.progress = nullptr;
    result.carriedUsed = report.carriedUsed;
    result.exactFactors = report.exactFactors;
    result.roots = std::move(report.roots);
    result.warning = std::move(report.warning);
    result.seconds = seconds;
    return result;
}

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
    window_.setReadingText("");

    RootOptions options;
    if (char const* refusal = rootOptionsOf(window_, options)) return fail(refusal);
    int const intDigits = options.carriedFigures;

    std::string const text = window_.inputText();
    if (text.empty()) return fail(entryMessage);

    // Read once, exactly: the reading line shows it at the figures carried, and
    // the search rounds it to each round's precision. What refused the text,
    // when it can be named, goes on the status line.
    PolynomialReading const reading = parsePolynomial(text);
    if (!reading.polynomial) {
        window_.setStatusText(reading.error + placeInText(text, reading.position));
        return fail(entryMessage);
    }
    std::vector<fpComplex> coefficients;
    if (!reading.polynomial->toComplex(coefficients, wordsForFigures(intDigits))) {
        // Held exactly but beyond fp's range at these figures: the fp reader
        // names the number and its place.
        int n = 0;
        std::string ignored, problem;
        ScopedBlockPrec const precision(wordsForFigures(intDigits));
        (void)readPolynomial(text, n, coefficients, ignored, problem);
        window_.setStatusText(problem);
        return fail(entryMessage);
    }
    std::string const& ignored = reading.ignored;
    window_.setReadingText(readingText(ignored, coefficients));

    options.progress = progress_;
    double const start = processorSeconds();
    RootReport report = findRoots(*reading.polynomial, options, stop_);
    double const elapsed = processorSeconds() - start;
    if (!report.ok) {
        if (report.error != cancelledMessage) return fail(report.error.c_str());
        cancelled_ = true;
        window_.setStatusText(cancelledMessage);
        return false;
    }

    SearchResult result = searchResult(std::move(report), options, elapsed);
    window_.setStatusText(result.warning);

    window_.setOutputText("");
    window_.setOutputText(rootsText(result, window_.showErrorBounds()));
    char time[32];
    std::snprintf(time, sizeof time, "%.2e", elapsed);
    window_.setTimeText(time);
    window_.setResult(result);
    return true;
}

}  // namespace korvel
