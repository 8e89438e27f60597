#include "results_files/plot_parts.h"

#include <cmath>

#include "core/number_field.h"
#include "results_files/number_text.h"

namespace tl {

std::string plotFrame(const Axis& x, const Axis& y, const std::string& xTitle,
                      const std::string& yTitle) {
    std::string svg = "<g aria-hidden=\"true\">\n";
    for (double tick : y.ticks) {
        const double at = y.pixel(tick);
        svg += svgLine(kPlotLeft, at, kPlotRight, at, "stroke=\"#ddd\"");
        svg += svgText(kPlotLeft - 8, at + 4, fixedDecimals(tick, y.tickDecimals),
                       " text-anchor=\"end\"");
    }
    for (double tick : x.ticks) {
        const double at = x.pixel(tick);
        svg += svgLine(at, kPlotBottom, at, kPlotBottom + 5, "stroke=\"#333\"");
        svg += svgText(at, kPlotBottom + 20, fixedDecimals(tick, x.tickDecimals),
                       " text-anchor=\"middle\"");
    }
    svg += svgLine(kPlotLeft, kPlotBottom, kPlotRight, kPlotBottom, "stroke=\"#333\"");
    svg += svgLine(kPlotLeft, kPlotTop, kPlotLeft, kPlotBottom, "stroke=\"#333\"");
    svg +=
        svgText((kPlotLeft + kPlotRight) / 2, kPlotBottom + 44, xTitle, " text-anchor=\"middle\"");
    const double middle = (kPlotTop + kPlotBottom) / 2;
    svg += svgText(18, middle, yTitle,
                   " text-anchor=\"middle\" transform=\"rotate(-90 18 " + px(middle) + ")\"");
    return svg + "</g>\n";
}

std::string cutLines(const Axis& x, const std::vector<double>& cuts,
                     const std::vector<std::string>& labels) {
    std::string svg = "<g aria-hidden=\"true\">\n";
    for (std::size_t c = 0; c < cuts.size(); ++c) {
        const double at = x.pixel(cuts[c]);
        svg += svgLine(at, kPlotTop, at, kPlotBottom,
                       std::string("stroke=\"") + kCutColour + "\" stroke-dasharray=\"6 4\"");
        const std::string label = c < labels.size() ? labels[c] : "cut " + shortestText(cuts[c]);
        svg += svgText(at, kPlotTop - 8, label, " text-anchor=\"middle\"");
    }
    return svg + "</g>\n";
}

std::string squareMark(double cx, double cy, double half, const char* colour) {
    return "<rect x=\"" + px(cx - half) + "\" y=\"" + px(cy - half) + "\" width=\"" + px(2 * half) +
           "\" height=\"" + px(2 * half) + "\" fill=\"" + colour +
           "\" fill-opacity=\"0.45\" stroke=\"" + colour + "\"";
}

std::string circleMark(double cx, double cy, double r, const char* colour) {
    return "<circle cx=\"" + px(cx) + "\" cy=\"" + px(cy) + "\" r=\"" + px(r) + "\" fill=\"" +
           colour + "\" fill-opacity=\"0.45\" stroke=\"" + colour + "\"";
}

std::string intervalMark(double x, const Axis& y, double value, const IndexSpread* s,
                         const char* colour, MarkShape shape) {
    std::string svg;
    if (s && std::isfinite(s->ciLow) && std::isfinite(s->ciHigh)) {
        const std::string style = std::string("stroke=\"") + colour + "\" stroke-width=\"2\"";
        svg += svgLine(x, y.pixel(s->ciLow), x, y.pixel(s->ciHigh), style);
        svg += svgLine(x - 5, y.pixel(s->ciLow), x + 5, y.pixel(s->ciLow), style);
        svg += svgLine(x - 5, y.pixel(s->ciHigh), x + 5, y.pixel(s->ciHigh), style);
    }
    if (!std::isfinite(value)) return svg;
    const double cy = y.pixel(value);
    switch (shape) {
        case MarkShape::Circle:
            return svg + "<circle cx=\"" + px(x) + "\" cy=\"" + px(cy) + "\" r=\"5.5\" fill=\"" +
                   colour + "\"/>\n";
        case MarkShape::Square:
            return svg + "<rect x=\"" + px(x - 5) + "\" y=\"" + px(cy - 5) +
                   "\" width=\"10\" height=\"10\" fill=\"" + colour + "\"/>\n";
        case MarkShape::Diamond:
            return svg + "<polygon points=\"" + px(x) + "," + px(cy - 7) + " " + px(x + 7) + "," +
                   px(cy) + " " + px(x) + "," + px(cy + 7) + " " + px(x - 7) + "," + px(cy) +
                   "\" fill=\"" + colour + "\"/>\n";
        case MarkShape::Triangle:
            return svg + "<polygon points=\"" + px(x) + "," + px(cy - 7) + " " + px(x + 6.5) + "," +
                   px(cy + 5) + " " + px(x - 6.5) + "," + px(cy + 5) + "\" fill=\"" + colour +
                   "\"/>\n";
    }
    return svg;
}

std::string seriesLegend(double y, const std::string& cutLabel) {
    std::string svg = circleMark(kPlotLeft + 8, y, 6, kConsistencyColour) + "/>\n";
    svg += svgText(kPlotLeft + 20, y + 4, "Consistency");
    svg += squareMark(kPlotLeft + 142, y, 6 * 0.886, kAccuracyColour) + "/>\n";
    svg += svgText(kPlotLeft + 154, y + 4, "Accuracy");
    svg += svgLine(kPlotLeft + 256, y - 8, kPlotLeft + 256, y + 8,
                   std::string("stroke=\"") + kCutColour + "\" stroke-dasharray=\"6 4\"");
    return svg + svgText(kPlotLeft + 266, y + 4, cutLabel);
}

std::string cutList(const std::vector<double>& cuts) {
    std::string list;
    for (std::size_t i = 0; i < cuts.size(); ++i) {
        list += (i == 0 ? "" : i + 1 == cuts.size() ? " and " : ", ") + shortestText(cuts[i]);
    }
    return list;
}

}  // namespace tl
