#pragma once

#include <optional>
#include <vector>

#include "classify/category_groups.h"
#include "classify/distribution_tally.h"
#include "core/model_summary.h"
#include "model/reliability.h"

namespace tl {

// What an error model other than the multinomial hands the classification:
// for each examinee, the row of category probabilities it shares with others
// (groupOf), the true score its true category comes from, on the scale of
// `trueCuts`, and its error variance on the composite scale. The indices,
// tables, subgroups and bootstrap are then computed from these by the code
// that computes them for the multinomial.
struct ModelUnits {
    CategoryGroups groups;
    std::vector<double> trueScore;
    std::vector<double> trueCuts;
    // Per examinee; NaN where the model has no composite distribution
    // (Rudner's method).
    std::vector<double> errorVariance;
    ReliabilitySummary reliability;
    // With a population's nodes as units: each node's weight (their mean 1)
    // and its true composite, which takes the place of an observed score.
    std::vector<double> weight;
    std::vector<double> unitScore;
    std::vector<double> theta;
    std::vector<double> thetaSe;
    std::vector<double> trueComposite;  // per unit, at its ability (IRT)
    // The IRT model's true cuts on ability (NaN where the ability scale
    // reaches none), whichever scale it classifies on.
    std::vector<double> thetaTrueCuts;
    ModelSummary summary;
    // What the run's tally request asked for, summed over the units'
    // composite distributions (empty for models without one).
    DistributionSums sums;
};

// Each examinee's category index on every item of every set, in set and item
// order (irt::kNotAnswered where a score is none of the set's score points).
struct ResponseTable {
    std::size_t itemCount = 0;
    std::vector<std::uint8_t> cells;  // examinee-major
};

}  // namespace tl
