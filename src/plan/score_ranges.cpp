#include "plan/score_ranges.h"

#include <cmath>
#include <string>

#include "core/errors.h"
#include "core/limits.h"
#include "core/messages.h"

namespace tl {

namespace {

// Truncation toward zero into 32 bits; values that do not fit are refused
// rather than converted with undefined behaviour.
std::int32_t truncateScore(double value, const std::string& what) {
    if (!(value > -2147483649.0 && value < 2147483648.0)) {
        throw DetectedError{
            messages::refusal(what + " lies beyond the range this program can hold.")};
    }
    return static_cast<std::int32_t>(value);
}

std::vector<double> consecutiveScores(std::int32_t first, std::int32_t last,
                                      const std::string& what) {
    const std::int64_t count = static_cast<std::int64_t>(last) - first + 1;
    if (count > kMaxScoreListEntries) {
        throw DetectedError{messages::refusal(
            what + " has " + std::to_string(count) + " possible scores; at most " +
            std::to_string(kMaxScoreListEntries) + " can be handled.")};
    }
    std::vector<double> scores;
    if (count > 0) scores.reserve(static_cast<std::size_t>(count));
    for (std::int64_t m = 0; m < count; ++m) scores.push_back(static_cast<double>(first + m));
    return scores;
}

double lowestPoint(const ItemSet& set) {
    return set.scorePoints.empty() ? 0.0 : set.scorePoints.front();
}

}  // namespace

ScoreScales deriveScoreScales(const ControlCard& card) {
    ScoreScales scales;
    CompositeScale& scale = scales.composite;
    for (std::size_t s = 0; s < card.itemSets.size(); ++s) {
        const ItemSet& set = card.itemSets[s];
        RawScoreRange& range = scales.sets.emplace_back();
        const std::string label = "The raw score of set " + std::to_string(s + 1);
        const double n = static_cast<double>(set.itemCount);
        range.minRawScore = truncateScore(n * lowestPoint(set), label);
        range.maxRawScore = truncateScore(n * set.highestScorePoint, label);
        range.rawScores = consecutiveScores(range.minRawScore, range.maxRawScore,
                                            "The raw-score list of set " + std::to_string(s + 1));

        scale.minComposite = truncateScore(
            static_cast<double>(scale.minComposite) + n * (set.weight * lowestPoint(set)),
            "The composite score");
        scale.maxComposite = truncateScore(
            static_cast<double>(scale.maxComposite) + n * (set.weight * set.highestScorePoint),
            "The composite score");
    }
    scale.compositeScores =
        consecutiveScores(scale.minComposite, scale.maxComposite, "The composite score list");
    return scales;
}

std::optional<double> cutOutside(const std::vector<double>& cuts, const CompositeScale& scale) {
    for (double cut : cuts) {
        if (scale.compositeScores.empty() || cut < scale.minComposite || cut > scale.maxComposite)
            return cut;
    }
    return std::nullopt;
}

void checkCutScores(const ControlCard& card, const CompositeScale& scale) {
    if (cutOutside(card.observedCuts, scale))
        throw DetectedError(messages::kCutsOutOfRange, FindingCode::CutsOutOfRange);
}

}  // namespace tl
