// The action: precision fields, input form, roots, output text and time.
#include "app/korvel.h"

#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <string>
#include <vector>

#include "input/input.h"
#include "roots/roots.h"

namespace korvel {

namespace {

std::string keepOnly(std::string const& text, std::string const& alphabet) {
    std::string out;
    for (char c : text)
        if (alphabet.find(c) != std::string::npos) out.push_back(c);
    return out;
}

// "re , im" of a value, each part with `figures` significant figures.
void appendValue(std::string& out, fpComplex const& z, int figures) {
    char* re = fpToStr(z.re, figures);
    char* im = fpToStr(z.im, figures);
    out += re;
    out += " , ";
    out += im;
    out += "\n\n";
    std::free(re);
    std::free(im);
}

double processorSeconds() { return double(std::clock()) / CLOCKS_PER_SEC; }

}  // namespace

bool readPolynomial(std::string const& text, int& n, std::vector<fpComplex>& coefficients) {
    if (xPresence(n, text.c_str())) {
        std::string const cleaned = keepOnly(text, "x^()eE,.+-/0123456789");
        coefficients.assign(std::size_t(n) + 1, fpComplex());
        fpComplex* a = coefficients.data();
        return inputPoly_x(a, n, cleaned.c_str());
    }
    std::string cleaned;
    for (char c : text)
        if (c != ' ') cleaned.push_back(c);
    if (!xNoPresence(n, "\n", cleaned.c_str())) return false;
    coefficients.assign(std::size_t(n) + 1, fpComplex());
    fpComplex* a = coefficients.data();
    return inputPoly(a, n, "\n", cleaned.c_str());
}

bool Korvel::korvel() {
    auto fail = [this](char const* message) {
        window_.setOutputText(message);
        return false;
    };

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
    if (!readPolynomial(text, n, coefficients)) return fail(entryMessage);

    std::vector<fpComplex> roots(static_cast<std::size_t>(n)), values(static_cast<std::size_t>(n));
    double const start = processorSeconds();
    fpComplex* r = roots.data();
    fpComplex* v = values.data();
    fpComplex* a = coefficients.data();
    RootSearch const search = window_.fullPrecisionSearch() ? RootSearch::fullPrecision : RootSearch::staged;
    if (!findPolyRoots(r, v, a, n, snapToAxes, search)) return fail(computationMessage);

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
