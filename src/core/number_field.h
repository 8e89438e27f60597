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

// Significant digits of quotedNumber: enough for any number a card or table
// is written with, so that a sum such as 0.1 * 3 shows as 0.3; and enough to
// read back every double to the bit.
inline constexpr int kReadableDigits = 15;
inline constexpr int kExactDigits = 17;

// A number as messages and written files quote it: a whole number below 1e15
// as an integer ("400", "-0"), any other in the fewest significant digits, at
// most `maxDigits`, that read back as `value` ("22.5", "1e-05"); with fewer
// than that, its `maxDigits` digits. At kReadableDigits it is printf's "%.15g".
std::string quotedNumber(double value, int maxDigits = kReadableDigits);

// Text left-aligned and padded with blanks to `width`; longer text is kept whole.
std::string textField(const std::string& text, int width);

}  // namespace tl
