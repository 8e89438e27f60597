#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace tl {

// An analysis file needs a few levels of keys and a few kilobytes. These
// bounds are checked before the TOML parser sees the text, whose recursion a
// key of thousands of dotted parts would overflow.
inline constexpr std::size_t kMaxAnalysisFileBytes = std::size_t{1} << 20;
// Dotted parts of one key plus the brackets and braces around it.
inline constexpr int kMaxAnalysisFileDepth = 64;

// Throws InputError naming the file (and the line) when the text is larger
// or nested deeper than the bounds.
void refuseOversizedAnalysisFile(std::string_view text, const std::string& path);

// The same for the file's size on disk, before it is read.
void refuseOversizedAnalysisFile(std::uintmax_t bytes, const std::string& path);

}  // namespace tl
