// korvel-cli --json read back with the library that wrote it: the document
// agrees with the text output of the same run, and failures are documents too.
#include <gtest/gtest.h>

#include <sys/wait.h>

#include <array>
#include <cstdio>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "../support/text_lines.h"

namespace {

struct CliRun {
    std::string out;
    int status = -1;
};

// Runs korvel-cli with `args` (shell words), standard error dropped.
CliRun cli(std::string const& args) {
    CliRun r;
    FILE* pipe = popen((std::string(KORVEL_CLI) + " " + args + " 2>/dev/null").c_str(), "r");
    if (!pipe) return r;
    std::array<char, 4096> buffer;
    while (std::size_t got = std::fread(buffer.data(), 1, buffer.size(), pipe)) r.out.append(buffer.data(), got);
    int const status = pclose(pipe);
    r.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return r;
}

using korvel::testing::nonEmptyLines;

TEST(Json, AgreesWithTheTextOutput) {
    for (std::string const args : {"--radii -e 'x^5-2x^4-2x^3+8x^2-7x+2'", "--radii --shown 30 --carried 40 -e 'x^3-(0,1)x+2'",
                                   "--radii --no-certify --full-precision --no-cleanup -e 'x^4+1'"}) {
        CliRun const text = cli(args), doc = cli("--json " + args);
        ASSERT_EQ(text.status, 0) << args;
        ASSERT_EQ(doc.status, 0) << args;
        auto const j = nlohmann::json::parse(doc.out);
        auto const lines = nonEmptyLines(text.out);
        auto const& roots = j.at("roots");
        std::size_t const n = roots.size();
        ASSERT_EQ(j.at("input").at("degree").get<std::size_t>(), n) << args;
        ASSERT_EQ(j.at("input").at("coefficients").size(), n + 1) << args;
        // n roots, "Polynomial(root):", n values, "Error bound:", n radii.
        ASSERT_EQ(lines.size(), 3 * n + 2) << args;
        for (std::size_t k = 0; k < n; ++k) {
            auto const& r = roots[k];
            EXPECT_EQ(lines[k], r.at("re").get<std::string>() + " , " + r.at("im").get<std::string>()) << args;
            auto const& v = r.at("value");
            EXPECT_EQ(lines[n + 1 + k], v.at("re").get<std::string>() + " , " + v.at("im").get<std::string>()) << args;
            EXPECT_EQ(lines[2 * n + 2 + k], r.at("radius").get<std::string>()) << args;
            EXPECT_TRUE(r.at("certainFigures").is_number_integer()) << args;
            EXPECT_GE(r.at("cluster").get<int>(), 1) << args;
            // (x - 1)^4 (x + 2): the first four roots are the exact 4-fold root.
            bool const fourfold = args.find("x^5") != std::string::npos && k < 4;
            EXPECT_EQ(r.at("multiplicity").get<int>(), fourfold ? 4 : 1) << args;
        }
        auto const& s = j.at("settings");
        EXPECT_EQ(s.at("path").get<std::string>(),
                  args.find("x^5") != std::string::npos ? "square-free factors" : "whole polynomial")
            << args;
        EXPECT_EQ(s.at("certify").get<bool>(), args.find("--no-certify") == std::string::npos) << args;
        EXPECT_GE(s.at("carriedUsed").get<int>(), s.at("carried").get<int>()) << args;
        EXPECT_TRUE(j.at("seconds").is_number()) << args;
    }
}

TEST(Json, FailuresAreDocumentsWithTheUsualStatus) {
    struct Case {
        char const* args;
        int status;
        char const* message;
    } const cases[] = {
        {"-e 7", 1, "There was an entry problem!"},
        {"--shown 20 --carried 10 -e x-1", 1, "Cannot have internal precision less than external precision!"},
        {"--frobnicate", 2, "korvel-cli: unknown option --frobnicate"},
        {"/nonexistent/none.txt", 1, "korvel-cli: cannot read /nonexistent/none.txt: No such file or directory"},
    };
    for (auto const& c : cases) {
        CliRun const r = cli(std::string("--json ") + c.args);
        EXPECT_EQ(r.status, c.status) << c.args;
        auto const j = nlohmann::json::parse(r.out);
        EXPECT_EQ(j.at("error").get<std::string>(), c.message) << c.args;
        EXPECT_EQ(j.at("status").get<int>(), c.status) << c.args;
    }
}

}  // namespace
