#include "model/count_vector_table.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <unordered_map>

#include "model/log_factorial.h"
#include "model/rounding.h"

namespace tl {

CountVectorOdometer::CountVectorOdometer(int itemCount, int enumeratedCounts)
    : n_(itemCount), counts_(static_cast<std::size_t>(enumeratedCounts), 0) {}

bool CountVectorOdometer::advance() {
    // Raise the innermost count that still has room; reset the ones inside it.
    for (int m = static_cast<int>(counts_.size()) - 1; m >= 0; --m) {
        if (used_ < n_) {
            ++counts_[m];
            ++used_;
            return true;
        }
        used_ -= counts_[m];
        counts_[m] = 0;
    }
    return false;
}

namespace {

// The exact raw-score test of a vector against entry R_j: starting from R_j, add
// c_m (x_k - x_m) left to right; the vector belongs to the entry only when the
// sum equals n x_k exactly.
bool passesRawScoreTest(double rawScore, const std::vector<int>& c,
                        const std::vector<double>& differences, double target) {
    double s = rawScore;
    for (std::size_t m = 0; m < c.size(); ++m) s = s + static_cast<double>(c[m]) * differences[m];
    return target == s;
}

// c_k derived from R_j: R_j (1/x_k) - c_1 (x_1/x_k) - ... left to right. When the
// highest score point is 0 the quotient is undefined and the count is taken as
// n - c_1 - ... - c_(k-1), which is what the derived count equals elsewhere.
double lastCountFor(double rawScore, const std::vector<int>& c, int n, double reciprocal,
                    const std::vector<double>& ratios, bool highestIsZero) {
    if (highestIsZero) {
        double last = static_cast<double>(n);
        for (int count : c) last = last - static_cast<double>(count);
        return last;
    }
    double last = rawScore * reciprocal;
    for (std::size_t m = 0; m < c.size(); ++m) last = last - static_cast<double>(c[m]) * ratios[m];
    return last;
}

double coefficientFor(int n, double lastCount, const std::vector<int>& c, bool& negative) {
    const double roundedLast = roundHalfAway(lastCount);
    negative = negative || roundedLast < 0.0;
    double t = factln(n) - factln(static_cast<std::int32_t>(roundedLast));
    for (int count : c) t = t - factln(count);
    return roundHalfAway(std::exp(t));
}

}  // namespace

CountVectorTable buildCountVectorTable(int itemCount, std::span<const double> x,
                                       std::span<const double> rawScores) {
    CountVectorTable table;
    table.itemCount = itemCount;
    table.scorePointCount = static_cast<int>(x.size());
    table.entryCount = rawScores.size();
    const int k = static_cast<int>(x.size());
    const double xk = x[k - 1];
    const double target = static_cast<double>(itemCount) * xk;
    const bool highestIsZero = xk == 0.0;
    const double reciprocal = 1.0 / xk;
    std::vector<double> differences(k - 1), ratios(k - 1);
    double widest = 0.0;
    for (int m = 0; m < k - 1; ++m) {
        differences[m] = xk - x[m];
        ratios[m] = x[m] / xk;
        widest = std::max(widest, std::fabs(differences[m]));
    }
    const std::size_t entries = rawScores.size();
    const double lowestRaw = entries ? rawScores[0] : 0.0;
    // With magnitudes far below 2^53 the rounding of the test sum is a tiny
    // fraction of one raw-score step, so only the entries next to the vector's
    // own raw score can pass; otherwise every entry is tried.
    const double magnitude =
        std::fabs(target) + itemCount * widest +
        (entries ? std::max(std::fabs(rawScores[0]), std::fabs(rawScores[entries - 1])) : 0.0);
    const bool nearbyOnly = magnitude < 0x1p40;

    std::unordered_map<std::uint64_t, std::uint32_t> lastCountIndex;
    auto indexOfLast = [&](double value) {
        std::uint64_t bits;
        std::memcpy(&bits, &value, sizeof bits);
        auto [it, inserted] =
            lastCountIndex.try_emplace(bits, static_cast<std::uint32_t>(table.lastCounts.size()));
        if (inserted) table.lastCounts.push_back(value);
        return it->second;
    };

    CountVectorOdometer odometer(itemCount, k - 1);
    std::uint32_t vector = 0;
    do {
        const std::vector<int>& c = odometer.counts();
        std::size_t first = 0, last = entries;
        if (nearbyOnly && entries > 0) {
            double spread = 0.0;
            for (int m = 0; m < k - 1; ++m) spread += c[m] * differences[m];
            const double candidate = std::nearbyint(target - spread - lowestRaw);
            const double lo = std::max(candidate - 2.0, 0.0);
            const double hi = std::min(candidate + 3.0, static_cast<double>(entries));
            first = lo < hi ? static_cast<std::size_t>(lo) : 0;
            last = lo < hi ? static_cast<std::size_t>(hi) : 0;
        }
        for (std::size_t j = first; j < last; ++j) {
            if (!passesRawScoreTest(rawScores[j], c, differences, target)) continue;
            const double lastCount =
                lastCountFor(rawScores[j], c, itemCount, reciprocal, ratios, highestIsZero);
            table.terms.push_back(
                {vector, static_cast<std::uint32_t>(j), indexOfLast(lastCount),
                 coefficientFor(itemCount, lastCount, c, table.negativeFactorial)});
        }
        ++vector;
    } while (odometer.advance());
    return table;
}

namespace {

// n! / (c_1! .. c_k!) as a product of binomials C(c_1 + .. + c_m, c_m), each
// built up exactly; 0 once it passes 2^53, beyond which no double coefficient
// is trusted to be the integer.
std::uint64_t exactMultinomial(const std::vector<int>& c, int last) {
    __extension__ using Wide = unsigned __int128;
    constexpr Wide kLimit = Wide{1} << 53;
    Wide value = 1;
    std::int64_t total = 0;
    auto add = [&](int count) {
        for (int i = 1; i <= count; ++i) {
            ++total;
            value = value * static_cast<Wide>(total) / static_cast<Wide>(i);
            if (value > kLimit) return false;
        }
        return true;
    };
    for (int count : c)
        if (!add(count)) return 0;
    if (!add(last)) return 0;
    return static_cast<std::uint64_t>(value);
}

}  // namespace

bool hasExactMultinomials(const CountVectorTable& table) {
    if (table.negativeFactorial) return false;
    const int n = table.itemCount;
    CountVectorOdometer odometer(n, table.scorePointCount - 1);
    std::uint32_t current = 0;
    for (const CountVectorTable::Term& term : table.terms) {
        while (current < term.vector) {
            odometer.advance();
            ++current;
        }
        const std::vector<int>& c = odometer.counts();
        int last = n;
        for (int count : c) last -= count;
        // The derived c_k carries the rounding of its divisions (a few units in
        // the last place of n), which its power exp(c_k ln p_k) feels only as
        // rounding; a count off by more would be another term.
        if (!(std::fabs(table.lastCounts[term.lastCount] - last) < 1e-9)) return false;
        const std::uint64_t exact = exactMultinomial(c, last);
        if (exact == 0 || term.coefficient != static_cast<double>(exact)) return false;
    }
    return true;
}

}  // namespace tl
