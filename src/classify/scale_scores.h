#pragma once

#include <cmath>
#include <span>
#include <string>
#include <vector>

#include "classify/csem.h"
#include "model/reliability.h"
#include "plan/scale_plan.h"

namespace tl {

// A run's scale scores: the conversion, both values of each cut, each
// examinee's scale-score error variance, and their summaries.
struct ScaleResults {
    // The table, and the cuts on both scales, as the run planned them.
    ScalePlan plan;
    // Per examinee in record order: the variance of the scale score under the
    // first pass's composite distribution (scaleScoreVariance).
    std::vector<double> errorVariance;
    // Over the observed scale scores, in record order: their mean, their
    // variance with divisor N, the mean error variance and 1 minus their ratio.
    double mean = 0.0;
    ReliabilitySummary reliability;
    // One row per distinct observed scale score, ascending (with the tables).
    std::vector<CsemRow> csem;

    // Examinee i's scale-score CSEM: the one rule every output prints.
    double examineeCsem(std::size_t examinee) const { return std::sqrt(errorVariance[examinee]); }

    // Examinee i's scale score s(x_i), from its observed composite.
    double scaleScoreOf(double observedComposite) const {
        return plan.conversion.scaleScoreOf(observedComposite);
    }
};

// The scale scores of the observed composites, in record order.
std::vector<double> scaleScoresOf(const ScaleConversion& conversion,
                                  std::span<const double> observedComposite);

// The mean and reliability of the scale scores from each examinee's error
// variance and observed composite, and with `rows` their CSEM rows (which sort
// the examinees: only the results files and R show them).
ScaleResults summarizeScale(const ScalePlan& plan, std::vector<double> errorVariance,
                            std::span<const double> observedComposite, bool rows = true);

// The scale reliability of a sample of the examinees (indices into them,
// repeats allowed), from their own scale scores and error variances, in sample
// order: what a bootstrap replicate gets.
double sampleScaleReliability(const ScaleResults& scale, std::span<const double> observedComposite,
                              std::span<const std::uint32_t> sample);

}  // namespace tl
