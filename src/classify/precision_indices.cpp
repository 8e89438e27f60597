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

}  // namespace

PrecisionIndices precisionIndices(const ClassifiedExaminees& examinees, ExamineeSample sample,
                                  double kappa, SampleTables* tablesOut) {
    const auto k = static_cast<std::size_t>(examinees.categoryCount);
    const std::size_t cuts = k > 0 ? k - 1 : 0;
    // The tables are needed for the agreement from three categories on.
    const bool withTables = tablesOut != nullptr || k >= 3;
    SampleTables tables;
    if (withTables) {
        tables.trueByObserved.assign(k * k, 0.0);
        tables.consistencyTable.assign(k * k, 0.0);
    }
    struct CutSums {
        double truePositive = 0.0, trueNegative = 0.0, above = 0.0, below = 0.0;
        double positives = 0.0, negatives = 0.0;  // weights of whole units: exact counts
    };
    std::vector<CutSums> cutSums(cuts);
    std::vector<double> hits(k, 0.0), assigned(k, 0.0);
    std::vector<double> members(k, 0.0);

    for (std::uint32_t i : sample) {
        const double* p = examinees.probabilities(i);
        const std::int32_t t = examinees.trueCategory[i];
        const auto truth = static_cast<std::size_t>(t - 1);
        const double w = examinees.weightOf(i);
        if (withTables) {
            // The consistency table is symmetric: its upper triangle is summed
            // and mirrored (p_j p_k and p_k p_j are the same double).
            for (std::size_t m = 0; m < k; ++m) {
                double& cell = tables.trueByObserved[truth * k + m];
                cell = cell + w * p[m];
                for (std::size_t j = 0; j <= m; ++j) {
                    double& agreement = tables.consistencyTable[j * k + m];
                    agreement = agreement + w * (p[j] * p[m]);
                }
            }
        }
        for (std::size_t c = 1; c <= cuts; ++c) {
            double below = 0.0;
            for (std::size_t m = 0; m < c; ++m) below = below + p[m];
            double above = 0.0;
            for (std::size_t m = c; m < k; ++m) above = above + p[m];
            CutSums& s = cutSums[c - 1];
            if (t > static_cast<std::int32_t>(c)) {
                s.truePositive = s.truePositive + w * above;
                s.positives = s.positives + w;
            } else {
                s.trueNegative = s.trueNegative + w * below;
                s.negatives = s.negatives + w;
            }
            s.above = s.above + w * above;
            s.below = s.below + w * below;
        }
        hits[truth] = hits[truth] + w * p[truth];
        members[truth] = members[truth] + w;
        for (std::size_t m = 0; m < k; ++m) assigned[m] = assigned[m] + w * p[m];
    }

    PrecisionIndices result;
    result.cuts.resize(cuts);
    for (std::size_t c = 0; c < cuts; ++c) {
        const CutSums& s = cutSums[c];
        CutDiagnostics& r = result.cuts[c];
        r.sensitivity = ratio(s.truePositive, s.positives);
        r.specificity = ratio(s.trueNegative, s.negatives);
        r.ppv = ratio(s.truePositive, s.above);
        r.npv = ratio(s.trueNegative, s.below);
        r.youden = r.sensitivity + r.specificity - 1.0;
    }
    result.categories.resize(k);
    for (std::size_t m = 0; m < k; ++m) {
        result.categories[m].sensitivity = ratio(hits[m], members[m]);
        result.categories[m].ppv = ratio(hits[m], assigned[m]);
    }
    if (withTables) {
        const double count = static_cast<double>(sample.size());
        for (double& cell : tables.trueByObserved) cell = cell / count;
        std::vector<double>& c = tables.consistencyTable;
        for (std::size_t m = 0; m < k; ++m) {
            for (std::size_t j = 0; j <= m; ++j) {
                c[j * k + m] = c[j * k + m] / count;
                c[m * k + j] = c[j * k + m];
            }
        }
    }
    result.agreement = agreementOf(tables, k, kappa);
    if (tablesOut) *tablesOut = std::move(tables);
    return result;
}

}  // namespace tl
