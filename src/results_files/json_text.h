#pragma once

#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "classify/csem.h"

namespace tl {

// The JSON text of `document`, two spaces an indent level, an array of plain
// values on one line. Each real number is in its shortest round-trip form
// with ".0" kept on whole values so that it still reads as a real (the
// library's own dump may give a digit more than needed); not-a-number and
// infinities are null.
std::string dumpJson(const nlohmann::ordered_json& document);

// Row-major K x K cells as an array of K rows.
nlohmann::ordered_json squareRows(const std::vector<double>& cells, std::size_t k);

// CSEM rows as objects {<scoreKey>, "examinees", "error_variance", "csem"}.
nlohmann::ordered_json csemRows(const std::vector<CsemRow>& rows, const char* scoreKey);

}  // namespace tl
