// A delimited table expanded from a short recipe (see expandedInput): lines
// and cells of megabytes.
// Any broken promise aborts, so that libFuzzer keeps the input.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include "fuzz_checks.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string problem =
        tl::fuzz::checkExpandedTable(std::string_view(reinterpret_cast<const char*>(data), size));
    if (!problem.empty()) {
        std::fprintf(stderr, "finding: %s\n", problem.c_str());
        std::abort();
    }
    return 0;
}
