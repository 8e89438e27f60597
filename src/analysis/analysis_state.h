#pragma once

#include <vector>

#include "model/count_vector_table.h"
#include "model/model_options.h"
#include "model/proportion_profiles.h"
#include "results/results.h"

namespace tl {

// A run's results together with what a bootstrap resamples from it without
// reading the data again: the first pass's observed proportions of each set
// (each examinee's, grouped into profiles) and each set's count-vector table.
struct AnalysisState {
    Results results;
    ModelOptions model;                                // the thread count resolved
    std::vector<ProportionProfiles> observedProfiles;  // per set, first pass, with bias correction
    std::vector<CountVectorTable> tables;              // per set
};

// The model options for set s's distributions and for the composite: the run's
// own, with the convolution kernels where the engine plan convolves.
ModelOptions modelForSet(const AnalysisState& state, std::size_t s);
ModelOptions modelForComposite(const AnalysisState& state);

}  // namespace tl
