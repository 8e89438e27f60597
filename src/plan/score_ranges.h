#pragma once

#include <optional>
#include <vector>

#include "core/control_card.h"
#include "core/score_scales.h"

namespace tl {

// Each set's raw-score range and list and the composite score scale. Bounds are
// truncated toward zero; the composite total is truncated after every set.
// Ranges too wide to hold are refused with a console line.
ScoreScales deriveScoreScales(const ControlCard& card);

// The first of `cuts` outside the composite scale (its ends inside); none when
// every cut lies on it.
std::optional<double> cutOutside(const std::vector<double>& cuts, const CompositeScale& scale);

// Stops with "Error! Cut scores are out of score range!" when an observed cut
// lies outside the composite scale.
void checkCutScores(const ControlCard& card, const CompositeScale& scale);

}  // namespace tl
