#include "plan/analysis_checks.h"

#include <string>

#include "core/errors.h"
#include "core/number_field.h"
#include "core/one_line.h"
#include "plan/card_checks.h"
#include "plan/scale_plan.h"
#include "plan/score_ranges.h"

namespace tl {

namespace {}  // namespace

void checkAnalysisScales(const AnalysisFile& file) {
    ScoreScales scales;
    try {
        scales = deriveScoreScales(file.card);
    } catch (const DetectedError& error) {
        throw analysisRefusal(file, error);
    }
    const CompositeScale& composite = scales.composite;
    if (file.scale) {
        // The table against the composite scores, and cuts on the scale to raw
        // ones, which then lie on the composite scale.
        const ScalePlan plan = planScale(ScaleRequest{file.scale->table, file.scale->cutsOnScale},
                                         file.card, composite);
        if (plan.cutsOnScale) return;
    }
    for (double cut : file.card.observedCuts) {
        if (cut < composite.minComposite || cut > composite.maxComposite) {
            throw file.error("classification.observed_cuts",
                             "the cut score " + messageNumber(cut) +
                                 " lies outside the composite score range " +
                                 std::to_string(composite.minComposite) + " to " +
                                 std::to_string(composite.maxComposite));
        }
    }
}

InputError analysisRefusal(const AnalysisFile& file, const DetectedError& error) {
    return file.error("", error.reason(), error.code);
}

void refuseUnsafeAnalysisOutput(const AnalysisFile& file) {
    if (!file.reportPath) return;
    ControlCard opened = file.card;
    opened.outputFile = *file.reportPath;
    for (std::size_t s = 0; s < opened.itemSets.size(); ++s) {
        opened.itemSets[s].dataFile = file.table ? file.table->source.path : file.dataPaths.at(s);
    }
    try {
        refuseUnsafeOutput(opened, file.path);
    } catch (const DetectedError& error) {
        throw file.error("output.report", error.reason(), FindingCode::OutputUnsafe);
    }
}

}  // namespace tl
