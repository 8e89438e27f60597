// The beta true-score fit by the method of moments and its fallbacks. The
// expected betas are found here by Newton's method on the moment equations
// (raw moments of the beta from its product formula), not by the closed
// form the library uses.
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <string>
#include <vector>

#include "core/errors.h"
#include "model/beta_binomial/beta_fit.h"

namespace tl::betabinomial {
namespace {

// E[tau^r], r = 1..4, of the beta on [l, u]: E[Y^j] = prod_{i<j} (a+i)/(a+b+i)
// for Y on [0, 1], expanded through tau = l + (u - l) Y.
std::array<double, 4> rawMoments(double l, double u, double a, double b) {
    std::array<double, 5> y{1.0};
    for (int j = 1; j <= 4; ++j) y[j] = y[j - 1] * (a + j - 1) / (a + b + j - 1);
    const double w = u - l;
    std::array<double, 4> out{};
    for (int r = 1; r <= 4; ++r) {
        double sum = 0.0, choose = 1.0;
        for (int j = 0; j <= r; ++j) {
            sum += choose * std::pow(l, r - j) * std::pow(w, j) * y[j];
            choose = choose * (r - j) / (j + 1);
        }
        out[r - 1] = sum;
    }
    return out;
}

ShapeMoments shapeOf(const std::array<double, 4>& m) {
    TrueMoments t;
    t.raw = m;
    return shapeMoments(t);
}

// Newton's method with a central-difference Jacobian on the first `count`
// raw moments, the unknowns those of `free` (indices into l, u, a, b).
std::array<double, 4> solveMoments(std::array<double, 4> p, const std::array<double, 4>& target,
                                   const std::vector<int>& free) {
    const std::size_t count = free.size();
    auto residual = [&](const std::array<double, 4>& q) {
        const auto m = rawMoments(q[0], q[1], q[2], q[3]);
        std::vector<double> r(count);
        for (std::size_t i = 0; i < count; ++i) r[i] = m[i] - target[i];
        return r;
    };
    for (int iteration = 0; iteration < 100; ++iteration) {
        const std::vector<double> r = residual(p);
        std::vector<std::vector<double>> J(count, std::vector<double>(count + 1));
        for (std::size_t c = 0; c < count; ++c) {
            const double h = 1e-6 * std::max(1.0, std::fabs(p[free[c]]));
            auto up = p, down = p;
            up[free[c]] += h;
            down[free[c]] -= h;
            const auto ru = residual(up), rd = residual(down);
            for (std::size_t i = 0; i < count; ++i) J[i][c] = (ru[i] - rd[i]) / (2 * h);
        }
        for (std::size_t i = 0; i < count; ++i) J[i][count] = -r[i];
        // Gaussian elimination with partial pivoting.
        for (std::size_t c = 0; c < count; ++c) {
            std::size_t pivot = c;
            for (std::size_t i = c + 1; i < count; ++i)
                if (std::fabs(J[i][c]) > std::fabs(J[pivot][c])) pivot = i;
            std::swap(J[c], J[pivot]);
            for (std::size_t i = c + 1; i < count; ++i) {
                const double f = J[i][c] / J[c][c];
                for (std::size_t k = c; k <= count; ++k) J[i][k] -= f * J[c][k];
            }
        }
        std::vector<double> step(count);
        for (std::size_t c = count; c-- > 0;) {
            double s = J[c][count];
            for (std::size_t k = c + 1; k < count; ++k) s -= J[c][k] * step[k];
            step[c] = s / J[c][c];
        }
        double largest = 0.0;
        for (std::size_t c = 0; c < count; ++c) {
            p[free[c]] += step[c];
            largest = std::max(largest, std::fabs(step[c]));
        }
        if (largest < 1e-14) break;
    }
    return p;
}

struct FitCase {
    std::string name;
    std::array<double, 4> truth;  // l, u, alpha, beta of the beta the moments come from
    std::string fit;
    std::string whyStart;  // how the reason begins ("" for none)
};

TEST(BetaFit, MatchesTheMomentEquationsSolvedNumerically) {
    const std::vector<FitCase> cases{
        {"4P inside", {0.1, 0.85, 2.5, 4.0}, "4P", ""},
        {"4P alpha below 1", {0.05, 0.95, 0.7, 1.6}, "4P", ""},
        {"4P beta below 1", {0.02, 0.97, 5.0, 0.8}, "4P", ""},
        {"l below 0", {-0.05, 0.9, 2.0, 3.0}, "3P l=0", "4P: not admissible"},
        {"u above 1 and no root at l = 0",
         {0.1, 1.05, 3.0, 2.0},
         "3P u=1",
         "4P: not admissible: [0.1, 1.05], alpha 3, beta 2; 3P l=0: no skewness root"},
        {"both ends out", {-0.1, 1.1, 3.0, 3.5}, "3P l=0", "4P: not admissible"},
        {"no 3P", {-0.3, 1.2, 0.8, 0.9}, "2P", "4P: not admissible"},
    };
    for (const FitCase& c : cases) {
        const auto target = rawMoments(c.truth[0], c.truth[1], c.truth[2], c.truth[3]);
        const BetaFit fit = fitBeta(shapeOf(target), TrueModel::Auto);
        EXPECT_EQ(fit.fit, c.fit) << c.name;
        EXPECT_TRUE(fit.why.starts_with(c.whyStart)) << c.name << ": " << fit.why;
        EXPECT_EQ(fit.why.empty(), c.whyStart.empty()) << c.name;
        // Newton from a start away from both the truth and the fit.
        std::array<double, 4> start{fit.l, fit.u, fit.alpha * 1.1, fit.beta * 0.9};
        std::vector<int> free{0, 1, 2, 3};
        if (c.fit == "3P l=0") free = {1, 2, 3};
        if (c.fit == "3P u=1") free = {0, 2, 3};
        if (c.fit == "2P") free = {2, 3};
        if (free.size() < 4) start[free[0]] += 0.01;
        const auto solved = solveMoments(start, target, free);
        EXPECT_EQ(fit.parameters, static_cast<int>(free.size())) << c.name;
        EXPECT_NEAR(fit.l, solved[0], 1e-9) << c.name;
        EXPECT_NEAR(fit.u, solved[1], 1e-9) << c.name;
        EXPECT_NEAR(fit.alpha, solved[2], 1e-9 * std::max(1.0, solved[2])) << c.name;
        EXPECT_NEAR(fit.beta, solved[3], 1e-9 * std::max(1.0, solved[3])) << c.name;
        if (c.fit == "4P") {
            for (int i = 0; i < 4; ++i) EXPECT_NEAR(solved[i], c.truth[i], 1e-9) << c.name;
        }
    }
}

TEST(BetaFit, ForcedModels) {
    const auto target = rawMoments(0.1, 0.85, 2.5, 4.0);
    const ShapeMoments m = shapeOf(target);
    // l = 0 has no root here; u = 1 has.
    const BetaFit three = fitBeta(m, TrueModel::ThreeParameter);
    EXPECT_EQ(three.fit, "3P u=1");
    EXPECT_EQ(three.u, 1.0);
    EXPECT_EQ(three.parameters, 3);
    const BetaFit two = fitBeta(m, TrueModel::TwoParameter, 0.05, 0.9);
    EXPECT_EQ(two.fit, "2P");
    EXPECT_EQ(two.l, 0.05);
    EXPECT_EQ(two.u, 0.9);
    const ShapeMoments back = betaMoments(two);
    EXPECT_NEAR(back.mean, m.mean, 1e-14);
    EXPECT_NEAR(back.variance, m.variance, 1e-14);
}

TEST(BetaFit, RefusesWhenNoBetaFits) {
    struct Case {
        std::string name;
        ShapeMoments moments;
        TrueModel model;
    };
    const std::vector<Case> cases{
        // A variance at least mean (1 - mean) fits no beta on [0, 1].
        {"variance too large", {0.5, 0.3, 0.0, 2.0}, TrueModel::Auto},
        {"negative variance", {0.5, -0.01, 0.0, 2.0}, TrueModel::Auto},
        // 4P forced where l < 0.
        {"forced 4P", shapeOf(rawMoments(-0.05, 0.9, 2.0, 3.0)), TrueModel::FourParameter},
    };
    for (const Case& c : cases) {
        try {
            fitBeta(c.moments, c.model);
            ADD_FAILURE() << c.name << ": not refused";
        } catch (const InputError& error) {
            EXPECT_EQ(findingCodeName(error.finding().code), "model.no_beta_fit") << c.name;
        }
    }
}

}  // namespace
}  // namespace tl::betabinomial
