#pragma once

#include <cstdint>
#include <vector>

namespace tl {

// Which item sets have their raw-score distributions, and whether the composite
// has its distribution, computed by convolution rather than enumeration.
struct EnginePlan {
    std::vector<std::int64_t> countVectors;  // per set, kCountedVectors + 1 when beyond it
    std::vector<bool> convolveSet;
    std::int64_t combinations = 0;  // per examinee, capped just above the limit
    bool convolveComposite = false;
};

}  // namespace tl
