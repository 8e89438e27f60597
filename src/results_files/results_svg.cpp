#include "results_files/results_svg.h"

#include <algorithm>
#include <cmath>

#include "core/number_field.h"
#include "results_files/category_names.h"
#include "results_files/html_text.h"
#include "results_files/number_text.h"
#include "results_files/plot_parts.h"
#include "results_files/tables_of.h"

namespace tl {

namespace {

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
    return niceAxis(low, high, kPlotLeft + 8, kPlotRight - 8, 8, whole);
}

std::string scoreRangeText(const ClassificationTables& t) {
    return std::to_string(t.conditional.size()) + " distinct observed composite scores from " +
           shortestText(t.composite.min) + " to " + shortestText(t.composite.max);
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
    double x = kPlotLeft;
    rows = 1;
    for (const std::string& entry : categoryRanges(results)) {
        const double width = kCharacter * static_cast<double>(entry.size());
        if (x > kPlotLeft && x + width > kPlotRight) {
            x = kPlotLeft;
            ++rows;
        }
        svg += svgText(x, top + 4 + kLegendRow * (rows - 1), entry);
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

std::string conditionalFigureSvg(const Results& results, SvgUse use) {
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
    const double ly = kPlotHeight - 36;
    const std::string categories =
        hasCategoryLabels(results) ? categoryLegend(results, ly + kLegendRow, rows) : "";
    std::string svg =
        svgOpen("conditional", "Conditional consistency and accuracy by observed composite score",
                desc, kPlotWidth, kPlotHeight + kLegendRow * rows, use);
    const Axis x = scoreAxis(results);
    const Axis y = niceAxis(0.0, 1.0, kPlotBottom, kPlotTop, 5);
    svg += plotFrame(x, y, "Observed composite score", "Probability");
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
        svg += circleMark(x.pixel(row.score), y.pixel(row.consistency), r, kConsistencyColour) +
               "><title>" + about + "consistency " + shownReal(row.consistency) +
               "</title></circle>\n";
        svg += squareMark(x.pixel(row.score), y.pixel(row.accuracy), r * 0.886, kAccuracyColour) +
               "><title>" + about + "accuracy " + shownReal(row.accuracy) + "</title></rect>\n";
    }
    svg += "</g>\n";

    // Legend below the axis title.
    svg += "<g aria-hidden=\"true\">\n";
    svg += seriesLegend(ly, "Observed cut");
    svg += circleMark(kPlotLeft + 400, ly, radius(1), "#777") + "/>\n";
    svg += circleMark(kPlotLeft + 420, ly, largest, "#777") + "/>\n";
    svg += svgText(kPlotLeft + 436, ly + 4, "1 to " + std::to_string(most) + " examinees");
    svg += "</g>\n";
    return svg + categories + "</svg>\n";
}

std::string csemFigureSvg(const Results& results, SvgUse use) {
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
    std::string svg =
        svgOpen("csem", "CSEM by observed composite score", desc, kPlotWidth, kPlotHeight, use);
    const Axis x = scoreAxis(results);
    const Axis y = niceAxis(0.0, highest > 0.0 ? highest : 1.0, kPlotBottom, kPlotTop, 5);
    svg += plotFrame(x, y, "Observed composite score", "CSEM");
    svg += cutLines(x, results.card.observedCuts);
    const double largest = 9.0, smallest = 1.5;
    svg += "<g>\n";
    for (const CsemRow& row : t.csem) {
        if (!std::isfinite(row.csem)) continue;
        const double r =
            std::max(smallest, largest * std::sqrt(static_cast<double>(row.examinees) / most));
        svg += circleMark(x.pixel(row.score), y.pixel(row.csem), r, kConsistencyColour) +
               "><title>score " + shortestText(row.score) + ", " + std::to_string(row.examinees) +
               " examinees: CSEM " + shownReal(row.csem) + "</title></circle>\n";
    }
    return svg + "</g>\n</svg>\n";
}

std::string histogramSvg(const Results& results, SvgUse use) {
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
        hasCategoryLabels(results) ? categoryLegend(results, kPlotHeight - 36, rows) : "";
    std::string svg = svgOpen("histogram", "Examinees by observed composite score", desc,
                              kPlotWidth, kPlotHeight + kLegendRow * std::max(0, rows - 1), use);
    const Axis x = scoreAxis(results);
    const Axis y = niceAxis(0.0, most, kPlotBottom, kPlotTop, 5, true);
    svg += plotFrame(x, y, "Observed composite score", "Examinees");

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
               "\" width=\"" + px(width) + "\" height=\"" + px(kPlotBottom - top) + "\" fill=\"" +
               kBarColour + "\"><title>score " + shortestText(row.score) + ": " +
               std::to_string(row.examinees) + " examinees</title></rect>\n";
    }
    svg += "</g>\n";
    svg += cutLines(x, results.card.observedCuts);
    return svg + categories + "</svg>\n";
}

std::string scaleCsemFigureSvg(const Results& results, SvgUse use) {
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
    std::string svg =
        svgOpen("scale-csem", "CSEM by observed scale score", desc, kPlotWidth, kPlotHeight, use);
    const Axis x = niceAxis(low, high, kPlotLeft + 8, kPlotRight - 8, 8, whole);
    const Axis y = niceAxis(0.0, highest > 0.0 ? highest : 1.0, kPlotBottom, kPlotTop, 5);
    svg += plotFrame(x, y, "Observed scale score", "CSEM");
    svg += cutLines(x, cuts);
    const double largest = 9.0, smallest = 1.5;
    svg += "<g>\n";
    for (const CsemRow& row : scale.csem) {
        if (!std::isfinite(row.csem)) continue;
        const double r =
            std::max(smallest, largest * std::sqrt(static_cast<double>(row.examinees) / most));
        svg += circleMark(x.pixel(row.score), y.pixel(row.csem), r, kConsistencyColour) +
               "><title>scale score " + shortestText(row.score) + ", " +
               std::to_string(row.examinees) + " examinees: CSEM " + shownReal(row.csem) +
               "</title></circle>\n";
    }
    return svg + "</g>\n</svg>\n";
}

}  // namespace tl
