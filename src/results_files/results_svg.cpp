#include "results_files/results_svg.h"

#include <algorithm>
#include <cmath>

#include "core/number_field.h"
#include "results_files/category_names.h"
#include "results_files/html_text.h"
#include "results_files/index_fields.h"
#include "results_files/number_text.h"
#include "results_files/svg_plot.h"

namespace tl {

namespace {

// Colours that stay apart for readers with colour vision deficiencies; the two
// series also differ in shape.
constexpr const char* kConsistencyColour = "#0072b2";
constexpr const char* kAccuracyColour = "#d55e00";
constexpr const char* kBarColour = "#56b4e9";
constexpr const char* kCutColour = "#444";

constexpr double kWidth = 720, kHeight = 440;
constexpr double kLeft = 72, kRight = 700, kTop = 34, kBottom = 330;

std::string open(const std::string& id, const std::string& title, const std::string& desc,
                 double height = kHeight) {
    return "<svg xmlns=\"http://www.w3.org/2000/svg\" viewBox=\"0 0 " + px(kWidth) + " " +
           px(height) + "\" role=\"img\" aria-labelledby=\"" + id + "-title " + id +
           "-desc\" class=\"plot\" font-size=\"15\">\n<title id=\"" + id + "-title\">" +
           escapeHtml(title) + "</title>\n<desc id=\"" + id + "-desc\">" + escapeHtml(desc) +
           "</desc>\n";
}

std::string text(double x, double y, const std::string& content, const std::string& extra = "") {
    return "<text x=\"" + px(x) + "\" y=\"" + px(y) + "\"" + extra + ">" + escapeHtml(content) +
           "</text>\n";
}

std::string line(double x1, double y1, double x2, double y2, const std::string& style) {
    return "<line x1=\"" + px(x1) + "\" y1=\"" + px(y1) + "\" x2=\"" + px(x2) + "\" y2=\"" +
           px(y2) + "\" " + style + "/>\n";
}

// Gridlines, ticks and axis titles of a plot area.
std::string frame(const Axis& x, const Axis& y, const std::string& xTitle,
                  const std::string& yTitle) {
    std::string svg = "<g aria-hidden=\"true\">\n";
    for (double tick : y.ticks) {
        const double at = y.pixel(tick);
        svg += line(kLeft, at, kRight, at, "stroke=\"#ddd\"");
        svg += text(kLeft - 8, at + 4, fixedDecimals(tick, y.tickDecimals), " text-anchor=\"end\"");
    }
    for (double tick : x.ticks) {
        const double at = x.pixel(tick);
        svg += line(at, kBottom, at, kBottom + 5, "stroke=\"#333\"");
        svg +=
            text(at, kBottom + 20, fixedDecimals(tick, x.tickDecimals), " text-anchor=\"middle\"");
    }
    svg += line(kLeft, kBottom, kRight, kBottom, "stroke=\"#333\"");
    svg += line(kLeft, kTop, kLeft, kBottom, "stroke=\"#333\"");
    svg += text((kLeft + kRight) / 2, kBottom + 44, xTitle, " text-anchor=\"middle\"");
    svg += text(
        18, (kTop + kBottom) / 2, yTitle,
        " text-anchor=\"middle\" transform=\"rotate(-90 18 " + px((kTop + kBottom) / 2) + ")\"");
    return svg + "</g>\n";
}

std::string cutLines(const Axis& x, const std::vector<double>& cuts) {
    std::string svg = "<g aria-hidden=\"true\">\n";
    for (double cut : cuts) {
        const double at = x.pixel(cut);
        svg += line(at, kTop, at, kBottom,
                    std::string("stroke=\"") + kCutColour + "\" stroke-dasharray=\"6 4\"");
        svg += text(at, kTop - 8, "cut " + shortestText(cut), " text-anchor=\"middle\"");
    }
    return svg + "</g>\n";
}

// The observed scores and the cuts, with a little room on each side; whole
// ticks when every score and cut is whole.
Axis scoreAxis(const Results& results) {
    const ClassificationTables& t = tablesOf(results);
    double low = t.composite.min, high = t.composite.max;
    bool whole = true;
    for (const ConditionalRow& row : t.conditional)
        whole = whole && row.score == std::floor(row.score);
    for (double cut : results.card.observedCuts) {
        low = std::min(low, cut), high = std::max(high, cut);
        whole = whole && cut == std::floor(cut);
    }
    return niceAxis(low, high, kLeft + 8, kRight - 8, 8, whole);
}

std::string cutList(const std::vector<double>& cuts) {
    std::string list;
    for (std::size_t i = 0; i < cuts.size(); ++i) {
        list += (i == 0 ? "" : i + 1 == cuts.size() ? " and " : ", ") + shortestText(cuts[i]);
    }
    return list;
}

std::string scoreRangeText(const ClassificationTables& t) {
    return std::to_string(t.conditional.size()) + " distinct observed composite scores from " +
           shortestText(t.composite.min) + " to " + shortestText(t.composite.max);
}

std::string square(double cx, double cy, double half, const char* colour) {
    return "<rect x=\"" + px(cx - half) + "\" y=\"" + px(cy - half) + "\" width=\"" + px(2 * half) +
           "\" height=\"" + px(2 * half) + "\" fill=\"" + colour +
           "\" fill-opacity=\"0.45\" stroke=\"" + colour + "\"";
}

std::string circle(double cx, double cy, double r, const char* colour) {
    return "<circle cx=\"" + px(cx) + "\" cy=\"" + px(cy) + "\" r=\"" + px(r) + "\" fill=\"" +
           colour + "\" fill-opacity=\"0.45\" stroke=\"" + colour + "\"";
}

// Each category by the observed composite scores it holds, named by its label:
// "Basic: 20 to below 35" (a score equal to a cut belongs to the category above).
std::vector<std::string> categoryRanges(const Results& results) {
    const std::vector<double>& cuts = results.card.observedCuts;
    std::vector<std::string> entries;
    for (std::size_t k = 0; k <= cuts.size(); ++k) {
        std::string range;
        if (k == 0) {
            range = "below " + shortestText(cuts[0]);
        } else if (k == cuts.size()) {
            range = shortestText(cuts[k - 1]) + " or above";
        } else {
            range = shortestText(cuts[k - 1]) + " to below " + shortestText(cuts[k]);
        }
        entries.push_back(categoryName(results, k) + ": " + range);
    }
    return entries;
}

// The legend of the labelled categories, from the row at `top` down, as many
// rows as the entries need; `rows` receives the count.
constexpr double kLegendRow = 26;

std::string categoryLegend(const Results& results, double top, int& rows) {
    // About half the font size per character, with room to spare.
    constexpr double kCharacter = 8.5, kGap = 24;
    std::string svg = "<g aria-hidden=\"true\" class=\"category-legend\">\n";
    double x = kLeft;
    rows = 1;
    for (const std::string& entry : categoryRanges(results)) {
        const double width = kCharacter * static_cast<double>(entry.size());
        if (x > kLeft && x + width > kRight) {
            x = kLeft;
            ++rows;
        }
        svg += text(x, top + 4 + kLegendRow * (rows - 1), entry);
        x += width + kGap;
    }
    return svg + "</g>\n";
}

std::string categoryDescription(const Results& results) {
    if (!hasCategoryLabels(results)) return "";
    std::string text = " Categories by observed composite score: ";
    const std::vector<std::string> entries = categoryRanges(results);
    for (std::size_t k = 0; k < entries.size(); ++k) text += (k ? "; " : "") + entries[k];
    return text + ".";
}

}  // namespace

std::string conditionalFigureSvg(const Results& results) {
    const ClassificationTables& t = tablesOf(results);
    std::int32_t most = 1;
    for (const ConditionalRow& row : t.conditional) most = std::max(most, row.examinees);
    const std::string desc =
        "For each of the " + scoreRangeText(t) +
        ", the mean consistency (blue circles) and the mean accuracy (orange squares) of the "
        "examinees with that score, on a scale from 0 to 1. The area of a mark grows with the "
        "number of examinees at the score, from 1 to " +
        std::to_string(most) + ". Dashed vertical lines mark the observed cuts at " +
        cutList(results.card.observedCuts) + "." + categoryDescription(results);
    // Labelled categories: their legend in rows below the series' legend.
    int rows = 0;
    const double ly = kHeight - 36;
    const std::string categories =
        hasCategoryLabels(results) ? categoryLegend(results, ly + kLegendRow, rows) : "";
    std::string svg =
        open("conditional", "Conditional consistency and accuracy by observed composite score",
             desc, kHeight + kLegendRow * rows);
    const Axis x = scoreAxis(results);
    const Axis y = niceAxis(0.0, 1.0, kBottom, kTop, 5);
    svg += frame(x, y, "Observed composite score", "Probability");
    svg += cutLines(x, results.card.observedCuts);

    // Radius from the square root of the count, so area tracks examinees.
    const double largest = 9.0, smallest = 1.5;
    auto radius = [&](std::int32_t n) {
        return std::max(smallest, largest * std::sqrt(static_cast<double>(n) / most));
    };
    svg += "<g>\n";
    for (const ConditionalRow& row : t.conditional) {
        const double r = radius(row.examinees);
        const std::string about = "score " + shortestText(row.score) + ", " +
                                  std::to_string(row.examinees) + " examinees: ";
        svg += circle(x.pixel(row.score), y.pixel(row.consistency), r, kConsistencyColour) +
               "><title>" + about + "consistency " + shownReal(row.consistency) +
               "</title></circle>\n";
        svg += square(x.pixel(row.score), y.pixel(row.accuracy), r * 0.886, kAccuracyColour) +
               "><title>" + about + "accuracy " + shownReal(row.accuracy) + "</title></rect>\n";
    }
    svg += "</g>\n";

    // Legend below the axis title.
    svg += "<g aria-hidden=\"true\">\n";
    svg += circle(kLeft + 8, ly, 6, kConsistencyColour) + "/>\n";
    svg += text(kLeft + 20, ly + 4, "Consistency");
    svg += square(kLeft + 142, ly, 6 * 0.886, kAccuracyColour) + "/>\n";
    svg += text(kLeft + 154, ly + 4, "Accuracy");
    svg += line(kLeft + 256, ly - 8, kLeft + 256, ly + 8,
                std::string("stroke=\"") + kCutColour + "\" stroke-dasharray=\"6 4\"");
    svg += text(kLeft + 266, ly + 4, "Observed cut");
    svg += circle(kLeft + 400, ly, radius(1), "#777") + "/>\n";
    svg += circle(kLeft + 420, ly, largest, "#777") + "/>\n";
    svg += text(kLeft + 436, ly + 4, "1 to " + std::to_string(most) + " examinees");
    svg += "</g>\n";
    return svg + categories + "</svg>\n";
}

std::string csemFigureSvg(const Results& results) {
    const ClassificationTables& t = tablesOf(results);
    std::int32_t most = 1;
    double highest = 0.0;
    for (const CsemRow& row : t.csem) {
        most = std::max(most, row.examinees);
        if (std::isfinite(row.csem)) highest = std::max(highest, row.csem);
    }
    const std::string desc =
        "For each of the " + scoreRangeText(t) +
        ", the conditional standard error of measurement (blue circles): the square root of "
        "the mean composite error variance of the examinees with that score, from 0 to " +
        shownReal(highest) +
        ". The area of a mark grows with the number of examinees at the "
        "score, from 1 to " +
        std::to_string(most) + ". Dashed vertical lines mark the observed cuts at " +
        cutList(results.card.observedCuts) + ".";
    std::string svg = open("csem", "CSEM by observed composite score", desc);
    const Axis x = scoreAxis(results);
    const Axis y = niceAxis(0.0, highest > 0.0 ? highest : 1.0, kBottom, kTop, 5);
    svg += frame(x, y, "Observed composite score", "CSEM");
    svg += cutLines(x, results.card.observedCuts);
    const double largest = 9.0, smallest = 1.5;
    svg += "<g>\n";
    for (const CsemRow& row : t.csem) {
        if (!std::isfinite(row.csem)) continue;
        const double r =
            std::max(smallest, largest * std::sqrt(static_cast<double>(row.examinees) / most));
        svg += circle(x.pixel(row.score), y.pixel(row.csem), r, kConsistencyColour) +
               "><title>score " + shortestText(row.score) + ", " + std::to_string(row.examinees) +
               " examinees: CSEM " + shownReal(row.csem) + "</title></circle>\n";
    }
    return svg + "</g>\n</svg>\n";
}

std::string histogramSvg(const Results& results) {
    const ClassificationTables& t = tablesOf(results);
    std::int32_t most = 1;
    for (const ConditionalRow& row : t.conditional) most = std::max(most, row.examinees);
    const std::string desc = "Bars give the number of examinees at each of the " +
                             scoreRangeText(t) + "; the tallest bar holds " + std::to_string(most) +
                             " examinees. Dashed vertical lines mark the observed cuts at " +
                             cutList(results.card.observedCuts) + "." +
                             categoryDescription(results);
    // Labelled categories: their legend below the axis title.
    int rows = 0;
    const std::string categories =
        hasCategoryLabels(results) ? categoryLegend(results, kHeight - 36, rows) : "";
    std::string svg = open("histogram", "Examinees by observed composite score", desc,
                           kHeight + kLegendRow * std::max(0, rows - 1));
    const Axis x = scoreAxis(results);
    const Axis y = niceAxis(0.0, most, kBottom, kTop, 5, true);
    svg += frame(x, y, "Observed composite score", "Examinees");

    // Bars as wide as the closest two scores allow, at most one score point.
    double gap = 1.0;
    for (std::size_t i = 1; i < t.conditional.size(); ++i) {
        gap = std::min(gap, t.conditional[i].score - t.conditional[i - 1].score);
    }
    const double width = std::max(1.0, 0.85 * (x.pixel(x.low + gap) - x.pixel(x.low)));
    svg += "<g>\n";
    for (const ConditionalRow& row : t.conditional) {
        const double top = y.pixel(row.examinees);
        svg += "<rect x=\"" + px(x.pixel(row.score) - width / 2) + "\" y=\"" + px(top) +
               "\" width=\"" + px(width) + "\" height=\"" + px(kBottom - top) + "\" fill=\"" +
               kBarColour + "\"><title>score " + shortestText(row.score) + ": " +
               std::to_string(row.examinees) + " examinees</title></rect>\n";
    }
    svg += "</g>\n";
    svg += cutLines(x, results.card.observedCuts);
    return svg + categories + "</svg>\n";
}

std::string scaleCsemFigureSvg(const Results& results) {
    const ScaleResults& scale = *results.scale;
    std::int32_t most = 1;
    double highest = 0.0;
    double low = 0.0, high = 1.0;
    bool whole = true;
    for (std::size_t i = 0; i < scale.csem.size(); ++i) {
        const CsemRow& row = scale.csem[i];
        most = std::max(most, row.examinees);
        if (std::isfinite(row.csem)) highest = std::max(highest, row.csem);
        low = i == 0 ? row.score : std::min(low, row.score);
        high = i == 0 ? row.score : std::max(high, row.score);
        whole = whole && row.score == std::floor(row.score);
    }
    std::vector<double> cuts;
    for (const ScaleCut& cut : scale.plan.observedCuts) {
        if (!std::isfinite(cut.scale)) continue;
        cuts.push_back(cut.scale);
        low = std::min(low, cut.scale), high = std::max(high, cut.scale);
        whole = whole && cut.scale == std::floor(cut.scale);
    }
    if (!(high > low)) high = low + 1.0;
    const std::string desc =
        "For each of the " + std::to_string(scale.csem.size()) +
        " distinct observed scale scores, the conditional standard error of measurement on the "
        "scale (blue circles): the square root of the mean scale-score error variance of the "
        "examinees with that scale score, from 0 to " +
        shownReal(highest) +
        ". The area of a mark grows with the number of examinees at the "
        "scale score, from 1 to " +
        std::to_string(most) + ". Dashed vertical lines mark the observed cuts on the scale at " +
        cutList(cuts) + ".";
    std::string svg = open("scale-csem", "CSEM by observed scale score", desc);
    const Axis x = niceAxis(low, high, kLeft + 8, kRight - 8, 8, whole);
    const Axis y = niceAxis(0.0, highest > 0.0 ? highest : 1.0, kBottom, kTop, 5);
    svg += frame(x, y, "Observed scale score", "CSEM");
    svg += cutLines(x, cuts);
    const double largest = 9.0, smallest = 1.5;
    svg += "<g>\n";
    for (const CsemRow& row : scale.csem) {
        if (!std::isfinite(row.csem)) continue;
        const double r =
            std::max(smallest, largest * std::sqrt(static_cast<double>(row.examinees) / most));
        svg += circle(x.pixel(row.score), y.pixel(row.csem), r, kConsistencyColour) +
               "><title>scale score " + shortestText(row.score) + ", " +
               std::to_string(row.examinees) + " examinees: CSEM " + shownReal(row.csem) +
               "</title></circle>\n";
    }
    return svg + "</g>\n</svg>\n";
}

}  // namespace tl
