// CSEM, diagnostic statistics and agreement on recorded runs and examples:
// each recomputed here from the per-examinee values that examinees.csv holds,
// and the identities that tie them to the tables.
#include "classify/precision_indices.h"

#include <gtest/gtest.h>

#include <cmath>
#include <map>

#include "classify/csem.h"
#include "support/card_folder.h"

namespace tl {
namespace {

constexpr double kTol = 1e-12;

struct Source {
    const char* name;
    bool example;
};

void PrintTo(const Source& s, std::ostream* os) {
    *os << s.name;
}

class Precision : public ::testing::TestWithParam<Source> {
  protected:
    static Results analyzed() {
        const Source& s = GetParam();
        return testing::analyzeCardFolder(
            std::filesystem::path(s.example ? TESSERLINK_EXAMPLES : TESSERLINK_FIXTURES) / s.name);
    }
};

TEST_P(Precision, CsemFollowsItsDefinition) {
    const Results r = analyzed();
    const ClassificationTables& t = *r.tables;
    const Classification& c = r.classification;
    struct Group {
        int count = 0;
        double variance = 0, positive = 0, negative = 0;
    };
    std::map<double, Group> byScore;
    for (std::size_t i = 0; i < r.observedComposite.size(); ++i) {
        Group& g = byScore[r.observedComposite[i]];
        ++g.count;
        g.variance += r.compositeErrorVariance[i];
        g.positive += c.conditionalFalsePositive[i];
        g.negative += c.conditionalFalseNegative[i];
        EXPECT_EQ(t.examineeCsem[i], std::sqrt(r.compositeErrorVariance[i]));
    }
    ASSERT_EQ(t.csem.size(), byScore.size());
    ASSERT_EQ(t.conditional.size(), byScore.size());
    std::size_t row = 0;
    for (const auto& [score, g] : byScore) {
        const CsemRow& got = t.csem[row];
        EXPECT_EQ(got.score, score);
        EXPECT_EQ(got.examinees, g.count);
        EXPECT_NEAR(got.errorVariance, g.variance / g.count, kTol);
        EXPECT_EQ(got.csem, std::sqrt(got.errorVariance));
        const ConditionalRow& conditional = t.conditional[row];
        EXPECT_EQ(conditional.errorVariance, got.errorVariance);
        EXPECT_EQ(conditional.csem, got.csem);
        EXPECT_NEAR(conditional.falsePositive, g.positive / g.count, kTol);
        EXPECT_NEAR(conditional.falseNegative, g.negative / g.count, kTol);
        ++row;
    }
    // At each cut: the row at the cut, or the line between its neighbours.
    ASSERT_EQ(t.cutCsem.size(), r.card.observedCuts.size());
    for (std::size_t cut = 0; cut < t.cutCsem.size(); ++cut) {
        const double x = r.card.observedCuts[cut];
        const auto above = byScore.lower_bound(x);
        if (above != byScore.end() && above->first == x) {
            EXPECT_EQ(t.cutCsem[cut], std::sqrt(above->second.variance / above->second.count));
        } else if (above == byScore.begin() || above == byScore.end()) {
            EXPECT_TRUE(std::isnan(t.cutCsem[cut]));
        } else {
            const auto below = std::prev(above);
            const double lo = std::sqrt(below->second.variance / below->second.count);
            const double hi = std::sqrt(above->second.variance / above->second.count);
            const double share = (x - below->first) / (above->first - below->first);
            EXPECT_NEAR(t.cutCsem[cut], lo + share * (hi - lo), 1e-10) << "cut " << cut + 1;
        }
    }
}

TEST_P(Precision, DiagnosticStatisticsFollowTheirDefinitions) {
    const Results r = analyzed();
    const ClassificationTables& t = *r.tables;
    const auto k = static_cast<std::size_t>(r.categoryCount());
    const std::size_t n = r.observedComposite.size();
    const std::vector<std::int32_t>& truth = r.classification.trueCategory;

    ASSERT_EQ(t.precision.cuts.size(), k - 1);
    for (std::size_t cut = 1; cut < k; ++cut) {
        double hitAbove = 0, hitBelow = 0, above = 0, below = 0, positives = 0;
        for (std::size_t i = 0; i < n; ++i) {
            const auto p = r.categoryProbabilities(i);
            double b = 0, a = 0;
            for (std::size_t m = 0; m < k; ++m) (m < cut ? b : a) += p[m];
            const bool positive = truth[i] > static_cast<int>(cut);
            (positive ? hitAbove : hitBelow) += positive ? a : b;
            positives += positive;
            above += a, below += b;
        }
        const CutDiagnostics& got = t.precision.cuts[cut - 1];
        EXPECT_NEAR(got.sensitivity, hitAbove / positives, kTol) << "cut " << cut;
        EXPECT_NEAR(got.specificity, hitBelow / (n - positives), kTol) << "cut " << cut;
        EXPECT_NEAR(got.ppv, hitAbove / above, kTol) << "cut " << cut;
        EXPECT_NEAR(got.npv, hitBelow / below, kTol) << "cut " << cut;
        EXPECT_EQ(got.youden, got.sensitivity + got.specificity - 1.0);

        // Sensitivity from the true-by-observed table: the block above the
        // cut on both sides over the true share above it.
        double block = 0, trueAbove = 0;
        for (std::size_t a = cut; a < k; ++a) {
            trueAbove += static_cast<double>(t.trueCounts[a]) / static_cast<double>(n);
            for (std::size_t b = cut; b < k; ++b) block += t.trueByObserved[a * k + b];
        }
        EXPECT_NEAR(got.sensitivity, block / trueAbove, 1e-12) << "cut " << cut;
    }

    ASSERT_EQ(t.precision.categories.size(), k);
    for (std::size_t m = 0; m < k; ++m) {
        double hits = 0, members = 0, assigned = 0;
        for (std::size_t i = 0; i < n; ++i) {
            const double p = r.categoryProbabilities(i)[m];
            if (truth[i] == static_cast<int>(m + 1)) hits += p, ++members;
            assigned += p;
        }
        const CategoryDiagnostics& got = t.precision.categories[m];
        if (members == 0) {
            EXPECT_TRUE(std::isnan(got.sensitivity));
        } else {
            EXPECT_NEAR(got.sensitivity, hits / members, kTol) << "category " << m + 1;
        }
        EXPECT_NEAR(got.ppv, hits / assigned, kTol) << "category " << m + 1;
    }
}

TEST_P(Precision, AgreementFollowsItsDefinition) {
    const Results r = analyzed();
    const ClassificationTables& t = *r.tables;
    const auto k = static_cast<std::size_t>(r.categoryCount());
    const Agreement& got = t.precision.agreement;
    if (k == 2) {
        EXPECT_EQ(got.weightedKappaLinear, r.classification.overall.kappa);
        EXPECT_EQ(got.weightedKappaQuadratic, r.classification.overall.kappa);
        EXPECT_TRUE(std::isnan(got.consistencyWithinOne));
        return;
    }
    double linear[2] = {0, 0}, quadratic[2] = {0, 0}, within = 0, accurateWithin = 0;
    for (std::size_t a = 0; a < k; ++a) {
        for (std::size_t b = 0; b < k; ++b) {
            const double d = std::fabs(static_cast<double>(a) - static_cast<double>(b));
            const double cell = t.consistencyTable[a * k + b];
            const double chance = t.consistencyMargins.rows[a] * t.consistencyMargins.rows[b];
            linear[0] += d * cell, linear[1] += d * chance;
            quadratic[0] += d * d * cell, quadratic[1] += d * d * chance;
            if (d <= 1) within += cell, accurateWithin += t.trueByObserved[a * k + b];
        }
    }
    EXPECT_NEAR(got.weightedKappaLinear, 1 - linear[0] / linear[1], 1e-10);
    EXPECT_NEAR(got.weightedKappaQuadratic, 1 - quadratic[0] / quadratic[1], 1e-10);
    EXPECT_NEAR(got.consistencyWithinOne, within, kTol);
    EXPECT_NEAR(got.accuracyWithinOne, accurateWithin, kTol);
    // Near misses earn credit: within one is at least the exact agreement.
    EXPECT_GE(got.consistencyWithinOne, r.classification.overall.consistency - kTol);
}

INSTANTIATE_TEST_SUITE_P(Runs, Precision,
                         ::testing::Values(Source{"valid-02", false}, Source{"bias-01", false},
                                           Source{"shape-40x0123", false}, Source{"bias-06", false},
                                           Source{"gcbs", true}, Source{"mathexam", true},
                                           Source{"spisa", true}, Source{"verbagg", true}),
                         [](const auto& info) { return testing::testNameOf(info.param.name); });

TEST(CsemAtCut, TakesTheRowOrTheLineBetweenRows) {
    const std::vector<CsemRow> rows{{10, 3, 4, 2}, {12, 1, 16, 4}, {13, 2, 25, 5}};
    struct Case {
        double cut, expected;
    } cases[] = {{10, 2}, {11, 3}, {12.5, 4.5}, {13, 5}};
    for (const Case& c : cases) EXPECT_EQ(csemAtCut(rows, c.cut), c.expected) << c.cut;
    EXPECT_TRUE(std::isnan(csemAtCut(rows, 9.5)));
    EXPECT_TRUE(std::isnan(csemAtCut(rows, 13.5)));
    EXPECT_TRUE(std::isnan(csemAtCut({}, 1)));
}

TEST(PrecisionIndices, AZeroDenominatorIsUndefined) {
    // Three categories, nobody truly in the top one and no probability in it.
    const std::vector<std::uint32_t> groupOf{0, 1};
    const std::vector<double> probabilities{0.75, 0.25, 0.0, 0.5, 0.5, 0.0};
    const std::vector<std::int32_t> truth{1, 2};
    const ClassifiedExaminees e{groupOf, probabilities, truth, 3, {}};
    const std::vector<std::uint32_t> all{0, 1};
    const PrecisionIndices p = precisionIndices(e, all, 0.0);
    EXPECT_TRUE(std::isnan(p.cuts[1].sensitivity));  // no one truly above cut 2
    EXPECT_TRUE(std::isnan(p.cuts[1].ppv));          // nothing classified above it
    EXPECT_TRUE(std::isnan(p.cuts[1].youden));
    EXPECT_EQ(p.cuts[1].specificity, 1.0);
    EXPECT_TRUE(std::isnan(p.categories[2].sensitivity));
    EXPECT_TRUE(std::isnan(p.categories[2].ppv));
    EXPECT_EQ(p.categories[0].sensitivity, 0.75);
    EXPECT_EQ(p.categories[1].ppv, 0.5 / 0.75);
    EXPECT_EQ(p.agreement.accuracyWithinOne, 1.0);
}

}  // namespace
}  // namespace tl
