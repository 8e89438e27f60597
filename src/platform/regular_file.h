#pragma once

#include <string>

namespace tl {

// Inputs are read whole or streamed to their end, so only a regular file will
// do: a named pipe can block for ever and a device (/dev/zero) never ends.
// Throws InputError "PATH is not a regular file (a named pipe) ..." when the
// path names a pipe, a device or a socket; a missing file or a folder is left
// to the caller's own message.
void refuseSpecialFile(const std::string& path);

// The one-line refusal of such a file; `kind` is "a named pipe", "a device" ...
std::string specialFileMessage(const std::string& path, const std::string& kind);

}  // namespace tl
