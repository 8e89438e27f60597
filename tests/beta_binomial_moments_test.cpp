// The beta-binomial model's first steps: the effective test length, scores
// on the effective scale, Lord's true-score moments and k, coefficient alpha.
// Expected values are literals worked out by hand (exact fractions) or, for
// the moments, the true-score moments of a distribution whose observed
// frequencies are built from the error model by direct sums.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "core/errors.h"
#include "model/beta_binomial/alpha.h"
#include "model/beta_binomial/moments.h"

namespace tl::betabinomial {
namespace {

TEST(BetaBinomialLength, FromMeanVarianceAndReliability) {
    // mean 5.7, variance 44.1 / 9 = 4.9 (divisor N - 1);
    // n_eff = (5.7 * 6.3 - 0.8 * 4.9) / (4.9 * 0.2) = 31.99 / 0.98.
    const std::vector<double> scores{3, 7, 5, 9, 4, 6, 8, 2, 6, 7};
    const EffectiveLength length = effectiveLength(scores, 0.0, 12.0, 0.8);
    EXPECT_NEAR(length.mean, 5.7, 1e-14);
    EXPECT_NEAR(length.variance, 4.9, 1e-14);
    EXPECT_NEAR(length.nEff, 31.99 / 0.98, 1e-12);
    EXPECT_EQ(length.n, 33);
}

TEST(BetaBinomialLength, RoundsHalfAwayFromZero) {
    // mean 2, variance 2: n_eff = (2 * 1.75 - 0.5 * 2) / (2 * 0.5) = 2.5 exactly.
    const std::vector<double> scores{1, 3};
    const EffectiveLength length = effectiveLength(scores, 0.0, 3.75, 0.5);
    EXPECT_EQ(length.nEff, 2.5);
    EXPECT_EQ(length.n, 3);
}

TEST(BetaBinomialLength, EffectiveScoresRoundHalfAwayAndStayInRange) {
    struct Case {
        double score;
        std::int32_t expected;
    };
    // n = 2 on 0..10: x' = score / 5.
    const std::vector<Case> cases{{1.25, 0}, {2.5, 1}, {7.5, 2}, {-1.0, 0}, {11.0, 2}, {5.0, 1}};
    for (const Case& c : cases)
        EXPECT_EQ(effectiveScore(c.score, 0.0, 10.0, 2), c.expected) << c.score;
}

struct Refusal {
    std::string name;
    std::vector<double> scores;
    double a, b, reliability;
    std::string code;
    std::string value;
};

TEST(BetaBinomialLength, RefusesWithTheFindingAndItsValue) {
    const std::vector<double> spread{3, 7, 5, 9, 4, 6, 8, 2, 6, 7};
    const std::vector<Refusal> cases{
        {"reliability zero", spread, 0, 12, 0.0, "model.reliability_range", "0"},
        {"reliability one", spread, 0, 12, 1.0, "model.reliability_range", "1"},
        {"reliability negative", spread, 0, 12, -0.2, "model.reliability_range", "-0.2"},
        {"no variance", {4, 4, 4}, 0, 12, 0.8, "model.no_variance", "0"},
        {"one score", {4}, 0, 12, 0.8, "model.no_variance", "0"},
        // mean 5.7, variance 4.9 on 0..6: n_eff = (5.7 * 0.3 - 0.3 * 4.9) / (4.9 * 0.7).
        {"length below two", spread, 0, 6, 0.3, "model.effective_length", "0.06997084548"},
    };
    for (const Refusal& c : cases) {
        try {
            effectiveLength(c.scores, c.a, c.b, c.reliability);
            ADD_FAILURE() << c.name << ": not refused";
        } catch (const InputError& error) {
            EXPECT_EQ(findingCodeName(error.finding().code), c.code) << c.name;
            EXPECT_EQ(error.finding().value, c.value) << c.name;
            EXPECT_EQ(error.finding().severity, Severity::Error) << c.name;
            EXPECT_EQ(std::string(error.what()).find('\n'), std::string::npos) << c.name;
        }
    }
}

TEST(BetaBinomialMoments, BinomialErrorByDirectSums) {
    // x = 0 1 1 2 3 3 3 4 5 5, n = 5: m_r = mean(x^(r)) / 5^(r) =
    // 27/50, 9/25, 27/100, 11/50.
    const std::vector<std::int32_t> xs{0, 1, 1, 2, 3, 3, 3, 4, 5, 5};
    const TrueMoments m = lordMoments(scoreFrequencies(xs, 5), 5, 0.0);
    EXPECT_NEAR(m.raw[0], 0.54, 1e-15);
    EXPECT_NEAR(m.raw[1], 0.36, 1e-15);
    EXPECT_NEAR(m.raw[2], 0.27, 1e-15);
    EXPECT_NEAR(m.raw[3], 0.22, 1e-15);
}

// B(x; n, t) written out.
double binomial(int x, int n, double t) {
    if (x < 0 || x > n) return 0.0;
    return std::tgamma(n + 1.0) / (std::tgamma(x + 1.0) * std::tgamma(n - x + 1.0)) *
           std::pow(t, x) * std::pow(1.0 - t, n - x);
}

TEST(BetaBinomialMoments, RecoverATrueScoreDistributionExactly) {
    // True scores at three points; the observed frequencies are their mixture
    // of the two-term error, summed directly. Lord's moments give back the
    // points' moments, for binomial error (k = 0) and for k either side of 0.
    const std::vector<double> tau{0.2, 0.55, 0.9};
    const std::vector<double> mass{0.3, 0.5, 0.2};
    for (const int n : {4, 7, 30}) {
        for (const double k : {0.0, 1.5, -0.8}) {
            std::vector<double> frequencies(n + 1, 0.0);
            for (int x = 0; x <= n; ++x) {
                for (std::size_t j = 0; j < tau.size(); ++j) {
                    const double t = tau[j];
                    const double twoTerm = binomial(x, n, t) - k * t * (1 - t) *
                                                                   (binomial(x, n - 2, t) -
                                                                    2 * binomial(x - 1, n - 2, t) +
                                                                    binomial(x - 2, n - 2, t));
                    frequencies[x] += 1000.0 * mass[j] * twoTerm;
                }
            }
            const TrueMoments m = lordMoments(frequencies, n, k);
            for (int r = 1; r <= 4; ++r) {
                double expected = 0.0;
                for (std::size_t j = 0; j < tau.size(); ++j)
                    expected += mass[j] * std::pow(tau[j], r);
                EXPECT_NEAR(m.raw[r - 1], expected, 1e-12) << "n " << n << " k " << k << " r " << r;
            }
        }
    }
}

TEST(BetaBinomialMoments, ThirdAndFourthNeedLengthThreeAndFour) {
    const std::vector<double> frequencies{1, 2, 1};
    const TrueMoments two = lordMoments(frequencies, 2, 0.0);
    EXPECT_TRUE(std::isnan(two.raw[2]));
    EXPECT_TRUE(std::isnan(two.raw[3]));
    const TrueMoments three = lordMoments(std::vector<double>{1, 2, 2, 1}, 3, 0.0);
    EXPECT_FALSE(std::isnan(three.raw[2]));
    EXPECT_TRUE(std::isnan(three.raw[3]));
}

TEST(BetaBinomialMoments, LordK) {
    // mu 23/2, variance 20, error variance 5, n 20: k = -690/331.
    EXPECT_NEAR(lordK(11.5, 20.0, 5.0, 20), -690.0 / 331.0, 1e-13);
    // With KR-21 as the reliability the error is binomial: k = 0.
    const double mu = 11.5, variance = 20.0, n = 20.0;
    const double kr21 = n / (n - 1) * (1 - mu * (n - mu) / (n * variance));
    EXPECT_NEAR(lordK(mu, variance, variance * (1 - kr21), 20), 0.0, 1e-12);
}

TEST(BetaBinomialAlpha, OfItemsAndStratified) {
    // Exact fractions with divisor N - 1: alpha -3/7 and 11/13, stratified
    // (weights 1 and 2) 35/41.
    const std::vector<std::vector<double>> first{{1, 0, 1, 1, 0}, {1, 1, 0, 1, 0}, {0, 0, 1, 1, 1}};
    const std::vector<std::vector<double>> second{{2, 1, 3, 3, 0}, {1, 0, 2, 3, 1}};
    EXPECT_NEAR(alphaOfItems(first), -3.0 / 7.0, 1e-14);
    EXPECT_NEAR(alphaOfItems(second), 11.0 / 13.0, 1e-14);
    const std::vector<std::vector<std::vector<double>>> sets{first, second};
    const std::vector<double> weights{1.0, 2.0};
    EXPECT_NEAR(stratifiedAlphaOfItems(sets, weights), 35.0 / 41.0, 1e-14);
    // One set of weight 1 is its own alpha.
    const std::vector<std::vector<std::vector<double>>> one{second};
    const std::vector<double> unit{1.0};
    EXPECT_NEAR(stratifiedAlphaOfItems(one, unit), 11.0 / 13.0, 1e-14);
}

}  // namespace
}  // namespace tl::betabinomial
