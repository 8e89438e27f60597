// Category boundaries, true categories and the consistency/accuracy indices.
#include "classify/classification.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <vector>

namespace {

std::vector<double> scoresFrom(int lowest, int highest) {
    std::vector<double> scores;
    for (int c = lowest; c <= highest; ++c) scores.push_back(c);
    return scores;
}

TEST(CategoryStarts, AScoreOnTheCutOpensTheCategoryAbove) {
    struct Case {
        std::vector<double> cuts;
        int lowest, highest;
        std::vector<std::size_t> starts;  // 0-based index of each category's first score
    };
    const Case cases[] = {
        {{10}, 0, 20, {10}},    {{9.5}, 0, 20, {10}},   {{0}, 0, 20, {0}},
        {{20}, 0, 20, {20}},    {{19.01}, 0, 20, {20}}, {{-2.5, 0, 3}, -5, 5, {3, 5, 8}},
        {{4, 4}, 0, 8, {4, 4}},  // repeated cut: an empty middle category
    };
    for (const Case& c : cases) {
        EXPECT_EQ(tl::categoryStarts(c.cuts, scoresFrom(c.lowest, c.highest)), c.starts)
            << c.cuts[0];
    }
}

TEST(CategoryProbabilities, SumEachCategoryRange) {
    // Composite scores 0 .. 20, cut 10: points 0..9 and 10..20.
    std::vector<double> q(21, 0.0);
    q[9] = 0.25, q[10] = 0.5, q[20] = 0.125, q[0] = 0.0625;
    const std::vector<std::size_t> starts =
        tl::categoryStarts(std::vector<double>{10}, scoresFrom(0, 20));
    std::vector<double> p(2);
    tl::categoryProbabilities(q, starts, p);
    EXPECT_EQ(p, (std::vector<double>{0.3125, 0.625}));

    const std::vector<std::size_t> empty{4, 4};
    std::vector<double> three(3);
    tl::categoryProbabilities(std::vector<double>(9, 0.125), empty, three);
    EXPECT_EQ(three, (std::vector<double>{0.5, 0.0, 0.625}));
}

TEST(TrueCategory, AScoreOnATrueCutBelongsAbove) {
    const std::vector<double> cuts{10, 20.5, 30};
    struct Case {
        double score;
        int category;
    };
    const Case cases[] = {
        {-1e9, 1}, {std::nextafter(10.0, 0.0), 1}, {10, 2}, {20.49, 2},
        {20.5, 3}, {std::nextafter(30.0, 0.0), 3}, {30, 4}, {1e9, 4},
    };
    for (const Case& c : cases) EXPECT_EQ(tl::categoryOf(c.score, cuts), c.category) << c.score;
}

// Classifies examinees that each have their own category probabilities.
tl::Classification classify(const std::vector<double>& composites,
                            const std::vector<double>& trueCuts,
                            const std::vector<std::vector<double>>& probabilities) {
    std::vector<std::uint32_t> groupOf;
    std::vector<double> flat, consistency;
    for (std::size_t i = 0; i < probabilities.size(); ++i) {
        groupOf.push_back(static_cast<std::uint32_t>(i));
        flat.insert(flat.end(), probabilities[i].begin(), probabilities[i].end());
        consistency.push_back(tl::conditionalConsistency(probabilities[i]));
    }
    return tl::classifyExaminees(composites, trueCuts,
                                 static_cast<std::int32_t>(trueCuts.size() + 1), groupOf, flat,
                                 consistency);
}

TEST(Classification, CertainAndOppositeExamineesGiveKappaOne) {
    const tl::Classification c = classify({0, 20}, {10}, {{1, 0}, {0, 1}});
    EXPECT_EQ(c.overall.consistency, 1.0);
    EXPECT_EQ(c.categoryMarginal, (std::vector<double>{0.5, 0.5}));
    EXPECT_EQ(c.overall.chance, 0.5);
    EXPECT_EQ(c.overall.kappa, 1.0);
    EXPECT_EQ(c.overall.accuracy, 1.0);
    EXPECT_EQ(c.overall.falsePositive, 0.0);
    EXPECT_EQ(c.overall.falseNegative, 0.0);
}

TEST(Classification, ErrorsLookAboveAndBelowTheTrueCategory) {
    // Three categories (true cuts 10 and 20), P = (0.2, 0.3, 0.5) for everyone.
    struct Case {
        double composite;
        double accuracy, falsePositive, falseNegative;
    };
    const Case cases[] = {
        {5, 0.2, 0.8, 0.0},  // lowest category: nothing below it
        {15, 0.3, 0.5, 0.2},
        {25, 0.5, 0.0, 0.5},  // highest category: nothing above it
    };
    for (const Case& e : cases) {
        const tl::Classification c = classify({e.composite}, {10, 20}, {{0.2, 0.3, 0.5}});
        EXPECT_EQ(c.conditionalAccuracy[0], e.accuracy) << e.composite;
        EXPECT_DOUBLE_EQ(c.conditionalFalsePositive[0], e.falsePositive) << e.composite;
        EXPECT_DOUBLE_EQ(c.conditionalFalseNegative[0], e.falseNegative) << e.composite;
    }
}

TEST(Classification, AccuracyAndErrorsAddUpToTheCategoryProbabilities) {
    std::mt19937_64 rng(99);
    std::uniform_real_distribution<double> unit(0.0, 1.0);
    const std::vector<double> cuts{3, 6, 9, 12};
    std::vector<double> composites;
    std::vector<std::vector<double>> probabilities;
    for (int i = 0; i < 200; ++i) {
        composites.push_back(unit(rng) * 16.0 - 1.0);
        std::vector<double> p(5);
        for (double& v : p) v = unit(rng) * 0.2;  // incomplete distributions too
        probabilities.push_back(p);
    }
    const tl::Classification c = classify(composites, cuts, probabilities);
    for (std::size_t i = 0; i < composites.size(); ++i) {
        double total = 0.0;
        for (double v : probabilities[i]) total += v;
        const double parts = c.conditionalAccuracy[i] + c.conditionalFalsePositive[i] +
                             c.conditionalFalseNegative[i];
        EXPECT_NEAR(parts, total, 1e-15) << i;
        EXPECT_EQ(c.trueCategory[i], tl::categoryOf(composites[i], cuts));
    }
}

TEST(Classification, OverallIndicesAreExamineeMeans) {
    const tl::Classification c = classify({0, 0, 20}, {10}, {{1, 0}, {0.5, 0.5}, {0.25, 0.75}});
    EXPECT_DOUBLE_EQ(c.overall.consistency, (1.0 + 0.5 + 0.625) / 3.0);
    EXPECT_DOUBLE_EQ(c.overall.accuracy, (1.0 + 0.5 + 0.75) / 3.0);
    EXPECT_DOUBLE_EQ(c.overall.falsePositive, 0.5 / 3.0);
    EXPECT_DOUBLE_EQ(c.overall.falseNegative, 0.25 / 3.0);
    const double m1 = 1.75 / 3.0, m2 = 1.25 / 3.0;
    EXPECT_DOUBLE_EQ(c.overall.chance, m1 * m1 + m2 * m2);
}

}  // namespace
