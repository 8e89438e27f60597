#include "reference/literal_model.h"

#include <cmath>
#include <vector>

#include "model/log_factorial.h"

namespace tl::reference {

namespace {

double halfAway(double v) {
    if (v > 0.0) return std::trunc(v + 0.5);
    if (v < 0.0) return std::trunc(v - 0.5);
    return v;
}

// Lexicographic successor of (c_1 .. c_(k-1)) with c_1 + ... <= n.
bool nextCounts(std::vector<int>& c, int n) {
    for (int m = static_cast<int>(c.size()) - 1; m >= 0; --m) {
        int before = 0;
        for (int i = 0; i < m; ++i) before += c[i];
        if (c[m] < n - before) {
            ++c[m];
            for (std::size_t i = m + 1; i < c.size(); ++i) c[i] = 0;
            return true;
        }
    }
    return false;
}

}  // namespace

void literalRawDistribution(int n, std::span<const double> x, std::span<const double> rawScores,
                            std::span<const double> proportions, std::span<double> out) {
    const int k = static_cast<int>(x.size());
    std::vector<double> p(proportions.begin(), proportions.end());
    for (double& value : p) {
        if (!(value > 0.0)) value = 1e-14;
    }
    for (std::size_t j = 0; j < rawScores.size(); ++j) {
        double acc = 0.0;
        std::vector<int> c(static_cast<std::size_t>(k - 1), 0);
        do {
            double s = rawScores[j];
            for (int m = 0; m < k - 1; ++m) s = s + static_cast<double>(c[m]) * (x[k - 1] - x[m]);
            if (!(static_cast<double>(n) * x[k - 1] == s)) continue;
            double last;
            if (x[k - 1] == 0.0) {
                last = static_cast<double>(n);
                for (int m = 0; m < k - 1; ++m) last = last - static_cast<double>(c[m]);
            } else {
                last = rawScores[j] * (1.0 / x[k - 1]);
                for (int m = 0; m < k - 1; ++m)
                    last = last - static_cast<double>(c[m]) * (x[m] / x[k - 1]);
            }
            double prod = std::exp(last * std::log(p[k - 1]));
            for (int m = 0; m < k - 1; ++m)
                prod = std::exp(static_cast<double>(c[m]) * std::log(p[m])) * prod;
            double t = factln(n) - factln(static_cast<int>(halfAway(last)));
            for (int m = 0; m < k - 1; ++m) t = t - factln(c[m]);
            const double coefficient = halfAway(std::exp(t));
            acc = coefficient * prod + acc;
        } while (nextCounts(c, n));
        out[j] = acc;
    }
}

void literalCompositeDistribution(std::span<const SetRow> sets,
                                  std::span<const double> compositeScores, std::span<double> out) {
    for (double& q : out) q = 0.0;
    std::vector<std::size_t> j(sets.size(), 0);
    for (const SetRow& set : sets) {
        if (set.count == 0) return;
    }
    while (true) {
        double v = sets[0].weight * sets[0].rawScores[j[0]];
        for (std::size_t s = 1; s < sets.size(); ++s)
            v = v + sets[s].weight * sets[s].rawScores[j[s]];
        if (sets.size() >= 2) v = halfAway(v);
        for (std::size_t c = 0; c < compositeScores.size(); ++c) {
            if (compositeScores[c] == v) {
                double product = sets[0].probabilities[j[0]];
                for (std::size_t s = 1; s < sets.size(); ++s)
                    product = product * sets[s].probabilities[j[s]];
                out[c] = out[c] + product;
                break;
            }
        }
        std::size_t s = sets.size();
        while (s > 0) {
            --s;
            if (++j[s] < sets[s].count) break;
            j[s] = 0;
            if (s == 0) return;
        }
    }
}

}  // namespace tl::reference
