#include "classify/bootstrap_spread.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <vector>

namespace tl {

namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

}  // namespace

double quantileOfSorted(std::span<const double> sorted, double p) {
    const std::size_t n = sorted.size();
    if (n == 0) return kNaN;
    // 1-based as R forms it, so that h has R's bits.
    const double index = 1.0 + static_cast<double>(n - 1) * p;
    const double lo = std::floor(index);
    const double hi = std::ceil(index);
    const double low = sorted[static_cast<std::size_t>(lo) - 1];
    const double high = sorted[static_cast<std::size_t>(hi) - 1];
    if (!(index > lo) || high == low) return low;
    const double h = index - lo;
    return (1.0 - h) * low + h * high;
}

IndexSpread spreadOf(std::span<const double> replicateValues) {
    std::vector<double> defined;
    defined.reserve(replicateValues.size());
    IndexSpread spread;
    for (double v : replicateValues) {
        if (std::isnan(v)) {
            ++spread.replicatesUndefined;
        } else {
            defined.push_back(v);
        }
    }
    const std::size_t count = defined.size();
    if (count >= 2) {
        double sum = 0.0;
        for (double v : defined) sum = sum + v;
        const double mean = sum / static_cast<double>(count);
        double squares = 0.0;
        for (double v : defined) squares = squares + (v - mean) * (v - mean);
        spread.se = std::sqrt(squares / static_cast<double>(count - 1));
    } else {
        spread.se = kNaN;
    }
    std::sort(defined.begin(), defined.end());
    spread.ciLow = quantileOfSorted(defined, 0.025);
    spread.ciHigh = quantileOfSorted(defined, 0.975);
    return spread;
}

IndexSetSpread spreadOf(std::span<const IndexSet> replicates) {
    std::vector<double> values(replicates.size());
    const auto spreadOfField = [&](double IndexSet::*field) {
        for (std::size_t b = 0; b < replicates.size(); ++b) values[b] = replicates[b].*field;
        return spreadOf(std::span<const double>(values));
    };
    IndexSetSpread s;
    s.consistency = spreadOfField(&IndexSet::consistency);
    s.chance = spreadOfField(&IndexSet::chance);
    s.kappa = spreadOfField(&IndexSet::kappa);
    s.accuracy = spreadOfField(&IndexSet::accuracy);
    s.falsePositive = spreadOfField(&IndexSet::falsePositive);
    s.falseNegative = spreadOfField(&IndexSet::falseNegative);
    return s;
}

}  // namespace tl
