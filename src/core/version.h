#pragma once

#include <string_view>

namespace tl {

// The program's name and version as every output shows them; the version is
// the build's project version.
inline constexpr std::string_view kProgramName = "tesserlink";
inline constexpr std::string_view kProgramVersion = TESSERLINK_VERSION;

}  // namespace tl
