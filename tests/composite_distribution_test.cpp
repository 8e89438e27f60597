// The composite distribution: worked cases of the weighted, rounded sum, then
// the fast combination against the plain nested loops, bit for bit.
#include "model/composite_distribution.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <random>
#include <vector>

#include "reference/literal_model.h"
#include "support/model_inputs.h"

namespace {

using tl::testing::literalComposite;
using tl::testing::randomProportions;
using tl::testing::rowsOf;
using tl::testing::SetData;

std::vector<double> fastComposite(const std::vector<SetData>& sets, std::int32_t minComposite,
                                  std::size_t count) {
    std::vector<double> out(count, -1.0);
    tl::computeCompositeDistribution(rowsOf(sets), minComposite, out);
    return out;
}

std::vector<double> pointMass(std::size_t size, std::size_t at) {
    std::vector<double> p(size, 0.0);
    p[at] = 1.0;
    return p;
}

TEST(CompositeDistribution, OneSetOfWeightOneIsTheSetDistribution) {
    const std::vector<double> p{0.1, 0.2, 0.3, 0.15, 0.25};
    const std::vector<double> q = fastComposite({SetData(1.0, 0, p)}, 0, p.size());
    EXPECT_EQ(0, std::memcmp(q.data(), p.data(), p.size() * sizeof(double)));
}

TEST(CompositeDistribution, OneSetIsComparedUnrounded) {
    // Weight 0.5: the odd raw scores give halves, which meet no composite score.
    const std::vector<double> q = fastComposite({SetData(0.5, 0, {0.1, 0.2, 0.3, 0.4})}, 0, 2);
    EXPECT_EQ(q, (std::vector<double>{0.1, 0.3}));
}

TEST(CompositeDistribution, WeightedSumRoundsHalfAwayFromZeroOnceForAllSets) {
    // Two sets of weight 0.5, raw scores -3 .. 3 each, composite scale -3 .. 3;
    // each examinee is certain of one raw score per set.
    struct Case {
        int raw1, raw2;
        int composite;
    };
    const Case cases[] = {{1, 2, 2},  {1, 0, 1}, {-1, 0, -1}, {0, -1, -1},  {-3, 2, -1},
                          {3, -2, 1}, {1, 1, 1}, {0, 0, 0},   {-3, -3, -3}, {3, 3, 3}};
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.raw1) + "," + std::to_string(c.raw2));
        const std::vector<SetData> sets{SetData(0.5, -3, pointMass(7, c.raw1 + 3)),
                                        SetData(0.5, -3, pointMass(7, c.raw2 + 3))};
        EXPECT_EQ(fastComposite(sets, -3, 7),
                  pointMass(7, static_cast<std::size_t>(c.composite + 3)));
    }
}

TEST(CompositeDistribution, CombinationsOffTheScaleAddNothing) {
    // Two sets of weight 0.5, 3 items on points 0 and 1: composite scores 0 .. 2.
    // (2,3), (3,2) and (3,3) round to 3 and are dropped.
    const std::vector<double> p{0.1, 0.2, 0.3, 0.4};
    const std::vector<SetData> sets{SetData(0.5, 0, p), SetData(0.5, 0, p)};
    const std::vector<double> q = fastComposite(sets, 0, 3);
    const double dropped = p[2] * p[3] + p[3] * p[2] + p[3] * p[3];
    EXPECT_NEAR(q[0] + q[1] + q[2], 1.0 - dropped, 1e-15);
    EXPECT_EQ(q[0], p[0] * p[0]);  // 0.5 + 0 already rounds up to 1
    EXPECT_NEAR(q[1], p[0] * p[1] + p[1] * p[0] + p[1] * p[1] + p[0] * p[2] + p[2] * p[0], 1e-15);
}

TEST(CompositeDistribution, PointMassOffTheScaleLeavesEverythingZero) {
    const std::vector<SetData> sets{SetData(2.0, 0, pointMass(4, 3)),
                                    SetData(1.0, 0, pointMass(4, 3))};
    EXPECT_EQ(fastComposite(sets, 0, 9), std::vector<double>(9, 0.0));  // 2*3 + 3 = 9 is off 0..8
    EXPECT_EQ(fastComposite(sets, 1, 9), pointMass(9, 8));
}

// ---------------------------------------------------------------------------
// Property: fast combination == literal nested loops, bit for bit.

SetData randomSetData(std::mt19937_64& rng, std::size_t setCount) {
    static const double weights[] = {0.5, 1.0, 1.5, 2.0, 3.0, 0.25, 0.3, 0.0, 0.75};
    const double weight = weights[std::uniform_int_distribution<int>(0, 8)(rng)];
    const int maxLength = setCount <= 2 ? 40 : setCount == 3 ? 14 : 8;
    const int length = std::uniform_int_distribution<int>(1, maxLength)(rng);
    const std::int32_t minRaw = std::uniform_int_distribution<std::int32_t>(-6, 4)(rng);
    std::uniform_real_distribution<double> unit(0.0, 1.0);
    std::vector<double> p(static_cast<std::size_t>(length));
    const double zeroShare = unit(rng) * 0.6;
    for (double& v : p) v = unit(rng) < zeroShare ? 0.0 : unit(rng) * unit(rng);
    if (unit(rng) < 0.1) p[0] = 1e-300;  // products that underflow
    return SetData(weight, minRaw, std::move(p));
}

// The table a run makes once from the weighted scores and the scale, applied to
// an examinee of its own and to another with the same sets and other
// probabilities.
std::vector<double> tabledComposite(const tl::CompositeTable& table,
                                    const std::vector<SetData>& sets, std::size_t count) {
    std::vector<double> out(count, -1.0);
    table(rowsOf(sets), out);
    return out;
}

TEST(CompositeDistributionProperty, FastCombinationMatchesLiteralLoopsBitForBit) {
    std::mt19937_64 rng(31337);
    for (int trial = 0; trial < 10000; ++trial) {
        const auto setCount =
            static_cast<std::size_t>(std::uniform_int_distribution<int>(1, 4)(rng));
        std::vector<SetData> sets;
        double lowest = 0.0, highest = 0.0;
        for (std::size_t s = 0; s < setCount; ++s) {
            sets.push_back(randomSetData(rng, setCount));
            lowest += sets.back().weighted.front();
            highest += sets.back().weighted.back();
        }
        // A scale around the reachable sums, sometimes cut short at either end.
        const auto minComposite =
            static_cast<std::int32_t>(lowest) + std::uniform_int_distribution<int>(-2, 2)(rng);
        const auto maxComposite =
            static_cast<std::int32_t>(highest) + std::uniform_int_distribution<int>(-2, 2)(rng);
        const std::size_t count = maxComposite >= minComposite
                                      ? static_cast<std::size_t>(maxComposite - minComposite + 1)
                                      : 1;
        const std::vector<double> fast = fastComposite(sets, minComposite, count);
        const std::vector<double> literal = literalComposite(sets, minComposite, count);
        ASSERT_EQ(0, std::memcmp(fast.data(), literal.data(), count * sizeof(double)))
            << "trial " << trial << ", " << setCount << " sets, scale from " << minComposite;

        const tl::CompositeTable table(rowsOf(sets), minComposite, count);
        ASSERT_EQ(table.made(), setCount >= 2) << "trial " << trial;
        if (!table.made()) continue;
        const std::vector<double> tabled = tabledComposite(table, sets, count);
        ASSERT_EQ(0, std::memcmp(tabled.data(), literal.data(), count * sizeof(double)))
            << "tabled, trial " << trial;
        std::vector<SetData> other;
        for (const SetData& set : sets) {
            std::vector<double> p = set.probabilities;
            std::shuffle(p.begin(), p.end(), rng);
            other.emplace_back(set.weight, static_cast<std::int32_t>(set.rawScores.front()),
                               std::move(p));
        }
        const std::vector<double> want = literalComposite(other, minComposite, count);
        const std::vector<double> got = tabledComposite(table, other, count);
        ASSERT_EQ(0, std::memcmp(got.data(), want.data(), count * sizeof(double)))
            << "tabled, another examinee, trial " << trial;
    }
}

}  // namespace
