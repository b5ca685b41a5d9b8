// What korvel-cli does while a search runs: a progress line on a terminal,
// and Ctrl-C, which stops the search.
#pragma once

#include <atomic>
#include <chrono>
#include <cstdint>

#include <korvel/roots.h>

namespace korvel::cli {

// Makes SIGINT set the flag interrupted() reads, instead of ending the program
// at once.
void catchInterrupt();
bool interrupted();

// "roots found: k of n at f figures" (or a batch's "lines: k, r lines/s") on
// standard error, rewritten in place, once a search has run for a second, and
// erased by finish; nothing when standard error is not a terminal.
class ProgressLine {
public:
    ProgressLine();
    // Roots found so far out of n, in a round carrying this many figures.
    void show(int found, int n, int carried);
    // A batch: lines written so far in this many seconds.
    void showLines(std::int64_t written, double seconds);
    void finish();

private:
    bool terminal_;
    bool shown_ = false;
    std::chrono::steady_clock::time_point start_, last_;
};

}  // namespace korvel::cli
