#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "model/beta_binomial/beta_fit.h"
#include "model/beta_binomial/error_model.h"
#include "model/beta_binomial/integration.h"

namespace tl::betabinomial {

// The overall indices of a classification.
struct IndexValues {
    double consistency = 0.0;
    double chance = 0.0;
    double kappa = 0.0;
    double accuracy = 0.0;
    double falsePositive = 0.0;  // observed category above the true one
    double falseNegative = 0.0;  // observed category below the true one
};

// The indices with their tables, each K x K and indexed [j][k]:
//   trueByObserved[j][k] = integral over true category j of P(k | tau) g,
//   consistencyTable[j][k] = integral of P(j | tau) P(k | tau) g.
// Consistency is the trace of the second, accuracy that of the first; chance
// is the sum of the squared margins of the consistency table, kappa
// (consistency - chance) / (1 - chance).
struct ClassificationIndices {
    IndexValues overall;
    std::vector<std::vector<double>> trueByObserved;
    std::vector<std::vector<double>> consistencyTable;
};

// From the nodes and P(k | tau_q), categoryCount values a node, row by row.
ClassificationIndices classificationIndices(const Quadrature& nodes,
                                            std::span<const double> categoryProbabilities,
                                            std::size_t categoryCount);

// P(k | tau_q) for every node, categoryCount values a node.
std::vector<double> nodeCategoryProbabilities(const Quadrature& nodes, const ErrorModel& error,
                                              const ObservedCategories& categories);

// A row of the conditional results at one true score tau.
struct TauRow {
    double tau = 0.0;
    double density = 0.0;
    std::int32_t trueCategory = 0;
    std::vector<double> categoryProbabilities;  // P(k | tau)
    double consistency = 0.0;                   // sum_k P(k | tau)^2
    double accuracy = 0.0;                      // P(true category | tau)
    double csem = 0.0;                          // sqrt(v(tau)) (b - a) / n
};
// 101 points evenly across [l, u], both ends included.
std::vector<TauRow> tauRows(const BetaFit& beta, const ErrorModel& error,
                            const ObservedCategories& categories, std::span<const double> trueCuts,
                            double a, double b);

// A row of the conditional results at one observed score x', over the
// posterior of tau given x' (proportional to P(x' | tau) g(tau)).
struct ScoreRow {
    std::int32_t score = 0;
    std::int32_t observedCategory = 0;
    double proportion = 0.0;                    // integral of P(x' | tau) g
    std::vector<double> categoryProbabilities;  // E[P(k | tau) | x']
    double consistency = 0.0;                   // E[sum_k P(k | tau)^2 | x']
    double accuracy = 0.0;  // posterior probability that the true category is x''s
    double csem = 0.0;      // sqrt(E[v(tau) | x']) (b - a) / n
};
// Rows for x' = 0..n; a score the model gives no probability has NaN means.
std::vector<ScoreRow> scoreRows(const Quadrature& nodes, const ErrorModel& error,
                                const ObservedCategories& categories,
                                std::span<const double> nodeCategoryProbabilities, double a,
                                double b);

// Scale scores on the effective test: scaleOfScore[x'] is the scale score of
// effective score x' = 0 .. n. The variance of the scale score of X' under
// the error model at tau, sum_x P(x | tau) s(x)^2 - (sum_x P(x | tau) s(x))^2
// summed in ascending x (0 when rounding makes it negative); and, for each x',
// its mean over the posterior of tau given x' (the nodes' weights times
// P(x' | tau_q), normalised; NaN where that posterior has no mass).
double scaleVarianceAt(const ErrorModel& error, double tau, std::span<const double> scaleOfScore,
                       std::vector<double>& pmf);
std::vector<double> posteriorScaleVariance(const Quadrature& nodes, const ErrorModel& error,
                                           std::span<const double> scaleOfScore);

}  // namespace tl::betabinomial
