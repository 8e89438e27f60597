#pragma once

#include <string>
#include <vector>

#include "core/card_findings.h"
#include "results/results.h"

namespace tl {

// One warning line, without the "tesserlink: warning: " in front. The first
// four kinds (scores that match no point, records laid out unlike the card,
// files longer than the first, lines ending in an empty field) are the data
// not fitting the card: --strict makes them errors.
struct Warning {
    bool dataMisfit = false;
    std::string text;
};

// What the control card reader noticed.
std::vector<Warning> cardWarnings(const CardFindings& findings, const std::string& cardFile);

// What the run found in the data and in the cut scores.
std::vector<Warning> runWarnings(const Results& results);

// A data file of the card that does not exist, with a hint on quoting names.
std::vector<Warning> missingDataFileWarnings(const ControlCard& card);

// A name typed at the prompt that a slash cut short.
std::vector<Warning> promptWarnings(const std::string& typedLine, const std::string& name);

// "90,858,768": a count with thousands separators.
std::string withThousands(std::int64_t value);

}  // namespace tl
