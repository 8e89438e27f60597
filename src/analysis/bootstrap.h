#pragma once

#include <cstdint>
#include <functional>

#include "analysis/analysis_state.h"
#include "classify/bootstrap_summary.h"

namespace tl {

using BootstrapProgress = std::function<void(std::int64_t done, std::int64_t total)>;

// The plan's B replicates of the run: replicate b's N examinees are drawn with
// replacement after those of replicates 1 .. b-1, from one generator seeded
// with the plan's seed, so the samples do not depend on the thread count. The replicates run
// in parallel, each alone on one thread, into their own slots; the summaries
// read the slots in replicate order. `progress` (may be empty) is called after
// each replicate, never two calls at once.
BootstrapSummary bootstrapIndices(const AnalysisState& state, const BootstrapProgress& progress);

}  // namespace tl
