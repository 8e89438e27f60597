#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "model/count_vector_table.h"
#include "model/model_options.h"
#include "model/proportion_profiles.h"

namespace tl {

// Every examinee's raw-score distribution on one item set, one row per profile.
struct SetDistributions {
    std::size_t entryCount = 0;
    std::size_t profileCount = 0;
    std::vector<double> rows;              // profile-major
    std::vector<std::uint32_t> profileOf;  // examinee -> row

    std::span<const double> row(std::size_t profile) const {
        return {rows.data() + profile * entryCount, entryCount};
    }
};

// Computes the distribution of every profile, spread over the options'
// threads; each row is computed by one thread alone, so the bits do not depend
// on the thread count. Enumerated through the table, or with `convolve` item by
// item (the table then only names the item count); a substitute kernel in
// `options` is used instead of either.
SetDistributions computeSetDistributions(const CountVectorTable& table,
                                         const ProportionProfiles& profiles,
                                         std::span<const double> scorePoints,
                                         std::span<const double> rawScores, bool convolve,
                                         const ModelOptions& options);

}  // namespace tl
