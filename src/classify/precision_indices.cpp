#include "classify/precision_indices.h"

#include <cstdlib>
#include <limits>

namespace tl {

namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

double ratio(double numerator, double denominator) {
    return denominator == 0.0 ? kNaN : numerator / denominator;
}

double weightedKappa(const std::vector<double>& c, std::size_t k, bool quadratic) {
    std::vector<double> margin(k, 0.0);
    for (std::size_t j = 0; j < k; ++j)
        for (std::size_t m = 0; m < k; ++m) margin[j] = margin[j] + c[j * k + m];
    double observed = 0.0, expected = 0.0;
    for (std::size_t j = 0; j < k; ++j) {
        for (std::size_t m = 0; m < k; ++m) {
            const double d = j > m ? static_cast<double>(j - m) : static_cast<double>(m - j);
            const double w = quadratic ? d * d : d;
            observed = observed + w * c[j * k + m];
            expected = expected + w * (margin[j] * margin[m]);
        }
    }
    return 1.0 - ratio(observed, expected);
}

double withinOne(const std::vector<double>& cells, std::size_t k) {
    double sum = 0.0;
    for (std::size_t j = 0; j < k; ++j)
        for (std::size_t m = 0; m < k; ++m)
            if (j <= m + 1 && m <= j + 1) sum = sum + cells[j * k + m];
    return sum;
}

}  // namespace

SampleTables sampleTables(const ClassifiedExaminees& examinees, ExamineeSample sample) {
    const auto k = static_cast<std::size_t>(examinees.categoryCount);
    SampleTables t;
    t.trueByObserved.assign(k * k, 0.0);
    t.consistencyTable.assign(k * k, 0.0);
    for (std::uint32_t i : sample) {
        const double* p = examinees.probabilities(i);
        const auto truth = static_cast<std::size_t>(examinees.trueCategory[i] - 1);
        for (std::size_t m = 0; m < k; ++m) {
            double& cell = t.trueByObserved[truth * k + m];
            cell = cell + p[m];
            for (std::size_t j = 0; j < k; ++j) {
                double& agreement = t.consistencyTable[j * k + m];
                agreement = agreement + p[j] * p[m];
            }
        }
    }
    const double count = static_cast<double>(sample.size());
    for (double& cell : t.trueByObserved) cell = cell / count;
    for (double& cell : t.consistencyTable) cell = cell / count;
    return t;
}

std::vector<CutDiagnostics> cutDiagnostics(const ClassifiedExaminees& examinees,
                                           ExamineeSample sample) {
    const auto categories = static_cast<std::size_t>(examinees.categoryCount);
    const std::size_t cuts = categories > 0 ? categories - 1 : 0;
    struct Sums {
        double truePositive = 0.0, trueNegative = 0.0, above = 0.0, below = 0.0;
        std::int64_t positives = 0, negatives = 0;
    };
    std::vector<Sums> sums(cuts);
    for (std::uint32_t i : sample) {
        const double* p = examinees.probabilities(i);
        const std::int32_t t = examinees.trueCategory[i];
        for (std::size_t c = 1; c <= cuts; ++c) {
            double below = 0.0;
            for (std::size_t k = 0; k < c; ++k) below = below + p[k];
            double above = 0.0;
            for (std::size_t k = c; k < categories; ++k) above = above + p[k];
            Sums& s = sums[c - 1];
            if (t > static_cast<std::int32_t>(c)) {
                s.truePositive = s.truePositive + above;
                ++s.positives;
            } else {
                s.trueNegative = s.trueNegative + below;
                ++s.negatives;
            }
            s.above = s.above + above;
            s.below = s.below + below;
        }
    }
    std::vector<CutDiagnostics> result(cuts);
    for (std::size_t c = 0; c < cuts; ++c) {
        const Sums& s = sums[c];
        CutDiagnostics& r = result[c];
        r.sensitivity = ratio(s.truePositive, static_cast<double>(s.positives));
        r.specificity = ratio(s.trueNegative, static_cast<double>(s.negatives));
        r.ppv = ratio(s.truePositive, s.above);
        r.npv = ratio(s.trueNegative, s.below);
        r.youden = r.sensitivity + r.specificity - 1.0;
    }
    return result;
}

std::vector<CategoryDiagnostics> categoryDiagnostics(const ClassifiedExaminees& examinees,
                                                     ExamineeSample sample) {
    const auto categories = static_cast<std::size_t>(examinees.categoryCount);
    std::vector<double> hits(categories, 0.0), assigned(categories, 0.0);
    std::vector<std::int64_t> members(categories, 0);
    for (std::uint32_t i : sample) {
        const double* p = examinees.probabilities(i);
        const auto truth = static_cast<std::size_t>(examinees.trueCategory[i] - 1);
        hits[truth] = hits[truth] + p[truth];
        ++members[truth];
        for (std::size_t k = 0; k < categories; ++k) assigned[k] = assigned[k] + p[k];
    }
    std::vector<CategoryDiagnostics> result(categories);
    for (std::size_t k = 0; k < categories; ++k) {
        result[k].sensitivity = ratio(hits[k], static_cast<double>(members[k]));
        result[k].ppv = ratio(hits[k], assigned[k]);
    }
    return result;
}

Agreement agreementOf(const SampleTables& tables, std::size_t categories, double kappa) {
    Agreement a;
    if (categories < 3) {
        a.weightedKappaLinear = kappa;
        a.weightedKappaQuadratic = kappa;
        a.consistencyWithinOne = kNaN;
        a.accuracyWithinOne = kNaN;
        return a;
    }
    a.weightedKappaLinear = weightedKappa(tables.consistencyTable, categories, false);
    a.weightedKappaQuadratic = weightedKappa(tables.consistencyTable, categories, true);
    a.consistencyWithinOne = withinOne(tables.consistencyTable, categories);
    a.accuracyWithinOne = withinOne(tables.trueByObserved, categories);
    return a;
}

PrecisionIndices precisionIndices(const ClassifiedExaminees& examinees, ExamineeSample sample,
                                  const SampleTables& tables, double kappa) {
    return {cutDiagnostics(examinees, sample), categoryDiagnostics(examinees, sample),
            agreementOf(tables, static_cast<std::size_t>(examinees.categoryCount), kappa)};
}

}  // namespace tl
