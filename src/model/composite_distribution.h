#pragma once

#include <cstdint>
#include <span>

namespace tl {

// One examinee's raw-score distribution on one item set, as the composite
// combines it: probabilities P[j] of the set's raw scores R[j], with the
// weighted scores w R[j] formed beforehand (the same product either way).
struct SetRow {
    const double* probabilities;
    const double* weightedScores;
    const double* rawScores;
    double weight;
    std::size_t count;
};

// The examinee's probability of each composite score minComposite + c, combined
// from the set distributions in nested order (set 1 slowest). A combination's
// composite score is its weighted sum, added left to right and, with two or
// more sets, rounded half away from zero; its probability is the product of the
// set probabilities, multiplied left to right. A combination whose score is not
// on the composite scale adds nothing. `out` has compositeCount slots.
void computeCompositeDistribution(std::span<const SetRow> sets, std::int32_t minComposite,
                                  std::span<double> out);

}  // namespace tl
