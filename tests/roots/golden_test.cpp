// The roots and values of findPolyRoots, word for word as recorded in
// golden/roots.txt (written by korvel_golden_generate). Heavy cases run only
// when KORVEL_GOLDEN_ALL is set, as it is in the optimised build.
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <map>
#include <ostream>
#include <sstream>

#include "golden_cases.h"

namespace {

using namespace korvel::testing;

// The recorded lines of every case, keyed by its header.
std::map<std::string, std::vector<std::string>> const& recorded() {
    static std::map<std::string, std::vector<std::string>> const cases = [] {
        std::map<std::string, std::vector<std::string>> m;
        std::ifstream in(KORVEL_GOLDEN_FILE);
        std::string line, key;
        while (std::getline(in, line)) {
            if (line.rfind("case ", 0) == 0) key = line.substr(0, line.rfind(' '));  // without ok/failed
            m[key].push_back(line);
        }
        return m;
    }();
    return cases;
}

struct Case {
    GoldenPolynomial polynomial;
    int figures;
};

void PrintTo(Case const& c, std::ostream* os) { *os << c.polynomial.name << " at " << c.figures << " figures"; }

class GoldenRoots : public ::testing::TestWithParam<Case> {};

TEST_P(GoldenRoots, RootsAndValuesKeepEveryWord) {
    Case const& c = GetParam();
    int const degree = int(c.polynomial.coefficients().size()) - 1;
    if (goldenHeavy(degree, c.figures) && std::getenv("KORVEL_GOLDEN_ALL") == nullptr)
        GTEST_SKIP() << "heavy case; set KORVEL_GOLDEN_ALL to run it";
    for (bool clean : {false, true}) {
        std::string const key = "case " + c.polynomial.name + " " + std::to_string(c.figures) + (clean ? " clean" : " raw");
        auto const found = recorded().find(key);
        ASSERT_NE(found, recorded().end()) << key << " missing from " << KORVEL_GOLDEN_FILE;
        std::vector<std::string> const now = goldenLines(c.polynomial, c.figures, clean);
        std::vector<std::string> const& then = found->second;
        ASSERT_EQ(now.size(), then.size()) << key;
        for (std::size_t i = 0; i < now.size(); ++i) ASSERT_EQ(now[i], then[i]) << key << ", line " << i;
    }
}

std::vector<Case> allCases() {
    std::vector<Case> v;
    for (auto const& p : goldenPolynomials())
        for (int f : goldenFigures()) v.push_back({p, f});
    return v;
}

INSTANTIATE_TEST_SUITE_P(Recorded, GoldenRoots, ::testing::ValuesIn(allCases()),
                         [](::testing::TestParamInfo<Case> const& param) {
                             return param.param.polynomial.name + "_" + std::to_string(param.param.figures);
                         });

}  // namespace
