#include "plan/run_plan.h"

#include <string>
#include <vector>

#include "core/errors.h"
#include "model/parallel_for.h"
#include "plan/card_checks.h"
#include "plan/score_ranges.h"

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

RunPlan planRun(const ControlCard& given, const AnalysisOptions& options) {
    RunPlan plan;
    plan.scales = deriveScoreScales(given);
    if (options.scale) plan.scale = planScale(*options.scale, given, plan.scales.composite);
    const ControlCard card = plan.scale ? withRawCuts(given, *plan.scale) : given;
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
    const auto sets = static_cast<std::int64_t>(card.itemSets.size());
    plan.progressSteps = sets * (plan.biasCorrection ? 2 : 1) + 1;
    return plan;
}

}  // namespace tl
