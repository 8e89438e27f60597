#include "model/beta_binomial/error_model.h"

#include <algorithm>
#include <cmath>

namespace tl::betabinomial {

void binomialProbabilities(std::int32_t n, double tau, std::span<const double> logFactorial,
                           std::span<double> out) {
    const auto size = static_cast<std::size_t>(n) + 1;
    if (!(tau > 0.0) || !(tau < 1.0)) {
        std::fill(out.begin(), out.begin() + static_cast<std::ptrdiff_t>(size), 0.0);
        out[tau > 0.0 ? size - 1 : 0] = 1.0;
        return;
    }
    const double logTau = std::log(tau), logRest = std::log1p(-tau);
    for (std::size_t x = 0; x < size; ++x) {
        const double xs = static_cast<double>(x);
        out[x] = std::exp(logFactorial[size - 1] - logFactorial[x] - logFactorial[size - 1 - x] +
                          xs * logTau + (static_cast<double>(n) - xs) * logRest);
    }
}

ErrorModel::ErrorModel(Method method, std::int32_t n, double k)
    : method_(method), n_(n), k_(method == Method::HansonBrennan ? k : 0.0) {
    logFactorial_.assign(static_cast<std::size_t>(n) + 1, 0.0);
    for (std::size_t x = 1; x < logFactorial_.size(); ++x)
        logFactorial_[x] = logFactorial_[x - 1] + std::log(static_cast<double>(x));
}

void ErrorModel::probabilities(double tau, std::span<double> out) const {
    binomialProbabilities(n_, tau, logFactorial_, out);
    if (method_ != Method::HansonBrennan || k_ == 0.0 || n_ < 2) return;
    std::vector<double> shorter(static_cast<std::size_t>(n_) - 1);
    binomialProbabilities(n_ - 2, tau, logFactorial_, shorter);
    const double scale = k_ * tau * (1.0 - tau);
    auto at = [&](std::int32_t x) {
        return x < 0 || x > n_ - 2 ? 0.0 : shorter[static_cast<std::size_t>(x)];
    };
    for (std::int32_t x = 0; x <= n_; ++x)
        out[static_cast<std::size_t>(x)] -= scale * (at(x) - 2.0 * at(x - 1) + at(x - 2));
}

double ErrorModel::variance(double tau) const {
    return (static_cast<double>(n_) - 2.0 * k_) * tau * (1.0 - tau);
}

ObservedCategories observedCategories(std::span<const double> cuts, double a, double b,
                                      std::int32_t n) {
    ObservedCategories out;
    out.first.push_back(0);
    for (double c : cuts) {
        const double scaled = static_cast<double>(n) * (c - a) / (b - a);
        const double start = std::ceil(scaled - 1e-9);
        out.first.push_back(static_cast<std::int32_t>(
            std::clamp(start, static_cast<double>(out.first.back()), static_cast<double>(n) + 1)));
    }
    out.first.push_back(n + 1);
    out.ofScore.assign(static_cast<std::size_t>(n) + 1, 0);
    for (std::size_t k = 0; k + 1 < out.first.size(); ++k)
        for (std::int32_t x = out.first[k]; x < out.first[k + 1]; ++x)
            out.ofScore[static_cast<std::size_t>(x)] = static_cast<std::int32_t>(k);
    return out;
}

std::vector<double> trueCutsOnTau(std::span<const double> trueCuts, double a, double b) {
    std::vector<double> out;
    for (double t : trueCuts) out.push_back((t - a) / (b - a));
    return out;
}

void categoryProbabilities(const ObservedCategories& categories, std::span<const double> pmf,
                           std::span<double> out) {
    for (std::size_t k = 0; k < categories.count(); ++k) {
        double sum = 0.0;
        for (std::int32_t x = categories.first[k]; x < categories.first[k + 1]; ++x)
            sum = sum + pmf[static_cast<std::size_t>(x)];
        out[k] = sum;
    }
}

}  // namespace tl::betabinomial
