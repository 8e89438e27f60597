#pragma once

#include "core/score_scales.h"
#include "input/analysis_file.h"
#include "model/model_options.h"

namespace tl {

// An analysis file's card checked as a control card is, before any score is
// read: the score ranges, the observed cut scores against the composite range,
// and the cards the model cannot run. Each refusal throws InputError in the
// analysis file's own terms, naming the file, the line and the key.
ScoreScales prepareAnalysisScales(const AnalysisFile& file, ModelOptions::Engine engine);

// Refuses a report that would overwrite the analysis file or a data file.
void refuseUnsafeAnalysisOutput(const AnalysisFile& file);

}  // namespace tl
