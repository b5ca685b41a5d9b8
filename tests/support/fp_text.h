// Short ways to make fp values from text and to write them, for tests.
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include <korvel/fp.h>

namespace korvel::testing {

// The value of a decimal text, read at the working precision.
inline fp value(char const* s) {
    fp x;
    EXPECT_TRUE(init(x, s)) << s;
    return x;
}

// fpToStr as a std::string.
inline std::string text(fp const& x, i32 digits = 16) {
    return OwnedText(fpToStr(x, digits)).get();
}

}  // namespace korvel::testing
