// The replicate summaries: R's type 7 quantiles and the standard deviation of
// the defined replicate values, against values worked out by hand.
#include "classify/bootstrap_spread.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

namespace tl {
namespace {

constexpr double nan = std::numeric_limits<double>::quiet_NaN();

TEST(QuantileOfSorted, InterpolatesBetweenOrderStatisticsAsTypeSeven) {
    const std::vector<double> oneToTen{1, 2, 3, 4, 5, 6, 7, 8, 9, 10};
    const std::vector<double> four{0.1, 0.2, 0.4, 0.8};
    const std::vector<double> tied{3, 3, 3, 5};
    struct Case {
        const char* name;
        const std::vector<double>& values;
        double p;
        double expected;
    };
    const Case cases[] = {
        {"1..10 at 2.5 %", oneToTen, 0.025, 1.225},   // index 1.225
        {"1..10 at 97.5 %", oneToTen, 0.975, 9.775},  // index 9.775
        {"1..10 at 0", oneToTen, 0.0, 1.0},
        {"1..10 at 1", oneToTen, 1.0, 10.0},
        {"1..10 at 50 %", oneToTen, 0.5, 5.5},
        {"four at 2.5 %", four, 0.025, 0.925 * 0.1 + 0.075 * 0.2},     // index 1.075
        {"four at 97.5 %", four, 0.975, 0.075 * 0.4 + 0.925 * 0.8},    // index 3.925
        {"four at 1/3 exactly", four, 1.0 / 3.0, 0.2},                 // index 2
        {"ties: no interpolation", tied, 0.5, 3.0},                    // index 2.5, 3 and 3
        {"ties then a step", tied, 0.975, 0.075 * 3.0 + 0.925 * 5.0},  // index 3.925
    };
    for (const Case& c : cases) {
        EXPECT_NEAR(quantileOfSorted(c.values, c.p), c.expected, 1e-15) << c.name;
    }
    EXPECT_EQ(quantileOfSorted(std::vector<double>{7.5}, 0.025), 7.5);
    EXPECT_TRUE(std::isnan(quantileOfSorted(std::vector<double>{}, 0.5)));
}

TEST(SpreadOf, LeavesOutAndCountsUndefinedReplicates) {
    struct Case {
        const char* name;
        std::vector<double> values;
        double se, low, high;
        std::int64_t undefined;
    };
    const Case cases[] = {
        // mean 2.5, squares 5, divisor 3
        {"1..4 shuffled", {3, 1, 4, 2}, std::sqrt(5.0 / 3.0), 1.075, 3.925, 0},
        {"with NaNs", {nan, 3, 1, nan, 4, 2}, std::sqrt(5.0 / 3.0), 1.075, 3.925, 2},
        {"constant", {0.5, 0.5, 0.5}, 0.0, 0.5, 0.5, 0},
        {"two", {0, 1}, std::sqrt(0.5), 0.025, 0.975, 0},
        {"one defined", {nan, 2, nan}, nan, 2, 2, 2},
        {"none defined", {nan, nan}, nan, nan, nan, 2},
    };
    const auto same = [](double a, double b) { return std::isnan(b) ? std::isnan(a) : a == b; };
    for (const Case& c : cases) {
        const IndexSpread s = spreadOf(std::span<const double>(c.values));
        EXPECT_TRUE(std::isnan(c.se) ? std::isnan(s.se) : std::abs(s.se - c.se) < 1e-15)
            << c.name << " se " << s.se;
        EXPECT_TRUE(same(s.ciLow, c.low) || std::abs(s.ciLow - c.low) < 1e-15) << c.name;
        EXPECT_TRUE(same(s.ciHigh, c.high) || std::abs(s.ciHigh - c.high) < 1e-15) << c.name;
        EXPECT_EQ(s.replicatesUndefined, c.undefined) << c.name;
    }
}

TEST(SpreadOf, SummarisesEachIndexOfTheReplicates) {
    const std::vector<IndexSet> replicates{
        {0.1, 0.2, nan, 0.4, 0.5, 0.6},
        {0.3, 0.2, 1.0, 0.8, 0.5, 0.7},
    };
    const IndexSetSpread s = spreadOf(std::span<const IndexSet>(replicates));
    EXPECT_NEAR(s.consistency.se, std::sqrt(0.02), 1e-15);
    EXPECT_EQ(s.chance.se, 0.0);
    EXPECT_EQ(s.kappa.replicatesUndefined, 1);
    EXPECT_TRUE(std::isnan(s.kappa.se));
    EXPECT_EQ(s.kappa.ciLow, 1.0);
    EXPECT_NEAR(s.accuracy.ciHigh, 0.025 * 0.4 + 0.975 * 0.8, 1e-15);
    EXPECT_EQ(s.falsePositive.ciLow, 0.5);
    EXPECT_NEAR(s.falseNegative.ciLow, 0.975 * 0.6 + 0.025 * 0.7, 1e-15);
}

}  // namespace
}  // namespace tl
