// korvel-cli --batch: many polynomials, one per line, searched on a pool of
// threads and written as JSON lines in input order.
#pragma once

#include <complex>
#include <cstdint>
#include <functional>
#include <iosfwd>
#include <optional>
#include <stop_token>
#include <string>
#include <string_view>
#include <vector>

#include <korvel/input.h>
#include <korvel/roots.h>

namespace korvel {

// One line of a batch as read: the polynomial, or why not.
struct BatchLine {
    std::optional<Polynomial> polynomial;
    std::string error;   // the message of a line that cannot be searched
    std::string detail;  // what refused it, when that can be named ("NUL byte")
    int column = 0;      // where, from 1; 0 when nowhere in particular
    int status = 0;      // 1: no polynomial (an entry problem); 2: not a request (bad JSON or members)
};

// A line in x-notation, or a JSON object {"coefficients": [{"re": "..", "im": ".."}, ...]}
// with the constant term first (the "input" member of korvel-cli --json; its
// "degree", when given, must agree).
BatchLine readBatchLine(std::string_view text);

struct BatchSettings {
    RootOptions options;  // the same for every line; progress is not used
    int jobs = 1;         // searches at once
    std::int64_t firstLine = 1; // the number of the input's first line (a chunk of a longer stream starts later)
    std::int64_t from = 1;      // the first line searched, by that numbering
    std::int64_t count = -1;    // lines searched from there; -1: to the end
};

// What a batch did.
struct BatchSummary {
    std::int64_t searched = 0;  // lines written
    std::int64_t failed = 0;    // of them, error documents
    bool stopped = false;       // a stop request ended it before the input did
    bool writeFailed = false;   // a write returned false; nothing was written after it
    bool readFailed = false;    // the input ended in a read error (or was cut by a signal)
};

// How far a batch is, for a progress line.
struct BatchProgress {
    std::int64_t written = 0;
    double seconds = 0;  // since the batch began (wall time)
};

// Hooks of a batch run; each may be left empty. All are called on one
// thread, the writing one, so they need no locks of their own.
struct BatchHooks {
    // Writes one document (with its line end); false when it could not.
    std::function<bool(std::string const&)> write;
    // The roots of each line that succeeded, as doubles, in input order.
    std::function<void(std::vector<std::complex<double>> const&)> roots;
    // About ten times a second while the batch runs.
    std::function<void(BatchProgress const&)> tick;
};

// Every line of in (from settings.from, settings.count of them) searched with
// settings.jobs threads; one JSON document per non-empty line through
// hooks.write, in input order, with "line": its number counted over every line
// of in. Memory does not grow with the number of lines: at most a fixed window
// of lines per thread is read ahead of the first one not yet written. A stop
// request ends the searches under way; what finished before the first line
// that did not is written.
BatchSummary runBatch(std::istream& in, BatchSettings const& settings, BatchHooks const& hooks,
                      std::stop_token stop = {});

// The document of one line: the searched polynomial's (korvel-cli --json's
// members after "line") or an error document; roots gets the roots as doubles
// when it succeeded. Cancelled when the stop came first.
struct BatchOutcome {
    std::string document;
    std::vector<std::complex<double>> roots;
    bool failed = false, cancelled = false;
};
BatchOutcome searchBatchLine(std::int64_t line, std::string_view text, RootOptions const& options,
                             std::stop_token stop = {});

}  // namespace korvel
