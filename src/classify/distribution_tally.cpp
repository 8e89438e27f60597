#include "classify/distribution_tally.h"

#include <algorithm>

namespace tl {

namespace {

// At most 256 groups a block, and about 64 blocks where there are fewer groups,
// so that small runs still spread over the threads; it depends on the group
// count alone.
std::size_t blockSizeFor(std::size_t groups) {
    return std::clamp<std::size_t>(groups / 64, 1, 256);
}

void addInto(std::vector<double>& total, const std::vector<double>& part) {
    for (std::size_t i = 0; i < part.size(); ++i) total[i] = total[i] + part[i];
}

}  // namespace

DistributionTally::DistributionTally(std::size_t groupCount,
                                     std::span<const double> compositeScores,
                                     const TallyRequest& request)
    : blockSize_(blockSizeFor(groupCount)), scores_(compositeScores), request_(request) {
    const std::size_t blocks = (groupCount + blockSize_ - 1) / blockSize_;
    const std::size_t n = scores_.size();
    DistributionSums empty;
    if (request_.fit) empty.mass.assign(n, 0.0);
    if (request_.sweep) {
        for (std::vector<double>* v :
             {&empty.above, &empty.aboveSquared, &empty.below, &empty.belowSquared,
              &empty.trueAboveObservedAbove, &empty.trueBelowObservedBelow, &empty.trulyAbove,
              &empty.trulyBelow})
            v->assign(n, 0.0);
    }
    blocks_.assign(blocks, empty);
}

void DistributionTally::add(std::size_t g, double weight, double trueScore,
                            std::span<const double> q) {
    DistributionSums& sums = blocks_[g / blockSize_];
    const std::size_t n = scores_.size();
    if (request_.fit) {
        for (std::size_t x = 0; x < n; ++x) sums.mass[x] = sums.mass[x] + weight * q[x];
    }
    if (!request_.sweep) return;
    // The lower tail is summed upwards, as a category's probability is; the
    // upper from the top down, which differs from that sum by a few ulps at
    // most and keeps the pass O(scores).
    const auto trulyAbove = [&](std::size_t j) {
        return trueScore >= request_.fixedTrueCut.value_or(scores_[j]);
    };
    double below = 0.0;
    for (std::size_t j = 1; j < n; ++j) {
        below = below + q[j - 1];
        sums.below[j] = sums.below[j] + weight * below;
        sums.belowSquared[j] = sums.belowSquared[j] + weight * (below * below);
        if (!trulyAbove(j)) {
            sums.trueBelowObservedBelow[j] = sums.trueBelowObservedBelow[j] + weight * below;
            sums.trulyBelow[j] = sums.trulyBelow[j] + weight;
        }
    }
    double above = 0.0;
    for (std::size_t j = n; j-- > 1;) {
        above = above + q[j];
        sums.above[j] = sums.above[j] + weight * above;
        sums.aboveSquared[j] = sums.aboveSquared[j] + weight * (above * above);
        if (trulyAbove(j)) {
            sums.trueAboveObservedAbove[j] = sums.trueAboveObservedAbove[j] + weight * above;
            sums.trulyAbove[j] = sums.trulyAbove[j] + weight;
        }
    }
}

DistributionSums DistributionTally::finish() const {
    if (blocks_.empty()) return {};
    DistributionSums total = blocks_[0];
    for (std::size_t b = 1; b < blocks_.size(); ++b) {
        const DistributionSums& part = blocks_[b];
        addInto(total.mass, part.mass);
        addInto(total.above, part.above);
        addInto(total.aboveSquared, part.aboveSquared);
        addInto(total.below, part.below);
        addInto(total.belowSquared, part.belowSquared);
        addInto(total.trueAboveObservedAbove, part.trueAboveObservedAbove);
        addInto(total.trueBelowObservedBelow, part.trueBelowObservedBelow);
        addInto(total.trulyAbove, part.trulyAbove);
        addInto(total.trulyBelow, part.trulyBelow);
    }
    return total;
}

}  // namespace tl
