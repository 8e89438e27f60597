// Scale scores: the scale-score error variance of one composite distribution,
// the same found where the composite distributions are, and whole runs of
// examples and recorded cases with the identity table and with a table that is
// not, each summary recomputed here from the per-examinee values that
// examinees.csv holds.
#include "classify/scale_scores.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <map>

#include "analysis/analyze.h"
#include "classify/category_groups.h"
#include "core/errors.h"
#include "input/control_card_reader.h"
#include "input/file_data_source.h"
#include "model/scale_score_variance.h"
#include "plan/score_ranges.h"
#include "platform/text_file.h"
#include "support/program_run.h"

namespace tl {
namespace {

constexpr double kNan = std::numeric_limits<double>::quiet_NaN();

// ---- One distribution ------------------------------------------------------

struct VarianceCase {
    const char* name;
    std::vector<double> q;
    std::vector<double> scale;
    double expected;
};

void PrintTo(const VarianceCase& c, std::ostream* os) {
    *os << c.name;
}

class ScaleVariance : public ::testing::TestWithParam<VarianceCase> {};

TEST_P(ScaleVariance, IsTheVarianceOfTheScaleScoreGivenTheDistribution) {
    const VarianceCase& c = GetParam();
    const double got = scaleScoreVariance(c.q, c.scale);
    if (std::isnan(c.expected)) {
        EXPECT_TRUE(std::isnan(got));
    } else {
        EXPECT_NEAR(got, c.expected, 1e-12 * (1.0 + c.expected));
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ScaleVariance,
    ::testing::Values(VarianceCase{"OnePointIsExactlyZero", {0, 1, 0}, {100, 110.1, 120}, 0.0},
                      VarianceCase{"TwoEqualHalves", {0.5, 0, 0.5}, {100, 105, 120}, 100.0},
                      VarianceCase{"IdentityIsTheScoreVariance", {0.2, 0.3, 0.5}, {0, 1, 2}, 0.61},
                      // Probability off the list (m = 0.5) is left out: the rest is rescaled.
                      VarianceCase{"RescaledByTheMassOnTheList", {0.25, 0, 0.25}, {0, 1, 4}, 4.0},
                      VarianceCase{"EqualScaleScoresHaveNoSpread", {0.4, 0.6}, {200, 200}, 0.0},
                      VarianceCase{"NoMassIsUndefined", {0, 0, 0}, {1, 2, 3}, kNan}),
    [](const auto& info) { return std::string(info.param.name); });

// Two sets: raw scores 0..2 (weight 1) and 0..1 (weight 2), composite 0..4.
// The variance found beside the category probabilities equals the one
// computed here from the composite distribution summed by hand.
TEST(ScaleVariance, FoundWithTheCompositeDistributionOfEachGroup) {
    const std::vector<double> rawA{0, 1, 2}, rawB{0, 1};
    SetDistributions a, b;
    a.entryCount = 3, a.profileCount = 2, a.rows = {0.2, 0.3, 0.5, 0.6, 0.4, 0.0};
    a.profileOf = {0, 1, 0};
    b.entryCount = 2, b.profileCount = 2, b.rows = {0.7, 0.3, 0.1, 0.9};
    b.profileOf = {0, 0, 1};
    const std::vector<SetDistributions> sets{a, b};
    const std::vector<SetScale> scales{{1.0, rawA}, {2.0, rawB}};
    const std::vector<double> composite{0, 1, 2, 3, 4};
    const std::vector<double> scale{100, 103, 107, 112, 112};
    const std::vector<double> cuts{2};
    const CompositeSetup setup;
    CategoryInputs inputs;
    inputs.sets = sets;
    inputs.scales = scales;
    inputs.compositeScores = composite;
    inputs.observedCuts = cuts;
    inputs.categoryCount = 2;
    inputs.composite = &setup;
    inputs.scaleScores = scale;
    const CategoryGroups groups = computeCategoryGroups(inputs);
    ASSERT_EQ(groups.scaleVariance.size(), 3u);  // three distinct profile pairs
    for (std::size_t e = 0; e < 3; ++e) {
        std::vector<double> q(5, 0.0);
        for (std::size_t i = 0; i < 3; ++i)
            for (std::size_t j = 0; j < 2; ++j)
                q[i + 2 * j] += a.row(a.profileOf[e])[i] * b.row(b.profileOf[e])[j];
        double m = 0, s1 = 0, s2 = 0;
        for (std::size_t x = 0; x < 5; ++x) {
            m += q[x];
            s1 += q[x] * scale[x];
            s2 += q[x] * scale[x] * scale[x];
        }
        const double direct = s2 / m - (s1 / m) * (s1 / m);
        EXPECT_NEAR(groups.scaleVariance[groups.groupOf[e]], direct, 1e-9) << "examinee " << e;
    }
    // Without scale scores nothing more is computed or kept.
    inputs.scaleScores = {};
    EXPECT_TRUE(computeCategoryGroups(inputs).scaleVariance.empty());
}

// ---- Whole runs ------------------------------------------------------------

struct Source {
    const char* name;
    bool example;
    // (n - 1) / n when every set has n items and a whole weight: the identity
    // table's scale-score variance is then the composite error variance times
    // it. 0 where the weights round the composite.
    double identityRatio;
};

void PrintTo(const Source& s, std::ostream* os) {
    *os << s.name;
}

std::filesystem::path folderOf(const Source& s) {
    return std::filesystem::path(s.example ? TESSERLINK_EXAMPLES : TESSERLINK_FIXTURES) / s.name;
}

ControlCard cardIn(const std::filesystem::path& folder) {
    const testing::WorkingDirectory inside(folder);
    return readControlCard(*readTextFile("card.txt"), "card.txt");
}

Results run(const std::filesystem::path& folder, const ControlCard& card,
            std::optional<ScaleRequest> scale, unsigned threads = 2, Engine engine = Engine::Auto,
            std::int64_t bootstrap = 0, bool tables = true) {
    const testing::WorkingDirectory inside(folder);
    FileDataSource data(card);
    AnalysisOptions options;
    options.tables = tables;
    options.threads = threads;
    options.engine = engine;
    options.bootstrapReplicates = bootstrap;
    options.scale = std::move(scale);
    return analyze(card, data, options);
}

// The table s(x) of every composite score.
ScaleRequest tableOf(const ControlCard& card, double (*s)(double), bool cutsOnScale = false) {
    const CompositeScale composite = deriveScoreScales(card).composite;
    ScaleRequest request;
    request.table.source = "conversion.csv";
    for (std::int64_t line = 2; double x : composite.compositeScores) {
        request.table.raw.push_back(x);
        request.table.scale.push_back(s(x));
        request.table.lines.push_back(line++);
    }
    request.cutsOnScale = cutsOnScale;
    return request;
}

double identity(double x) {
    return x;
}
// Rising, not linear, not whole.
double stepped(double x) {
    return 200.0 + 2.5 * x + (static_cast<std::int64_t>(std::fabs(x)) % 3 == 0 ? 0.5 : 0.0);
}

double roundedHalfAway(double x) {
    return x < 0 ? -std::trunc(-x + 0.5) : std::trunc(x + 0.5);
}

class ScaleRun : public ::testing::TestWithParam<Source> {};

TEST_P(ScaleRun, IdentityTableGivesTheRawCutsAndTheRoundedComposites) {
    const std::filesystem::path folder = folderOf(GetParam());
    const ControlCard card = cardIn(folder);
    const Results r = run(folder, card, tableOf(card, identity));
    ASSERT_TRUE(r.scale);
    const ScaleResults& s = *r.scale;
    ASSERT_EQ(s.plan.observedCuts.size(), card.observedCuts.size());
    for (std::size_t j = 0; j < card.observedCuts.size(); ++j) {
        if (card.observedCuts[j] != std::trunc(card.observedCuts[j])) continue;  // 22.5 -> 23
        EXPECT_EQ(s.plan.observedCuts[j].scale, card.observedCuts[j]);
        EXPECT_EQ(s.plan.observedCuts[j].raw, card.observedCuts[j]);
    }
    EXPECT_EQ(r.card.observedCuts, card.observedCuts);
    for (std::size_t i = 0; i < r.observedComposite.size(); ++i) {
        EXPECT_EQ(s.scaleScoreOf(r.observedComposite[i]), roundedHalfAway(r.observedComposite[i]));
        if (GetParam().identityRatio > 0) {
            EXPECT_NEAR(s.errorVariance[i], r.compositeErrorVariance[i] * GetParam().identityRatio,
                        1e-9 * (1.0 + r.compositeErrorVariance[i]))
                << "examinee " << i;
        }
    }
}

// mean, variance (divisor N), average error variance, reliability and the
// CSEM rows, recomputed from each examinee's scale score and error variance.
TEST_P(ScaleRun, SummariesFollowTheirDefinitions) {
    const std::filesystem::path folder = folderOf(GetParam());
    const ControlCard card = cardIn(folder);
    const Results r = run(folder, card, tableOf(card, stepped));
    const ScaleResults& s = *r.scale;
    const std::size_t n = r.observedComposite.size();
    ASSERT_EQ(s.errorVariance.size(), n);
    double sum = 0, errors = 0;
    std::map<double, std::pair<int, double>> rows;
    for (std::size_t i = 0; i < n; ++i) {
        const double score = stepped(roundedHalfAway(r.observedComposite[i]));
        EXPECT_EQ(s.scaleScoreOf(r.observedComposite[i]), score);
        EXPECT_GE(s.errorVariance[i], 0.0);
        sum += score;
        errors += s.errorVariance[i];
        rows[score].first += 1;
        rows[score].second += s.errorVariance[i];
    }
    const double mean = sum / static_cast<double>(n);
    double squares = 0;
    for (std::size_t i = 0; i < n; ++i) {
        const double d = s.scaleScoreOf(r.observedComposite[i]) - mean;
        squares += d * d;
    }
    const double variance = squares / static_cast<double>(n);
    const double average = errors / static_cast<double>(n);
    EXPECT_NEAR(s.mean, mean, 1e-12 * std::fabs(mean));
    EXPECT_NEAR(s.reliability.sampleVariance, variance, 1e-10 * variance);
    EXPECT_NEAR(s.reliability.averageErrorVariance, average, 1e-10 * average);
    EXPECT_NEAR(s.reliability.reliability, 1.0 - average / variance, 1e-10);
    ASSERT_EQ(s.csem.size(), rows.size());
    std::size_t k = 0;
    for (const auto& [score, row] : rows) {
        EXPECT_EQ(s.csem[k].score, score);
        EXPECT_EQ(s.csem[k].examinees, row.first);
        EXPECT_NEAR(s.csem[k].errorVariance, row.second / row.first, 1e-10 * (1 + row.second));
        EXPECT_EQ(s.csem[k].csem, std::sqrt(s.csem[k].errorVariance));
        ++k;
    }
}

// Cuts written on the scale as the scale scores of the raw cuts classify as
// the raw cuts do; raw cuts get the scale score of the first score above them.
TEST_P(ScaleRun, CutsOnTheScaleClassifyAsTheirRawCuts) {
    const std::filesystem::path folder = folderOf(GetParam());
    const ControlCard card = cardIn(folder);
    const Results raw = run(folder, card, tableOf(card, stepped));
    ControlCard onScale = card;
    for (std::size_t j = 0; j < card.observedCuts.size(); ++j) {
        EXPECT_EQ(raw.scale->plan.observedCuts[j].scale, stepped(std::ceil(card.observedCuts[j])));
        onScale.observedCuts[j] = raw.scale->plan.observedCuts[j].scale;
        onScale.trueCuts[j] = raw.scale->plan.trueCuts[j].scale;
    }
    const Results scaled = run(folder, onScale, tableOf(card, stepped, true));
    ASSERT_TRUE(scaled.scale->plan.cutsOnScale);
    for (std::size_t j = 0; j < card.observedCuts.size(); ++j) {
        EXPECT_EQ(scaled.card.observedCuts[j], std::ceil(card.observedCuts[j]));
        EXPECT_EQ(scaled.scale->plan.observedCuts[j].raw, std::ceil(card.observedCuts[j]));
        EXPECT_EQ(scaled.scale->plan.observedCuts[j].scale, onScale.observedCuts[j]);
    }
    EXPECT_EQ(scaled.classification.overall.consistency, raw.classification.overall.consistency);
    EXPECT_EQ(scaled.classification.overall.kappa, raw.classification.overall.kappa);
}

TEST_P(ScaleRun, SameForAnyThreadCountAndCloseByConvolution) {
    const std::filesystem::path folder = folderOf(GetParam());
    const ControlCard card = cardIn(folder);
    const Results one = run(folder, card, tableOf(card, stepped), 1);
    const Results two = run(folder, card, tableOf(card, stepped), 2);
    EXPECT_EQ(one.scale->errorVariance, two.scale->errorVariance);
    const Results convolved = run(folder, card, tableOf(card, stepped), 2, Engine::Convolve);
    for (std::size_t i = 0; i < one.scale->errorVariance.size(); ++i) {
        const double v = one.scale->errorVariance[i];
        EXPECT_NEAR(convolved.scale->errorVariance[i], v, 1e-9 * (1.0 + v)) << "examinee " << i;
    }
}

// A run without its tables (the report alone) skips the CSEM rows, which sort
// the examinees, and nothing else.
TEST_P(ScaleRun, WithoutTablesOnlyTheRowsAreLeftOut) {
    const std::filesystem::path folder = folderOf(GetParam());
    const ControlCard card = cardIn(folder);
    const Results full = run(folder, card, tableOf(card, stepped));
    const Results bare = run(folder, card, tableOf(card, stepped), 2, Engine::Auto, 0, false);
    EXPECT_TRUE(bare.scale->csem.empty());
    EXPECT_FALSE(full.scale->csem.empty());
    EXPECT_EQ(bare.scale->errorVariance, full.scale->errorVariance);
    EXPECT_EQ(bare.scale->reliability.reliability, full.scale->reliability.reliability);
    EXPECT_EQ(bare.scale->mean, full.scale->mean);
}

TEST_P(ScaleRun, WithoutATableNothingIsComputed) {
    const std::filesystem::path folder = folderOf(GetParam());
    EXPECT_FALSE(run(folder, cardIn(folder), std::nullopt).scale);
}

INSTANTIATE_TEST_SUITE_P(
    Runs, ScaleRun,
    ::testing::Values(Source{"valid-02", false, 0}, Source{"bias-01", false, 0},
                      Source{"shape-40x0123", false, 0}, Source{"gcbs", true, 14.0 / 15.0},
                      Source{"mathexam", true, 12.0 / 13.0}, Source{"spisa", true, 8.0 / 9.0},
                      Source{"verbagg", true, 0}),
    [](const auto& info) { return testing::testNameOf(info.param.name); });

// A linear table a + b x multiplies every scale-score variance by b b.
TEST(ScaleRunLinear, ScalesTheVarianceBySlopeSquared) {
    const std::filesystem::path folder = std::filesystem::path(TESSERLINK_EXAMPLES) / "spisa";
    const ControlCard card = cardIn(folder);
    const Results id = run(folder, card, tableOf(card, identity));
    const Results lin = run(folder, card, tableOf(card, [](double x) { return 100.0 + 3.0 * x; }));
    for (std::size_t i = 0; i < id.scale->errorVariance.size(); ++i) {
        const double v = id.scale->errorVariance[i];
        EXPECT_NEAR(lin.scale->errorVariance[i], 9.0 * v, 1e-8 * (1.0 + v));
    }
    EXPECT_NEAR(lin.scale->reliability.reliability, id.scale->reliability.reliability, 1e-10);
}

// The scale reliability's spread over replicates, with and without the
// second pass: the same for any thread count, and spread.
TEST(ScaleBootstrap, SpreadsTheScaleReliabilityAsTheRawOne) {
    for (const char* name : {"spisa", "verbagg"}) {
        const std::filesystem::path folder = std::filesystem::path(TESSERLINK_EXAMPLES) / name;
        const ControlCard card = cardIn(folder);
        const Results one = run(folder, card, tableOf(card, stepped), 1, Engine::Auto, 40);
        const Results two = run(folder, card, tableOf(card, stepped), 2, Engine::Auto, 40);
        const IndexSpread& a = one.bootstrap->scaleReliability;
        const IndexSpread& b = two.bootstrap->scaleReliability;
        EXPECT_EQ(a.se, b.se) << name;
        EXPECT_EQ(a.ciLow, b.ciLow) << name;
        EXPECT_GT(a.se, 0.0) << name;
        EXPECT_LT(a.ciLow, one.scale->reliability.reliability) << name;
        EXPECT_GT(a.ciHigh, one.scale->reliability.reliability) << name;
        EXPECT_EQ(a.replicatesUndefined, 0) << name;
    }
}

TEST(ScaleRunErrors, ACutNoScoreReachesIsNamed) {
    const std::filesystem::path folder = std::filesystem::path(TESSERLINK_EXAMPLES) / "spisa";
    ControlCard card = cardIn(folder);
    card.observedCuts.back() = 1e6;
    try {
        run(folder, card, tableOf(card, stepped, true));
        FAIL() << "accepted";
    } catch (const InputError& e) {
        EXPECT_EQ(std::string(e.what()),
                  "conversion.csv: no composite score reaches the observed cut 2, 1000000 on the "
                  "scale; lower the cut or extend the table");
    }
}

}  // namespace
}  // namespace tl
