#pragma once

#include <cstdint>
#include <span>
#include <vector>

namespace tl {

// The conditional standard error of measurement at one score: the examinees
// with exactly that score, the mean of their error variances (summed in record
// order) and its square root.
struct CsemRow {
    double score = 0.0;
    std::int32_t examinees = 0;
    double errorVariance = 0.0;
    double csem = 0.0;
};

// The examinees in ascending score, record order kept among equal scores.
std::vector<std::uint32_t> ascendingScoreOrder(std::span<const double> scores);

// One row per distinct score (exact equality of the doubles), ascending;
// `order` is ascendingScoreOrder(scores), so each row sums in record order.
std::vector<CsemRow> csemByScore(std::span<const double> scores,
                                 std::span<const double> errorVariances,
                                 std::span<const std::uint32_t> order);

// The CSEM at a cut: the row whose score equals the cut; otherwise the linear
// interpolation in score between the nearest rows below and above it; NaN
// when one side has no row.
double csemAtCut(std::span<const CsemRow> rows, double cut);

// Square roots, one per value: each examinee's CSEM from its error variance.
std::vector<double> squareRoots(std::span<const double> values);

}  // namespace tl
