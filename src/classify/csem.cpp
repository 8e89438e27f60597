#include "classify/csem.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <numeric>

namespace tl {

std::vector<std::uint32_t> ascendingScoreOrder(std::span<const double> scores) {
    std::vector<std::uint32_t> order(scores.size());
    std::iota(order.begin(), order.end(), 0u);
    std::stable_sort(order.begin(), order.end(),
                     [&](std::uint32_t a, std::uint32_t b) { return scores[a] < scores[b]; });
    return order;
}

std::vector<CsemRow> csemByScore(std::span<const double> scores,
                                 std::span<const double> errorVariances,
                                 std::span<const std::uint32_t> order) {
    std::vector<CsemRow> rows;
    for (std::size_t begin = 0; begin < order.size();) {
        std::size_t end = begin;
        double sum = 0.0;
        while (end < order.size() && scores[order[end]] == scores[order[begin]]) {
            sum = sum + errorVariances[order[end]];
            ++end;
        }
        CsemRow row;
        row.score = scores[order[begin]];
        row.examinees = static_cast<std::int32_t>(end - begin);
        row.errorVariance = sum / static_cast<double>(row.examinees);
        row.csem = std::sqrt(row.errorVariance);
        rows.push_back(row);
        begin = end;
    }
    return rows;
}

double csemAtCut(std::span<const CsemRow> rows, double cut) {
    const auto above = std::lower_bound(rows.begin(), rows.end(), cut,
                                        [](const CsemRow& row, double c) { return row.score < c; });
    if (above != rows.end() && above->score == cut) return above->csem;
    if (above == rows.begin() || above == rows.end())
        return std::numeric_limits<double>::quiet_NaN();
    const CsemRow& below = *(above - 1);
    const double share = (cut - below.score) / (above->score - below.score);
    return below.csem + share * (above->csem - below.csem);
}

std::vector<double> squareRoots(std::span<const double> values) {
    std::vector<double> roots(values.size());
    for (std::size_t i = 0; i < values.size(); ++i) roots[i] = std::sqrt(values[i]);
    return roots;
}

}  // namespace tl
