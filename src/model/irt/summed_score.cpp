#include "model/irt/summed_score.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <stdexcept>
#include <utility>

#include "model/irt/item_probability.h"

namespace tl::irt {

namespace {

// Whether x is a whole number, to the rounding of a score point written in
// decimals and scaled.
bool nearlyWhole(double x) {
    return std::fabs(x - std::round(x)) <= 1e-9 * std::max(1.0, std::fabs(x));
}

// The least L that makes every score point a whole multiple of 1/L.
std::int64_t commonScale(std::span<const double> scorePoints) {
    for (std::int64_t scale = 1; scale <= 1000; ++scale) {
        const double s = static_cast<double>(scale);
        if (std::all_of(scorePoints.begin(), scorePoints.end(),
                        [s](double x) { return nearlyWhole(x * s); }))
            return scale;
    }
    throw std::invalid_argument("score points with no common denominator up to 1000");
}

}  // namespace

void setScoreDistribution(std::span<const ItemParameters* const> items,
                          std::span<const double> scorePoints, double D, double theta,
                          std::span<const double> rawScores, std::span<double> out,
                          SummedScoreScratch& scratch) {
    const std::int64_t scale = commonScale(scorePoints);
    const double s = static_cast<double>(scale);
    const std::int64_t lowest =
        std::llround(*std::min_element(scorePoints.begin(), scorePoints.end()) * s);
    // Each category's step above the lowest score point, in units of 1/L.
    std::int64_t steps[64];
    if (scorePoints.size() > 64) throw std::invalid_argument("more than 64 score points");
    std::int64_t widest = 0;
    for (std::size_t k = 0; k < scorePoints.size(); ++k) {
        steps[k] = std::llround(scorePoints[k] * s) - lowest;
        widest = std::max(widest, steps[k]);
    }
    const std::size_t span = items.size() * static_cast<std::size_t>(widest) + 1;
    if (scratch.sums.size() < span) {
        scratch.sums.resize(span);
        scratch.next.resize(span);
    }
    if (scratch.categories.size() < scorePoints.size())
        scratch.categories.resize(scorePoints.size());
    const std::span<double> p(scratch.categories.data(), scorePoints.size());

    scratch.sums[0] = 1.0;
    std::size_t width = 1;  // sums 0 .. width - 1 above the lowest are reachable
    for (const ItemParameters* item : items) {
        categoryProbabilities(*item, D, theta, p);
        const std::size_t grown = width + static_cast<std::size_t>(widest);
        std::fill(scratch.next.begin(), scratch.next.begin() + grown, 0.0);
        for (std::size_t t = 0; t < width; ++t) {
            const double before = scratch.sums[t];
            for (std::size_t k = 0; k < p.size(); ++k)
                scratch.next[t + static_cast<std::size_t>(steps[k])] += before * p[k];
        }
        std::swap(scratch.sums, scratch.next);
        width = grown;
    }

    const std::int64_t base = static_cast<std::int64_t>(items.size()) * lowest;
    for (std::size_t r = 0; r < rawScores.size(); ++r) {
        const double scaled = rawScores[r] * s;
        const std::int64_t t = std::llround(scaled) - base;
        out[r] = nearlyWhole(scaled) && t >= 0 && t < static_cast<std::int64_t>(width)
                     ? scratch.sums[static_cast<std::size_t>(t)]
                     : 0.0;
    }
}

std::vector<double> setScoreDistribution(std::span<const ItemParameters* const> items,
                                         std::span<const double> scorePoints, double D,
                                         double theta, std::span<const double> rawScores) {
    std::vector<double> out(rawScores.size());
    SummedScoreScratch scratch;
    setScoreDistribution(items, scorePoints, D, theta, rawScores, out, scratch);
    return out;
}

}  // namespace tl::irt
