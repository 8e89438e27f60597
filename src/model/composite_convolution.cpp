#include "model/composite_convolution.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstddef>
#include <memory>
#include <numeric>
#include <vector>

#include "model/rounding.h"

namespace tl {

namespace {

constexpr std::int64_t kExactUnits = std::int64_t{1} << 53;
constexpr std::int64_t kMaxSpan = std::int64_t{1} << 22;  // distinct sums held at once

// The q of a nonzero finite value = m 2^q with m odd.
int lowestBitExponent(double value) {
    int exponent = 0;
    const double fraction = std::frexp(value, &exponent);  // value = fraction 2^exponent
    const auto mantissa = static_cast<std::uint64_t>(std::ldexp(std::fabs(fraction), 53));
    return exponent - 53 + std::countr_zero(mantissa);
}

}  // namespace

// The sets' weighted scores as whole multiples of one unit 2^-e (e may be
// negative), when the loops' sums of them are exact: the sums are multiples of
// the unit too, and below 2^53 units each one is a double.
struct CompositeConvolution::Units {
    bool exact = false;
    int exponent = 0;                           // e: the unit is 2^-e
    std::int64_t lowest = 0;                    // smallest possible sum, in units
    std::int64_t step = 1;                      // gcd of the distances between sums
    std::int64_t span = 0;                      // distinct sums, lowest .. highest by step
    std::vector<std::vector<std::int64_t>> of;  // per set: each score minus the set's lowest
    std::vector<std::vector<std::size_t>> at;   // per set: each score's offset in steps
    std::vector<std::size_t> widest;            // per set: its largest offset in steps
    bool empty = false;                         // some set has no raw score at all
};

namespace {

using Units = CompositeConvolution::Units;

Units unitsOf(std::span<const SetRow> sets) {
    Units units;
    bool first = true;
    for (const SetRow& set : sets) {
        for (std::size_t j = 0; j < set.count; ++j) {
            const double score = set.weightedScores[j];
            if (!std::isfinite(score)) return units;
            if (score == 0.0) continue;
            const int e = -lowestBitExponent(score);
            units.exponent = first ? e : std::max(units.exponent, e);
            first = false;
        }
    }
    // Every partial sum is bounded by the sum of the sets' largest magnitudes.
    std::int64_t bound = 0, highest = 0, step = 0;
    for (const SetRow& set : sets) {
        std::vector<std::int64_t> scaled(set.count);
        std::int64_t largest = 0;
        for (std::size_t j = 0; j < set.count; ++j) {
            const double u = std::ldexp(set.weightedScores[j], units.exponent);
            if (!(std::fabs(u) < static_cast<double>(kExactUnits))) return units;
            scaled[j] = static_cast<std::int64_t>(u);
            largest = std::max(largest, scaled[j] < 0 ? -scaled[j] : scaled[j]);
        }
        bound += largest;
        if (bound >= kExactUnits) return units;
        if (set.count == 0) {
            units.empty = true;
            units.of.emplace_back();
            continue;
        }
        const auto [lo, hi] = std::minmax_element(scaled.begin(), scaled.end());
        const std::int64_t low = *lo;
        units.lowest += low;
        highest += *hi;
        for (std::int64_t& u : scaled) {
            u -= low;
            step = std::gcd(step, u);
        }
        units.of.push_back(std::move(scaled));
    }
    units.step = step > 0 ? step : 1;
    units.span = (highest - units.lowest) / units.step + 1;
    units.exact = units.span <= kMaxSpan;
    for (const std::vector<std::int64_t>& scores : units.of) {
        std::vector<std::size_t>& at = units.at.emplace_back();
        std::size_t widest = 0;
        for (std::int64_t u : scores) {
            at.push_back(static_cast<std::size_t>(u / units.step));
            widest = std::max(widest, at.back());
        }
        units.widest.push_back(widest);
    }
    return units;
}

}  // namespace

CompositeConvolution::CompositeConvolution(std::span<const SetRow> sets)
    : sets_(sets.size()), units_(std::make_shared<const Units>(unitsOf(sets))) {}

bool CompositeConvolution::applies() const {
    return sets_ <= 1 || units_->exact;
}

void CompositeConvolution::operator()(std::span<const SetRow> sets, std::int32_t minComposite,
                                      std::span<double> out, Scratch& scratch) const {
    // One set is compared unrounded and costs one pass anyway.
    if (sets.size() <= 1) return computeCompositeDistribution(sets, minComposite, out);
    std::fill(out.begin(), out.end(), 0.0);
    if (out.empty() || units_->empty) return;  // no combination at all
    const Units& units = *units_;

    // sums[r]: probability that the sets so far add up to the lowest sum plus r steps.
    const auto span = static_cast<std::size_t>(units.span);
    std::vector<double>& sums = scratch.sums;
    std::vector<double>& next = scratch.next;
    // Only the first `length` sums are read, and `next` is cleared up to its
    // new length before use, so the buffers are sized once and never cleared.
    sums.resize(span);
    next.resize(span);
    sums[0] = 1.0;
    std::size_t length = 1;
    for (std::size_t s = 0; s < sets.size(); ++s) {
        const std::vector<std::size_t>& at = units.at[s];
        const std::size_t grown = length + units.widest[s];
        std::fill(next.begin(), next.begin() + static_cast<std::ptrdiff_t>(grown), 0.0);
        for (std::size_t j = 0; j < sets[s].count; ++j) {
            const double p = sets[s].probabilities[j];
            if (p == 0.0) continue;  // adds +0.0 everywhere, which changes no sum
            double* to = next.data() + at[j];
            const double* from = sums.data();
            for (std::size_t r = 0; r < length; ++r) to[r] = from[r] * p + to[r];
        }
        sums.swap(next);
        length = grown;
    }

    // Each exact sum, as the double the loops hold, rounded and filed as they do.
    const double lowestScore = static_cast<double>(minComposite);
    const double highestScore = lowestScore + static_cast<double>(out.size() - 1);
    for (std::size_t r = 0; r < length; ++r) {
        if (sums[r] == 0.0) continue;
        const std::int64_t u = units.lowest + static_cast<std::int64_t>(r) * units.step;
        const double score = roundHalfAway(std::ldexp(static_cast<double>(u), -units.exponent));
        if (!(score >= lowestScore && score <= highestScore)) continue;
        const auto c = static_cast<std::size_t>(static_cast<std::int64_t>(score) - minComposite);
        out[c] = out[c] + sums[r];
    }
}

bool compositeConvolutionApplies(std::span<const SetRow> sets) {
    return CompositeConvolution(sets).applies();
}

void convolveCompositeDistribution(std::span<const SetRow> sets, std::int32_t minComposite,
                                   std::span<double> out) {
    CompositeConvolution::Scratch scratch;
    const CompositeConvolution convolution(sets);
    convolution(sets, minComposite, out, scratch);
}

}  // namespace tl
