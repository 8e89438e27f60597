#include "model/irt/item_probability.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace tl::irt {

namespace {

// The logistic function and its complement, each without subtracting from 1.
struct Logistic {
    double p;  // 1 / (1 + exp(-z))
    double q;  // 1 / (1 + exp(z))
};

Logistic logistic(double z) {
    // One exponential, of -|z|, which cannot overflow.
    const double e = std::exp(-std::fabs(z));
    const double near = 1.0 / (1.0 + e), far = e / (1.0 + e);
    return z >= 0.0 ? Logistic{near, far} : Logistic{far, near};
}

// P*(X >= k) of a graded item, k = 0 .. m + 1, with its complement.
Logistic cumulative(const ItemParameters& item, double D, double theta, std::size_t k) {
    if (k == 0) return {1.0, 0.0};
    if (k > item.steps.size()) return {0.0, 1.0};
    return logistic(D * item.a * (theta - item.steps[k - 1]));
}

// P*(X >= k) - P*(X >= k + 1), from the complements when both lie above 1/2.
double gradedDifference(const Logistic& at, const Logistic& next) {
    return next.p > 0.5 ? next.q - at.q : at.p - next.p;
}

// The running sum s_k of a partial credit item's exponents, from s_(k-1).
double partialCreditExponent(const ItemParameters& item, double D, double theta, std::size_t k,
                             double previous) {
    return k == 0 ? 0.0 : previous + D * item.a * (theta - item.steps[k - 1]);
}

double partialCreditMax(const ItemParameters& item, double D, double theta) {
    double s = 0.0, largest = 0.0;
    for (std::size_t k = 1; k <= item.steps.size(); ++k) {
        s = partialCreditExponent(item, D, theta, k, s);
        largest = std::max(largest, s);
    }
    return largest;
}

// The mean and variance of a partial credit item's category index at theta.
struct IndexMoments {
    double mean;
    double variance;
};

IndexMoments partialCreditMoments(const ItemParameters& item, double D, double theta) {
    const double largest = partialCreditMax(item, D, theta);
    double total = 0.0, first = 0.0, s = 0.0;
    for (std::size_t k = 0; k < item.categoryCount(); ++k) {
        s = partialCreditExponent(item, D, theta, k, s);
        const double w = std::exp(s - largest);
        total += w;
        first += static_cast<double>(k) * w;
    }
    const double mean = first / total;
    double second = 0.0;
    s = 0.0;
    for (std::size_t k = 0; k < item.categoryCount(); ++k) {
        s = partialCreditExponent(item, D, theta, k, s);
        const double deviation = static_cast<double>(k) - mean;
        second += deviation * deviation * std::exp(s - largest);
    }
    return {mean, second / total};
}

// A logistic item's P(1), P(0) and dP(1)/dtheta.
struct Dichotomous {
    double p1, p0, slope;
};

Dichotomous dichotomous(const ItemParameters& item, double D, double theta) {
    const Logistic s = logistic(D * item.a * (theta - item.b));
    const double range = item.u - item.c;
    return {item.c + range * s.p, (1.0 - item.u) + range * s.q, D * item.a * range * s.p * s.q};
}

}  // namespace

void categoryProbabilities(const ItemParameters& item, double D, double theta,
                           std::span<double> out) {
    switch (item.model) {
        case ItemModel::Logistic: {
            const Dichotomous d = dichotomous(item, D, theta);
            out[0] = d.p0;
            out[1] = d.p1;
            return;
        }
        case ItemModel::Graded: {
            Logistic at = cumulative(item, D, theta, 0);
            for (std::size_t k = 0; k < item.categoryCount(); ++k) {
                const Logistic next = cumulative(item, D, theta, k + 1);
                out[k] = gradedDifference(at, next);
                at = next;
            }
            return;
        }
        case ItemModel::PartialCredit: {
            double s = 0.0, largest = 0.0;
            for (std::size_t k = 0; k < item.categoryCount(); ++k) {
                s = partialCreditExponent(item, D, theta, k, s);
                out[k] = s;
                largest = std::max(largest, s);
            }
            double total = 0.0;
            for (std::size_t k = 0; k < item.categoryCount(); ++k) {
                out[k] = std::exp(out[k] - largest);
                total += out[k];
            }
            for (std::size_t k = 0; k < item.categoryCount(); ++k) out[k] /= total;
            return;
        }
    }
}

double expectedItemScore(const ItemParameters& item, double D, double theta,
                         std::span<const double> scorePoints) {
    double probabilities[64];
    std::vector<double> more;
    std::span<double> p(probabilities, item.categoryCount());
    if (item.categoryCount() > 64) {
        more.resize(item.categoryCount());
        p = more;
    }
    categoryProbabilities(item, D, theta, p);
    double expected = 0.0;
    for (std::size_t k = 0; k < p.size(); ++k) expected += p[k] * scorePoints[k];
    return expected;
}

double itemInformation(const ItemParameters& item, double D, double theta) {
    switch (item.model) {
        case ItemModel::Logistic: {
            // P'^2 / (P Q) as (r s)(r q / Q)(D a)^2 s q with r = u - c: each ratio is
            // at most 1 and tends to 1 where its numerator and P or Q vanish together.
            const Logistic s = logistic(D * item.a * (theta - item.b));
            const double range = item.u - item.c;
            const Dichotomous d = dichotomous(item, D, theta);
            const double upper = d.p1 > 0.0 ? range * s.p / d.p1 : 1.0;
            const double lower = d.p0 > 0.0 ? range * s.q / d.p0 : 1.0;
            const double slope = D * item.a;
            return slope * slope * upper * lower * s.p * s.q;
        }
        case ItemModel::Graded: {
            const double slope = D * item.a;
            double information = 0.0;
            Logistic at = cumulative(item, D, theta, 0);
            for (std::size_t k = 0; k < item.categoryCount(); ++k) {
                const Logistic next = cumulative(item, D, theta, k + 1);
                const double p = gradedDifference(at, next);
                const double derivative = slope * (at.p * at.q - next.p * next.q);
                if (p > 0.0) information += derivative * derivative / p;
                at = next;
            }
            return information;
        }
        case ItemModel::PartialCredit: {
            const double slope = D * item.a;
            return slope * slope * partialCreditMoments(item, D, theta).variance;
        }
    }
    return 0.0;
}

double logProbabilitySlope(const ItemParameters& item, double D, double theta,
                           std::size_t category) {
    switch (item.model) {
        case ItemModel::Logistic: {
            const Dichotomous d = dichotomous(item, D, theta);
            const double p = category == 0 ? d.p0 : d.p1;
            if (!(p > 0.0)) return 0.0;
            return (category == 0 ? -d.slope : d.slope) / p;
        }
        case ItemModel::Graded: {
            const Logistic at = cumulative(item, D, theta, category);
            const Logistic next = cumulative(item, D, theta, category + 1);
            const double p = gradedDifference(at, next);
            if (!(p > 0.0)) return 0.0;
            return D * item.a * (at.p * at.q - next.p * next.q) / p;
        }
        case ItemModel::PartialCredit:
            return D * item.a *
                   (static_cast<double>(category) - partialCreditMoments(item, D, theta).mean);
    }
    return 0.0;
}

}  // namespace tl::irt
