#include "analysis/bootstrap.h"

#include <algorithm>
#include <atomic>
#include <limits>
#include <vector>

#include "analysis/bootstrap_replicate.h"
#include "classify/bootstrap_draws.h"
#include "classify/bootstrap_spread.h"
#include "classify/model_comparison.h"
#include "classify/precision_fields.h"
#include "model/parallel_for.h"
#include "plan/memory_estimate.h"

namespace tl {

namespace {

// Samples are drawn a batch at a time, so memory stays near
// kBootstrapBatchDraws examinee indices however large B N is, with enough
// replicates per batch to keep every thread busy.
std::size_t batchSize(std::size_t examinees, unsigned threads, std::int64_t replicates) {
    const std::size_t byMemory = std::max<std::size_t>(1, kBootstrapBatchDraws / examinees);
    const std::size_t wanted = std::max<std::size_t>(byMemory, 4 * std::size_t{threads});
    return std::min(wanted, static_cast<std::size_t>(replicates));
}

// The spreads of the diagnostic and agreement indices and of the reliability,
// each index in replicate order.
void summarizePrecision(std::span<const PrecisionIndices> replicates,
                        std::span<const double> reliability, BootstrapSummary& summary) {
    const std::size_t cuts = summary.cuts.size();
    std::vector<CutDiagnostics> cut(replicates.size());
    for (std::size_t c = 0; c < cuts; ++c) {
        for (std::size_t b = 0; b < replicates.size(); ++b) cut[b] = replicates[b].cuts[c];
        summary.cutDiagnostics.push_back(
            spreadOf(std::span<const CutDiagnostics>(cut), kCutDiagnosticsFields));
    }
    std::vector<CategoryDiagnostics> category(replicates.size());
    for (std::size_t k = 0; k <= cuts; ++k) {
        for (std::size_t b = 0; b < replicates.size(); ++b)
            category[b] = replicates[b].categories[k];
        summary.categories.push_back(
            spreadOf(std::span<const CategoryDiagnostics>(category), kCategoryDiagnosticsFields));
    }
    std::vector<Agreement> agreement(replicates.size());
    for (std::size_t b = 0; b < replicates.size(); ++b) agreement[b] = replicates[b].agreement;
    summary.agreement = spreadOf(std::span<const Agreement>(agreement), kAgreementFields);
    summary.reliability = spreadOf(reliability);
}

// The spreads of the replicates' sweeps; a replicate without one (its
// correction undefined) is undefined throughout.
SweepSpread sweepSpread(const CutSweep& run, std::span<const std::optional<CutSweep>> replicates) {
    constexpr double nan = std::numeric_limits<double>::quiet_NaN();
    const std::size_t total = replicates.size();
    SweepSpread spread;
    std::vector<IndexSet> indices(total);
    std::vector<CutDiagnostics> diagnostics(total);
    std::vector<double> values(total);
    for (std::size_t r = 0; r < run.rows.size(); ++r) {
        for (std::size_t b = 0; b < total; ++b) {
            const bool has = replicates[b] && r < replicates[b]->rows.size();
            indices[b] =
                has ? replicates[b]->rows[r].indices : IndexSet{nan, nan, nan, nan, nan, nan};
            diagnostics[b] =
                has ? replicates[b]->rows[r].diagnostics : CutDiagnostics{nan, nan, nan, nan, nan};
            values[b] = has ? replicates[b]->rows[r].shareAbove : nan;
        }
        spread.rows.push_back(
            {spreadOf(std::span<const IndexSet>(indices)),
             spreadOf(std::span<const CutDiagnostics>(diagnostics), kCutDiagnosticsFields),
             spreadOf(std::span<const double>(values))});
    }
    const auto over = [&](const auto& of) {
        for (std::size_t b = 0; b < total; ++b)
            values[b] = replicates[b] ? of(*replicates[b]) : nan;
        return spreadOf(std::span<const double>(values));
    };
    spread.bestYoudenCut = over([](const CutSweep& s) { return sweepCutOf(s, s.bestYouden); });
    spread.bestAccuracyCut = over([](const CutSweep& s) { return sweepCutOf(s, s.bestAccuracy); });
    spread.auc = over([](const CutSweep& s) { return s.auc; });
    for (std::size_t t = 0; t < run.targets.size(); ++t) {
        spread.targetCuts.push_back(over([t](const CutSweep& s) {
            return t < s.targets.size() ? sweepCutOf(s, s.targets[t].row) : nan;
        }));
    }
    return spread;
}

}  // namespace

BootstrapSummary bootstrapIndices(const AnalysisState& state, const BootstrapProgress& progress) {
    const std::int64_t replicates = state.plan.options.bootstrapReplicates;
    const std::uint64_t seed = state.plan.options.seed;
    const unsigned threads = state.model.threads;
    const Results& run = state.results;
    const auto n = static_cast<std::uint32_t>(run.examineeCount);
    const auto total = static_cast<std::size_t>(replicates);
    const std::size_t cuts = static_cast<std::size_t>(run.card.categoryCount) - 1;

    std::vector<IndexSet> overall(total);
    std::vector<std::vector<IndexSet>> perCut(cuts, std::vector<IndexSet>(total));
    std::vector<PrecisionIndices> precision(total);
    std::vector<double> reliability(total);
    const std::size_t levels = run.groups.size();
    std::vector<std::vector<GroupIndices>> groups(levels > 0 ? total : 0);
    std::vector<double> scaleReliability(total);
    std::vector<std::optional<CutSweep>> sweeps(run.sweep ? total : 0);

    // Only the calling thread (worker 0) asks the caller; the workers see its
    // answer before each replicate they start.
    std::atomic<std::int64_t> done{0};
    std::atomic<std::int64_t> fellBack{0};
    std::atomic<bool> stopped{false};
    auto ask = [&] {
        if (progress && progress(done.load(), replicates) == BootstrapStep::Stop) stopped = true;
    };
    ask();

    ExamineeDraws draws(seed);
    const std::size_t batch = batchSize(n, threads, replicates);
    std::vector<std::vector<std::uint32_t>> samples(batch, std::vector<std::uint32_t>(n));
    for (std::size_t first = 0; first < total && !stopped; first += batch) {
        const std::size_t count = std::min(batch, total - first);
        for (std::size_t b = 0; b < count; ++b) draws.drawSample(n, samples[b]);
        parallelFor(count, threads, [&](std::size_t begin, std::size_t end, unsigned worker) {
            for (std::size_t b = begin; b < end && !stopped; ++b) {
                ReplicateIndices indices = replicateIndices(state, samples[b]);
                overall[first + b] = indices.overall;
                for (std::size_t c = 0; c < cuts; ++c) perCut[c][first + b] = indices.cuts[c];
                precision[first + b] = indices.precision;
                reliability[first + b] = indices.reliability;
                if (levels > 0) {
                    groups[first + b] =
                        indices.groups.empty()
                            ? std::vector<GroupIndices>(levels, undefinedGroupIndices(cuts))
                            : indices.groups;
                }
                scaleReliability[first + b] = indices.scaleReliability;
                if (run.sweep) sweeps[first + b] = std::move(indices.sweep);
                if (indices.modelFellBack) ++fellBack;
                ++done;
                if (worker == 0) ask();
            }
        });
        if (!stopped) ask();
    }
    if (stopped) throw BootstrapStopped();

    BootstrapSummary summary;
    summary.replicates = replicates;
    summary.modelFallbacks = fellBack.load();
    summary.seed = seed;
    summary.overall = spreadOf(std::span<const IndexSet>(overall));
    for (const std::vector<IndexSet>& values : perCut) {
        summary.cuts.push_back(spreadOf(std::span<const IndexSet>(values)));
    }
    summarizePrecision(precision, reliability, summary);
    if (levels > 0) summary.groups = groupSpreads(groups, levels);
    if (run.scale) summary.scaleReliability = spreadOf(scaleReliability);
    // Replicates sweep where the run kept its groups' tails or finds each
    // sample's distributions anew (bias correction).
    const bool swept = std::any_of(sweeps.begin(), sweeps.end(),
                                   [](const std::optional<CutSweep>& s) { return s.has_value(); });
    if (run.sweep && swept) summary.sweep = sweepSpread(*run.sweep, sweeps);
    if (state.plan.options.keepReplicates) {
        for (std::size_t b = 0; b < total; ++b) {
            std::vector<IndexSet> cutsOf(cuts);
            for (std::size_t c = 0; c < cuts; ++c) cutsOf[c] = perCut[c][b];
            summary.comparedReplicates.push_back(
                comparedValues(reliability[b], overall[b], cutsOf, precision[b].agreement));
        }
    }
    return summary;
}

}  // namespace tl
