#pragma once

#include <cstdint>
#include <span>
#include <vector>

namespace tl::betabinomial {

// Livingston-Lewis: binomial error on the effective length n. Hanson-Brennan:
// Lord's two-term approximation to compound-binomial error with his k.
enum class Method { LivingstonLewis, HansonBrennan };

// P(x | tau) for x = 0..n:
//   LL: B(x; n, tau);
//   HB: B(x; n, tau) - k tau (1 - tau) [B(x; n-2, tau) - 2 B(x-1; n-2, tau) + B(x-2; n-2, tau)],
// B the binomial probability, 0 outside 0..n. HB's probabilities sum to 1
// but may dip below 0 where the approximation is poor; they are kept as they
// are, so that the model's moments stay exact.
class ErrorModel {
  public:
    ErrorModel(Method method, std::int32_t n, double k);

    std::int32_t length() const { return n_; }
    // Writes the n + 1 probabilities into out.
    void probabilities(double tau, std::span<double> out) const;
    // The error variance given tau on the effective scale:
    // n tau (1 - tau) for LL, (n - 2k) tau (1 - tau) for HB.
    double variance(double tau) const;

  private:
    Method method_;
    std::int32_t n_;
    double k_;
    std::vector<double> logFactorial_;  // ln x!, x = 0..n
};

// B(x; n, tau) for x = 0..n into out, with ln x! for x = 0..n at hand.
void binomialProbabilities(std::int32_t n, double tau, std::span<const double> logFactorial,
                           std::span<double> out);

// The observed categories on the effective scale: with c' = n (c - a) / (b - a)
// category k holds x' from ceil(c'_{k-1} - 1e-9) to ceil(c'_k - 1e-9) - 1
// (the first from 0, the last to n), so that a score at a cut is above it.
struct ObservedCategories {
    std::vector<std::int32_t> first;    // first x' of each category, and n + 1 last
    std::vector<std::int32_t> ofScore;  // the category (0-based) of x' = 0..n

    std::size_t count() const { return first.size() - 1; }
};
ObservedCategories observedCategories(std::span<const double> cuts, double a, double b,
                                      std::int32_t n);

// True cuts on tau: t' = (t - a) / (b - a).
std::vector<double> trueCutsOnTau(std::span<const double> trueCuts, double a, double b);

// P(k | tau) from P(x | tau): the sum over each category's x'.
void categoryProbabilities(const ObservedCategories& categories, std::span<const double> pmf,
                           std::span<double> out);

}  // namespace tl::betabinomial
