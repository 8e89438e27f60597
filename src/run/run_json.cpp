#include "run/run_json.h"

#include <nlohmann/json.hpp>

#include "core/analysis_options.h"
#include "core/examinee_groups.h"
#include "core/model_choice.h"

namespace tl {

namespace {

nlohmann::ordered_json findingObject(const Finding& f) {
    nlohmann::ordered_json j;
    j["code"] = std::string(findingCodeName(f.code));
    j["severity"] = std::string(severityName(f.severity));
    j["text"] = f.text;
    const auto text = [&](const char* key, const std::string& value) {
        if (!value.empty()) j[key] = value;
    };
    text("file", f.file);
    if (f.line > 0) j["line"] = f.line;
    text("column", f.column);
    text("key", f.key);
    text("value", f.value);
    text("closest", f.closest);
    text("console_line", f.consoleLine);
    return j;
}

template <std::size_t N>
nlohmann::ordered_json names(const std::array<std::string_view, N>& list) {
    nlohmann::ordered_json j = nlohmann::ordered_json::array();
    for (const std::string_view name : list) j.push_back(std::string(name));
    return j;
}

// The error models, each with its methods and the one it runs when none is
// named, and the model settings a run falls back on: a form offers the
// methods of the model chosen and starts from these values.
void addModels(nlohmann::ordered_json& j) {
    const ModelChoice choice;
    j["model"] = std::string(modelKindName(choice.kind));
    nlohmann::ordered_json models = nlohmann::ordered_json::array();
    for (std::size_t k = 0; k < kModelKindNames.size(); ++k) {
        const auto kind = static_cast<ModelKind>(k);
        nlohmann::ordered_json model;
        model["kind"] = std::string(kModelKindNames[k]);
        nlohmann::ordered_json methods = nlohmann::ordered_json::array();
        for (std::size_t m = 0; m < kModelMethodNames.size(); ++m)
            if (kindOfMethod(static_cast<ModelMethod>(m)) == kind)
                methods.push_back(std::string(kModelMethodNames[m]));
        model["methods"] = methods;
        model["method"] = std::string(modelMethodName(defaultMethod(kind)));
        models.push_back(model);
    }
    j["models"] = models;
    const IrtSettings& irt = choice.irt;
    nlohmann::ordered_json i;
    i["D"] = irt.scaling;
    i["estimator"] = std::string(kIrtEstimatorNames[irt.maximumLikelihood ? 1 : 0]);
    i["estimators"] = names(kIrtEstimatorNames);
    i["cuts_on"] = std::string(kIrtCutsOnNames[irt.cutsOnTheta ? 1 : 0]);
    i["cuts_on_choices"] = names(kIrtCutsOnNames);
    j["irt"] = i;
    nlohmann::ordered_json b;
    b["reliability"] = choice.betaBinomial.reliabilitySource;
    b["reliabilities"] = names(kReliabilitySourceNames);
    j["beta_binomial"] = b;
}

// Invalid UTF-8 in a name or a cell is shown, not refused.
std::string line(const nlohmann::ordered_json& j) {
    return j.dump(-1, ' ', false, nlohmann::ordered_json::error_handler_t::replace);
}

}  // namespace

std::string findingJsonLine(const Finding& finding) {
    nlohmann::ordered_json j;
    j["event"] = finding.severity == Severity::Error ? "error" : "finding";
    j.update(findingObject(finding));
    return line(j);
}

std::string progressJsonLine(const std::string& label, std::uint64_t done, std::uint64_t total) {
    nlohmann::ordered_json j;
    j["event"] = "progress";
    j["label"] = label;
    j["done"] = done;
    j["total"] = total;
    return line(j);
}

std::string defaultsJson() {
    const AnalysisOptions defaults;
    nlohmann::ordered_json j;
    j["seed"] = defaults.seed;
    j["bootstrap"] = defaults.bootstrapReplicates;
    j["min_bootstrap"] = kMinBootstrapReplicates;
    j["engine"] = "auto";
    j["engines"] = names(kEngineNames);
    j["min_group"] = ExamineeGroups::kDefaultMinGroup;
    addModels(j);
    nlohmann::ordered_json codes = nlohmann::ordered_json::array();
    for (const FindingCode code : allFindingCodes())
        codes.push_back(std::string(findingCodeName(code)));
    j["finding_codes"] = codes;
    return j.dump(2) + "\n";
}

}  // namespace tl
