#pragma once

#include <span>

#include "core/model_summary.h"

namespace tl {

// The fit check on the composite score list: the examinees' observed
// composites counted at their scores against `expected`, the model's implied
// frequency of each score, merged into bins from the lowest score up until
// each expects at least minExpected. A bin's first and last are scores of the
// list. `descriptive` marks a model that fitted none of its parameters to the
// score distribution; df is then bins - 1 all the same.
ModelFitSummary compositeFit(std::span<const double> expected,
                             std::span<const double> compositeScores,
                             std::span<const double> examineeComposites, double minExpected,
                             bool descriptive);

}  // namespace tl
