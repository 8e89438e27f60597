#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "classify/classification_indices.h"

namespace tl {

// How well each cut sorts examinees whose true category is above it
// ("positive") from those at or below it. below_i and above_i are summed from
// P(i, k) as for the per-cut indices.
//   sensitivity = sum over t_i > c of above_i / #{t_i > c}
//   specificity = sum over t_i <= c of below_i / #{t_i <= c}
//   ppv = sum over t_i > c of above_i / sum of above_i
//   npv = sum over t_i <= c of below_i / sum of below_i
//   youden = sensitivity + specificity - 1
// A zero denominator gives NaN (undefined).
struct CutDiagnostics {
    double sensitivity = 0.0;
    double specificity = 0.0;
    double ppv = 0.0;
    double npv = 0.0;
    double youden = 0.0;
};

// Per category k: sensitivity_k = sum over t_i = k of P(i, k) / #{t_i = k};
// ppv_k = the same sum / sum of P(i, k) over all examinees.
struct CategoryDiagnostics {
    double sensitivity = 0.0;
    double ppv = 0.0;
};

// Agreement that credits near misses. C is the consistency table, m its row
// margins; kappa_w = 1 - sum w_jk C_jk / sum w_jk m_j m_k with w = |j - k|
// (linear) or (j - k)^2 (quadratic), both sums row-major. With two categories
// both are the kappa of the overall indices, and the within-one shares (every
// cell of a 2 x 2 table is within one) are NaN: they say nothing there.
struct Agreement {
    double weightedKappaLinear = 0.0;
    double weightedKappaQuadratic = 0.0;
    double consistencyWithinOne = 0.0;  // sum of C_jk with |j - k| <= 1
    double accuracyWithinOne = 0.0;     // sum of true_by_observed[t][k] with |t - k| <= 1
};

// The two K x K tables over a sample, row-major, each cell a sum in sample
// order divided by the sample's size:
//   trueByObserved[t][k]   = mean of (t_i = t) P(i, k)
//   consistencyTable[j][k] = mean of P(i, j) P(i, k)
struct SampleTables {
    std::vector<double> trueByObserved;
    std::vector<double> consistencyTable;
};

// Every index above over one sample: what a bootstrap replicate recomputes.
struct PrecisionIndices {
    std::vector<CutDiagnostics> cuts;  // c = 1 .. K-1
    std::vector<CategoryDiagnostics> categories;
    Agreement agreement;
};

// All of them in one pass over the sample (each sum in sample order). `kappa`
// is the overall kappa of the same sample, the answer with K = 2. With
// `tables` the two K x K tables the agreement is formed from are kept there.
PrecisionIndices precisionIndices(const ClassifiedExaminees& examinees, ExamineeSample sample,
                                  double kappa, SampleTables* tables = nullptr);

}  // namespace tl
