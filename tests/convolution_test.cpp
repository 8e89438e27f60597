// The raw-score and composite distributions by convolution against the
// enumeration and the nested loops they stand in for, and on sizes those cannot
// reach against an independent extended-precision computation.
//
// Agreement is relative to the entry for entries of at least 1e-290. Smaller
// entries sit where the enumeration's products and powers underflow one factor
// at a time and lose their digits, so those are held only to the tolerance
// times the distribution's largest entry.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>
#include <random>
#include <string>
#include <type_traits>
#include <vector>

#include "model/composite_convolution.h"
#include "model/composite_distribution.h"
#include "model/raw_score_convolution.h"
#include "model/raw_score_distribution.h"
#include "model/set_distributions.h"
#include "reference/literal_model.h"
#include "support/model_inputs.h"

namespace {

using tl::testing::literalComposite;
using tl::testing::randomProportions;
using tl::testing::rowsOf;
using tl::testing::SetData;

// Both kernels drop in where the enumeration and the nested loops are used.
static_assert(std::is_same_v<decltype(&tl::convolveRawDistribution), tl::RawDistributionKernel>);
static_assert(std::is_same_v<decltype(&tl::convolveCompositeDistribution),
                             decltype(&tl::computeCompositeDistribution)>);

constexpr double kTinyEntry = 1e-290;

std::string describe(const std::vector<double>& values) {
    std::string text;
    for (double v : values) text += std::to_string(v) + " ";
    return text;
}

// Every entry of `got` within `tolerance` of `want` as the header explains.
void expectClose(const std::vector<double>& got, const std::vector<double>& want, double tolerance,
                 const std::string& context) {
    ASSERT_EQ(got.size(), want.size()) << context;
    double largest = 0.0;
    for (double v : want) largest = std::max(largest, std::fabs(v));
    for (std::size_t j = 0; j < want.size(); ++j) {
        const double scale = std::fabs(want[j]) >= kTinyEntry ? std::fabs(want[j]) : largest;
        ASSERT_LE(std::fabs(got[j] - want[j]), tolerance * scale)
            << context << "entry " << j << ": " << got[j] << " vs " << want[j];
    }
}

std::vector<double> wholeRange(double lowest, double highest) {
    std::vector<double> list;
    for (double r = lowest; r <= highest; r += 1.0) list.push_back(r);
    return list;
}

std::vector<double> convolved(int n, const std::vector<double>& x, const std::vector<double>& raw,
                              const std::vector<double>& p) {
    std::vector<double> out(raw.size(), -1.0);
    tl::convolveRawDistribution(n, x, raw, p, out);
    return out;
}

std::vector<double> enumerated(int n, const std::vector<double>& x, const std::vector<double>& raw,
                               const std::vector<double>& p) {
    std::vector<double> out(raw.size(), -1.0);
    tl::reference::literalRawDistribution(n, x, raw, p, out);
    return out;
}

// ---------------------------------------------------------------------------
// Raw-score distribution

TEST(RawConvolution, AppliesToWholeAscendingScorePointsOnly) {
    struct Case {
        int items;
        std::vector<double> x;
        bool applies;
    };
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const Case cases[] = {
        {60, {0, 1, 2, 3, 4, 5, 6}, true},
        {1, {-3, -1}, true},
        {0, {0, 1}, true},
        {220, {0, 14}, true},
        {5, std::vector<double>(15, 0.0), false},  // not ascending
        {3, {0, 0.5, 1}, false},
        {3, {1, 0}, false},
        {3, {0, 1, 1}, false},
        {3, {0}, false},
        {3, wholeRange(0, 15), false},  // 16 points
        {3, {0, nan}, false},
        {3, {0, 1e7}, false},  // too wide to hold
        {-1, {0, 1}, false},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(tl::convolutionApplies(c.items, c.x), c.applies)
            << "n=" << c.items << " x=" << describe(c.x);
    }
}

struct WorkedCase {
    const char* name;
    int items;
    std::vector<double> x;
    std::vector<double> raw;
    std::vector<double> p;
    std::vector<double> expected;
};

// ctest lists a case by its name, not by its bytes.
void PrintTo(const WorkedCase& c, std::ostream* os) {
    *os << c.name;
}

class WorkedRawConvolution : public ::testing::TestWithParam<WorkedCase> {};

TEST_P(WorkedRawConvolution, GivesTheModelsProbabilities) {
    const WorkedCase& c = GetParam();
    expectClose(convolved(c.items, c.x, c.raw, c.p), c.expected, 1e-13, "");
}

INSTANTIATE_TEST_SUITE_P(
    Model, WorkedRawConvolution,
    ::testing::Values(
        WorkedCase{"Binomial",
                   3,
                   {0, 1},
                   {0, 1, 2, 3},
                   {0.25, 0.75},
                   {0.015625, 0.140625, 0.421875, 0.421875}},
        // The floor raises the zero proportion, so the entries add up past 1.
        WorkedCase{"FlooredZero", 3, {0, 1}, {0, 1, 2, 3}, {0, 1}, {1e-42, 3e-28, 3e-14, 1}},
        WorkedCase{"AllFloored", 3, {0, 1}, {0, 1, 2, 3}, {-0.5, 0}, {1e-42, 3e-42, 3e-42, 1e-42}},
        WorkedCase{"ThreePoints",
                   2,
                   {0, 1, 2},
                   wholeRange(0, 4),
                   {0.2, 0.3, 0.5},
                   {0.04, 0.12, 0.29, 0.3, 0.25}},
        WorkedCase{"HighestPointZero",
                   2,
                   {-2, -1, 0},
                   wholeRange(-4, 0),
                   {0.2, 0.3, 0.5},
                   {0.04, 0.12, 0.29, 0.3, 0.25}},
        // Odd raw scores, a half and scores beyond either end are never reached.
        WorkedCase{"NegativeWithGaps",
                   2,
                   {-3, -1},
                   {-7, -6, -5, -4, -3.5, -3, -2, -1},
                   {0.25, 0.75},
                   {0, 0.0625, 0, 0.375, 0, 0, 0.5625, 0}},
        WorkedCase{
            "OneItem", 1, {-1, 2, 3}, wholeRange(-1, 3), {0.5, 0, 0.25}, {0.5, 0, 0, 1e-14, 0.25}},
        WorkedCase{"NoItems", 0, {1, 2}, {-1, 0, 1}, {0.5, 0.5}, {0, 1, 0}},
        // The exact model: the enumeration's series coefficient makes it 0.125370687622.
        WorkedCase{"FortyItemsExactBinomial", 40, {0, 1}, {20}, {0.5, 0.5}, {0.12537068761957926}}),
    [](const auto& info) { return std::string(info.param.name); });

// Whole, ascending score points: any start from -6, gaps of 1 to 4, sometimes
// ending at 0 or below.
std::vector<double> randomScorePoints(std::mt19937_64& rng, int k) {
    std::vector<double> x{static_cast<double>(std::uniform_int_distribution<int>(-6, 3)(rng))};
    while (static_cast<int>(x.size()) < k)
        x.push_back(x.back() + std::uniform_int_distribution<int>(1, 4)(rng));
    if (std::uniform_int_distribution<int>(0, 4)(rng) == 0) {
        const double shift = x.back() + std::uniform_int_distribution<int>(0, 1)(rng);
        for (double& v : x) v -= shift;  // highest point 0 or -1
    }
    return x;
}

// The set's list n x_1 .. n x_k, sometimes reaching past either end or stopping
// short, with now and then a half or a repeated entry.
std::vector<double> randomRawList(std::mt19937_64& rng, int n, const std::vector<double>& x) {
    auto shift = [&] { return std::uniform_int_distribution<int>(-3, 3)(rng); };
    const bool exact = std::uniform_int_distribution<int>(0, 1)(rng) == 0;
    std::vector<double> list =
        wholeRange(n * x.front() + (exact ? 0 : shift()), n * x.back() + (exact ? 0 : shift()));
    if (!list.empty() && std::uniform_int_distribution<int>(0, 5)(rng) == 0) {
        list.push_back(list.front() + 0.5);
        list.push_back(list.back());
    }
    return list;
}

// Items per number of score points with every multinomial coefficient below
// 1e9, where the enumeration's rounded series coefficients are the exact ones.
int maxItemsFor(int k) {
    static const int limits[] = {0, 0, 32, 21, 16, 12, 10, 8, 6, 5, 4, 4, 4, 3, 3, 3};
    return limits[k];
}

TEST(RawConvolutionProperty, AgreesWithTheEnumeration) {
    std::mt19937_64 rng(8675309);
    int entries = 0;
    for (int trial = 0; trial < 400; ++trial) {
        const int k = std::uniform_int_distribution<int>(0, 3)(rng) == 0
                          ? std::uniform_int_distribution<int>(8, 15)(rng)
                          : std::uniform_int_distribution<int>(2, 7)(rng);
        const int n = std::uniform_int_distribution<int>(0, 4)(rng) == 0
                          ? 1
                          : std::uniform_int_distribution<int>(1, maxItemsFor(k))(rng);
        const std::vector<double> x = randomScorePoints(rng, k);
        const std::vector<double> p = randomProportions(rng, k, n);
        const std::vector<double> raw = randomRawList(rng, n, x);
        ASSERT_TRUE(tl::convolutionApplies(n, x));
        expectClose(convolved(n, x, raw, p), enumerated(n, x, raw, p), 1e-12,
                    "trial " + std::to_string(trial) + " n=" + std::to_string(n) +
                        " x=" + describe(x) + "p=" + describe(p));
        entries += static_cast<int>(raw.size());
    }
    EXPECT_GT(entries, 10000);
}

// The model computed another way: score point by score point, with the items
// not yet placed choosing how many go to the next point, C(left, c) p^c, in
// extended precision with the floor applied as the model applies it.
std::vector<double> byScorePoint(int n, const std::vector<int>& x, const std::vector<double>& p) {
    using Real = long double;
    const int span = n * (x.back() - x.front());
    std::vector<std::vector<Real>> binomial(n + 1);
    for (int a = 0; a <= n; ++a) {
        binomial[a].assign(a + 1, 1.0L);
        for (int c = 1; c < a; ++c) binomial[a][c] = binomial[a - 1][c - 1] + binomial[a - 1][c];
    }
    // placed[i][r]: i items placed so far, scoring r above n x_1 together.
    std::vector<std::vector<Real>> placed(n + 1, std::vector<Real>(span + 1, 0.0L));
    placed[0][0] = 1.0L;
    for (std::size_t m = 0; m < x.size(); ++m) {
        const Real pm = p[m] > 0.0 ? p[m] : tl::proportionFloor();
        const int d = x[m] - x.front();
        std::vector<std::vector<Real>> next(n + 1, std::vector<Real>(span + 1, 0.0L));
        for (int i = 0; i <= n; ++i) {
            Real power = 1.0L;
            for (int c = 0; i + c <= n; ++c, power *= pm) {
                const Real factor = binomial[n - i][c] * power;
                for (int r = 0; r + c * d <= span; ++r)
                    next[i + c][r + c * d] += placed[i][r] * factor;
            }
        }
        placed.swap(next);
    }
    return {placed[n].begin(), placed[n].end()};
}

TEST(RawConvolution, LargeSetsAgreeWithAnExtendedPrecisionComputation) {
    struct Case {
        int items;
        int points;  // 0 .. points - 1
    };
    std::mt19937_64 rng(60);
    for (const Case c : {Case{60, 7}, Case{20, 15}, Case{220, 2}, Case{100, 4}}) {
        std::vector<int> x;
        for (int m = 0; m < c.points; ++m) x.push_back(m);
        const std::vector<double> xs(x.begin(), x.end());
        const std::vector<double> raw = wholeRange(0, c.items * (c.points - 1));
        for (int examinee = 0; examinee < 4; ++examinee) {
            const std::vector<double> p = randomProportions(rng, c.points, c.items);
            expectClose(convolved(c.items, xs, raw, p), byScorePoint(c.items, x, p), 1e-13,
                        std::to_string(c.items) + " items, " + std::to_string(c.points) +
                            " points, p=" + describe(p));
        }
    }
}

// ---------------------------------------------------------------------------
// Composite distribution

std::vector<double> convolvedComposite(const std::vector<SetData>& sets, std::int32_t lowest,
                                       std::size_t count) {
    std::vector<double> out(count, -1.0);
    tl::convolveCompositeDistribution(rowsOf(sets), lowest, out);
    return out;
}

std::vector<double> flat(std::size_t size) {
    return std::vector<double>(size, 1.0 / size);
}

TEST(CompositeConvolution, AppliesWhenEveryPartialSumIsExact) {
    struct Case {
        const char* name;
        std::vector<double> weights;
        int rawLength;
        bool applies;
    };
    const Case cases[] = {
        {"halves", {0.5, 0.5}, 41, true},
        {"mixed binary", {1, 1.5, 0.25, 3, 0.75}, 281, true},
        {"negative and zero", {-0.5, 0, 2}, 100, true},
        {"one set of any weight", {0.3}, 100, true},
        {"tenths", {0.1, 0.2}, 11, false},
        {"0.3", {1, 0.3}, 41, false},
        {"too fine to hold", {1, 0x1p-30}, 100, false},
        {"beyond 2^53", {0x1p50, 1}, 100, false},
        {"coarse", {0x1p40, 0x1p41}, 100, true},
        {"just below 2^53", {0x1p52 - 1, 0x1p52 - 1}, 2, true},
        {"sum beyond 2^53", {0x1p52 - 1, 0x1p52 - 1, 0x1p52 - 1}, 2, false},
        {"infinite", {1, std::numeric_limits<double>::infinity()}, 3, false},
    };
    for (const Case& c : cases) {
        std::vector<SetData> sets;
        for (double w : c.weights) sets.emplace_back(w, 0, flat(c.rawLength));
        EXPECT_EQ(tl::compositeConvolutionApplies(rowsOf(sets)), c.applies) << c.name;
    }
}

std::vector<double> pointMass(std::size_t size, std::size_t at) {
    std::vector<double> p(size, 0.0);
    p[at] = 1.0;
    return p;
}

TEST(CompositeConvolution, RoundsTheWholeSumHalfAwayFromZero) {
    // Two sets of weight 0.5 on raw scores -3 .. 3 and a third of weight 0.25 on
    // -2 .. 2; the scale is -4 .. 4. Each examinee is certain of one raw score per set.
    struct Case {
        int raw1, raw2, raw3;
        int composite;
    };
    const Case cases[] = {{1, 2, 0, 2},  {1, 0, 0, 1},     {-1, 0, 0, -1}, {0, -1, 0, -1},
                          {1, 0, -2, 0}, {1, 0, 2, 1},     {0, 0, 2, 1},   {0, 0, -2, -1},
                          {3, 3, 2, 4},  {-3, -3, -2, -4}, {1, 1, -1, 1},  {0, 0, 1, 0}};
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.raw1) + "," + std::to_string(c.raw2) + "," +
                     std::to_string(c.raw3));
        const std::vector<SetData> sets{SetData(0.5, -3, pointMass(7, c.raw1 + 3)),
                                        SetData(0.5, -3, pointMass(7, c.raw2 + 3)),
                                        SetData(0.25, -2, pointMass(5, c.raw3 + 2))};
        const std::vector<double> want = pointMass(9, static_cast<std::size_t>(c.composite + 4));
        EXPECT_EQ(convolvedComposite(sets, -4, 9), want);
        EXPECT_EQ(literalComposite(sets, -4, 9), want);
    }
}

SetData randomSetData(std::mt19937_64& rng, std::size_t setCount) {
    static const double weights[] = {0.5, 1.0, 1.5, 2.0, 3.0, 0.25, 0.75, 0.0, -1.0, -0.5, 0.125};
    const double weight = weights[std::uniform_int_distribution<int>(0, 10)(rng)];
    const int maxLength = setCount == 2 ? 60 : setCount == 3 ? 20 : 9;
    const int length = std::uniform_int_distribution<int>(1, maxLength)(rng);
    const std::int32_t minRaw = std::uniform_int_distribution<std::int32_t>(-6, 4)(rng);
    std::uniform_real_distribution<double> unit(0.0, 1.0);
    std::vector<double> p(static_cast<std::size_t>(length));
    const double zeroShare = unit(rng) * 0.4;
    for (double& v : p) v = unit(rng) < zeroShare ? 0.0 : 0.001 + unit(rng);
    return SetData(weight, minRaw, std::move(p));
}

TEST(CompositeConvolutionProperty, FilesEveryCombinationWhereTheNestedLoopsDo) {
    std::mt19937_64 rng(2718281828);
    for (int trial = 0; trial < 600; ++trial) {
        const auto setCount =
            static_cast<std::size_t>(std::uniform_int_distribution<int>(1, 4)(rng));
        std::vector<SetData> sets;
        double lowest = 0.0, highest = 0.0;
        for (std::size_t s = 0; s < setCount; ++s) {
            sets.push_back(randomSetData(rng, setCount));
            lowest += std::min(sets.back().weighted.front(), sets.back().weighted.back());
            highest += std::max(sets.back().weighted.front(), sets.back().weighted.back());
        }
        // A scale around the reachable sums, sometimes cut short at either end.
        const auto minComposite =
            static_cast<std::int32_t>(lowest) + std::uniform_int_distribution<int>(-2, 2)(rng);
        const auto maxComposite =
            static_cast<std::int32_t>(highest) + std::uniform_int_distribution<int>(-2, 2)(rng);
        const std::size_t count = maxComposite >= minComposite
                                      ? static_cast<std::size_t>(maxComposite - minComposite + 1)
                                      : 1;
        ASSERT_TRUE(tl::compositeConvolutionApplies(rowsOf(sets)));
        const std::vector<double> got = convolvedComposite(sets, minComposite, count);
        const std::vector<double> want = literalComposite(sets, minComposite, count);
        const std::string context = "trial " + std::to_string(trial) + ", " +
                                    std::to_string(setCount) + " sets, scale from " +
                                    std::to_string(minComposite) + ": ";
        // Products of positive probabilities do not vanish, so a combination filed
        // under another score would show up as a zero against a nonzero entry.
        for (std::size_t c = 0; c < count; ++c)
            ASSERT_EQ(got[c] == 0.0, want[c] == 0.0) << context << "entry " << c;
        expectClose(got, want, 1e-12, context);
    }
}

TEST(CompositeConvolution, ManyCombinationsAgreeWithTheNestedLoops) {
    // 281 x 281 x 41 combinations, weights that give halves and quarters.
    std::mt19937_64 rng(9);
    std::uniform_real_distribution<double> unit(0.0, 1.0);
    auto bell = [&](int length) {
        std::vector<double> p(static_cast<std::size_t>(length));
        const double centre = unit(rng) * length, width = 2.0 + unit(rng) * length / 4;
        for (int j = 0; j < length; ++j) p[j] = std::exp(-(j - centre) * (j - centre) / width);
        return p;
    };
    const std::vector<SetData> sets{SetData(1.0, 0, bell(281)), SetData(0.75, 0, bell(281)),
                                    SetData(0.5, 0, bell(41))};
    const auto count = static_cast<std::size_t>(281 + 211 + 21);
    std::vector<double> want(count);
    tl::computeCompositeDistribution(rowsOf(sets), 0, want);
    expectClose(convolvedComposite(sets, 0, count), want, 1e-12, "");
}

}  // namespace
