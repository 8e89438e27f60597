#pragma once

#include <cstdint>
#include <string>

namespace tl {

// An integer right-aligned in `width` columns; asterisks when it does not fit.
std::string integerField(std::int64_t value, int width);

// A real rounded to `decimals` places and right-aligned in `width` columns.
// A value exactly halfway (decided on its exact binary value) rounds away from
// zero; a value that rounds to zero has no minus sign; below 1 in magnitude it
// gets a leading 0 when there is room. NaN and infinities are written "NaN",
// "Inf" and "-Inf". Asterisks fill the field when the text does not fit.
std::string realField(double value, int width, int decimals);

// Text left-aligned and padded with blanks to `width`; longer text is kept whole.
std::string textField(const std::string& text, int width);

}  // namespace tl
