#include "plan/run_plan.h"

#include <string>
#include <vector>

#include "core/errors.h"
#include "plan/card_checks.h"
#include "plan/memory_estimate.h"
#include "plan/score_ranges.h"
#include "platform/hardware_threads.h"

namespace tl {

namespace {

void checkBootstrapReplicates(std::int64_t replicates) {
    if (replicates == 0 || replicates >= kMinBootstrapReplicates) return;
    Finding finding;
    finding.code = FindingCode::OptionInvalid;
    finding.key = "options.bootstrap";
    finding.value = std::to_string(replicates);
    finding.text = "the bootstrap needs at least " + std::to_string(kMinBootstrapReplicates) +
                   " replicates (or 0 for none), not " + finding.value;
    throw InputError(std::move(finding));
}

}  // namespace

ScaledCard scaleCard(const ControlCard& card, ScoreScales scales,
                     const std::optional<ScaleRequest>& request) {
    ScaledCard scaled{card, std::move(scales), std::nullopt};
    if (request) {
        scaled.scale = planScale(*request, card, scaled.scales.composite);
        scaled.card = withRawCuts(card, *scaled.scale);
    }
    return scaled;
}

RunPlan planRun(const ControlCard& card, const AnalysisOptions& options) {
    return planRun(scaleCard(card, deriveScoreScales(card), options.scale), options);
}

RunPlan planRun(ScaledCard scaled, const AnalysisOptions& options) {
    RunPlan plan;
    plan.card = std::move(scaled.card);
    plan.scales = std::move(scaled.scales);
    plan.scale = std::move(scaled.scale);
    const ControlCard& card = plan.card;
    checkCutScores(card, plan.scales.composite);
    refuseUnworkableCard(card, plan.scales, options.engine);
    checkBootstrapReplicates(options.bootstrapReplicates);

    plan.options = options;
    if (plan.options.threads == 0) plan.options.threads = hardwareThreads();
    plan.engine = planEngine(card, plan.scales, options.engine);
    const CompositeRows rows = compositeRows(card, plan.scales);
    if (plan.engine.convolveComposite) {
        plan.composite.convolution.emplace(rows.rows);
    } else {
        const CompositeScale& scale = plan.scales.composite;
        const CompositeTable table(rows.rows, scale.minComposite, scale.compositeScores.size());
        if (table.made()) plan.composite.table = table;
    }
    plan.biasCorrection = card.biasCorrection == 1;
    plan.categoryCount = card.categoryCount;
    const auto sets = static_cast<std::int64_t>(card.itemSets.size());
    plan.progressSteps = sets * (plan.biasCorrection ? 2 : 1) + 1;
    // The replicate count alone can ask for more than any machine has:
    // refused here, before any data is read.
    refuseUnaffordableRun(plan, WorkSize{});
    return plan;
}

}  // namespace tl
