#include "analysis/corrected_pass.h"

#include "model/bias_correction.h"

namespace tl {

SetDistributions distributionsOf(const AnalysisState& state, std::size_t s,
                                 const ProportionProfiles& profiles, bool convolve,
                                 const ModelOptions& model) {
    const Results& run = state.results;
    return computeSetDistributions(state.tables[s], profiles, run.card.itemSets[s].scorePoints,
                                   run.scales.sets[s].rawScores, convolve, model);
}

CorrectedPass correctedPass(
    const AnalysisState& state, double reliability, std::size_t examinees,
    const ModelOptions& model, const std::vector<bool>& convolveSet,
    const std::function<ProportionProfiles(std::size_t set)>& observedProfiles,
    const std::function<void()>& afterSet) {
    const ControlCard& card = state.results.card;
    CorrectedPass pass;
    pass.correctedComposite.assign(examinees, 0.0);
    for (std::size_t s = 0; s < card.itemSets.size(); ++s) {
        ProportionProfiles profiles = observedProfiles(s);
        correctProportions(profiles, card.itemSets[s], reliability, pass.correctedComposite);
        pass.distributions.push_back(distributionsOf(state, s, profiles, convolveSet[s], model));
        if (afterSet) afterSet();
    }
    return pass;
}

}  // namespace tl
