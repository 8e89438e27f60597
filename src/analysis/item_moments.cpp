#include "analysis/item_moments.h"

#include "model/beta_binomial/alpha.h"

namespace tl {

namespace {

double varianceOf(double sum, double squares, std::int64_t n) {
    if (n < 2) return 0.0;
    const double count = static_cast<double>(n);
    return (squares - sum * sum / count) / (count - 1.0);
}

}  // namespace

void SetMoments::add(std::span<const double> scores) {
    if (itemSum.size() < scores.size()) {
        itemSum.resize(scores.size(), 0.0);
        itemSquares.resize(scores.size(), 0.0);
    }
    double raw = 0.0;
    for (std::size_t j = 0; j < scores.size(); ++j) {
        itemSum[j] = itemSum[j] + scores[j];
        itemSquares[j] = itemSquares[j] + scores[j] * scores[j];
        raw = raw + scores[j];
    }
    rawSum = rawSum + raw;
    rawSquares = rawSquares + raw * raw;
    ++examinees;
}

std::vector<double> SetMoments::itemVariances() const {
    std::vector<double> variances;
    for (std::size_t j = 0; j < itemSum.size(); ++j)
        variances.push_back(varianceOf(itemSum[j], itemSquares[j], examinees));
    return variances;
}

double SetMoments::rawVariance() const {
    return varianceOf(rawSum, rawSquares, examinees);
}

double varianceAboutMean(std::span<const double> values) {
    const std::size_t n = values.size();
    if (n < 2) return 0.0;
    double sum = 0.0;
    for (double v : values) sum = sum + v;
    const double mean = sum / static_cast<double>(n);
    double squares = 0.0;
    for (double v : values) squares = squares + (v - mean) * (v - mean);
    return squares / static_cast<double>(n - 1);
}

double alphaOfSets(const ControlCard& card, std::span<const SetMoments> sets,
                   double compositeVariance) {
    std::vector<betabinomial::SetAlpha> alphas;
    for (std::size_t s = 0; s < sets.size(); ++s) {
        const std::vector<double> items = sets[s].itemVariances();
        alphas.push_back(
            {card.itemSets[s].weight, sets[s].rawVariance(),
             betabinomial::alpha(items, sets[s].rawVariance(), static_cast<int>(items.size()))});
    }
    if (alphas.size() == 1) return alphas[0].alpha;
    return betabinomial::stratifiedAlpha(alphas, compositeVariance);
}

}  // namespace tl
