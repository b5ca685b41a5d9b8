// The controller through a test double of the window.
#include <gtest/gtest.h>

#include <string>

#include "app/korvel.h"
#include <korvel/fp.h>

namespace korvel {
namespace {

struct FakeWindow : KorvelWindow {
    std::string internal = "64", external = "16", input, output = "(untouched)", time = "(untouched)", status;
    int row = 0;
    bool fullPrecision = false;

    int selectedRow() const override { return row; }
    int internalFigures() const override { return fieldInteger(internal); }
    void setInternalFigures(int figures) override { internal = std::to_string(figures); }
    int externalFigures() const override { return fieldInteger(external); }
    void setExternalFigures(int figures) override { external = std::to_string(figures); }
    std::string inputText() const override { return input; }
    void setOutputText(std::string const& text) override { output = text; }
    void setTimeText(std::string const& text) override { time = text; }
    void setStatusText(std::string const& text) override { status = text; }
    bool fullPrecisionSearch() const override { return fullPrecision; }
};

std::string run(FakeWindow& w) {
    Korvel(w).korvel();
    return w.output;
}

int nonEmptyLines(std::string const& text) {
    int count = 0;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        count += end > start;
        start = end + 1;
    }
    return count;
}

TEST(Controller, FieldsAndMessages) {
    FakeWindow w;
    w.internal = "";
    w.external = "";
    w.input = "x^2-2";
    EXPECT_TRUE(Korvel(w).korvel());
    EXPECT_EQ(w.internal, "64") << "an empty field shows its default";
    EXPECT_EQ(w.external, "16");
    EXPECT_EQ(w.output.substr(0, w.output.find('\n')), "1.414213562373095 , 0");
    EXPECT_EQ(getBlockPrec(), 9);

    w.internal = "-3";
    w.external = std::string(1, '0');
    run(w);
    EXPECT_EQ(w.internal, "64");
    EXPECT_EQ(w.external, "16");

    w.internal = "20";
    w.external = "20";
    EXPECT_TRUE(Korvel(w).korvel()) << "equal figures are accepted";
    EXPECT_EQ(getBlockPrec(), 3);

    std::string const time = w.time;
    w.external = "21";
    EXPECT_FALSE(Korvel(w).korvel());
    EXPECT_EQ(w.output, precisionMessage);
    EXPECT_EQ(w.time, time) << "a failure leaves the time";

    w.external = "16";
    w.internal = "200000";
    EXPECT_EQ(run(w), tooManyFiguresMessage);

    w.internal = "64";
    for (char const* bad : {"", "7", "3\n", "x^", "1/0\n1", "x^2+1/0", "hello"}) {
        w.input = bad;
        EXPECT_EQ(run(w), entryMessage) << '"' << bad << '"';
        EXPECT_EQ(w.time, time);
    }
}

TEST(Controller, BothFormsAndTheOutputLayout) {
    FakeWindow x, list;
    x.input = "3x^2-1";
    list.input = "3\n0\n-1";
    run(x);
    run(list);
    EXPECT_EQ(x.output, list.output) << "x-notation and the list give the same roots";
    EXPECT_EQ(x.output.substr(0, x.output.find("Polynomial(root):")),
              "0.5773502691896258 , 0\n\n-0.5773502691896258 , 0\n\n");

    FakeWindow noisy;
    noisy.input = " 3 * x ^ 2\t- 1 ;";
    run(noisy);
    EXPECT_EQ(noisy.output, x.output) << "other symbols in x-notation are dropped";
    FakeWindow spaced;
    spaced.input = "1 , 2\n 0\n- 1";
    FakeWindow packed;
    packed.input = "1,2\n0\n-1";
    run(spaced);
    run(packed);
    EXPECT_EQ(spaced.output, packed.output) << "spaces in a list line are ignored";

    for (int n : {1, 3, 7}) {
        FakeWindow w;
        w.input = "x^" + std::to_string(n) + "-2";
        ASSERT_TRUE(Korvel(w).korvel());
        EXPECT_EQ(nonEmptyLines(w.output), 2 * n + 1) << "degree " << n;
        EXPECT_NE(w.output.find("\nPolynomial(root):\n"), std::string::npos);
        EXPECT_EQ(w.output.substr(w.output.size() - 2), "\n\n");
        EXPECT_EQ(w.time.size(), 8u) << w.time;  // "%.2e", such as 1.25e-03
    }

    FakeWindow lowered;
    lowered.input = "0x^3+x-2";
    ASSERT_TRUE(Korvel(lowered).korvel());
    EXPECT_EQ(nonEmptyLines(lowered.output), 3) << "a zero x^3 term lowers the degree to 1";

    FakeWindow skipped;
    skipped.input = "x*x-1";
    ASSERT_TRUE(Korvel(skipped).korvel());
    EXPECT_EQ(skipped.status, "Ignored: *\nRead as: 2x - 1 (degree 1)");
    run(x);
    EXPECT_EQ(x.status, "") << "nothing passed over, nothing said";

    FakeWindow snapped, raw;
    snapped.input = "x^2+1";
    raw.input = "x^2+1";
    raw.row = 1;
    // The staged search may land exactly on the axis; the full-precision one leaves residue.
    snapped.fullPrecision = raw.fullPrecision = true;
    run(snapped);
    run(raw);
    EXPECT_EQ(snapped.output.substr(0, snapped.output.find('\n')), "0 , 1") << "row 0 cleans up";
    EXPECT_NE(raw.output.substr(0, raw.output.find('\n')), "0 , 1") << "row 1 keeps the roots as found";
}

TEST(Controller, TheSearchChoiceReachesTheRootFinder) {
    FakeWindow staged, full;
    staged.input = full.input = "x^3-2x+7";
    staged.internal = staged.external = full.internal = full.external = "20";
    full.fullPrecision = true;
    ASSERT_TRUE(Korvel(staged).korvel());
    ASSERT_TRUE(Korvel(full).korvel());
    // The same roots; the values at them, rounding residue, differ with the search.
    EXPECT_NE(staged.output.find("-2.2582588834026085818 , 0"), std::string::npos);
    EXPECT_NE(full.output.find("-2.2582588834026085818 , 0"), std::string::npos);
    EXPECT_NE(staged.output.substr(staged.output.find("Polynomial(root):")),
              full.output.substr(full.output.find("Polynomial(root):")));
}

}  // namespace
}  // namespace korvel
