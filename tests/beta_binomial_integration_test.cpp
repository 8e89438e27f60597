// The beta-binomial model's quadrature: the Gauss-Jacobi rules, and the
// composite rule over the fitted beta against adaptive Simpson (with the
// change of variable that bounds a singular end) on each true category.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "model/beta_binomial/error_model.h"
#include "model/beta_binomial/gauss_jacobi.h"
#include "model/beta_binomial/integration.h"
#include "reference/beta_integral.h"

namespace tl::betabinomial {
namespace {

TEST(GaussJacobi, ExactForPolynomialsOfDegreeBelowTwiceThePoints) {
    struct Case {
        double a, b;
    };
    const std::vector<Case> cases{{0, 0}, {-0.5, 0.3}, {2.5, -0.7}, {-0.9, -0.9}, {40, 0}};
    const int points = 12;
    for (const Case& c : cases) {
        const GaussRule rule = gaussJacobi(points, c.a, c.b);
        for (int m = 0; m < 2 * points; ++m) {
            // The integral of (1 + x)^m (1 - x)^a (1 + x)^b over [-1, 1].
            const double exact =
                std::exp((c.a + c.b + m + 1) * std::log(2.0) + std::lgamma(c.a + 1) +
                         std::lgamma(c.b + m + 1) - std::lgamma(c.a + c.b + m + 2));
            double sum = 0.0;
            for (int i = 0; i < points; ++i)
                sum += rule.weights[i] * std::pow(1 + rule.nodes[i], m);
            EXPECT_NEAR(sum / exact, 1.0, 1e-12) << c.a << " " << c.b << " m " << m;
        }
    }
}

BetaFit beta(double l, double u, double alpha, double beta) {
    return BetaFit{l, u, alpha, beta, 4, "4P", ""};
}

struct QuadratureCase {
    std::string name;
    BetaFit beta;
    std::vector<double> cuts;  // on tau
};

TEST(BetaQuadrature, AgreesWithAdaptiveSimpsonOnEachTrueCategory) {
    const std::vector<QuadratureCase> cases{
        {"alpha below 1", beta(0.05, 0.95, 0.7, 1.6), {0.3, 0.6}},
        {"both below 1", beta(0.0, 1.0, 0.4, 0.3), {0.5}},
        {"smooth", beta(0.1, 0.85, 2.5, 4.0), {0.5}},
        {"peaked", beta(0.0, 1.0, 30.0, 50.0), {0.4}},
        {"cut close to a singular end", beta(0.0, 1.0, 0.6, 0.8), {1e-4, 0.9999}},
        {"cut outside", beta(0.2, 0.7, 1.5, 0.9), {0.1, 0.5}},
    };
    const int n = 20;
    const ErrorModel error(Method::LivingstonLewis, n, 0.0);
    const std::vector<double> observedCuts{8.0, 13.0};
    const ObservedCategories categories = observedCategories(observedCuts, 0.0, 20.0, n);
    // Smooth functions of tau: 1, P(k = 1 | tau)^2, P(2 | tau) P(3 | tau) and an
    // oscillating one.
    std::vector<std::function<double(double)>> functions{
        [](double) { return 1.0; },
        [&](double t) {
            std::vector<double> pmf(n + 1), p(3);
            error.probabilities(t, pmf);
            categoryProbabilities(categories, pmf, p);
            return p[0] * p[0];
        },
        [&](double t) {
            std::vector<double> pmf(n + 1), p(3);
            error.probabilities(t, pmf);
            categoryProbabilities(categories, pmf, p);
            return p[1] * p[2];
        },
        [](double t) { return std::cos(9.0 * t) + t * t; },
    };
    for (const QuadratureCase& c : cases) {
        const Quadrature q = betaQuadrature(c.beta, c.cuts, 2 * n);
        double total = 0.0;
        for (double w : q.weight) total += w;
        EXPECT_NEAR(total, 1.0, 1e-13) << c.name;
        std::vector<double> edges{c.beta.l};
        for (double t : c.cuts)
            if (t > c.beta.l && t < c.beta.u) edges.push_back(t);
        edges.push_back(c.beta.u);
        for (std::size_t f = 0; f < functions.size(); ++f) {
            for (std::size_t piece = 0; piece + 1 < edges.size(); ++piece) {
                const std::int32_t category =
                    trueCategoryOf(c.cuts, 0.5 * (edges[piece] + edges[piece + 1]));
                double rule = 0.0;
                for (std::size_t i = 0; i < q.tau.size(); ++i)
                    if (q.trueCategory[i] == category) rule += q.weight[i] * functions[f](q.tau[i]);
                const double reference =
                    reference::betaIntegral(functions[f], c.beta.l, c.beta.u, c.beta.alpha,
                                            c.beta.beta, edges[piece], edges[piece + 1]);
                EXPECT_NEAR(rule, reference, 1e-10)
                    << c.name << ", function " << f << ", piece " << piece;
            }
        }
    }
}

TEST(BetaQuadrature, NodesKnowTheirTrueCategory) {
    const BetaFit beta{0.0, 1.0, 2.0, 2.0, 2, "2P", ""};
    const std::vector<double> cuts{0.25, 0.5};
    const Quadrature q = betaQuadrature(beta, cuts, 10);
    for (std::size_t i = 0; i < q.tau.size(); ++i) {
        const std::int32_t expected = q.tau[i] < 0.25 ? 0 : q.tau[i] < 0.5 ? 1 : 2;
        EXPECT_EQ(q.trueCategory[i], expected) << q.tau[i];
    }
}

}  // namespace
}  // namespace tl::betabinomial
