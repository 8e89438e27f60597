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

namespace {

// The place of each combination under the prefix, formed with the very sums
// of `combine`: the prefix's weighted sum, then the last set's score added and
// rounded.
void place(std::span<const SetRow> sets, std::size_t level, double partialScore, std::size_t prefix,
           const Scale& scale, std::int32_t* places) {
    const SetRow& set = sets[level];
    if (level + 1 == sets.size()) {
        std::int32_t* row = places + prefix * set.count;
        for (std::size_t j = 0; j < set.count; ++j) {
            const double score = roundHalfAway(partialScore + set.weightedScores[j]);
            row[j] = static_cast<std::int32_t>(positionOf(score, scale));
        }
        return;
    }
    for (std::size_t j = 0; j < set.count; ++j) {
        place(sets, level + 1, partialScore + set.weightedScores[j], prefix * set.count + j, scale,
              places);
    }
}

// `combine` with the places read from the table.
void combineTabled(std::span<const SetRow> sets, std::size_t level, std::size_t prefix,
                   double partialProbability, const std::int32_t* places, double* out) {
    const SetRow& set = sets[level];
    if (level + 1 == sets.size()) {
        const std::int32_t* row = places + prefix * set.count;
        for (std::size_t j = 0; j < set.count; ++j) {
            const std::int32_t c = row[j];
            if (c >= 0) out[c] = out[c] + partialProbability * set.probabilities[j];
        }
        return;
    }
    for (std::size_t j = 0; j < set.count; ++j) {
        const double probability = partialProbability * set.probabilities[j];
        if (probability == 0.0) continue;
        combineTabled(sets, level + 1, prefix * set.count + j, probability, places, out);
    }
}

}  // namespace

CompositeTable::CompositeTable(std::span<const SetRow> sets, std::int32_t minComposite,
                               std::size_t compositeCount) {
    if (sets.size() < 2 || compositeCount == 0) return;
    std::size_t combinations = 1;
    for (const SetRow& set : sets) {
        if (set.count == 0) return;  // no combination at all: nothing to table
        if (set.count > kMaxTabledCombinations / combinations) return;
        combinations *= set.count;
    }
    const Scale scale{static_cast<double>(minComposite),
                      static_cast<double>(minComposite) + static_cast<double>(compositeCount - 1),
                      minComposite};
    auto places = std::make_shared<std::vector<std::int32_t>>(combinations);
    const SetRow& first = sets[0];
    for (std::size_t j = 0; j < first.count; ++j) {
        place(sets, 1, first.weightedScores[j], j, scale, places->data());
    }
    places_ = std::move(places);
}

void CompositeTable::operator()(std::span<const SetRow> sets, std::span<double> out) const {
    std::fill(out.begin(), out.end(), 0.0);
    const SetRow& first = sets[0];
    for (std::size_t j = 0; j < first.count; ++j) {
        const double probability = first.probabilities[j];
        if (probability == 0.0) continue;
        combineTabled(sets, 1, j, probability, places_->data(), out.data());
    }
}

}  // namespace tl
