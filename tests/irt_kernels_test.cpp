// The item response kernels against literal computations written here from
// the models' formulas alone: every response pattern of small tests enumerated
// and multiplied out, posterior means summed node by node, likelihoods
// maximised by golden section. None of it shares code with the library.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "core/item_parameters.h"
#include "model/irt/ability.h"
#include "model/irt/item_probability.h"
#include "model/irt/rudner.h"
#include "model/irt/summed_score.h"
#include "model/irt/true_score.h"

namespace tl::irt {
namespace {

// ---- Literal model --------------------------------------------------------

// In `Real`: long double for the likelihood that golden section maximises,
// whose flat top hides a double's differences within about 5e-8 of the maximum.
template <typename Real = double>
std::vector<Real> literalProbabilities(const ItemParameters& item, Real D, Real theta) {
    const Real a = item.a;
    if (item.model == ItemModel::Logistic) {
        const Real c = item.c, u = item.u, b = item.b;
        const Real p = c + (u - c) / (1 + std::exp(-D * a * (theta - b)));
        return {1 - p, p};
    }
    const std::size_t m = item.steps.size();
    std::vector<Real> p(m + 1);
    if (item.model == ItemModel::Graded) {
        std::vector<Real> atLeast(m + 2, 0);
        atLeast[0] = 1;
        for (std::size_t k = 1; k <= m; ++k)
            atLeast[k] = 1 / (1 + std::exp(-D * a * (theta - Real(item.steps[k - 1]))));
        for (std::size_t k = 0; k <= m; ++k) p[k] = atLeast[k] - atLeast[k + 1];
        return p;
    }
    Real total = 0;
    for (std::size_t k = 0; k <= m; ++k) {
        Real exponent = 0;
        for (std::size_t v = 1; v <= k; ++v) exponent += D * a * (theta - Real(item.steps[v - 1]));
        p[k] = std::exp(exponent);
        total += p[k];
    }
    for (Real& x : p) x /= total;
    return p;
}

long double literalLogLikelihood(const std::vector<ItemParameters>& items, long double D,
                                 const std::vector<std::uint8_t>& pattern, long double theta) {
    long double sum = 0;
    for (std::size_t j = 0; j < items.size(); ++j) {
        if (pattern[j] != kNotAnswered)
            sum += std::log(literalProbabilities<long double>(items[j], D, theta)[pattern[j]]);
    }
    return sum;
}

// Fisher information as the sum over categories of P'^2 / P, P' by a central
// difference of the literal probabilities.
double literalInformation(const ItemParameters& item, double D, double theta) {
    const double h = 1e-5;
    const std::vector<double> p = literalProbabilities(item, D, theta);
    const std::vector<double> up = literalProbabilities(item, D, theta + h);
    const std::vector<double> down = literalProbabilities(item, D, theta - h);
    double information = 0.0;
    for (std::size_t k = 0; k < p.size(); ++k) {
        const double slope = (up[k] - down[k]) / (2.0 * h);
        information += slope * slope / p[k];
    }
    return information;
}

// Calls `visit` with every response pattern of the items.
void forEachPattern(const std::vector<ItemParameters>& items,
                    const std::function<void(const std::vector<std::uint8_t>&)>& visit) {
    std::vector<std::uint8_t> pattern(items.size(), 0);
    while (true) {
        visit(pattern);
        std::size_t j = 0;
        while (j < items.size() && ++pattern[j] == items[j].categoryCount()) pattern[j++] = 0;
        if (j == items.size()) return;
    }
}

std::vector<const ItemParameters*> pointers(const std::vector<ItemParameters>& items) {
    std::vector<const ItemParameters*> out;
    for (const ItemParameters& item : items) out.push_back(&item);
    return out;
}

ItemParameters logistic(double a, double b, double c = 0.0, double u = 1.0) {
    return {"i", ItemModel::Logistic, a, b, c, u, {}, 0};
}
ItemParameters graded(double a, std::vector<double> steps) {
    return {"i", ItemModel::Graded, a, 0.0, 0.0, 1.0, std::move(steps), 0};
}
ItemParameters partialCredit(double a, std::vector<double> steps) {
    return {"i", ItemModel::PartialCredit, a, 0.0, 0.0, 1.0, std::move(steps), 0};
}

const std::vector<double> kThetas = {-5.5, -2.0, -0.7, 0.0, 0.3, 1.9, 4.0};

// ---- Category probabilities and information -------------------------------

TEST(IrtItems, ProbabilitiesAndInformationMatchTheFormulas) {
    const std::vector<std::pair<ItemParameters, double>> cases = {
        {logistic(1.0, 0.0), 1.0},
        {logistic(1.3, -0.4), 1.702},
        {logistic(0.8, 1.1, 0.2), 1.7},
        {logistic(1.5, 0.5, 0.15, 0.9), 1.0},
        {graded(1.2, {-1.0, 0.2, 1.4}), 1.0},
        {graded(0.7, {-2.0, 2.5}), 1.702},
        {partialCredit(1.0, {-0.5, 0.4, 0.1}), 1.0},
        {partialCredit(1.6, {0.8, -0.3}), 1.7},
    };
    for (const auto& [item, D] : cases) {
        for (const double theta : kThetas) {
            const std::vector<double> want = literalProbabilities(item, D, theta);
            std::vector<double> got(item.categoryCount());
            categoryProbabilities(item, D, theta, got);
            for (std::size_t k = 0; k < got.size(); ++k)
                EXPECT_NEAR(got[k], want[k], 1e-12) << "theta " << theta << " k " << k;
            EXPECT_NEAR(itemInformation(item, D, theta), literalInformation(item, D, theta),
                        1e-7 * std::max(1.0, literalInformation(item, D, theta)))
                << "theta " << theta;
            // The score function against a difference of the log probabilities.
            for (std::size_t k = 0; k < got.size(); ++k) {
                const double h = 1e-6;
                const double slope = (std::log(literalProbabilities(item, D, theta + h)[k]) -
                                      std::log(literalProbabilities(item, D, theta - h)[k])) /
                                     (2.0 * h);
                EXPECT_NEAR(logProbabilitySlope(item, D, theta, k), slope,
                            1e-6 * std::max(1.0, std::fabs(slope)));
            }
            std::vector<double> points(item.categoryCount());
            double expected = 0.0;
            for (std::size_t k = 0; k < points.size(); ++k) {
                points[k] = 0.5 * static_cast<double>(k * k) + 1.0;
                expected += points[k] * want[k];
            }
            EXPECT_NEAR(expectedItemScore(item, D, theta, points), expected, 1e-12);
        }
    }
}

TEST(IrtItems, TwoCategoryGradedAndPartialCreditAreTheTwoParameterModel) {
    for (const auto& [a, b] : {std::pair{1.0, 0.0}, {1.4, -0.8}, {0.6, 2.1}}) {
        const ItemParameters two = logistic(a, b);
        for (const ItemParameters& other : {graded(a, {b}), partialCredit(a, {b})}) {
            for (const double theta : kThetas) {
                std::vector<double> want(2), got(2);
                categoryProbabilities(two, 1.702, theta, want);
                categoryProbabilities(other, 1.702, theta, got);
                EXPECT_NEAR(got[0], want[0], 1e-15);
                EXPECT_NEAR(got[1], want[1], 1e-15);
                EXPECT_NEAR(itemInformation(other, 1.702, theta),
                            itemInformation(two, 1.702, theta), 1e-14);
            }
        }
    }
}

// ---- Lord-Wingersky ------------------------------------------------------

struct SetCase {
    std::string name;
    std::vector<ItemParameters> items;
    std::vector<double> points;
};

std::vector<SetCase> setCases() {
    return {
        {"OneRaschItem", {logistic(1.0, 0.3)}, {0, 1}},
        {"FourThreeParameter",
         {logistic(1.1, -1.0, 0.2), logistic(0.9, 0.0, 0.25, 0.95), logistic(1.6, 0.7, 0.1),
          logistic(0.5, 1.8)},
         {0, 1}},
        {"ThreeGraded",
         {graded(1.0, {-1.0, 0.5}), graded(1.7, {-0.2, 0.1}), graded(0.8, {0.3, 1.9})},
         {0, 1, 2}},
        {"FourPartialCredit",
         {partialCredit(1.0, {-0.5, 0.4, 0.1}), partialCredit(1.3, {0.9, -0.4, 1.2}),
          partialCredit(0.7, {0.0, 0.0, 0.0}), partialCredit(1.0, {-1.5, 2.0, 0.5})},
         {0, 1, 2, 3}},
        {"PartialCreditOnGappedPoints",
         {partialCredit(1.0, {-0.5, 0.4}), partialCredit(1.2, {0.3, 0.8})},
         {1, 3, 4}},
        {"HalfPoints",
         {graded(1.0, {-1.0, 0.5}), graded(1.2, {0.0, 1.0}), graded(0.9, {-0.5, 0.2})},
         {0, 0.5, 1}},
    };
}

TEST(IrtSummedScore, EqualsTheSumOverEveryResponsePattern) {
    for (const SetCase& set : setCases()) {
        const double lowest = set.points.front() * static_cast<double>(set.items.size());
        const double highest = set.points.back() * static_cast<double>(set.items.size());
        std::vector<double> raw;
        for (double r = std::floor(lowest); r <= std::ceil(highest); r += 1.0) raw.push_back(r);
        for (const double theta : kThetas) {
            std::vector<double> want(raw.size(), 0.0);
            forEachPattern(set.items, [&](const std::vector<std::uint8_t>& pattern) {
                double probability = 1.0, sum = 0.0;
                for (std::size_t j = 0; j < pattern.size(); ++j) {
                    probability *= literalProbabilities(set.items[j], 1.0, theta)[pattern[j]];
                    sum += set.points[pattern[j]];
                }
                for (std::size_t r = 0; r < raw.size(); ++r) {
                    if (std::fabs(sum - raw[r]) < 1e-9) want[r] += probability;
                }
            });
            const std::vector<const ItemParameters*> items = pointers(set.items);
            const std::vector<double> got =
                setScoreDistribution(items, set.points, 1.0, theta, raw);
            ASSERT_EQ(got.size(), want.size());
            for (std::size_t r = 0; r < raw.size(); ++r)
                EXPECT_NEAR(got[r], want[r], 1e-12) << set.name << " theta " << theta;
        }
    }
}

TEST(IrtSummedScore, ReusedScratchGivesTheSameAndRawScoresOutsideGetNothing) {
    const SetCase set = setCases()[3];
    const std::vector<const ItemParameters*> items = pointers(set.items);
    const std::vector<double> raw = {-2, -1, 0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14};
    SummedScoreScratch scratch;
    std::vector<double> out(raw.size());
    for (const double theta : kThetas) {
        setScoreDistribution(items, set.points, 1.0, theta, raw, out, scratch);
        const std::vector<double> fresh = setScoreDistribution(items, set.points, 1.0, theta, raw);
        EXPECT_EQ(out, fresh);
        EXPECT_EQ(out[0] + out[1] + out[15] + out[16], 0.0);
    }
}

// A Rasch test whose difficulties are symmetric about 0 has P(r | theta) =
// P(n - r | -theta).
TEST(IrtSummedScore, SymmetricRaschTestMirrorsAtOppositeAbilities) {
    const std::vector<ItemParameters> rasch = {logistic(1.0, -1.2), logistic(1.0, -0.4),
                                               logistic(1.0, 0.0), logistic(1.0, 0.4),
                                               logistic(1.0, 1.2)};
    const std::vector<const ItemParameters*> items = pointers(rasch);
    const std::vector<double> points = {0, 1}, raw = {0, 1, 2, 3, 4, 5};
    for (const double theta : kThetas) {
        const std::vector<double> up = setScoreDistribution(items, points, 1.0, theta, raw);
        const std::vector<double> down = setScoreDistribution(items, points, 1.0, -theta, raw);
        for (std::size_t r = 0; r < raw.size(); ++r)
            EXPECT_NEAR(up[r], down[raw.size() - 1 - r], 1e-15);
    }
}

// ---- Ability -------------------------------------------------------------

std::vector<ItemParameters> mixedTest() {
    return {logistic(1.2, -0.5, 0.2), logistic(0.8, 0.4), graded(1.1, {-1.0, 0.6}),
            partialCredit(0.9, {-0.3, 0.5, 1.0}), logistic(1.5, 1.0, 0.1, 0.95)};
}

TEST(IrtAbility, EapIsTheLiteralPosteriorOverTheSixtyOneNodes) {
    const std::vector<ItemParameters> test = mixedTest();
    const std::vector<const ItemParameters*> items = pointers(test);
    for (const Prior& prior : {Prior{}, Prior{0.5, 1.3, 61, -6, 6}, Prior{-0.2, 0.8, 21, -4, 4}}) {
        const AbilityGrid grid(items, 1.702, prior);
        std::vector<std::uint8_t> withMissing;
        const auto check = [&](const std::vector<std::uint8_t>& pattern) {
            double total = 0.0, first = 0.0, second = 0.0;
            std::vector<double> nodes, posterior;
            for (int q = 0; q < prior.points; ++q) {
                const double theta = prior.low + (prior.high - prior.low) * q / (prior.points - 1);
                const double z = (theta - prior.mean) / prior.sd;
                double likelihood = std::exp(-0.5 * z * z);
                for (std::size_t j = 0; j < test.size(); ++j) {
                    if (pattern[j] != kNotAnswered)
                        likelihood *= literalProbabilities(test[j], 1.702, theta)[pattern[j]];
                }
                nodes.push_back(theta);
                posterior.push_back(likelihood);
                total += likelihood;
                first += likelihood * theta;
            }
            const double mean = first / total;
            for (std::size_t q = 0; q < nodes.size(); ++q)
                second += posterior[q] * (nodes[q] - mean) * (nodes[q] - mean);
            const AbilityEstimate got = grid.eap(pattern);
            EXPECT_NEAR(got.theta, mean, 1e-12);
            EXPECT_NEAR(got.se, std::sqrt(second / total), 1e-12);
            EXPECT_FALSE(got.atBound);
        };
        forEachPattern(test, [&](const std::vector<std::uint8_t>& pattern) {
            check(pattern);
            std::vector<std::uint8_t> partial = pattern;
            partial[pattern[0] % test.size()] = kNotAnswered;
            check(partial);
        });
        check(std::vector<std::uint8_t>(test.size(), kNotAnswered));
    }
}

// The maximum of the literal log likelihood on [low, high] by golden section.
double goldenMaximum(const std::function<long double(long double)>& f, long double low,
                     long double high) {
    const long double ratio = (std::sqrt(5.0L) - 1) / 2;
    long double x1 = high - ratio * (high - low), x2 = low + ratio * (high - low);
    long double f1 = f(x1), f2 = f(x2);
    while (high - low > 1e-12L) {
        if (f1 < f2) {
            low = x1, x1 = x2, f1 = f2;
            x2 = low + ratio * (high - low), f2 = f(x2);
        } else {
            high = x2, x2 = x1, f2 = f1;
            x1 = high - ratio * (high - low), f1 = f(x1);
        }
    }
    return static_cast<double>((low + high) / 2);
}

TEST(IrtAbility, MleIsTheLikelihoodsMaximumAndExtremePatternsTakeTheBounds) {
    const std::vector<ItemParameters> test = mixedTest();
    const std::vector<const ItemParameters*> items = pointers(test);
    const AbilityGrid grid(items, 1.0, Prior{});
    int interior = 0;
    forEachPattern(test, [&](const std::vector<std::uint8_t>& pattern) {
        const AbilityEstimate got = mle(items, 1.0, pattern, grid.eap(pattern).theta);
        bool lowest = true, highest = true;
        for (std::size_t j = 0; j < test.size(); ++j) {
            lowest = lowest && pattern[j] == 0;
            highest = highest && pattern[j] + 1u == test[j].categoryCount();
        }
        const double want =
            lowest ? -6.0
            : highest
                ? 6.0
                : goldenMaximum(
                      [&](long double t) { return literalLogLikelihood(test, 1, pattern, t); },
                      -6.0, 6.0);
        EXPECT_NEAR(got.theta, want, 1e-8);
        EXPECT_EQ(got.atBound, std::fabs(want) > 6.0 - 1e-9);
        double information = 0.0;
        for (const ItemParameters& item : test)
            information += literalInformation(item, 1.0, got.theta);
        EXPECT_NEAR(got.se, 1.0 / std::sqrt(information), 1e-6);
        EXPECT_NEAR(testInformation(items, 1.0, got.theta), information, 1e-7 * information);
        interior += !got.atBound;
    });
    EXPECT_GT(interior, 40);
    const AbilityEstimate none =
        mle(items, 1.0, std::vector<std::uint8_t>(test.size(), kNotAnswered), 0.0);
    EXPECT_TRUE(std::isnan(none.theta));
}

// A flat prior over a narrow range about the maximum has the maximum as its mean.
TEST(IrtAbility, EapFromAFlatNarrowPriorTendsToTheMle) {
    const std::vector<ItemParameters> test = mixedTest();
    const std::vector<const ItemParameters*> items = pointers(test);
    const std::vector<std::uint8_t> pattern = {1, 0, 2, 1, 0};
    const double theta = mle(items, 1.0, pattern, 0.0).theta;
    double previous = 1.0;
    for (const double width : {0.1, 0.01, 0.001}) {
        const AbilityGrid grid(items, 1.0, Prior{theta, 1e6, 201, theta - width, theta + width});
        const double distance = std::fabs(grid.eap(pattern).theta - theta);
        EXPECT_LT(distance, 1e-3 * width);
        EXPECT_LT(distance, previous / 10.0);
        previous = distance;
    }
}

// ---- Rudner, inverse and population ---------------------------------------

TEST(IrtRudner, NormalErrorAroundTheEstimate) {
    struct Case {
        double theta, se;
        std::vector<double> cuts;
    };
    for (const Case& c : {Case{0.2, 0.3, {-0.5, 0.4, 1.3}}, Case{-1.0, 0.5, {0.0}},
                          Case{5.0, 0.2, {-1.0, 0.0, 1.0}}, Case{0.0, 1.0, {}}}) {
        std::vector<double> got(c.cuts.size() + 1);
        rudnerProbabilities(c.theta, c.se, c.cuts, got);
        double total = 0.0;
        for (std::size_t k = 0; k < got.size(); ++k) {
            const auto phi = [](double z) { return 0.5 * (1.0 + std::erf(z / std::sqrt(2.0))); };
            const double high = k == c.cuts.size() ? 1.0 : phi((c.cuts[k] - c.theta) / c.se);
            const double low = k == 0 ? 0.0 : phi((c.cuts[k - 1] - c.theta) / c.se);
            EXPECT_NEAR(got[k], high - low, 1e-15);
            total += got[k];
        }
        EXPECT_NEAR(total, 1.0, 1e-15);
    }
    // No error: all of it where theta lies, a theta at a cut above it.
    std::vector<double> got(3);
    rudnerProbabilities(0.4, 0.0, std::vector<double>{-0.5, 0.4}, got);
    EXPECT_EQ(got, (std::vector<double>{0.0, 0.0, 1.0}));
}

TEST(IrtTrueScore, InverseAndPopulation) {
    const auto cube = [](double x) { return x * x * x; };
    EXPECT_NEAR(inverseMonotone(cube, 0.125, -2.0, 2.0), 0.5, 1e-10);
    EXPECT_NEAR(inverseMonotone([](double x) { return -x; }, 0.3, -1.0, 1.0), -0.3, 1e-10);
    EXPECT_EQ(inverseMonotone(cube, -8.0, -2.0, 2.0), -2.0);
    EXPECT_TRUE(std::isnan(inverseMonotone(cube, 8.5, -2.0, 2.0)));

    const std::vector<PopulationNode> nodes = normalPopulation(0.5, 2.0);
    ASSERT_EQ(nodes.size(), 41u);
    EXPECT_DOUBLE_EQ(nodes.front().theta, 0.5 - 8.0);
    EXPECT_DOUBLE_EQ(nodes.back().theta, 0.5 + 8.0);
    double total = 0.0;
    for (std::size_t q = 0; q < nodes.size(); ++q) {
        total += nodes[q].weight;
        EXPECT_NEAR(nodes[q].weight, nodes[40 - q].weight, 1e-17);
        const double z = (nodes[q].theta - 0.5) / 2.0;
        EXPECT_NEAR(nodes[q].weight / nodes[20].weight, std::exp(-0.5 * z * z), 1e-14);
    }
    EXPECT_NEAR(total, 1.0, 1e-14);
    EXPECT_EQ(normalPopulation(1.0, 1.0, 1).front().weight, 1.0);
}

}  // namespace
}  // namespace tl::irt
