#pragma once

#include <optional>
#include <string>

#include "core/analysis_options.h"
#include "input/analysis_file.h"
#include "run/run_request.h"

namespace tl {

// The options one run goes by, once its request is merged with its analysis
// file's settings. A value the request gives wins; one it leaves empty comes
// from the file, and then from the defaults. Strictness is the one exception:
// the run is strict when either asks.
struct SettledOptions {
    AnalysisOptions analysis;  // its scale is settled by settleScale
    // The models run beside analysis.model and compared with it, in order.
    std::vector<ModelChoice> furtherModels;
    bool strict = false;
    bool strictByFile = false;  // the file asked for it, the request did not
    std::optional<std::string> resultsDir;
    std::optional<std::string> figuresDir;
};

// `file` is the analysis file's settings, or null for a card or scores held
// in memory. Throws InputError for a request that asks for the impossible
// (cuts on the scale with no table).
SettledOptions settleOptions(const RunRequest& request, const AnalysisFile* file);

// The scale scores the request asks for over the file's [scale], the
// request's table read: none when the request names neither a table nor where
// the cuts are, so that the file's own [scale] applies. Throws InputError
// when the cuts are on the scale and there is no table.
std::optional<ScaleRequest> settleScale(const RunRequest& request, const AnalysisFile* file);

// The request's cuts in place of the card's or file's: the observed cuts, the
// category count with them, and the true cuts (the observed ones unless the
// request gives its own). Labels stay while their count still fits; throws
// InputError when it does not (cuts.label_count, naming both counts) and for
// cuts that are too many, too few or decrease.
void overrideCuts(const RunRequest& request, ControlCard& card, RunLabels& labels);

}  // namespace tl
