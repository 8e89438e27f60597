#pragma once

#include <cstdint>

namespace tl {

// Item scores that equal none of the set's score points: they are counted
// under no point, so the examinee's proportions add up to less than 1.
struct UnmatchedScores {
    std::int64_t count = 0;
    std::int32_t examinees = 0;    // examinees with at least one
    std::int64_t firstRecord = 0;  // 1-based; 0 when there is none
    std::int32_t firstItem = 0;    // 1-based
    double firstValue = 0.0;
};

}  // namespace tl
