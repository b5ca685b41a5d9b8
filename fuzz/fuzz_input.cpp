// libFuzzer target over every reader a typed polynomial reaches: the
// coefficient reader, the x-notation pair and the list pair.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "input/input.h"

using namespace korvel;

namespace {

std::string keepOnly(std::string const& text, std::string const& alphabet) {
    std::string out;
    for (char c : text)
        if (alphabet.find(c) != std::string::npos) out.push_back(c);
    return out;
}

void readPolynomial(std::string const& text) {
    int n = 0;
    if (xPresence(n, text.c_str())) {
        std::string const cleaned = keepOnly(text, "x^()eE,.+-/0123456789");
        std::vector<fpComplex> coefficients(std::size_t(n) + 1);
        fpComplex* a = coefficients.data();
        inputPoly_x(a, n, cleaned.c_str());
        return;
    }
    std::string cleaned;
    for (char c : text)
        if (c != ' ') cleaned.push_back(c);
    if (!xNoPresence(n, "\n", cleaned.c_str())) return;
    std::vector<fpComplex> coefficients(std::size_t(n) + 1);
    fpComplex* a = coefficients.data();
    inputPoly(a, n, "\n", cleaned.c_str());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(std::uint8_t const* data, std::size_t size) {
    std::string const text(reinterpret_cast<char const*>(data), size);
    std::string const upToNul = text.substr(0, text.find('\0'));
    setBlockPrec(3);
    fpComplex z;
    getTheNumber(z, upToNul.c_str());
    readPolynomial(upToNul);
    return 0;
}
