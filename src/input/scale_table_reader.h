#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace tl {

// A raw-to-scale conversion table as written: one (raw, scale) pair a row, with
// the line each came from, so that a later check can name it.
struct ScaleTable {
    std::string source;  // the file name, for messages
    std::vector<double> raw;
    std::vector<double> scale;
    std::vector<std::int64_t> lines;
};

// Reads CSV text whose header row names the columns `raw` and `scale` (in any
// order, among others; a byte-order mark, CR LF lines, blank lines and spaces
// around fields are fine). A missing column, a row too short, or a cell that is
// not a number is an InputError naming the file, the line and the column and
// the cell as written.
ScaleTable readScaleTable(std::string_view text, const std::string& source);

}  // namespace tl
