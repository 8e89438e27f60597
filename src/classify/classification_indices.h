#pragma once

#include <cstdint>
#include <span>
#include <vector>

namespace tl {

// The six indices of a classification: consistency (phi), chance agreement,
// kappa, accuracy (gamma), false positive and false negative rates.
struct IndexSet {
    double consistency = 0.0;
    double chance = 0.0;
    double kappa = 0.0;
    double accuracy = 0.0;
    double falsePositive = 0.0;
    double falseNegative = 0.0;
};

// Examinees' category probabilities and true categories, as a run classified
// them: examinee i has P(i, k) in row groupOf[i] of groupProbabilities
// (categoryCount values a row) and true category trueCategory[i] (1-based).
struct ClassifiedExaminees {
    std::span<const std::uint32_t> groupOf;
    std::span<const double> groupProbabilities;
    std::span<const std::int32_t> trueCategory;
    std::int32_t categoryCount = 0;
    // Each unit's weight, their mean 1, when the units are a population's
    // nodes; empty: every examinee weighs 1. A weight of 1 multiplies exactly,
    // so equal weights give the very doubles of unweighted sums.
    std::span<const double> weight;

    std::size_t size() const { return groupOf.size(); }
    double weightOf(std::size_t i) const { return weight.empty() ? 1.0 : weight[i]; }
    const double* probabilities(std::size_t i) const {
        return groupProbabilities.data() +
               static_cast<std::size_t>(groupOf[i]) * static_cast<std::size_t>(categoryCount);
    }
};

// A sample of examinees: indices into ClassifiedExaminees, repeats allowed (a
// bootstrap replicate). Every mean below is a sum in sample order, of each
// value times its unit's weight, divided by the sample's size.
using ExamineeSample = std::span<const std::uint32_t>;

// The overall indices over the sample. Over the whole run in record order they
// are the very doubles of the report: phi_i is the sum of squared category
// probabilities; chance is the sum over categories of the squared mean
// probability; kappa = (phi - chance) / (1 - chance), NaN when chance is 1.
IndexSet overallIndices(const ClassifiedExaminees& examinees, ExamineeSample sample);

// The overall indices with each category's mean probability over the sample,
// the marginals the chance agreement is formed from.
struct OverallIndices {
    IndexSet indices;
    std::vector<double> categoryMarginal;
};
OverallIndices overallIndicesAndMarginals(const ClassifiedExaminees& examinees,
                                          ExamineeSample sample);

// The indices of each cut c = 1 .. K-1 taken alone, as if the categories at or
// below c were one and those above it another. below_i and above_i are summed
// directly from P(i, k) in ascending k, not taken as 1 minus each other.
//   consistency_c = mean(below_i^2 + above_i^2)
//   chance_c      = mean(below_i)^2 + mean(above_i)^2
//   kappa_c       = (consistency_c - chance_c) / (1 - chance_c)
//   accuracy_c    = mean(t_i > c ? above_i : below_i)
//   false positive_c = mean(t_i <= c ? above_i : 0)
//   false negative_c = mean(t_i > c ? below_i : 0)
std::vector<IndexSet> cutIndices(const ClassifiedExaminees& examinees, ExamineeSample sample);

// 0, 1, ..., n - 1: the run's own examinees in record order.
std::vector<std::uint32_t> wholeSample(std::size_t n);

}  // namespace tl
