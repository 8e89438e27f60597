#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "classify/bootstrap_summary.h"
#include "classify/classification_indices.h"
#include "classify/precision_indices.h"
#include "core/examinee_groups.h"

namespace tl {

// A level's indices over a sample: the overall indices, those of each cut and
// each cut's diagnostics, by the whole sample's definitions (overallIndices,
// cutIndices, precisionIndices) over the level's examinees alone.
struct GroupIndices {
    IndexSet overall;
    std::vector<IndexSet> cuts;                  // c = 1 .. K-1
    std::vector<CutDiagnostics> cutDiagnostics;  // c = 1 .. K-1
};

// The results of one level of one grouping variable. The model is everyone's
// (fitted once on all examinees); each index is the run's per-examinee
// quantities averaged over the level's examinees I_l, summed in record order,
// so chance agreement and kappa come from the level's mean P(i, k).
struct GroupLevel {
    std::string variable;  // the grouping column
    std::string level;     // its value, value label, or "(missing)"
    std::int64_t examinees = 0;
    bool small = false;  // fewer examinees than ExamineeGroups::minGroup
    GroupIndices indices;
    // Examinees per category: of the observed composite on the observed cuts,
    // and of the true category.
    std::vector<std::int64_t> observedCounts;
    std::vector<std::int64_t> trueCounts;
    // [t][k] = (1/N_l) sum over the level's examinees with true category t of
    // P(i, k), row-major: proportions of the level.
    std::vector<double> trueByObserved;
};

// Every level of every grouping variable, variable by variable in the order
// asked, levels in their order, with each examinee's `observedCategory` as the
// whole sample's tables count it.
// The levels are computed side by side on `threads` threads, each alone, so
// the thread count changes no bit.
std::vector<GroupLevel> groupLevels(const ClassifiedExaminees& examinees,
                                    std::span<const std::int32_t> observedCategory,
                                    const ExamineeGroups& groups, unsigned threads = 1);

// The levels' indices over a bootstrap replicate, in the order of groupLevels.
// Entry j of `sample` (an examinee of `examinees`) stands for the run's
// examinee origin[j], whose levels it takes; a level's sample is the entries of
// its examinees in sample order. A level none of whose examinees was drawn is
// undefined: every index NaN.
std::vector<GroupIndices> groupSampleIndices(const ClassifiedExaminees& examinees,
                                             ExamineeSample sample, ExamineeSample origin,
                                             const ExamineeGroups& groups);

// Every index NaN: a replicate with no result for a level.
GroupIndices undefinedGroupIndices(std::size_t cuts);

// Each level's spreads over the replicates (replicates[b][level], in replicate
// order); NaN values count as undefined.
std::vector<GroupLevelSpread> groupSpreads(std::span<const std::vector<GroupIndices>> replicates,
                                           std::size_t levels);

}  // namespace tl
