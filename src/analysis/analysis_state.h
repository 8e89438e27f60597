#pragma once

#include <vector>

#include "model/count_vector_table.h"
#include "model/model_options.h"
#include "model/proportion_profiles.h"
#include "plan/run_plan.h"
#include "results/results.h"

namespace tl {

// A run's results together with what a bootstrap resamples from it without
// reading the data again: the first pass's observed proportions of each set
// (each examinee's, grouped into profiles) and each set's count-vector table.
struct AnalysisState {
    Results results;
    RunPlan plan;
    ModelOptions model;                                // the plan's threads, any substitutes
    std::vector<ProportionProfiles> observedProfiles;  // per set, first pass, with bias correction
    std::vector<CountVectorTable> tables;              // per set
};

}  // namespace tl
