#pragma once

#include "core/errors.h"
#include "core/score_scales.h"
#include "input/analysis_file.h"
#include "plan/run_plan.h"

namespace tl {

// An analysis file's card on its score scales and its own [scale] (scaleCard),
// checked before any score is read: the score ranges and the observed cut
// scores against the composite range. Each refusal throws InputError in the
// analysis file's own terms, naming the file, the line and the key. The cards
// the model cannot run are refused by the run plan; analysisRefusal words that
// refusal for the file.
ScaledCard scaleAnalysisFile(const AnalysisFile& file);

// A card refusal (the console line of a detected error) as the analysis file's
// one-line error.
InputError analysisRefusal(const AnalysisFile& file, const DetectedError& error);

// Refuses a report that would overwrite the analysis file or a data file.
void refuseUnsafeAnalysisOutput(const AnalysisFile& file);

}  // namespace tl
