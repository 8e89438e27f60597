#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "classify/distribution_tally.h"
#include "model/composite_setup.h"
#include "model/model_options.h"
#include "model/set_distributions.h"

namespace tl {

struct SetScale {
    double weight;
    std::span<const double> rawScores;
};

// Finds one composite distribution from the sets' rows as the run's setup
// says: the substitute kernel when there is one, else the convolution, the
// table of the nested loops, or the nested loops themselves. Every model's
// composite distributions are combined from its set distributions here.
struct CompositeCombiner {
    const CompositeSetup* setup = nullptr;
    CompositeKernel kernel = nullptr;
    std::span<const double> compositeScores;
    std::int32_t minComposite = 0;

    // `out` has compositeScores.size() slots.
    void operator()(std::span<const SetRow> rows, std::span<double> out,
                    CompositeConvolution::Scratch& scratch) const;
};

// Examinees who have the same distribution on every set have the same composite
// distribution; each such group's category probabilities and consistency are
// computed once.
struct CategoryGroups {
    std::vector<std::uint32_t> groupOf;  // examinee -> group
    std::vector<double> probabilities;   // group-major, categoryCount per group
    std::vector<double> consistency;     // per group
    // Per group, the variance of the scale score under its composite
    // distribution (scaleScoreVariance), when scale scores were given: found
    // while the distribution is at hand, so that none is kept.
    std::vector<double> scaleVariance;
};

// What the category probabilities of a pass are computed from: the sets'
// distributions and scales, the composite score list and the observed cuts.
// Each composite distribution is found as `composite` says (set up from these
// scales); a substitute kernel in `options` is used instead. `scaleScores`,
// when not empty, holds the scale score of each composite score.
struct CategoryInputs {
    std::span<const SetDistributions> sets;
    std::span<const SetScale> scales;
    std::span<const double> compositeScores;
    std::int32_t minComposite = 0;
    std::span<const double> observedCuts;
    std::int32_t categoryCount = 0;
    const CompositeSetup* composite = nullptr;
    ModelOptions options;
    std::span<const double> scaleScores;
    // What to sum over the distributions for the fit check and the sweep,
    // and each examinee's true composite, which a sweep compares with its cuts.
    TallyRequest tally;
    std::span<const double> trueScore;
};

// The groups, and in `sums` (when the request asks for any) what `in.tally`
// asks for, each examinee weighing 1.
CategoryGroups computeCategoryGroups(const CategoryInputs& in, DistributionSums* sums = nullptr);

}  // namespace tl
