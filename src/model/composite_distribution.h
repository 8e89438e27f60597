#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <vector>

namespace tl {

// One examinee's raw-score distribution on one item set, as the composite
// combines it: probabilities P[j] of the set's raw scores R[j], with the
// weighted scores w R[j] formed beforehand (the same product either way).
struct SetRow {
    const double* probabilities;
    const double* weightedScores;
    const double* rawScores;
    double weight;
    std::size_t count;
};

// The examinee's probability of each composite score minComposite + c, combined
// from the set distributions in nested order (set 1 slowest). A combination's
// composite score is its weighted sum, added left to right and, with two or
// more sets, rounded half away from zero; its probability is the product of the
// set probabilities, multiplied left to right. A combination whose score is not
// on the composite scale adds nothing. `out` has compositeCount slots.
void computeCompositeDistribution(std::span<const SetRow> sets, std::int32_t minComposite,
                                  std::span<double> out);

// The nested loops of computeCompositeDistribution with each combination's
// place on the composite scale found once. A combination's weighted sum, its
// rounding and the check against the scale are the same for every examinee;
// only the probabilities differ. The table holds one place per combination, in
// nested order, so it is made only for two or more sets and at most
// kMaxTabledCombinations combinations. Copies share the table.
class CompositeTable {
  public:
    static constexpr std::size_t kMaxTabledCombinations = std::size_t{1} << 22;  // 16 MB

    // Reads only the rows' weighted scores and counts.
    CompositeTable(std::span<const SetRow> sets, std::int32_t minComposite,
                   std::size_t compositeCount);

    // Whether the table was made (two or more sets, few enough combinations).
    bool made() const { return places_ != nullptr; }

    // computeCompositeDistribution of `sets`, whose weighted scores and counts
    // must be the constructor's, onto the constructor's scale: the same doubles.
    // Precondition: made(); out has compositeCount slots.
    void operator()(std::span<const SetRow> sets, std::span<double> out) const;

  private:
    // Per combination, its composite score's index on the scale, or -1 off it.
    std::shared_ptr<const std::vector<std::int32_t>> places_;
};

}  // namespace tl
