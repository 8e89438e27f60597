#pragma once

#include <span>

#include "model/composite_distribution.h"

namespace tl {

// Replacements for the two model kernels, used by the tests and the benchmark
// to run the literal references in place of the fast engines: one examinee's
// raw-score distribution from n, the score points, the raw-score list and the
// proportions; and one examinee's composite distribution from the sets' rows.
using RawDistributionKernel = void (*)(int itemCount, std::span<const double> scorePoints,
                                       std::span<const double> rawScores,
                                       std::span<const double> proportions, std::span<double> out);
using CompositeKernel = void (*)(std::span<const SetRow> sets,
                                 std::span<const double> compositeScores, std::span<double> out);

// How the model is computed; never what it computes: every choice here gives
// the same bits.
struct ModelOptions {
    unsigned threads = 0;  // 0: every hardware thread
    // With either kernel replaced, examinees are not grouped by profile and
    // each is computed alone, as the literal references would.
    RawDistributionKernel rawDistributionKernel = nullptr;
    CompositeKernel compositeKernel = nullptr;
    // How raw-score and composite distributions are found. Enumeration visits
    // every count vector and every combination of set raw scores; convolution
    // adds one item (one set) at a time and gives the same probabilities up to
    // rounding. Auto enumerates wherever the work limits allow and convolves
    // only where they would refuse the card, so that every card that could be
    // enumerated keeps its report to the last bit.
    enum class Engine { Auto, Enumerate, Convolve } engine = Engine::Auto;

    bool shareProfiles() const {
        return rawDistributionKernel == nullptr && compositeKernel == nullptr;
    }
};

}  // namespace tl
