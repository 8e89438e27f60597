#include "classify/classification_indices.h"

#include <numeric>

namespace tl {

IndexSet overallIndices(const ClassifiedExaminees& examinees, ExamineeSample sample) {
    return overallIndicesAndMarginals(examinees, sample).indices;
}

OverallIndices overallIndicesAndMarginals(const ClassifiedExaminees& examinees,
                                          ExamineeSample sample) {
    const auto categories = static_cast<std::size_t>(examinees.categoryCount);
    double sumConsistency = 0.0, sumAccuracy = 0.0, sumPositive = 0.0, sumNegative = 0.0;
    std::vector<double> categorySums(categories, 0.0);
    for (std::uint32_t i : sample) {
        const double* p = examinees.probabilities(i);
        const auto truth = static_cast<std::size_t>(examinees.trueCategory[i] - 1);
        double phi = 0.0;
        for (std::size_t k = 0; k < categories; ++k) phi = phi + p[k] * p[k];
        double positive = 0.0;
        for (std::size_t k = truth + 1; k < categories; ++k) positive = positive + p[k];
        double negative = 0.0;
        for (std::size_t k = 0; k < truth; ++k) negative = negative + p[k];
        const double w = examinees.weightOf(i);
        sumConsistency = sumConsistency + w * phi;
        sumAccuracy = sumAccuracy + w * p[truth];
        sumPositive = sumPositive + w * positive;
        sumNegative = sumNegative + w * negative;
        for (std::size_t k = 0; k < categories; ++k) categorySums[k] = categorySums[k] + w * p[k];
    }
    const double count = static_cast<double>(sample.size());
    OverallIndices overall;
    IndexSet& result = overall.indices;
    result.consistency = sumConsistency / count;
    result.accuracy = sumAccuracy / count;
    result.falsePositive = sumPositive / count;
    result.falseNegative = sumNegative / count;
    double chance = 0.0;
    overall.categoryMarginal.resize(categories);
    for (std::size_t k = 0; k < categories; ++k) {
        const double marginal = categorySums[k] / count;
        overall.categoryMarginal[k] = marginal;
        chance = chance + marginal * marginal;
    }
    result.chance = chance;
    result.kappa = (result.consistency - chance) / (1.0 - chance);
    return overall;
}

std::vector<IndexSet> cutIndices(const ClassifiedExaminees& examinees, ExamineeSample sample) {
    const auto categories = static_cast<std::size_t>(examinees.categoryCount);
    const std::size_t cuts = categories > 0 ? categories - 1 : 0;
    struct Sums {
        double agreement = 0.0, below = 0.0, above = 0.0, accuracy = 0.0, positive = 0.0,
               negative = 0.0;
    };
    std::vector<Sums> sums(cuts);
    for (std::uint32_t i : sample) {
        const double* p = examinees.probabilities(i);
        const std::int32_t t = examinees.trueCategory[i];
        const double w = examinees.weightOf(i);
        for (std::size_t c = 1; c <= cuts; ++c) {
            double below = 0.0;
            for (std::size_t k = 0; k < c; ++k) below = below + p[k];
            double above = 0.0;
            for (std::size_t k = c; k < categories; ++k) above = above + p[k];
            const bool trulyAbove = t > static_cast<std::int32_t>(c);
            Sums& s = sums[c - 1];
            s.agreement = s.agreement + w * (below * below + above * above);
            s.below = s.below + w * below;
            s.above = s.above + w * above;
            s.accuracy = s.accuracy + w * (trulyAbove ? above : below);
            s.positive = s.positive + w * (trulyAbove ? 0.0 : above);
            s.negative = s.negative + w * (trulyAbove ? below : 0.0);
        }
    }
    const double count = static_cast<double>(sample.size());
    std::vector<IndexSet> result(cuts);
    for (std::size_t c = 0; c < cuts; ++c) {
        const Sums& s = sums[c];
        IndexSet& r = result[c];
        r.consistency = s.agreement / count;
        const double below = s.below / count;
        const double above = s.above / count;
        r.chance = below * below + above * above;
        r.kappa = (r.consistency - r.chance) / (1.0 - r.chance);
        r.accuracy = s.accuracy / count;
        r.falsePositive = s.positive / count;
        r.falseNegative = s.negative / count;
    }
    return result;
}

std::vector<std::uint32_t> wholeSample(std::size_t n) {
    std::vector<std::uint32_t> sample(n);
    std::iota(sample.begin(), sample.end(), 0u);
    return sample;
}

}  // namespace tl
