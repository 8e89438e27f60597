#pragma once

#include <span>
#include <string>

#include "analysis/model_units.h"
#include "core/control_card.h"
#include "core/model_choice.h"
#include "core/score_scales.h"
#include "plan/scale_conversion.h"

namespace tl {

// What the beta-binomial model hands the classification: the fitted beta's
// quadrature nodes on the true proportion tau as units, each with its weight,
// its binomial (or two-term compound binomial) category probabilities on the
// effective test's scale, and tau against the true cuts on that scale. The
// model's range a..b is the composite's possible range; its unit scores are
// the true composites a + (b - a) tau.
struct BetaBinomialUnitsInput {
    const ControlCard* card = nullptr;
    const ScoreScales* scales = nullptr;
    const ModelChoice* model = nullptr;
    std::span<const double> observedComposite;
    // The reliability the effective length is found with, already resolved
    // from the settings, and where it came from ("alpha", "stratified alpha",
    // "multinomial" or "given").
    double reliability = 0.0;
    std::string reliabilitySource;
    // A bootstrap replicate needs no conditional rows.
    bool forReplicate = false;
    // With scale scores: each effective score x' takes the scale score of the
    // composite nearest its composite a + (b - a) x' / n, and each examinee's
    // scale-score error variance is the posterior mean, given their x', of the
    // scale score's variance under the error model.
    const ScaleConversion* scale = nullptr;
};
ModelUnits betaBinomialUnits(const BetaBinomialUnitsInput& in);

// Each examinee's scale-score error variance under a beta-binomial fit, in
// the order of the scores it was fitted to (see BetaBinomialUnitsInput::scale);
// read from the units' per-examinee rows.
std::vector<double> betaBinomialScaleVariance(const ModelUnits& units);

}  // namespace tl
