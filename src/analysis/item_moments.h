#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "core/control_card.h"

namespace tl {

// Sums over the examinees of each item's score and its square, and of each
// set's raw score and its square, as the records are read: enough for
// coefficient alpha of each set without keeping the scores. Sums of whole
// scores are exact, so the order of the records does not matter.
struct SetMoments {
    std::vector<double> itemSum, itemSquares;
    double rawSum = 0.0, rawSquares = 0.0;
    std::int64_t examinees = 0;

    void add(std::span<const double> scores);
    // Variances with divisor N - 1.
    std::vector<double> itemVariances() const;
    double rawVariance() const;
};

// The variance of `values` with divisor N - 1 (0 for fewer than two).
double varianceAboutMean(std::span<const double> values);

// Coefficient alpha of one set, or stratified alpha of the composite of
// several (their weights from the card, `compositeVariance` with divisor N - 1).
double alphaOfSets(const ControlCard& card, std::span<const SetMoments> sets,
                   double compositeVariance);

}  // namespace tl
