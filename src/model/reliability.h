#pragma once

#include <cstdint>
#include <span>
#include <vector>

namespace tl {

// Conditional error variance of one examinee's raw score on a set of n items:
// n/(n-1) times the variance of the raw-score distribution (sums over the list
// in ascending order, probabilities as they are). A variance that is not
// positive gives exactly 0, and so does a set of one item, where n/(n-1) is
// undefined.
double setErrorVariance(std::span<const double> rawScores, std::span<const double> distribution,
                        std::int32_t itemCount);

// Variance with divisor count: the mean first, then the mean squared deviation.
double arrayVariance(std::span<const double> values);

struct ReliabilitySummary {
    double averageErrorVariance = 0.0;
    double sampleVariance = 0.0;
    double reliability = 0.0;
};

// From each examinee's composite error variance and observed composite score.
ReliabilitySummary summarizeReliability(std::span<const double> compositeErrorVariance,
                                        std::span<const double> observedComposite);

}  // namespace tl
