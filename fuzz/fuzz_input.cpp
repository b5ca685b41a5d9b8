// libFuzzer target over every reader a typed polynomial reaches: the
// coefficient reader, and the x-notation and list readers as the controller
// calls them.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include <korvel/input.h>

using namespace korvel;

extern "C" int LLVMFuzzerTestOneInput(std::uint8_t const* data, std::size_t size) {
    std::string const text(reinterpret_cast<char const*>(data), size);
    std::string const upToNul = text.substr(0, text.find('\0'));
    setBlockPrec(3);
    fpComplex z;
    // The fuzzer looks for crashes and leaks, not for answers.
    (void)getTheNumber(z, upToNul.c_str());
    int n = 0;
    std::vector<fpComplex> coefficients;
    std::string ignored;
    (void)readPolynomial(text, n, coefficients, ignored);  // the whole text: a NUL byte is refused there
    return 0;
}
