#pragma once

#include <string>
#include <vector>

namespace tl {

// A value range mapped onto a pixel span, with round tick values for an axis.
struct Axis {
    double low = 0.0, high = 1.0;  // data range shown
    double pixelLow = 0.0, pixelHigh = 1.0;
    std::vector<double> ticks;
    int tickDecimals = 0;

    double pixel(double value) const {
        return pixelLow + (value - low) / (high - low) * (pixelHigh - pixelLow);
    }
};

// About `count` ticks at multiples of 1, 2 or 5 times a power of ten covering
// [low, high]; the range widens to the outer ticks. With `wholeSteps` the ticks
// are whole numbers (an axis of counts, or of scores that are all whole), so
// no tick label has decimals.
Axis niceAxis(double low, double high, double pixelLow, double pixelHigh, int count,
              bool wholeSteps = false);

// A pixel coordinate as SVG text: one decimal is plenty on screen and in print.
std::string px(double value);

// Where a figure goes: into the results page, or into a file of its own,
// which opens with the XML declaration and states its size in pixels and its
// font, having no page to take them from.
enum class SvgUse { Page, File };

// The opening of a figure `width` by `height` pixels up to its description:
// its title and description are its text alternative, named by aria-labelledby
// through ids that begin with `id`.
std::string svgOpen(const std::string& id, const std::string& title, const std::string& desc,
                    double width, double height, SvgUse use);

// An SVG text element at (x, y), its content escaped; `extra` holds further
// attributes, each after a blank (" text-anchor=\"end\"").
std::string svgText(double x, double y, const std::string& content, const std::string& extra = "");

// An SVG line from (x1, y1) to (x2, y2) drawn with the attributes `style`.
std::string svgLine(double x1, double y1, double x2, double y2, const std::string& style);

}  // namespace tl
