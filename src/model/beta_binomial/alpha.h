#pragma once

#include <span>
#include <vector>

namespace tl::betabinomial {

// Coefficient alpha, J/(J-1) (1 - sum of item variances / total variance),
// from variances that share one divisor (which then cancels). NaN for J < 2
// or a total that does not vary.
double alpha(std::span<const double> itemVariances, double totalVariance, int itemCount);

// Alpha of item score columns (one column an item, one row an examinee), the
// variances with divisor N - 1.
double alphaOfItems(std::span<const std::vector<double>> items);

// One item set of a composite: its weight w_s, the variance of its raw score
// and its alpha.
struct SetAlpha {
    double weight = 1.0;
    double variance = 0.0;
    double alpha = 0.0;
};

// Stratified alpha, 1 - sum_s w_s^2 var_s (1 - alpha_s) / var_X, with var_X
// the composite's variance (the same divisor as var_s).
double stratifiedAlpha(std::span<const SetAlpha> sets, double compositeVariance);

// Stratified alpha of sets of item score columns with their weights: each
// set's raw score is the sum of its items, the composite sum_s w_s raw_s; the
// variances with divisor N - 1.
double stratifiedAlphaOfItems(std::span<const std::vector<std::vector<double>>> sets,
                              std::span<const double> weights);

}  // namespace tl::betabinomial
