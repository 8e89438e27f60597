// The raw-score distribution of one item set: the worked cases of the model,
// then the fast engine (table built once per set, one sweep per examinee)
// against the literal entry-by-entry enumeration, bit for bit.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <random>
#include <vector>

#include "model/count_vector_table.h"
#include "model/raw_score_distribution.h"
#include "reference/literal_model.h"
#include "support/model_inputs.h"

namespace {

using tl::testing::literalComposite;
using tl::testing::randomProportions;
using tl::testing::rowsOf;
using tl::testing::SetData;

// minRaw .. maxRaw with both ends n x truncated toward zero, as the card's
// score ranges are derived.
std::vector<double> rawScoreList(int n, const std::vector<double>& x) {
    const auto lowest = static_cast<std::int32_t>(n * x.front());
    const auto highest = static_cast<std::int32_t>(n * x.back());
    std::vector<double> list;
    for (std::int32_t r = lowest; r <= highest; ++r) list.push_back(r);
    return list;
}

std::vector<double> fastDistribution(int n, const std::vector<double>& x,
                                     const std::vector<double>& p) {
    const std::vector<double> raw = rawScoreList(n, x);
    const tl::CountVectorTable table = tl::buildCountVectorTable(n, x, raw);
    std::vector<double> out(raw.size(), -1.0);
    tl::DistributionScratch scratch;
    tl::computeRawDistribution(table, p, out, scratch);
    return out;
}

std::vector<double> literalDistribution(int n, const std::vector<double>& x,
                                        const std::vector<double>& p) {
    const std::vector<double> raw = rawScoreList(n, x);
    std::vector<double> out(raw.size(), -1.0);
    tl::reference::literalRawDistribution(n, x, raw, p, out);
    return out;
}

struct WorkedCase {
    const char* name;
    int items;
    std::vector<double> scorePoints;
    std::vector<double> proportions;
    std::vector<double> expected;  // one per raw score minRaw .. maxRaw
    double relativeTolerance;
};

// ctest lists a case by its name, not by its bytes.
void PrintTo(const WorkedCase& c, std::ostream* os) {
    *os << c.name;
}

class WorkedRawDistribution : public ::testing::TestWithParam<WorkedCase> {};

TEST_P(WorkedRawDistribution, GivesTheStatedProbabilities) {
    const WorkedCase& c = GetParam();
    const std::vector<double> got = fastDistribution(c.items, c.scorePoints, c.proportions);
    ASSERT_EQ(got.size(), c.expected.size());
    for (std::size_t j = 0; j < got.size(); ++j) {
        EXPECT_NEAR(got[j], c.expected[j], c.relativeTolerance * std::fabs(c.expected[j]))
            << "entry " << j;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Model, WorkedRawDistribution,
    ::testing::Values(
        WorkedCase{
            "Binomial", 3, {0, 1}, {0.25, 0.75}, {0.015625, 0.140625, 0.421875, 0.421875}, 1e-13},
        // A proportion of 0 is floored to 1e-14, so the entries sum past 1.
        WorkedCase{"FlooredZero", 3, {0, 1}, {0, 1}, {1e-42, 3e-28, 3e-14, 1}, 1e-12},
        WorkedCase{
            "ThreePoints", 2, {0, 1, 2}, {0.2, 0.3, 0.5}, {0.04, 0.12, 0.29, 0.3, 0.25}, 1e-13},
        // Raw scores 0.5 and 1.5 are not on the list: their 0.12 and 0.3 are lost.
        WorkedCase{"HalfPoints", 2, {0, 0.5, 1}, {0.2, 0.3, 0.5}, {0.04, 0.29, 0.25}, 1e-13},
        WorkedCase{"AllZero", 3, {0, 1}, {0, 0}, {1e-42, 3e-42, 3e-42, 1e-42}, 1e-12}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(RawDistribution, HalfPointEntriesAddUpToTheirShare) {
    const std::vector<double> got = fastDistribution(2, {0, 0.5, 1}, {0.2, 0.3, 0.5});
    EXPECT_NEAR(got[0] + got[1] + got[2], 0.58, 1e-15);
}

TEST(RawDistribution, AllZeroProportionsOnThirtyItemsUnderflowToZero) {
    for (double value : fastDistribution(30, {0, 1}, {0, 0})) EXPECT_EQ(value, 0.0);
}

TEST(RawDistribution, FortyItemsUseTheSeriesCoefficient) {
    const std::vector<double> x{0, 1};
    const std::vector<double> raw = rawScoreList(40, x);
    const tl::CountVectorTable table = tl::buildCountVectorTable(40, x, raw);
    bool found = false;
    for (const auto& term : table.terms) {
        if (raw[term.entry] != 20.0) continue;
        found = true;
        EXPECT_EQ(term.coefficient, 137846528823.0);  // the exact C(40, 20) is ...820
    }
    EXPECT_TRUE(found);
    const double p20 = fastDistribution(40, x, {0.5, 0.5})[20];
    EXPECT_NEAR(p20, 0.125370687622, 5e-13);
    EXPECT_GT(std::fabs(p20 - 0.125370687620), 1e-12);
}

// ---------------------------------------------------------------------------
// Property: fast engine == literal enumeration, bit for bit.

struct RandomSet {
    int items;
    std::vector<double> scorePoints;
    std::vector<double> proportions;
};

// Score-point layouts the property covers: whole, fractional, negative, and
// sets whose highest point is 0.
std::vector<double> randomScorePoints(std::mt19937_64& rng, int k) {
    static const std::vector<std::vector<double>> fixed = {
        {0, 0.5, 1},
        {0, 0.25, 0.75},
        {-1, 0, 1},
        {-3, -2, -1},
        {-2, -1, 0},
        {0, 1},
        {1, 2},
        {-1, 1},
        {0, 0.5},
        {-0.5, 0},
        {0, 1, 2, 3},
        {0, 0.1, 0.2, 0.3},
        {-2, -1, 0, 1, 2},
        {0, 2, 5, 9, 10, 11},
    };
    std::uniform_int_distribution<int> kind(0, 3);
    switch (kind(rng)) {
        case 0: {  // one of the fixed layouts
            std::uniform_int_distribution<std::size_t> pick(0, fixed.size() - 1);
            return fixed[pick(rng)];
        }
        case 1: {  // whole numbers, gaps of 1 to 3, anywhere from -4 up
            std::vector<double> x{
                static_cast<double>(std::uniform_int_distribution<int>(-4, 2)(rng))};
            while (static_cast<int>(x.size()) < k)
                x.push_back(x.back() + std::uniform_int_distribution<int>(1, 3)(rng));
            return x;
        }
        case 2: {  // steps of a quarter or a half
            const double steps[] = {0.25, 0.5, 0.75, 1.5};
            std::vector<double> x{std::uniform_int_distribution<int>(-4, 2)(rng) * 0.5};
            while (static_cast<int>(x.size()) < k)
                x.push_back(x.back() + steps[std::uniform_int_distribution<int>(0, 3)(rng)]);
            return x;
        }
        default: {  // ending at 0 or below
            std::vector<double> x{0.0};
            while (static_cast<int>(x.size()) < k)
                x.insert(x.begin(), x.front() - std::uniform_int_distribution<int>(1, 2)(rng));
            const double shift = std::uniform_int_distribution<int>(0, 1)(rng) ? 0.0 : -1.0;
            for (double& v : x) v += shift;
            return x;
        }
    }
}

// Item counts keep the literal enumeration affordable for each k.
int maxItemsFor(int k) {
    static const int limits[] = {0, 0, 40, 30, 20, 12, 9};
    return limits[k];
}

RandomSet randomSet(std::mt19937_64& rng) {
    RandomSet set;
    const int k = std::uniform_int_distribution<int>(2, 6)(rng);
    set.scorePoints = randomScorePoints(rng, k);
    const int kk = static_cast<int>(set.scorePoints.size());
    set.items = std::uniform_int_distribution<int>(1, maxItemsFor(kk))(rng);
    set.proportions = randomProportions(rng, kk, set.items);
    return set;
}

std::string describe(const RandomSet& set) {
    std::string text = "n=" + std::to_string(set.items) + " x=";
    for (double v : set.scorePoints) text += std::to_string(v) + " ";
    text += "p=";
    for (double v : set.proportions) text += std::to_string(v) + " ";
    return text;
}

TEST(RawDistributionProperty, FastEngineMatchesLiteralEnumerationBitForBit) {
    std::mt19937_64 rng(20240611);
    int compared = 0;
    for (int trial = 0; trial < 4000; ++trial) {
        const RandomSet set = randomSet(rng);
        const std::vector<double> fast =
            fastDistribution(set.items, set.scorePoints, set.proportions);
        const std::vector<double> literal =
            literalDistribution(set.items, set.scorePoints, set.proportions);
        ASSERT_EQ(fast.size(), literal.size());
        ASSERT_EQ(0, std::memcmp(fast.data(), literal.data(), fast.size() * sizeof(double)))
            << "trial " << trial << ": " << describe(set);
        compared += static_cast<int>(fast.size());
    }
    EXPECT_GT(compared, 10000);
}

TEST(RawDistributionProperty, LongSetsMatchBeyondTheFactorialCache) {
    // Counts above 99 take the uncached series; coefficients far beyond 2^53.
    std::mt19937_64 rng(4242);
    const std::vector<std::vector<double>> layouts{{0, 1}, {-1, 2}, {0, 0.5}, {0, 1, 2}};
    for (int n : {60, 99, 100, 101, 150, 220}) {
        for (const std::vector<double>& x : layouts) {
            if (x.size() == 3 && n > 150) continue;
            const auto p = randomProportions(rng, static_cast<int>(x.size()), n);
            const std::vector<double> fast = fastDistribution(n, x, p);
            const std::vector<double> literal = literalDistribution(n, x, p);
            ASSERT_EQ(0, std::memcmp(fast.data(), literal.data(), fast.size() * sizeof(double)))
                << describe({n, x, p});
        }
    }
}

TEST(RawDistributionProperty, OneTableServesEveryExamineeOfTheSet) {
    // The table depends on the set alone; reusing it (and the scratch) across
    // examinees must give what a fresh literal enumeration gives each time.
    std::mt19937_64 rng(7);
    const std::vector<double> x{0, 1, 2, 3};
    const int n = 12;
    const std::vector<double> raw = rawScoreList(n, x);
    const tl::CountVectorTable table = tl::buildCountVectorTable(n, x, raw);
    tl::DistributionScratch scratch;
    for (int examinee = 0; examinee < 40; ++examinee) {
        const std::vector<double> p = randomProportions(rng, 4, n);
        std::vector<double> fast(raw.size()), literal(raw.size());
        tl::computeRawDistribution(table, p, fast, scratch);
        tl::reference::literalRawDistribution(n, x, raw, p, literal);
        ASSERT_EQ(0, std::memcmp(fast.data(), literal.data(), fast.size() * sizeof(double)))
            << examinee;
    }
}

}  // namespace
