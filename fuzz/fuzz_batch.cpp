// libFuzzer target over a batch's line reader: x-notation and JSON objects.
// A hostile line must give a polynomial or an error document that reads back
// as JSON, never a crash or a leak; the search itself is not run.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "app/batch.h"
#include "app/json.h"

using namespace korvel;

extern "C" int LLVMFuzzerTestOneInput(std::uint8_t const* data, std::size_t size) {
    std::string const text(reinterpret_cast<char const*>(data), size);
    BatchLine const line = readBatchLine(text);
    if (line.polynomial) {
        std::vector<fpComplex> coefficients;
        if (line.polynomial->degree() < 1) std::abort();  // a constant must be refused
        (void)line.polynomial->toComplex(coefficients, 3);
        return 0;
    }
    if (line.status != 1 && line.status != 2) std::abort();
    std::string const document = batchErrorJson(1, line.error, line.status, line.detail, line.column);
    if (!nlohmann::json::accept(document)) std::abort();
    return 0;
}
