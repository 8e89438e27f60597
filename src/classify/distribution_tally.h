#pragma once

#include <cstddef>
#include <optional>
#include <span>
#include <vector>

namespace tl {

// Each group's lower and upper tails at every cut and its true score, kept
// for the bootstrap: row g holds below[1..n-1] then above[1..n-1].
struct GroupTails {
    std::size_t width = 0;  // 2 (scores - 1)
    std::vector<double> tails;
    std::vector<double> trueScore;

    bool empty() const { return trueScore.empty(); }
    std::span<const double> below(std::size_t g) const {
        return {tails.data() + g * width, width / 2};
    }
    std::span<const double> above(std::size_t g) const {
        return {tails.data() + g * width + width / 2, width / 2};
    }
};

// What the model-fit check and the cut sweep take from the units' composite
// distributions, summed over the units; each unit weighs its weight (an
// examinee 1, a quadrature node its weight of mean 1).
//
// The sweep's cut j (1 <= j < scores) is the composite score list's j-th
// score: a unit is observed above it with probability above[j], the sum of its
// distribution from score j up, and below it with below[j], the sum under j.
// It is truly above where its true score is at or above the true cut: the
// sweep's cut itself, or one fixed true cut.
struct DistributionSums {
    std::vector<double> mass;  // per score: sum of w Q(x); empty without a fit
    // Per cut j (slot 0 unused); empty without a sweep.
    std::vector<double> above, aboveSquared, below, belowSquared;
    std::vector<double> trueAboveObservedAbove;  // sum of w above[j] over truly-above units
    std::vector<double> trueBelowObservedBelow;  // sum of w below[j] over truly-below units
    std::vector<double> trulyAbove;              // sum of w over truly-above units
    std::vector<double> trulyBelow;              // and over truly-below units
    GroupTails tails;                            // when kept (TallyRequest::keepTails)
};

inline constexpr std::size_t kMostKeptTails = std::size_t{32} << 20;  // 256 MB

struct TallyRequest {
    bool fit = false;
    bool sweep = false;
    std::optional<double> fixedTrueCut;  // else the true cut is the sweep's cut
    // Keep each group's tails and true score (GroupTails), so that a
    // bootstrap sample's sweep is summed from them without its distributions;
    // not kept where they would take more than kMostKeptTails doubles.
    bool keepTails = false;

    bool any() const { return fit || sweep; }
};

// Sums DistributionSums over the groups of units that share a composite
// distribution without keeping any distribution. Groups are visited in blocks
// of blockSize(); each block keeps its own sums, which finish() adds in block
// order, so that the thread count changes no bit. The caller hands each block
// to one thread and adds its groups in ascending order.
class DistributionTally {
  public:
    DistributionTally(std::size_t groupCount, std::span<const double> compositeScores,
                      const TallyRequest& request);

    std::size_t blockSize() const { return blockSize_; }
    std::size_t blockCount() const { return blocks_.size(); }

    // Group g, whose units weigh `weight` together and share `trueScore`
    // (on the composite scale), has composite distribution q.
    void add(std::size_t g, double weight, double trueScore, std::span<const double> q);

    // The same from a group's kept tails (GroupTails::below and above).
    void addTails(std::size_t g, double weight, double trueScore, std::span<const double> below,
                  std::span<const double> above);

    // The blocks' sums added in block order, with the kept tails; once.
    DistributionSums finish();

  private:
    std::size_t blockSize_ = 1;
    std::span<const double> scores_;
    TallyRequest request_;
    std::vector<DistributionSums> blocks_;
    GroupTails tails_;
};

}  // namespace tl
