#include "classify/classification_tables.h"

#include <algorithm>
#include <cmath>
#include <numeric>

namespace tl {

namespace {

CompositeSummary summarize(std::span<const double> composite, double sampleVariance) {
    CompositeSummary s;
    if (composite.empty()) return s;
    double sum = 0.0;
    for (double v : composite) sum = sum + v;
    s.mean = sum / static_cast<double>(composite.size());
    s.variance = sampleVariance;
    s.sd = std::sqrt(sampleVariance);
    const auto [lo, hi] = std::minmax_element(composite.begin(), composite.end());
    s.min = *lo;
    s.max = *hi;
    return s;
}

// `csem` has one row per distinct score of `composite`, ascending: the rows
// take its error variance and CSEM.
std::vector<ConditionalRow> conditionalRows(const ClassifiedExaminees& examinees,
                                            const Classification& c,
                                            std::span<const double> composite,
                                            std::span<const std::uint32_t> order,
                                            std::span<const CsemRow> csem) {
    const auto categories = static_cast<std::size_t>(examinees.categoryCount);
    std::vector<ConditionalRow> rows;
    for (std::size_t begin = 0; begin < order.size();) {
        std::size_t end = begin;
        // Exact equality of the doubles; -0 and 0 are one score.
        while (end < order.size() && composite[order[end]] == composite[order[begin]]) ++end;
        ConditionalRow row;
        row.score = composite[order[begin]];
        row.examinees = static_cast<std::int32_t>(end - begin);
        row.probabilities.assign(categories, 0.0);
        double phi = 0.0, gamma = 0.0, positive = 0.0, negative = 0.0;
        for (std::size_t j = begin; j < end; ++j) {
            const std::uint32_t i = order[j];
            phi = phi + c.conditionalConsistency[i];
            gamma = gamma + c.conditionalAccuracy[i];
            positive = positive + c.conditionalFalsePositive[i];
            negative = negative + c.conditionalFalseNegative[i];
            const double* p = examinees.probabilities(i);
            for (std::size_t k = 0; k < categories; ++k)
                row.probabilities[k] = row.probabilities[k] + p[k];
        }
        const double count = static_cast<double>(row.examinees);
        row.consistency = phi / count;
        row.accuracy = gamma / count;
        row.falsePositive = positive / count;
        row.falseNegative = negative / count;
        for (double& p : row.probabilities) p = p / count;
        const CsemRow& precision = csem[rows.size()];
        row.errorVariance = precision.errorVariance;
        row.csem = precision.csem;
        rows.push_back(std::move(row));
        begin = end;
    }
    return rows;
}

}  // namespace

TableMargins tableMargins(std::span<const double> cells, std::size_t categories) {
    TableMargins m;
    m.rows.assign(categories, 0.0);
    m.columns.assign(categories, 0.0);
    for (std::size_t r = 0; r < categories; ++r) {
        for (std::size_t c = 0; c < categories; ++c) {
            m.rows[r] = m.rows[r] + cells[r * categories + c];
            m.columns[c] = m.columns[c] + cells[r * categories + c];
        }
    }
    for (double row : m.rows) m.total = m.total + row;
    return m;
}

ClassificationTables tabulateClassification(const ClassifiedExaminees& examinees,
                                            const Classification& classification,
                                            std::span<const double> observedComposite,
                                            std::span<const std::int32_t> observedCategory,
                                            std::span<const double> observedCuts,
                                            std::span<const double> compositeErrorVariance,
                                            double sampleVariance) {
    const auto categories = static_cast<std::size_t>(examinees.categoryCount);
    const std::size_t n = examinees.size();
    ClassificationTables t;
    t.cuts = cutIndices(examinees, wholeSample(n));
    t.observedCounts.assign(categories, 0);
    t.trueCounts.assign(categories, 0);
    const std::vector<std::uint32_t> everyone = wholeSample(n);
    SampleTables tables;
    t.precision = precisionIndices(examinees, everyone, classification.overall.kappa, &tables);
    t.trueByObserved = std::move(tables.trueByObserved);
    t.consistencyTable = std::move(tables.consistencyTable);
    for (std::size_t i = 0; i < n; ++i) {
        ++t.observedCounts[static_cast<std::size_t>(observedCategory[i] - 1)];
        ++t.trueCounts[static_cast<std::size_t>(examinees.trueCategory[i] - 1)];
    }
    t.trueByObservedMargins = tableMargins(t.trueByObserved, categories);
    t.consistencyMargins = tableMargins(t.consistencyTable, categories);
    // Examinees in ascending score, record order kept among equal scores, so
    // each score's sums run in record order.
    const std::vector<std::uint32_t> order = ascendingScoreOrder(observedComposite);
    t.csem = csemByScore(observedComposite, compositeErrorVariance, order);
    for (double cut : observedCuts) t.cutCsem.push_back(csemAtCut(t.csem, cut));
    t.examineeCsem = squareRoots(compositeErrorVariance);
    t.conditional = conditionalRows(examinees, classification, observedComposite, order, t.csem);
    t.composite = summarize(observedComposite, sampleVariance);
    return t;
}

}  // namespace tl
