#pragma once

#include <vector>

#include "analysis/beta_binomial_units.h"
#include "analysis/replicate_engine.h"
#include "classify/distribution_tally.h"
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
    // A beta-binomial run's examinees' observed composites (its units are
    // nodes) and how it was fitted, for the replicates to refit.
    std::vector<double> examineeComposite;
    BetaBinomialUnitsInput betaBinomial;
    std::vector<double> levelReliability;  // per group level, flattened
    // Each group's tails at every cut of a sweep, for the replicates of a run
    // without bias correction (empty otherwise, or where too many to keep).
    GroupTails sweepTails;
};

}  // namespace tl
