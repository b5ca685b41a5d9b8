// The controller through a test double of the window.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/korvel.h"
#include "app/snapshot_window.h"
#include "app/output.h"
#include <korvel/fp.h>
#include <korvel/input.h>
#include <korvel/roots.h>
#include "../support/text_lines.h"

namespace korvel {
namespace {

// The snapshot window with its figure fields as text, as a real window's fields
// hold them; "(untouched)" where the controller wrote nothing.
struct FakeWindow : SnapshotWindow {
    std::string internalField = "64", externalField = "16";

    int internalFigures() const override { return fieldInteger(internalField); }
    void setInternalFigures(int figures) override { internalField = std::to_string(figures); }
    int externalFigures() const override { return fieldInteger(externalField); }
    void setExternalFigures(int figures) override { externalField = std::to_string(figures); }

    std::string out() const { return output.value_or("(untouched)"); }
    std::string timeText() const { return time.value_or("(untouched)"); }
    std::string statusText() const { return status.value_or(""); }
    std::string readingText() const { return reading.value_or(""); }
    SearchResult const& found() const { return *result; }
};

std::string run(FakeWindow& w) {
    Korvel(w).korvel();
    return w.out();
}

int nonEmptyLines(std::string const& text) { return int(testing::nonEmptyLines(text).size()); }

TEST(Controller, FieldsAndMessages) {
    i32 const callers = getBlockPrec();
    FakeWindow w;
    w.internalField = "";
    w.externalField = "";
    w.input = "x^2-2";
    EXPECT_TRUE(Korvel(w).korvel());
    EXPECT_EQ(w.internalField, "64") << "an empty field shows its default";
    EXPECT_EQ(w.externalField, "16");
    EXPECT_EQ(w.out().substr(0, w.out().find('\n')), "1.414213562373095 , 0");
    EXPECT_EQ(getBlockPrec(), callers) << "the search leaves the thread's precision as it found it";

    w.internalField = "-3";
    w.externalField = std::string(1, '0');
    run(w);
    EXPECT_EQ(w.internalField, "64");
    EXPECT_EQ(w.externalField, "16");

    w.internalField = "20";
    w.externalField = "20";
    EXPECT_TRUE(Korvel(w).korvel()) << "equal figures are accepted";

    std::string const time = w.timeText();
    w.externalField = "21";
    EXPECT_FALSE(Korvel(w).korvel());
    EXPECT_EQ(w.out(), precisionMessage);
    EXPECT_EQ(w.timeText(), time) << "a failure leaves the time";

    w.externalField = "16";
    w.internalField = "200000";
    EXPECT_EQ(run(w), tooManyFiguresMessage);

    w.internalField = "64";
    // Each entry problem says on the status line what refused the text, and where.
    std::pair<char const*, char const*> const refused[] = {
        {"", ""},
        {"7", "a constant has no roots"},
        {"3\n", "a constant has no roots"},
        {"x^", "a power of x that is not a whole number from 0 to 100000"},
        {"1/0\n1", "line 1 is not a number: 1/0"},
        {"x^2+1/0", "a zero denominator: +1/0 (line 1, column 4)"},
        {"hello", "not a number: hello"},
        {"x^2\n+(1,2", "a parenthesis that does not close (line 2, column 2)"},
        {"x^2 + 2i3", "not a number: +2i3 (i stands last in its term: 2i, -i, (3-2i)x) (line 1, column 5)"},
    };
    for (auto [bad, why] : refused) {
        w.input = bad;
        EXPECT_EQ(run(w), entryMessage) << '"' << bad << '"';
        EXPECT_EQ(w.timeText(), time);
        EXPECT_EQ(w.statusText(), why) << '"' << bad << '"';
    }
    // A NUL byte does not end the text: it is refused, and its line named.
    w.input = std::string("1\n0\0" "1\n-4\n", 9);
    EXPECT_EQ(run(w), entryMessage);
    EXPECT_EQ(w.statusText(), "NUL byte (line 2, column 2)");
}

// The polynomial as read shows short whole numbers in full and a rounded value
// with all its figures, so that none looks exact when it is not.
TEST(Controller, ReadAsShowsRoundedValuesAsRounded) {
    std::pair<char const*, char const*> const cases[] = {
        {"264566432x^2-1.0000001", "264566432x^2 - 1.00000 (degree 2)"},
        {"x^2-0.65x+1/3", "x^2 - 0.65x + 0.333333 (degree 2)"},
        {"x-123456.7", "x - 1.23457e5 (degree 1)"},
        {"x-0.00012345678", "x - 0.000123457 (degree 1)"},
        {"x-1e300/3", "x - 3.33333e299 (degree 1)"},
        {"x^2-(2,1e-30)", "x^2 + (-2,1e-30) (degree 2)"},
        {"x^2+(1,-1.0000001)", "x^2 + (1,-1.00000) (degree 2)"},
        {"x-2432902008176640000", "x - 2.43290e18 (degree 1)"},
    };
    ScopedBlockPrec precision(wordsForFigures(64));
    for (auto [text, read] : cases) {
        int n = 0;
        std::vector<fpComplex> a;
        std::string ignored;
        ASSERT_TRUE(readPolynomial(text, n, a, ignored)) << text;
        EXPECT_EQ(polynomialAsRead(a), read) << text;
    }
}

TEST(Controller, BothFormsAndTheOutputLayout) {
    FakeWindow x, list;
    x.input = "3x^2-1";
    list.input = "3\n0\n-1";
    run(x);
    run(list);
    EXPECT_EQ(x.out(), list.out()) << "x-notation and the list give the same roots";
    EXPECT_EQ(x.out().substr(0, x.out().find("Polynomial(root):")),
              "0.5773502691896258 , 0\n\n-0.5773502691896258 , 0\n\n");

    FakeWindow noisy;
    noisy.input = " 3 * x ^ 2\t- 1 ;";
    run(noisy);
    EXPECT_EQ(noisy.out(), x.out()) << "other symbols in x-notation are dropped";
    FakeWindow spaced;
    spaced.input = "1 , 2\n 0\n- 1";
    FakeWindow packed;
    packed.input = "1,2\n0\n-1";
    run(spaced);
    run(packed);
    EXPECT_EQ(spaced.out(), packed.out()) << "spaces in a list line are ignored";

    for (int n : {1, 3, 7}) {
        FakeWindow w;
        w.input = "x^" + std::to_string(n) + "-2";
        ASSERT_TRUE(Korvel(w).korvel());
        EXPECT_EQ(nonEmptyLines(w.out()), 2 * n + 1) << "degree " << n;
        EXPECT_NE(w.out().find("\nPolynomial(root):\n"), std::string::npos);
        EXPECT_EQ(w.out().substr(w.out().size() - 2), "\n\n");
        EXPECT_EQ(w.timeText().size(), 8u) << w.timeText();  // "%.2e", such as 1.25e-03
    }

    FakeWindow lowered;
    lowered.input = "0x^3+x-2";
    ASSERT_TRUE(Korvel(lowered).korvel());
    EXPECT_EQ(nonEmptyLines(lowered.out()), 3) << "a zero x^3 term lowers the degree to 1";

    FakeWindow skipped;
    skipped.input = "x*x-1";
    ASSERT_TRUE(Korvel(skipped).korvel());
    EXPECT_EQ(skipped.readingText(), "Ignored: *\nRead as: 2x - 1 (degree 1)");
    run(x);
    EXPECT_EQ(x.readingText(), "Read as: 3x^2 - 1 (degree 2)") << "nothing passed over: the reading alone";
    EXPECT_EQ(list.readingText(), "Read as: 3x^2 - 1 (degree 2)");
    FakeWindow emptyLast;
    emptyLast.input = "1\n0\n-2\n\n";
    run(emptyLast);
    EXPECT_EQ(emptyLast.readingText(), "Read as: x^3 - 2x + 1 (degree 3)") << "an empty line is the coefficient 1";

    FakeWindow snapped, raw;
    snapped.input = "x^2+1";
    raw.input = "x^2+1";
    raw.row = 1;
    // Certification clears a part inside the root's disk whatever row 1 says.
    raw.certify = false;
    // The staged search may land exactly on the axis; the full-precision one leaves residue.
    snapped.fullPrecision = raw.fullPrecision = true;
    run(snapped);
    run(raw);
    EXPECT_EQ(snapped.out().substr(0, snapped.out().find('\n')), "0 , 1") << "row 0 cleans up";
    EXPECT_NE(raw.out().substr(0, raw.out().find('\n')), "0 , 1") << "row 1 keeps the roots as found";
}

TEST(Controller, TheSearchChoiceReachesTheRootFinder) {
    FakeWindow staged, full;
    staged.input = full.input = "x^3-2x+7";
    staged.internalField = staged.externalField = full.internalField = full.externalField = "20";
    full.fullPrecision = true;
    ASSERT_TRUE(Korvel(staged).korvel());
    ASSERT_TRUE(Korvel(full).korvel());
    // The same roots; the values at them, rounding residue, differ with the search.
    EXPECT_NE(staged.out().find("-2.2582588834026085818 , 0"), std::string::npos);
    EXPECT_NE(full.out().find("-2.2582588834026085818 , 0"), std::string::npos);
    EXPECT_NE(staged.out().substr(staged.out().find("Polynomial(root):")),
              full.out().substr(full.out().find("Polynomial(root):")));
}

// ---- certification ---------------------------------------------------------------------

// The roots of the output text, "re , im" per line up to "Polynomial(root):".
std::vector<std::pair<std::string, std::string>> shownRoots(std::string const& output) {
    std::vector<std::pair<std::string, std::string>> roots;
    std::size_t start = 0;
    while (start < output.size()) {
        std::size_t const end = output.find('\n', start);
        std::string const line = output.substr(start, end - start);
        start = end + 1;
        if (line == "Polynomial(root):") break;
        if (line.empty()) continue;
        std::size_t const comma = line.find(" , ");
        roots.emplace_back(line.substr(0, comma), line.substr(comma + 3));
    }
    return roots;
}

// (x - 1)(x - 2) ... (x - 20).
char const* const wilkinsonText =
    "x^20-210x^19+20615x^18-1256850x^17+53327946x^16-1672280820x^15+40171771630x^14-756111184500x^13"
    "+11310276995381x^12-135585182899530x^11+1307535010540395x^10-10142299865511450x^9"
    "+63030812099294896x^8-311333643161390640x^7+1206647803780373360x^6-3599979517947607200x^5"
    "+8037811822645051776x^4-12870931245150988800x^3+13803759753640704000x^2"
    "-8752948036761600000x+2432902008176640000";

std::vector<fpComplex> realRoots(std::vector<double> const& roots) {
    std::vector<fpComplex> r;
    for (double x : roots) r.emplace_back(x, 0.0);
    return r;
}

// The roots of x^20 - 2(100x - 1)^2, found at 400 figures, where they are simple and well apart.
std::vector<fpComplex> mignotteRoots() {
    ScopedBlockPrec precision(51);
    std::vector<fpComplex> a(21), roots(20), values(20);
    a[0] = fpComplex(-2.0, 0.0);
    a[1] = fpComplex(400.0, 0.0);
    a[2] = fpComplex(-20000.0, 0.0);
    a[20] = fpComplex(1.0, 0.0);
    fpComplex* r = roots.data();
    fpComplex* v = values.data();
    fpComplex* c = a.data();
    EXPECT_TRUE(findPolyRoots(r, v, c, 20, false));
    return roots;
}

// With certification every figure shown is right, part by part: a part written
// non-zero is within one unit of its last figure (10^(1 - D) of itself) of the
// true root's part, a part written 0 is below one unit of the root's modulus,
// and a part that is exactly 0 is written 0; every true root is shown as often
// as it is a root.
TEST(Controller, EveryShownFigureIsRightWhenCertified) {
    ScopedBlockPrec exact(120);  // the true roots beyond the figures of every case
    std::vector<double> wilkinson;
    for (int k = 1; k <= 20; ++k) wilkinson.push_back(k);
    using Figures = std::vector<std::pair<int, int>>;
    Figures const usual = {{16, 32}, {64, 80}};
    struct Case {
        char const* name;
        char const* input;
        std::vector<fpComplex> truth;
        Figures figures;
    } const cases[] = {
        {"(x - 1)^4 (x + 2)", "x^5-2x^4-2x^3+8x^2-7x+2", realRoots({1, 1, 1, 1, -2}), usual},
        {"(x^2 + 1)^3", "x^6+3x^4+3x^2+1",
         {{0.0, 1.0}, {0.0, 1.0}, {0.0, 1.0}, {0.0, -1.0}, {0.0, -1.0}, {0.0, -1.0}}, usual},
        {"(x - 1)^6", "x^6-6x^5+15x^4-20x^3+15x^2-6x+1", realRoots({1, 1, 1, 1, 1, 1}), usual},
        {"Wilkinson 20", wilkinsonText, realRoots(wilkinson), usual},
        {"x^20 - 2(100x - 1)^2", "x^20-20000x^2+400x-2", mignotteRoots(), usual},
        // The clean-up once moved the root 1 + 1e-30 i onto its neighbour 1, and
        // the cluster they then made was settled at 0 , 0.
        {"complex near-cluster (x - 1)(x - 1 - 1e-30 i)", "x^2-(2,-1e-30)x+(1,1e-30)",
         {fpComplex(1.0, 0.0), fpComplex("1", "1e-30")}, {{16, 32}, {32, 40}, {30, 30}, {100, 116}}},
        // Real noise far below the disk was once written with all its figures.
        {"real root of a complex cubic", "1\n0.65,-0.2\n-0.7,-0.15\n0.0625,0.125",
         {fpComplex(0.5, 0.0), fpComplex(-1.25, 0.0), fpComplex("0.1", "0.2")}, {{256, 272}}},
    };
    for (auto const& c : cases)
        for (auto [shown, carried] : c.figures) {
            std::string const what = std::string(c.name) + " at " + std::to_string(shown) + "/" + std::to_string(carried);
            FakeWindow w;
            w.input = c.input;
            w.externalField = std::to_string(shown);
            w.internalField = std::to_string(carried);
            ASSERT_TRUE(Korvel(w).korvel()) << what;
            EXPECT_EQ(w.statusText(), "") << what << ": no warning when every figure is certain";
            EXPECT_GE(w.found().carriedUsed, carried) << what;
            ScopedBlockPrec wide(120);
            fp const unit = pow(fp(10.0), i32(1 - shown));
            auto const roots = shownRoots(w.out());
            ASSERT_EQ(roots.size(), c.truth.size()) << what;
            std::vector<fpComplex> shownValues;
            for (auto const& [re, im] : roots) shownValues.emplace_back(re.c_str(), im.c_str());
            auto partRight = [&](fp const& part, fp const& truth, fp const& modulus) {
                if (!truth) return !part;
                if (!part) return abs(truth) <= unit * modulus;
                return abs(part - truth) <= unit * abs(truth);
            };
            auto right = [&](fpComplex const& z, fpComplex const& t) {
                fp const m = abs(t);
                return partRight(z.re, t.re, m) && partRight(z.im, t.im, m);
            };
            auto shownAs = [&](std::vector<fpComplex> const& set, fpComplex const& t) {
                int count = 0;
                for (auto const& z : set) count += right(z, t);
                return count;
            };
            for (std::size_t k = 0; k < roots.size(); ++k) {
                int near = 0;
                for (auto const& t : c.truth) near += right(shownValues[k], t);
                EXPECT_GT(near, 0) << what << ": " << roots[k].first << " , " << roots[k].second;
            }
            for (std::size_t t = 0; t < c.truth.size(); ++t) {
                int often = 0;
                for (auto const& u : c.truth) often += right(u, c.truth[t]);
                EXPECT_GE(shownAs(shownValues, c.truth[t]), often)
                    << what << ": true root " << t << " shown as often as it is a root";
            }
        }
}

TEST(Controller, RealRootsShowAnImaginaryPartOfExactlyZero) {
    FakeWindow w;
    w.input = wilkinsonText;
    w.externalField = w.internalField = "16";
    w.row = 1;  // no clean-up: the proof alone clears them
    ASSERT_TRUE(Korvel(w).korvel());
    for (auto const& [re, im] : shownRoots(w.out())) EXPECT_EQ(im, "0") << re;
}

// Off, the output is that of the figures carried, word for word as before.
// Without certification one round at the figures carried; an exact repeated
// root is still split off exactly, so it shows as it is, with its values 0.
TEST(Controller, CertificationOffShowsTheRootsOfTheFiguresCarried) {
    FakeWindow w;
    w.input = "x^5-2x^4-2x^3+8x^2-7x+2";
    w.externalField = "16";
    w.internalField = "32";
    w.certify = false;
    ASSERT_TRUE(Korvel(w).korvel());
    EXPECT_EQ(w.out(), "1 , 0\n\n1 , 0\n\n1 , 0\n\n1 , 0\n\n-2 , 0\n\nPolynomial(root):\n0 , 0\n\n0 , 0\n\n0 , 0\n\n"
                        "0 , 0\n\n0 , 0\n\n");
    EXPECT_EQ(w.found().carriedUsed, 32);
    EXPECT_EQ(w.statusText(), "");
    // A cluster that is no exact multiple root: the roots of the figures carried.
    w.input = "x^5-2x^4-2x^3+8x^2-7x+(2,1e-40)";
    ASSERT_TRUE(Korvel(w).korvel());
    EXPECT_EQ(w.found().carriedUsed, 32);
    EXPECT_EQ(w.out().rfind("1.0000000", 0), 0u) << w.out();
    EXPECT_EQ(w.statusText(), "");
}

TEST(Controller, WarningOnlyWhenFiguresStayUncertainAtTheCap) {
    FakeWindow w;
    // (x - 1)^12 - 1e-180 i: twelve roots 1e-15 apart, which 16 figures carried
    // cannot tell apart, nor 8 x 16; an exact 12-fold root would be split off.
    w.input = "x^12-12x^11+66x^10-220x^9+495x^8-792x^7+924x^6-792x^5+495x^4-220x^3+66x^2-12x+(1,1e-180)";
    w.externalField = w.internalField = "16";
    std::vector<int> rounds;
    Korvel controller(w);
    controller.setProgress([&rounds](int, int, int carried) {
        if (rounds.empty() || rounds.back() != carried) rounds.push_back(carried);
    });
    ASSERT_TRUE(controller.korvel()) << "uncertain figures are no failure";
    // No figure is certain at 16, so the figures double; the few certain at 32
    // say that the 16 shown need more than the cap.
    EXPECT_EQ(rounds, (std::vector<int>{16, 32, 128})) << "each round is reported with its figures";
    EXPECT_EQ(w.found().carriedUsed, 128);
    EXPECT_EQ(w.statusText().rfind("Not every figure shown is certain, with 128 figures carried:\nroot 1 (1 , 0): ", 0),
              0u)
        << w.statusText();
    for (int k = 1; k <= 12; ++k) {
        std::size_t const at = w.statusText().find("\nroot " + std::to_string(k) + " (");
        ASSERT_NE(at, std::string::npos) << "root " << k << " is named";
        EXPECT_NE(w.statusText().find(" of 16 figures certain", at), std::string::npos);
    }
    for (auto const& r : w.found().roots) EXPECT_LT(r.certainFigures, 16);

    w.certify = false;
    Korvel(w).korvel();
    EXPECT_EQ(w.statusText(), "") << "no certification, no warning";

    FakeWindow sure;
    sure.input = "x^3-2x+7";
    ASSERT_TRUE(Korvel(sure).korvel());
    EXPECT_EQ(sure.statusText(), "");
    for (auto const& r : sure.found().roots) EXPECT_EQ(r.certainFigures, 16);
}

TEST(Controller, ErrorBoundsFollowTheValues) {
    for (bool certify : {true, false}) {
        FakeWindow plain, bounded;
        plain.input = bounded.input = "x^3-2x+7";
        plain.certify = bounded.certify = certify;
        bounded.errorBounds = true;
        ASSERT_TRUE(Korvel(plain).korvel());
        ASSERT_TRUE(Korvel(bounded).korvel());
        ASSERT_EQ(bounded.out().rfind(plain.out(), 0), 0u) << "the layout before the bounds is kept";
        std::string const bounds = bounded.out().substr(plain.out().size());
        ASSERT_EQ(bounds.rfind("Error bound:\n", 0), 0u) << bounds;
        EXPECT_EQ(nonEmptyLines(bounds), 4);
        for (auto const& r : bounded.found().roots) {
            std::string const radius = toString(r.radius.value(), 3);
            EXPECT_NE(bounds.find("\n" + radius + "\n\n"), std::string::npos) << radius;
            EXPECT_LE(radius.find('e'), 4u) << "3 significant figures: " << radius;
            EXPECT_GT(r.cluster, 0);
        }
    }
}

}  // namespace
}  // namespace korvel
