// Proportions pulled toward the group means, and the corrected composite.
#include "model/bias_correction.h"

#include <gtest/gtest.h>

#include <vector>

#include "model/set_loader.h"

namespace {

tl::ItemSet itemSet(double weight, int items, std::vector<double> points) {
    tl::ItemSet set;
    set.weight = weight;
    set.itemCount = items;
    set.scorePointCount = static_cast<std::int32_t>(points.size());
    set.highestScorePoint = points.back();
    set.scorePoints = std::move(points);
    return set;
}

std::vector<double> proportionsOf(const tl::ProportionProfiles& profiles, std::size_t examinee) {
    const auto p = profiles.proportions(profiles.profileOf(examinee));
    return {p.begin(), p.end()};
}

TEST(BiasCorrection, PullsTowardTheMeansBySquareRootOfReliability) {
    // Means (0.75, 0.25, 0), r = 0.8. The third point is used by nobody: its
    // mean is 0 and every proportion stays exactly 0.
    for (bool share : {false, true}) {
        SCOPED_TRACE(share);
        tl::ProportionProfiles profiles(3, share, 2);
        profiles.addExaminee(std::vector<double>{1, 0, 0});
        profiles.addExaminee(std::vector<double>{0.5, 0.5, 0});
        std::vector<double> corrected(2, 0.0);
        tl::correctProportions(profiles, itemSet(1, 4, {0, 1, 2}), 0.64, corrected);
        const std::vector<std::vector<double>> expected{{0.95, 0.05, 0}, {0.55, 0.45, 0}};
        for (std::size_t e = 0; e < 2; ++e) {
            const std::vector<double> p = proportionsOf(profiles, e);
            for (std::size_t m = 0; m < 3; ++m)
                EXPECT_NEAR(p[m], expected[e][m], 1e-15) << e << "," << m;
            EXPECT_EQ(p[2], 0.0);
        }
        EXPECT_NEAR(corrected[0], 4 * 0.05, 1e-15);
        EXPECT_NEAR(corrected[1], 4 * 0.45, 1e-15);
    }
}

TEST(BiasCorrection, MeansCountEveryExamineeEvenWhenProfilesAreShared) {
    // Two examinees share (1, 0); the means are (2/3, 1/3), not (1/2, 1/2).
    tl::ProportionProfiles profiles(2, true, 3);
    for (const std::vector<double>& p : {std::vector<double>{1, 0}, {1, 0}, {0, 1}})
        profiles.addExaminee(p);
    ASSERT_EQ(profiles.profileCount(), 2u);
    std::vector<double> corrected(3, 0.0);
    tl::correctProportions(profiles, itemSet(1, 3, {0, 1}), 0.0, corrected);  // r = 0: the means
    for (std::size_t e = 0; e < 3; ++e) {
        EXPECT_DOUBLE_EQ(proportionsOf(profiles, e)[0], 2.0 / 3.0) << e;
        EXPECT_DOUBLE_EQ(corrected[e], 1.0) << e;
    }
}

TEST(BiasCorrection, ReliabilityOneKeepsProportionsAndCountsMatchingItemScores) {
    // Weight 1.5 on points 0, 1, 2; the second examinee's 5 is no score point.
    const tl::ItemSet set = itemSet(1.5, 4, {0, 1, 2});
    std::vector<double> observed(2, 0.0);
    tl::ProportionProfiles profiles =
        tl::loadItemSet("2 1 1 0\n0 0 5 2\n", "d.txt", set, 2, observed, true);
    const std::vector<double> before0 = proportionsOf(profiles, 0),
                              before1 = proportionsOf(profiles, 1);
    std::vector<double> corrected(2, 0.0);
    tl::correctProportions(profiles, set, 1.0, corrected);
    EXPECT_EQ(proportionsOf(profiles, 0), before0);
    EXPECT_EQ(proportionsOf(profiles, 1), before1);
    EXPECT_EQ(corrected[0], observed[0]);  // every item matches: 1.5 (2 + 1 + 1 + 0)
    EXPECT_EQ(observed[1], 1.5 * 7);
    EXPECT_EQ(corrected[1], 1.5 * 2);  // only the scores that are score points
}

TEST(BiasCorrection, CorrectedCompositeAccumulatesOverSets) {
    tl::ProportionProfiles first(2, false, 1), second(2, false, 1);
    first.addExaminee(std::vector<double>{0.25, 0.75});
    second.addExaminee(std::vector<double>{0.5, 0.5});
    std::vector<double> corrected(1, 0.0);
    tl::correctProportions(first, itemSet(2, 4, {0, 1}), 1.0, corrected);
    tl::correctProportions(second, itemSet(1, 6, {1, 3}), 1.0, corrected);
    EXPECT_EQ(corrected[0], 2 * 3 + (6 * 0.5 * 1 + 6 * 0.5 * 3));
}

}  // namespace
