#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "core/card_findings.h"
#include "core/finding.h"
#include "plan/run_plan.h"
#include "results/results.h"

namespace tl {

// The findings of a run, each made here with its code, severity, values and
// text. Scores that match no point, records laid out unlike the card, files
// longer than the first and lines ending in an empty field are data misfits:
// a strict run refuses them.

// What the control card reader noticed.
std::vector<Finding> cardFindings(const CardFindings& findings, const std::string& cardFile);

// What the run found in the data and in the cut scores.
std::vector<Finding> runFindings(const Results& results);

// A data file of the card that does not exist, with a hint on quoting names.
std::vector<Finding> missingDataFileFindings(const ControlCard& card);

// A name typed at the prompt that a slash cut short.
std::vector<Finding> promptFindings(const std::string& typedLine, const std::string& name);

// The sets, and the composite, whose distributions the plan convolves.
std::vector<Finding> engineFindings(const RunPlan& plan);

// "90,858,768": a count with thousands separators.
std::string withThousands(std::int64_t value);

}  // namespace tl
