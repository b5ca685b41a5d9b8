// The library's whole job in one call: rounds of the search, each certified on
// the polynomial as held at its own precision, until every shown figure is
// certain or the cap is reached.
#include <algorithm>
#include <new>

#include <korvel/input.h>
#include "roots/search.h"

namespace korvel {

namespace {

struct Round {
    std::vector<fpComplex> coefficients;  // as held at the round's precision, leading zeros dropped
    std::vector<fpComplex> roots, values;
    RootCertainty certainty;              // empty unless certified
    int carried = 0;
    bool found = false;
};

int leastCertain(Round const& r) {
    auto const& f = r.certainty.certainFigures;
    return f.empty() ? 0 : *std::min_element(f.begin(), f.end());
}

// One round at the working precision. The search's own check of a root left at
// its iteration cap need only reject one that is no root at all when the
// certification judges every root.
bool searchOnce(Round& r, RootOptions const& options, RootSearchControl const& control) {
    int const n = int(r.coefficients.size()) - 1;
    r.roots.assign(std::size_t(n), fpComplex());
    r.values.assign(std::size_t(n), fpComplex());
    fpComplex* z = r.roots.data();
    fpComplex* v = r.values.data();
    fpComplex* a = r.coefficients.data();
    // A value that left the exponent's range makes every root after it suspect.
    OverflowWatch watch;
    int const confirm = options.certify ? 0 : options.shownFigures;
    if (!findPolyRoots(z, v, a, n, options.cleanUp, confirm, options.search, nullptr, control) ||
        watch.overflowed())
        return false;
    // The certification sees the same cancel flag as the search.
    detail::ScopedSearchControl const controlled(control);
    certifyRoots(r.certainty, a, n, z, v, options.shownFigures, options.certify);
    return !watch.overflowed() && !detail::searchCancelled();
}

// The figures the round after `last` carries. An m-fold root carried at C
// figures is good to about C/m of them, so the certain figures c of the least
// certain root say that about C (D + 2) / c figures give all D shown; at least
// twice C, so that every round gains, and never beyond the cap. A root with no
// certain figure tells nothing of the figures needed: then the figures double.
int nextCarried(int carried, int shown, int cap, Round const& last) {
    long long next = 2LL * carried;
    int const least = std::min(shown, leastCertain(last));
    if (last.found && least >= 1) next = std::max(next, 1LL * carried * (shown + 2) / least + 1);
    return int(std::min<long long>(next, cap));
}

std::string checkOptions(RootOptions const& o) {
    if (o.shownFigures < 1 || o.carriedFigures < 1) return figuresMessage;
    if (o.shownFigures > o.carriedFigures) return precisionMessage;
    if (o.carriedFigures > maxFigures) return tooManyFiguresMessage;
    return "";
}

RootReport reportOf(Round&& r, RootOptions const& options) {
    RootReport report;
    report.ok = true;
    report.carriedUsed = r.carried;
    RootCertainty const& c = r.certainty;
    bool const known = !c.radii.empty();
    for (std::size_t k = 0; k < r.roots.size(); ++k) {
        FoundRoot f;
        f.root = std::move(r.roots[k]);
        f.value = std::move(r.values[k]);
        if (known && !(c.radii[k] < 0.0)) f.radius = c.radii[k];
        f.certainFigures = known ? c.certainFigures[k] : 0;
        f.cluster = known ? c.clusters[k] : 0;
        report.roots.push_back(std::move(f));
    }
    report.coefficients = std::move(r.coefficients);
    if (options.certify) report.warning = uncertainWarning(report.roots, options.shownFigures, r.carried);
    return report;
}

RootReport failure(char const* message) {
    RootReport report;
    report.error = message;
    return report;
}

// The rounds, with the polynomial's coefficients at the working precision from
// coefficientsAt (false: they cannot be held there).
template <class CoefficientsAt>
RootReport searchInRounds(CoefficientsAt const& coefficientsAt, RootOptions const& options, std::stop_token stop) {
    if (std::string const problem = checkOptions(options); !problem.empty()) {
        RootReport report;
        report.error = problem;
        return report;
    }
    std::atomic<bool> cancel = false;
    std::stop_callback const onStop(stop, [&cancel] { cancel = true; });
    int carried = options.carriedFigures;
    RootSearchControl control;
    control.cancel = &cancel;
    if (options.progress) control.progress = [&](int found, int n) { options.progress(found, n, carried); };
    int const cap = options.certify ? std::max(carried, std::min(maxFigures, certifyCapFactor * carried)) : carried;

    // The caller's precision comes back whatever happens here.
    ScopedBlockPrec const callersPrecision(blockPrec);
    i32 const callersDecPrec = decPrec;
    struct RestoreDecPrec {
        i32 value;
        ~RestoreDecPrec() { decPrec = value; }
    } const restore{callersDecPrec};

    Round best;
    int degree = -1;
    for (;;) {
        if (cancel) return failure(cancelledMessage);
        blockPrec = wordsForFigures(carried);
        Round next;
        next.carried = carried;
        int const n = coefficientsAt(next.coefficients)
                          ? trueDegree(next.coefficients.data(), int(next.coefficients.size()) - 1)
                          : -1;
        if (degree < 0 && n < 1) return failure(entryMessage);
        if (degree < 0) degree = n;
        if (n != degree) break;  // a later round keeps the last that stood
        next.coefficients.resize(std::size_t(n) + 1);
        next.found = searchOnce(next, options, control);
        if (cancel) return failure(cancelledMessage);
        // A round that fails, or leaves a root with fewer certain figures than
        // the last round that stood, keeps that round: no round makes the shown
        // roots worse.
        if (!best.found || (next.found && leastCertain(next) >= leastCertain(best))) best = std::move(next);
        if (!options.certify || carried >= cap || (best.found && best.certainty.allCertain(options.shownFigures)))
            break;
        carried = nextCarried(carried, options.shownFigures, cap, best);
    }
    if (!best.found) return failure(computationMessage);
    return reportOf(std::move(best), options);
}

}  // namespace

RootReport findRoots(std::span<fpComplex const> coefficients, RootOptions const& options, std::stop_token stop) {
    try {
        return searchInRounds(
            [&](std::vector<fpComplex>& a) {
                a.assign(coefficients.begin(), coefficients.end());
                return !a.empty();
            },
            options, stop);
    } catch (std::bad_alloc const&) {
        return failure(outOfMemoryMessage);
    }
}

RootReport findRoots(Polynomial const& p, RootOptions const& options, std::stop_token stop) {
    try {
        // Each round takes the coefficients rounded correctly to its own precision.
        return searchInRounds([&](std::vector<fpComplex>& a) { return p.toComplex(a, blockPrec); }, options, stop);
    } catch (std::bad_alloc const&) {
        return failure(outOfMemoryMessage);
    }
}

RootReport findRoots(std::string_view text, RootOptions const& options, std::stop_token stop) {
    PolynomialReading reading;
    try {
        reading = parsePolynomial(text);
    } catch (std::bad_alloc const&) {
        return failure(outOfMemoryMessage);
    }
    if (!reading.polynomial) return failure(entryMessage);
    return findRoots(*reading.polynomial, options, stop);
}

std::string uncertainWarning(std::vector<FoundRoot> const& roots, int shown, int carried) {
    std::string out;
    for (std::size_t k = 0; k < roots.size(); ++k) {
        FoundRoot const& r = roots[k];
        if (r.certainFigures >= shown) continue;
        std::string const z = OwnedText(fpToStr(r.root.re, 6)).get() + std::string(" , ") +
                              OwnedText(fpToStr(r.root.im, 6)).get();
        out += "\nroot " + std::to_string(k + 1) + " (" + z + "): " + std::to_string(std::max(r.certainFigures, 0)) +
               " of " + std::to_string(shown) + " figures certain";
    }
    if (out.empty()) return out;
    return "Not every figure shown is certain, with " + std::to_string(carried) + " figures carried:" + out;
}

}  // namespace korvel
