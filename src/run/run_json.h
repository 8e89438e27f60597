#pragma once

#include <string>

#include "core/finding.h"

namespace tl {

// A finding as one line of JSON: {"code", "severity", "text"} and each value
// it names ("file", "line", "column", "key", "value", "closest",
// "console_line") that is not empty. Front ends that read findings from a
// program's output read these, never the text.
std::string findingJsonLine(const Finding& finding);

// Progress as one line of JSON: {"event": "progress", "label", "done",
// "total"}.
std::string progressJsonLine(const std::string& label, std::uint64_t done, std::uint64_t total);

// The library's defaults and limits that a front end writing an analysis file
// needs, as a JSON object: the seed, the smallest bootstrap, the engines'
// names, the size below which a group is small, the error models with their
// methods and settings, and the finding codes.
std::string defaultsJson();

}  // namespace tl
