#pragma once

#include <optional>
#include <string>
#include <string_view>
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

// The sweep's settings by name, as an analysis file's [sweep] table and every
// front end name them: "true_cut", then "target_" and each target index.
std::vector<std::string> sweepSettingNames();

// Sets the setting `name` to `value` in `options` (a target is added after
// those already set). Returns why it cannot be set, "" when it was: a name
// that is not a setting, or a target that is not a proportion.
std::string setSweepSetting(SweepOptions& options, std::string_view name, double value);

}  // namespace tl
