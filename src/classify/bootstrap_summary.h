#pragma once

#include <cstdint>
#include <optional>
#include <vector>

namespace tl {

// The sampling spread of one index over bootstrap replicates. Replicates where
// the index is not defined (NaN, such as kappa when chance agreement is 1) are
// left out of the standard error and the interval and counted instead.
struct IndexSpread {
    double se = 0.0;      // standard deviation of the replicate values, divisor B' - 1
    double ciLow = 0.0;   // 2.5 % percentile, linear between order statistics
    double ciHigh = 0.0;  // 97.5 % percentile
    std::int64_t replicatesUndefined = 0;
};

struct IndexSetSpread {
    IndexSpread consistency, chance, kappa, accuracy, falsePositive, falseNegative;
};

struct CutDiagnosticsSpread {
    IndexSpread sensitivity, specificity, ppv, npv, youden;
};

struct CategoryDiagnosticsSpread {
    IndexSpread sensitivity, ppv;
};

struct AgreementSpread {
    IndexSpread weightedKappaLinear, weightedKappaQuadratic, consistencyWithinOne,
        accuracyWithinOne;
};

// The spreads of one grouping level's indices (see GroupLevel), from the
// replicates of the whole sample.
struct GroupLevelSpread {
    IndexSetSpread overall;
    std::vector<IndexSetSpread> cuts;                  // c = 1 .. K-1
    std::vector<CutDiagnosticsSpread> cutDiagnostics;  // c = 1 .. K-1
};

// The spreads of a sweep's rows, row for row with CutSweep::rows, and of the
// positions of its best cuts and targets' cuts (a replicate without such a
// cut counts as undefined).
struct SweepRowSpread {
    IndexSetSpread indices;
    CutDiagnosticsSpread diagnostics;
    IndexSpread shareAbove;
};
struct SweepSpread {
    std::vector<SweepRowSpread> rows;
    IndexSpread bestYoudenCut, bestAccuracyCut, auc;
    std::vector<IndexSpread> targetCuts;  // as CutSweep::targets
};

struct BootstrapSummary {
    std::int64_t replicates = 0;
    // Replicates whose beta-binomial fit fell back to fewer parameters.
    std::int64_t modelFallbacks = 0;
    std::uint64_t seed = 1;
    IndexSetSpread overall;
    std::vector<IndexSetSpread> cuts;                   // c = 1 .. K-1
    std::vector<CutDiagnosticsSpread> cutDiagnostics;   // c = 1 .. K-1
    std::vector<CategoryDiagnosticsSpread> categories;  // k = 1 .. K
    AgreementSpread agreement;
    IndexSpread reliability;       // of the raw composite, each replicate's first pass
    IndexSpread scaleReliability;  // of the scale scores, likewise, when a run has them
    // Each grouping level's, index for index with Results::groups.
    std::vector<GroupLevelSpread> groups;
    // The sweep's, when the run swept and its replicates could.
    std::optional<SweepSpread> sweep;
    // Each replicate's values of the indices models are compared on
    // (comparedValues), when the run compares models.
    std::vector<std::vector<double>> comparedReplicates;
};

}  // namespace tl
