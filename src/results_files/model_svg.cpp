#include "results_files/model_svg.h"

#include <algorithm>
#include <cmath>
#include <numeric>
#include <tuple>
#include <vector>

#include "core/number_field.h"
#include "results_files/html_text.h"
#include "results_files/number_text.h"
#include "results_files/plot_parts.h"

namespace tl {

namespace {

// An ability as the figure writes it: two decimals are what a reader of an
// ability scale compares.
std::string abilityText(double theta) {
    return fixedDecimals(theta, 2);
}

std::string abilityList(const std::vector<double>& cuts) {
    std::string list;
    for (std::size_t i = 0; i < cuts.size(); ++i)
        list += (i == 0 ? "" : i + 1 == cuts.size() ? " and " : ", ") + abilityText(cuts[i]);
    return list;
}

// One mark of the ability figure: a distinct ability with its values, and
// how many units share them.
struct AbilityPoint {
    double theta = 0.0;
    double consistency = 0.0;
    double accuracy = 0.0;
    double weight = 0.0;  // a node's weight
    std::int32_t units = 0;
};

// A value at the precision the figure shows it, so that estimates a last
// place apart (one raw score's patterns summed in another order, or another
// platform's exp and log) share one mark.
double shownAt(double value, double scale) {
    return std::round(value * scale) / scale;
}

std::vector<AbilityPoint> abilityPoints(const Results& r) {
    const Classification& c = r.classification;
    const bool nodes = !r.unitWeight.empty();
    std::vector<AbilityPoint> points;
    for (std::size_t i = 0; i < r.theta.size(); ++i) {
        if (!std::isfinite(r.theta[i])) continue;
        if (nodes) {
            points.push_back({r.theta[i], c.conditionalConsistency[i], c.conditionalAccuracy[i],
                              r.unitWeight[i], 1});
            continue;
        }
        const double shown = std::pow(10.0, kShownDecimals);
        points.push_back({shownAt(r.theta[i], 100.0), shownAt(c.conditionalConsistency[i], shown),
                          shownAt(c.conditionalAccuracy[i], shown), 0.0, 1});
    }
    const auto key = [](const AbilityPoint& p) {
        return std::tie(p.theta, p.consistency, p.accuracy);
    };
    std::sort(points.begin(), points.end(),
              [&](const AbilityPoint& a, const AbilityPoint& b) { return key(a) < key(b); });
    // Examinees whose values the figure shows alike share one mark.
    std::vector<AbilityPoint> distinct;
    for (const AbilityPoint& p : points) {
        if (!distinct.empty() && key(distinct.back()) == key(p)) {
            ++distinct.back().units;
        } else {
            distinct.push_back(p);
        }
    }
    return distinct;
}

// Beyond this many distinct estimates a mark each would make a page of
// hundreds of megabytes for a million examinees; the marks become bins.
constexpr std::size_t kMostAbilityMarks = 1000;
constexpr double kAbilityBin = 0.05;

// The examinees' marks binned on ability: each bin of width kAbilityBin
// (centred on its multiple of it) one mark at its centre, with the means of its
// examinees' values, added in ability order.
std::vector<AbilityPoint> binnedPoints(const std::vector<AbilityPoint>& distinct) {
    std::vector<AbilityPoint> bins;
    double bin = std::nan("");
    for (const AbilityPoint& p : distinct) {
        const double at = std::round(p.theta / kAbilityBin);
        if (bins.empty() || at != bin) {
            bin = at;
            bins.push_back({at * kAbilityBin, 0.0, 0.0, 0.0, 0});
        }
        AbilityPoint& b = bins.back();
        b.consistency = b.consistency + p.consistency * p.units;
        b.accuracy = b.accuracy + p.accuracy * p.units;
        b.units += p.units;
    }
    for (AbilityPoint& b : bins) {
        b.consistency = b.consistency / b.units;
        b.accuracy = b.accuracy / b.units;
    }
    return bins;
}

std::string polyline(const std::vector<AbilityPoint>& points, const Axis& x, const Axis& y,
                     double AbilityPoint::*value, const char* colour, const std::string& dash) {
    std::string svg = "<polyline fill=\"none\" stroke=\"" + std::string(colour) +
                      "\" stroke-width=\"2\"" + dash + " points=\"";
    for (std::size_t i = 0; i < points.size(); ++i) {
        if (i) svg += ' ';
        svg += px(x.pixel(points[i].theta)) + "," + px(y.pixel(points[i].*value));
    }
    return svg + "\"/>\n";
}

}  // namespace

std::string thetaFigureSvg(const Results& r, SvgUse use) {
    const bool nodes = !r.unitWeight.empty();
    std::vector<AbilityPoint> points = abilityPoints(r);
    const bool binned = !nodes && points.size() > kMostAbilityMarks;
    if (binned) points = binnedPoints(points);
    std::vector<double> cuts;
    for (const double cut : r.thetaTrueCuts)
        if (std::isfinite(cut)) cuts.push_back(cut);
    double low = points.empty() ? -1.0 : points.front().theta;
    double high = points.empty() ? 1.0 : points.back().theta;
    for (double cut : cuts) low = std::min(low, cut), high = std::max(high, cut);
    const Axis x = niceAxis(low, high, kPlotLeft + 8, kPlotRight - 8, 8);
    const Axis y = niceAxis(0.0, 1.0, kPlotBottom, kPlotTop, 5);

    const std::string units =
        nodes ? "each of the " + std::to_string(points.size()) +
                    " quadrature nodes of the population's ability distribution, the "
                    "consistency (blue solid line, circles) and the accuracy (orange dashed "
                    "line, squares) of an examinee at that ability"
        : binned ? "each of the " + std::to_string(points.size()) +
                       " ability bins of width 0.05 that hold examinees' estimates, the mean "
                       "consistency (blue circles) and the mean accuracy (orange squares) of "
                       "the examinees in it"
                 : "each of the " + std::to_string(points.size()) +
                       " distinct ability estimates of the examinees (to two decimals), the "
                       "consistency (blue circles) and the accuracy (orange squares) of the "
                       "examinees with that estimate";
    const std::string desc =
        "For " + units + ", on a scale from 0 to 1, against ability (theta) from " +
        abilityText(points.empty() ? 0.0 : points.front().theta) + " to " +
        abilityText(points.empty() ? 0.0 : points.back().theta) + "." +
        (cuts.empty() ? std::string()
                      : " Dashed vertical lines mark the true cuts on ability at " +
                            abilityList(cuts) + ".");
    std::string svg = svgOpen("theta", "Conditional consistency and accuracy by ability", desc,
                              kPlotWidth, kPlotHeight, use);
    svg += plotFrame(x, y, nodes ? "Ability (theta) of the node" : "Ability estimate (theta)",
                     "Probability");
    std::vector<std::string> labels;
    for (double cut : cuts) labels.push_back("cut " + abilityText(cut));
    svg += cutLines(x, cuts, labels);

    svg += "<g>\n";
    if (nodes) {
        svg += polyline(points, x, y, &AbilityPoint::consistency, kConsistencyColour, "");
        svg += polyline(points, x, y, &AbilityPoint::accuracy, kAccuracyColour,
                        " stroke-dasharray=\"7 4\"");
    }
    const double radius = nodes ? 3.0 : 4.0;
    for (const AbilityPoint& p : points) {
        const std::string about =
            "theta " + abilityText(p.theta) + ", " +
            (nodes ? "weight " + shownReal(p.weight) : std::to_string(p.units) + " examinees") +
            ": ";
        svg += circleMark(x.pixel(p.theta), y.pixel(p.consistency), radius, kConsistencyColour) +
               "><title>" + escapeHtml(about) + "consistency " + shownReal(p.consistency) +
               "</title></circle>\n";
        svg += squareMark(x.pixel(p.theta), y.pixel(p.accuracy), radius * 0.886, kAccuracyColour) +
               "><title>" + escapeHtml(about) + "accuracy " + shownReal(p.accuracy) +
               "</title></rect>\n";
    }
    svg += "</g>\n";

    const double ly = kPlotHeight - 36;
    svg += "<g aria-hidden=\"true\">\n";
    svg += seriesLegend(ly, "True cut on ability");
    return svg + "</g>\n</svg>\n";
}

std::string modelFitFigureSvg(const Results& r, SvgUse use) {
    const ModelFitSummary& fit = *r.model.fit;
    double most = 1.0;
    for (const ModelFitBin& bin : fit.bins) most = std::max({most, bin.observed, bin.expected});
    const double low = fit.bins.empty() ? 0.0 : fit.bins.front().first;
    const double high = fit.bins.empty() ? 1.0 : fit.bins.back().last;
    const std::string desc =
        "Bars give the observed number of examinees in each of the " +
        std::to_string(fit.bins.size()) + " score bins from " + shortestText(low) + " to " +
        shortestText(high) +
        " (adjacent scores merged until the model expects enough examinees in each); the "
        "line with circles gives the number the " +
        std::string(modelKindName(r.model.kind)) + " model expects. Pearson's chi-square " +
        shownReal(fit.chi2) + " on " + std::to_string(fit.df) + " degrees of freedom, p " +
        shownReal(fit.p) + ".";
    std::string svg = svgOpen("model-fit", "Observed and expected examinees by score bin", desc,
                              kPlotWidth, kPlotHeight, use);
    const Axis x = niceAxis(low, high, kPlotLeft + 8, kPlotRight - 8, 8, true);
    const Axis y = niceAxis(0.0, most, kPlotBottom, kPlotTop, 5);
    svg += plotFrame(x, y, "Observed score", "Examinees");

    svg += "<g>\n";
    for (const ModelFitBin& bin : fit.bins) {
        // A bin spans its scores, half a score on each side, within the axis.
        const double left = x.pixel(std::max(x.low, bin.first - 0.5)) + 1;
        const double right = x.pixel(std::min(x.high, bin.last + 0.5)) - 1;
        const double top = y.pixel(bin.observed);
        const std::string scores = bin.first == bin.last ? "score " + shortestText(bin.first)
                                                         : "scores " + shortestText(bin.first) +
                                                               " to " + shortestText(bin.last);
        svg += "<rect x=\"" + px(left) + "\" y=\"" + px(top) + "\" width=\"" +
               px(std::max(1.0, right - left)) + "\" height=\"" + px(kPlotBottom - top) +
               "\" fill=\"" + kBarColour + "\"><title>" + scores + ": " +
               shortestText(bin.observed) + " observed, " + shownReal(bin.expected) +
               " expected</title></rect>\n";
    }
    std::string line = "<polyline fill=\"none\" stroke=\"" + std::string(kAccuracyColour) +
                       "\" stroke-width=\"2\" points=\"";
    std::string marks;
    for (std::size_t i = 0; i < fit.bins.size(); ++i) {
        const ModelFitBin& bin = fit.bins[i];
        const double cx = x.pixel((bin.first + bin.last) / 2), cy = y.pixel(bin.expected);
        if (i) line += ' ';
        line += px(cx) + "," + px(cy);
        marks += circleMark(cx, cy, 3.5, kAccuracyColour) + "/>\n";
    }
    svg += line + "\"/>\n" + marks + "</g>\n";

    const double ly = kPlotHeight - 36;
    svg += "<g aria-hidden=\"true\">\n";
    svg += "<rect x=\"" + px(kPlotLeft + 2) + "\" y=\"" + px(ly - 6) +
           "\" width=\"12\" height=\"12\" fill=\"" + kBarColour + "\"/>\n";
    svg += svgText(kPlotLeft + 20, ly + 4, "Observed");
    svg += svgLine(kPlotLeft + 120, ly, kPlotLeft + 144, ly,
                   std::string("stroke=\"") + kAccuracyColour + "\" stroke-width=\"2\"");
    svg += circleMark(kPlotLeft + 132, ly, 3.5, kAccuracyColour) + "/>\n";
    svg += svgText(kPlotLeft + 152, ly + 4, "Expected by the model");
    svg += svgText(kPlotLeft + 360, ly + 4,
                   "chi-square " + shownReal(fit.chi2) + ", df " + std::to_string(fit.df) + ", p " +
                       shownReal(fit.p));
    return svg + "</g>\n</svg>\n";
}

}  // namespace tl
