// Every root of a polynomial with complex coefficients, by Laguerre's method
// with forward deflation, at the working precision blockPrec.
//
// A coefficient array a of degree n has n + 1 values, a[k] the coefficient of
// x^k. Root and value arrays have n values; value k is the input polynomial at
// root k.
#pragma once

#include <atomic>
#include <functional>
#include <optional>
#include <span>
#include <stop_token>
#include <string>
#include <string_view>
#include <vector>

#include <korvel/complex.h>
#include <korvel/export.h>
#include <korvel/input.h>

KORVEL_API_BEGIN
namespace korvel {

// How findPolyRoots searches. fullPrecision: Laguerre's method from a fixed
// start at the working precision on the deflated polynomials, root after root.
// staged: approximations of all roots at once in double (or a low fp)
// precision, Newton's method on the input polynomial up to the working
// precision, then certified inclusion disks; when the disks are not disjoint
// (a multiple root, a cluster) it tries again with more precision and in the
// end falls back to the full-precision search.
enum class RootSearch { staged, fullPrecision };

// What a search did beside its roots.
struct RootSearchRecord {
    RootSearch ran = RootSearch::staged;  // fullPrecision when the staged search fell back
    i32 rounds = 0;                       // stage-1 rounds: doubles first, then fp at doubling precision
    i32 stage1Bits = 0;                   // precision of the last stage-1 round
    bool isolated = false;                // the disks below are pairwise disjoint
    std::vector<fp> radii;                // radius k: a disk about root k (after ordering)
                                          // that holds a root; -1 when there is no bound
};

// What a caller may do to a search under way on another thread: stop it, and
// hear how far it is. Both may be left empty.
struct RootSearchControl {
    // When it becomes true the search stops within one iteration and
    // findPolyRoots returns false.
    std::atomic<bool> const* cancel = nullptr;
    // Called on the searching thread with the roots found so far out of n;
    // the staged search counts first the approximations settled in each of
    // its low-precision passes, then the roots refined: found restarts at 0
    // with each pass, and when the search falls back.
    std::function<void(int found, int n)> progress;
    // Threads the search may use, the calling one among them (see
    // RootOptions::threads; here 0 counts as 1); the results do not depend on it.
    int threads = 1;
    // false: when the staged search's approximations all settle at the working
    // precision and their disks still meet, findPolyRoots gives those as the
    // roots instead of searching root after root at full precision. For a
    // caller that certifies them and carries more figures next, on a
    // polynomial with no repeated root: then only the precision was short.
    bool fallBack = true;
    // true: the polynomial has no repeated root. A staged search whose
    // approximations settle with their disks still meeting then gives them as
    // the roots even with fallBack, when one of them has a condition beyond
    // the working precision: the full-precision search has no more figures to
    // separate them with either.
    bool squareFree = false;
    // Approximations of the n roots from a search of the same polynomial at
    // startWords words (fewer than now), for the staged search to go on from
    // instead of starting over in doubles; ignored unless they match the roots
    // at the origin and their number.
    std::vector<fpComplex> const* starts = nullptr;
    i32 startWords = 0;
};

// result = a(x) by Horner's rule.
void Evaluate(fpComplex*& a, i32 n, fpComplex& x, fpComplex& result);

// Refines x into a root of a (degree n) by Laguerre's method; f weighs the
// second-derivative term (the driver passes 1). The iteration carries half the
// second derivative, so f = 1 is half the classical weight (f = 2 would be
// G^2 - p''/p). It is kept: the driver's results, recorded word for word by the
// golden tests, depend on it, and with the fixed start it converges on the
// hard cases the tests hold it to (roots on circles, sparse polynomials).
// err gets the last step's size. False only for n < 1; at the iteration cap x
// is the last iterate.
bool Laguerre(fpComplex*& a, i32 n, fpComplex& x, fp& err, fp& f);

// How a Laguerre iteration ended.
enum class LaguerreEnd { stopRule, capReached, invalid };
// Laguerre, telling whether the stop rule ended it or it ran to the cap
// (whose last iterate need not be near a root).
LaguerreEnd laguerreIterate(fpComplex*& a, i32 n, fpComplex& x, fp& err, fp& f);

// The degree of a once leading zero coefficients are dropped; -1 for the zero
// polynomial and for a null a.
int trueDegree(fpComplex const* a, int n);

// Digits to which a root left at the iteration cap must be confirmed, unless
// the caller says otherwise.
inline constexpr int defaultConfirmFigures = 16;

// All roots of coefficients, ordered, with the polynomial's values at them;
// snapToAxes clears a real or imaginary part that is 2^56 times smaller than the other
// that lies within the root's inclusion radius (where no radius is known: whose
// clearing does not make the polynomial's value larger). The coefficients are
// not changed. Leading zero coefficients lower the degree: only the first
// trueDegree(coefficients, n) roots and values are written. False when the
// degree is below 1, an extraction failed, or a root whose iteration ran to
// the cap cannot be confirmed: its inclusion radius m|p(z)/p'(z)| on the input
// polynomial of degree m exceeds 10^-confirmFigures |z|.
// search chooses the search; record, when given, gets the path that ran and the
// certified disks about the final roots. When control cancels, the search
// returns false and what it left in roots and values means nothing.
// False, with nothing written, when roots, values or coefficients is null, or
// when a coefficient's part is the largest magnitude of its words, the value
// an overflow or a NaN or infinite double leaves (see fp.h).
bool findPolyRoots(fpComplex*& roots, fpComplex*& values, fpComplex*& coefficients, int n, bool snapToAxes,
                   int confirmFigures = defaultConfirmFigures, RootSearch search = RootSearch::staged,
                   RootSearchRecord* record = nullptr, RootSearchControl const& control = {});

// ---- certified roots: the whole job in one call --------------------------------------------

// The messages of a failed call; the application shows them as they are.
inline constexpr char const* precisionMessage = "Cannot have internal precision less than external precision!";
inline constexpr char const* entryMessage = "There was an entry problem!";
inline constexpr char const* computationMessage = "There was a computation problem!";
inline constexpr char const* tooManyFiguresMessage = "Cannot carry more than 100000 significant figures!";
inline constexpr char const* outOfMemoryMessage = "There is not enough memory for this computation!";
inline constexpr char const* cancelledMessage = "Cancelled";
inline constexpr char const* figuresMessage = "Figures shown and carried must be at least 1!";

// More figures than this would ask for more memory and time than any search
// here can use.
inline constexpr int maxFigures = 100000;
// With certification, the carried figures may grow to this many times those
// asked for, and never above maxFigures.
inline constexpr int certifyCapFactor = 8;

// The working precision in words that carries `figures` significant figures:
// 8 figures a word (a word holds 9.6), and one word for the rounding.
constexpr i32 wordsForFigures(int figures) { return i32(figures / 8 + 1); }

struct RootOptions {
    int shownFigures = 16, carriedFigures = 64;  // carried >= shown >= 1, carried <= maxFigures
    bool certify = true;   // carry more figures until every shown figure is certain
    bool cleanUp = true;   // clear a part of a root that lies within its disk (see findPolyRoots)
    RootSearch search = RootSearch::staged;
    // Threads that share the work of a search, the calling one among them: the
    // refinement of the roots, the values there and the radii of their disks,
    // each root on one thread. 0: the number in the environment variable
    // KORVEL_THREADS when it is set, else every hardware thread. Small
    // polynomials use one thread whatever it says; the roots, values and disks
    // are the same word for word for any number.
    int threads = 0;
    // Called on the searching thread with the roots found so far out of n and
    // the figures the round under way carries; found restarts at 0 each round
    // (and within one, as RootSearchControl::progress says).
    std::function<void(int found, int n, int carried)> progress;  // may be empty
};

struct FoundRoot {
    fpComplex root, value;          // value: the polynomial at root
    std::optional<fp> radius;       // a disk of this radius about root holds a root
    int certainFigures = 0;         // figures of each part of root the disk vouches for
    int multiplicity = 1;
    int cluster = 0;                // roots whose disks connect share a number (1, 2, ...); 0: not known
};

struct RootReport {
    bool ok = false;
    std::string error;              // one of the messages above when not ok
    std::string warning;            // certification on, cap reached: the roots whose figures stay uncertain
    std::vector<FoundRoot> roots;   // in the order of orderRoots
    int carriedUsed = 0;            // the carried figures of the round that gave the roots
    std::vector<fpComplex> coefficients;  // as held in that round, leading zeros dropped
    bool exactFactors = false;      // searched on the exact square-free factors (repeated roots split off)
};

// Every root of the polynomial with coefficients[k] of x^k, as they are (leading
// zeros lower the degree): searched at the figures carried and, with certify,
// certified, settled and searched again with more figures (up to certifyCapFactor
// times, never above maxFigures) until every shown figure is certain. The
// calling thread's blockPrec and decPrec are as they were on return. A stop
// request ends the call within one iteration with ok false and cancelledMessage.
[[nodiscard]] RootReport findRoots(std::span<fpComplex const> coefficients, RootOptions const& options,
                                   std::stop_token stop = {});
// The same for a polynomial held exactly (or as fp values), its coefficients
// rounded correctly to each round's precision.
[[nodiscard]] RootReport findRoots(Polynomial const& p, RootOptions const& options, std::stop_token stop = {});
// The same for a typed polynomial in either input form (see parsePolynomial);
// a text that cannot be read, or is constant, gives entryMessage.
[[nodiscard]] RootReport findRoots(std::string_view text, RootOptions const& options, std::stop_token stop = {});

// The warning of RootReport: a line naming the figures carried, then one line
// per root with fewer than `shown` certain figures; "" when there is none.
std::string uncertainWarning(std::vector<FoundRoot> const& roots, int shown, int carried);

// Extracts the roots of a (deflated in place) in turn into roots[0 .. n).
bool myKorvel(fpComplex*& roots, fpComplex*& a, i32 n);

// a = a / (x - z); n decreases by one and the remainder is dropped.
void forwardDeflation(fpComplex*& a, i32& n, fpComplex& z);

// Descending real parts; within an adjacent pair of equal real parts the larger
// imaginary part first.
void orderRoots(fpComplex*& r, int n);

}  // namespace korvel
KORVEL_API_END
