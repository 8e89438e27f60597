#pragma once

#include <string>
#include <string_view>

#include "core/scale_table.h"

namespace tl {

// Reads CSV text whose header row names the columns `raw` and `scale` (in any
// order, among others; a byte-order mark, CR LF lines, blank lines and spaces
// around fields are fine). A missing column, a row too short, or a cell that is
// not a number is an InputError naming the file, the line and the column and
// the cell as written.
ScaleTable readScaleTable(std::string_view text, const std::string& source);

// readScaleTable of the file at `path`, named `source` in messages; a file that
// does not exist is an InputError naming it and the path tried.
ScaleTable readScaleTableFile(const std::string& path, const std::string& source);

}  // namespace tl
