#pragma once

// Inputs for the model kernels shared by the tests that compare the fast
// engines, the convolutions and the literal references.

#include <algorithm>
#include <cstdint>
#include <limits>
#include <random>
#include <vector>

#include "model/composite_distribution.h"
#include "reference/literal_model.h"

namespace tl::testing {

// Proportions of every kind the model meets: observed shares of a record,
// normalised reals with exact zeros, reals not summing to 1, and values the
// floor must catch (negative, NaN, -0).
inline std::vector<double> randomProportions(std::mt19937_64& rng, int k, int items) {
    std::vector<double> p(static_cast<std::size_t>(k));
    std::uniform_real_distribution<double> unit(0.0, 1.0);
    switch (std::uniform_int_distribution<int>(0, 3)(rng)) {
        case 0: {  // observed shares of a record: count / n, zeros common
            std::vector<int> counts(static_cast<std::size_t>(k), 0);
            for (int i = 0; i < std::max(items, 1); ++i)
                ++counts[std::uniform_int_distribution<int>(0, k - 1)(rng)];
            for (int m = 0; m < k; ++m) p[m] = static_cast<double>(counts[m]) / std::max(items, 1);
            break;
        }
        case 1: {  // normalised reals with some exact zeros
            double sum = 0.0;
            for (double& v : p) sum += (v = unit(rng) < 0.3 ? 0.0 : unit(rng));
            if (sum > 0.0)
                for (double& v : p) v /= sum;
            break;
        }
        case 2:  // not summing to 1
            for (double& v : p) v = unit(rng) < 0.2 ? 0.0 : unit(rng);
            break;
        default:  // values the floor must catch
            for (double& v : p) {
                const int what = std::uniform_int_distribution<int>(0, 5)(rng);
                v = what == 0   ? -0.25
                    : what == 1 ? std::numeric_limits<double>::quiet_NaN()
                    : what == 2 ? -0.0
                                : unit(rng);
            }
    }
    return p;
}

// One examinee's distribution on one set, with the storage SetRow points into.
struct SetData {
    double weight;
    std::vector<double> rawScores;
    std::vector<double> probabilities;
    std::vector<double> weighted;

    SetData(double w, std::int32_t minRaw, std::vector<double> p)
        : weight(w), probabilities(std::move(p)) {
        for (std::size_t j = 0; j < probabilities.size(); ++j) {
            rawScores.push_back(static_cast<double>(minRaw + static_cast<std::int32_t>(j)));
            weighted.push_back(weight * rawScores.back());
        }
    }
    SetRow row() const {
        return {probabilities.data(), weighted.data(), rawScores.data(), weight,
                probabilities.size()};
    }
};

inline std::vector<SetRow> rowsOf(const std::vector<SetData>& sets) {
    std::vector<SetRow> rows;
    for (const SetData& set : sets) rows.push_back(set.row());
    return rows;
}

inline std::vector<double> literalComposite(const std::vector<SetData>& sets,
                                            std::int32_t minComposite, std::size_t count) {
    std::vector<double> scores;
    for (std::size_t c = 0; c < count; ++c)
        scores.push_back(static_cast<double>(minComposite + static_cast<std::int32_t>(c)));
    std::vector<double> out(count, -1.0);
    reference::literalCompositeDistribution(rowsOf(sets), scores, out);
    return out;
}

}  // namespace tl::testing
