#include "results_files/comparison_svg.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <functional>
#include <limits>

#include "classify/index_fields.h"
#include "classify/precision_fields.h"
#include "results_files/html_text.h"
#include "results_files/number_text.h"
#include "results_files/plot_parts.h"

namespace tl {

namespace {

// Each model's colour, line and mark, told apart by shape as well as by
// colour; kMaxModels of them.
struct ModelStyle {
    const char* colour;
    const char* colourName;
    const char* dash;  // stroke-dasharray, empty for a solid line
    const char* dashName;
    MarkShape shape;
    const char* shapeName;
};

constexpr ModelStyle kModelStyles[] = {
    {"#0072b2", "blue", "", "solid", MarkShape::Circle, "circle"},
    {"#d55e00", "orange", "7 4", "dashed", MarkShape::Square, "square"},
    {"#009e73", "green", "2 3", "dotted", MarkShape::Diamond, "diamond"},
    {"#cc79a7", "pink", "10 3 2 3", "dash-dotted", MarkShape::Triangle, "triangle"},
    {"#e69f00", "yellow", "", "solid", MarkShape::Square, "square"},
    {"#56b4e9", "light blue", "7 4", "dashed", MarkShape::Diamond, "diamond"},
    {"#000000", "black", "2 3", "dotted", MarkShape::Triangle, "triangle"},
    {"#882255", "wine", "10 3 2 3", "dash-dotted", MarkShape::Circle, "circle"},
};

const ModelStyle& styleOf(std::size_t model) {
    return kModelStyles[model % std::size(kModelStyles)];
}

// The overall indices the dot plot shows, in its order.
constexpr const char* kPlottedIndices[] = {"reliability", "consistency", "kappa", "accuracy"};

std::size_t overallIndex(const ModelComparison& c, std::string_view name) {
    for (std::size_t i = 0; i < c.indices.size(); ++i)
        if (c.indices[i].name == name && c.indices[i].cut == 0) return i;
    return c.indices.size();
}

// "NAME (primary; blue solid line), NAME (orange dashed line) and ...".
std::string modelList(const ModelComparison& c,
                      const std::function<std::string(const ModelStyle&)>& look) {
    std::string list;
    for (std::size_t m = 0; m < c.models.size(); ++m) {
        list += (m == 0                     ? ""
                 : m + 1 == c.models.size() ? " and "
                                            : ", ") +
                c.models[m].name + " (" + (m == 0 ? "primary; " : "") + look(styleOf(m)) + ")";
    }
    return list;
}

// Where each model's legend entry goes: left to right below the plot area,
// a row after another where the names run past its right edge.
struct LegendPlace {
    double x, y;
};

std::vector<LegendPlace> legendPlaces(const ModelComparison& c) {
    std::vector<LegendPlace> places;
    double x = kPlotLeft, y = kPlotHeight - 36;
    for (std::size_t m = 0; m < c.models.size(); ++m) {
        // About 8 pixels a character at the figure's font size.
        const double width = 32 + 8 * static_cast<double>(comparedModelLabel(c, m).size()) + 20;
        if (x > kPlotLeft && x + width > kPlotWidth) x = kPlotLeft, y += 22;
        places.push_back({x, y});
        x += width;
    }
    return places;
}

// The figure's height: the legend's rows below the plot area.
double figureHeight(const std::vector<LegendPlace>& places) {
    return places.empty() ? kPlotHeight : std::max(kPlotHeight, places.back().y + 36);
}

// The legend: each model's sample (`key`) and name.
std::string modelLegend(const ModelComparison& c, const std::vector<LegendPlace>& places,
                        const std::function<std::string(const ModelStyle&, double, double)>& key) {
    std::string svg = "<g aria-hidden=\"true\">\n";
    for (std::size_t m = 0; m < c.models.size(); ++m) {
        const auto [x, y] = places[m];
        svg += key(styleOf(m), x, y) + svgText(x + 32, y + 5, comparedModelLabel(c, m));
    }
    return svg + "</g>\n";
}

std::string dashAttribute(const ModelStyle& style) {
    return *style.dash ? std::string(" stroke-dasharray=\"") + style.dash + "\"" : std::string();
}

}  // namespace

std::string comparedIndexLabel(std::string_view name) {
    if (name == "reliability") return "Reliability";
    for (const IndexField& field : kIndexFields)
        if (field.key == name) return std::string(field.label);
    for (const AgreementField& field : kAgreementFields)
        if (field.key == name) return std::string(field.label);
    return std::string(name);
}

std::string comparedModelLabel(const ModelComparison& comparison, std::size_t model) {
    return comparison.models[model].name + (model == 0 ? " (primary)" : "");
}

std::string comparisonAccuracyFigureSvg(const Results& r, SvgUse use) {
    const ModelComparison& c = *r.comparison;
    double low = std::numeric_limits<double>::infinity(), high = -low;
    for (const ComparedModel& m : c.models) {
        for (const ConditionalPoint& p : m.conditionalAccuracy) {
            if (!std::isfinite(p.score)) continue;
            low = std::min(low, p.score);
            high = std::max(high, p.score);
        }
    }
    if (!(low <= high)) low = 0.0, high = 1.0;
    const std::vector<double>& cuts = r.card.observedCuts;
    const std::string desc =
        "The accuracy at each composite score from " + shortestText(low) + " to " +
        shortestText(high) + " under each model, on a scale from 0 to 1: " +
        modelList(c,
                  [](const ModelStyle& s) {
                      return std::string(s.colourName) + " " + s.dashName + " line";
                  }) +
        "." +
        (cuts.empty() ? std::string()
                      : " Dashed vertical lines mark the observed cuts at " + cutList(cuts) + ".");
    const std::vector<LegendPlace> legend = legendPlaces(c);
    std::string svg = svgOpen("comparison-accuracy", "Conditional accuracy of each model", desc,
                              kPlotWidth, figureHeight(legend), use);
    const Axis x = niceAxis(low, high, kPlotLeft + 8, kPlotRight - 8, 8);
    const Axis y = niceAxis(0.0, 1.0, kPlotBottom, kPlotTop, 5);
    svg += plotFrame(x, y, "Composite score", "Accuracy");
    svg += cutLines(x, cuts);
    svg += "<g>\n";
    for (std::size_t m = 0; m < c.models.size(); ++m) {
        const ComparedModel& model = c.models[m];
        const ModelStyle& style = styleOf(m);
        std::string points;
        std::size_t shown = 0;
        for (const ConditionalPoint& p : model.conditionalAccuracy) {
            if (!std::isfinite(p.score) || !std::isfinite(p.accuracy)) continue;
            if (shown++) points += ' ';
            points += px(x.pixel(p.score)) + "," + px(y.pixel(p.accuracy));
        }
        svg += "<polyline data-model=\"" + escapeHtml(model.name) + "\" fill=\"none\" stroke=\"" +
               style.colour + "\" stroke-width=\"2\"" + dashAttribute(style) + " points=\"" +
               points + "\"><title>" + escapeHtml(comparedModelLabel(c, m)) + ": accuracy at " +
               std::to_string(shown) + " composite scores</title></polyline>\n";
    }
    svg += "</g>\n";
    svg += modelLegend(c, legend, [](const ModelStyle& s, double lx, double ly) {
        return svgLine(
            lx, ly, lx + 24, ly,
            std::string("stroke=\"") + s.colour + "\" stroke-width=\"2\"" + dashAttribute(s));
    });
    return svg + "</svg>\n";
}

std::string comparisonIndicesFigureSvg(const Results& r, SvgUse use) {
    const ModelComparison& c = *r.comparison;
    const bool intervals = c.replicates > 0;
    std::vector<std::size_t> shown;
    for (const char* name : kPlottedIndices)
        if (overallIndex(c, name) < c.indices.size()) shown.push_back(overallIndex(c, name));
    // The value axis spans every dot and interval, with 1 at the top.
    double low = 1.0;
    for (const ComparedModel& m : c.models) {
        for (std::size_t i : shown) {
            if (std::isfinite(m.values[i])) low = std::min(low, m.values[i]);
            if (i < m.spreads.size() && std::isfinite(m.spreads[i].ciLow))
                low = std::min(low, m.spreads[i].ciLow);
        }
    }
    std::string names;
    for (std::size_t s = 0; s < shown.size(); ++s) {
        std::string label = comparedIndexLabel(c.indices[shown[s]].name);
        if (s > 0) label[0] = static_cast<char>(std::tolower(static_cast<unsigned char>(label[0])));
        names += (s == 0 ? "" : s + 1 == shown.size() ? " and " : ", ") + label;
    }
    const std::string desc =
        "The overall " + names + " of each model, side by side within each index: " +
        modelList(
            c, [](const ModelStyle& s) { return std::string(s.colourName) + " " + s.shapeName; }) +
        (intervals ? ", each with its 95% bootstrap interval as a vertical bar" : std::string()) +
        ".";
    const std::vector<LegendPlace> legend = legendPlaces(c);
    std::string svg = svgOpen("comparison-indices", "Overall indices of each model", desc,
                              kPlotWidth, figureHeight(legend), use);
    const Axis y = niceAxis(std::max(-1.0, low - 0.02), 1.0, kPlotBottom, kPlotTop, 5);
    Axis x;  // the indices in slots; no ticks
    x.pixelLow = kPlotLeft;
    x.pixelHigh = kPlotRight;
    svg += plotFrame(x, y, "Index", "Value");
    const double slot =
        (kPlotRight - kPlotLeft) / static_cast<double>(std::max<std::size_t>(1, shown.size()));
    const double step =
        std::min(22.0, slot * 0.8 / static_cast<double>(std::max<std::size_t>(1, c.models.size())));
    svg += "<g aria-hidden=\"true\">\n";
    for (std::size_t s = 0; s < shown.size(); ++s) {
        svg += svgText(kPlotLeft + slot * (static_cast<double>(s) + 0.5), kPlotBottom + 20,
                       comparedIndexLabel(c.indices[shown[s]].name), " text-anchor=\"middle\"");
    }
    svg += "</g>\n";
    for (std::size_t m = 0; m < c.models.size(); ++m) {
        const ComparedModel& model = c.models[m];
        const ModelStyle& style = styleOf(m);
        const double offset =
            (static_cast<double>(m) - static_cast<double>(c.models.size() - 1) / 2.0) * step;
        svg += "<g data-model=\"" + escapeHtml(model.name) + "\">\n";
        for (std::size_t s = 0; s < shown.size(); ++s) {
            const std::size_t i = shown[s];
            const IndexSpread* spread = i < model.spreads.size() ? &model.spreads[i] : nullptr;
            std::string about = comparedModelLabel(c, m) + ", " +
                                comparedIndexLabel(c.indices[i].name) + ": " +
                                shownReal(model.values[i]);
            if (spread)
                about += "; 95% interval " + shownReal(spread->ciLow) + " to " +
                         shownReal(spread->ciHigh);
            svg += "<g><title>" + escapeHtml(about) + "</title>\n" +
                   intervalMark(kPlotLeft + slot * (static_cast<double>(s) + 0.5) + offset, y,
                                model.values[i], spread, style.colour, style.shape) +
                   "</g>\n";
        }
        svg += "</g>\n";
    }
    svg += modelLegend(c, legend, [](const ModelStyle& s, double lx, double ly) {
        const Axis level{0.0, 1.0, ly, ly, {}, 0};  // the mark's height, whatever its value
        return intervalMark(lx + 12, level, 0.0, nullptr, s.colour, s.shape);
    });
    return svg + "</svg>\n";
}

}  // namespace tl
