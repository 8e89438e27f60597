#include "analysis/composite_fit.h"

#include <algorithm>
#include <vector>

#include "model/score_fit.h"

namespace tl {

namespace {

// The index of the score nearest x: composites are sums of weighted raw
// scores, which the list may hold summed in another order.
std::size_t nearestScore(std::span<const double> scores, double x) {
    const auto above = std::lower_bound(scores.begin(), scores.end(), x);
    if (above == scores.begin()) return 0;
    if (above == scores.end()) return scores.size() - 1;
    const auto i = static_cast<std::size_t>(above - scores.begin());
    return x - scores[i - 1] <= scores[i] - x ? i - 1 : i;
}

}  // namespace

ModelFitSummary compositeFit(std::span<const double> expected,
                             std::span<const double> compositeScores,
                             std::span<const double> examineeComposites, double minExpected,
                             bool descriptive) {
    std::vector<double> observed(compositeScores.size(), 0.0);
    for (double x : examineeComposites) {
        double& count = observed[nearestScore(compositeScores, x)];
        count = count + 1.0;
    }
    const ModelFit fit = modelFit(expected, observed, 0, minExpected);
    ModelFitSummary summary;
    for (const FitBin& bin : fit.bins)
        summary.bins.push_back({compositeScores[static_cast<std::size_t>(bin.first)],
                                compositeScores[static_cast<std::size_t>(bin.last)], bin.expected,
                                bin.observed});
    summary.chi2 = fit.chi2;
    summary.df = fit.df;
    summary.p = fit.p;
    summary.largestCdfDifference = fit.largestCdfDifference;
    summary.descriptive = descriptive;
    return summary;
}

}  // namespace tl
