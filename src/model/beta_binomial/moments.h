#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <vector>

namespace tl::betabinomial {

// The observed composites' mean and variance (divisor N - 1) and the
// effective test length they give with reliability r on the possible range
// a..b: n_eff = ((mu - a)(b - mu) - r sigma^2) / (sigma^2 (1 - r)), and n,
// n_eff rounded half away from zero.
struct EffectiveLength {
    double mean = 0.0;
    double variance = 0.0;
    double reliability = 0.0;
    double nEff = 0.0;
    std::int32_t n = 0;
};

// Variance with divisor N - 1 (NaN for fewer than two values).
double sampleVariance(std::span<const double> values);

// The mean and variance (divisor N - 1) of the scores; refuses scores that do
// not vary, or fewer than two (model.no_variance).
struct ScoreSummary {
    double mean = 0.0;
    double variance = 0.0;
};
ScoreSummary summarizeScores(std::span<const double> scores);

// Refuses a reliability outside (0, 1) (model.reliability_range).
void checkReliability(double reliability);

// Refuses (InputError with its finding) a reliability outside (0, 1)
// (model.reliability_range), scores that do not vary or fewer than two
// (model.no_variance) and n below 2 (model.effective_length).
EffectiveLength effectiveLength(std::span<const double> scores, double a, double b,
                                double reliability);

// x' = n (x - a) / (b - a) rounded half away from zero, held to 0..n.
std::int32_t effectiveScore(double score, double a, double b, std::int32_t n);
std::vector<std::int32_t> effectiveScores(std::span<const double> scores, double a, double b,
                                          std::int32_t n);
// How many scores are x' = 0..n.
std::vector<double> scoreFrequencies(std::span<const std::int32_t> effective, std::int32_t n);

// The raw moments m1..m4 of the proportion-correct true score tau, and the
// central ones they give. A moment the test length cannot identify (m3 for
// n < 3, m4 for n < 4) is NaN.
struct TrueMoments {
    std::array<double, 4> raw{};

    double mean() const { return raw[0]; }
    double variance() const;
    double skewness() const;
    double kurtosis() const;  // the fourth standardised moment (3 for the normal)
};

// Lord's moments from the frequencies of x = 0..n with his k:
//   m1 = mean(x) / n,
//   m_r = [mean(x^(r)) / (n-2)^(r-2) + k r(r-1) m_{r-1}] / (n^(2) + k r(r-1)),
// y^(r) the falling factorial y(y-1)...(y-r+1). They are exact under the
// two-term error below: its factorial moments given tau are
// n^(r) tau^r - k r(r-1) (n-2)^(r-2) tau^(r-1) (1 - tau). k = 0 is binomial
// error, where m_r = mean(x^(r)) / n^(r).
TrueMoments lordMoments(std::span<const double> frequencies, std::int32_t n, double k);

// Lord's k from the number-correct mean and variance, the error variance
// sigma_e^2 and the item count n:
//   k = n ((n-1)(s2 - se2) - n s2 + mu (n - mu)) / (2 (mu (n - mu) - (s2 - se2))).
double lordK(double mean, double variance, double errorVariance, std::int32_t n);

// y^(r).
double fallingFactorial(double y, int r);

}  // namespace tl::betabinomial
