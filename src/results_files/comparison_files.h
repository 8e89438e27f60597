#pragma once

#include <nlohmann/json.hpp>
#include <string>

#include "classify/model_comparison.h"

namespace tl {

// comparison.csv: one row per model and compared index (model, kind, method,
// index, cut, value; the cut empty for an index over the whole scale), with
// each value's standard error and 95% interval after a bootstrap.
std::string composeComparisonCsv(const ModelComparison& comparison);

// comparison_differences.csv: one row per further model and index, its value
// minus the primary model's, with the standard error and 95% interval of the
// replicates' differences after a bootstrap.
std::string composeComparisonDifferencesCsv(const ModelComparison& comparison);

// results.json's "comparison": the replicates, then per model its name, kind,
// method, indices (value, spread, difference from the primary and its spread)
// and conditional accuracy by composite score.
nlohmann::ordered_json comparisonDocument(const ModelComparison& comparison);

}  // namespace tl
