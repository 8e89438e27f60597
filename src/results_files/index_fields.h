#pragma once

#include <array>
#include <stdexcept>
#include <string_view>

#include "results/results.h"

namespace tl {

// The six indices as the results files name them, in the report's order.
struct IndexField {
    std::string_view key;    // results.json key and CSV name
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

// The report's overall indices gathered as one set.
inline IndexSet overallIndexSet(const Classification& c) {
    return {c.overallConsistency, c.chanceProbability,  c.kappa,
            c.overallAccuracy,    c.falsePositiveError, c.falseNegativeError};
}

// The results files show the tables; a run without them cannot be written.
inline const ClassificationTables& tablesOf(const Results& results) {
    if (!results.tables) {
        throw std::invalid_argument("the results files need a run analysed with its tables");
    }
    return *results.tables;
}

}  // namespace tl
