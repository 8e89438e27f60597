#pragma once

#include <nlohmann/json.hpp>
#include <string>

#include "results/results.h"

namespace tl {

// The run's numbers as one JSON document (the keys are listed in
// doc/results-files.md). Needs a run analysed with its tables.
nlohmann::ordered_json resultsDocument(const Results& results);

// resultsDocument as text: shortest round-trip reals, null for not-a-number.
std::string composeResultsJson(const Results& results);

}  // namespace tl
