#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "core/score_scales.h"
#include "input/scale_table_reader.h"

namespace tl {

// The scale score s(x) of every score x of the composite score list, in its
// order (minComposite, minComposite + 1, ...).
struct ScaleConversion {
    std::int32_t minComposite = 0;
    std::vector<double> scale;
    // True when the table is not non-decreasing in the raw score: a warning,
    // since a scale cut then does not split the raw scores in two.
    bool decreasing = false;

    // s(x) of an observed composite, rounded half away from zero first; NaN
    // off the list.
    double scaleScoreOf(double composite) const;
};

// Checks `table` against the composite score list: every score must have one
// row, no score two, and a raw score off the list is refused too. Each
// failure is an InputError naming the file, the line and the score.
ScaleConversion scaleConversion(const ScaleTable& table, const CompositeScale& composite);

// The raw cut the model uses for a cut written on the scale: the lowest
// composite score whose scale score is at least the scale cut. A cut no score
// reaches is an InputError naming it.
double rawCutOf(const ScaleConversion& conversion, double scaleCut);

// The warning a table that is not non-decreasing gets, naming its source.
std::string decreasingTableWarning(const std::string& source);

}  // namespace tl
