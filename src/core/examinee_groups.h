#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace tl {

// The level name of examinees whose grouping cell is empty or missing.
inline constexpr const char* kMissingLevel = "(missing)";

// One grouping variable (a column such as sex or English-learner status): its
// levels in their reporting order and the level (0-based) of each examinee in
// record order.
struct GroupingVariable {
    std::string name;
    std::vector<std::string> levels;
    std::vector<std::uint32_t> levelOf;
};

// The examinees' groups a run reports on, and below how many examinees a level
// is flagged small (its numbers are given all the same).
struct ExamineeGroups {
    static constexpr std::int64_t kDefaultMinGroup = 50;
    std::vector<GroupingVariable> variables;
    std::int64_t minGroup = kDefaultMinGroup;
};

}  // namespace tl
