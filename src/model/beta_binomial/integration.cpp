#include "model/beta_binomial/integration.h"

#include <algorithm>
#include <cmath>
#include <map>
#include <utility>

#include "model/beta_binomial/gauss_jacobi.h"
#include "model/beta_binomial/ln_gamma.h"

namespace tl::betabinomial {

namespace {

constexpr int kPoints = 20;

// log of 1 / (B(alpha, beta) (u - l)^(alpha + beta - 1)).
double logNormaliser(const BetaFit& f) {
    return lnGamma(f.alpha + f.beta) - lnGamma(f.alpha) - lnGamma(f.beta) -
           (f.alpha + f.beta - 1.0) * std::log(f.u - f.l);
}

// The panels' edges of the piece [p, q].
std::vector<double> panelEdges(const BetaFit& f, double p, double q, double width) {
    const auto count = static_cast<int>(std::max(1.0, std::ceil((q - p) / width)));
    std::vector<double> edges;
    for (int i = 0; i <= count; ++i)
        edges.push_back(i == count ? q : p + (q - p) * static_cast<double>(i) / count);
    std::vector<double> graded;
    if (p > f.l) {  // towards l: l + (p - l) 2^j inside the first panel
        for (double x = f.l + 2.0 * (p - f.l); x < edges[1]; x = f.l + 2.0 * (x - f.l))
            graded.push_back(x);
    }
    if (q < f.u) {  // towards u: u - (u - q) 2^j inside the last panel
        for (double x = f.u - 2.0 * (f.u - q); x > edges[edges.size() - 2];
             x = f.u - 2.0 * (f.u - x))
            graded.push_back(x);
    }
    edges.insert(edges.end(), graded.begin(), graded.end());
    std::sort(edges.begin(), edges.end());
    edges.erase(std::unique(edges.begin(), edges.end()), edges.end());
    return edges;
}

}  // namespace

double betaDensity(const BetaFit& f, double tau) {
    if (!(tau > f.l && tau < f.u)) return 0.0;
    return std::exp(logNormaliser(f) + (f.alpha - 1.0) * std::log(tau - f.l) +
                    (f.beta - 1.0) * std::log(f.u - tau));
}

std::int32_t trueCategoryOf(std::span<const double> trueCuts, double tau) {
    std::int32_t k = 0;
    for (double t : trueCuts)
        if (tau >= t) ++k;
    return k;
}

Quadrature betaQuadrature(const BetaFit& f, std::span<const double> trueCuts, int degree) {
    std::vector<double> breaks{f.l};
    for (double t : trueCuts)
        if (t > f.l && t < f.u) breaks.push_back(t);
    breaks.push_back(f.u);
    std::sort(breaks.begin(), breaks.end());
    const double resolution =
        8.0 + 2.0 * std::sqrt(std::max(0.0, static_cast<double>(degree)) + f.alpha + f.beta);
    const double width = (f.u - f.l) / std::min(resolution, 4000.0);
    const double logC = logNormaliser(f);

    // Rules by (exponent at the panel's upper end, at its lower end).
    std::map<std::pair<double, double>, GaussRule> rules;
    auto ruleFor = [&](double upper, double lower) -> const GaussRule& {
        auto [it, fresh] = rules.try_emplace({upper, lower});
        if (fresh) it->second = gaussJacobi(kPoints, upper, lower);
        return it->second;
    };

    Quadrature out;
    for (std::size_t piece = 0; piece + 1 < breaks.size(); ++piece) {
        const std::vector<double> edges = panelEdges(f, breaks[piece], breaks[piece + 1], width);
        for (std::size_t e = 0; e + 1 < edges.size(); ++e) {
            const double x0 = edges[e], x1 = edges[e + 1];
            const double lower = x0 == f.l ? f.alpha - 1.0 : 0.0;
            const double upper = x1 == f.u ? f.beta - 1.0 : 0.0;
            const GaussRule& rule = ruleFor(upper, lower);
            const double half = 0.5 * (x1 - x0);
            const double logScale = (1.0 + lower + upper) * std::log(half) + logC;
            for (int i = 0; i < kPoints; ++i) {
                const double tau = x0 + half * (1.0 + rule.nodes[i]);
                double logWeight = logScale;
                if (lower == 0.0 && f.alpha != 1.0)
                    logWeight = logWeight + (f.alpha - 1.0) * std::log(tau - f.l);
                if (upper == 0.0 && f.beta != 1.0)
                    logWeight = logWeight + (f.beta - 1.0) * std::log(f.u - tau);
                out.tau.push_back(tau);
                out.weight.push_back(rule.weights[i] * std::exp(logWeight));
                out.trueCategory.push_back(trueCategoryOf(trueCuts, tau));
            }
        }
    }
    return out;
}

}  // namespace tl::betabinomial
