#pragma once

#include <cstdint>
#include <functional>

#include "analysis/analysis_state.h"
#include "analysis/bootstrap.h"
#include "core/analysis_options.h"
#include "core/control_card.h"
#include "core/data_findings.h"
#include "input/data_source.h"
#include "model/model_options.h"
#include "plan/run_plan.h"
#include "results/results.h"

namespace tl {

// What the caller of a run is told while it runs, and the kernels it may put in
// place of the engines. Each callback may be empty.
struct AnalysisHooks {
    // Called once with the run's plan, after every check that needs no data and
    // before any data is read; it may throw to stop the run there.
    std::function<void(const RunPlan&)> onPlan;
    // Shown when a multinomial coefficient needed the factorial of a negative
    // count (taken as 0!); the console program shows a notice and waits.
    std::function<void()> onNegativeFactorial;
    // Called after each step of the run itself (a set's distributions in each
    // pass, then the composite), with the steps done and the plan's total.
    std::function<void(std::int64_t done, std::int64_t total)> onProgress;
    // Told the bootstrap replicates done and the total, on the thread that
    // called analyze (see BootstrapProgress); answering Stop ends the run
    // between replicates with BootstrapStopped, and no result.
    BootstrapProgress onBootstrapProgress;
    // Other implementations of the model kernels that give the same bits.
    SubstituteKernels substitutes;
    // Called in the first pass as soon as set s (0-based) is read and passes its
    // checks, before any model work on it, with what was found in its scores.
    // It may throw to end the run there (R stops so at unmatched scores).
    std::function<void(std::size_t set, const SetFindings& found)> onSetRead;
};

// The whole run on the card's data: its plan (planRun), the first pass over
// every set, the bias-corrected second pass when the card asks for it, the
// composite distributions and the classification, then the bootstrap when
// asked for. Throws DetectedError for the errors the run reports on the
// console, InputError for malformed data and for a replicate count of 1 or
// below 0 (before any data is read), BootstrapStopped when the bootstrap's
// progress callback stopped it.
Results analyze(const ControlCard& card, DataSource& data, const AnalysisOptions& options,
                const AnalysisHooks& hooks = {});

// The same run of a card already on its scales (scaleCard with options.scale).
Results analyze(ScaledCard card, DataSource& data, const AnalysisOptions& options,
                const AnalysisHooks& hooks = {});

// The same run without its bootstrap, keeping what a bootstrap needs.
AnalysisState analyzeKeepingState(const ControlCard& card, DataSource& data,
                                  const AnalysisOptions& options, const AnalysisHooks& hooks = {});

}  // namespace tl
