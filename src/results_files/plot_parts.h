#pragma once

#include <string>
#include <vector>

#include "classify/bootstrap_summary.h"
#include "results_files/svg_plot.h"

namespace tl {

// The parts the results page's score figures share: one plot area, its
// colours and marks.

// Colours that stay apart for readers with colour vision deficiencies; the two
// series also differ in shape.
inline constexpr const char* kConsistencyColour = "#0072b2";
inline constexpr const char* kAccuracyColour = "#d55e00";
inline constexpr const char* kBarColour = "#56b4e9";
inline constexpr const char* kCutColour = "#444";

inline constexpr double kPlotWidth = 720, kPlotHeight = 440;
inline constexpr double kPlotLeft = 72, kPlotRight = 700, kPlotTop = 34, kPlotBottom = 330;

// Gridlines, ticks and axis titles of the plot area.
std::string plotFrame(const Axis& x, const Axis& y, const std::string& xTitle,
                      const std::string& yTitle);

// A dashed vertical line at each cut, labelled above the plot area: "cut 23",
// or `labels[c]` where given.
std::string cutLines(const Axis& x, const std::vector<double>& cuts,
                     const std::vector<std::string>& labels = {});

// A square or circle mark centred at (cx, cy), its element left open for a
// title or "/>".
std::string squareMark(double cx, double cy, double half, const char* colour);
std::string circleMark(double cx, double cy, double r, const char* colour);

// A solid mark of `shape` at (x, value on y) and, where `spread` holds a
// 95% interval, the interval as a vertical line with caps; either is left out
// where it is not a number.
enum class MarkShape { Circle, Square, Diamond, Triangle };
std::string intervalMark(double x, const Axis& y, double value, const IndexSpread* spread,
                         const char* colour, MarkShape shape);

// The legend entries of the consistency and accuracy marks and of the cut
// lines (`cutLabel`), in a row at height `y` from the plot's left.
std::string seriesLegend(double y, const std::string& cutLabel);

// "1, 2 and 3".
std::string cutList(const std::vector<double>& cuts);

}  // namespace tl
