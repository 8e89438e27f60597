#include "model/irt/rudner.h"

#include <cmath>
#include <limits>

namespace tl::irt {

namespace {

constexpr double kSqrtHalf = 0.70710678118654752440;

// 1 - Phi(z), without the subtraction.
double normalTail(double z) {
    return 0.5 * std::erfc(z * kSqrtHalf);
}

}  // namespace

double normalCdf(double z) {
    return 0.5 * std::erfc(-z * kSqrtHalf);
}

void rudnerProbabilities(double theta, double se, std::span<const double> thetaCuts,
                         std::span<double> out) {
    const std::size_t K = thetaCuts.size() + 1;
    if (se <= 0.0) {
        std::size_t at = 0;
        while (at < thetaCuts.size() && theta >= thetaCuts[at]) ++at;
        for (std::size_t k = 0; k < K; ++k) out[k] = k == at ? 1.0 : 0.0;
        return;
    }
    constexpr double kInfinity = std::numeric_limits<double>::infinity();
    for (std::size_t k = 0; k < K; ++k) {
        const double low = k == 0 ? -kInfinity : (thetaCuts[k - 1] - theta) / se;
        const double high = k + 1 == K ? kInfinity : (thetaCuts[k] - theta) / se;
        // Both standardised cuts above 0: the difference of the upper tails.
        out[k] = low > 0.0 ? normalTail(low) - normalTail(high) : normalCdf(high) - normalCdf(low);
    }
}

}  // namespace tl::irt
