#pragma once

#include <string>

namespace tl {

// Room enough for any double in its shortest form ("-2.2250738585072014e-308").
inline constexpr std::size_t kMaxNumberText = 32;

// Writes the shortest decimal text that reads back as exactly `value`
// ("0.1", "37.5", "1e-05") at `out`, which has kMaxNumberText bytes of room,
// and returns the end. Not-a-number and infinities are the caller's to handle.
char* writeShortest(char* out, double value);

std::string shortestText(double value);

// Numbers shown with fixed decimals go through fixedDecimals (core/number_field.h),
// the text report's own rounding.

}  // namespace tl
