#include "model/irt/ability.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <stdexcept>
#include <string>

#include "model/irt/item_probability.h"

namespace tl::irt {

namespace {

// The probabilities of one item's categories, on the stack for the usual
// handful of them.
class CategoryBuffer {
  public:
    std::span<double> of(const ItemParameters& item, double D, double theta) {
        const std::size_t count = item.categoryCount();
        std::span<double> p(small_, count);
        if (count > std::size(small_)) {
            large_.resize(count);
            p = large_;
        }
        categoryProbabilities(item, D, theta, p);
        return p;
    }

  private:
    double small_[32];
    std::vector<double> large_;
};

void checkCategory(const ItemParameters& item, std::uint8_t category) {
    if (category != kNotAnswered && category >= item.categoryCount()) {
        throw std::invalid_argument("category " + std::to_string(category) + " of item " +
                                    item.item + ", which has " +
                                    std::to_string(item.categoryCount()) + " categories");
    }
}

double logLikelihood(std::span<const ItemParameters* const> items, double D,
                     std::span<const std::uint8_t> categories, double theta,
                     CategoryBuffer& buffer) {
    double sum = 0.0;
    for (std::size_t j = 0; j < items.size(); ++j) {
        if (categories[j] == kNotAnswered) continue;
        sum += std::log(buffer.of(*items[j], D, theta)[categories[j]]);
    }
    return sum;
}

}  // namespace

Quadrature priorQuadrature(const Prior& prior) {
    if (prior.points < 1) throw std::invalid_argument("a prior needs at least one point");
    Quadrature q;
    const auto n = static_cast<std::size_t>(prior.points);
    double total = 0.0;
    for (std::size_t i = 0; i < n; ++i) {
        const double node = n == 1 ? (prior.low + prior.high) / 2.0
                                   : prior.low + (prior.high - prior.low) * static_cast<double>(i) /
                                                     static_cast<double>(n - 1);
        const double z = (node - prior.mean) / prior.sd;
        q.nodes.push_back(node);
        q.weights.push_back(std::exp(-0.5 * z * z));
        total += q.weights.back();
    }
    for (double& w : q.weights) w /= total;
    return q;
}

AbilityGrid::AbilityGrid(std::span<const ItemParameters* const> items, double D,
                         const Prior& prior) {
    const Quadrature q = priorQuadrature(prior);
    nodes_ = q.nodes;
    // The log density relative to its largest value, so that a narrow prior's
    // far nodes are very negative instead of the log of an underflowed 0.
    std::vector<double> exponent;
    for (double node : nodes_) {
        const double z = (node - prior.mean) / prior.sd;
        exponent.push_back(-0.5 * z * z);
    }
    const double largest = *std::max_element(exponent.begin(), exponent.end());
    double total = 0.0;
    for (double e : exponent) total += std::exp(e - largest);
    for (double e : exponent) logPrior_.push_back(e - largest - std::log(total));

    const std::size_t n = nodes_.size();
    CategoryBuffer buffer;
    for (const ItemParameters* item : items) {
        offset_.push_back(logProbability_.size() / n);
        categoryCount_.push_back(item->categoryCount());
        const std::size_t first = logProbability_.size();
        logProbability_.resize(first + item->categoryCount() * n);
        for (std::size_t i = 0; i < n; ++i) {
            const std::span<double> p = buffer.of(*item, D, nodes_[i]);
            for (std::size_t k = 0; k < p.size(); ++k)
                logProbability_[first + k * n + i] = std::log(p[k]);
        }
    }
}

AbilityEstimate AbilityGrid::eap(std::span<const std::uint8_t> categories) const {
    std::vector<double> workspace(nodeCount());
    return eap(categories, workspace);
}

AbilityEstimate AbilityGrid::eap(std::span<const std::uint8_t> categories,
                                 std::span<double> workspace) const {
    const std::size_t n = nodes_.size();
    double* const log = workspace.data();
    std::copy(logPrior_.begin(), logPrior_.end(), log);
    for (std::size_t j = 0; j < offset_.size(); ++j) {
        const std::uint8_t k = categories[j];
        if (k == kNotAnswered) continue;
        if (k >= categoryCount_[j])
            throw std::invalid_argument("category " + std::to_string(k) + " of item " +
                                        std::to_string(j + 1) + ", which has " +
                                        std::to_string(categoryCount_[j]) + " categories");
        const double* row = logProbability_.data() + (offset_[j] + k) * n;
        for (std::size_t i = 0; i < n; ++i) log[i] += row[i];
    }
    const double largest = *std::max_element(log, log + n);
    double total = 0.0, first = 0.0;
    for (std::size_t i = 0; i < n; ++i) {
        log[i] = std::exp(log[i] - largest);  // now the unnormalised posterior
        total += log[i];
        first += log[i] * nodes_[i];
    }
    const double mean = first / total;
    double second = 0.0;
    for (std::size_t i = 0; i < n; ++i) {
        const double deviation = nodes_[i] - mean;
        second += log[i] * deviation * deviation;
    }
    return {mean, std::sqrt(second / total), false};
}

double testInformation(std::span<const ItemParameters* const> items, double D, double theta) {
    double information = 0.0;
    for (const ItemParameters* item : items) information += itemInformation(*item, D, theta);
    return information;
}

AbilityEstimate mle(std::span<const ItemParameters* const> items, double D,
                    std::span<const std::uint8_t> categories, double start) {
    std::vector<const ItemParameters*> answered;
    bool allLowest = true, allHighest = true;
    for (std::size_t j = 0; j < items.size(); ++j) {
        checkCategory(*items[j], categories[j]);
        if (categories[j] == kNotAnswered) continue;
        answered.push_back(items[j]);
        allLowest = allLowest && categories[j] == 0;
        allHighest = allHighest && categories[j] + 1u == items[j]->categoryCount();
    }
    if (answered.empty()) {
        const double nan = std::numeric_limits<double>::quiet_NaN();
        return {nan, nan, false};
    }
    const auto bounded = [](double theta) {
        return std::clamp(theta, kLowestTheta, kHighestTheta);
    };
    if (allLowest || allHighest) {
        const double bound = allLowest ? kLowestTheta : kHighestTheta;
        AbilityEstimate estimate{bound, 0.0, true};
        estimate.se = 1.0 / std::sqrt(testInformation(answered, D, bound));
        return estimate;
    }

    CategoryBuffer buffer;
    const auto likelihood = [&](double theta) {
        return logLikelihood(items, D, categories, theta, buffer);
    };
    double theta = std::isfinite(start) ? bounded(start) : 0.0;
    double current = likelihood(theta);
    for (int iteration = 0; iteration < 500; ++iteration) {
        double score = 0.0;
        for (std::size_t j = 0; j < items.size(); ++j) {
            if (categories[j] != kNotAnswered)
                score += logProbabilitySlope(*items[j], D, theta, categories[j]);
        }
        const double information = testInformation(answered, D, theta);
        if (!(information > 0.0)) break;
        double step = score / information;
        double next = bounded(theta + step);
        double value = likelihood(next);
        // Within a few 1e-8 of the maximum the likelihood is flat to rounding:
        // there the score alone guides the step.
        for (int halving = 0; halving < 60 && value < current && std::fabs(step) > 1e-6;
             ++halving) {
            step /= 2.0;
            next = bounded(theta + step);
            value = likelihood(next);
        }
        if (value < current && std::fabs(step) > 1e-6) break;
        const double moved = std::fabs(next - theta);
        theta = next;
        current = value;
        if (moved < 1e-12) break;
    }
    AbilityEstimate estimate{theta, 0.0, theta == kLowestTheta || theta == kHighestTheta};
    estimate.se = 1.0 / std::sqrt(testInformation(answered, D, theta));
    return estimate;
}

}  // namespace tl::irt
