#pragma once

#include <cstdint>
#include <string>

namespace tl {

// An integer right-aligned in `width` columns; asterisks when it does not fit.
std::string integerField(std::int64_t value, int width);

// A real rounded to `decimals` places, the one rounding of every number the
// program prints with fixed decimals (the report, the page, its figures). A
// value exactly halfway (decided on its exact binary value) rounds away from
// zero, so 0.015625 is "0.01563"; a value that rounds to zero has no minus
// sign, so -1e-9 is "0.00000". NaN and infinities are "NaN", "Inf" and "-Inf".
std::string fixedDecimals(double value, int decimals);

// fixedDecimals right-aligned in `width` columns. The leading 0 of a value
// below 1 in magnitude is dropped when there is no room for it; asterisks fill
// the field when the text still does not fit.
std::string realField(double value, int width, int decimals);

// A number as a message quotes it: up to 15 significant digits, no trailing
// zeros ("22.5", "400").
std::string messageNumber(double value);

// Text left-aligned and padded with blanks to `width`; longer text is kept whole.
std::string textField(const std::string& text, int width);

}  // namespace tl
