// The accepted and rejected texts of the validators, the field splitter and
// both polynomial forms, and inputs that must be refused safely.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "input/input.h"

namespace korvel {
namespace {

std::string field(char const* text, char const* sep, int n) {
    char* f = NthField(text, sep, n);
    std::string s(f);
    std::free(f);
    return s;
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
        char* a = nullptr;
        char* b = nullptr;
        EXPECT_EQ(c.split(a, b, c.text), c.ok) << '"' << c.text << '"';
        EXPECT_STREQ(a, c.first) << '"' << c.text << '"';
        EXPECT_STREQ(b, c.second) << '"' << c.text << '"';
        std::free(a);
        std::free(b);
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
std::string read(char const* text) {
    int n = 0;
    bool const xForm = xPresence(n, text);
    std::string cleaned;
    for (char const* p = text; *p != '\0'; ++p)
        if (xForm ? std::string("x^()eE,.+-/0123456789").find(*p) != std::string::npos : *p != ' ')
            cleaned.push_back(*p);
    if (!xForm && !xNoPresence(n, "\n", cleaned.c_str())) return "rejected";
    auto* a = new fpComplex[std::size_t(n) + 1];
    bool const ok = xForm ? inputPoly_x(a, n, cleaned.c_str()) : inputPoly(a, n, "\n", cleaned.c_str());
    std::string out = ok ? "" : "rejected";
    for (int k = 0; ok && k <= n; ++k) {
        char* re = fpToStr(a[k].re, 10);
        char* im = fpToStr(a[k].im, 10);
        out += std::string(k ? " " : "") + re + ":" + im;
        std::free(re);
        std::free(im);
    }
    delete[] a;
    return out;
}

TEST(InputPolynomials, BothForms) {
    struct Case {
        char const* text;
        char const* coefficients;
    };
    Case const cases[] = {
        {"x^2-1", "-1:0 0:0 1:0"},
        {"1\n0\n-1", "-1:0 0:0 1:0"},
        {"x", "0:0 1:0"},
        {"-x^2+4", "4:0 0:0 -1:0"},
        {"x^2+x^2", "0:0 0:0 2:0"},
        {"1+x", "rejected"},
        {"x+1", "1:0 1:0"},
        {"(1)+x", "1:0 1:0"},
        {"(1,2)x^2+(0,-1)", "0:-1 0:0 1:2"},
        {"-(1,2)x", "0:0 -1:2"},
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
}

}  // namespace
}  // namespace korvel
