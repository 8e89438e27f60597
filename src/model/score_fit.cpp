#include "model/score_fit.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "model/beta_binomial/ln_gamma.h"

namespace tl {

namespace {

// ln(x^s e^-x / Gamma(s)), the factor both expansions share.
double logPrefactor(double s, double x) {
    return s * std::log(x) - x - betabinomial::lnGamma(s);
}

// P(s, x) = x^s e^-x / Gamma(s) * sum_k x^k / (s (s+1) ... (s+k)).
double lowerBySeries(double s, double x) {
    double term = 1.0 / s, sum = term;
    for (int k = 1; k < 10000; ++k) {
        term = term * x / (s + k);
        sum = sum + term;
        if (std::fabs(term) < std::fabs(sum) * 1e-17) break;
    }
    return std::exp(logPrefactor(s, x)) * sum;
}

// Q(s, x) = x^s e^-x / Gamma(s) * 1 / (x + 1 - s - 1 (1 - s) / (x + 3 - s - 2 (2 - s) / ...)),
// evaluated forwards by the modified Lentz method.
double upperByFraction(double s, double x) {
    constexpr double kTiny = 1e-300;
    double b = x + 1.0 - s;
    double c = 1.0 / kTiny;
    double d = 1.0 / b;
    double f = d;
    for (int i = 1; i < 10000; ++i) {
        const double a = -i * (i - s);
        b = b + 2.0;
        d = a * d + b;
        if (std::fabs(d) < kTiny) d = kTiny;
        c = b + a / c;
        if (std::fabs(c) < kTiny) c = kTiny;
        d = 1.0 / d;
        const double step = d * c;
        f = f * step;
        if (std::fabs(step - 1.0) < 1e-16) break;
    }
    return std::exp(logPrefactor(s, x)) * f;
}

}  // namespace

double upperRegularizedGamma(double s, double x) {
    if (!(s > 0.0) || !(x >= 0.0)) return std::numeric_limits<double>::quiet_NaN();
    if (x == 0.0) return 1.0;
    if (std::isinf(x)) return 0.0;
    return x < s + 1.0 ? 1.0 - lowerBySeries(s, x) : upperByFraction(s, x);
}

double chiSquareUpperTail(double x, double df) {
    return upperRegularizedGamma(0.5 * df, 0.5 * x);
}

double largestCumulativeDifference(std::span<const double> expected,
                                   std::span<const double> observed) {
    double expectedTotal = 0.0, observedTotal = 0.0;
    for (std::size_t x = 0; x < expected.size(); ++x) {
        expectedTotal = expectedTotal + expected[x];
        observedTotal = observedTotal + observed[x];
    }
    if (!(expectedTotal > 0.0) || !(observedTotal > 0.0)) return 0.0;
    double expectedSum = 0.0, observedSum = 0.0, largest = 0.0;
    for (std::size_t x = 0; x < expected.size(); ++x) {
        expectedSum = expectedSum + expected[x];
        observedSum = observedSum + observed[x];
        largest =
            std::max(largest, std::fabs(expectedSum / expectedTotal - observedSum / observedTotal));
    }
    return largest;
}

ModelFit modelFit(std::span<const double> expected, std::span<const double> observed,
                  int fittedParameters, double minExpected) {
    ModelFit out;
    FitBin open;
    bool empty = true;
    for (std::size_t x = 0; x < expected.size(); ++x) {
        if (empty) open = FitBin{static_cast<std::int32_t>(x), 0, 0.0, 0.0};
        open.last = static_cast<std::int32_t>(x);
        open.expected = open.expected + expected[x];
        open.observed = open.observed + observed[x];
        empty = false;
        if (open.expected >= minExpected) {
            out.bins.push_back(open);
            empty = true;
        }
    }
    if (!empty) {
        if (out.bins.empty()) {
            out.bins.push_back(open);
        } else {
            FitBin& last = out.bins.back();
            last.last = open.last;
            last.expected = last.expected + open.expected;
            last.observed = last.observed + open.observed;
        }
    }
    for (const FitBin& bin : out.bins) {
        const double gap = bin.observed - bin.expected;
        out.chi2 = out.chi2 + gap * gap / bin.expected;
    }
    out.df = static_cast<std::int32_t>(out.bins.size()) - 1 - fittedParameters;
    out.p = out.df >= 1 ? chiSquareUpperTail(out.chi2, out.df)
                        : std::numeric_limits<double>::quiet_NaN();
    out.largestCdfDifference = largestCumulativeDifference(expected, observed);
    return out;
}

}  // namespace tl
