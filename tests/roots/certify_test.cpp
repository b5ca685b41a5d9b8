// Certification on polynomials with known roots: every disk holds a true root
// and every cluster as many as it has members, on both search paths, with the
// roots as found and as settled; the figures called certain are right.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "roots/search.h"
#include "roots_support.h"

namespace korvel {
namespace {

using testing::distance;
using testing::expand;
using testing::solve;

struct Known {
    std::string name;
    std::vector<fpComplex> roots;  // exactly, with multiplicity
};

std::vector<fpComplex> repeat(fpComplex const& z, int m, std::vector<fpComplex> rest) {
    rest.insert(rest.end(), std::size_t(m), z);
    return rest;
}

std::vector<Known> knownCases() {
    std::vector<Known> cases = {
        {"simple roots", {fpComplex(0.5, 0.0), fpComplex(-2.0, 0.25), fpComplex(3.125, -1.0), fpComplex(-0.75, 0.0), fpComplex(1.0, 1.0), fpComplex(0.0, -4.0)}},
        {"two roots 1e-20 apart", {fpComplex("1"), fpComplex("1.00000000000000000001"), fpComplex(-2.0, 0.0), fpComplex(0.0, 0.5)}},
        {"three roots 1e-20 apart",
         {fpComplex("0.7"), fpComplex("0.70000000000000000001"), fpComplex("0.69999999999999999999"), fpComplex(3.0, 0.0)}},
        {"zero roots", {fpComplex(0.0, 0.0), fpComplex(0.0, 0.0), fpComplex(0.0, 0.0), fpComplex(2.0, 0.0), fpComplex(-1.0, 1.0)}},
    };
    // 36: a cluster large enough that a few points of each circle are evaluated first.
    for (int m : {2, 3, 4, 5, 6, 36})
        cases.push_back({"multiplicity " + std::to_string(m), repeat(fpComplex(1.25, -0.5), m, {fpComplex(-2.0, 0.0), fpComplex(0.0, 0.5)})});
    return cases;
}

// The disks hold the truth: a true root in every disk, and as many true roots
// in the union of a cluster's disks as the cluster has members.
::testing::AssertionResult holdsTheTruth(std::vector<fpComplex> const& truth, std::vector<fpComplex> const& roots,
                                         RootCertainty const& c) {
    for (std::size_t k = 0; k < roots.size(); ++k) {
        if (c.radii[k] < 0.0) return ::testing::AssertionFailure() << "root " << k << " has no radius";
        bool held = false;
        for (auto const& t : truth) held = held || distance(roots[k], t) <= c.radii[k];
        if (!held) return ::testing::AssertionFailure() << "no true root within the radius of root " << k;
    }
    for (std::size_t k = 0; k < roots.size(); ++k) {
        std::size_t members = 0, inside = 0;
        for (std::size_t j = 0; j < roots.size(); ++j) members += c.clusters[j] == c.clusters[k];
        for (auto const& t : truth) {
            bool in = false;
            for (std::size_t j = 0; j < roots.size(); ++j)
                in = in || (c.clusters[j] == c.clusters[k] && distance(roots[j], t) <= c.radii[j]);
            inside += in;
        }
        if (inside != members)
            return ::testing::AssertionFailure()
                   << "cluster of root " << k << ": " << members << " members, " << inside << " true roots";
    }
    return ::testing::AssertionSuccess();
}

TEST(Certify, DisksAndClustersHoldTheTrueRoots) {
    for (auto const& c : knownCases())
        for (int figures : {16, 40})
            for (RootSearch search : {RootSearch::staged, RootSearch::fullPrecision})
                for (bool settle : {false, true}) {
                    std::string const what = c.name + " at " + std::to_string(figures) +
                                             (search == RootSearch::staged ? " staged" : " full") +
                                             (settle ? " settled" : " as found");
                    auto coefficients = expand(c.roots);
                    int const n = int(c.roots.size());
                    auto f = solve(coefficients, figures, false, search);
                    ASSERT_TRUE(f.ok) << what;
                    ScopedBlockPrec precision(wordsForFigures(figures));
                    RootCertainty certainty;
                    certifyRoots(certainty, coefficients.data(), n, f.roots.data(), f.values.data(), figures, settle);
                    EXPECT_TRUE(holdsTheTruth(c.roots, f.roots, certainty)) << what;
                    if (settle) {
                        EXPECT_TRUE(testing::inOutputOrder(f.roots)) << what;
                    }
                }
}

// A root said certain to D figures is within 10^-D of its modulus of a true root.
TEST(Certify, CertainFiguresAreRight) {
    for (auto const& c : knownCases()) {
        auto coefficients = expand(c.roots);
        int const n = int(c.roots.size());
        auto f = solve(coefficients, 64, false, RootSearch::staged);
        ScopedBlockPrec precision(9);
        RootCertainty certainty;
        certifyRoots(certainty, coefficients.data(), n, f.roots.data(), f.values.data(), 16, true);
        for (std::size_t k = 0; k < f.roots.size(); ++k) {
            int const d = certainty.certainFigures[k];
            fp nearest(-1.0);
            for (auto const& t : c.roots)
                if (nearest < 0.0 || distance(f.roots[k], t) < nearest) nearest = distance(f.roots[k], t);
            fp bound = abs(f.roots[k]) * pow(fp(10.0), i32(-d));
            EXPECT_LE(nearest, bound * 1.0001) << c.name << ": root " << k << " said certain to " << d;
            if (!f.roots[k]) {
                EXPECT_EQ(d, 16) << c.name << ": an exact zero root is certain";
            }
        }
    }
}

// The real roots of Wilkinson's polynomial are proved real: imaginary parts
// exactly 0 without the clean-up.
TEST(Certify, IsolatedRealRootsOfRealPolynomialsAreReal) {
    auto coefficients = expand(testing::wilkinsonRoots());
    for (RootSearch search : {RootSearch::staged, RootSearch::fullPrecision}) {
        auto f = solve(coefficients, 32, false, search);
        ScopedBlockPrec precision(5);
        RootCertainty certainty;
        certifyRoots(certainty, coefficients.data(), 20, f.roots.data(), f.values.data(), 16, true);
        for (std::size_t k = 0; k < 20; ++k) EXPECT_TRUE(!f.roots[k].im) << "root " << k;
    }
}

}  // namespace
}  // namespace korvel
