// korvel-cli: the controller over a text window.
//
//   korvel-cli [--shown N] [--carried N] [--no-cleanup] [--full-precision]
//              [--no-certify] [--radii] [--json] [--echo] [-e TEXT | FILE]
//   korvel-cli --batch [--jobs N] [--from K] [--count M] [--density PNG ...] [FILE]
//
// On success the output view's text goes to standard output and the time to
// standard error; a failure's message goes to standard error with status 1;
// bad options give a usage line and status 2; Ctrl-C gives status 130 and no
// output. With --json one JSON document goes to standard output instead, for a
// failure too, with the same statuses. With --batch every line is a polynomial
// and its JSON document a line of the output.
#include <atomic>
#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <new>
#include <optional>
#include <stop_token>
#include <string>
#include <thread>

#include "app/batch.h"
#include "app/cli_progress.h"
#include "app/density.h"
#include "app/json.h"
#include "app/korvel.h"
#include "app/snapshot_window.h"
#include "app/output.h"
#include <korvel/input.h>

namespace {


char const* const usage =
    "Usage: korvel-cli [--shown N] [--carried N] [--no-cleanup] [--full-precision] [--no-certify] [--radii] "
    "[--json] [--echo] [-e TEXT | FILE]\n"
    "       korvel-cli --batch [--jobs N] [--from K] [--count M] [--first-line K] [--density FILE.png [--density-size WxH] "
    "[--density-window RE0,RE1,IM0,IM1]] [--shown N] [--carried N] [...] [FILE]";

char const* const help = R"(korvel-cli finds every root, real and complex, of a polynomial with complex
coefficients, to the precision you choose.

  --shown N      significant figures shown (default 16)
  --carried N    significant figures carried in the computation (default 64);
                 it may not be smaller than --shown
  --no-cleanup   keep negligible real and imaginary parts of the roots as found
  --full-precision
                 search root after root at the carried precision throughout
                 (the slower search of earlier versions); by default all roots
                 are approximated at once at low precision, refined to the
                 carried precision and checked, with the full-precision search
                 as the fallback for multiple or tightly clustered roots
  --no-certify   show the roots as the carried figures give them; by default
                 the search is repeated with more figures carried until
                 every figure shown is certain, up to 8 times the figures
                 carried (at most 100000), and a warning on standard error
                 names each root whose figures are still not all certain
  --radii        after the values, the line "Error bound:" and each root's
                 certified error bound, to 3 significant figures
  --json         one JSON document on standard output: the polynomial as read,
                 the settings, each root with its value, error bound, certain
                 figures and cluster, and the time; failures too
  --echo         write the polynomial as read to standard error first
  -e TEXT        the polynomial given on the command line
  FILE           read the polynomial from FILE ("-" or none: standard input)
  --help         show this text
  --version      show the version

Many polynomials at once:
  --batch        every non-empty line of FILE (or standard input) is one
                 polynomial, in x-notation or as the JSON object
                 {"coefficients": [{"re": "1", "im": "0"}, ...]} with the
                 constant term first; the output is one JSON line per
                 polynomial, in input order, with "line" (its line number) and
                 the members of the --json document, or "error" and "status"
                 when it fails; the batch goes on after a failure and ends with
                 status 1 when any line failed
  --jobs N       searches at once (default: the hardware threads); the output
                 is the same for every N, times aside
  --from K       search from line K (counting every line from 1)
  --count M      search M lines from there
  --first-line K number the input's lines from K (a chunk of a longer stream)
  --density FILE.png
                 draw every root of the batch into a picture of how many roots
                 fall on each pixel, on a log scale
  --density-size WxH
                 its size in pixels (default 800x800)
  --density-window RE0,RE1,IM0,IM1
                 the part of the plane it shows (default: fitted to the roots)

The polynomial is written in x-notation, such as 3x^2-x+(1,2) or 2 + (3-2i)x - x^2,
its terms in any order, or as a list of coefficients, one per line from the
highest power down. A coefficient is a number, a fraction such as 1/3, a complex
number in i such as 2i or (1+2i), or a complex pair such as (1,2) for 1 + 2i.

The roots are written one per line as "real part , imaginary part", then the
line "Polynomial(root):" and the polynomial's value at each root. The processor
time goes to standard error as "time: <seconds> s", and so do the polynomial
as read ("Read as: ...") and whatever the x-notation reader passed over
("Ignored: ..."). Output that cannot be written ends with status 1.
On a terminal a search longer than a second shows the roots found so far on
standard error. Ctrl-C stops the search and ends with status 130.
)";

// With --json every failure is a JSON document on standard output.
bool jsonOutput = false;

// The errno of the first write to standard output that failed; 0 while none has.
int outputError = 0;

// Writes text to standard output and flushes it, so that a full disk or a
// closed descriptor shows here rather than being lost at exit. False on failure.
bool writeOutput(std::string const& text) {
    if (outputError != 0) return false;
    errno = 0;
    std::cout << text << std::flush;
    if (std::cout) return true;
    outputError = errno != 0 ? errno : EIO;
    return false;
}

// The status of a run whose output could not be written: its own when it had
// already failed, else 1.
int outputFailure(int status) {
    std::cerr << "korvel-cli: cannot write the output: " << std::strerror(outputError) << '\n';
    return status != 0 ? status : 1;
}

int fail(std::string const& message, int status) {
    if (!jsonOutput)
        std::cerr << message << '\n';
    else if (!writeOutput(korvel::errorJson(message, status)))
        return outputFailure(status);
    return status;
}

bool isInteger(std::string const& s) {
    std::size_t p = (s.size() > 1 && (s[0] == '-' || s[0] == '+')) ? 1 : 0;
    if (p == s.size()) return false;
    for (; p < s.size(); ++p)
        if (s[p] < '0' || s[p] > '9') return false;
    return true;
}

int usageError(std::string const& problem) {
    return fail("korvel-cli: " + problem + (jsonOutput ? "" : std::string("\n") + usage), 2);
}

// A precision option's value, a whole number, into figures; 0 or the usage
// error's status. A value that is not positive asks for the default; one
// beyond an int is refused rather than clamped into a misleading message.
int precisionValue(std::string const& option, std::string const& v, int& figures) {
    if (!isInteger(v)) return usageError(option + ": " + v + " is not a whole number");
    bool const negative = v[0] == '-';
    std::string const digits = v.substr(v[0] == '-' || v[0] == '+' ? 1 : 0);
    int value = 0;
    if (std::from_chars(digits.data(), digits.data() + digits.size(), value).ec == std::errc::result_out_of_range) {
        if (!negative) return usageError(option + ": " + v + " is too large");
        value = 0;
    }
    figures = negative ? -value : value;
    return 0;
}

// Input beyond this is refused: no polynomial the search can handle is longer.
constexpr std::size_t maxInputBytes = std::size_t(64) << 20;

enum class Read { ok, failed, tooLarge };

Read readAll(std::istream& in, std::string& text) {
    text.clear();
    char buffer[1 << 16];
    while (in.read(buffer, sizeof buffer) || in.gcount() > 0) {
        if (text.size() + std::size_t(in.gcount()) > maxInputBytes) return Read::tooLarge;
        text.append(buffer, std::size_t(in.gcount()));
    }
    return in.bad() ? Read::failed : Read::ok;
}

int readError(std::string const& what, std::string const& why) {
    return fail("korvel-cli: cannot read " + what + ": " + why, 1);
}

// The polynomial text from a file or standard input; 0, or the exit status.
int readInput(std::optional<std::string> const& file, std::string& text) {
    Read result;
    std::string const what = !file || *file == "-" ? "standard input" : *file;
    if (!file || *file == "-") {
        result = readAll(std::cin, text);
    } else {
        std::error_code error;
        if (std::filesystem::is_directory(*file, error)) return readError(what, "it is a directory");
        std::ifstream in(*file, std::ios::binary);
        if (!in) return readError(what, std::strerror(errno));
        result = readAll(in, text);
    }
    if (result == Read::tooLarge) return readError(what, "it is larger than 64 MiB");
    if (result == Read::failed) return readError(what, "a read failed");
    return 0;
}

int run(int argc, char** argv);

}  // namespace

int main(int argc, char** argv) {
    try {
        return run(argc, argv);
    } catch (std::bad_alloc const&) {
        return fail("korvel-cli: not enough memory", 1);
    }
}

namespace {

// "Read as: " and the polynomial as the controller will read it, on standard
// error; nothing when it cannot be read (the controller then says so).
void echo(std::string const& text) {
    int n = 0;
    std::vector<korvel::fpComplex> coefficients;
    std::string ignored;
    if (korvel::readPolynomial(text, n, coefficients, ignored))
        std::cerr << "Read as: " << korvel::polynomialAsRead(coefficients) << '\n';
}

// The reading's lines without its last, "Read as: ...", which --echo has said.
std::string withoutReadAs(std::string const& reading) {
    std::size_t const at = reading.rfind("Read as: ");
    return at == std::string::npos ? reading : reading.substr(0, at == 0 ? 0 : at - 1);
}

// What the command line asks for.
struct Options {
    korvel::SnapshotWindow window;  // the fields, as the window would have them
    std::optional<std::string> expression, file;
    bool echoed = false, radii = false;
    // --batch and its options
    bool batch = false;
    korvel::BatchSettings settings;
    int jobs = 0;  // 0: the hardware threads
    std::optional<std::string> density;
    int densityWidth = 800, densityHeight = 800;
    std::optional<korvel::PlaneWindow> densityWindow;
};

// A whole number in [low, high] from text; false when it is not one.
template <class Int>
bool wholeNumber(std::string const& text, Int low, Int high, Int& value) {
    Int v{};
    auto const [end, error] = std::from_chars(text.data(), text.data() + text.size(), v);
    if (error != std::errc() || end != text.data() + text.size() || v < low || v > high) return false;
    value = v;
    return true;
}

// "WxH", each from 1 to 16384.
bool pictureSize(std::string const& text, int& width, int& height) {
    std::size_t const x = text.find('x');
    return x != std::string::npos && wholeNumber(text.substr(0, x), 1, 16384, width) &&
           wholeNumber(text.substr(x + 1), 1, 16384, height);
}

// "RE0,RE1,IM0,IM1", finite, RE0 < RE1 and IM0 < IM1.
bool planeWindow(std::string const& text, korvel::PlaneWindow& w) {
    double v[4];
    std::size_t at = 0;
    for (int k = 0; k < 4; ++k) {
        std::size_t const end = k == 3 ? text.size() : text.find(',', at);
        if (end == std::string::npos) return false;
        auto const [stop, error] = std::from_chars(text.data() + at, text.data() + end, v[k]);
        if (error != std::errc() || stop != text.data() + end || !std::isfinite(v[k])) return false;
        at = end + 1;
    }
    w = {v[0], v[1], v[2], v[3]};
    return v[0] < v[1] && v[2] < v[3];
}

// Reads the options into o; an exit status when the program ends here (help,
// version, usage errors), nothing when the search is to run.
std::optional<int> parseOptions(int argc, char** argv, Options& o) {
    for (int i = 1; i < argc; ++i) jsonOutput = jsonOutput || std::string(argv[i]) == "--json";
    for (int i = 1; i < argc; ++i) {
        std::string const arg = argv[i];
        auto value = [&](std::string const& name) -> std::optional<std::string> {
            if (arg.rfind(name + "=", 0) == 0) return arg.substr(name.size() + 1);
            if (i + 1 < argc) return std::string(argv[++i]);
            return std::nullopt;
        };
        // arg is the option `name`, alone or as name=value.
        auto named = [&](std::string const& name) { return arg == name || arg.rfind(name + "=", 0) == 0; };
        // The option's value, a whole number in [low, high], into v; false when it has none such.
        auto whole = [&](std::string const& name, auto low, auto high, auto& v) {
            auto const text = value(name);
            return text && wholeNumber(*text, low, high, v);
        };
        if (arg == "--help" || arg == "-h") return writeOutput(std::string(usage) + "\n\n" + help) ? 0 : outputFailure(0);
        if (arg == "--version")
            return writeOutput(std::string("korvel-cli ") + KORVEL_VERSION + "\n") ? 0 : outputFailure(0);
        if (arg == "--no-cleanup") {
            o.window.row = 1;
        } else if (arg == "--full-precision") {
            o.window.fullPrecision = true;
        } else if (arg == "--echo") {
            o.echoed = true;
        } else if (arg == "--no-certify") {
            o.window.certify = false;
        } else if (arg == "--radii") {
            o.radii = true;
        } else if (arg == "--json") {
            // Seen before the loop, so that usage errors are JSON too.
        } else if (named("--shown") || named("--carried")) {
            bool const shown = arg.rfind("--shown", 0) == 0;
            std::string const option = shown ? "--shown" : "--carried";
            auto const v = value(option);
            if (!v) return usageError(arg + " needs a number");
            if (int const status = precisionValue(option, *v, shown ? o.window.external : o.window.internal); status != 0)
                return status;
        } else if (arg == "--batch") {
            o.batch = true;
        } else if (named("--jobs")) {
            if (!whole("--jobs", 1, 1024, o.jobs)) return usageError("--jobs needs a number from 1 to 1024");
        } else if (named("--from")) {
            if (!whole("--from", std::int64_t(1), INT64_MAX, o.settings.from))
                return usageError("--from needs a line number from 1");
        } else if (named("--first-line")) {
            if (!whole("--first-line", std::int64_t(1), INT64_MAX / 2, o.settings.firstLine))
                return usageError("--first-line needs a line number from 1");
        } else if (named("--count")) {
            if (!whole("--count", std::int64_t(0), INT64_MAX, o.settings.count))
                return usageError("--count needs a number of lines");
        } else if (named("--density")) {
            auto const v = value("--density");
            if (!v || v->empty()) return usageError("--density needs a file name");
            o.density = *v;
        } else if (named("--density-size")) {
            auto const v = value("--density-size");
            if (!v || !pictureSize(*v, o.densityWidth, o.densityHeight))
                return usageError("--density-size needs WxH, each from 1 to 16384");
        } else if (named("--density-window")) {
            auto const v = value("--density-window");
            korvel::PlaneWindow w;
            if (!v || !planeWindow(*v, w))
                return usageError("--density-window needs RE0,RE1,IM0,IM1 with RE0 < RE1 and IM0 < IM1");
            o.densityWindow = w;
        } else if (arg == "-e") {
            if (i + 1 >= argc) return usageError("-e needs the polynomial text");
            if (o.expression || o.file) return usageError("give the polynomial once");
            o.expression = argv[++i];
        } else if (arg.size() > 1 && arg[0] == '-') {
            return usageError("unknown option " + arg);
        } else {
            if (o.expression || o.file) return usageError("give the polynomial once");
            o.file = arg;
        }
    }
    if (!o.batch) {
        for (char const* option : {"--jobs", "--from", "--first-line", "--count", "--density"})
            for (int i = 1; i < argc; ++i)
                if (std::string(argv[i]).rfind(option, 0) == 0) return usageError(std::string(option) + " needs --batch");
    } else if (o.expression) {
        return usageError("--batch reads a file or standard input, not -e");
    } else if (o.echoed || o.radii) {
        return usageError(std::string(o.echoed ? "--echo" : "--radii") + " does not apply to --batch");
    }
    return std::nullopt;
}

// The search of o's polynomial, beside this thread, which turns Ctrl-C (a flag
// set by the signal handler, where a stop request may not be made) into one.
// True when roots were found.
bool search(korvel::Korvel& controller) {
    std::stop_source stop;
    controller.setStop(stop.get_token());
    std::atomic<bool> done = false;
    bool found = false;
    std::thread searching([&] {
        found = controller.korvel();
        done = true;
    });
    while (!done) {
        if (korvel::cli::interrupted()) stop.request_stop();
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    searching.join();
    return found;
}

// korvel-cli --batch: every line at the settings the options ask for; the exit status.
int runBatch(Options& o) {
    if (char const* refusal = korvel::rootOptionsOf(o.window, o.settings.options)) return fail(refusal, 1);
    o.settings.jobs = o.jobs > 0 ? o.jobs : int(std::max(1u, std::thread::hardware_concurrency()));
    std::ifstream file;
    std::istream* in = &std::cin;
    if (o.file && *o.file != "-") {
        std::error_code error;
        if (std::filesystem::is_directory(*o.file, error)) return readError(*o.file, "it is a directory");
        file.open(*o.file, std::ios::binary);
        if (!file) return readError(*o.file, std::strerror(errno));
        in = &file;
    }

    std::optional<korvel::RootDensity> density;
    if (o.density) density.emplace(o.densityWidth, o.densityHeight, o.densityWindow);
    korvel::cli::ProgressLine progress;
    std::stop_source stop;
    korvel::BatchHooks hooks;
    hooks.write = writeOutput;
    if (density) hooks.roots = [&density](auto const& roots) { density->add(roots); };
    hooks.tick = [&](korvel::BatchProgress const& p) {
        if (korvel::cli::interrupted()) stop.request_stop();
        progress.showLines(p.written, p.seconds);
    };
    korvel::BatchSummary const summary = korvel::runBatch(*in, o.settings, hooks, stop.get_token());
    progress.finish();

    int status = summary.failed > 0 ? 1 : 0;
    if (summary.writeFailed) status = outputFailure(status);
    if (density) {
        std::string error;
        if (!korvel::writePng(*o.density, density->width(), density->height(), density->rgb(), error)) {
            std::cerr << "korvel-cli: cannot write " << *o.density << ": " << error << '\n';
            status = 1;
        }
    }
    if (summary.stopped || korvel::cli::interrupted()) {
        std::cerr << korvel::cancelledMessage << '\n';
        return 130;
    }
    std::cerr << "lines: " << summary.searched << ", failed: " << summary.failed << '\n';
    return status;
}

int run(int argc, char** argv) {
    korvel::cli::catchInterrupt();
    Options o;
    if (std::optional<int> const status = parseOptions(argc, argv, o)) return *status;
    if (o.batch) return runBatch(o);
    korvel::SnapshotWindow& window = o.window;
    if (o.expression) {
        window.input = *o.expression;
    } else if (int const status = readInput(o.file, window.input); status != 0) {
        return status;
    }

    if (o.echoed) echo(window.input);
    // The JSON document carries the bounds, so they are certified for it too.
    window.errorBounds = o.radii || jsonOutput;

    korvel::cli::ProgressLine progress;
    korvel::Korvel controller(window);
    controller.setProgress([&progress](int found, int n, int carried) { progress.show(found, n, carried); });
    bool const found = search(controller);
    progress.finish();
    if (controller.cancelled() || korvel::cli::interrupted()) {
        std::cerr << korvel::cancelledMessage << '\n';
        return 130;
    }
    std::string const status = window.status.value_or("");
    // --echo has already said how the polynomial was read.
    std::string const reading = o.echoed ? withoutReadAs(window.reading.value_or("")) : window.reading.value_or("");
    auto const explain = [&] {
        if (!reading.empty()) std::cerr << reading << '\n';
        if (!status.empty()) std::cerr << status << '\n';
    };
    if (!found) {
        // The message first, then its detail (the line of a NUL byte, say).
        int const failed = fail(window.output.value_or(""), 1);
        explain();
        return failed;
    }
    explain();
    if (!writeOutput(jsonOutput ? korvel::resultJson(*window.result) : window.output.value_or("")))
        return outputFailure(0);
    if (!jsonOutput) std::cerr << "time: " << window.time.value_or("") << " s\n";
    return 0;
}

}  // namespace
