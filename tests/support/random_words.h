// Random operands for differential tests: uniform words mixed with long runs of
// zero and one bits, which exercise carry and borrow chains.
#pragma once

#include <cstdint>
#include <random>
#include <vector>

namespace korvel::testing {

class RandomWords {
public:
    explicit RandomWords(std::uint64_t seed) : engine_(seed) {}

    std::uint32_t word() { return std::uint32_t(engine_()); }
    int below(int n) { return int(engine_() % std::uint64_t(n)); }
    bool coin() { return (engine_() & 1) != 0; }

    // n words (least significant first), top word non-zero when n > 0.
    std::vector<std::uint32_t> magnitude(int n) {
        std::vector<std::uint32_t> w(static_cast<std::size_t>(n));
        switch (below(4)) {
            case 0:  // uniform
                for (auto& x : w) x = word();
                break;
            case 1:  // runs of ones and zeros
                runs(w);
                break;
            case 2:  // whole words of 0 and 0xFFFFFFFF
                for (auto& x : w) x = below(3) == 0 ? word() : (coin() ? 0u : 0xFFFFFFFFu);
                break;
            default:  // a leading word that is 1 or has bit 31 set, the rest mixed
                runs(w);
                if (n > 0) w.back() = coin() ? 1u : (0x80000000u | word());
                break;
        }
        if (n > 0 && w.back() == 0) w.back() = 1 + below(3);
        return w;
    }

private:
    void runs(std::vector<std::uint32_t>& w) {
        std::size_t bits = w.size() * 32, pos = 0;
        bool one = coin();
        while (pos < bits) {
            std::size_t len = 1 + std::size_t(below(70));
            for (std::size_t k = pos; k < pos + len && k < bits; ++k)
                if (one) w[k / 32] |= 1u << (k % 32);
            pos += len;
            one = !one;
        }
    }

    std::mt19937_64 engine_;
};

}  // namespace korvel::testing
