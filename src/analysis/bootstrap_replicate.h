#pragma once

#include <optional>
#include <vector>

#include "analysis/analysis_state.h"
#include "classify/classification_indices.h"
#include "classify/cut_sweep.h"
#include "classify/group_results.h"
#include "classify/precision_indices.h"

namespace tl {

// A replicate's overall indices and those of each cut c = 1 .. K-1, its
// diagnostic and agreement indices, and the reliability of its first pass.
struct ReplicateIndices {
    IndexSet overall;
    std::vector<IndexSet> cuts;
    PrecisionIndices precision;
    double reliability = 0.0;
    std::vector<GroupIndices> groups;  // per grouping level; empty: all undefined
    double scaleReliability = 0.0;     // with scale scores (sampleScaleReliability)
    bool modelFellBack = false;        // the beta-binomial fitted fewer parameters than 4
    // The sample's sweep, when the run swept and its replicates can: from the
    // run's kept tails, or from a bias-corrected sample's own distributions.
    std::optional<CutSweep> sweep;
};

// Every index of a run recomputed from scratch on a sample of its examinees
// (indices into the run's examinees, repeats allowed), as the run would have
// computed it had the sample been its data, in sample order.
//
// Without bias correction an examinee's category probabilities and true
// category do not depend on the other examinees: the run's own are averaged
// over the sample. With it, the sample has its own reliability (over the
// examinees' first-pass composite error variances and observed composites), its
// own mean proportions and hence its own corrected proportions, distributions,
// corrected composites and true categories, recomputed as in the run's second
// pass: identical proportions share one profile, identical profile tuples one
// composite distribution. Its distributions are computed as `state.replicates`
// says, so that they may differ from the run's by rounding (see ReplicateEngine).
// A sample whose reliability is negative or NaN, where
// the correction has no result, gets NaN for every index.
//
// Runs on the calling thread alone; `state` must outlive the calls.
ReplicateIndices replicateIndices(const AnalysisState& state, ExamineeSample sample);

}  // namespace tl
