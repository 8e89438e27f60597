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
    // Two buffers of the sums 0 .. span - 1 above the lowest, each after
    // `widest` zeros, so that sum t - step reads 0 below the lowest sum.
    const auto pad = static_cast<std::size_t>(widest);
    const std::size_t span = items.size() * pad + 1;
    if (scratch.sums.size() < 2 * (pad + span)) scratch.sums.resize(2 * (pad + span));
    if (scratch.categories.size() < scorePoints.size())
        scratch.categories.resize(scorePoints.size());
    const std::span<double> p(scratch.categories.data(), scorePoints.size());
    double* sums = scratch.sums.data() + pad;
    double* next = sums + span + pad;
    std::fill(sums - pad, sums, 0.0);
    std::fill(next - pad, next, 0.0);

    sums[0] = 1.0;
    std::size_t width = 1;  // sums 0 .. width - 1 are reachable
    for (const ItemParameters* item : items) {
        categoryProbabilities(*item, D, theta, p);
        const std::size_t grown = width + pad;
        std::fill(sums + width, sums + grown, 0.0);
        // Category by category over every sum, so that the inner loop runs
        // over contiguous sums.
        for (std::size_t k = 0; k < p.size(); ++k) {
            const double* from = sums - steps[k];
            const double pk = p[k];
            if (k == 0) {
                for (std::size_t t = 0; t < grown; ++t) next[t] = from[t] * pk;
            } else {
                for (std::size_t t = 0; t < grown; ++t) next[t] += from[t] * pk;
            }
        }
        std::swap(sums, next);
        width = grown;
    }

    // The raw scores are consecutive whole numbers: L sums apart.
    const std::int64_t base = static_cast<std::int64_t>(items.size()) * lowest;
    const std::int64_t first = rawScores.empty() ? 0 : std::llround(rawScores[0] * s) - base;
    for (std::size_t r = 0; r < rawScores.size(); ++r) {
        const std::int64_t t = first + static_cast<std::int64_t>(r) * scale;
        out[r] = t >= 0 && t < static_cast<std::int64_t>(width) ? sums[t] : 0.0;
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
