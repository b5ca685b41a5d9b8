// The controller: one press of the button runs one whole computation.
#pragma once

#include <functional>
#include <stop_token>
#include <utility>

#include "app/window.h"
#include <korvel/complex.h>
#include <korvel/roots.h>

namespace korvel {

inline constexpr int defaultInternalFigures = 64;
inline constexpr int defaultExternalFigures = 16;

// The search settings the window's fields ask for. A figures field that is
// empty or not positive gets its default, written back into the window.
// nullptr, or the message of settings no search can run with
// (precisionMessage, tooManyFiguresMessage).
char const* rootOptionsOf(KorvelWindow& window, RootOptions& options);

class Korvel {
public:
    explicit Korvel(KorvelWindow& window) : window_(window) {}

    // The button's action. Returns true when roots were written, false when a
    // message replaced the output.
    bool korvel();

    // The stop request the searches run with from now on: a stop ends a search
    // within one iteration, leaving the output as it was.
    void setStop(std::stop_token stop) { stop_ = std::move(stop); }
    // Called on the searching thread with the roots found so far out of n and
    // the figures carried by the round under way (more than asked when shown
    // figures were not certain; found restarts at 0 each round).
    void setProgress(std::function<void(int found, int n, int carried)> progress) { progress_ = std::move(progress); }
    // True when the last press ended because the search was cancelled.
    bool cancelled() const { return cancelled_; }

private:
    bool run();

    KorvelWindow& window_;
    std::stop_token stop_;
    std::function<void(int, int, int)> progress_;
    bool cancelled_ = false;
};

}  // namespace korvel
