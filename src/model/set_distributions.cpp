#include "model/set_distributions.h"

#include "model/parallel_for.h"
#include "model/raw_score_convolution.h"
#include "model/raw_score_distribution.h"

namespace tl {

SetDistributions computeSetDistributions(const CountVectorTable& table,
                                         const ProportionProfiles& profiles,
                                         std::span<const double> scorePoints,
                                         std::span<const double> rawScores, bool convolve,
                                         const ModelOptions& options) {
    const unsigned threads = options.threads;
    RawDistributionKernel kernel = options.substitutes.rawDistribution;
    if (!kernel && convolve) kernel = &convolveRawDistribution;
    SetDistributions result;
    result.entryCount = rawScores.size();
    result.profileCount = profiles.profileCount();
    result.rows.assign(result.profileCount * result.entryCount, 0.0);
    result.profileOf = profiles.profileOfExaminee();
    std::vector<DistributionScratch> scratch(threads == 0 ? 1 : threads);
    parallelFor(profiles.profileCount(), threads,
                [&](std::size_t begin, std::size_t end, unsigned worker) {
                    for (std::size_t profile = begin; profile < end; ++profile) {
                        std::span<double> out(result.rows.data() + profile * result.entryCount,
                                              result.entryCount);
                        if (kernel) {
                            kernel(table.itemCount, scorePoints, rawScores,
                                   profiles.proportions(profile), out);
                        } else {
                            computeRawDistribution(table, profiles.proportions(profile), out,
                                                   scratch[worker]);
                        }
                    }
                });
    return result;
}

}  // namespace tl
