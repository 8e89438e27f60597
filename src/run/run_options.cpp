#include "run/run_options.h"

#include "core/errors.h"
#include "core/limits.h"
#include "input/scale_table_reader.h"
#include "results_files/number_text.h"

namespace tl {

namespace {

[[noreturn]] void refuseModel(const std::string& key, const std::string& value,
                              const std::string& text) {
    Finding finding;
    finding.code = FindingCode::ModelRefused;
    finding.key = key;
    finding.value = value;
    finding.text = text;
    throw InputError(std::move(finding));
}

// The request's model wins over the file's; a method names its model when no
// model is named; a file's method of another model than the one asked for
// gives way to that model's default method.
ModelChoice settleModel(const RunRequest& request, const AnalysisFile* file) {
    ModelChoice m;
    const ModelKind* fileKind = file && file->modelKind ? &*file->modelKind : nullptr;
    const ModelMethod* fileMethod = file && file->modelMethod ? &*file->modelMethod : nullptr;
    if (request.model) {
        m.kind = *request.model;
    } else if (request.method) {
        m.kind = kindOfMethod(*request.method);
    } else if (fileKind) {
        m.kind = *fileKind;
    } else if (fileMethod) {
        m.kind = kindOfMethod(*fileMethod);
    }
    if (request.method) {
        m.method = *request.method;
        if (kindOfMethod(m.method) != m.kind)
            refuseModel(
                "method", std::string(modelMethodName(m.method)),
                "the method \"" + std::string(modelMethodName(m.method)) + "\" belongs to the " +
                    std::string(modelKindName(kindOfMethod(m.method))) + " model, not to \"" +
                    std::string(modelKindName(m.kind)) + "\"; name the model and method together");
    } else if (fileMethod && kindOfMethod(*fileMethod) == m.kind) {
        m.method = *fileMethod;
    } else if (fileMethod && !request.model) {
        refuseModel("model.method", std::string(modelMethodName(*fileMethod)),
                    file->where("model.method") + "the method \"" +
                        std::string(modelMethodName(*fileMethod)) + "\" belongs to the " +
                        std::string(modelKindName(kindOfMethod(*fileMethod))) +
                        " model, not to \"" + std::string(modelKindName(m.kind)) + "\"");
    } else {
        m.method = defaultMethod(m.kind);
    }
    if (file) {
        m.irt = file->irt;
        m.betaBinomial = file->betaBinomial;
        if (file->minExpected) m.minExpected = *file->minExpected;
    }
    if (request.irt) m.irt = *request.irt;
    if (request.betaBinomial) m.betaBinomial = *request.betaBinomial;
    if (request.items) m.irt.itemsPath = *request.items;
    if (m.kind == ModelKind::Irt && m.irt.itemsPath.empty())
        refuseModel("irt.items", "",
                    "the IRT model needs the items' parameters: name their table as [irt] "
                    "items = \"FILE\" or --items FILE");
    return m;
}

}  // namespace

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
    a.model = settleModel(request, file);
    a.sweep = request.sweep;
    a.fit = request.fit.value_or(file && file->fit.value_or(false));
    if (file && file->sweep && (!a.sweep || *a.sweep == SweepOptions{})) a.sweep = file->sweep;
    settled.strict = request.strict || (file && file->strict);
    settled.strictByFile = !request.strict && settled.strict;
    settled.resultsDir = request.resultsDir;
    if (!settled.resultsDir && file) settled.resultsDir = file->resultsDir;
    settled.figuresDir = request.figuresDir;
    if (!settled.figuresDir && file) settled.figuresDir = file->figuresDir;
    // The results files and the figures need the tables; so do callers that
    // show them.
    a.tables =
        request.tables ||
        (request.write && (settled.resultsDir.has_value() || settled.figuresDir.has_value()));
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
