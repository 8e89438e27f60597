#pragma once

#include <string>
#include <string_view>

#include "core/control_card.h"

namespace tl {

// Reads a control card (reads 1 to 13) from its text. Stops with the console
// line "# item sets greater than 9: Stopped!" right after the item-set count
// when it exceeds nine; malformed or missing values are an InputError.
ControlCard readControlCard(std::string_view text, const std::string& fileName);

// A file name as it is opened: the value without its trailing blanks.
std::string fileNameOf(std::string value);

}  // namespace tl
