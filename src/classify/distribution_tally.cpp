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
    if (request_.sweep && request_.keepTails && n >= 2 &&
        groupCount <= kMostKeptTails / (2 * (n - 1))) {
        tails_.width = 2 * (n - 1);
        tails_.tails.assign(groupCount * tails_.width, 0.0);
        tails_.trueScore.assign(groupCount, 0.0);
    }
}

void DistributionTally::add(std::size_t g, double weight, double trueScore,
                            std::span<const double> q) {
    DistributionSums& sums = blocks_[g / blockSize_];
    const std::size_t n = scores_.size();
    if (request_.fit) {
        for (std::size_t x = 0; x < n; ++x) sums.mass[x] = sums.mass[x] + weight * q[x];
    }
    if (!request_.sweep || n < 2) return;
    // The lower tail is summed upwards, as a category's probability is; the
    // upper from the top down, which differs from that sum by a few ulps at
    // most and keeps the pass O(scores).
    thread_local std::vector<double> below, above;
    below.assign(n - 1, 0.0);
    above.assign(n - 1, 0.0);
    double sum = 0.0;
    for (std::size_t j = 1; j < n; ++j) {
        sum = sum + q[j - 1];
        below[j - 1] = sum;
    }
    sum = 0.0;
    for (std::size_t j = n; j-- > 1;) {
        sum = sum + q[j];
        above[j - 1] = sum;
    }
    if (!tails_.empty()) {
        std::copy(below.begin(), below.end(), tails_.tails.begin() + g * tails_.width);
        std::copy(above.begin(), above.end(), tails_.tails.begin() + g * tails_.width + (n - 1));
        tails_.trueScore[g] = trueScore;
    }
    addTails(g, weight, trueScore, below, above);
}

void DistributionTally::addTails(std::size_t g, double weight, double trueScore,
                                 std::span<const double> below, std::span<const double> above) {
    DistributionSums& sums = blocks_[g / blockSize_];
    const std::size_t n = scores_.size();
    for (std::size_t j = 1; j < n; ++j) {
        const double b = below[j - 1], a = above[j - 1];
        sums.below[j] = sums.below[j] + weight * b;
        sums.belowSquared[j] = sums.belowSquared[j] + weight * (b * b);
        sums.above[j] = sums.above[j] + weight * a;
        sums.aboveSquared[j] = sums.aboveSquared[j] + weight * (a * a);
        if (trueScore >= request_.fixedTrueCut.value_or(scores_[j])) {
            sums.trueAboveObservedAbove[j] = sums.trueAboveObservedAbove[j] + weight * a;
            sums.trulyAbove[j] = sums.trulyAbove[j] + weight;
        } else {
            sums.trueBelowObservedBelow[j] = sums.trueBelowObservedBelow[j] + weight * b;
            sums.trulyBelow[j] = sums.trulyBelow[j] + weight;
        }
    }
}

DistributionSums DistributionTally::finish() {
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
    total.tails = std::move(tails_);
    return total;
}

}  // namespace tl
