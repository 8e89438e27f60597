#include "plan/analysis_checks.h"

#include <string>

#include "core/errors.h"
#include "core/number_field.h"
#include "core/one_line.h"
#include "plan/card_checks.h"
#include "plan/run_plan.h"
#include "plan/score_ranges.h"

namespace tl {

ScaledCard scaleAnalysisFile(const AnalysisFile& file) {
    ScoreScales scales;
    try {
        scales = deriveScoreScales(file.card);
    } catch (const DetectedError& error) {
        throw analysisRefusal(file, error);
    }
    std::optional<ScaleRequest> request;
    if (file.scale) request = ScaleRequest{file.scale->table, file.scale->cutsOnScale};
    ScaledCard scaled = scaleCard(file.card, std::move(scales), request);
    // Cuts on the scale have become composite scores; raw ones may lie off it.
    const CompositeScale& composite = scaled.scales.composite;
    if (const std::optional<double> cut = cutOutside(scaled.card.observedCuts, composite)) {
        throw file.error("classification.observed_cuts",
                         "the cut score " + quotedNumber(*cut) +
                             " lies outside the composite score range " +
                             std::to_string(composite.minComposite) + " to " +
                             std::to_string(composite.maxComposite),
                         FindingCode::CutsOutOfRange);
    }
    return scaled;
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
