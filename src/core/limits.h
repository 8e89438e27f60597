#pragma once

#include <cstdint>

namespace tl {

// The two capacities a card is stopped at, with their own console lines.
inline constexpr int kMaxItemSets = 9;
inline constexpr int kMaxScorePoints = 15;

// The category counts a card may ask for.
inline constexpr int kMinCategories = 2;
inline constexpr int kMaxCategories = 10;

// File names stand in a field of this width in the console lines and the report.
inline constexpr int kFileNameLength = 30;

// Guards against inputs whose work or storage no machine could finish; such a
// control card is refused before any data file is opened instead of hanging.
inline constexpr std::int64_t kMaxCountVectors = 20'000'000;                // per item set
inline constexpr std::int64_t kMaxCompositeCombinations = 100'000'000;      // per examinee
inline constexpr std::int64_t kCountedVectors = 1'000'000'000'000'000'000;  // named in notes
inline constexpr std::int64_t kMaxScoreListEntries = 1'000'000;  // raw-score or composite list

// Cut-score lists longer than this are refused as soon as the category count
// is read, so that no absurd count can exhaust memory.
inline constexpr std::int32_t kMaxStoredCategories = 100'000;

}  // namespace tl
