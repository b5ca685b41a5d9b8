// The controller: one press of the button runs one whole computation.
#pragma once

#include <functional>
#include <utility>

#include "app/window.h"
#include <korvel/complex.h>
#include <korvel/roots.h>

namespace korvel {

// The messages that replace the output when a press fails.
inline constexpr char const* precisionMessage = "Cannot have internal precision less than external precision!";
inline constexpr char const* entryMessage = "There was an entry problem!";
inline constexpr char const* computationMessage = "There was a computation problem!";
// More figures than this would ask for more memory and time than any
// computation here can use; such a request is refused with this message.
inline constexpr int maxFigures = 100000;
inline constexpr char const* tooManyFiguresMessage = "Cannot carry more than 100000 significant figures!";
// A computation that asked for more memory than there is ends with this message.
inline constexpr char const* outOfMemoryMessage = "There is not enough memory for this computation!";
// The status line of a search stopped by its control; the output stays as it was.
inline constexpr char const* cancelledMessage = "Cancelled";

inline constexpr int defaultInternalFigures = 64;
inline constexpr int defaultExternalFigures = 16;

class Korvel {
public:
    explicit Korvel(KorvelWindow& window) : window_(window) {}

    // The button's action. Returns true when roots were written, false when a
    // message replaced the output.
    bool korvel();

    // The cancel flag and progress report the searches run with from now on.
    void setSearchControl(RootSearchControl control) { control_ = std::move(control); }
    // Called on the searching thread as each round of the search starts, with
    // the figures it carries (more than asked when figures were not certain).
    void setRoundReport(std::function<void(int carriedFigures)> report) { roundReport_ = std::move(report); }
    // True when the last press ended because the search was cancelled.
    bool cancelled() const { return cancelled_; }

private:
    bool run();

    KorvelWindow& window_;
    RootSearchControl control_;
    std::function<void(int)> roundReport_;
    bool cancelled_ = false;
};

}  // namespace korvel
