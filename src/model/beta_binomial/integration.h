#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "model/beta_binomial/beta_fit.h"

namespace tl::betabinomial {

// Nodes tau_q with weights w_q such that sum_q w_q f(tau_q) is the integral of
// f(tau) g(tau) over [l, u] for the fitted beta g, and each node's true
// category (0-based: category k holds tau in [t'_{k-1}, t'_k)).
struct Quadrature {
    std::vector<double> tau;
    std::vector<double> weight;
    std::vector<std::int32_t> trueCategory;
};

// The rule is composite: [l, u] is cut at every true cut inside it, each
// piece into panels of about (u - l) / (8 + 2 sqrt(degree + alpha + beta)),
// where degree is the highest polynomial degree in tau of the f to integrate
// (2n for squared binomial probabilities). Each panel has a 20-point Gauss
// rule; the panels at l and at u take Gauss-Jacobi rules with the beta's
// exponents alpha - 1 and beta - 1, so that a density singular at an end is
// integrated exactly as a weight. A piece that starts or ends close to l or u
// (closer than a panel) is graded geometrically towards that end, so that the
// density stays smooth on each of its panels.
Quadrature betaQuadrature(const BetaFit& beta, std::span<const double> trueCuts, int degree);

// g(tau), 0 outside (l, u).
double betaDensity(const BetaFit& beta, double tau);

// The true category (0-based) of tau among the true cuts on the tau scale.
std::int32_t trueCategoryOf(std::span<const double> trueCuts, double tau);

}  // namespace tl::betabinomial
