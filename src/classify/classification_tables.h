#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "classify/classification.h"
#include "classify/classification_indices.h"
#include "classify/csem.h"
#include "classify/precision_indices.h"

namespace tl {

// The observed composite scores over the examinees (divisor N for the variance,
// the very value of the report's sample variance).
struct CompositeSummary {
    double mean = 0.0;
    double variance = 0.0;
    double sd = 0.0;
    double min = 0.0;
    double max = 0.0;
};

// The examinees who share one exact observed composite score.
struct ConditionalRow {
    double score = 0.0;
    std::int32_t examinees = 0;
    double consistency = 0.0;           // mean phi_i
    double accuracy = 0.0;              // mean gamma_i
    std::vector<double> probabilities;  // mean P(i, k), k = 1 .. K
    double falsePositive = 0.0;         // mean conditional false positive rate
    double falseNegative = 0.0;         // mean conditional false negative rate
    double errorVariance = 0.0;         // mean composite error variance
    double csem = 0.0;                  // its square root
};

// The sums of a K x K table: each row over its columns, each column over its
// rows (both in ascending category order), and all cells (row totals added in
// ascending order). Kept with the table so that every output shows the same
// margins.
struct TableMargins {
    std::vector<double> rows;
    std::vector<double> columns;
    double total = 0.0;
};

// The tables a technical report shows beside the overall indices. K x K tables
// are row-major. Means are over the N examinees, sums in record order.
struct ClassificationTables {
    std::vector<IndexSet> cuts;  // c = 1 .. K-1
    // Examinees per category: of the observed composite on the observed cuts,
    // and of the true category.
    std::vector<std::int64_t> observedCounts;
    std::vector<std::int64_t> trueCounts;
    // [t][k] = (1/N) sum over examinees with true category t of P(i, k): the
    // diagonal adds up to the accuracy, above it the false positive rate,
    // below it the false negative rate.
    std::vector<double> trueByObserved;
    // [j][k] = (1/N) sum of P(i, j) P(i, k): the trace is the consistency.
    std::vector<double> consistencyTable;
    TableMargins trueByObservedMargins;
    TableMargins consistencyMargins;
    std::vector<ConditionalRow> conditional;  // ascending score
    CompositeSummary composite;

    // CSEM by observed composite (the conditional rows' scores), at each
    // observed cut, and of each examinee in record order.
    std::vector<CsemRow> csem;
    std::vector<double> cutCsem;
    std::vector<double> examineeCsem;
    // Diagnostic statistics per cut and per category, and the agreement that
    // credits near misses, over every examinee in record order.
    PrecisionIndices precision;
};

TableMargins tableMargins(std::span<const double> cells, std::size_t categories);

ClassificationTables tabulateClassification(const ClassifiedExaminees& examinees,
                                            const Classification& classification,
                                            std::span<const double> observedComposite,
                                            std::span<const std::int32_t> observedCategory,
                                            std::span<const double> observedCuts,
                                            std::span<const double> compositeErrorVariance,
                                            double sampleVariance);

}  // namespace tl
