#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "core/item_parameters.h"

namespace tl::irt {

// An examinee's response to each item, in the items' order: the category index
// 0 .. m, or kNotAnswered for an item that does not enter the likelihood.
inline constexpr std::uint8_t kNotAnswered = 255;

// The ability scale's bounds: estimates are held to [-6, 6].
inline constexpr double kLowestTheta = -6.0;
inline constexpr double kHighestTheta = 6.0;

// The prior of the expected a posteriori estimate: the normal density with
// this mean and SD at `points` equally spaced nodes from `low` to `high`,
// normalised to add up to 1. One point is the node (low + high) / 2.
struct Prior {
    double mean = 0.0;
    double sd = 1.0;
    int points = 61;
    double low = -6.0;
    double high = 6.0;
};

struct AbilityEstimate {
    double theta = 0.0;
    double se = 0.0;
    // The estimate is a bound of the scale, not a maximum inside it.
    bool atBound = false;
};

// The prior's nodes and their normalised weights.
struct Quadrature {
    std::vector<double> nodes;
    std::vector<double> weights;
};
Quadrature priorQuadrature(const Prior& prior);

// Expected a posteriori estimates with the item parameters fixed. Built once
// for a test, it holds ln P(k | node) for every node, item and category, so
// that a response pattern costs one pass of additions per node and item; the
// posterior is exponentiated after subtracting its largest log, so no pattern
// underflows it. The estimate is the posterior mean over the nodes, its SE
// the posterior SD. A pattern with no answered item gives the prior's.
class AbilityGrid {
  public:
    AbilityGrid(std::span<const ItemParameters* const> items, double D, const Prior& prior);

    // `categories` has one entry per item. `workspace` holds at least
    // nodeCount() values; the overload without it allocates them.
    AbilityEstimate eap(std::span<const std::uint8_t> categories) const;
    AbilityEstimate eap(std::span<const std::uint8_t> categories,
                        std::span<double> workspace) const;

    std::size_t nodeCount() const { return nodes_.size(); }
    const std::vector<double>& nodes() const { return nodes_; }

  private:
    std::vector<double> nodes_;
    std::vector<double> logPrior_;
    // ln P: row (offset_[j] + k) holds item j's category k at every node.
    std::vector<double> logProbability_;
    std::vector<std::size_t> offset_;
    std::vector<std::size_t> categoryCount_;
};

// The test information at theta: the sum of the items' information.
double testInformation(std::span<const ItemParameters* const> items, double D, double theta);

// The maximum likelihood estimate with the item parameters fixed, by Fisher
// scoring (Newton-Raphson with the expected information in place of the
// observed one: it is never 0 or negative, so every step points uphill) from
// `start`, held to [-6, 6]. A step longer than 1e-6 is halved until the
// likelihood does not fall; shorter ones, where the likelihood is flat to
// rounding, follow the score alone. It stops when a step moves theta by less
// than 1e-12. SE is
// 1 / sqrt(I(theta-hat)), the test information of the answered items there.
// A pattern in every item's lowest category, or every item's highest, has no
// maximum: it takes the bound -6 or 6 with atBound. A maximum beyond a bound
// takes that bound with atBound too. With no answered item, theta and SE are
// NaN.
AbilityEstimate mle(std::span<const ItemParameters* const> items, double D,
                    std::span<const std::uint8_t> categories, double start);

}  // namespace tl::irt
