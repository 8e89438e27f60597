#include "model/scale_score_variance.h"

#include <limits>

namespace tl {

double scaleScoreVariance(std::span<const double> q, std::span<const double> scaleScores) {
    double m = 0.0;
    double a = 0.0;
    double b = 0.0;
    for (std::size_t c = 0; c < q.size(); ++c) {
        const double weighted = q[c] * scaleScores[c];
        m = m + q[c];
        a = a + weighted;
        b = b + weighted * scaleScores[c];
    }
    if (!(m > 0.0)) return std::numeric_limits<double>::quiet_NaN();
    const double mean = a / m;
    const double variance = b / m - mean * mean;
    return variance > 0.0 ? variance : 0.0;
}

}  // namespace tl
