#pragma once

#include <cstdint>
#include <string_view>

namespace tl {

enum class ParseStatus { Ok, NotANumber, OutOfRange };

// A whole number with an optional sign, within 32 bits.
ParseStatus parseInteger(std::string_view text, std::int32_t& value);

// A real as written in control cards and data files: 1, 1.0, .5, 5., -2.5e3,
// 1.5D0, +2 (a D exponent marks double precision and means the same as E).
ParseStatus parseReal(std::string_view text, double& value);

}  // namespace tl
