#include "model/composite_distribution.h"

#include <algorithm>
#include <cmath>

#include "model/rounding.h"

namespace tl {

namespace {

struct Scale {
    double lowest;
    double highest;
    std::int32_t minComposite;
};

// Position of a whole composite score on the scale, or -1 when it is off it.
// Equivalent to searching the consecutive whole-number scores for an exact match.
inline std::int64_t positionOf(double score, const Scale& scale) {
    if (!(score >= scale.lowest && score <= scale.highest)) return -1;
    return static_cast<std::int64_t>(score) - scale.minComposite;
}

// The weighted sum and the product of the outer sets are formed once per
// prefix; left-to-right evaluation makes them the very values the full
// expression would produce. A prefix whose probability is exactly 0 is skipped:
// everything under it adds +0.0, which changes no sum.
void combine(std::span<const SetRow> sets, std::size_t level, double partialScore,
             double partialProbability, const Scale& scale, double* out) {
    const SetRow& set = sets[level];
    if (level + 1 == sets.size()) {
        for (std::size_t j = 0; j < set.count; ++j) {
            const double score = roundHalfAway(partialScore + set.weightedScores[j]);
            const std::int64_t c = positionOf(score, scale);
            if (c >= 0) out[c] = out[c] + partialProbability * set.probabilities[j];
        }
        return;
    }
    for (std::size_t j = 0; j < set.count; ++j) {
        const double probability = partialProbability * set.probabilities[j];
        if (probability == 0.0) continue;
        combine(sets, level + 1, partialScore + set.weightedScores[j], probability, scale, out);
    }
}

}  // namespace

void computeCompositeDistribution(std::span<const SetRow> sets, std::int32_t minComposite,
                                  std::span<double> out) {
    std::fill(out.begin(), out.end(), 0.0);
    if (sets.empty() || out.empty()) return;
    const Scale scale{static_cast<double>(minComposite),
                      static_cast<double>(minComposite) + static_cast<double>(out.size() - 1),
                      minComposite};
    const SetRow& first = sets[0];
    if (sets.size() == 1) {
        // One set: the weighted raw score is compared unrounded, so only a whole
        // value can meet a composite score.
        for (std::size_t j = 0; j < first.count; ++j) {
            const double score = first.weightedScores[j];
            if (score != std::trunc(score)) continue;
            const std::int64_t c = positionOf(score, scale);
            if (c >= 0) out[c] = out[c] + first.probabilities[j];
        }
        return;
    }
    for (std::size_t j = 0; j < first.count; ++j) {
        const double probability = first.probabilities[j];
        if (probability == 0.0) continue;
        combine(sets, 1, first.weightedScores[j], probability, scale, out.data());
    }
}

}  // namespace tl
