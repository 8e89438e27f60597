#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "job/job.h"
#include "model/proportion_profiles.h"

namespace tl {

// Number of complete records of `itemCount` values in the first set's data
// file; a last record that the end of the file cuts short is not counted.
std::int32_t countExaminees(std::string_view text, const std::string& fileName,
                            std::int32_t itemCount);

// Reads the first `examineeCount` records of a set's data file: adds each
// examinee's weighted item scores, item by item, to `observedComposite`, and
// returns the examinees' observed proportions at each score point (the share
// of items whose score equals the point exactly), grouped into profiles.
ProportionProfiles loadItemSet(std::string_view text, const std::string& fileName,
                               const ItemSet& set, std::int32_t examineeCount,
                               std::vector<double>& observedComposite, bool shareProfiles);

}  // namespace tl
