#pragma once

#include <span>

namespace tl {

// The variance of the scale score under one examinee's composite distribution
// q (q[c] the probability of composite score c of the list, whose scale score
// is scaleScores[c]): with m = sum q, a = sum q s and b = sum q s s, each
// summed in ascending score with the terms formed as (q s) and (q s) s,
// b / m - (a / m)^2. A result below 0 (rounding, a distribution on one scale
// score) gives exactly 0; m = 0 (no probability on the list) gives NaN.
//
// With the identity table s(x) = x this is the model variance of the rounded
// composite itself. It is not the composite error variance, which sums each
// set's raw-score variance times n / (n - 1) and its squared weight.
double scaleScoreVariance(std::span<const double> q, std::span<const double> scaleScores);

}  // namespace tl
