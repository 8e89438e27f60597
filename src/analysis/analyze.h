#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "analysis/analysis_state.h"
#include "core/control_card.h"
#include "core/data_findings.h"
#include "core/score_scales.h"
#include "input/data_source.h"
#include "model/model_options.h"
#include "results/results.h"

namespace tl {

struct AnalysisOptions {
    ModelOptions model;  // threads 0: every hardware thread; any count gives the same bits
    // Shown when a multinomial coefficient needed the factorial of a negative
    // count (taken as 0!); the console program shows a notice and waits.
    std::function<void()> onNegativeFactorial;
    // Also tabulate per-cut indices, K x K tables and conditional results.
    bool tables = false;
    // Bootstrap replicates (0: none; otherwise at least 2) and their seed.
    std::int64_t bootstrapReplicates = 0;
    std::uint64_t seed = 1;
    // Called after each bootstrap replicate with the count done and the total.
    // It may come from any worker thread, but never two calls at once, and
    // `done` rises by one from call to call.
    std::function<void(std::int64_t done, std::int64_t total)> onBootstrapProgress;
    // Called after each step of the run itself (a set's distributions in each
    // pass, then the composite), with the steps done and their total.
    std::function<void(std::int64_t done, std::int64_t total)> onProgress;
    // Called in the first pass as soon as set s (0-based) is read and passes its
    // checks, before any model work on it, with what was found in its scores.
    // It may throw to end the run there (R stops so at unmatched scores).
    std::function<void(std::size_t set, const SetFindings& found)> onSetRead;
};

// The control card's score scales, after every check that needs no data: the
// cut scores against the composite range, and the cards the model cannot run.
// Throws DetectedError with the console line.
ScoreScales prepareScales(const ControlCard& card,
                          ModelOptions::Engine engine = ModelOptions::Engine::Auto);

// The whole run on the card's data: the first pass over every set, the
// bias-corrected second pass when the card asks for it, the composite
// distributions and the classification, then the bootstrap when asked for.
// Throws DetectedError for the errors the run reports on the console,
// InputError for malformed data and for a replicate count of 1 or below 0
// (before any data is read).
Results analyze(const ControlCard& card, const ScoreScales& scales, DataSource& data,
                const AnalysisOptions& options);

// The same run without its bootstrap, keeping what a bootstrap needs.
AnalysisState analyzeKeepingState(const ControlCard& card, const ScoreScales& scales,
                                  DataSource& data, const AnalysisOptions& options);

}  // namespace tl
