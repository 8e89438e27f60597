#include "run/run_options.h"

#include "core/errors.h"
#include "core/limits.h"
#include "input/scale_table_reader.h"
#include "results_files/number_text.h"

namespace tl {

SettledOptions settleOptions(const RunRequest& request, const AnalysisFile* file) {
    SettledOptions settled;
    AnalysisOptions& a = settled.analysis;
    a.threads = request.threads;
    a.maxMemory = request.maxMemory;
    const AnalysisOptions defaults;
    a.bootstrapReplicates = request.bootstrap.value_or(file ? file->bootstrap.value_or(0) : 0);
    a.seed = request.seed.value_or(file && file->seed ? *file->seed : defaults.seed);
    a.engine = defaults.engine;
    if (request.engine) {
        a.engine = *request.engine;
    } else if (file && file->engine) {
        a.engine = engineNamed(*file->engine).value_or(defaults.engine);
    }
    settled.strict = request.strict || (file && file->strict);
    settled.strictByFile = !request.strict && settled.strict;
    settled.resultsDir = request.resultsDir;
    if (!settled.resultsDir && file) settled.resultsDir = file->resultsDir;
    // The results files need the tables; so do callers that show them.
    a.tables = request.tables || (request.write && settled.resultsDir.has_value());
    return settled;
}

std::optional<ScaleRequest> settleScale(const RunRequest& request, const AnalysisFile* file) {
    const bool fileCutsOnScale = file && file->scale && file->scale->cutsOnScale;
    if (request.scaleFile) {
        return ScaleRequest{readScaleTableFile(*request.scaleFile, *request.scaleFile),
                            request.cutsOnScale.value_or(fileCutsOnScale)};
    }
    if (!request.cutsOnScale) return std::nullopt;
    if (file && file->scale) return ScaleRequest{file->scale->table, *request.cutsOnScale};
    if (*request.cutsOnScale) {
        Finding finding;
        finding.code = FindingCode::OptionInvalid;
        finding.key = "scale.cuts_on";
        finding.value = "scale";
        finding.text = "--cuts-on scale needs the conversion table: give --scale FILE as well";
        throw InputError(std::move(finding));
    }
    return std::nullopt;
}

namespace {

std::string listed(const std::vector<double>& cuts) {
    std::string text;
    for (const double cut : cuts) text += (text.empty() ? "" : ",") + shortestText(cut);
    return text;
}

InputError cutsError(const std::string& option, const std::vector<double>& cuts,
                     const std::string& what, FindingCode code = FindingCode::OptionInvalid) {
    Finding finding;
    finding.code = code;
    finding.key = "options." + option;
    finding.value = listed(cuts);
    finding.text = "--" + std::string(option == "true_cuts" ? "true-cuts" : "cuts") + " " +
                   finding.value + ": " + what;
    return InputError(std::move(finding));
}

void checkCuts(const std::string& option, const std::vector<double>& cuts) {
    if (cuts.empty() || cuts.size() > static_cast<std::size_t>(kMaxCategories - 1)) {
        throw cutsError(option, cuts,
                        "give from 1 to " + std::to_string(kMaxCategories - 1) +
                            " cut scores, separated by commas");
    }
    for (std::size_t j = 1; j < cuts.size(); ++j) {
        if (cuts[j] < cuts[j - 1])
            throw cutsError(option, cuts, "the cut scores must not decrease");
    }
}

}  // namespace

void overrideCuts(const RunRequest& request, ControlCard& card, RunLabels& labels) {
    if (request.cuts) {
        checkCuts("cuts", *request.cuts);
        card.observedCuts = *request.cuts;
        card.trueCuts = *request.cuts;
        card.categoryCount = static_cast<std::int32_t>(request.cuts->size() + 1);
    }
    if (request.trueCuts) {
        checkCuts("true_cuts", *request.trueCuts);
        if (request.trueCuts->size() != card.observedCuts.size()) {
            throw cutsError("true_cuts", *request.trueCuts,
                            std::to_string(request.trueCuts->size()) + " true cuts for " +
                                std::to_string(card.observedCuts.size()) +
                                " observed: give as many true cuts as observed cuts");
        }
        card.trueCuts = *request.trueCuts;
    }
    const std::size_t labelled = labels.categoryLabels.size();
    if (request.cuts && labelled != 0 && labelled != request.cuts->size() + 1) {
        throw cutsError("cuts", *request.cuts,
                        std::to_string(request.cuts->size() + 1) + " categories, but " +
                            std::to_string(labelled) + " category labels: give cuts for " +
                            std::to_string(labelled) + " categories, or change the labels to match",
                        FindingCode::CutsLabelCount);
    }
}

}  // namespace tl
