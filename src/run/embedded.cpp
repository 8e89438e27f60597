#include "run/embedded.h"

#include <utility>

#include "core/messages.h"

namespace tl {

RunOutcome refusedOutcome(const DetectedError& error) {
    RunOutcome outcome;
    outcome.exitStatus = kExitDetected;
    Finding& f = outcome.findings.emplace_back();
    f.code = error.code;
    f.severity = Severity::Error;
    f.text = error.consoleLine;
    f.consoleLine = error.consoleLine;
    return outcome;
}

void addNegativeFactorialNote(RunOutcome& outcome) {
    if (!outcome.results) return;
    Finding note;
    note.code = FindingCode::NegativeFactorial;
    note.severity = Severity::Note;
    note.text = messages::kNegativeFactorial;
    outcome.findings.push_back(std::move(note));
}

std::vector<std::string> setLabels(const Results& r) {
    std::vector<std::string> out;
    const std::vector<std::string>& names = r.labels.setNames;
    for (std::size_t s = 0; s < r.card.itemSets.size(); ++s) {
        if (s < names.size() && !names[s].empty()) {
            out.push_back(names[s]);
        } else if (!r.table) {
            out.push_back(r.card.itemSets[s].dataFile);
        } else {
            out.push_back("set " + std::to_string(s + 1));
        }
    }
    return out;
}

}  // namespace tl
