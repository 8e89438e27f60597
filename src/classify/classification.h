#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "classify/classification_indices.h"

namespace tl {

// For each observed cut, the index (0-based) of the first composite score at or
// above it: the start of the category above the cut.
std::vector<std::size_t> categoryStarts(std::span<const double> observedCuts,
                                        std::span<const double> compositeScores);

// Probability of each of the categories (cuts + 1 of them), summing the
// composite distribution over each category's range in ascending order.
void categoryProbabilities(std::span<const double> compositeDistribution,
                           std::span<const std::size_t> starts, std::span<double> out);

// Sum of the squared category probabilities: the chance that two independent
// administrations put the examinee into the same category.
double conditionalConsistency(std::span<const double> categoryProbability);

// The category (1-based) of a composite score among ascending cuts: the true
// category on the true cuts, the observed one on the observed cuts. A score
// equal to a cut belongs to the category above it.
std::int32_t categoryOf(double composite, std::span<const double> cuts);

// categoryOf of each composite score, in their order.
std::vector<std::int32_t> categoriesOf(std::span<const double> composites,
                                       std::span<const double> cuts);

struct Classification {
    std::vector<std::int32_t> trueCategory;
    std::vector<double> conditionalConsistency;
    std::vector<double> conditionalAccuracy;
    std::vector<double> conditionalFalsePositive;
    std::vector<double> conditionalFalseNegative;
    std::vector<double> categoryMarginal;
    IndexSet overall;  // the overall indices, as overallIndices gives them
};

// Classifies every examinee. Examinees that share a composite distribution
// share its category probabilities: row groupOf[i] of groupProbabilities
// (categoryCount values per row) and groupConsistency[groupOf[i]]. The overall
// indices and the category marginals are those of overallIndices over every
// examinee in record order, each weighing `weight` (empty: 1).
Classification classifyExaminees(std::span<const double> classificationComposite,
                                 std::span<const double> trueCuts, std::int32_t categoryCount,
                                 std::span<const std::uint32_t> groupOf,
                                 std::span<const double> groupProbabilities,
                                 std::span<const double> groupConsistency,
                                 std::span<const double> weight = {});

}  // namespace tl
