#pragma once

#include <vector>

#include "core/control_card.h"
#include "model/proportion_profiles.h"

namespace tl {

// Pulls every examinee's proportions toward the group means, with strength set
// by r = sqrt(reliability): p' = (1 - r) mean + r p. Then adds the set's share of
// the composite expected from the corrected proportions, n (w p'_k) x_k for each
// score point in order, to each examinee's corrected composite.
void correctProportions(ProportionProfiles& profiles, const ItemSet& set, double reliability,
                        std::vector<double>& correctedComposite);

}  // namespace tl
