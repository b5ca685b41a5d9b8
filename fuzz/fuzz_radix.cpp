// libFuzzer target for BaseFromBase. The first five bytes choose the target and source
// bases (two bytes each: a table of edge bases, or any base up to 65536), the count of
// fractional digits and the case; the rest, up to a NUL, is the text. An integer that
// converts must come back to the same text through its source base.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include <korvel/radix.h>

using namespace korvel;

namespace {

int base(std::uint8_t const* b) {
    static constexpr int edges[16] = {0, 1, 2, 3, 7, 10, 16, 36, 37, 100, 255, 256, 1000, 65535, 65536, 65537};
    int const v = b[0] | b[1] << 8;
    return v < 16 ? edges[v] : v + 1;
}

std::string convert(std::string text, int to, int from, int n, bool upper) {
    char* r = BaseFromBase(text.data(), to, from, n, upper);
    std::string s(r);
    std::free(r);
    return s;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(std::uint8_t const* data, std::size_t size) {
    if (size < 5) return 0;
    int const to = base(data), from = base(data + 2);
    int const n = data[4] & 63;
    bool const upper = (data[4] & 64) != 0;
    std::string const text(reinterpret_cast<char const*>(data + 5), size - 5);
    std::string const upToNul = text.substr(0, text.find('\0'));

    std::string const r = convert(upToNul, to, from, n, upper);
    if (r.empty() || to == from || upToNul.find('.') != std::string::npos) return 0;
    std::string const back = convert(r, from, to, 0, false);
    if (back.empty() || convert(back, to, from, 0, upper) != r) std::abort();
    return 0;
}
