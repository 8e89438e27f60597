#pragma once

#include <functional>
#include <nlohmann/json.hpp>
#include <string>
#include <string_view>

#include "results/results.h"

namespace tl {

// The grouping levels of a run (Results::groups) for the results files. Each
// is written only when groups were asked for; without them no output changes.

// results.json's "groups": per level {"variable", "level", "examinees",
// "small", "overall", "cuts", "category_counts", "true_by_observed"} with the
// whole sample's keys and shapes, and "bootstrap" {"overall", "cuts"} after a
// bootstrap.
nlohmann::ordered_json groupsJson(const Results& results);

// groups.csv, long: variable, level, examinees, index, cut (empty for the
// overall indices), value, and se, ci_low, ci_high after a bootstrap. A level
// gives the six overall indices, then at each cut the six indices and the
// cut's diagnostic statistics.
std::string composeGroupsCsv(const Results& results);

// Every index of every level in groups.csv's order, for the outputs that list
// them long: the level (an index into Results::groups), the index's name, its
// cut (0: overall), its value and, after a bootstrap, its spread (else null).
using GroupIndexVisitor = std::function<void(std::size_t level, std::string_view name,
                                             std::size_t cut, double value, const IndexSpread*)>;
void visitGroupIndices(const Results& results, const GroupIndexVisitor& each);

}  // namespace tl
