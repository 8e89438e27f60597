#include "app/run_progress.h"

#include <cstdint>

namespace tl {

void RunProgress::attach(AnalysisHooks& hooks) {
    if (style_ == ProgressStyle::Off) return;
    hooks.onProgress = [this](std::int64_t done, std::int64_t total) {
        if (!steps_) return;
        steps_->advance();
        if (done == total) steps_->finish();
    };
    hooks.onBootstrapProgress = [this](std::int64_t done, std::int64_t total) {
        if (!replicates_) {
            replicates_.emplace(err_, style_, "Bootstrap replicates",
                                static_cast<std::uint64_t>(total));
        }
        replicates_->advanceTo(static_cast<std::uint64_t>(done));
        return BootstrapStep::Continue;
    };
}

void RunProgress::planned(const RunPlan& plan) {
    if (style_ == ProgressStyle::Off) return;
    steps_.emplace(err_, style_, "Computing", static_cast<std::uint64_t>(plan.progressSteps));
}

void RunProgress::finish() {
    if (replicates_) replicates_->finish();
}

}  // namespace tl
