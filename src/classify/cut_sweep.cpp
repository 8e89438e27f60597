#include "classify/cut_sweep.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace tl {

namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

double ratio(double numerator, double denominator) {
    return denominator == 0.0 ? kNaN : numerator / denominator;
}

// The row with the largest value of `of` (NaN never wins; the first on a tie).
template <class Of>
std::optional<std::size_t> bestRow(const std::vector<SweepRow>& rows, Of of) {
    std::optional<std::size_t> best;
    for (std::size_t r = 0; r < rows.size(); ++r) {
        const double value = of(rows[r]);
        if (std::isnan(value)) continue;
        if (!best || value > of(rows[*best])) best = r;
    }
    return best;
}

std::vector<RocPoint> rocCurve(const std::vector<SweepRow>& rows) {
    std::vector<RocPoint> points{{0.0, 0.0}, {1.0, 1.0}};
    for (const SweepRow& row : rows) {
        const double fpr = 1.0 - row.diagnostics.specificity;
        if (!std::isnan(fpr) && !std::isnan(row.diagnostics.sensitivity))
            points.push_back({fpr, row.diagnostics.sensitivity});
    }
    std::sort(points.begin(), points.end(), [](const RocPoint& a, const RocPoint& b) {
        return a.falsePositiveRate != b.falsePositiveRate
                   ? a.falsePositiveRate < b.falsePositiveRate
                   : a.sensitivity < b.sensitivity;
    });
    return points;
}

double trapezoidArea(const std::vector<RocPoint>& points) {
    double area = 0.0;
    for (std::size_t i = 1; i < points.size(); ++i) {
        const double width = points[i].falsePositiveRate - points[i - 1].falsePositiveRate;
        area = area + width * (points[i].sensitivity + points[i - 1].sensitivity) / 2.0;
    }
    return area;
}

}  // namespace

double sweepCutOf(const CutSweep& sweep, const std::optional<std::size_t>& row) {
    return row ? sweep.rows[*row].cut : kNaN;
}

double targetValue(const SweepRow& row, const std::string& index) {
    if (index == "sensitivity") return row.diagnostics.sensitivity;
    if (index == "specificity") return row.diagnostics.specificity;
    if (index == "ppv") return row.diagnostics.ppv;
    if (index == "npv") return row.diagnostics.npv;
    return kNaN;
}

CutSweep sweepCuts(const DistributionSums& s, std::span<const double> scores, double unitCount,
                   std::span<const double> examineeComposites, const SweepOptions& request) {
    CutSweep sweep;
    sweep.trueCut = request.trueCut;
    std::vector<double> sorted(examineeComposites.begin(), examineeComposites.end());
    std::sort(sorted.begin(), sorted.end());
    const double examinees = static_cast<double>(sorted.size());
    for (std::size_t j = 1; j < scores.size(); ++j) {
        SweepRow row;
        row.cut = scores[j];
        IndexSet& r = row.indices;
        const double below = s.below[j] / unitCount;
        const double above = s.above[j] / unitCount;
        r.consistency = (s.belowSquared[j] + s.aboveSquared[j]) / unitCount;
        r.chance = below * below + above * above;
        r.kappa = (r.consistency - r.chance) / (1.0 - r.chance);
        r.accuracy = (s.trueAboveObservedAbove[j] + s.trueBelowObservedBelow[j]) / unitCount;
        r.falsePositive = (s.above[j] - s.trueAboveObservedAbove[j]) / unitCount;
        r.falseNegative = (s.below[j] - s.trueBelowObservedBelow[j]) / unitCount;
        CutDiagnostics& d = row.diagnostics;
        d.sensitivity = ratio(s.trueAboveObservedAbove[j], s.trulyAbove[j]);
        d.specificity = ratio(s.trueBelowObservedBelow[j], s.trulyBelow[j]);
        d.ppv = ratio(s.trueAboveObservedAbove[j], s.above[j]);
        d.npv = ratio(s.trueBelowObservedBelow[j], s.below[j]);
        d.youden = d.sensitivity + d.specificity - 1.0;
        const auto atOrAbove = static_cast<double>(
            sorted.end() - std::lower_bound(sorted.begin(), sorted.end(), row.cut));
        row.shareAbove = ratio(atOrAbove, examinees);
        sweep.rows.push_back(row);
    }
    sweep.bestYouden = bestRow(sweep.rows, [](const SweepRow& r) { return r.diagnostics.youden; });
    sweep.bestAccuracy = bestRow(sweep.rows, [](const SweepRow& r) { return r.indices.accuracy; });
    for (const SweepOptions::Target& asked : request.targets) {
        SweepTarget target{asked.index, asked.value, std::nullopt};
        for (std::size_t r = 0; r < sweep.rows.size() && !target.row; ++r)
            if (targetValue(sweep.rows[r], target.index) >= target.value) target.row = r;
        sweep.targets.push_back(target);
    }
    sweep.roc = rocCurve(sweep.rows);
    sweep.auc = trapezoidArea(sweep.roc);
    return sweep;
}

}  // namespace tl
