// The lines of a program's text output, for tests.
#pragma once

#include <string>
#include <vector>

namespace korvel::testing {

// The lines of text that are not empty, in order.
inline std::vector<std::string> nonEmptyLines(std::string const& text) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        if (end > start) lines.push_back(text.substr(start, end - start));
        start = end + 1;
    }
    return lines;
}

}  // namespace korvel::testing
