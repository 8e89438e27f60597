#pragma once

#include <array>
#include <string_view>

#include "classify/bootstrap_summary.h"
#include "classify/classification_indices.h"

namespace tl {

// The six indices by name, in the report's order: the one list every output
// (results files, page, R) names them from.
struct IndexField {
    std::string_view key;    // results.json key, CSV name and R name
    std::string_view label;  // heading for readers
    double IndexSet::*value;
    IndexSpread IndexSetSpread::*spread;
};

inline constexpr std::array<IndexField, 6> kIndexFields{{
    {"consistency", "Consistency", &IndexSet::consistency, &IndexSetSpread::consistency},
    {"chance", "Chance", &IndexSet::chance, &IndexSetSpread::chance},
    {"kappa", "Kappa", &IndexSet::kappa, &IndexSetSpread::kappa},
    {"accuracy", "Accuracy", &IndexSet::accuracy, &IndexSetSpread::accuracy},
    {"false_positive", "False positive", &IndexSet::falsePositive, &IndexSetSpread::falsePositive},
    {"false_negative", "False negative", &IndexSet::falseNegative, &IndexSetSpread::falseNegative},
}};

}  // namespace tl
