// Text helpers private to the input readers.
#pragma once

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include <korvel/complex.h>
#include <korvel/export.h>

// Exported from the shared library for the layers above and the tests; not installed.
KORVEL_API_BEGIN
namespace korvel::detail {

// A malloc'd copy, as every text handed to a caller is.
inline char* newText(std::string_view s) { return mallocText(s); }

// Replaces an owned text, releasing the old one.
inline void replaceText(char*& slot, std::string_view s) {
    std::free(slot);
    slot = newText(s);
}

using korvel::OwnedText;

// Bytes the readers have looked at on this thread: a count of work for tests
// that check the cost of reading grows in proportion to the text.
std::uint64_t& bytesLookedAt();

// The fields sep divides text into, as NthField gives them one by one: field k
// is element k - 1. Linear in the length of text.
std::vector<std::string_view> splitFields(std::string_view text, std::string_view sep);

using korvel::isDigit;

// s without any of the bytes in drop.
inline std::string without(char const* s, char const* drop) {
    std::string out;
    for (; *s != '\0'; ++s)
        if (std::strchr(drop, *s) == nullptr) out.push_back(*s);
    return out;
}

// The real and imaginary fraction texts of a coefficient text ("" and signs
// aside); false when it is not a number.
bool coefficientParts(char const* s, OwnedText& realText, OwnedText& imagText);

// What the two readers fill, coefficient by coefficient: read takes a
// coefficient's text (false: not a number), addTo adds it to a power's
// coefficient (false: the sum cannot be held).
class CoefficientSink {
public:
    virtual ~CoefficientSink() = default;
    virtual bool read(char const* text) = 0;
    virtual bool addTo(int power) = 0;
    virtual bool constant() const = 0;  // zero or constant, as filled so far
};

// Why a reader refused a text, and where: a byte offset in the text it was
// given, -1 when no one place is to blame.
struct ReadFault {
    std::string reason;
    int at = -1;
};

// The x-notation reader (inputPoly_x without the test for a constant),
// appending to *skipped (when not null) the text it passes over without
// reading it: what follows the integer of an exponent, a last byte after a
// term, a coefficient with a number that has no digit. n is the degree xPresence found.
bool readXNotation(CoefficientSink& sink, int n, char const* text, std::string* skipped, ReadFault* fault);
// The list reader (inputPoly without the test for a constant).
bool readList(CoefficientSink& sink, int n, char const* sep, char const* text, ReadFault* fault);

// Reads a decimal integer as "%d" does (leading white space, an optional sign,
// at least one digit, anything after the digits ignored), refusing a value that
// does not fit an int instead of leaving it undefined.
bool readInt(char const* s, int& value);

}  // namespace korvel::detail
KORVEL_API_END
