#pragma once

#include <cmath>

namespace tl {

// Rounding half away from zero as the model defines it, the one rounding of a
// weighted composite onto the whole-number composite scale (the model's and a
// conversion table's): add 0.5 to a positive value or subtract 0.5 from a
// negative one, then drop the fraction. This is not std::round: the addition
// itself rounds (0.49999999999999994 + 0.5 is 1). Nor is it the printed
// rounding of fixedDecimals, which decides on the exact binary value.
inline double roundHalfAway(double value) {
    if (value > 0.0) return std::trunc(value + 0.5);
    if (value < 0.0) return std::trunc(value - 0.5);
    return value;
}

}  // namespace tl
