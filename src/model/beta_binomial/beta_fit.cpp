#include "model/beta_binomial/beta_fit.h"

#include <cmath>
#include <vector>

#include "model/beta_binomial/refusal.h"

namespace tl::betabinomial {

namespace {

// Skewness of a beta with shapes a and b.
double betaSkewness(double a, double b) {
    return 2.0 * (b - a) * std::sqrt(a + b + 1.0) / ((a + b + 2.0) * std::sqrt(a * b));
}

std::string rangeText(double l, double u) {
    return "[" + valueText(l) + ", " + valueText(u) + "]";
}

// The shapes of a beta on [l, u] with mean and variance; nullopt unless both
// are positive.
std::optional<BetaFit> shapesFor(double mean, double variance, double l, double u) {
    const double width = u - l;
    const double m = (mean - l) / width;
    const double v = variance / (width * width);
    const double s = m * (1.0 - m) / v - 1.0;
    if (!(m > 0.0 && m < 1.0 && s > 0.0 && std::isfinite(s))) return std::nullopt;
    return BetaFit{l, u, m * s, (1.0 - m) * s, 2, "2P", ""};
}

bool admissible(const BetaFit& f) {
    return std::isfinite(f.l) && std::isfinite(f.u) && std::isfinite(f.alpha) &&
           std::isfinite(f.beta) && f.alpha > 0.0 && f.beta > 0.0 && f.l >= 0.0 && f.l < f.u &&
           f.u <= 1.0;
}

// The 3P fit with l = 0: roots in u of skew(u) - target on (uMin, 1]. Mirrored,
// the moments are those of 1 - tau and the reasons speak of l.
BetaAttempt lowerFixedAtZero(double mean, double variance, double skewness, bool mirrored) {
    if (!(mean > 0.0 && variance > 0.0 && std::isfinite(skewness)))
        return {std::nullopt, "the mean, variance or skewness does not allow it"};
    const double uMin = mean + variance / mean;
    if (!(uMin < 1.0)) {
        return {std::nullopt, mirrored
                                  ? "the mean and variance need l below " + valueText(1.0 - uMin)
                                  : "the mean and variance need u above " + valueText(uMin)};
    }
    auto gap = [&](double u) -> double {
        const auto f = shapesFor(mean, variance, 0.0, u);
        return f ? betaSkewness(f->alpha, f->beta) - skewness : std::nan("");
    };
    // A grid dense near uMin, where the shapes go to 0 and the skewness turns
    // fastest.
    constexpr int kGrid = 512;
    std::vector<double> roots;
    double lo = 1.0;
    double gapLo = gap(lo);
    if (gapLo == 0.0) roots.push_back(lo);
    for (int i = kGrid - 1; i >= 1; --i) {
        const double t = static_cast<double>(i) / kGrid;
        const double hi = lo;
        const double gapHi = gapLo;
        lo = uMin + (1.0 - uMin) * t * t;
        gapLo = gap(lo);
        if (!(std::isfinite(gapLo) && std::isfinite(gapHi))) continue;
        if (gapLo == 0.0) {
            roots.push_back(lo);
            continue;
        }
        if ((gapLo < 0.0) == (gapHi < 0.0) || gapHi == 0.0) continue;
        double a = lo, b = hi, ga = gapLo;
        while (b - a > 1e-12) {
            const double mid = 0.5 * (a + b);
            const double gm = gap(mid);
            if (gm == 0.0)
                a = b = mid;
            else if ((gm < 0.0) == (ga < 0.0))
                a = mid, ga = gm;
            else
                b = mid;
        }
        roots.push_back(0.5 * (a + b));
    }
    for (double u : roots) {  // widest first: the scan runs down from u = 1
        auto f = shapesFor(mean, variance, 0.0, u);
        if (f && admissible(*f)) {
            f->parameters = 3;
            f->fit = "3P l=0";
            return {f, ""};
        }
    }
    return {std::nullopt,
            mirrored ? "no skewness root with l at least 0" : "no skewness root with u at most 1"};
}

}  // namespace

ShapeMoments shapeMoments(const TrueMoments& moments) {
    return {moments.mean(), moments.variance(), moments.skewness(), moments.kurtosis()};
}

ShapeMoments betaMoments(const BetaFit& f) {
    const double a = f.alpha, b = f.beta, s = a + b, w = f.u - f.l;
    ShapeMoments m;
    m.mean = f.l + w * a / s;
    m.variance = w * w * a * b / (s * s * (s + 1.0));
    m.skewness = betaSkewness(a, b);
    m.kurtosis =
        3.0 * (s + 1.0) * (2.0 * s * s + a * b * (s - 6.0)) / (a * b * (s + 2.0) * (s + 3.0));
    return m;
}

BetaAttempt fourParameterBeta(const ShapeMoments& m) {
    const double g = m.skewness, k = m.kurtosis;
    if (!(std::isfinite(g) && std::isfinite(k) && m.variance > 0.0))
        return {std::nullopt, "the true-score moments do not identify it"};
    const double s = 6.0 * (k - g * g - 1.0) / (6.0 + 3.0 * g * g - 2.0 * k);
    const double root = std::sqrt(g * g * (s + 2.0) * (s + 2.0) + 16.0 * (s + 1.0));
    const double lean = g * (s + 2.0) / root;
    BetaFit f;
    f.alpha = 0.5 * s * (1.0 - lean);
    f.beta = 0.5 * s * (1.0 + lean);
    const double width = std::sqrt(m.variance * s * s * (s + 1.0) / (f.alpha * f.beta));
    f.l = m.mean - width * f.alpha / s;
    f.u = f.l + width;
    f.parameters = 4;
    f.fit = "4P";
    if (!(s > 0.0 && std::isfinite(root) && std::isfinite(width)))
        return {std::nullopt, "no real solution (alpha + beta = " + valueText(s) + ")"};
    if (!admissible(f)) {
        return {std::nullopt, "not admissible: " + rangeText(f.l, f.u) + ", alpha " +
                                  valueText(f.alpha) + ", beta " + valueText(f.beta)};
    }
    return {f, ""};
}

BetaAttempt threeParameterBeta(const ShapeMoments& m, bool upperFixed) {
    if (!upperFixed) return lowerFixedAtZero(m.mean, m.variance, m.skewness, false);
    // u = 1 is l = 0 for 1 - tau, whose skewness turns sign.
    BetaAttempt mirrored = lowerFixedAtZero(1.0 - m.mean, m.variance, -m.skewness, true);
    if (mirrored.fit) {
        BetaFit& f = *mirrored.fit;
        f = BetaFit{1.0 - f.u, 1.0, f.beta, f.alpha, 3, "3P u=1", ""};
    }
    return mirrored;
}

BetaAttempt twoParameterBeta(const ShapeMoments& m, double l, double u) {
    auto f = shapesFor(m.mean, m.variance, l, u);
    if (!f || !(l < u)) {
        return {std::nullopt, "the mean " + valueText(m.mean) + " and variance " +
                                  valueText(m.variance) + " fit no beta on " + rangeText(l, u)};
    }
    return {f, ""};
}

BetaFit fitBeta(const ShapeMoments& m, TrueModel model, double l, double u) {
    std::string why;
    auto tried = [&](const BetaAttempt& attempt, const char* name) -> std::optional<BetaFit> {
        if (attempt.fit) {
            BetaFit f = *attempt.fit;
            f.why = why;
            return f;
        }
        why += (why.empty() ? "" : "; ") + std::string(name) + ": " + attempt.why;
        return std::nullopt;
    };
    const bool any = model == TrueModel::Auto;
    if (any || model == TrueModel::FourParameter)
        if (auto f = tried(fourParameterBeta(m), "4P")) return *f;
    if (any || model == TrueModel::ThreeParameter) {
        if (auto f = tried(threeParameterBeta(m, false), "3P l=0")) return *f;
        if (auto f = tried(threeParameterBeta(m, true), "3P u=1")) return *f;
    }
    if (any || model == TrueModel::TwoParameter)
        if (auto f = tried(twoParameterBeta(m, l, u), "2P")) return *f;
    refuse(FindingCode::ModelNoBetaFit,
           "no beta true-score distribution fits the true-score moments (mean " +
               valueText(m.mean) + ", variance " + valueText(m.variance) + "): " + why +
               "; check the reliability and the possible score range",
           "model.true_model", m.variance);
}

}  // namespace tl::betabinomial
