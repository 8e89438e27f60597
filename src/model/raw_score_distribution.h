#pragma once

#include <span>
#include <vector>

#include "model/count_vector_table.h"

namespace tl {

// The floor that replaces a proportion that is not greater than 0 (or not a number).
double proportionFloor();

// Working storage of one thread, reused from profile to profile.
struct DistributionScratch {
    std::vector<double> powers;      // exp(c ln p_m), (k - 1) rows of n + 1
    std::vector<double> lastPowers;  // exp(c_k ln p_k) for each distinct derived c_k
};

// One examinee's probability of every entry of the raw-score list, from the
// proportions at each score point. `out` has one slot per entry.
void computeRawDistribution(const CountVectorTable& table, std::span<const double> proportions,
                            std::span<double> out, DistributionScratch& scratch);

}  // namespace tl
