#pragma once

#include <optional>
#include <string>
#include <vector>

namespace tl {

// The diagnostic indices a sweep's target may name, in their output order.
inline constexpr const char* kSweepTargetIndices[] = {"sensitivity", "specificity", "ppv", "npv"};

// What a cut sweep is asked for: every possible cut on the composite score
// list as the only cut, with the true cut equal to it unless `trueCut` fixes
// it, and the lowest cut reaching each target.
struct SweepOptions {
    std::optional<double> trueCut;
    struct Target {
        std::string index;  // one of kSweepTargetIndices
        double value = 0.0;
        bool operator==(const Target&) const = default;
    };
    std::vector<Target> targets;

    bool operator==(const SweepOptions&) const = default;
};

}  // namespace tl
