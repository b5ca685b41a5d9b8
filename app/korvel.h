// The controller: one press of the button runs one whole computation.
#pragma once

#include "app/window.h"
#include <korvel/complex.h>

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

inline constexpr int defaultInternalFigures = 64;
inline constexpr int defaultExternalFigures = 16;

class Korvel {
public:
    explicit Korvel(KorvelWindow& window) : window_(window) {}

    // The button's action. Returns true when roots were written, false when a
    // message replaced the output.
    bool korvel();

private:
    bool run();

    KorvelWindow& window_;
};

}  // namespace korvel
