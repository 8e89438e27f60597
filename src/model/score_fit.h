#pragma once

#include <cstdint>
#include <span>
#include <vector>

namespace tl {

// Adjacent scores first..last (indices into the score list the frequencies
// are given on), with their expected and observed frequencies.
struct FitBin {
    std::int32_t first = 0;
    std::int32_t last = 0;
    double expected = 0.0;
    double observed = 0.0;
};

// Pearson's chi-square of the observed frequencies against the model's, with
// df = bins - 1 - the parameters fitted to the score distribution, and its
// upper-tail p. With df below 1 the p is NaN. largestCdfDifference is the
// largest absolute difference of the two cumulative distributions over the
// unmerged scores, each divided by its own total (0 where a total is 0).
struct ModelFit {
    std::vector<FitBin> bins;
    double chi2 = 0.0;
    std::int32_t df = 0;
    double p = 0.0;
    double largestCdfDifference = 0.0;
};

// Scores are merged from the lowest up until each bin expects at least
// minExpected; a short last bin joins the one before it.
ModelFit modelFit(std::span<const double> expected, std::span<const double> observed,
                  int fittedParameters, double minExpected);

// The largest absolute difference of the cumulative distributions of two
// frequency lists of equal length, each divided by its own total.
double largestCumulativeDifference(std::span<const double> expected,
                                   std::span<const double> observed);

// Q(s, x) = Gamma(s, x) / Gamma(s), the upper regularised incomplete gamma,
// s > 0, x >= 0: a series for P = 1 - Q below x = s + 1, a continued fraction
// above.
double upperRegularizedGamma(double s, double x);

// P(chi-square with df degrees of freedom > x).
double chiSquareUpperTail(double x, double df);

}  // namespace tl
