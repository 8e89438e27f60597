#include "run/run_options.h"

#include <iterator>

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

std::string methodText(ModelMethod method) {
    std::string text(1, '"');
    text += modelMethodName(method);
    text += '"';
    return text;
}

std::string kindText(ModelKind kind) {
    return std::string(modelKindName(kind));
}

// The kind a file entry names: its own, or its method's, or the multinomial.
ModelKind kindOfEntry(const ModelEntry& entry) {
    if (entry.kind) return *entry.kind;
    return entry.method ? kindOfMethod(*entry.method) : ModelKind::Multinomial;
}

// The model a file entry names: its kind, and its method unless it belongs
// to another kind.
ModelChoice modelOfEntry(const ModelEntry& entry, const AnalysisFile& file) {
    ModelChoice m;
    m.kind = kindOfEntry(entry);
    m.method = defaultMethod(m.kind);
    if (entry.method && kindOfMethod(*entry.method) != m.kind) {
        const std::string key = entry.key + ".method";
        refuseModel(key, std::string(modelMethodName(*entry.method)),
                    file.where(key) + "the method " + methodText(*entry.method) +
                        " belongs to the " + kindText(kindOfMethod(*entry.method)) +
                        " model, not to \"" + kindText(m.kind) + "\"");
    }
    if (entry.method) m.method = *entry.method;
    return m;
}

void applyEntry(const ModelEntry& entry, ModelChoice& m) {
    m.betaBinomial = entry.betaBinomial;
    if (entry.minExpected) m.minExpected = *entry.minExpected;
    m.name = entry.name;
}

// The request's models in place of the file's: each method goes to the first
// model of its kind still without one, or names its own model when the
// request names none. A file's model of the same kind lends its method and
// settings; a file's method of another kind gives way to the default.
std::vector<ModelChoice> requestedModels(const RunRequest& request, const AnalysisFile* file) {
    std::vector<ModelKind> kinds = request.models;
    std::vector<std::optional<ModelMethod>> methods(kinds.size());
    if (kinds.empty()) {
        for (const ModelMethod method : request.methods) {
            kinds.push_back(kindOfMethod(method));
            methods.push_back(method);
        }
    } else {
        for (const ModelMethod method : request.methods) {
            std::size_t i = 0;
            while (i < kinds.size() && (kinds[i] != kindOfMethod(method) || methods[i])) ++i;
            if (i < kinds.size()) {
                methods[i] = method;
                continue;
            }
            std::string named;
            for (const ModelKind kind : kinds) {
                if (!named.empty()) named += ", ";
                named += '"';
                named += modelKindName(kind);
                named += '"';
            }
            refuseModel("method", std::string(modelMethodName(method)),
                        "the method " + methodText(method) + " belongs to the " +
                            kindText(kindOfMethod(method)) + " model, not to " + named +
                            (kinds.size() > 1 ? " (each model takes one method)" : "") +
                            "; name the model and method together");
        }
    }
    const std::vector<ModelEntry> noEntries;
    const std::vector<ModelEntry>& entries = file ? file->models : noEntries;
    std::vector<bool> used(entries.size());
    std::vector<ModelChoice> models;
    for (std::size_t i = 0; i < kinds.size(); ++i) {
        ModelChoice m;
        m.kind = kinds[i];
        m.method = defaultMethod(m.kind);
        const ModelEntry* lender = nullptr;
        for (std::size_t e = 0; e < entries.size() && !lender; ++e) {
            if (used[e] || kindOfEntry(entries[e]) != m.kind) continue;
            used[e] = true;
            lender = &entries[e];
        }
        if (lender) {
            applyEntry(*lender, m);
            if (lender->method && kindOfMethod(*lender->method) == m.kind)
                m.method = *lender->method;
        } else if (!entries.empty()) {
            m.betaBinomial = entries.front().betaBinomial;
            if (entries.front().minExpected) m.minExpected = *entries.front().minExpected;
        }
        if (methods[i]) {
            if (m.method != *methods[i]) m.name.clear();
            m.method = *methods[i];
        }
        models.push_back(std::move(m));
    }
    return models;
}

// Every model of the run, the primary one first: the request's, else the
// file's, else the multinomial; each with the file's [irt] and the request's
// own settings over it.
std::vector<ModelChoice> settleModels(const RunRequest& request, const AnalysisFile* file) {
    std::vector<ModelChoice> models;
    if (!request.models.empty() || !request.methods.empty()) {
        models = requestedModels(request, file);
    } else if (file && !file->models.empty()) {
        for (const ModelEntry& entry : file->models) {
            models.push_back(modelOfEntry(entry, *file));
            applyEntry(entry, models.back());
        }
    } else {
        models.emplace_back();
    }
    if (models.size() > kMaxModels)
        refuseModel("model", std::to_string(models.size()),
                    std::to_string(models.size()) + " models are named; at most " +
                        std::to_string(kMaxModels) + " run side by side");
    for (ModelChoice& m : models) {
        if (file) m.irt = file->irt;
        if (request.irt) m.irt = *request.irt;
        if (request.betaBinomial) m.betaBinomial = *request.betaBinomial;
        if (request.items) m.irt.itemsPath = *request.items;
        if (m.kind == ModelKind::Irt && m.irt.itemsPath.empty())
            refuseModel("irt.items", "",
                        "the IRT model needs the items' parameters: name their table as [irt] "
                        "items = \"FILE\" or --items FILE");
    }
    for (std::size_t i = 0; i < models.size(); ++i) {
        for (std::size_t j = 0; j < i; ++j) {
            if (modelName(models[i]) != modelName(models[j])) continue;
            refuseModel("model.name", modelName(models[i]),
                        "two models are both named \"" + modelName(models[i]) +
                            "\": give each [[model]] a name of its own (name = \"...\")");
        }
        if (models.size() > 1 && models[i].kind == ModelKind::Irt && models[i].irt.cutsOnTheta)
            refuseModel("irt.cuts_on", "theta",
                        "models side by side are compared at the composite's cuts; cuts on "
                        "theta serve an IRT model run alone: leave cuts_on out or run one model");
    }
    return models;
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
    std::vector<ModelChoice> models = settleModels(request, file);
    a.model = std::move(models.front());
    settled.furtherModels.assign(std::make_move_iterator(models.begin() + 1),
                                 std::make_move_iterator(models.end()));
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
    // Models are compared on their tables' indices, and on the same
    // bootstrap draws replicate by replicate.
    if (!settled.furtherModels.empty()) {
        a.tables = true;
        a.keepReplicates = a.bootstrapReplicates > 0;
    }
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
