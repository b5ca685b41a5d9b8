// What korvel-cli does while a search runs: a progress line on a terminal,
// and Ctrl-C, which stops the search.
#pragma once

#include <atomic>
#include <chrono>

#include <korvel/roots.h>

namespace korvel::cli {

// Makes SIGINT set the flag searchControl hands to the search, instead of
// ending the program at once.
void catchInterrupt();
bool interrupted();

// "roots found: k of n at f figures" on standard error, rewritten in place,
// once a search has run for a second, and erased by finish; nothing when
// standard error is not a terminal.
class ProgressLine {
public:
    ProgressLine();
    // The control for the search: the interrupt flag, and this line's report.
    RootSearchControl searchControl();
    // A round of the search starts, carrying this many figures.
    void round(int carried) { carried_ = carried; }
    void finish();

private:
    void show(int found, int n);

    bool terminal_;
    bool shown_ = false;
    int carried_ = 0;
    std::chrono::steady_clock::time_point start_, last_;
};

}  // namespace korvel::cli
