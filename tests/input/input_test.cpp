// The accepted and rejected texts of the validators, the field splitter and
// both polynomial forms, and inputs that must be refused safely.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include <korvel/input.h>
#include "input/text.h"

namespace korvel {
namespace {

using namespace std::string_literals;

std::string field(char const* text, char const* sep, int n) {
    return OwnedText(NthField(text, sep, n)).get();
}

TEST(InputValidators, AcceptedAndRejectedTexts) {
    struct Case {
        bool (*check)(char const*);
        char const* name;
        std::vector<char const*> accepted, rejected;
    };
    Case const cases[] = {
        {VerifyNumString, "integer", {"+", "-", "+5", "-0012", "7"}, {"", "5+", "1.5", " 5", "5a"}},
        {VerifyNumDPString,
         "decimal",
         {"5.", ".5", "+", "+.", "-.5", ".", "1 2.3 4", "-12.25"},
         {"5.+3", "1.2.3", "1..", "", "   ", "a.5", "1.-5", "12a"}},
        {VerifyNumExpString, "exponent", {"1.5E-3", "1.5e+", "7", " 2 e 5 "}, {"e5", "5e", "5e1.5", "1e2e3", ""}},
        {VerifyNumFracString, "fraction", {"1/3", "1.5e2/-7", "4", "1/0"}, {"1/", "/3", "1/2/3", "", " "}},
        {VerifyNumComplexFracString,
         "complex pair",
         {"(1/2, -3e1)", "((7))", "1,2", "( 1 , 2 )"},
         {"1,", ",2", "1,2,3", "()", "", "1,x"}},
    };
    for (auto const& c : cases) {
        for (char const* t : c.accepted) EXPECT_TRUE(c.check(t)) << c.name << " accepts \"" << t << '"';
        for (char const* t : c.rejected) EXPECT_FALSE(c.check(t)) << c.name << " rejects \"" << t << '"';
    }
}

TEST(InputValidators, PartsAndDefaults) {
    struct Case {
        bool (*split)(char*&, char*&, char const*);
        char const* text;
        bool ok;
        char const* first;
        char const* second;
    };
    Case const cases[] = {
        {VerifyNumFracString2, "22/7", true, "22", "7"},
        {VerifyNumFracString2, "5", true, "5", "1"},
        {VerifyNumFracString2, "", false, "0", "1"},
        {VerifyNumFracString2, "x/2", false, "x", "1"},
        {VerifyNumComplexFracString2, "3", true, "3", "0/1"},
        {VerifyNumComplexFracString2, "(1/2, -3e1)", true, "1/2", "-3e1"},
        {VerifyNumComplexFracString2, "1,2,3", false, "0/1", "0/1"},
        {VerifyNumExpString2, "2E5", true, "2", "5"},
        {VerifyNumExpString2, "2.5", true, "2.5", "0"},
        {VerifyNumExpString2, "2e", false, "2", ""},
    };
    for (auto const& c : cases) {
        OwnedText a, b;
        EXPECT_EQ(c.split(a.slot(), b.slot(), c.text), c.ok) << '"' << c.text << '"';
        EXPECT_STREQ(a.get(), c.first) << '"' << c.text << '"';
        EXPECT_STREQ(b.get(), c.second) << '"' << c.text << '"';
    }
}

TEST(InputFields, SplittingAtAComma) {
    struct Case {
        char const* text;
        int count;
        std::vector<char const*> fields;
    };
    Case const cases[] = {
        {"", 1, {""}},          {"a", 1, {"a"}},           {",", 2, {"", ""}},
        {"a,", 2, {"a", ""}},   {"a,,", 3, {"a", "", ""}}, {"a,,b", 3, {"a", "", "b"}},
        {",b", 2, {"", "b"}},   {"a,b,c", 3, {"a", "b", "c"}},
    };
    for (auto const& c : cases) {
        EXPECT_EQ(CountFields(c.text, ","), c.count) << '"' << c.text << '"';
        for (int k = 1; k <= c.count; ++k)
            EXPECT_EQ(field(c.text, ",", k), c.fields[std::size_t(k - 1)]) << '"' << c.text << "\" field " << k;
    }
    EXPECT_EQ(field("a,b", ",", 5), "");
    EXPECT_EQ(field("abc", ",", 5), "abc");
    EXPECT_EQ(CountFields("aaa", "aa"), 3) << "occurrences overlap";
    int pos = -1;
    EXPECT_FALSE(FindSep(pos, "", ",", 0));
    EXPECT_FALSE(FindSep(pos, "a,b", "", 0));
    EXPECT_FALSE(FindSep(pos, "a,b", ",", 2));
    EXPECT_EQ(pos, -1);
    EXPECT_TRUE(FindSep(pos, "a,b,", ",", 2));
    EXPECT_EQ(pos, 3);
}

// Reads text in the form the application would choose and returns the
// coefficients (index 0 first) as "re:im" texts, or "rejected".
// The coefficients as read, "re:im" from x^0 up, or "rejected"; ignored gets
// what the reader passed over.
std::string read(std::string const& text, std::string* ignored = nullptr) {
    int n = 0;
    std::vector<fpComplex> a;
    std::string skipped;
    if (!readPolynomial(text, n, a, skipped)) return "rejected";
    if (ignored != nullptr) *ignored = skipped;
    std::string out;
    for (int k = 0; k <= n; ++k) {
        fpComplex const& c = a[std::size_t(k)];
        out += std::string(k ? " " : "") + toString(c.re, 10) + ":" + toString(c.im, 10);
    }
    return out;
}

TEST(InputPolynomials, BothForms) {
    struct Case {
        std::string text;
        char const* coefficients;
    };
    Case const cases[] = {
        {"x^2-1", "-1:0 0:0 1:0"},
        {"1\n0\n-1", "-1:0 0:0 1:0"},
        {"x", "0:0 1:0"},
        {"-x^2+4", "4:0 0:0 -1:0"},
        {"x^2+x^2", "0:0 0:0 2:0"},
        // A plain constant may stand before the terms.
        {"1+x", "1:0 1:0"},
        {"5 - x^2", "5:0 0:0 -1:0"},
        {"2 + 3x - x^2", "2:0 3:0 -1:0"},
        {"x^2+3-2", "1:0 0:0 1:0"},
        {"1e-3-x", "0.001:0 -1:0"},
        {"x^2+1/-2x", "0:0 -0.5:0 1:0"},
        {"x^2+-1", "rejected"},
        // i is the imaginary unit in a coefficient; a minus before (a+bi) negates both parts.
        {"x^2+i", "0:1 0:0 1:0"},
        {"x^2+2i", "0:2 0:0 1:0"},
        {"(3-2i)x+1", "1:0 3:-2"},
        {"2 + (3-2i)x - x^2", "2:0 3:-2 -1:0"},
        {"-(3-2i)x+(i)", "0:1 -3:2"},
        {"2ix^2 - i", "0:-1 0:0 0:2"},
        {"x+1.5e3i", "0:1500 1:0"},
        {"x^2+3-2i", "3:-2 0:0 1:0"},
        {"(-i+2)x^2-1", "-1:0 0:0 2:-1"},
        {"1\n3-2i\n-i", "0:-1 3:-2 1:0"},
        {"x^2+2i3", "rejected"},
        {"x^2+(2i+3i)", "rejected"},
        {"x^2+(1,2i)", "rejected"},
        {"x+1", "1:0 1:0"},
        {"(1)+x", "1:0 1:0"},
        {"(1,2)x^2+(0,-1)", "0:-1 0:0 1:2"},
        {"-(1,2)x", "0:0 -1:2"},
        {"x^2+(-2,1)x+1", "1:0 -2:1 1:0"},
        {"x+(-2,0)", "-2:0 1:0"},
        {"x-(-2,1)", "2:1 1:0"},
        {"x-( +2,1)", "-2:1 1:0"},
        {"x^2+(-2,1)x-(-1)", "1:0 -2:1 1:0"},
        {"x+(-)", "rejected"},
        {"x-(-,1)", "rejected"},
        {"1\n0\n-2\n\n", "1:0 -2:0 0:0 1:0"},
        {"1\n0\0" "1\n-4\n"s, "rejected"},
        {"x^2-4\0" "3x+1"s, "rejected"},
        {"\0x^2-1"s, "rejected"},
        {"3x^0", "rejected"},
        {"5x^2 - 5x^2 + 0x", "rejected"},
        {"0x^3+x+1", "1:0 1:0 0:0 0:0"},
        {"x^-1", "rejected"},
        {"x^2+x^-1", "rejected"},
        {"1\n2\n", "2:0 1:0"},
        {"1\n\n2", "2:0 1:0 1:0"},
        {"7", "rejected"},
        {"x^2+1/0", "rejected"},
        {"3x2x^2", "0:0 3:0 2:0"},
        {"2x5", "0:0 2:0"},
        {"1e-3x + 2.5e1", "25:0 0.001:0"},
        {" 3 x ^ 2 - x + (1,2)", "1:2 -1:0 3:0"},
        {"x^3 + 1/3x", "0:0 0.3333333333:0 0:0 1:0"},
        {"(1,2", "rejected"},
        {"x^", "rejected"},
        {"x^a", "rejected"},
        {"", "rejected"},
        {"\n", "rejected"},
    };
    for (auto const& c : cases) EXPECT_EQ(read(c.text), c.coefficients) << '"' << c.text << '"';
}

TEST(InputPolynomials, ListsAcceptCrLf) {
    EXPECT_EQ(read("1\r\n0\r\n-1\r\n"), read("1\n0\n-1\n"));
    EXPECT_EQ(read("(1,2)\r\n3"), "3:0 1:2");
    EXPECT_EQ(read("x^2\r\n-1\r\n"), "-1:0 0:0 1:0");
}

// What the lenient x-notation passes over is reported, so that a misreading
// shows; blanks and a `*` between a coefficient and its x are not.
TEST(InputPolynomials, IgnoredTextIsReported) {
    struct Case {
        char const* text;
        char const* coefficients;
        char const* ignored;
    };
    Case const cases[] = {
        {"x^2.5-1", "-1:0 0:0 1:0", ".5"},
        {"x*x-1", "-1:0 2:0", "*"},
        {"x^2(3,4)x(5,6)", "0:0 0:0 1:0", "(3,4)x(5,6)"},
        {"x^2-/2", "0:0 0:0 1:0", "-/2"},
        {"2x5", "0:0 2:0", "5"},
        {"x^2+", "0:0 0:0 1:0", "+"},
        {"3x^2 ; y", "0:0 0:0 3:0", ";y"},
        {"3*x^2 - 1.5 * x\r\n+ 2", "2:0 -1.5:0 3:0", ""},
        {" 3 x ^ 2 - x + (1,2)", "1:2 -1:0 3:0", ""},
        {"1\n2\n", "2:0 1:0", ""},
        {"x^2-4 3x+1", "1:0 -43:0 1:0", "blank between 4 and 3"},
        {"x^2-1.5\r\n25x", "0:0 -1.525:0 1:0", "line end between 1.5 and 25"},
        {"x^2.5-1 2", "-12:0 0:0 1:0", ".5, blank between 1 and 2"},
        {"x^2-2)))", "-2:0 0:0 1:0", ")))"},
        {"x^2+3)x-2(", "-2:0 3:0 1:0", ")("},
        {"x^2-(2))", "-2:0 0:0 1:0", ")"},
        {"x)+(", "0:0 1:0", ")("},
        // An equation p = 0 is read as p; it was once read with the 0 joined on.
        {"x^3 - 2x + 1 = 0", "1:0 -2:0 0:0 1:0", "= 0"},
        {"1\n0\n-1\n= 0.0\n", "-1:0 0:0 1:0", "= 0"},
        // An i inside a word is a letter like any other; one of its own is the imaginary unit.
        {"pi*x^2 + i", "0:1 0:0 1:0", "pi*"},
        {"sin x - 2i*x", "0:0 1:-2", "sin"},
    };
    for (auto const& c : cases) {
        std::string ignored = "(not set)";
        EXPECT_EQ(read(c.text, &ignored), c.coefficients) << '"' << c.text << '"';
        EXPECT_EQ(ignored, c.ignored) << '"' << c.text << '"';
    }
}

// A million lines, and a coefficient of a million digits, cost time in
// proportion to their length: the work counted in bytes looked at grows
// tenfold from 10^5 to 10^6, not a hundredfold.
TEST(InputPolynomials, ReadingCostIsLinear) {
    auto bytesLookedAt = [](std::string const& text) {
        detail::bytesLookedAt() = 0;
        int n = 0;
        std::vector<fpComplex> a;
        std::string ignored;
        (void)readPolynomial(text, n, a, ignored);  // only the cost counts here
        return double(detail::bytesLookedAt());
    };
    auto lines = [](std::size_t count) {
        std::string text;
        for (std::size_t k = 0; k < count; ++k) text += "1\n";
        return text + "?";  // a bad last line: every line is read before the refusal
    };
    double const few = bytesLookedAt(lines(100000)), many = bytesLookedAt(lines(1000000));
    EXPECT_LT(many / few, 12.0);
    auto digits = [](std::size_t count) { return "x-" + std::string(count, '7'); };
    double const shortNumber = bytesLookedAt(digits(100000)), longNumber = bytesLookedAt(digits(1000000));
    EXPECT_LT(longNumber / shortNumber, 12.0);
    // The digits beyond the working precision only decide the rounding.
    fp full, leading;
    ASSERT_TRUE(equate(full, std::string(1000000, '7').c_str()));
    ASSERT_TRUE(equate(leading, (std::string(200, '7') + "8e" + std::to_string(1000000 - 201)).c_str()));
    EXPECT_TRUE(full == leading);
}

TEST(InputPolynomials, OverflowingFractionIsRefused) {
    fpComplex z(3.0);
    EXPECT_FALSE(getTheNumber(z, "1e646456993/1e-646456993"));
    EXPECT_TRUE(getTheNumber(z, "1e646456993/1e646456993"));
    EXPECT_EQ(read("x^2-1e646456993/1e-646456993"), "rejected");
}

// Exponents that do not fit an int, and degrees beyond maxDegree, are entry
// problems rather than undefined reads or huge allocations.
TEST(InputPolynomials, HostileTextsAreRefused) {
    int n = 7;
    EXPECT_FALSE(xPresence(n, "x^99999999999999999999"));
    EXPECT_EQ(n, 0);
    EXPECT_FALSE(xPresence(n, "x^2000000000"));
    EXPECT_FALSE(xPresence(n, "x^100001"));
    EXPECT_TRUE(xPresence(n, "x^100000"));
    EXPECT_EQ(n, 100000);
    EXPECT_EQ(read("x^2147483648+1"), "rejected");
    EXPECT_EQ(read("x^2+x^-99999999999"), "rejected");
    std::string manyLines(200000, '\n');
    EXPECT_FALSE(xNoPresence(n, "\n", manyLines.c_str()));
    EXPECT_EQ(read("1e99999999999x+1"), "rejected");
    EXPECT_EQ(read("((((x"), "rejected");
    fpComplex z;
    EXPECT_FALSE(getTheNumber(z, "1e2147483648"));
    EXPECT_FALSE(getTheNumber(z, "\xff"));
    EXPECT_TRUE(getTheNumber(z, "-"));
    EXPECT_TRUE(z == -1.0);
    // A NUL byte is refused wherever it stands, and its line is named.
    struct Nul {
        std::string text, problem;
    };
    Nul const nuls[] = {{"1\n0\0" "1\n-4\n"s, "NUL byte (line 2, column 2)"},
                        {"x^2-4\0" "3x+1"s, "NUL byte (line 1, column 6)"},
                        {"x^2\r\n-1\n\0"s, "NUL byte (line 3, column 1)"},
                        {"x^2-1"s, ""}};
    for (auto const& c : nuls) {
        std::vector<fpComplex> a;
        std::string ignored, problem = "(not set)";
        EXPECT_EQ(readPolynomial(c.text, n, a, ignored, problem), c.problem.empty());
        EXPECT_EQ(problem, c.problem);
    }
}

}  // namespace
}  // namespace korvel
