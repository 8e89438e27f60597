#pragma once

#include <string>
#include <string_view>

#include "core/card_findings.h"
#include "core/control_card.h"

namespace tl {

// Reads a control card (reads 1 to 13) from its text. Stops with the console
// line "# item sets greater than 9: Stopped!" right after the item-set count
// when it exceeds nine; malformed or missing values are an InputError.
// `findings`, when given, collects names cut at a slash and numbers that look
// written with a decimal comma; they change nothing that is read.
ControlCard readControlCard(std::string_view text, const std::string& fileName,
                            CardFindings* findings = nullptr);

// A file name as it is opened: the value without its trailing blanks.
std::string fileNameOf(std::string value);

}  // namespace tl
