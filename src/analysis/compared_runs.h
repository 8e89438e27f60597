#pragma once

#include <span>

#include "classify/model_comparison.h"
#include "results/results.h"

namespace tl {

// The models of one run side by side: `primary` first, then `others`, each
// analysed with its tables and, with a bootstrap, keeping its replicates'
// compared indices (AnalysisOptions::keepReplicates) on the same draws.
ModelComparison compareRuns(const Results& primary, std::span<const Results> others);

}  // namespace tl
