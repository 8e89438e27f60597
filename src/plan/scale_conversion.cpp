#include "plan/scale_conversion.h"

#include <cmath>
#include <limits>

#include "core/errors.h"
#include "core/number_field.h"
#include "model/rounding.h"

namespace tl {

double ScaleConversion::scaleScoreOf(double composite) const {
    // The composite rounded as the model rounds it onto its whole-number scale.
    const double x = roundHalfAway(composite) - static_cast<double>(minComposite);
    if (!(x >= 0.0) || x >= static_cast<double>(scale.size()))
        return std::numeric_limits<double>::quiet_NaN();
    return scale[static_cast<std::size_t>(x)];
}

ScaleConversion scaleConversion(const ScaleTable& table, const CompositeScale& composite) {
    const std::size_t count = composite.compositeScores.size();
    ScaleConversion conversion;
    conversion.minComposite = composite.minComposite;
    conversion.scale.assign(count, std::numeric_limits<double>::quiet_NaN());
    std::vector<std::int64_t> lineOf(count, 0);
    for (std::size_t row = 0; row < table.raw.size(); ++row) {
        const std::string where = table.source + ", line " + std::to_string(table.lines[row]);
        const double raw = table.raw[row];
        const double at = raw - static_cast<double>(composite.minComposite);
        if (!(at >= 0.0) || at >= static_cast<double>(count) || std::trunc(at) != at) {
            throw InputError(where + ": the raw score " + quotedNumber(raw) +
                             " is not a composite score (they run from " +
                             std::to_string(composite.minComposite) + " to " +
                             std::to_string(composite.maxComposite) + ")");
        }
        const auto index = static_cast<std::size_t>(at);
        if (lineOf[index] != 0) {
            throw InputError(where + ": the raw score " + quotedNumber(raw) +
                             " is given twice (first on line " + std::to_string(lineOf[index]) +
                             ")");
        }
        if (!std::isfinite(table.scale[row])) {
            throw InputError(where + ": the scale score of raw score " + quotedNumber(raw) +
                             " is not a finite number");
        }
        lineOf[index] = table.lines[row];
        conversion.scale[index] = table.scale[row];
    }
    for (std::size_t i = 0; i < count; ++i) {
        if (lineOf[i] == 0) {
            throw InputError(table.source + ": the raw score " +
                             std::to_string(composite.minComposite + static_cast<std::int32_t>(i)) +
                             " has no scale score; give every composite score from " +
                             std::to_string(composite.minComposite) + " to " +
                             std::to_string(composite.maxComposite) + " one row");
        }
        if (i > 0 && conversion.scale[i] < conversion.scale[i - 1]) conversion.decreasing = true;
    }
    return conversion;
}

double rawCutOf(const ScaleConversion& conversion, double scaleCut) {
    for (std::size_t i = 0; i < conversion.scale.size(); ++i) {
        if (conversion.scale[i] >= scaleCut)
            return static_cast<double>(conversion.minComposite) + static_cast<double>(i);
    }
    throw InputError("no composite score reaches the scale cut " + quotedNumber(scaleCut) +
                     ": the highest scale score is below it");
}

std::string decreasingTableWarning(const std::string& source) {
    return "the conversion table " + source +
           " is not non-decreasing: a higher raw score has a lower scale score somewhere";
}

}  // namespace tl
