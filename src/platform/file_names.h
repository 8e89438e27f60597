#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace tl {

// File names are UTF-8 strings throughout the program. std::filesystem takes
// them through these two: a path made from a plain string would be read in
// the legacy code page on Windows, and a non-ASCII name would name another
// file. On Linux both keep the bytes as they are.
inline std::filesystem::path filePathOf(std::string_view utf8) {
    return std::filesystem::path(std::u8string(utf8.begin(), utf8.end()));
}

inline std::string fileNameText(const std::filesystem::path& path) {
    const std::u8string utf8 = path.u8string();
    return std::string(utf8.begin(), utf8.end());
}

}  // namespace tl
