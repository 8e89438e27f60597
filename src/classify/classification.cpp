#include "classify/classification.h"

namespace tl {

std::vector<std::size_t> categoryStarts(std::span<const double> observedCuts,
                                        std::span<const double> compositeScores) {
    std::vector<std::size_t> starts;
    starts.reserve(observedCuts.size());
    for (double cut : observedCuts) {
        std::size_t c = 0;
        while (c < compositeScores.size() && !(compositeScores[c] >= cut)) ++c;
        starts.push_back(c);
    }
    return starts;
}

void categoryProbabilities(std::span<const double> q, std::span<const std::size_t> starts,
                           std::span<double> out) {
    const std::size_t categories = out.size();
    for (std::size_t k = 0; k < categories; ++k) {
        const std::size_t begin = k == 0 ? 0 : starts[k - 1];
        const std::size_t end = k + 1 == categories ? q.size() : starts[k];
        double sum = 0.0;
        for (std::size_t c = begin; c < end; ++c) sum = sum + q[c];
        out[k] = sum;
    }
}

double conditionalConsistency(std::span<const double> p) {
    double sum = 0.0;
    for (double value : p) sum = sum + value * value;
    return sum;
}

std::int32_t categoryOf(double x, std::span<const double> t) {
    const std::size_t cuts = t.size();
    if (cuts == 0) return 1;
    if (x < t[0]) return 1;
    if (x >= t[cuts - 1]) return static_cast<std::int32_t>(cuts + 1);
    for (std::size_t k = 0; k + 1 < cuts; ++k) {
        if (t[k] <= x && x < t[k + 1]) return static_cast<std::int32_t>(k + 2);
    }
    return 1;  // unreachable with ascending cuts and a score that is a number
}

std::vector<std::int32_t> categoriesOf(std::span<const double> composites,
                                       std::span<const double> cuts) {
    std::vector<std::int32_t> categories(composites.size());
    for (std::size_t i = 0; i < composites.size(); ++i)
        categories[i] = categoryOf(composites[i], cuts);
    return categories;
}

Classification classifyExaminees(std::span<const double> classificationComposite,
                                 std::span<const double> trueCuts, std::int32_t categoryCount,
                                 std::span<const std::uint32_t> groupOf,
                                 std::span<const double> groupProbabilities,
                                 std::span<const double> groupConsistency,
                                 std::span<const double> weight) {
    const std::size_t n = classificationComposite.size();
    const auto categories = static_cast<std::size_t>(categoryCount);
    Classification result;
    result.trueCategory.resize(n);
    result.conditionalConsistency.resize(n);
    result.conditionalAccuracy.resize(n);
    result.conditionalFalsePositive.resize(n);
    result.conditionalFalseNegative.resize(n);

    for (std::size_t i = 0; i < n; ++i) {
        const double* p =
            groupProbabilities.data() + static_cast<std::size_t>(groupOf[i]) * categories;
        const std::int32_t t = categoryOf(classificationComposite[i], trueCuts);
        const auto truth = static_cast<std::size_t>(t - 1);
        double positive = 0.0;
        for (std::size_t k = truth + 1; k < categories; ++k) positive = positive + p[k];
        double negative = 0.0;
        for (std::size_t k = 0; k < truth; ++k) negative = negative + p[k];

        result.trueCategory[i] = t;
        result.conditionalConsistency[i] = groupConsistency[groupOf[i]];
        result.conditionalAccuracy[i] = p[truth];
        result.conditionalFalsePositive[i] = positive;
        result.conditionalFalseNegative[i] = negative;
    }
    const ClassifiedExaminees classified{groupOf, groupProbabilities, result.trueCategory,
                                         categoryCount, weight};
    OverallIndices overall = overallIndicesAndMarginals(classified, wholeSample(n));
    result.overall = overall.indices;
    result.categoryMarginal = std::move(overall.categoryMarginal);
    return result;
}

}  // namespace tl
