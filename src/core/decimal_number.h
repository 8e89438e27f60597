#pragma once

#include <string>
#include <string_view>
#include <system_error>

namespace tl {

// Reads the whole of `text` as a decimal number ([-]digits[.digits][e[+-]digits],
// the general form of std::from_chars) into the nearest double. Returns errc()
// on success; errc::invalid_argument when any of the text is not such a
// number; errc::result_out_of_range when it lies beyond the largest double or
// is nonzero and reads as zero, as from_chars reports it (then `value` is left
// alone). Where the C++ library lacks the floating from_chars (the WebAssembly
// build's), the C library's strtod reads it: correctly rounded there too, and
// the only locale is "C".
std::errc readDecimal(std::string_view text, double& value);

// The same from the C library's strtod, the route of a C++ library without the
// floating from_chars; the tests hold it to from_chars.
std::errc readDecimalByStrtod(std::string_view text, double& value);

// The shortest text that reads back as `value`, by printf's %g with ever more
// digits (every platform's C library has it for doubles): what a message
// shows of a value as read.
std::string shortestDecimal(double value);

}  // namespace tl
