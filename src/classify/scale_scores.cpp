#include "classify/scale_scores.h"

namespace tl {

std::vector<double> scaleScoresOf(const ScaleConversion& conversion,
                                  std::span<const double> observedComposite) {
    std::vector<double> scores(observedComposite.size());
    for (std::size_t i = 0; i < scores.size(); ++i)
        scores[i] = conversion.scaleScoreOf(observedComposite[i]);
    return scores;
}

ScaleResults summarizeScale(const ScalePlan& plan, std::vector<double> errorVariance,
                            std::span<const double> observedComposite, bool rows) {
    ScaleResults scale;
    scale.plan = plan;
    scale.errorVariance = std::move(errorVariance);
    const std::vector<double> scores = scaleScoresOf(plan.conversion, observedComposite);
    double sum = 0.0;
    for (double s : scores) sum = sum + s;
    scale.mean = sum / static_cast<double>(scores.size());
    scale.reliability = summarizeReliability(scale.errorVariance, scores);
    if (rows) scale.csem = csemByScore(scores, scale.errorVariance, ascendingScoreOrder(scores));
    return scale;
}

double sampleScaleReliability(const ScaleResults& scale, std::span<const double> observedComposite,
                              std::span<const std::uint32_t> sample) {
    std::vector<double> errorVariance(sample.size()), scores(sample.size());
    for (std::size_t j = 0; j < sample.size(); ++j) {
        errorVariance[j] = scale.errorVariance[sample[j]];
        scores[j] = scale.scaleScoreOf(observedComposite[sample[j]]);
    }
    return summarizeReliability(errorVariance, scores).reliability;
}

}  // namespace tl
