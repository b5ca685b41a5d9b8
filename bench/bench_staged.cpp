// korvel_bench_staged: the staged and the full-precision search side by side,
// and MPSolve (when installed) on the same polynomials, processor seconds.
//
//   korvel_bench_staged [FILTER] [--limit SECONDS] [--no-mpsolve]
//   korvel_bench_staged --write DIR
//
// --write puts each case in DIR for other programs to time (bench/peers.sh):
// NN.name its name, NN.txt its coefficients for korvel-cli (the leading one
// first, "re,im" a line), NN.pol for MPSolve and NN.gp a PARI/GP expression.
//
// A case runs when its name contains FILTER. A full-precision run predicted to
// take longer than the limit (default 30 s) is skipped and marked so: the
// prediction scales the case's time at fewer figures by the cost of a complex
// multiplication; the high-degree sparse cases are skipped outright (x^500 - 1
// alone takes minutes at 16 figures).
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <fstream>
#include <string>
#include <vector>

#include "polynomials.h"
#include <korvel/roots.h>

namespace {

using namespace korvel;
using bench::Polynomial;
using bench::Rational;

double cpuSeconds() {
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return double(t.tv_sec) + 1e-9 * double(t.tv_nsec);
}

Polynomial sparse(std::string name, int n, std::vector<std::pair<int, std::string>> const& terms) {
    Polynomial p{std::move(name), std::vector<Rational>(std::size_t(n) + 1)};
    for (auto const& [k, v] : terms) p.c[std::size_t(k)].re = v;
    return p;
}

// Integer coefficients (exact fp integers) as decimal text.
Polynomial integers(std::string name, std::vector<fp> const& c) {
    Polynomial p{std::move(name), {}};
    for (auto const& v : c) {
        mb m;
        equate(m, v);
        char* t = mb2Str(m);
        p.c.push_back({t, "0"});
        std::free(t);
    }
    return p;
}

// The product of factors with small integer coefficients, exactly (Wilkinson's
// coefficients pass 2^63).
Polynomial product(std::string name, std::vector<std::vector<int>> const& factors) {
    ScopedBlockPrec exact(40);
    std::vector<fp> c{fp(1.0)};
    for (auto const& f : factors) {
        std::vector<fp> next(c.size() + f.size() - 1, fp(0.0));
        for (std::size_t i = 0; i < c.size(); ++i)
            for (std::size_t j = 0; j < f.size(); ++j) next[i + j] = next[i + j] + c[i] * double(f[j]);
        c = std::move(next);
    }
    return integers(std::move(name), c);
}

// Chebyshev T_n by T_{k+1} = 2x T_k - T_{k-1}, in exact fp integers.
Polynomial chebyshev(int n) {
    ScopedBlockPrec exact(40);
    std::vector<fp> a{fp(1.0)}, b{fp(0.0), fp(1.0)};
    for (int k = 1; k < n; ++k) {
        std::vector<fp> next(b.size() + 1, fp(0.0));
        for (std::size_t i = 0; i < b.size(); ++i) next[i + 1] = b[i] * 2.0;
        for (std::size_t i = 0; i < a.size(); ++i) next[i] = next[i] - a[i];
        a = std::move(b);
        b = std::move(next);
    }
    return integers("Chebyshev " + std::to_string(n), b);
}

// The Mandelbrot polynomial p_k: p_0 = 1, p_{k+1} = x p_k^2 + 1, in exact fp integers.
Polynomial mandelbrot(int k) {
    ScopedBlockPrec exact(40);
    std::vector<fp> p{fp(1.0)};
    for (int j = 0; j < k; ++j) {
        std::vector<fp> next(2 * p.size(), fp(0.0));
        next[0] = fp(1.0);
        for (std::size_t a = 0; a < p.size(); ++a)
            for (std::size_t b = 0; b < p.size(); ++b) next[a + b + 1] = next[a + b + 1] + p[a] * p[b];
        p = std::move(next);
    }
    return integers("Mandelbrot " + std::to_string(k), p);
}

std::vector<Polynomial> cases() {
    std::vector<Polynomial> list;
    for (int n : {10, 20, 50, 100, 200}) list.push_back(bench::randomPolynomial(n));
    std::vector<std::vector<int>> w;
    for (int r = 1; r <= 20; ++r) w.push_back({-r, 1});
    list.push_back(product("Wilkinson 20", w));
    list.push_back(sparse("x^64 - 1", 64, {{0, "-1"}, {64, "1"}}));
    list.push_back(sparse("x^500 - 1", 500, {{0, "-1"}, {500, "1"}}));
    list.push_back(sparse("x^2000 + 1", 2000, {{0, "1"}, {2000, "1"}}));
    list.push_back(chebyshev(50));
    list.push_back(sparse("x^20 - 2(100x - 1)^2", 20, {{0, "-2"}, {1, "400"}, {2, "-20000"}, {20, "1"}}));
    list.push_back(product("(x - 1)^4 (x + 2)", {{-1, 1}, {-1, 1}, {-1, 1}, {-1, 1}, {2, 1}}));
    list.push_back(product("(x^2 + 1)^3", {{1, 0, 1}, {1, 0, 1}, {1, 0, 1}}));
    list.push_back(sparse("x^5 - 1e30", 5, {{0, "-1000000000000000000000000000000"}, {5, "1"}}));
    list.push_back(mandelbrot(7));
    list.push_back(sparse("x^100 - 1e300 x^50 + 1", 100, {{0, "1"}, {50, "-1" + std::string(300, '0')}, {100, "1"}}));
    Polynomial decimal{"decimal degree 20", {}};
    for (int k = 0; k <= 20; ++k) decimal.c.push_back({std::to_string((k * 37) % 101 - 50) + "/10", "0"});
    list.push_back(decimal);
    return list;
}

struct Run {
    double seconds = 0;
    RootSearchRecord record;
};

// One search, repeated until a quarter second has passed; the mean time.
Run solve(Polynomial const& p, int figures, RootSearch search) {
    ScopedBlockPrec precision(figures / 8 + 1);
    std::vector<fpComplex> c = bench::coefficients(p);
    int const n = p.degree();
    std::vector<fpComplex> roots(static_cast<std::size_t>(n)), values(static_cast<std::size_t>(n));
    Run run;
    int times = 0;
    double const start = cpuSeconds();
    do {
        fpComplex* a = c.data();
        fpComplex* r = roots.data();
        fpComplex* v = values.data();
        findPolyRoots(r, v, a, n, true, defaultConfirmFigures, search, &run.record);
        ++times;
    } while (cpuSeconds() - start < 0.25);
    run.seconds = (cpuSeconds() - start) / times;
    return run;
}

// p in MPSolve's input format.
void writeMpsolve(std::ostream& out, Polynomial const& p) {
    out << "Degree=" << p.degree() << ";\nMonomial;\nRational;\n\n";
    for (auto const& r : p.c) out << r.re << ' ' << r.im << '\n';
}

// MPSolve's processor time (its children included), or -1 when it cannot run.
double mpsolve(Polynomial const& p, int figures) {
    std::string const file = "/tmp/korvel_bench_" + std::to_string(getpid()) + ".pol";
    {
        std::ofstream out(file);
        writeMpsolve(out, p);
    }
    std::string const digits = "-o" + std::to_string(figures);
    double total = 0;
    int times = 0;
    std::fflush(stdout);
    do {
        pid_t const child = fork();
        if (child == 0) {
            std::FILE* sink = std::freopen("/dev/null", "w", stdout);
            (void)sink;
            execlp("mpsolve", "mpsolve", "-Ga", digits.c_str(), "-j1", file.c_str(), static_cast<char*>(nullptr));
            _exit(127);
        }
        int status = 0;
        rusage usage{};
        if (child < 0 || wait4(child, &status, 0, &usage) < 0 || !WIFEXITED(status) || WEXITSTATUS(status) != 0) {
            std::remove(file.c_str());
            return -1;
        }
        total += double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
                 1e-6 * double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec);
        ++times;
    } while (total < 0.25);
    std::remove(file.c_str());
    return total / times;
}

// Processor time of a complex multiplication at `figures` figures carried.
double mulCost(int figures) {
    ScopedBlockPrec precision(figures / 8 + 1);
    fpComplex a(fp("1.2345678901234567890123"), fp("0.98765432109876543210")), r = a;
    int const count = 20000;
    double const start = cpuSeconds();
    for (int i = 0; i < count; ++i) {
        mul(r, r, a);
        r.re.exponent = a.re.exponent;  // keep the value from drifting out of range
        r.im.exponent = a.im.exponent;
    }
    return (cpuSeconds() - start) / count;
}

// The cases as files, for bench/peers.sh; false, having said so, when one
// cannot be written.
bool writeCases(std::string const& dir) {
    int index = 0;
    for (auto const& p : cases()) {
        std::string const number = std::to_string(index++);
        std::string const base = dir + "/" + (number.size() < 2 ? "0" + number : number);
        std::ofstream name(base + ".name"), korvel(base + ".txt"), mps(base + ".pol"), gp(base + ".gp");
        name << p.name << '\n';
        writeMpsolve(mps, p);
        gp << "Pol([";
        for (int k = p.degree(); k >= 0; --k) {
            Rational const& r = p.c[std::size_t(k)];
            korvel << r.re << ',' << r.im << '\n';
            gp << (k < p.degree() ? "," : "") << '(' << r.re << ")+I*(" << r.im << ')';
        }
        gp << "])\n";
        if (!name || !korvel || !mps || !gp) {
            std::fprintf(stderr, "korvel_bench_staged: cannot write the cases in %s\n", dir.c_str());
            return false;
        }
    }
    return true;
}

char const* path(Run const& r) {
    if (r.record.ran == RootSearch::fullPrecision) return "fallback";
    return r.record.rounds > 1 ? "staged+fp" : "staged";
}

}  // namespace

int main(int argc, char** argv) {
    std::string filter;
    double limit = 30;
    bool reference = true;
    for (int i = 1; i < argc; ++i) {
        std::string const arg = argv[i];
        if (arg == "--limit" && i + 1 < argc)
            limit = std::atof(argv[++i]);
        else if (arg == "--no-mpsolve")
            reference = false;
        else if (arg == "--write" && i + 1 < argc)
            return writeCases(argv[++i]) ? 0 : 1;
        else
            filter = arg;
    }
    int const figureList[] = {16, 64, 256, 1000};
    std::printf("%-22s %5s %10s %10s %8s %10s %8s  %s\n", "polynomial", "figs", "staged s", "full s", "st/full",
                "MPSolve s", "st/MPS", "path (stage-1 rounds)");
    for (auto const& p : cases()) {
        if (p.name.find(filter) == std::string::npos) continue;
        double fullBefore = -1, costBefore = 0;
        for (int figures : figureList) {
            Run const staged = solve(p, figures, RootSearch::staged);
            double const cost = mulCost(figures);
            bool runFull = p.degree() < 500;
            if (runFull && fullBefore > 0) runFull = fullBefore * cost / costBefore <= limit;
            if (runFull && fullBefore < 0 && figures > figureList[0]) runFull = false;  // skipped before
            double full = -1;
            if (runFull) {
                full = solve(p, figures, RootSearch::fullPrecision).seconds;
                fullBefore = full;
                costBefore = cost;
            }
            double const ref = reference ? mpsolve(p, figures) : -1;
            char fullText[32] = "skipped", ratio[32] = "-", refText[32] = "n/a", refRatio[32] = "-";
            if (full > 0) {
                std::snprintf(fullText, sizeof fullText, "%.4f", full);
                std::snprintf(ratio, sizeof ratio, "%.4f", staged.seconds / full);
            }
            if (ref > 0) {
                std::snprintf(refText, sizeof refText, "%.4f", ref);
                std::snprintf(refRatio, sizeof refRatio, "%.2f", staged.seconds / ref);
            }
            std::printf("%-22s %5d %10.4f %10s %8s %10s %8s  %s (%d)\n", p.name.c_str(), figures, staged.seconds,
                        fullText, ratio, refText, refRatio, path(staged), staged.record.rounds);
            std::fflush(stdout);
        }
    }
    return 0;
}
