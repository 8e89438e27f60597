#include "classify/category_groups.h"

#include <algorithm>
#include <unordered_map>

#include "classify/classification.h"
#include "model/parallel_for.h"
#include "model/scale_score_variance.h"

namespace tl {

namespace {

struct TupleHash {
    std::size_t operator()(const std::vector<std::uint32_t>& tuple) const {
        std::uint64_t h = 0x9E3779B97F4A7C15ULL;
        for (std::uint32_t v : tuple) {
            h ^= v;
            h *= 0xBF58476D1CE4E5B9ULL;
            h ^= h >> 29;
        }
        return static_cast<std::size_t>(h);
    }
};

}  // namespace

void CompositeCombiner::operator()(std::span<const SetRow> rows, std::span<double> out,
                                   CompositeConvolution::Scratch& scratch) const {
    if (kernel) {
        kernel(rows, compositeScores, out);
    } else if (setup->convolution) {
        (*setup->convolution)(rows, minComposite, out, scratch);
    } else if (setup->table) {
        (*setup->table)(rows, out);
    } else {
        computeCompositeDistribution(rows, minComposite, out);
    }
}

CategoryGroups computeCategoryGroups(const CategoryInputs& in, DistributionSums* sums) {
    const std::span<const SetDistributions> sets = in.sets;
    const std::span<const SetScale> scales = in.scales;
    const std::span<const double> compositeScores = in.compositeScores;
    const std::span<const double> observedCuts = in.observedCuts;
    const std::int32_t categoryCount = in.categoryCount;
    const CompositeCombiner combine{in.composite, in.options.substitutes.composite,
                                    in.compositeScores, in.minComposite};
    const ModelOptions& options = in.options;
    const std::span<const double> scaleScores = in.scaleScores;
    const unsigned threads = options.threads;
    const std::size_t examinees = sets.empty() ? 0 : sets[0].profileOf.size();
    CategoryGroups groups;
    groups.groupOf.resize(examinees);

    // Group examinees by their tuple of per-set profiles.
    std::vector<std::uint32_t> tuples;  // group-major, one profile per set
    std::unordered_map<std::vector<std::uint32_t>, std::uint32_t, TupleHash> index;
    std::vector<std::uint32_t> tuple(sets.size());
    std::vector<double> members;           // per group
    std::vector<std::size_t> firstMember;  // per group
    for (std::size_t e = 0; e < examinees; ++e) {
        for (std::size_t s = 0; s < sets.size(); ++s) tuple[s] = sets[s].profileOf[e];
        const auto [it, inserted] =
            index.try_emplace(tuple, static_cast<std::uint32_t>(index.size()));
        if (inserted) {
            tuples.insert(tuples.end(), tuple.begin(), tuple.end());
            members.push_back(0.0);
            firstMember.push_back(e);
        }
        groups.groupOf[e] = it->second;
        members[it->second] = members[it->second] + 1.0;
    }
    const std::size_t groupCount = index.size();
    index.clear();

    // Weighted raw scores of each set, formed once.
    std::vector<std::vector<double>> weighted(sets.size());
    for (std::size_t s = 0; s < sets.size(); ++s) {
        for (double r : scales[s].rawScores) weighted[s].push_back(scales[s].weight * r);
    }
    const std::vector<std::size_t> starts = categoryStarts(observedCuts, compositeScores);
    const auto categories = static_cast<std::size_t>(categoryCount);
    groups.probabilities.assign(groupCount * categories, 0.0);
    groups.consistency.assign(groupCount, 0.0);
    if (!scaleScores.empty()) groups.scaleVariance.assign(groupCount, 0.0);

    // The examinees of a group share their true composite as they share their
    // observed proportions.
    const bool tallied = sums != nullptr && in.tally.any();
    DistributionTally tally(tallied ? groupCount : 0, compositeScores, in.tally);
    const std::size_t block = tally.blockSize();
    const std::size_t blocks = (groupCount + block - 1) / block;
    parallelFor(blocks, threads, [&](std::size_t firstBlock, std::size_t endBlock, unsigned) {
        const std::size_t begin = firstBlock * block;
        const std::size_t end = std::min(groupCount, endBlock * block);
        std::vector<double> distribution(compositeScores.size());
        std::vector<SetRow> rows(sets.size());
        CompositeConvolution::Scratch scratch;
        for (std::size_t g = begin; g < end; ++g) {
            for (std::size_t s = 0; s < sets.size(); ++s) {
                const std::uint32_t profile = tuples[g * sets.size() + s];
                rows[s] = SetRow{sets[s].row(profile).data(), weighted[s].data(),
                                 scales[s].rawScores.data(), scales[s].weight, sets[s].entryCount};
            }
            combine(rows, distribution, scratch);
            std::span<double> p(groups.probabilities.data() + g * categories, categories);
            categoryProbabilities(distribution, starts, p);
            groups.consistency[g] = conditionalConsistency(p);
            if (!scaleScores.empty())
                groups.scaleVariance[g] = scaleScoreVariance(distribution, scaleScores);
            if (tallied) {
                const double truth = in.trueScore.empty() ? 0.0 : in.trueScore[firstMember[g]];
                tally.add(g, members[g], truth, distribution);
            }
        }
    });
    if (tallied) *sums = tally.finish();
    return groups;
}

}  // namespace tl
