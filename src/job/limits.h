#pragma once

#include <cstdint>

namespace tl {

// Capacities of the classic design. Storage is sized to the run, so only the
// first two are enforced as stops; the others document what the published
// tables were dimensioned for and are always accepted.
inline constexpr int kMaxItemSets = 9;
inline constexpr int kMaxScorePoints = 15;
inline constexpr int kMaxItems = 220;
inline constexpr int kMaxExaminees = 20000;
inline constexpr int kMaxScoreList = 500;
inline constexpr int kMaxCategories = 10;
inline constexpr int kFileNameLength = 30;

// Guards against inputs whose work or storage no machine could finish; such a
// control card is refused before any data file is opened instead of hanging.
inline constexpr std::int64_t kMaxCountVectors = 20'000'000;      // per item set
inline constexpr std::int64_t kMaxCompositeCombinations = 100'000'000;  // per examinee
inline constexpr std::int64_t kMaxScoreListEntries = 1'000'000;    // raw-score or composite list

}  // namespace tl
