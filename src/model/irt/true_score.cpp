#include "model/irt/true_score.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <stdexcept>

namespace tl::irt {

double inverseMonotone(const std::function<double(double)>& f, double target, double low,
                       double high) {
    const double atLow = f(low), atHigh = f(high);
    if (!(target >= std::min(atLow, atHigh) && target <= std::max(atLow, atHigh)))
        return std::numeric_limits<double>::quiet_NaN();
    if (target == atLow) return low;
    if (target == atHigh) return high;
    const bool increasing = atLow <= atHigh;
    while (high - low > 1e-10) {
        const double middle = low + (high - low) / 2.0;
        if (middle <= low || middle >= high) break;  // no double between them
        const double value = f(middle);
        if ((value < target) == increasing) {
            low = middle;
        } else {
            high = middle;
        }
    }
    return low + (high - low) / 2.0;
}

std::vector<PopulationNode> normalPopulation(double mean, double sd, int points) {
    if (points < 1) throw std::invalid_argument("a population needs at least one point");
    if (points == 1) return {{mean, 1.0}};
    std::vector<PopulationNode> nodes;
    double total = 0.0;
    for (int i = 0; i < points; ++i) {
        // From the middle out, so that nodes either side of the mean mirror each other exactly.
        const double z =
            8.0 * (static_cast<double>(i) - (points - 1) / 2.0) / static_cast<double>(points - 1);
        nodes.push_back({mean + z * sd, std::exp(-0.5 * z * z)});
        total += nodes.back().weight;
    }
    for (PopulationNode& node : nodes) node.weight /= total;
    return nodes;
}

}  // namespace tl::irt
