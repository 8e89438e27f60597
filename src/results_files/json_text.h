#pragma once

#include <nlohmann/json.hpp>
#include <string>

namespace tl {

// The JSON text of `document`, two spaces an indent level, an array of plain
// values on one line. Each real number is in its shortest round-trip form
// with ".0" kept on whole values so that it still reads as a real (the
// library's own dump may give a digit more than needed); not-a-number and
// infinities are null.
std::string dumpJson(const nlohmann::ordered_json& document);

}  // namespace tl
