#include "model/beta_binomial/alpha.h"

#include <cmath>
#include <limits>

#include "model/beta_binomial/moments.h"

namespace tl::betabinomial {

namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

std::vector<double> rowSums(std::span<const std::vector<double>> items) {
    std::vector<double> total(items.empty() ? 0 : items.front().size(), 0.0);
    for (const auto& item : items)
        for (std::size_t i = 0; i < total.size(); ++i) total[i] = total[i] + item[i];
    return total;
}

}  // namespace

double alpha(std::span<const double> itemVariances, double totalVariance, int itemCount) {
    if (itemCount < 2 || !(totalVariance > 0.0)) return kNaN;
    double sum = 0.0;
    for (double v : itemVariances) sum = sum + v;
    const double j = static_cast<double>(itemCount);
    return j / (j - 1.0) * (1.0 - sum / totalVariance);
}

double alphaOfItems(std::span<const std::vector<double>> items) {
    std::vector<double> variances;
    for (const auto& item : items) variances.push_back(sampleVariance(item));
    const std::vector<double> total = rowSums(items);
    return alpha(variances, sampleVariance(total), static_cast<int>(items.size()));
}

double stratifiedAlpha(std::span<const SetAlpha> sets, double compositeVariance) {
    if (!(compositeVariance > 0.0)) return kNaN;
    double error = 0.0;
    for (const SetAlpha& s : sets)
        error = error + s.weight * s.weight * s.variance * (1.0 - s.alpha);
    return 1.0 - error / compositeVariance;
}

double stratifiedAlphaOfItems(std::span<const std::vector<std::vector<double>>> sets,
                              std::span<const double> weights) {
    std::vector<SetAlpha> strata;
    std::vector<double> composite;
    for (std::size_t s = 0; s < sets.size(); ++s) {
        const std::vector<double> raw = rowSums(sets[s]);
        if (composite.empty()) composite.assign(raw.size(), 0.0);
        for (std::size_t i = 0; i < raw.size(); ++i)
            composite[i] = composite[i] + weights[s] * raw[i];
        strata.push_back({weights[s], sampleVariance(raw), alphaOfItems(sets[s])});
    }
    return stratifiedAlpha(strata, sampleVariance(composite));
}

}  // namespace tl::betabinomial
