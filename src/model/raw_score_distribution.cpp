#include "model/raw_score_distribution.h"

#include <algorithm>
#include <cmath>

#include "core/bit_pattern.h"

namespace tl {

double proportionFloor() {
    return doubleFromBits(0x3D06849B86A12B9BULL);
}  // 1e-14

void computeRawDistribution(const CountVectorTable& table, std::span<const double> proportions,
                            std::span<double> out, DistributionScratch& scratch) {
    const int k = table.scorePointCount;
    const int n = table.itemCount;
    const std::size_t row = static_cast<std::size_t>(n) + 1;

    double logP[16];
    for (int m = 0; m < k; ++m) {
        const double p = proportions[m];
        logP[m] = std::log(p > 0.0 ? p : proportionFloor());
    }
    // Every power the terms use, formed exactly as each term would form it.
    scratch.powers.resize(static_cast<std::size_t>(k - 1) * row);
    for (int m = 0; m < k - 1; ++m) {
        double* powers = scratch.powers.data() + static_cast<std::size_t>(m) * row;
        for (int c = 0; c <= n; ++c) powers[c] = std::exp(static_cast<double>(c) * logP[m]);
    }
    scratch.lastPowers.resize(table.lastCounts.size());
    for (std::size_t i = 0; i < table.lastCounts.size(); ++i) {
        scratch.lastPowers[i] = std::exp(table.lastCounts[i] * logP[k - 1]);
    }

    std::fill(out.begin(), out.end(), 0.0);
    CountVectorOdometer odometer(n, k - 1);
    std::uint32_t current = 0;
    const double* powers = scratch.powers.data();
    for (const CountVectorTable::Term& term : table.terms) {
        while (current < term.vector) {
            odometer.advance();
            ++current;
        }
        const std::vector<int>& c = odometer.counts();
        double prod = scratch.lastPowers[term.lastCount];
        for (int m = 0; m < k - 1; ++m)
            prod = powers[static_cast<std::size_t>(m) * row + c[m]] * prod;
        out[term.entry] = term.coefficient * prod + out[term.entry];
    }
}

}  // namespace tl
