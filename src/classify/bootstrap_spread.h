#pragma once

#include <array>
#include <span>
#include <vector>

#include "classify/bootstrap_summary.h"
#include "classify/classification_indices.h"
#include "classify/precision_fields.h"

namespace tl {

// The p-quantile of ascending values by linear interpolation between order
// statistics (R's default, type 7): index = 1 + (n - 1) p, the value at
// floor(index) moved toward the one at ceil(index) by index - floor(index),
// as (1 - h) lo + h hi and only when the two differ. NaN for no values.
double quantileOfSorted(std::span<const double> sorted, double p);

// One index over the replicates, in replicate order. NaN values are counted as
// undefined and left out. se: the standard deviation of the defined values
// (mean first, then squared deviations, both summed in replicate order,
// divisor B' - 1), NaN with fewer than two. The interval: the 2.5 % and 97.5 %
// quantiles of the defined values, NaN with none.
IndexSpread spreadOf(std::span<const double> replicateValues);

// Every index of the replicates' index sets.
IndexSetSpread spreadOf(std::span<const IndexSet> replicates);

// Every index named in `fields` of the replicates' values.
template <class Values, class Spreads, std::size_t N>
Spreads spreadOf(std::span<const Values> replicates,
                 const std::array<PrecisionField<Values, Spreads>, N>& fields) {
    std::vector<double> values(replicates.size());
    Spreads spreads;
    for (const PrecisionField<Values, Spreads>& field : fields) {
        for (std::size_t b = 0; b < replicates.size(); ++b) values[b] = replicates[b].*field.value;
        spreads.*field.spread = spreadOf(std::span<const double>(values));
    }
    return spreads;
}

}  // namespace tl
