#include "model/reliability.h"

namespace tl {

double setErrorVariance(std::span<const double> rawScores, std::span<const double> distribution,
                        std::int32_t itemCount) {
    double m = 0.0;
    double q = 0.0;
    for (std::size_t j = 0; j < rawScores.size(); ++j) {
        const double r = rawScores[j];
        m = m + r * distribution[j];
        q = q + (r * r) * distribution[j];
    }
    const double d = q - m * m;
    if (!(d > 0.0) || itemCount < 2) return 0.0;
    const double n = static_cast<double>(itemCount);
    return n / (n - 1.0) * d;
}

double arrayVariance(std::span<const double> values) {
    const double count = static_cast<double>(values.size());
    double sum = 0.0;
    for (double v : values) sum = sum + v;
    const double mean = sum / count;
    double squares = 0.0;
    for (double v : values) squares = squares + (v - mean) * (v - mean);
    return squares / count;
}

ReliabilitySummary summarizeReliability(std::span<const double> compositeErrorVariance,
                                        std::span<const double> observedComposite) {
    ReliabilitySummary summary;
    double sum = 0.0;
    for (double v : compositeErrorVariance) sum = sum + v;
    summary.averageErrorVariance = sum / static_cast<double>(compositeErrorVariance.size());
    summary.sampleVariance = arrayVariance(observedComposite);
    summary.reliability = 1.0 - (summary.averageErrorVariance / summary.sampleVariance);
    return summary;
}

}  // namespace tl
