#include "plan/scale_plan.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "core/errors.h"
#include "core/number_field.h"

namespace tl {

namespace {

double scaleOfRawCut(const ScaleConversion& conversion, double rawCut) {
    for (std::size_t i = 0; i < conversion.scale.size(); ++i) {
        if (static_cast<double>(conversion.minComposite) + static_cast<double>(i) >= rawCut)
            return conversion.scale[i];
    }
    return std::numeric_limits<double>::quiet_NaN();
}

std::vector<ScaleCut> cutsOn(const std::vector<double>& cuts, const ScalePlan& plan,
                             const char* which) {
    std::vector<ScaleCut> out;
    for (std::size_t j = 0; j < cuts.size(); ++j) {
        if (!plan.cutsOnScale) {
            out.push_back({scaleOfRawCut(plan.conversion, cuts[j]), cuts[j]});
            continue;
        }
        const std::vector<double>& scale = plan.conversion.scale;
        if (scale.empty() || !(cuts[j] <= *std::max_element(scale.begin(), scale.end()))) {
            throw InputError(plan.source + ": no composite score reaches the " + which + " cut " +
                             std::to_string(j + 1) + ", " + quotedNumber(cuts[j]) +
                             " on the scale; lower the cut or extend the table");
        }
        out.push_back({cuts[j], rawCutOf(plan.conversion, cuts[j])});
    }
    return out;
}

}  // namespace

ScalePlan planScale(const ScaleRequest& request, const ControlCard& card,
                    const CompositeScale& composite) {
    ScalePlan plan;
    plan.source = request.table.source;
    plan.conversion = scaleConversion(request.table, composite);
    plan.cutsOnScale = request.cutsOnScale;
    plan.observedCuts = cutsOn(card.observedCuts, plan, "observed");
    plan.trueCuts = cutsOn(card.trueCuts, plan, "true");
    return plan;
}

ControlCard withRawCuts(ControlCard card, const ScalePlan& plan) {
    for (std::size_t j = 0; j < plan.observedCuts.size(); ++j)
        card.observedCuts[j] = plan.observedCuts[j].raw;
    for (std::size_t j = 0; j < plan.trueCuts.size(); ++j) card.trueCuts[j] = plan.trueCuts[j].raw;
    return card;
}

}  // namespace tl
