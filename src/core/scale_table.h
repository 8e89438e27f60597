#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace tl {

// A raw-to-scale conversion table as written: one (raw, scale) pair a row, with
// the line each came from, so that a later check can name it.
struct ScaleTable {
    std::string source;  // the file name, for messages
    std::vector<double> raw;
    std::vector<double> scale;
    std::vector<std::int64_t> lines;

    bool operator==(const ScaleTable&) const = default;
};

// A run's scale scores: the conversion table, and whether the cut scores are
// written on the scale (the model then uses the raw cuts they convert to).
struct ScaleRequest {
    ScaleTable table;
    bool cutsOnScale = false;

    bool operator==(const ScaleRequest&) const = default;
};

}  // namespace tl
