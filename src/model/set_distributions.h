#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "model/count_vector_table.h"
#include "model/proportion_profiles.h"

namespace tl {

// A replacement for the enumeration kernel (the literal reference in the test
// tree): one examinee's distribution from n, the score points, the raw-score
// list and the proportions.
using RawDistributionKernel = void (*)(int itemCount, std::span<const double> scorePoints,
                                       std::span<const double> rawScores,
                                       std::span<const double> proportions, std::span<double> out);

// Every examinee's raw-score distribution on one item set, one row per profile.
struct SetDistributions {
    std::size_t entryCount = 0;
    std::size_t profileCount = 0;
    std::vector<double> rows;               // profile-major
    std::vector<std::uint32_t> profileOf;   // examinee -> row

    std::span<const double> row(std::size_t profile) const {
        return {rows.data() + profile * entryCount, entryCount};
    }
};

// Computes the distribution of every profile, spread over `threads` threads;
// each row is computed by one thread alone, so the bits do not depend on the
// thread count. With a kernel given, it is used instead of the table.
SetDistributions computeSetDistributions(const CountVectorTable& table,
                                         const ProportionProfiles& profiles,
                                         std::span<const double> scorePoints,
                                         std::span<const double> rawScores, unsigned threads,
                                         RawDistributionKernel kernel);

}  // namespace tl
