#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "core/analysis_options.h"
#include "core/control_card.h"
#include "core/engine_plan.h"
#include "core/score_scales.h"
#include "model/composite_distribution.h"

namespace tl {

// Refuses control cards whose meaning the model leaves open or which no run
// could finish, each with one console line beginning "Error! ". Runs after the
// item-set count and cut-score checks and before any data file is opened. Sets
// with more than fifteen score points are left to the stop when they are reached.
// Sets beyond the count-vector limit, and composites beyond the combination
// limit, are refused only where `engine` may not convolve them instead.
void refuseUnworkableCard(const ControlCard& card, const ScoreScales& scales,
                          Engine engine = Engine::Auto);

// How each set's distributions and the composite are computed under `engine`.
EnginePlan planEngine(const ControlCard& card, const ScoreScales& scales, Engine engine);

// Each set's weighted raw scores w r, formed as the composite forms them, and
// the composite's rows over them (without probabilities).
struct CompositeRows {
    std::vector<std::vector<double>> weighted;
    std::vector<SetRow> rows;
};
CompositeRows compositeRows(const ControlCard& card, const ScoreScales& scales);

// Refuses a report file that is not named, or that is the control card or one
// of the data files (writing it would destroy an input).
void refuseUnsafeOutput(const ControlCard& card, const std::string& controlCardFile);

// Number of count vectors the enumeration of a set visits, C(n + k - 1, k - 1),
// or any value above `cap` once it exceeds it.
std::int64_t countVectorCount(std::int64_t items, std::int64_t scorePoints, std::int64_t cap);

}  // namespace tl
