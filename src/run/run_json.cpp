#include "run/run_json.h"

#include <nlohmann/json.hpp>

#include "core/analysis_options.h"
#include "core/examinee_groups.h"

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
    nlohmann::ordered_json engines = nlohmann::ordered_json::array();
    for (const std::string_view name : kEngineNames) engines.push_back(std::string(name));
    j["engines"] = engines;
    j["min_group"] = ExamineeGroups::kDefaultMinGroup;
    nlohmann::ordered_json codes = nlohmann::ordered_json::array();
    for (const FindingCode code : allFindingCodes())
        codes.push_back(std::string(findingCodeName(code)));
    j["finding_codes"] = codes;
    return j.dump(2) + "\n";
}

}  // namespace tl
