// Splitting text into fields at a separator.
#include <cstring>

#include "input/input.h"
#include "input/text.h"

namespace korvel {

bool FindSep(int& pos, char const* text, char const* sep, int start) {
    int const n = int(std::strlen(text)), m = int(std::strlen(sep));
    if (n == 0 || m == 0 || m > n - start) return false;
    for (int j = start; j <= n - m; ++j) {
        if (text[j] == sep[0] && std::strncmp(text + j + 1, sep + 1, std::size_t(m - 1)) == 0) {
            pos = j;
            return true;
        }
    }
    return false;
}

int CountFields(char const* text, char const* sep) {
    int const n = int(std::strlen(text)), m = int(std::strlen(sep));
    int count = 1, pos = 0;
    // Each search starts one byte after the previous occurrence began.
    for (int i = 0; i <= n - m && FindSep(pos, text, sep, i); i = pos + 1) ++count;
    return count;
}

char* NthField(char const* text, char const* sep, int n) {
    int const c = CountFields(text, sep);
    if (c == 1) return detail::newText(text);
    if (n < 1) return detail::newText("");
    int const m = int(std::strlen(sep));
    int previousEnd = 0, pos = 0, start = 0;
    for (int k = 1; k <= n && k < c; ++k) {
        if (!FindSep(pos, text, sep, start)) return detail::newText("");
        if (k == n) {
            int const length = pos - previousEnd;
            return detail::newText(length > 0 ? std::string_view(text + previousEnd, std::size_t(length)) : "");
        }
        previousEnd = pos + m;
        start = pos + 1;
    }
    if (n != c) return detail::newText("");
    // The last field: everything after occurrence n - 1.
    int const length = int(std::strlen(text)) - previousEnd;
    return detail::newText(length > 0 ? std::string_view(text + previousEnd, std::size_t(length)) : "");
}

}  // namespace korvel
