#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <vector>

#include "model/composite_distribution.h"

namespace tl {

// The composite distribution without visiting every combination of raw scores.
//
// The set raw scores are independent, so the distribution of the weighted sum is
// the convolution of the weighted set distributions. The nested loops file each
// combination under its weighted sum, added left to right in double precision
// and then rounded; the convolution reproduces that assignment only when it
// knows each combination's sum exactly as the loops form it. It does when every
// weighted score is a multiple of one power of two 2^-e and every partial sum is
// below 2^53 such units: then every addition of the loops is exact and their sum
// is the true one.

// The convolution of one run's composite: its examinee-independent setup (each
// set's weighted scores in whole units, the span of the sums) is found once
// from the sets' weighted scores and then serves every examinee, whose rows
// differ only in their probabilities. Copies share the setup.
class CompositeConvolution {
  public:
    struct Units;
    // Buffers of one thread, reused from examinee to examinee.
    struct Scratch {
        std::vector<double> sums, next;
    };

    // Reads only the rows' weighted scores and counts.
    explicit CompositeConvolution(std::span<const SetRow> sets);

    // compositeConvolutionApplies of the constructor's rows.
    bool applies() const;

    // convolveCompositeDistribution of `sets`, whose weighted scores and counts
    // must be the constructor's. Precondition: applies().
    void operator()(std::span<const SetRow> sets, std::int32_t minComposite, std::span<double> out,
                    Scratch& scratch) const;

  private:
    std::size_t sets_ = 0;
    std::shared_ptr<const Units> units_;
};

// Whether the convolution gives the nested loops' assignment of every
// combination: the weighted scores (SetRow::weightedScores) are finite, share a
// binary denominator 2^-e in which the largest possible partial sum stays below
// 2^53 units, and the weighted sums span few enough distinct units to be held
// at once. Weights such as 0.5, 0.25, 1.5 or 3 pass; weights such as 0.1 or 0.3
// generally do not (their multiples are not exact), and those cards must keep
// to combinations the nested loops can visit. One set always passes.
bool compositeConvolutionApplies(std::span<const SetRow> sets);

// The examinee's probability of each composite score minComposite + c, with the
// same meaning as computeCompositeDistribution: with two or more sets each
// weighted sum is rounded half away from zero, a sum off the composite scale
// adds nothing, and nothing is renormalised. The probabilities agree with the
// nested loops up to rounding (the products are summed in another order); the
// composite score each combination is filed under is the same.
//
// Preconditions: compositeConvolutionApplies(sets); out has compositeCount slots.
void convolveCompositeDistribution(std::span<const SetRow> sets, std::int32_t minComposite,
                                   std::span<double> out);

}  // namespace tl
