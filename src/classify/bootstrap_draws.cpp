#include "classify/bootstrap_draws.h"

namespace tl {

std::uint32_t ExamineeDraws::below(std::uint32_t n) {
    std::uint64_t product = (engine_() >> 32) * static_cast<std::uint64_t>(n);
    auto low = static_cast<std::uint32_t>(product);
    if (low < n) {
        // 2^32 mod n, in 32-bit arithmetic.
        const std::uint32_t threshold = static_cast<std::uint32_t>(0u - n) % n;
        while (low < threshold) {
            product = (engine_() >> 32) * static_cast<std::uint64_t>(n);
            low = static_cast<std::uint32_t>(product);
        }
    }
    return static_cast<std::uint32_t>(product >> 32);
}

void ExamineeDraws::drawSample(std::uint32_t n, std::span<std::uint32_t> sample) {
    for (std::uint32_t& i : sample) i = below(n);
}

}  // namespace tl
