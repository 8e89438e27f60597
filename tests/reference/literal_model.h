#pragma once

#include <span>

#include "model/composite_distribution.h"

namespace tl::reference {

// The raw-score distribution exactly as the model describes it, step by step:
// for every raw-score entry, every count vector is tested; the passing ones are
// evaluated with logarithms, exponentials and factln on the spot. Slow on
// purpose: it is the yardstick the fast engine must match bit for bit.
void literalRawDistribution(int itemCount, std::span<const double> scorePoints,
                            std::span<const double> rawScores, std::span<const double> proportions,
                            std::span<double> out);

// The composite distribution by the plain nested loops: every combination of
// raw scores, its weighted sum from scratch, a search of the composite list.
void literalCompositeDistribution(std::span<const SetRow> sets,
                                  std::span<const double> compositeScores, std::span<double> out);

}  // namespace tl::reference
