#pragma once

#include <cstdint>
#include <vector>

namespace tl {

// The raw scores an item set can give: the whole numbers from n times the
// lowest score point to n times the highest, each bound truncated toward zero.
struct RawScoreRange {
    std::int32_t minRawScore = 0;
    std::int32_t maxRawScore = 0;
    std::vector<double> rawScores;  // minRawScore, minRawScore + 1, ..., maxRawScore
};

// The composite score scale: the whole numbers from minComposite to maxComposite.
struct CompositeScale {
    std::int32_t minComposite = 0;
    std::int32_t maxComposite = 0;
    std::vector<double> compositeScores;
};

// Everything the control card's numbers imply about score ranges.
struct ScoreScales {
    std::vector<RawScoreRange> sets;  // one per item set, in card order
    CompositeScale composite;
};

}  // namespace tl
