#pragma once

#include <span>

#include "model/composite_distribution.h"

namespace tl {

// Other implementations of one examinee's distributions: one examinee's
// raw-score distribution from n, the score points, the raw-score list and the
// proportions; and one examinee's composite distribution from the sets' rows.
// A substitute must give the engines' bits, so that a whole run computed with
// the literal references checks the engines end to end.
using RawDistributionKernel = void (*)(int itemCount, std::span<const double> scorePoints,
                                       std::span<const double> rawScores,
                                       std::span<const double> proportions, std::span<double> out);
using CompositeKernel = void (*)(std::span<const SetRow> sets,
                                 std::span<const double> compositeScores, std::span<double> out);

struct SubstituteKernels {
    RawDistributionKernel rawDistribution = nullptr;
    CompositeKernel composite = nullptr;

    bool any() const { return rawDistribution != nullptr || composite != nullptr; }
    bool operator==(const SubstituteKernels&) const = default;
};

// How the model is computed; never what it computes: every choice here gives
// the same bits.
struct ModelOptions {
    unsigned threads = 1;
    // With a substitute, examinees are not grouped by profile and each is
    // computed alone, as a literal reference would.
    SubstituteKernels substitutes;

    bool shareProfiles() const { return !substitutes.any(); }
};

}  // namespace tl
