#pragma once

// The Levenshtein distance between two names: the fewest insertions, deletions
// and substitutions of single bytes that turn one into the other. A mistyped
// key or column is named with the closest of the known ones.

#include <algorithm>
#include <cstddef>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace tl {

inline std::size_t editDistance(std::string_view a, std::string_view b) {
    std::vector<std::size_t> row(b.size() + 1);
    for (std::size_t j = 0; j <= b.size(); ++j) row[j] = j;
    for (std::size_t i = 1; i <= a.size(); ++i) {
        std::size_t diagonal = row[0];
        row[0] = i;
        for (std::size_t j = 1; j <= b.size(); ++j) {
            const std::size_t above = row[j];
            row[j] = std::min({row[j] + 1, row[j - 1] + 1, diagonal + (a[i - 1] != b[j - 1])});
            diagonal = above;
        }
    }
    return row[b.size()];
}

// The `most` names of `known` closest to `name`, the closest first (ties in
// the order known): the hint an unknown column's error gives.
inline std::vector<std::string> closestNames(std::string_view name,
                                             const std::vector<std::string>& known,
                                             std::size_t most = 3) {
    std::vector<std::pair<std::size_t, std::string>> ranked;
    for (const std::string& k : known) ranked.emplace_back(editDistance(name, k), k);
    std::stable_sort(ranked.begin(), ranked.end(),
                     [](const auto& a, const auto& b) { return a.first < b.first; });
    std::vector<std::string> names;
    for (std::size_t i = 0; i < ranked.size() && i < most; ++i) names.push_back(ranked[i].second);
    return names;
}

}  // namespace tl
