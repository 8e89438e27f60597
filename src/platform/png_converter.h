#pragma once

#include <optional>
#include <string>

namespace tl {

// PNG copies of SVG figures, made by rsvg-convert where it is installed: the
// program draws SVG only, and a converter is optional.

// The converter's path when an executable rsvg-convert is on PATH; none on
// Windows and in the browser, where the figures stay SVG.
std::optional<std::string> findPngConverter();

// Converts the SVG file `svg` into the PNG file `png` at the SVG's own size,
// through `converter`. Throws InputError naming the figure when it cannot.
void convertSvgToPng(const std::string& converter, const std::string& svg, const std::string& png);

}  // namespace tl
