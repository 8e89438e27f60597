#pragma once

#include <vector>

namespace tl::betabinomial {

// The n-point Gauss rule on [-1, 1] for the weight (1 - x)^a (1 + x)^b,
// a, b > -1: sum_i weights[i] f(nodes[i]) = integral of f times the weight,
// exact for polynomials f of degree 2n - 1. Nodes ascending.
struct GaussRule {
    std::vector<double> nodes;
    std::vector<double> weights;
};
GaussRule gaussJacobi(int n, double a, double b);

}  // namespace tl::betabinomial
