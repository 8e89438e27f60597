#pragma once

#include <optional>
#include <string>

namespace tl {

// The whole content of a text file, with a UTF-8 byte-order mark at its start
// removed. Empty when the file cannot be opened or read as an existing file;
// InputError when it is a named pipe, a device or a socket (never read).
std::optional<std::string> readTextFile(const std::string& path);

}  // namespace tl
