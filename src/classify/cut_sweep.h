#pragma once

#include <cstddef>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "classify/classification_indices.h"
#include "classify/distribution_tally.h"
#include "classify/precision_indices.h"
#include "core/sweep_options.h"

namespace tl {

// One cut of the sweep: every possible cut on the composite score list taken
// as the only cut, the true cut equal to it (or fixed), with the indices a run
// with that one cut gives (to within a few ulps: the upper tails are summed
// from the top) and the share of examinees whose observed composite is at or
// above it.
struct SweepRow {
    double cut = 0.0;
    IndexSet indices;
    CutDiagnostics diagnostics;
    double shareAbove = 0.0;
};

// A target a cut should reach ("sensitivity" 0.9, say) and the lowest cut of
// the sweep that reaches it (none when no cut does).
struct SweepTarget {
    std::string index;  // "sensitivity", "specificity", "ppv" or "npv"
    double value = 0.0;
    std::optional<std::size_t> row;
};

// A point of the ROC curve: 1 - specificity and sensitivity.
struct RocPoint {
    double falsePositiveRate = 0.0;
    double sensitivity = 0.0;
};

struct CutSweep {
    std::vector<SweepRow> rows;  // ascending cuts
    std::optional<double> trueCut;
    // Rows maximising Youden's J and the accuracy (the lowest such cut on a
    // tie; none when every value is NaN).
    std::optional<std::size_t> bestYouden;
    std::optional<std::size_t> bestAccuracy;
    std::vector<SweepTarget> targets;
    // The ROC curve from (0, 0) to (1, 1) through every cut's point, in
    // ascending order of both coordinates, and its area by the trapezoid rule.
    std::vector<RocPoint> roc;
    double auc = 0.0;
};

// The sweep from the units' sums (DistributionTally with a sweep), the
// composite score list they were summed on, the number of units (the
// indices' divisor, as a run's), and the examinees' observed composites.
CutSweep sweepCuts(const DistributionSums& sums, std::span<const double> compositeScores,
                   double unitCount, std::span<const double> examineeComposites,
                   const SweepOptions& request);

// The cut of a sweep's row, or NaN for none.
double sweepCutOf(const CutSweep& sweep, const std::optional<std::size_t>& row);

// The value of `index` ("sensitivity", "specificity", "ppv", "npv") in a row.
double targetValue(const SweepRow& row, const std::string& index);

}  // namespace tl
