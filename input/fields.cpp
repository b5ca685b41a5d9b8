// Splitting text into fields at a separator, in one pass over the text.
#include <cstring>
#include <string_view>
#include <vector>

#include <korvel/input.h>
#include "input/text.h"

namespace korvel {

std::uint64_t& detail::bytesLookedAt() {
    thread_local std::uint64_t count = 0;  // per thread: readers on two threads count apart
    return count;
}

std::vector<std::string_view> detail::splitFields(std::string_view text, std::string_view sep) {
    bytesLookedAt() += text.size();
    std::vector<std::string_view> fields;
    // Every occurrence counts, overlapping ones too: each search starts one byte
    // after the previous occurrence began. A field between overlapping
    // occurrences is empty.
    std::size_t previousEnd = 0;
    if (!text.empty() && !sep.empty()) {
        for (std::size_t pos = text.find(sep); pos != std::string_view::npos; pos = text.find(sep, pos + 1)) {
            fields.push_back(pos > previousEnd ? text.substr(previousEnd, pos - previousEnd) : std::string_view());
            previousEnd = pos + sep.size();
        }
    }
    fields.push_back(previousEnd < text.size() ? text.substr(previousEnd) : std::string_view());
    if (fields.size() == 1) fields[0] = text;
    return fields;
}

bool FindSep(int& pos, char const* text, char const* sep, int start) {
    int const n = int(std::strlen(text)), m = int(std::strlen(sep));
    if (n == 0 || m == 0 || start < 0 || m > n - start) return false;
    std::size_t const found = std::string_view(text, std::size_t(n)).find(sep, std::size_t(start));
    if (found == std::string_view::npos) return false;
    pos = int(found);
    return true;
}

int CountFields(char const* text, char const* sep) { return int(detail::splitFields(text, sep).size()); }

char* NthField(char const* text, char const* sep, int n) {
    auto const fields = detail::splitFields(text, sep);
    if (fields.size() == 1) return detail::newText(text);
    if (n < 1 || std::size_t(n) > fields.size()) return detail::newText("");
    return detail::newText(fields[std::size_t(n) - 1]);
}

}  // namespace korvel
