// The beta-binomial model's error, classification, conditional rows, fit
// statistics and its one entry point: identities of the model, and integrals
// checked by adaptive Simpson.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "core/errors.h"
#include "model/beta_binomial/beta_binomial_fit.h"
#include "reference/beta_integral.h"

namespace tl::betabinomial {
namespace {

TEST(BetaBinomialError, TwoTermIsBinomialAtKZeroAndHasItsMoments) {
    const int n = 12;
    const ErrorModel binomial(Method::LivingstonLewis, n, 0.0);
    const ErrorModel zero(Method::HansonBrennan, n, 0.0);
    const ErrorModel twoTerm(Method::HansonBrennan, n, 1.7);
    std::vector<double> b(n + 1), z(n + 1), t(n + 1);
    for (const double tau : {0.0, 0.03, 0.4, 0.77, 1.0}) {
        binomial.probabilities(tau, b);
        zero.probabilities(tau, z);
        twoTerm.probabilities(tau, t);
        double sum = 0.0, mean = 0.0, second = 0.0;
        for (int x = 0; x <= n; ++x) {
            EXPECT_EQ(z[x], b[x]);
            sum += t[x];
            mean += x * t[x];
            second += x * (x - 1.0) * t[x];
        }
        // Sums to 1, mean n tau, E[x(x-1)] = n(n-1) tau^2 - 2k tau(1-tau): the
        // variance (n - 2k) tau (1 - tau).
        EXPECT_NEAR(sum, 1.0, 1e-14) << tau;
        EXPECT_NEAR(mean, n * tau, 1e-13) << tau;
        EXPECT_NEAR(second, n * (n - 1.0) * tau * tau - 2 * 1.7 * tau * (1 - tau), 1e-12) << tau;
        EXPECT_NEAR(second + mean - mean * mean, twoTerm.variance(tau), 1e-12) << tau;
    }
}

TEST(BetaBinomialCategories, CutsOnTheEffectiveScale) {
    struct Case {
        std::string name;
        std::vector<double> cuts;
        double a, b;
        std::int32_t n;
        std::vector<std::int32_t> first;
    };
    const std::vector<Case> cases{
        // c' = 30 (c - 0) / 60: 10.5 starts at 11, 20 at 20 itself.
        {"between and on", {21.0, 40.0}, 0.0, 60.0, 30, {0, 11, 20, 31}},
        // c' = 10 * 0.7 computes as 7.000000000000001: still 7.
        {"rounding above a whole x'", {0.7}, 0.0, 1.0, 10, {0, 7, 11}},
        // c' = 49 * 0.7 / 0.7 lands on 49 within rounding.
        {"on the top score", {0.7}, 0.0, 0.7, 49, {0, 49, 50}},
        {"below the range", {-5.0, 3.0}, 0.0, 10.0, 10, {0, 0, 3, 11}},
        {"above the range", {12.0}, 0.0, 10.0, 10, {0, 11, 11}},
        {"offset range", {15.0}, 10.0, 30.0, 8, {0, 2, 9}},
    };
    for (const Case& c : cases) {
        const ObservedCategories categories = observedCategories(c.cuts, c.a, c.b, c.n);
        EXPECT_EQ(categories.first, c.first) << c.name;
        for (std::int32_t x = 0; x <= c.n; ++x) {
            const std::int32_t k = categories.ofScore[x];
            EXPECT_TRUE(categories.first[k] <= x && x < categories.first[k + 1]) << c.name;
        }
    }
}

// Scores of examinees with true scores spread by a skewed law, each item
// answered correctly with probability tau (a fixed generator).
std::vector<double> numberCorrect(int examinees, int items, std::uint32_t seed) {
    std::mt19937 engine(seed);
    auto uniform = [&] { return static_cast<double>(engine()) / 4294967296.0; };
    std::vector<double> scores;
    for (int i = 0; i < examinees; ++i) {
        const double tau = 0.15 + 0.8 * std::pow(uniform(), 0.7);
        int x = 0;
        for (int j = 0; j < items; ++j) x += uniform() < tau ? 1 : 0;
        scores.push_back(x);
    }
    return scores;
}

Settings llSettings(double reliability) {
    Settings s;
    s.reliability = reliability;
    s.observedCuts = {12.0, 21.0};
    s.trueCuts = {12.0, 21.0};
    return s;
}

TEST(BetaBinomialIndices, AgreeWithAdaptiveSimpson) {
    const std::vector<double> scores = numberCorrect(3000, 30, 7);
    const BetaBinomialFit fit = fitBetaBinomial(scores, 0.0, 30.0, llSettings(0.85));
    const BetaFit& g = fit.beta;
    const std::int32_t n = fit.length.n;
    const ErrorModel error(Method::LivingstonLewis, n, 0.0);
    auto probabilities = [&](double tau) {
        std::vector<double> pmf(n + 1), p(3);
        error.probabilities(tau, pmf);
        categoryProbabilities(fit.categories, pmf, p);
        return p;
    };
    std::vector<double> edges{g.l};
    for (double t : fit.trueCuts)
        if (t > g.l && t < g.u) edges.push_back(t);
    edges.push_back(g.u);
    auto integral = [&](const std::function<double(double)>& f, double t0, double t1) {
        return reference::betaIntegral(f, g.l, g.u, g.alpha, g.beta, t0, t1, 1e-14);
    };
    const double consistency = integral(
        [&](double t) {
            const auto p = probabilities(t);
            return p[0] * p[0] + p[1] * p[1] + p[2] * p[2];
        },
        g.l, g.u);
    double accuracy = 0.0;
    for (std::size_t piece = 0; piece + 1 < edges.size(); ++piece) {
        const std::int32_t truth =
            trueCategoryOf(fit.trueCuts, 0.5 * (edges[piece] + edges[piece + 1]));
        accuracy += integral([&](double t) { return probabilities(t)[truth]; }, edges[piece],
                             edges[piece + 1]);
    }
    const double c01 = integral(
        [&](double t) {
            const auto p = probabilities(t);
            return p[0] * p[1];
        },
        g.l, g.u);
    EXPECT_NEAR(fit.indices.overall.consistency, consistency, 1e-9);
    EXPECT_NEAR(fit.indices.overall.accuracy, accuracy, 1e-9);
    EXPECT_NEAR(fit.indices.consistencyTable[0][1], c01, 1e-9);

    // The consistency table is symmetric and sums to 1; so does true by observed.
    double sumC = 0.0, sumT = 0.0;
    for (int j = 0; j < 3; ++j) {
        for (int k = 0; k < 3; ++k) {
            EXPECT_EQ(fit.indices.consistencyTable[j][k], fit.indices.consistencyTable[k][j]);
            sumC += fit.indices.consistencyTable[j][k];
            sumT += fit.indices.trueByObserved[j][k];
        }
    }
    EXPECT_NEAR(sumC, 1.0, 1e-12);
    EXPECT_NEAR(sumT, 1.0, 1e-12);
    const IndexValues& v = fit.indices.overall;
    EXPECT_NEAR(v.accuracy + v.falsePositive + v.falseNegative, 1.0, 1e-12);
    EXPECT_NEAR(v.kappa, (v.consistency - v.chance) / (1 - v.chance), 1e-15);
}

TEST(BetaBinomialIndices, OneCutAccuracyAndErrorsSumToOne) {
    Settings s = llSettings(0.8);
    s.observedCuts = {17.0};
    s.trueCuts = {17.0};
    const BetaBinomialFit fit = fitBetaBinomial(numberCorrect(2000, 30, 11), 0.0, 30.0, s);
    const IndexValues& v = fit.indices.overall;
    EXPECT_NEAR(v.accuracy + v.falsePositive + v.falseNegative, 1.0, 1e-12);
    EXPECT_GT(v.falsePositive, 0.0);
    EXPECT_GT(v.falseNegative, 0.0);
}

TEST(BetaBinomialFit, LivingstonLewisAtTheItemCountIsHansonBrennanAtKZero) {
    const int items = 30;
    const std::vector<double> scores = numberCorrect(3000, items, 3);
    double mean = 0.0, variance = 0.0;
    for (double x : scores) mean += x;
    mean /= scores.size();
    for (double x : scores) variance += (x - mean) * (x - mean);
    variance /= scores.size() - 1.0;
    // KR-21: the reliability that makes n_eff the item count and k zero.
    const double kr21 = items / (items - 1.0) * (1 - mean * (items - mean) / (items * variance));
    Settings ll = llSettings(kr21);
    Settings hb = ll;
    hb.method = Method::HansonBrennan;
    hb.itemCount = items;
    const BetaBinomialFit a = fitBetaBinomial(scores, 0.0, items, ll);
    const BetaBinomialFit b = fitBetaBinomial(scores, 0.0, items, hb);
    EXPECT_NEAR(a.length.nEff, items, 1e-9);
    EXPECT_EQ(a.length.n, items);
    EXPECT_NEAR(b.k, 0.0, 1e-9);
    EXPECT_EQ(a.beta.fit, b.beta.fit);
    const IndexValues &x = a.indices.overall, &y = b.indices.overall;
    EXPECT_NEAR(x.consistency, y.consistency, 1e-9);
    EXPECT_NEAR(x.accuracy, y.accuracy, 1e-9);
    EXPECT_NEAR(x.kappa, y.kappa, 1e-9);
    for (int j = 0; j < 3; ++j)
        for (int k = 0; k < 3; ++k)
            EXPECT_NEAR(a.indices.trueByObserved[j][k], b.indices.trueByObserved[j][k], 1e-9);
}

TEST(BetaBinomialFit, RecoversTheMomentsOfABetaSampledExactly) {
    // Expected frequencies of a beta-binomial (a 4P beta, n = 40) taken as
    // the observed ones: the fit gives the beta back.
    const BetaFit truth{0.08, 0.93, 2.2, 3.1, 4, "4P", ""};
    const int n = 40;
    const ErrorModel error(Method::LivingstonLewis, n, 0.0);
    std::vector<double> frequencies(n + 1);
    for (int x = 0; x <= n; ++x) {
        frequencies[x] =
            1e6 * reference::betaIntegral(
                      [&](double t) {
                          std::vector<double> pmf(n + 1);
                          error.probabilities(t, pmf);
                          return pmf[x];
                      },
                      truth.l, truth.u, truth.alpha, truth.beta, truth.l, truth.u, 1e-16);
    }
    const TrueMoments m = lordMoments(frequencies, n, 0.0);
    const ShapeMoments want = betaMoments(truth), got = shapeMoments(m);
    EXPECT_NEAR(got.mean, want.mean, 1e-9);
    EXPECT_NEAR(got.variance, want.variance, 1e-9);
    EXPECT_NEAR(got.skewness, want.skewness, 1e-9);
    EXPECT_NEAR(got.kurtosis, want.kurtosis, 1e-9);
    const BetaFit fit = fitBeta(got, TrueModel::Auto);
    EXPECT_EQ(fit.fit, "4P");
    EXPECT_NEAR(fit.l, truth.l, 1e-7);
    EXPECT_NEAR(fit.u, truth.u, 1e-7);
    EXPECT_NEAR(fit.alpha, truth.alpha, 1e-6);
    EXPECT_NEAR(fit.beta, truth.beta, 1e-6);
}

// Sampled data: 100,000 examinees with true proportions from a
// four-parameter beta and binomial error on 40 items. The fit recovers each
// of the four parameters within its sampling error, taken as the standard
// deviation of the fits of 30 more samples of the same size: 3.5 of them
// bound a normal estimate's error with probability 0.9995.
TEST(BetaBinomialFit, RecoversTheFourParametersOfSampledData) {
    const BetaFit truth{0.12, 0.9, 2.5, 3.0, 4, "4P", ""};
    const int n = 40;
    const int examinees = 100000;
    const auto fitSample = [&](std::uint64_t seed) {
        std::mt19937_64 engine(seed);
        std::gamma_distribution<double> a(truth.alpha, 1.0), b(truth.beta, 1.0);
        std::vector<double> frequencies(n + 1, 0.0);
        for (int i = 0; i < examinees; ++i) {
            const double x = a(engine), y = b(engine);
            const double tau = truth.l + (truth.u - truth.l) * x / (x + y);
            std::binomial_distribution<int> score(n, tau);
            frequencies[score(engine)] += 1.0;
        }
        return fitBeta(shapeMoments(lordMoments(frequencies, n, 0.0)), TrueModel::Auto);
    };
    const auto parameters = [](const BetaFit& f) {
        return std::vector<double>{f.l, f.u, f.alpha, f.beta};
    };
    const int others = 30;
    std::vector<double> mean(4, 0.0), squares(4, 0.0);
    std::vector<std::vector<double>> fits;
    for (int r = 0; r < others; ++r) {
        fits.push_back(parameters(fitSample(100 + r)));
        for (int p = 0; p < 4; ++p) mean[p] += fits.back()[p] / others;
    }
    for (const auto& f : fits)
        for (int p = 0; p < 4; ++p) squares[p] += (f[p] - mean[p]) * (f[p] - mean[p]);
    const BetaFit fit = fitSample(2026);
    ASSERT_EQ(fit.fit, "4P");
    const std::vector<double> got = parameters(fit), want = parameters(truth);
    const char* names[] = {"l", "u", "alpha", "beta"};
    for (int p = 0; p < 4; ++p) {
        const double sd = std::sqrt(squares[p] / (others - 1));
        EXPECT_LT(std::abs(got[p] - want[p]), 3.5 * sd)
            << names[p] << " off by " << got[p] - want[p] << ", sd " << sd;
        // And the sampling error is small: the data do pin the parameter down.
        EXPECT_LT(sd, 0.25 * want[p]) << names[p];
    }
}

TEST(BetaBinomialFit, ConditionalRows) {
    const BetaBinomialFit fit =
        fitBetaBinomial(numberCorrect(3000, 30, 5), 0.0, 30.0, llSettings(0.85));
    const BetaFit& g = fit.beta;
    const std::int32_t n = fit.length.n;
    ASSERT_EQ(fit.tauRows.size(), 101u);
    EXPECT_EQ(fit.tauRows.front().tau, g.l);
    EXPECT_EQ(fit.tauRows.back().tau, g.u);
    for (const TauRow& row : fit.tauRows) {
        const auto& p = row.categoryProbabilities;
        EXPECT_NEAR(row.consistency, p[0] * p[0] + p[1] * p[1] + p[2] * p[2], 1e-15);
        EXPECT_EQ(row.accuracy, p[trueCategoryOf(fit.trueCuts, row.tau)]);
        EXPECT_NEAR(row.csem,
                    std::sqrt(fit.length.n * row.tau * (1 - row.tau)) * 30.0 / fit.length.n, 1e-14);
    }
    ASSERT_EQ(fit.scoreRows.size(), static_cast<std::size_t>(n) + 1);
    double total = 0.0;
    for (const ScoreRow& row : fit.scoreRows) {
        total += row.proportion;
        double sum = 0.0;
        for (double p : row.categoryProbabilities) sum += p;
        EXPECT_NEAR(sum, 1.0, 1e-12) << row.score;
    }
    EXPECT_NEAR(total, 1.0, 1e-12);
    // One score's posterior accuracy and CSEM by adaptive Simpson.
    const std::int32_t x = n / 2;
    const ErrorModel error(Method::LivingstonLewis, n, 0.0);
    auto pmfAt = [&](double t) {
        std::vector<double> pmf(n + 1);
        error.probabilities(t, pmf);
        return pmf[x];
    };
    const std::int32_t observed = fit.categories.ofScore[x];
    auto integral = [&](const std::function<double(double)>& f) {
        return reference::betaIntegral(f, g.l, g.u, g.alpha, g.beta, g.l, g.u, 1e-14);
    };
    const double mass = integral(pmfAt);
    std::vector<double> edges{g.l};
    for (double t : fit.trueCuts)
        if (t > g.l && t < g.u) edges.push_back(t);
    edges.push_back(g.u);
    double right = 0.0;
    for (std::size_t piece = 0; piece + 1 < edges.size(); ++piece) {
        if (trueCategoryOf(fit.trueCuts, 0.5 * (edges[piece] + edges[piece + 1])) != observed)
            continue;
        right += reference::betaIntegral(pmfAt, g.l, g.u, g.alpha, g.beta, edges[piece],
                                         edges[piece + 1], 1e-14);
    }
    const double variance = integral([&](double t) { return pmfAt(t) * n * t * (1 - t); });
    EXPECT_NEAR(fit.scoreRows[x].proportion, mass, 1e-10);
    EXPECT_NEAR(fit.scoreRows[x].accuracy, right / mass, 1e-9);
    EXPECT_NEAR(fit.scoreRows[x].csem, std::sqrt(variance / mass) * 30.0 / n, 1e-9);
}

TEST(BetaBinomialModelFit, MergesFromTheLowestScoreUp) {
    struct Case {
        std::string name;
        std::vector<double> expected, observed;
        std::vector<std::pair<int, int>> bins;
    };
    const std::vector<Case> cases{
        {"short last bin joins the one before",
         {3, 4, 5, 20, 2, 1},
         {2, 6, 5, 18, 3, 1},
         {{0, 2}, {3, 5}}},
        {"every score its own bin", {10, 12, 15}, {9, 14, 15}, {{0, 0}, {1, 1}, {2, 2}}},
        {"too few for one bin", {2, 3}, {1, 4}, {{0, 1}}},
    };
    for (const Case& c : cases) {
        const ModelFit fit = modelFit(c.expected, c.observed, 2, 10.0);
        ASSERT_EQ(fit.bins.size(), c.bins.size()) << c.name;
        double chi2 = 0.0;
        for (std::size_t i = 0; i < c.bins.size(); ++i) {
            EXPECT_EQ(fit.bins[i].first, c.bins[i].first) << c.name;
            EXPECT_EQ(fit.bins[i].last, c.bins[i].second) << c.name;
            double e = 0.0, o = 0.0;
            for (int x = c.bins[i].first; x <= c.bins[i].second; ++x) {
                e += c.expected[x];
                o += c.observed[x];
            }
            chi2 += (o - e) * (o - e) / e;
        }
        EXPECT_NEAR(fit.chi2, chi2, 1e-14) << c.name;
        EXPECT_EQ(fit.df, static_cast<int>(c.bins.size()) - 3) << c.name;
        EXPECT_EQ(std::isnan(fit.p), fit.df < 1) << c.name;
    }
}

TEST(BetaBinomialModelFit, ChiSquareUpperTail) {
    for (const double x : {0.01, 0.5, 1.0, 3.0, 7.5, 30.0, 120.0}) {
        EXPECT_NEAR(chiSquareUpperTail(x, 2) / std::exp(-x / 2), 1.0, 1e-13) << x;
        EXPECT_NEAR(chiSquareUpperTail(x, 1) / std::erfc(std::sqrt(x / 2)), 1.0, 1e-12) << x;
        EXPECT_NEAR(chiSquareUpperTail(x, 4) / (std::exp(-x / 2) * (1 + x / 2)), 1.0, 1e-13) << x;
    }
    EXPECT_EQ(chiSquareUpperTail(0.0, 3), 1.0);
}

TEST(BetaBinomialFit, MisfitIsAWarning) {
    // No examinee scores 14 to 17: no beta-binomial fits that.
    std::vector<double> scores;
    for (double x : numberCorrect(3000, 30, 13))
        if (x < 14 || x > 17) scores.push_back(x);
    const BetaBinomialFit fit = fitBetaBinomial(scores, 0.0, 30.0, llSettings(0.9));
    ASSERT_EQ(fit.findings.size(), 1u);
    EXPECT_EQ(findingCodeName(fit.findings[0].code), "model.misfit");
    EXPECT_EQ(fit.findings[0].severity, Severity::Warning);
    EXPECT_LT(fit.fit.p, 0.05);
}

TEST(BetaBinomialFit, HansonBrennanRefusesOtherScores) {
    struct Case {
        std::string name;
        std::vector<double> scores;
        double a, b;
        std::int32_t items;
    };
    const std::vector<double> good{3, 5, 2, 7, 9, 4};
    const std::vector<Case> cases{
        {"not whole", {3, 5.5, 2, 7}, 0, 10, 10},
        {"above the item count", {3, 11, 2}, 0, 10, 10},
        {"range not 0 to the items", good, 0, 20, 10},
        {"one item", {0, 1, 1}, 0, 1, 1},
    };
    for (const Case& c : cases) {
        Settings s = llSettings(0.7);
        s.method = Method::HansonBrennan;
        s.itemCount = c.items;
        try {
            fitBetaBinomial(c.scores, c.a, c.b, s);
            ADD_FAILURE() << c.name << ": not refused";
        } catch (const InputError& error) {
            EXPECT_EQ(findingCodeName(error.finding().code), "model.hb_not_dichotomous") << c.name;
        }
    }
}

}  // namespace
}  // namespace tl::betabinomial
