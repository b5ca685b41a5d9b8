// korvel_bench_small: the fixed cost of one findRoots call on small
// polynomials, many calls in one process, processor time per call.
//
//   korvel_bench_small [CASE] [--calls N] [--first N] [--text] [--dump FILE]
//
// CASE (all when absent): quadratic (x^2 + 1) and cubic (x^3 - x) at the
// default options, littlewood13 (every degree-13 polynomial with coefficients
// +-1 and leading 1, 8192 of them; --first N takes the first N) at 16 shown /
// 32 carried. The polynomials
// are read once; --text reads each call's text again inside the loop. --dump
// writes every report of the last pass, word for word, to FILE, so that two
// builds can be compared.
#include <cstdio>
#include <cstring>
#include <ctime>
#include <string>
#include <vector>

#include <korvel/roots.h>

namespace {

using namespace korvel;

double cpuSeconds() {
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return double(t.tv_sec) + 1e-9 * double(t.tv_nsec);
}

struct Case {
    std::string name;
    std::vector<std::string> texts;
    RootOptions options;
    int calls = 1;  // passes over texts when timing
};

std::vector<Case> cases() {
    std::vector<Case> list;
    list.push_back({"quadratic", {"x^2 + 1"}, {}, 20000});
    list.push_back({"cubic", {"x^3 - x"}, {}, 20000});
    Case littlewood{"littlewood13", {}, {}, 1};
    littlewood.options.shownFigures = 16;
    littlewood.options.carriedFigures = 32;
    for (unsigned signs = 0; signs < (1u << 13); ++signs) {
        std::string t = "x^13";
        for (int k = 12; k >= 0; --k) {
            t += (signs >> k) & 1u ? " - " : " + ";
            t += k == 0 ? "1" : k == 1 ? "x" : "x^" + std::to_string(k);
        }
        littlewood.texts.push_back(t);
    }
    list.push_back(littlewood);
    return list;
}

void dumpFp(std::FILE* out, fp const& x) {
    std::fprintf(out, " %d:%d", x.exponent, x.mantissa.size);
    int const words = x.mantissa.size < 0 ? -x.mantissa.size : x.mantissa.size;
    for (int k = 0; k < words; ++k) std::fprintf(out, ".%08x", x.mantissa.words[k]);
}

void dump(std::FILE* out, std::string const& text, RootReport const& r) {
    std::fprintf(out, "%s | ok %d carried %d exact %d error '%s' warning '%s'\n", text.c_str(), int(r.ok),
                 r.carriedUsed, int(r.exactFactors), r.error.c_str(), r.warning.c_str());
    for (FoundRoot const& f : r.roots) {
        dumpFp(out, f.root.re);
        dumpFp(out, f.root.im);
        std::fprintf(out, " |");
        dumpFp(out, f.value.re);
        dumpFp(out, f.value.im);
        std::fprintf(out, " |");
        if (f.radius) dumpFp(out, *f.radius);
        std::fprintf(out, " | %d %d %d\n", f.certainFigures, f.multiplicity, f.cluster);
    }
    for (fpComplex const& c : r.coefficients) {
        dumpFp(out, c.re);
        dumpFp(out, c.im);
    }
    std::fprintf(out, "\n");
}

}  // namespace

int main(int argc, char** argv) {
    std::string filter, dumpFile;
    int calls = 0;
    std::size_t first = 0;
    bool text = false;
    for (int k = 1; k < argc; ++k) {
        if (!std::strcmp(argv[k], "--calls") && k + 1 < argc)
            calls = std::atoi(argv[++k]);
        else if (!std::strcmp(argv[k], "--first") && k + 1 < argc)
            first = std::size_t(std::atoi(argv[++k]));
        else if (!std::strcmp(argv[k], "--text"))
            text = true;
        else if (!std::strcmp(argv[k], "--dump") && k + 1 < argc)
            dumpFile = argv[++k];
        else
            filter = argv[k];
    }
    std::FILE* out = dumpFile.empty() ? nullptr : std::fopen(dumpFile.c_str(), "w");
    for (Case& c : cases()) {
        if (!filter.empty() && c.name != filter) continue;
        if (first > 0 && first < c.texts.size()) c.texts.resize(first);
        std::vector<Polynomial> polys;
        for (auto const& t : c.texts) polys.push_back(*parsePolynomial(t).polynomial);
        int const passes = calls > 0 ? calls : c.calls;
        long long done = 0;
        bool ok = true;
        double const start = cpuSeconds();
        for (int pass = 0; pass < passes; ++pass)
            for (std::size_t k = 0; k < polys.size(); ++k) {
                RootReport const r = text ? findRoots(c.texts[k], c.options) : findRoots(polys[k], c.options);
                ok = ok && r.ok;
                ++done;
                if (out && pass + 1 == passes) dump(out, c.texts[k], r);
            }
        double const seconds = cpuSeconds() - start;
        std::printf("%-14s %8lld calls  %9.2f us/call%s\n", c.name.c_str(), done, 1e6 * seconds / double(done),
                    ok ? "" : "  (some call failed)");
    }
    if (out) std::fclose(out);
}
