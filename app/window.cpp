// Reading a precision field.
#include "app/window.h"

#include <cctype>
#include <climits>

namespace korvel {

int fieldInteger(std::string const& text) {
    std::size_t p = 0;
    while (p < text.size() && std::isspace(static_cast<unsigned char>(text[p]))) ++p;
    bool const negative = p < text.size() && text[p] == '-';
    if (p < text.size() && (text[p] == '+' || text[p] == '-')) ++p;
    long long v = 0;
    for (; p < text.size() && std::isdigit(static_cast<unsigned char>(text[p])); ++p)
        if (v <= INT_MAX) v = v * 10 + (text[p] - '0');
    if (negative) v = -v;
    return v > INT_MAX ? INT_MAX : (v < INT_MIN ? INT_MIN : int(v));
}

}  // namespace korvel
