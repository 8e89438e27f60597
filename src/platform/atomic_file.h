#pragma once

#include <string>
#include <string_view>

namespace tl {

// Writes `content` to a temporary file beside `path` and renames it over
// `path` only once it is complete, so that a failed write never leaves a half
// file or destroys the one that was there. Throws InputError on failure,
// naming the file as `kind` ("report file", "results file").
void writeFileAtomically(const std::string& path, std::string_view content,
                         std::string_view kind = "report file");

}  // namespace tl
