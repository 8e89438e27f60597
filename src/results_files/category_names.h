#pragma once

#include <string>
#include <vector>

#include "results/results.h"

namespace tl {

// What the results files call category k (0-based): the analysis file's label,
// or its number 1 to K when the run has no labels.
inline std::string categoryName(const Results& results, std::size_t k) {
    const std::vector<std::string>& labels = results.labels.categoryLabels;
    return k < labels.size() ? labels[k] : std::to_string(k + 1);
}

inline std::vector<std::string> categoryNames(const Results& results) {
    std::vector<std::string> names;
    for (std::size_t k = 0; k < static_cast<std::size_t>(results.categoryCount()); ++k)
        names.push_back(categoryName(results, k));
    return names;
}

inline bool hasCategoryLabels(const Results& results) {
    return !results.labels.categoryLabels.empty();
}

}  // namespace tl
