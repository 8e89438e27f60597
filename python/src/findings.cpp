#include "findings.h"

#include <memory>
#include <optional>
#include <string>
#include <utility>

#include "run/embedded.h"

namespace tlpy {

namespace py = pybind11;

py::dict findingToPython(const tl::Finding& f) {
    py::dict out;
    out["code"] = std::string(tl::findingCodeName(f.code));
    out["severity"] = std::string(tl::severityName(f.severity));
    out["text"] = f.text;
    const std::pair<const char*, const std::string*> values[] = {
        {"file", &f.file},   {"column", &f.column},   {"key", &f.key},
        {"value", &f.value}, {"closest", &f.closest}, {"console_line", &f.consoleLine}};
    for (const auto& [name, value] : values) {
        if (!value->empty()) out[name] = *value;
    }
    if (f.line > 0) out["line"] = f.line;
    return out;
}

namespace {

py::object written(const std::optional<std::string>& name) {
    return name ? py::object(py::str(*name)) : py::object(py::none());
}

}  // namespace

py::dict outcomeToPython(tl::RunOutcome outcome, bool negativeFactorial) {
    if (negativeFactorial) tl::addNegativeFactorialNote(outcome);
    py::list findings;
    for (const tl::Finding& f : outcome.findings) findings.append(findingToPython(f));
    py::dict out;
    out["status"] = outcome.exitStatus;
    out["findings"] = findings;
    if (!outcome.results) return out;
    out["run"] = std::make_shared<tl::Results>(std::move(*outcome.results));
    out["report_file"] = written(outcome.reportWritten);
    out["results_dir"] = written(outcome.resultsWritten);
    return out;
}

}  // namespace tlpy
