#pragma once

#include <optional>
#include <span>
#include <string>
#include <vector>

#include "analysis/beta_binomial_units.h"
#include "analysis/item_moments.h"
#include "classify/group_results.h"
#include "core/examinee_groups.h"

namespace tl {

// A beta-binomial fit to some examinees' composites, its nodes classified as
// a run's are: the units, each node's true category, and the view the index
// functions take.
struct FittedNodes {
    ModelUnits units;
    std::vector<std::int32_t> trueCategory;

    ClassifiedExaminees classified(std::int32_t categoryCount) const {
        return {units.groups.groupOf, units.groups.probabilities, trueCategory, categoryCount,
                units.weight};
    }
};

// Fits the model of `run` (its settings, reliability and cuts) to `scores`.
// Nothing when the model cannot fit them; `why`, when given, then holds the
// refusal's line.
std::optional<FittedNodes> fitNodes(BetaBinomialUnitsInput run, std::span<const double> scores,
                                    std::string* why = nullptr);

// The overall, per-cut and diagnostic indices over every node of a fit, and
// its true-by-observed table.
GroupIndices nodeIndices(const FittedNodes& fit, std::int32_t categoryCount,
                         std::vector<double>* trueByObserved = nullptr);

// Each level's reliability where the run's comes from coefficient alpha: the
// alpha of the level's own item moments (`levelMoments[l]`, one per set, levels
// flattened variable by variable) and composites. Otherwise the run's
// reliability for every level.
std::vector<double> levelReliabilities(const BetaBinomialUnitsInput& run,
                                       std::span<const std::vector<SetMoments>> levelMoments,
                                       std::span<const double> examineeComposite,
                                       const ExamineeGroups& groups);

// The results of every level of every grouping variable, in the order of
// groupLevels, each level fitted to its own examinees' composites with its own
// reliability (`reliability[l]`): the true-score distribution is a property of
// the group. A level the model cannot fit has every index NaN, and a note in
// `notes` says why. Counts are of the level's nodes, as the run's are.
std::vector<GroupLevel> betaBinomialGroupLevels(const BetaBinomialUnitsInput& run,
                                                std::span<const double> examineeComposite,
                                                const ExamineeGroups& groups,
                                                std::span<const double> reliability,
                                                std::vector<std::string>& notes);

// The same levels' indices over a bootstrap sample of the run's examinees
// (entries of `sample` index `examineeComposite`), each level refitted to its
// drawn examinees; a level with none drawn, or none the model can fit, is NaN.
std::vector<GroupIndices> betaBinomialGroupSampleIndices(const BetaBinomialUnitsInput& run,
                                                         std::span<const double> examineeComposite,
                                                         ExamineeSample sample,
                                                         const ExamineeGroups& groups,
                                                         std::span<const double> reliability);

}  // namespace tl
