#pragma once

#include <functional>
#include <optional>
#include <vector>

#include "analysis/analyze.h"
#include "core/errors.h"
#include "core/finding.h"
#include "results/results.h"
#include "run/run_request.h"

namespace tl {

// What a front end is told while a run goes on. Each callback may be empty.
struct RunEvents {
    // Each note and warning as soon as it is found (errors end the run and
    // come back in the outcome).
    std::function<void(const Finding&)> onFinding;
    // Progress and the like: the run calls the hooks' callbacks as analyze
    // does, its onPlan after its own checks of the plan.
    AnalysisHooks hooks;
};

// How a run ended. Every finding is in `findings`, in the order found; a run
// that failed ends them with its error. `exitStatus` is kExitSuccess,
// kExitDetected (an error found in a control card: its console line is the
// error's consoleLine) or kExitFailure.
struct RunOutcome {
    int exitStatus = kExitSuccess;
    std::optional<Results> results;  // on success
    std::vector<Finding> findings;
    // What the run wrote, as named: its report, its results folder and its
    // figures folder.
    std::optional<std::string> reportWritten;
    std::optional<std::string> resultsWritten;
    std::optional<std::string> figuresWritten;

    // The error that ended the run, or null.
    const Finding* error() const {
        return exitStatus != kExitSuccess && !findings.empty() ? &findings.back() : nullptr;
    }
};

// One run, as every front end asks for it: the request merged with its
// analysis file's settings (settleOptions), checked, run, held to strictness
// (a data misfit refuses a strict run, and nothing is written), and its
// report and results folder written when the request asks. Every failure is
// an outcome, never an exception, except BootstrapStopped: a caller that
// stopped the bootstrap gets it back.
RunOutcome runRequest(const RunRequest& request, const RunEvents& events = {});

}  // namespace tl
