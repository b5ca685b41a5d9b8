// The batch: order, line numbers, per-line errors, the same output for any
// number of jobs and for any slicing, and the picture of the roots.
#include <gtest/gtest.h>

#include <cmath>
#include <complex>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include <nlohmann/json.hpp>

#include "app/batch.h"
#include "app/density.h"

namespace korvel {
namespace {

using json = nlohmann::json;

// The documents a batch of text writes, read back, and its summary.
struct BatchRun {
    std::vector<json> documents;
    BatchSummary summary;
};

BatchRun runText(std::string const& text, BatchSettings const& settings, std::stop_token stop = {}) {
    std::istringstream in(text);
    BatchRun run;
    BatchHooks hooks;
    hooks.write = [&](std::string const& line) {
        EXPECT_EQ(line.back(), '\n');
        EXPECT_EQ(line.find('\n'), line.size() - 1) << "one document, one line";
        run.documents.push_back(json::parse(line));
        return true;
    };
    run.summary = runBatch(in, settings, hooks, stop);
    return run;
}

// The documents without their times, which are all that may differ between runs.
std::vector<json> timeless(std::vector<json> documents) {
    for (auto& d : documents) d.erase("seconds");
    return documents;
}

BatchSettings settings(int jobs) {
    BatchSettings s;
    s.options.shownFigures = 16;
    s.options.carriedFigures = 32;
    s.jobs = jobs;
    return s;
}

// Each input line, and what its document says: 0 for roots, else the status.
struct LineCase {
    std::string_view text;
    int status;
    char const* error;  // a part of the error message
};

LineCase const lines[] = {
    {"x^2+1", 0, ""},
    {"", -1, ""},  // no document: empty lines are counted, not searched
    {"  \t\r", -1, ""},
    {"3x^2-x+(1,2)", 0, ""},
    {R"({"coefficients": [{"re": "-2"}, {"re": "0", "im": "0"}, {"re": "1"}]})", 0, ""},
    {R"({"coefficients": [-1, 0, 0, "1/3"], "degree": 3})", 0, ""},
    {"x^2-4\r", 0, ""},
    {"7", 1, "entry problem"},
    {"x^2+x$$", 0, ""},
    {std::string_view("x^2-4\0" "3x", 8), 1, "entry problem"},
    {R"({"coefficients": [{"re": "1"}, {"re": "abc"}]})", 1, "entry problem"},
    {R"({"coefficients": [{"re": "1/0"}, {"re": "1"}]})", 1, "entry problem"},
    {R"({"coefficients": [1, 1], "degree": 2})", 2, "degree"},
    {R"({"coefficients": [{"real": "1"}, {"re": "1"}]})", 2, "unknown member"},
    {R"({"coeffs": [1, 1]})", 2, "unknown member"},
    {R"({"coefficients": []})", 2, "coefficients"},
    {R"({"coefficients": [[1, 2], 1]})", 2, "not a number"},
    {R"([1, 2])", 1, "entry problem"},
    {R"({"coefficients": [1, 1)", 2, "not a JSON object"},
    {"x^3-x", 0, ""},
};

std::string batchText() {
    std::string text;
    for (auto const& c : lines) text.append(c.text).append("\n");
    return text;
}

TEST(Batch, EachLineInOrderWithItsNumberAndStatusTheSameForAnyJobs) {
    std::string const text = batchText();
    BatchRun const one = runText(text, settings(1));
    std::vector<json> expected;
    int failed = 0;
    std::size_t next = 0;
    for (std::size_t k = 0; k < std::size(lines); ++k) {
        LineCase const& c = lines[k];
        if (c.status < 0) continue;
        ASSERT_LT(next, one.documents.size());
        json const& d = one.documents[next++];
        SCOPED_TRACE(std::string(c.text));
        EXPECT_EQ(d["line"], k + 1);
        if (c.status == 0) {
            EXPECT_FALSE(d.contains("error")) << d.dump();
            EXPECT_EQ(d["roots"].size(), d["input"]["degree"].get<std::size_t>());
        } else {
            ++failed;
            EXPECT_EQ(d["status"], c.status);
            std::string const said = d["error"].get<std::string>() + " " + d.value("detail", "");
            EXPECT_NE(said.find(c.error), std::string::npos) << d.dump();
        }
    }
    EXPECT_EQ(next, one.documents.size());
    EXPECT_EQ(one.summary.failed, failed);
    EXPECT_FALSE(one.summary.stopped);
    for (int jobs : {2, 3}) EXPECT_EQ(timeless(runText(text, settings(jobs)).documents), timeless(one.documents));
}

// The JSON form and x-notation of the same polynomial give the same document.
TEST(Batch, JsonCoefficientsAgreeWithTheText) {
    BatchRun const run = runText("x^3+(-2,-1)x+1/3\n"
                            R"({"coefficients": [{"re": "1/3"}, {"re": "-2", "im": "-1"}, 0, {"re": 1}]})"
                            "\n",
                            settings(1));
    ASSERT_EQ(run.documents.size(), 2u);
    json a = run.documents[0], b = run.documents[1];
    for (auto* d : {&a, &b}) d->erase("line"), d->erase("seconds");
    EXPECT_EQ(a, b);
}

// Slices of a batch, each with --from/--count, joined in order, are the whole.
TEST(Batch, SlicesJoinedAreTheWholeRun) {
    std::string const text = batchText();
    std::vector<json> const whole = timeless(runText(text, settings(2)).documents);
    std::vector<json> joined;
    for (std::int64_t from = 1; from <= std::int64_t(std::size(lines)); from += 6) {
        BatchSettings s = settings(2);
        s.from = from;
        s.count = 6;
        for (auto& d : timeless(runText(text, s).documents)) joined.push_back(d);
    }
    EXPECT_EQ(joined, whole);
}

TEST(Batch, StopOrFailedWriteEndsItAfterWhatWasWritten) {
    std::stop_source stop;
    stop.request_stop();
    BatchRun const stopped = runText(batchText(), settings(2), stop.get_token());
    EXPECT_TRUE(stopped.summary.stopped);
    EXPECT_TRUE(stopped.documents.empty());

    std::istringstream in(batchText());
    int writes = 0;
    BatchHooks hooks;
    hooks.write = [&](std::string const&) { return ++writes < 3; };
    BatchSummary const failed = runBatch(in, settings(2), hooks);
    EXPECT_TRUE(failed.writeFailed);
    EXPECT_FALSE(failed.stopped);
    EXPECT_EQ(writes, 3);
    EXPECT_EQ(failed.searched, 2);
}

// The roots of x^n - 1 light pixels on the unit circle only, and the picture
// fitted to them holds them all.
TEST(Density, BrightPixelsLieWhereTheRootsAre) {
    std::string text;
    for (int n = 3; n <= 40; ++n) text += "x^" + std::to_string(n) + "-1\n";
    for (std::optional<PlaneWindow> const window : {std::optional<PlaneWindow>(PlaneWindow{-1.5, 1.5, -1.2, 1.2}),
                                                   std::optional<PlaneWindow>()}) {
        RootDensity density(300, 240, window);
        std::istringstream in(text);
        BatchHooks hooks;
        hooks.roots = [&](auto const& roots) { density.add(roots); };
        (void)runBatch(in, settings(2), hooks);
        std::vector<unsigned char> const rgb = density.rgb();
        ASSERT_EQ(rgb.size(), 300u * 240u * 3u);
        EXPECT_EQ(density.drawn(), (3 + 40) * 38 / 2);
        PlaneWindow const w = density.window();
        double const pixel = (w.re1 - w.re0) / 300;
        EXPECT_NEAR(pixel, (w.im1 - w.im0) / 240, 1e-12) << "square pixels";
        int lit = 0;
        for (int y = 0; y < 240; ++y)
            for (int x = 0; x < 300; ++x) {
                unsigned char const* p = &rgb[3 * (std::size_t(y) * 300 + std::size_t(x))];
                if (p[0] + p[1] + p[2] == 0) continue;
                ++lit;
                double const re = w.re0 + (x + 0.5) * pixel, im = w.im1 - (y + 0.5) * pixel;
                EXPECT_NEAR(std::abs(std::complex<double>(re, im)), 1, pixel) << x << "," << y;
            }
        EXPECT_GT(lit, 200);
    }
}

}  // namespace
}  // namespace korvel
