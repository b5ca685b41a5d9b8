// The library's whole job in one call: rounds of the search, each certified on
// the polynomial as held at its own precision, until every shown figure is
// certain or the cap is reached.
#include <algorithm>
#include <functional>
#include <new>

#include <korvel/input.h>
#include "roots/parallel.h"
#include "roots/search.h"
#include "roots/squarefree.h"

namespace korvel {

namespace {

struct Round {
    std::vector<fpComplex> coefficients;  // as held at the round's precision, leading zeros dropped
    std::vector<fpComplex> roots, values;
    std::vector<fpComplex> approximations;  // without the fallback: the roots as the search left them
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
    RootSearchRecord record;  // its disks are the certification's first
    if (!findPolyRoots(z, v, a, n, options.cleanUp, confirm, options.search, &record, control) ||
        watch.overflowed())
        return false;
    if (!control.fallBack) r.approximations = r.roots;  // for the next round, before settling moves them
    // The certification sees the same cancel flag as the search.
    detail::ScopedSearchControl const controlled(control);
    certifyRoots(r.certainty, a, n, z, v, options.shownFigures, options.certify, &record.radii);
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

// The message that refuses the options; nullptr when they stand.
char const* refusal(RootOptions const& o) {
    if (o.shownFigures < 1 || o.carriedFigures < 1) return figuresMessage;
    if (o.shownFigures > o.carriedFigures) return precisionMessage;
    if (o.carriedFigures > maxFigures) return tooManyFiguresMessage;
    return nullptr;
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

// One call's search: the caller's options and stop request, the cancel flag
// the search loops read, and the caller's precision, given back at the end.
class Search {
public:
    Search(RootOptions const& options, std::stop_token stop)
        : options_(options), onStop_(stop, [this] { cancel_ = true; }), callersPrecision_(blockPrec),
          callersDecPrec_{decPrec} {
        control_.cancel = &cancel_;
        control_.threads = detail::resolveThreads(options.threads);
        if (options.progress)
            control_.progress = [this](int found, int) { options_.progress(done_ + found, total_, carried_); };
    }

    bool cancelled() const { return cancel_; }
    RootSearchControl const& control() const { return control_; }
    // Progress counts roots of the whole polynomial: a part of degree n whose
    // roots follow `done` others of `total`.
    void part(int done, int total) {
        done_ = done;
        total_ = total;
    }

    // The rounds, with the polynomial's coefficients at the working precision
    // from coefficientsAt (false: they cannot be held there). squareFree: the
    // polynomial is known to have no repeated root.
    template <class CoefficientsAt>
    RootReport rounds(CoefficientsAt const& coefficientsAt, bool squareFree = false);

private:
    RootOptions const& options_;
    std::atomic<bool> cancel_ = false;
    std::stop_callback<std::function<void()>> const onStop_;
    ScopedBlockPrec const callersPrecision_;
    struct RestoreDecPrec {
        i32 value;
        ~RestoreDecPrec() { decPrec = value; }
    } const callersDecPrec_;
    RootSearchControl control_;
    int carried_ = 0, done_ = 0, total_ = 0;
};

template <class CoefficientsAt>
RootReport Search::rounds(CoefficientsAt const& coefficientsAt, bool squareFree) {
    int carried = options_.carriedFigures;
    int const cap = options_.certify ? std::max(carried, std::min(maxFigures, certifyCapFactor * carried)) : carried;
    Round best;
    int degree = -1;
    // A round without the fallback leaves its approximations for the next to
    // go on from (the rounds' coefficients differ only in their roundings).
    std::vector<fpComplex> starts;
    i32 startWords = 0;
    for (;;) {
        if (cancel_) return failure(cancelledMessage);
        carried_ = carried;
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
        if (total_ == 0) total_ = n;
        // With no repeated root, disks that meet after every approximation has
        // settled want more figures: a round that a later one follows leaves
        // the full-precision search to the last, and the last runs it only
        // where no root's condition exceeds the precision.
        control_.squareFree = squareFree && options_.certify;
        control_.fallBack = !(control_.squareFree && carried < cap);
        control_.starts = starts.empty() ? nullptr : &starts;
        control_.startWords = startWords;
        next.found = searchOnce(next, options_, control_);
        control_.starts = nullptr;
        if (cancel_) return failure(cancelledMessage);
        starts = std::move(next.approximations);
        startWords = blockPrec;
        // A round that fails, or leaves a root with fewer certain figures than
        // the last round that stood, keeps that round: no round makes the shown
        // roots worse.
        if (!best.found || (next.found && leastCertain(next) >= leastCertain(best))) best = std::move(next);
        if (!options_.certify || carried >= cap || (best.found && best.certainty.allCertain(options_.shownFigures)))
            break;
        carried = nextCarried(carried, options_.shownFigures, cap, best);
    }
    if (!best.found) return failure(computationMessage);
    return reportOf(std::move(best), options_);
}

// The exact polynomial as Gaussian integers: every coefficient times the
// common denominator and the power of ten that makes it whole. False when the
// powers of ten lie too far apart to be brought together cheaply.
bool gaussianIntegers(Polynomial const& p, detail::GaussianPoly& out) {
    // Beyond this many decimal places between coefficients the integers grow
    // past what the decomposition's budget allows anyway.
    constexpr i64 spreadLimit = 20000;
    auto const& a = p.exactCoefficients();
    i64 low = 0, high = 0;
    bool any = false;
    mb den(1);
    for (auto const& c : a)
        for (DecimalFraction const* part : {&c.re, &c.im}) {
            if (part->num.size == 0) continue;
            low = any ? std::min(low, part->exp10) : part->exp10;
            high = any ? std::max(high, part->exp10) : part->exp10;
            any = true;
            mb g, q;
            gcd(g, den, part->den);
            (void)div(q, part->den, g);  // g >= 1: the denominators are positive
            mul(den, den, q);
        }
    if (!any || high - low > spreadLimit) return false;
    out.assign(a.size(), detail::GaussianInt{});
    auto whole = [&](mb& r, DecimalFraction const& d) {
        if (d.num.size == 0) return;
        mb scale, ten;
        (void)div(scale, den, d.den);  // d.den > 0
        (void)power(ten, mb(10), i32(d.exp10 - low));  // 10^k, k >= 0: cannot fail
        mul(r, d.num, scale);
        mul(r, r, ten);
    };
    for (std::size_t k = 0; k < a.size(); ++k) {
        whole(out[k].re, a[k].re);
        whole(out[k].im, a[k].im);
    }
    return true;
}

std::vector<fpComplex> asComplex(detail::GaussianPoly const& q) {
    std::vector<fpComplex> a(q.size());
    for (std::size_t k = 0; k < q.size(); ++k) {
        equate(a[k].re, q[k].re);
        equate(a[k].im, q[k].im);
    }
    return a;
}

// The roots of p from its square-free factors q_k: each root of q_k, searched
// and certified on q_k, is a root of p of multiplicity exactly k, shown k times.
// The values are p's at the roots, at the precision of the factor's last round.
RootReport fromFactors(Search& search, Polynomial const& p, std::vector<detail::SquareFreeFactor> const& factors,
                       RootOptions const& options) {
    RootReport whole;
    whole.ok = true;
    whole.exactFactors = true;
    int done = 0, total = 0, clusters = 0;
    for (auto const& f : factors) total += int(f.factor.size()) - 1;
    std::vector<fpComplex> roots;
    for (auto const& f : factors) {
        std::vector<fpComplex> const q = asComplex(f.factor);
        search.part(done, total);
        RootReport r = search.rounds(
            [&](std::vector<fpComplex>& a) {
                a = q;
                return true;
            },
            true);
        if (!r.ok) return r;
        done += int(q.size()) - 1;
        whole.carriedUsed = std::max(whole.carriedUsed, r.carriedUsed);
        ScopedBlockPrec const precision(wordsForFigures(r.carriedUsed));
        std::vector<fpComplex> a;
        if (!p.toComplex(a, blockPrec)) return failure(entryMessage);
        int top = 0;
        fpComplex* coefficients = a.data();
        for (FoundRoot& root : r.roots) {
            Evaluate(coefficients, int(a.size()) - 1, root.root, root.value);
            root.multiplicity = f.multiplicity;
            top = std::max(top, root.cluster);
            if (root.cluster > 0) root.cluster += clusters;
            for (int m = 0; m < f.multiplicity; ++m) {
                roots.push_back(root.root);
                whole.roots.push_back(root);
            }
        }
        clusters += top;
    }
    // All the roots in the order of orderRoots.
    std::vector<std::size_t> const order = detail::rootOrder(roots.data(), int(roots.size()));
    std::vector<FoundRoot> ordered;
    for (auto k : order) ordered.push_back(whole.roots[k]);
    whole.roots = std::move(ordered);
    ScopedBlockPrec const precision(wordsForFigures(whole.carriedUsed));
    if (!p.toComplex(whole.coefficients, blockPrec)) return failure(entryMessage);
    if (options.certify) whole.warning = uncertainWarning(whole.roots, options.shownFigures, whole.carriedUsed);
    return whole;
}

}  // namespace

RootReport findRoots(std::span<fpComplex const> coefficients, RootOptions const& options, std::stop_token stop) {
    if (char const* problem = refusal(options)) return failure(problem);
    try {
        Search search(options, stop);
        return search.rounds([&](std::vector<fpComplex>& a) {
            a.assign(coefficients.begin(), coefficients.end());
            return !a.empty();
        });
    } catch (std::bad_alloc const&) {
        return failure(outOfMemoryMessage);
    }
}

RootReport findRoots(Polynomial const& p, RootOptions const& options, std::stop_token stop) {
    if (char const* problem = refusal(options)) return failure(problem);
    try {
        Search search(options, stop);
        // A typed polynomial with repeated factors is searched on its square-free
        // factors, whose roots are simple; a square-free one as it is.
        detail::GaussianPoly g;
        std::vector<detail::SquareFreeFactor> factors;
        bool squareFree = false;
        if (p.exact() && p.degree() >= 2 && gaussianIntegers(p, g)) {
            detail::ScopedSearchControl const controlled(search.control());
            bool const split = detail::squareFreeDecomposition(g, factors);
            if (search.cancelled()) return failure(cancelledMessage);
            if (split && (factors.size() > 1 || factors[0].multiplicity > 1))
                return fromFactors(search, p, factors, options);
            squareFree = split;
        }
        // Each round takes the coefficients rounded correctly to its own precision.
        return search.rounds([&](std::vector<fpComplex>& a) { return p.toComplex(a, blockPrec); }, squareFree);
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
        out += "\nroot " + std::to_string(k + 1) + " " + toString(r.root, 6) + ": " +
               std::to_string(std::max(r.certainFigures, 0)) + " of " + std::to_string(shown) + " figures certain";
    }
    if (out.empty()) return out;
    return "Not every figure shown is certain, with " + std::to_string(carried) + " figures carried:" + out;
}

}  // namespace korvel
