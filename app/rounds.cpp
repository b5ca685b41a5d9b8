// Rounds of the search at doubling precision, each certified on the polynomial
// as read at its own precision.
#include "app/rounds.h"

#include <algorithm>

#include <korvel/input.h>

namespace korvel {

namespace {

// One round at the working precision; false when the search failed.
bool searchOnce(Rounds& out, RoundsAsked const& asked) {
    int const n = int(out.coefficients.size()) - 1;
    out.roots.assign(std::size_t(n), fpComplex());
    out.values.assign(std::size_t(n), fpComplex());
    fpComplex* r = out.roots.data();
    fpComplex* v = out.values.data();
    fpComplex* a = out.coefficients.data();
    // A value that left the exponent's range makes every root after it suspect.
    OverflowWatch watch;
    // Certification judges every root; the search's own check of a root left at
    // its iteration cap need then only reject one that is no root at all.
    int const confirm = asked.certify ? 0 : asked.shown;
    if (!findPolyRoots(r, v, a, n, asked.snapToAxes, confirm, asked.search, nullptr, asked.control) || watch.overflowed()) return false;
    out.certainty = RootCertainty{};
    if (asked.certify || asked.bounds) certifyRoots(out.certainty, a, n, r, v, asked.shown, asked.certify);
    return !watch.overflowed();
}

bool readAt(Rounds& out, std::string const& text, int degree) {
    int n = 0;
    std::string ignored;
    if (!readPolynomial(text, n, out.coefficients, ignored) || trueDegree(out.coefficients.data(), n) != degree)
        return false;
    out.coefficients.resize(std::size_t(degree) + 1);
    return true;
}

int leastCertain(Rounds const& r) {
    auto const& f = r.certainty.certainFigures;
    return f.empty() ? 0 : *std::min_element(f.begin(), f.end());
}

// The figures the round after `last` carries. An m-fold root carried at C
// figures is good to about C/m of them, so the certain figures c of the least
// certain root say that about C (D + 2) / c figures give all D shown; at least
// twice C, so that every round gains, and never beyond the cap. A root with no
// certain figure tells nothing of the figures needed: then the figures double.
int nextCarried(int carried, RoundsAsked const& asked, Rounds const& last, bool found) {
    long long next = 2LL * carried;
    int least = asked.shown;
    for (int c : last.certainty.certainFigures) least = std::min(least, c);
    if (found && least >= 1) next = std::max(next, 1LL * carried * (asked.shown + 2) / least + 1);
    return int(std::min<long long>(next, asked.cap));
}

}  // namespace

bool searchInRounds(Rounds& out, std::string const& text, RoundsAsked const& asked) {
    auto cancelled = [&] { return asked.control.cancel && asked.control.cancel->load(); };
    int const degree = int(out.coefficients.size()) - 1;
    int carried = asked.carried;
    out.carriedUsed = carried;
    if (asked.roundReport) asked.roundReport(carried);
    bool found = searchOnce(out, asked);
    if (cancelled()) return false;
    while (asked.certify && carried < asked.cap && !(found && out.certainty.allCertain(asked.shown))) {
        carried = nextCarried(carried, asked, out, found);
        ScopedBlockPrec precision(carried / 8 + 1);
        Rounds next;
        if (!readAt(next, text, degree)) break;
        next.carriedUsed = carried;
        if (asked.roundReport) asked.roundReport(carried);
        // A round that fails, or leaves a root with fewer certain figures than
        // the last round that stood, keeps that round: no round makes the
        // shown roots worse.
        bool const ok = searchOnce(next, asked);
        if (cancelled()) return false;
        if (!found || (ok && leastCertain(next) >= leastCertain(out))) {
            out = std::move(next);
            found = ok;
        }
    }
    return found;
}

SearchResult searchResult(Rounds const& rounds, RoundsAsked const& asked) {
    SearchResult result;
    result.coefficients = rounds.coefficients;
    result.shownFigures = asked.shown;
    result.carriedFigures = asked.carried;
    result.snapToAxes = asked.snapToAxes;
    result.fullPrecisionSearch = asked.search == RootSearch::fullPrecision;
    result.certify = asked.certify;
    result.carriedFiguresUsed = rounds.carriedUsed;
    RootCertainty const& c = rounds.certainty;
    bool const known = !c.radii.empty();
    for (std::size_t k = 0; k < rounds.roots.size(); ++k)
        result.roots.push_back({rounds.roots[k], rounds.values[k], known ? c.radii[k] : fp(-1),
                                known ? c.certainFigures[k] : -1, known ? c.clusters[k] : 0});
    return result;
}

}  // namespace korvel
