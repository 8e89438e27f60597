#pragma once

#include <string>
#include <vector>

#include "core/control_card.h"
#include "core/scale_table.h"
#include "core/score_scales.h"
#include "plan/scale_conversion.h"

namespace tl {

// One cut score on both scales.
struct ScaleCut {
    double scale = 0.0;
    double raw = 0.0;
};

// A run's conversion table checked against its composite score list, and its
// cut scores on both scales.
struct ScalePlan {
    std::string source;  // the table's file, for the warning of a decreasing table
    ScaleConversion conversion;
    bool cutsOnScale = false;
    std::vector<ScaleCut> observedCuts;
    std::vector<ScaleCut> trueCuts;
};

// Checks the table (scaleConversion) and puts the card's cuts on both scales.
// Cuts on the scale become the lowest composite score whose scale score
// reaches them (rawCutOf); a cut no score reaches is an InputError naming the
// table and the cut. Raw cuts get the scale score of the lowest composite
// score at or above them (the first score of the category above), NaN when
// there is none.
ScalePlan planScale(const ScaleRequest& request, const ControlCard& card,
                    const CompositeScale& composite);

// The card the model runs: its cuts the raw ones of `plan`.
ControlCard withRawCuts(ControlCard card, const ScalePlan& plan);

}  // namespace tl
