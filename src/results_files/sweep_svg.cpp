#include "results_files/sweep_svg.h"

#include <cmath>

#include "core/number_field.h"
#include "results_files/html_text.h"
#include "results_files/number_text.h"
#include "results_files/plot_parts.h"
#include "results_files/sweep_files.h"

namespace tl {

namespace {

// A line through the rows' values, skipping those that are not numbers.
std::string rowLine(const CutSweep& sweep, const Axis& x, const Axis& y,
                    double (*value)(const SweepRow&), const char* colour, const std::string& dash) {
    std::string svg = "<polyline fill=\"none\" stroke=\"" + std::string(colour) +
                      "\" stroke-width=\"2\"" + dash + " points=\"";
    bool first = true;
    for (const SweepRow& row : sweep.rows) {
        const double v = value(row);
        if (!std::isfinite(v)) continue;
        if (!first) svg += ' ';
        svg += px(x.pixel(row.cut)) + "," + px(y.pixel(v));
        first = false;
    }
    return svg + "\"/>\n";
}

double accuracyOf(const SweepRow& row) {
    return row.indices.accuracy;
}
double consistencyOf(const SweepRow& row) {
    return row.indices.consistency;
}

std::string bestCutsText(const CutSweep& sweep) {
    std::string text;
    if (sweep.bestYouden)
        text += " Youden's J is largest at cut " +
                shortestText(sweepCutOf(sweep, sweep.bestYouden)) + ".";
    if (sweep.bestAccuracy)
        text += " The accuracy is largest at cut " +
                shortestText(sweepCutOf(sweep, sweep.bestAccuracy)) + ".";
    return text;
}

}  // namespace

std::string sweepFigureSvg(const Results& r, SvgUse use) {
    const CutSweep& sweep = *r.sweep;
    const double low = sweep.rows.empty() ? 0.0 : sweep.rows.front().cut;
    const double high = sweep.rows.empty() ? 1.0 : sweep.rows.back().cut;
    const std::vector<double>& cuts = r.card.observedCuts;
    const std::string truth = sweep.trueCut
                                  ? "the true cut fixed at " + shortestText(*sweep.trueCut)
                                  : "the true cut equal to it";
    const std::string desc =
        "For each possible cut from " + shortestText(low) + " to " + shortestText(high) +
        " taken as the only cut, with " + truth +
        ": the consistency (blue solid line) and the accuracy (orange dashed line), on a scale "
        "from 0 to 1." +
        (cuts.empty()
             ? std::string()
             : " Dashed vertical lines mark the run's observed cuts at " + cutList(cuts) + ".") +
        bestCutsText(sweep);
    std::string svg =
        svgOpen("sweep", "Consistency and accuracy by cut", desc, kPlotWidth, kPlotHeight, use);
    const Axis x = niceAxis(low, high, kPlotLeft + 8, kPlotRight - 8, 8);
    const Axis y = niceAxis(0.0, 1.0, kPlotBottom, kPlotTop, 5);
    svg += plotFrame(x, y, "Cut (composite score)", "Probability");
    svg += cutLines(x, cuts);
    svg += "<g>\n";
    svg += rowLine(sweep, x, y, consistencyOf, kConsistencyColour, "");
    svg += rowLine(sweep, x, y, accuracyOf, kAccuracyColour, " stroke-dasharray=\"7 4\"");
    for (const SweepRow& row : sweep.rows) {
        const std::string about = "cut " + shortestText(row.cut) + ": ";
        if (std::isfinite(row.indices.consistency))
            svg += circleMark(x.pixel(row.cut), y.pixel(row.indices.consistency), 2.5,
                              kConsistencyColour) +
                   "><title>" + escapeHtml(about) + "consistency " +
                   shownReal(row.indices.consistency) + "</title></circle>\n";
        if (std::isfinite(row.indices.accuracy))
            svg +=
                squareMark(x.pixel(row.cut), y.pixel(row.indices.accuracy), 2.2, kAccuracyColour) +
                "><title>" + escapeHtml(about) + "accuracy " + shownReal(row.indices.accuracy) +
                "</title></rect>\n";
    }
    svg += "</g>\n<g aria-hidden=\"true\">\n";
    svg += seriesLegend(kPlotHeight - 36, "Observed cut");
    return svg + "</g>\n</svg>\n";
}

std::string rocFigureSvg(const Results& r, SvgUse use) {
    const CutSweep& sweep = *r.sweep;
    const std::string desc =
        "Sensitivity against 1 minus specificity for each possible cut (blue line with "
        "circles), from (0, 0) to (1, 1); the grey dashed diagonal is a classification no "
        "better than chance. The area under the curve, by the trapezoid rule, is " +
        shownReal(sweep.auc) + "." +
        (sweep.trueCut ? std::string()
                       : " The true cut moves with each cut, so each point has its own truth.");
    std::string svg = svgOpen("roc", "ROC curve of the cuts", desc, kPlotWidth, kPlotHeight, use);
    // The page's plot area, as its other figures have it: the frame's
    // gridlines span it whole.
    const Axis x = niceAxis(0.0, 1.0, kPlotLeft + 8, kPlotRight - 8, 5);
    const Axis y = niceAxis(0.0, 1.0, kPlotBottom, kPlotTop, 5);
    svg += plotFrame(x, y, "1 - specificity", "Sensitivity");
    svg += svgLine(x.pixel(0), y.pixel(0), x.pixel(1), y.pixel(1),
                   std::string("stroke=\"") + kCutColour + "\" stroke-dasharray=\"4 4\"");
    svg += "<g>\n<polyline fill=\"none\" stroke=\"" + std::string(kConsistencyColour) +
           "\" stroke-width=\"2\" points=\"";
    for (std::size_t i = 0; i < sweep.roc.size(); ++i) {
        if (i) svg += ' ';
        svg += px(x.pixel(sweep.roc[i].falsePositiveRate)) + "," +
               px(y.pixel(sweep.roc[i].sensitivity));
    }
    svg += "\"/>\n";
    for (const SweepRow& row : sweep.rows) {
        const double fpr = 1.0 - row.diagnostics.specificity;
        if (!std::isfinite(fpr) || !std::isfinite(row.diagnostics.sensitivity)) continue;
        svg += circleMark(x.pixel(fpr), y.pixel(row.diagnostics.sensitivity), 2.5,
                          kConsistencyColour) +
               "><title>cut " + shortestText(row.cut) + ": sensitivity " +
               shownReal(row.diagnostics.sensitivity) + ", specificity " +
               shownReal(row.diagnostics.specificity) + "</title></circle>\n";
    }
    svg += "</g>\n<g aria-hidden=\"true\">\n";
    svg +=
        svgText(x.pixel(1.0), y.pixel(0.05), "AUC " + shownReal(sweep.auc), " text-anchor=\"end\"");
    return svg + "</g>\n</svg>\n";
}

}  // namespace tl
