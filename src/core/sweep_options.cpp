#include "core/sweep_options.h"

namespace tl {

namespace {

constexpr std::string_view kTargetPrefix = "target_";

}  // namespace

std::vector<std::string> sweepSettingNames() {
    std::vector<std::string> names{"true_cut"};
    for (const char* index : kSweepTargetIndices)
        names.push_back(std::string(kTargetPrefix) + index);
    return names;
}

std::string setSweepSetting(SweepOptions& options, std::string_view name, double value) {
    if (name == "true_cut") {
        options.trueCut = value;
        return "";
    }
    for (const char* index : kSweepTargetIndices) {
        if (name != std::string(kTargetPrefix) + index) continue;
        if (!(value >= 0.0 && value <= 1.0)) return "must be a proportion from 0 to 1";
        options.targets.push_back({index, value});
        return "";
    }
    return "is not a sweep setting";
}

}  // namespace tl
