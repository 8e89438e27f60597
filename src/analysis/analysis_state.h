#pragma once

#include <vector>

#include "analysis/replicate_engine.h"
#include "model/count_vector_table.h"
#include "model/model_options.h"
#include "model/proportion_profiles.h"
#include "plan/run_plan.h"
#include "results/results.h"

namespace tl {

// A run's results together with what a bootstrap resamples from it without
// reading the data again: the first pass's observed proportions of each set
// (each examinee's, grouped into profiles), each set's count-vector table and
// how the replicates compute their distributions.
struct AnalysisState {
    Results results;
    RunPlan plan;
    ModelOptions model;                                // the plan's threads, any substitutes
    std::vector<ProportionProfiles> observedProfiles;  // per set, first pass, with bias correction
    std::vector<CountVectorTable> tables;              // per set
    ReplicateEngine replicates;                        // with bias correction
    ExamineeGroups groups;  // each examinee's levels, when groups are asked for
};

}  // namespace tl
