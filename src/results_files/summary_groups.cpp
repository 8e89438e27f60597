#include "results_files/program_summary.h"

namespace tl {

// A run's subgroup results, one row per variable and level in the order its
// results.json lists them, with the level's overall indices and, when the run
// was bootstrapped, their spreads from the same replicates.
std::vector<GroupSummary> groupSummaries(const Results& results) {
    std::vector<GroupSummary> rows;
    rows.reserve(results.groups.size());
    for (std::size_t l = 0; l < results.groups.size(); ++l) {
        const GroupLevel& level = results.groups[l];
        GroupSummary row;
        row.variable = level.variable;
        row.level = level.level;
        row.examinees = level.examinees;
        row.small = level.small;
        row.indices = level.indices.overall;
        if (results.bootstrap && l < results.bootstrap->groups.size()) {
            row.spreads = results.bootstrap->groups[l].overall;
        }
        rows.push_back(std::move(row));
    }
    return rows;
}

}  // namespace tl
