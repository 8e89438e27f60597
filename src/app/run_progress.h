#pragma once

#include <optional>
#include <ostream>

#include "analysis/analyze.h"
#include "app/progress.h"

namespace tl {

// The progress of one run on standard error, as every kind of run shows it:
// the run's steps, counted once its plan is known, then the bootstrap
// replicates. The hooks it fills in refer to it, so it must outlive the run.
class RunProgress {
  public:
    RunProgress(std::ostream& err, ProgressStyle style) : err_(err), style_(style) {}
    RunProgress(const RunProgress&) = delete;
    RunProgress& operator=(const RunProgress&) = delete;

    // Sets the hooks' step and replicate callbacks (none when progress is off).
    void attach(AnalysisHooks& hooks);
    // Called from the run's onPlan hook: the plan gives the count of steps.
    void planned(const RunPlan& plan);
    // After the run: the replicates' last line, if they drew any.
    void finish();

  private:
    std::ostream& err_;
    const ProgressStyle style_;
    std::optional<Progress> steps_;
    std::optional<Progress> replicates_;
};

}  // namespace tl
