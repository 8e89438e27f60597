#pragma once

#include <cstdint>
#include <optional>

#include "core/analysis_options.h"
#include "core/control_card.h"
#include "core/engine_plan.h"
#include "core/score_scales.h"
#include "model/composite_setup.h"
#include "plan/scale_plan.h"

namespace tl {

// A card on its score scales: the scales, the conversion table checked against
// them with the cuts on both scales when a table is asked for, and the card the
// model runs, whose cuts are the raw ones (withRawCuts).
struct ScaledCard {
    ControlCard card;
    ScoreScales scales;
    std::optional<ScalePlan> scale;
};

// The card's scales from `scales` (deriveScoreScales of `card`) and the
// conversion table of `request` (planScale: InputError).
ScaledCard scaleCard(const ControlCard& card, ScoreScales scales,
                     const std::optional<ScaleRequest>& request);

// Every decision a run takes before it reads any data, taken once: the score
// scales, how each set's distributions and the composite are computed, whether
// the bias-corrected second pass runs, and the steps the run reports as
// progress. The checks, the notes, the progress and the analysis all read it.
struct RunPlan {
    AnalysisOptions options;  // as asked, with the thread count resolved
    ControlCard card;         // the card the model runs: cuts on the raw composite
    ScoreScales scales;
    EnginePlan engine;
    // The composite's convolution (when it is convolved) or its table of the
    // nested loops, set up once for every examinee.
    CompositeSetup composite;
    bool biasCorrection = false;
    int categoryCount = 0;
    // The conversion table and both values of each cut, when scale scores are
    // asked for.
    std::optional<ScalePlan> scale;
    // A set's distributions in each pass, then the composite.
    std::int64_t progressSteps = 0;

    bool bootstrap() const { return options.bootstrapReplicates > 0; }
};

// The plan of a run of `card` with `options`, after every check that needs no
// data: the score ranges, the conversion table when one is given (planScale:
// InputError), the cut scores against the composite range, the cards
// the model cannot run (DetectedError with the console line), and then the
// replicate count (InputError unless 0 or at least kMinBootstrapReplicates),
// and the bootstrap's memory for the smallest data (refuseUnaffordableRun).
RunPlan planRun(const ControlCard& card, const AnalysisOptions& options);

// The same plan of a card already on its scales (scaleCard with options.scale),
// which are not derived again.
RunPlan planRun(ScaledCard scaled, const AnalysisOptions& options);

}  // namespace tl
