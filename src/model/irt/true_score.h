#pragma once

#include <functional>
#include <vector>

namespace tl::irt {

// The x in [low, high] with f(x) = target, for f monotone on it, by bisection
// until the bracket is at most 1e-10 wide (its midpoint is returned). A target
// outside [f(low), f(high)] (either way round) gives NaN: no x reaches it.
double inverseMonotone(const std::function<double(double)>& f, double target, double low,
                       double high);

// A node of a population distribution of theta and its weight.
struct PopulationNode {
    double theta = 0.0;
    double weight = 0.0;
};

// The normal population as `points` equally spaced nodes from mean - 4 sd to
// mean + 4 sd, weighted by the normal density there and normalised to add up
// to 1. One point is the node at the mean, weight 1.
std::vector<PopulationNode> normalPopulation(double mean, double sd, int points = 41);

}  // namespace tl::irt
