// The tables beside the overall indices, on recorded runs: the identities that
// tie them to the report's numbers, and each definition recomputed here
// directly from the per-examinee probabilities.
#include <gtest/gtest.h>

#include <cmath>
#include <map>

#include "support/card_folder.h"

namespace tl {
namespace {

class Tables : public ::testing::TestWithParam<const char*> {};

TEST_P(Tables, HoldTheirIdentitiesAndDefinitions) {
    const Results r =
        testing::analyzeCardFolder(std::filesystem::path(TESSERLINK_FIXTURES) / GetParam());
    ASSERT_TRUE(r.tables);
    const ClassificationTables& t = *r.tables;
    const Classification& c = r.classification;
    const auto k = static_cast<std::size_t>(r.categoryCount());
    const double n = r.examineeCount;
    const double tol = 1e-12;

    // The overall indices over the whole sample are the report's doubles.
    const IndexSet overall = overallIndices(r.classified(), wholeSample(r.examineeCount));
    EXPECT_EQ(overall.consistency, c.overall.consistency);
    EXPECT_EQ(overall.chance, c.overall.chance);
    EXPECT_EQ(overall.accuracy, c.overall.accuracy);
    EXPECT_EQ(overall.falsePositive, c.overall.falsePositive);
    EXPECT_EQ(overall.falseNegative, c.overall.falseNegative);

    double trace = 0, diagonal = 0, upper = 0, lower = 0;
    for (std::size_t a = 0; a < k; ++a) {
        trace += t.consistencyTable[a * k + a];
        for (std::size_t b = 0; b < k; ++b) {
            const double cell = t.trueByObserved[a * k + b];
            (a == b ? diagonal : a < b ? upper : lower) += cell;
        }
    }
    EXPECT_NEAR(trace, c.overall.consistency, tol);
    EXPECT_NEAR(diagonal, c.overall.accuracy, tol);
    EXPECT_NEAR(upper, c.overall.falsePositive, tol);
    EXPECT_NEAR(lower, c.overall.falseNegative, tol);
    if (k == 2) {
        EXPECT_EQ(t.cuts[0].consistency, c.overall.consistency);
        EXPECT_EQ(t.cuts[0].accuracy, c.overall.accuracy);
        EXPECT_EQ(t.cuts[0].kappa, c.overall.kappa);
    }

    // Per cut, from the definitions.
    ASSERT_EQ(t.cuts.size(), k - 1);
    for (std::size_t cut = 1; cut < k; ++cut) {
        double agree = 0, below = 0, above = 0, acc = 0, fp = 0, fn = 0;
        for (std::size_t i = 0; i < r.observedComposite.size(); ++i) {
            const auto p = r.categoryProbabilities(i);
            double b = 0, a = 0;
            for (std::size_t m = 0; m < k; ++m) (m < cut ? b : a) += p[m];
            const bool trulyAbove = c.trueCategory[i] > static_cast<int>(cut);
            agree += b * b + a * a, below += b, above += a;
            acc += trulyAbove ? a : b;
            fp += trulyAbove ? 0 : a;
            fn += trulyAbove ? b : 0;
        }
        const IndexSet& got = t.cuts[cut - 1];
        const double chance = (below / n) * (below / n) + (above / n) * (above / n);
        EXPECT_NEAR(got.consistency, agree / n, tol);
        EXPECT_NEAR(got.chance, chance, tol);
        EXPECT_NEAR(got.kappa, (agree / n - chance) / (1 - chance), 1e-9);
        EXPECT_NEAR(got.accuracy, acc / n, tol);
        EXPECT_NEAR(got.falsePositive, fp / n, tol);
        EXPECT_NEAR(got.falseNegative, fn / n, tol);
    }

    // Conditional rows: one per distinct score, ascending, counts adding up to N.
    std::map<double, int> counts;
    for (double x : r.observedComposite) ++counts[x];
    ASSERT_EQ(t.conditional.size(), counts.size());
    auto expected = counts.begin();
    for (const ConditionalRow& row : t.conditional) {
        EXPECT_EQ(row.score, expected->first);
        EXPECT_EQ(row.examinees, expected->second);
        ++expected;
    }
    std::int64_t observedTotal = 0, trueTotal = 0;
    for (std::size_t m = 0; m < k; ++m)
        observedTotal += t.observedCounts[m], trueTotal += t.trueCounts[m];
    EXPECT_EQ(observedTotal, r.examineeCount);
    EXPECT_EQ(trueTotal, r.examineeCount);
    EXPECT_EQ(t.composite.variance, r.reliability.sampleVariance);

    // Each examinee's observed category, and the margins of both tables.
    ASSERT_EQ(r.observedCategory.size(), r.observedComposite.size());
    std::vector<std::int64_t> perCategory(k, 0);
    for (std::size_t i = 0; i < r.observedComposite.size(); ++i) {
        const double x = r.observedComposite[i];
        std::int32_t expected = 1;
        for (double cut : r.card.observedCuts) expected += x >= cut ? 1 : 0;
        EXPECT_EQ(r.observedCategory[i], expected) << "examinee " << i + 1;
        ++perCategory[static_cast<std::size_t>(r.observedCategory[i] - 1)];
    }
    EXPECT_EQ(perCategory, t.observedCounts);
    for (const auto& [cells, margins] : {std::pair{&t.trueByObserved, &t.trueByObservedMargins},
                                         std::pair{&t.consistencyTable, &t.consistencyMargins}}) {
        double total = 0;
        for (std::size_t a = 0; a < k; ++a) {
            double row = 0, column = 0;
            for (std::size_t b = 0; b < k; ++b)
                row += (*cells)[a * k + b], column += (*cells)[b * k + a];
            EXPECT_NEAR(margins->rows[a], row, tol);
            EXPECT_NEAR(margins->columns[a], column, tol);
            // Summed over the true categories, a column is the category's marginal.
            if (cells == &t.trueByObserved) {
                EXPECT_NEAR(margins->columns[a], c.categoryMarginal[a], tol);
            }
            total += row;
        }
        EXPECT_NEAR(margins->total, total, tol);
    }
}

// One set, several sets, bias correction, and several categories.
INSTANTIATE_TEST_SUITE_P(Recorded, Tables,
                         ::testing::Values("valid-02", "bias-01", "shape-40x0123", "bias-06"),
                         [](const auto& info) { return testing::testNameOf(info.param); });

}  // namespace
}  // namespace tl
