#include "classify/group_results.h"

#include <limits>

#include "classify/bootstrap_spread.h"
#include "classify/classification.h"
#include "classify/precision_fields.h"
#include "model/parallel_for.h"

namespace tl {

namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

GroupIndices indicesOver(const ClassifiedExaminees& examinees, ExamineeSample sample,
                         SampleTables* tables) {
    GroupIndices g;
    g.overall = overallIndices(examinees, sample);
    g.cuts = cutIndices(examinees, sample);
    g.cutDiagnostics = precisionIndices(examinees, sample, g.overall.kappa, tables).cuts;
    return g;
}

// Per level of `variable`, the entries of `sample` whose examinee is in it, in
// sample order.
std::vector<std::vector<std::uint32_t>> levelSamples(const GroupingVariable& variable,
                                                     ExamineeSample sample, ExamineeSample origin) {
    // Counted first, so that each list is allocated once.
    std::vector<std::size_t> counts(variable.levels.size(), 0);
    for (std::uint32_t i : origin) ++counts[variable.levelOf[i]];
    std::vector<std::vector<std::uint32_t>> members(variable.levels.size());
    for (std::size_t l = 0; l < members.size(); ++l) members[l].reserve(counts[l]);
    for (std::size_t j = 0; j < sample.size(); ++j)
        members[variable.levelOf[origin[j]]].push_back(sample[j]);
    return members;
}

}  // namespace

std::vector<GroupLevel> groupLevels(const ClassifiedExaminees& examinees,
                                    std::span<const std::int32_t> observedCategory,
                                    const ExamineeGroups& groups, unsigned threads) {
    const auto k = static_cast<std::size_t>(examinees.categoryCount);
    const std::vector<std::uint32_t> everyone = wholeSample(examinees.size());
    std::vector<GroupLevel> levels;
    std::vector<std::vector<std::uint32_t>> members;
    for (const GroupingVariable& variable : groups.variables) {
        auto samples = levelSamples(variable, everyone, everyone);
        for (std::size_t l = 0; l < samples.size(); ++l) {
            GroupLevel& g = levels.emplace_back();
            g.variable = variable.name;
            g.level = variable.levels[l];
            members.push_back(std::move(samples[l]));
        }
    }
    // Each level alone into its own slot: any thread count gives the same bits.
    parallelFor(levels.size(), threads, [&](std::size_t begin, std::size_t end, unsigned) {
        for (std::size_t l = begin; l < end; ++l) {
            GroupLevel& level = levels[l];
            level.examinees = static_cast<std::int64_t>(members[l].size());
            level.small = level.examinees < groups.minGroup;
            SampleTables tables;
            level.indices = indicesOver(examinees, members[l], &tables);
            level.trueByObserved = std::move(tables.trueByObserved);
            level.observedCounts.assign(k, 0);
            level.trueCounts.assign(k, 0);
            for (std::uint32_t i : members[l]) {
                ++level.observedCounts[static_cast<std::size_t>(observedCategory[i] - 1)];
                ++level.trueCounts[static_cast<std::size_t>(examinees.trueCategory[i] - 1)];
            }
        }
    });
    return levels;
}

GroupIndices undefinedGroupIndices(std::size_t cuts) {
    const IndexSet undefined{kNaN, kNaN, kNaN, kNaN, kNaN, kNaN};
    return {undefined, std::vector<IndexSet>(cuts, undefined),
            std::vector<CutDiagnostics>(cuts, {kNaN, kNaN, kNaN, kNaN, kNaN})};
}

std::vector<GroupIndices> groupSampleIndices(const ClassifiedExaminees& examinees,
                                             ExamineeSample sample, ExamineeSample origin,
                                             const ExamineeGroups& groups) {
    const std::size_t cuts = static_cast<std::size_t>(examinees.categoryCount) - 1;
    std::vector<GroupIndices> result;
    for (const GroupingVariable& variable : groups.variables) {
        for (const std::vector<std::uint32_t>& members : levelSamples(variable, sample, origin)) {
            result.push_back(members.empty() ? undefinedGroupIndices(cuts)
                                             : indicesOver(examinees, members, nullptr));
        }
    }
    return result;
}

std::vector<GroupLevelSpread> groupSpreads(std::span<const std::vector<GroupIndices>> replicates,
                                           std::size_t levels) {
    std::vector<GroupLevelSpread> spreads(levels);
    const std::size_t count = replicates.size();
    std::vector<IndexSet> sets(count);
    std::vector<CutDiagnostics> diagnostics(count);
    for (std::size_t l = 0; l < levels; ++l) {
        GroupLevelSpread& s = spreads[l];
        for (std::size_t b = 0; b < count; ++b) sets[b] = replicates[b][l].overall;
        s.overall = spreadOf(std::span<const IndexSet>(sets));
        const std::size_t cuts = count > 0 ? replicates[0][l].cuts.size() : 0;
        for (std::size_t c = 0; c < cuts; ++c) {
            for (std::size_t b = 0; b < count; ++b) {
                sets[b] = replicates[b][l].cuts[c];
                diagnostics[b] = replicates[b][l].cutDiagnostics[c];
            }
            s.cuts.push_back(spreadOf(std::span<const IndexSet>(sets)));
            s.cutDiagnostics.push_back(
                spreadOf(std::span<const CutDiagnostics>(diagnostics), kCutDiagnosticsFields));
        }
    }
    return spreads;
}

}  // namespace tl
