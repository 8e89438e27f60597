#include "model/bias_correction.h"

#include <cmath>

namespace tl {

void correctProportions(ProportionProfiles& profiles, const ItemSet& set, double reliability,
                        std::vector<double>& correctedComposite) {
    const int k = profiles.scorePointCount();
    const std::size_t examinees = profiles.examineeCount();

    // Group means first, in examinee order, before any proportion changes.
    std::vector<double> means(static_cast<std::size_t>(k), 0.0);
    for (std::size_t e = 0; e < examinees; ++e) {
        const auto p = profiles.proportions(profiles.profileOf(e));
        for (int m = 0; m < k; ++m) means[m] = means[m] + p[m];
    }
    for (double& mean : means) mean = mean / static_cast<double>(examinees);

    const double r = std::sqrt(reliability);
    const double n = static_cast<double>(set.itemCount);
    std::vector<double> expectedTerms(profiles.profileCount() * static_cast<std::size_t>(k));
    for (std::size_t profile = 0; profile < profiles.profileCount(); ++profile) {
        auto p = profiles.mutableProportions(profile);
        for (int m = 0; m < k; ++m) {
            p[m] = (1.0 - r) * means[m] + r * p[m];
            expectedTerms[profile * k + m] = n * (set.weight * p[m]) * set.scorePoints[m];
        }
    }
    for (std::size_t e = 0; e < examinees; ++e) {
        const double* terms =
            expectedTerms.data() + profiles.profileOf(e) * static_cast<std::size_t>(k);
        double& composite = correctedComposite[e];
        for (int m = 0; m < k; ++m) composite = composite + terms[m];
    }
}

}  // namespace tl
