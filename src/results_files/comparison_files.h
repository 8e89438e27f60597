#pragma once

#include <cstdint>
#include <functional>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "classify/model_comparison.h"

namespace tl {

// A row of comparison.csv, or of comparison_differences.csv: the model, the
// primary model, the index, its value (or the model's difference from the
// primary) and, after a bootstrap, its spread (null without one). R and
// Python show the same rows.
struct ComparisonRow {
    const ComparedModel& model;
    const ComparedModel& primary;
    const ComparedIndex& index;
    double value = 0.0;
    const IndexSpread* spread = nullptr;
};
using ComparisonVisitor = std::function<void(const ComparisonRow&)>;

// comparison.csv's rows: every model, the primary first, index by index.
void visitComparisonRows(const ModelComparison& comparison, const ComparisonVisitor& each);

// comparison_differences.csv's rows: every further model, index by index; a
// difference without a spread of its own (its model had other replicates)
// has NaN in its spread.
void visitComparisonDifferenceRows(const ModelComparison& comparison,
                                   const ComparisonVisitor& each);

// The rows of comparison.csv (or, with `differences`, of
// comparison_differences.csv) column by column, as R and Python show them:
// `kind` and `method` are the models', `primary` the primary's name, `cut` 0
// for an index over the whole scale, `value` the value or the difference;
// the spreads are filled after a bootstrap only (`spreads`).
struct ComparisonColumns {
    std::vector<std::string> model, kind, method, primary, index;
    std::vector<std::int32_t> cut;
    std::vector<double> value;
    bool spreads = false;
    std::vector<double> se, ciLow, ciHigh;
};
ComparisonColumns comparisonColumns(const ModelComparison& comparison, bool differences);

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
