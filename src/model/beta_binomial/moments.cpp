#include "model/beta_binomial/moments.h"

#include <cmath>
#include <limits>

#include "model/beta_binomial/refusal.h"
#include "model/reliability.h"
#include "model/rounding.h"

namespace tl::betabinomial {

namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

}  // namespace

double sampleVariance(std::span<const double> values) {
    if (values.size() < 2) return kNaN;
    const double count = static_cast<double>(values.size());
    return arrayVariance(values) * (count / (count - 1.0));
}

void checkReliability(double reliability) {
    if (!(reliability > 0.0 && reliability < 1.0)) {
        refuse(FindingCode::ModelReliabilityRange,
               "the reliability " + valueText(reliability) +
                   " is not between 0 and 1: give one above 0 and below 1",
               "model.reliability", reliability);
    }
}

ScoreSummary summarizeScores(std::span<const double> scores) {
    const double count = static_cast<double>(scores.size());
    double sum = 0.0;
    for (double x : scores) sum = sum + x;
    ScoreSummary out;
    out.mean = scores.empty() ? kNaN : sum / count;
    out.variance = scores.size() < 2 ? 0.0 : sampleVariance(scores);
    if (!(out.variance > 0.0)) {
        refuse(FindingCode::ModelNoVariance,
               "the " + std::to_string(scores.size()) + " composite scores do not vary (variance " +
                   valueText(out.variance) +
                   "): the beta-binomial model needs at least two different scores",
               "", out.variance);
    }
    return out;
}

EffectiveLength effectiveLength(std::span<const double> scores, double a, double b,
                                double reliability) {
    checkReliability(reliability);
    const ScoreSummary summary = summarizeScores(scores);
    EffectiveLength out;
    out.mean = summary.mean;
    out.variance = summary.variance;
    out.reliability = reliability;
    out.nEff = ((out.mean - a) * (b - out.mean) - reliability * out.variance) /
               (out.variance * (1.0 - reliability));
    const double n = roundHalfAway(out.nEff);
    if (!(n >= 2.0) || n > 1e6) {
        refuse(FindingCode::ModelEffectiveLength,
               "the effective test length " + valueText(out.nEff) + " (mean " +
                   valueText(out.mean) + ", variance " + valueText(out.variance) +
                   ", reliability " + valueText(reliability) + ", range " + valueText(a) + " to " +
                   valueText(b) +
                   ") is not between 2 and 1000000: check the possible score range and the "
                   "reliability",
               "", out.nEff);
    }
    out.n = static_cast<std::int32_t>(n);
    return out;
}

std::int32_t effectiveScore(double score, double a, double b, std::int32_t n) {
    const double x = roundHalfAway(static_cast<double>(n) * (score - a) / (b - a));
    if (!(x > 0.0)) return 0;
    if (x > static_cast<double>(n)) return n;
    return static_cast<std::int32_t>(x);
}

std::vector<std::int32_t> effectiveScores(std::span<const double> scores, double a, double b,
                                          std::int32_t n) {
    std::vector<std::int32_t> out(scores.size());
    for (std::size_t i = 0; i < scores.size(); ++i) out[i] = effectiveScore(scores[i], a, b, n);
    return out;
}

std::vector<double> scoreFrequencies(std::span<const std::int32_t> effective, std::int32_t n) {
    std::vector<double> counts(static_cast<std::size_t>(n) + 1, 0.0);
    for (std::int32_t x : effective) counts[static_cast<std::size_t>(x)] += 1.0;
    return counts;
}

double fallingFactorial(double y, int r) {
    double out = 1.0;
    for (int i = 0; i < r; ++i) out = out * (y - i);
    return out;
}

double TrueMoments::variance() const {
    return raw[1] - raw[0] * raw[0];
}

double TrueMoments::skewness() const {
    const double m = raw[0];
    const double third = raw[2] - 3.0 * m * raw[1] + 2.0 * m * m * m;
    const double v = variance();
    return third / (v * std::sqrt(v));
}

double TrueMoments::kurtosis() const {
    const double m = raw[0];
    const double fourth = raw[3] - 4.0 * m * raw[2] + 6.0 * m * m * raw[1] - 3.0 * m * m * m * m;
    const double v = variance();
    return fourth / (v * v);
}

TrueMoments lordMoments(std::span<const double> frequencies, std::int32_t n, double k) {
    std::array<double, 5> factorial{};  // mean(x^(r)), r = 0..4
    double total = 0.0;
    for (std::size_t x = 0; x < frequencies.size(); ++x) {
        total = total + frequencies[x];
        for (int r = 1; r <= 4; ++r)
            factorial[r] = factorial[r] + frequencies[x] * fallingFactorial(double(x), r);
    }
    const double nn = static_cast<double>(n);
    TrueMoments out;
    out.raw[0] = factorial[1] / total / nn;
    for (int r = 2; r <= 4; ++r) {
        const double shrunk = fallingFactorial(nn - 2.0, r - 2);
        if (!(shrunk > 0.0)) {
            out.raw[r - 1] = kNaN;
            continue;
        }
        const double kr = k * r * (r - 1);
        out.raw[r - 1] =
            (factorial[r] / total / shrunk + kr * out.raw[r - 2]) / (fallingFactorial(nn, 2) + kr);
    }
    return out;
}

double lordK(double mean, double variance, double errorVariance, std::int32_t n) {
    const double nn = static_cast<double>(n);
    const double trueVariance = variance - errorVariance;
    const double spread = mean * (nn - mean);
    return nn * ((nn - 1.0) * trueVariance - nn * variance + spread) /
           (2.0 * (spread - trueVariance));
}

}  // namespace tl::betabinomial
