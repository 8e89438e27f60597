#pragma once

#include <cstddef>
#include <functional>
#include <vector>

#include "analysis/analysis_state.h"
#include "model/set_distributions.h"

namespace tl {

// What the bias-corrected second pass gives for a group of examinees.
struct CorrectedPass {
    std::vector<SetDistributions> distributions;  // per set
    std::vector<double> correctedComposite;       // per examinee
};

// The bias-corrected second pass over `examinees` examinees: the run's own, or
// a bootstrap sample's. Set by set in card order, `observedProfiles(s)` gives
// the examinees' observed proportions on set s; they are pulled toward the
// examinees' mean with strength sqrt(reliability), each profile's distribution
// is computed by enumeration or, where `convolveSet` says, by convolution, and
// each examinee's corrected composite gains the set's expected share.
// `afterSet` (may be empty) is called after each set.
// Precondition: reliability >= 0.
CorrectedPass correctedPass(
    const AnalysisState& state, double reliability, std::size_t examinees,
    const ModelOptions& model, const std::vector<bool>& convolveSet,
    const std::function<ProportionProfiles(std::size_t set)>& observedProfiles,
    const std::function<void()>& afterSet = {});

// Set s's distributions of `profiles`, by convolution when `convolve`.
SetDistributions distributionsOf(const AnalysisState& state, std::size_t s,
                                 const ProportionProfiles& profiles, bool convolve,
                                 const ModelOptions& model);

}  // namespace tl
