#pragma once

#include <cstdint>
#include <functional>
#include <stdexcept>

#include "analysis/analysis_state.h"
#include "classify/bootstrap_summary.h"

namespace tl {

// What a bootstrap's caller answers to its progress: go on, or stop.
enum class BootstrapStep { Continue, Stop };

// Told how many replicates are done, on the thread that runs the bootstrap and
// never on a worker: before the first replicate, after each replicate that
// thread finishes itself, and after each batch. Never two calls at once; `done`
// never falls. Answering Stop ends the bootstrap between replicates.
using BootstrapProgress = std::function<BootstrapStep(std::int64_t done, std::int64_t total)>;

// Thrown when the progress callback stopped the bootstrap: the replicates
// already computed are dropped, and no result remains.
class BootstrapStopped : public std::runtime_error {
  public:
    BootstrapStopped() : std::runtime_error("the bootstrap was stopped") {}
};

// The plan's B replicates of the run: replicate b's N examinees are drawn with
// replacement after those of replicates 1 .. b-1, from one generator seeded
// with the plan's seed, so the samples do not depend on the thread count. The replicates run
// in parallel, each alone on one thread, into their own slots; the summaries
// read the slots in replicate order. `progress` may be empty.
BootstrapSummary bootstrapIndices(const AnalysisState& state, const BootstrapProgress& progress);

}  // namespace tl
