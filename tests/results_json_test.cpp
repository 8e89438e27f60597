// results.json: every number the exact double of the run in shortest
// round-trip text, the keys a reader relies on, and each value meeting its
// definition recomputed here from the per-examinee rows of examinees.csv.
#include "results_files/results_json.h"

#include <gtest/gtest.h>

#include <charconv>
#include <cmath>
#include <limits>
#include <map>
#include <nlohmann/json.hpp>

#include "results_files/examinees_csv.h"
#include "results_files/json_text.h"
#include "results_files/number_text.h"
#include "support/csv_rows.h"
#include "support/results_files.h"

namespace tl {
namespace {

using Json = nlohmann::json;
using testing::jsonReal;
using testing::sameDouble;

TEST(NumberText, IsTheShortestTextThatReadsBack) {
    const double inf = std::numeric_limits<double>::infinity();
    const struct {
        double value;
        const char* shortest;
        const char* json;
    } cases[] = {
        {0.1, "0.1", "0.1"},
        {3.0, "3", "3.0"},
        {-0.0, "-0", "-0.0"},
        {1e-05, "1e-05", "1e-05"},
        {1e21, "1e+21", "1e+21"},
        {0.30000000000000004, "0.30000000000000004", "0.30000000000000004"},
        // Doubles the JSON library's own dump gives one digit too many.
        {0.3990535792111016, "0.3990535792111016", "0.3990535792111016"},
        {0.741134135154564, "0.741134135154564", "0.741134135154564"},
        {std::numeric_limits<double>::denorm_min(), "5e-324", "5e-324"},
        {std::numeric_limits<double>::max(), "1.7976931348623157e+308", "1.7976931348623157e+308"},
        {std::nan(""), nullptr, "null"},
        {inf, nullptr, "null"},
        {-inf, nullptr, "null"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(dumpJson(nlohmann::ordered_json(c.value)), std::string(c.json) + "\n");
        if (c.shortest) {
            EXPECT_EQ(shortestText(c.value), c.shortest);
            const Json back = Json::parse(c.json);
            EXPECT_TRUE(back.is_number_float()) << c.json << " must read as a real";
            EXPECT_TRUE(sameDouble(c.value, back.get<double>()));
        }
    }
}

TEST(JsonText, KeepsKeyOrderEscapesTextAndFlattensPlainArrays) {
    nlohmann::ordered_json doc;
    doc["b"] = "a \"quoted\"\nline";
    doc["a"] = {1, 2.5, nullptr, true};
    doc["rows"] = {{1.0, 2.0}, {3.0, 4.0}};
    doc["empty"] = nlohmann::ordered_json::object();
    EXPECT_EQ(dumpJson(doc),
              "{\n  \"b\": \"a \\\"quoted\\\"\\nline\",\n  \"a\": [1, 2.5, null, true],\n"
              "  \"rows\": [\n    [1.0, 2.0],\n    [3.0, 4.0]\n  ],\n  \"empty\": {}\n}\n");
    EXPECT_EQ(Json::parse(dumpJson(doc)), Json::parse(doc.dump()));
}

class ResultsJson : public ::testing::TestWithParam<std::string> {
  protected:
    const Results& r = testing::analysedRun(GetParam());
    const Json doc = Json::parse(composeResultsJson(r));
};

// Every real of the text, read back with strtod, is a double of the run; here
// the whole text is checked token by token against the parsed document.
TEST_P(ResultsJson, WritesEachRealInItsShortestRoundTripForm) {
    const std::string text = composeResultsJson(r);
    std::size_t reals = 0;
    for (std::size_t i = 0; i < text.size();) {
        const bool starts = (text[i] == '-' || std::isdigit(static_cast<unsigned char>(text[i]))) &&
                            (i == 0 || text[i - 1] == ' ' || text[i - 1] == '[');
        if (!starts) {
            ++i;
            continue;
        }
        std::size_t end = i;
        while (end < text.size() &&
               std::string_view("-+.0123456789e").find(text[end]) != std::string_view::npos)
            ++end;
        const std::string token = text.substr(i, end - i);
        if (token.find_first_of(".e") != std::string::npos) {
            double value = 0;
            std::from_chars(token.data(), token.data() + token.size(), value);
            std::string shortest = shortestText(value);
            if (shortest.find_first_of(".e") == std::string::npos) shortest += ".0";
            EXPECT_EQ(token, shortest) << "not the shortest form";
            ++reals;
        }
        i = end;
    }
    EXPECT_GT(reals, 40u);
}

TEST_P(ResultsJson, HoldsTheRunsDoublesUnderItsKeys) {
    const Classification& c = r.classification;
    const ClassificationTables& t = *r.tables;
    const auto k = static_cast<std::size_t>(r.categoryCount());
    for (const char* key :
         {"program", "examinees", "categories", "observed_cuts", "true_cuts", "bias_correction",
          "composite", "reliability", "overall", "category_counts", "expected_proportions", "cuts",
          "true_by_observed", "consistency_table", "conditional"}) {
        EXPECT_TRUE(doc.contains(key)) << key;
    }
    EXPECT_FALSE(doc.contains("bootstrap"));
    EXPECT_EQ(doc["program"]["name"], "tesserlink");
    EXPECT_EQ(doc["program"]["version"], "3.0");
    EXPECT_EQ(doc["examinees"], r.examineeCount);
    EXPECT_EQ(doc["categories"], r.categoryCount());
    EXPECT_EQ(doc["observed_cuts"].get<std::vector<double>>(), r.card.observedCuts);
    EXPECT_EQ(doc["true_cuts"].get<std::vector<double>>(), r.card.trueCuts);
    EXPECT_EQ(doc["bias_correction"], r.biasCorrected);

    const Json& o = doc["overall"];
    EXPECT_EQ(o.size(), 6u);
    EXPECT_TRUE(sameDouble(c.overall.consistency, jsonReal(o["consistency"])));
    EXPECT_TRUE(sameDouble(c.overall.chance, jsonReal(o["chance"])));
    EXPECT_TRUE(sameDouble(c.overall.kappa, jsonReal(o["kappa"])));
    EXPECT_TRUE(sameDouble(c.overall.accuracy, jsonReal(o["accuracy"])));
    EXPECT_TRUE(sameDouble(c.overall.falsePositive, jsonReal(o["false_positive"])));
    EXPECT_TRUE(sameDouble(c.overall.falseNegative, jsonReal(o["false_negative"])));
    EXPECT_TRUE(
        sameDouble(r.reliability.sampleVariance, jsonReal(doc["reliability"]["sample_variance"])));
    EXPECT_TRUE(sameDouble(r.reliability.averageErrorVariance,
                           jsonReal(doc["reliability"]["average_error_variance"])));
    EXPECT_TRUE(sameDouble(r.reliability.reliability, jsonReal(doc["reliability"]["reliability"])));
    EXPECT_TRUE(sameDouble(t.composite.mean, jsonReal(doc["composite"]["mean"])));
    EXPECT_TRUE(sameDouble(t.composite.variance, jsonReal(doc["composite"]["variance"])));
    EXPECT_TRUE(sameDouble(t.composite.sd, jsonReal(doc["composite"]["sd"])));
    EXPECT_TRUE(sameDouble(t.composite.min, jsonReal(doc["composite"]["min"])));
    EXPECT_TRUE(sameDouble(t.composite.max, jsonReal(doc["composite"]["max"])));
    EXPECT_EQ(doc["category_counts"]["observed"].get<std::vector<std::int64_t>>(),
              t.observedCounts);
    EXPECT_EQ(doc["category_counts"]["true"].get<std::vector<std::int64_t>>(), t.trueCounts);
    EXPECT_EQ(doc["expected_proportions"].get<std::vector<double>>(), c.categoryMarginal);

    ASSERT_EQ(doc["cuts"].size(), k - 1);
    for (std::size_t cut = 0; cut + 1 < k; ++cut) {
        const Json& j = doc["cuts"][cut];
        EXPECT_EQ(j["cut"], cut + 1);
        EXPECT_EQ(j["observed_cut"].get<double>(), r.card.observedCuts[cut]);
        EXPECT_EQ(j["true_cut"].get<double>(), r.card.trueCuts[cut]);
        EXPECT_TRUE(sameDouble(t.cuts[cut].consistency, jsonReal(j["consistency"])));
        EXPECT_TRUE(sameDouble(t.cuts[cut].chance, jsonReal(j["chance"])));
        EXPECT_TRUE(sameDouble(t.cuts[cut].kappa, jsonReal(j["kappa"])));
        EXPECT_TRUE(sameDouble(t.cuts[cut].accuracy, jsonReal(j["accuracy"])));
        EXPECT_TRUE(sameDouble(t.cuts[cut].falsePositive, jsonReal(j["false_positive"])));
        EXPECT_TRUE(sameDouble(t.cuts[cut].falseNegative, jsonReal(j["false_negative"])));
    }
    ASSERT_EQ(doc["true_by_observed"].size(), k);
    ASSERT_EQ(doc["consistency_table"].size(), k);
    for (std::size_t a = 0; a < k; ++a) {
        ASSERT_EQ(doc["true_by_observed"][a].size(), k);
        for (std::size_t b = 0; b < k; ++b) {
            EXPECT_TRUE(
                sameDouble(t.trueByObserved[a * k + b], jsonReal(doc["true_by_observed"][a][b])));
            EXPECT_TRUE(sameDouble(t.consistencyTable[a * k + b],
                                   jsonReal(doc["consistency_table"][a][b])));
        }
    }
    ASSERT_EQ(doc["conditional"].size(), t.conditional.size());
    for (std::size_t i = 0; i < t.conditional.size(); ++i) {
        const Json& j = doc["conditional"][i];
        EXPECT_EQ(j["score"].get<double>(), t.conditional[i].score);
        EXPECT_EQ(j["examinees"], t.conditional[i].examinees);
        EXPECT_TRUE(sameDouble(t.conditional[i].consistency, jsonReal(j["consistency"])));
        EXPECT_TRUE(sameDouble(t.conditional[i].accuracy, jsonReal(j["accuracy"])));
        EXPECT_EQ(j["probabilities"].get<std::vector<double>>(), t.conditional[i].probabilities);
    }
}

// The definitions, from examinees.csv alone: P(i, k), the true and observed
// categories and the composites of each examinee.
// CSEM, diagnostic statistics and agreement: the run's doubles under their keys
// (a zero denominator null), the within-one shares only from three categories.
TEST_P(ResultsJson, HoldsThePrecisionIndicesUnderTheirKeys) {
    const ClassificationTables& t = *r.tables;
    const auto k = static_cast<std::size_t>(r.categoryCount());
    ASSERT_EQ(doc["csem"].size(), t.csem.size());
    for (std::size_t i = 0; i < t.csem.size(); ++i) {
        const Json& j = doc["csem"][i];
        EXPECT_EQ(j.size(), 4u);
        EXPECT_TRUE(sameDouble(jsonReal(j["score"]), t.csem[i].score));
        EXPECT_EQ(j["examinees"], t.csem[i].examinees);
        EXPECT_TRUE(sameDouble(jsonReal(j["error_variance"]), t.csem[i].errorVariance));
        EXPECT_TRUE(sameDouble(jsonReal(doc["conditional"][i]["csem"]), t.csem[i].csem));
    }
    for (std::size_t c = 0; c + 1 < k; ++c) {
        const Json& j = doc["cuts"][c];
        EXPECT_TRUE(sameDouble(jsonReal(j["csem"]), t.cutCsem[c]));
        for (const CutDiagnosticsField& field : kCutDiagnosticsFields)
            EXPECT_TRUE(
                sameDouble(jsonReal(j[std::string(field.key)]), t.precision.cuts[c].*field.value));
    }
    ASSERT_EQ(doc["per_category"].size(), k);
    for (std::size_t m = 0; m < k; ++m) {
        const Json& j = doc["per_category"][m];
        EXPECT_EQ(j["category"], m + 1);
        EXPECT_EQ(j["label"], std::to_string(m + 1));
        EXPECT_TRUE(sameDouble(jsonReal(j["sensitivity"]), t.precision.categories[m].sensitivity));
        EXPECT_TRUE(sameDouble(jsonReal(j["ppv"]), t.precision.categories[m].ppv));
    }
    const Json& a = doc["agreement"];
    EXPECT_EQ(a.size(), k >= 3 ? 4u : 2u);
    EXPECT_EQ(a.contains("accuracy_within_one"), k >= 3);
    for (std::size_t f = 0; f < a.size(); ++f) {
        EXPECT_TRUE(sameDouble(jsonReal(a[std::string(kAgreementFields[f].key)]),
                               t.precision.agreement.*kAgreementFields[f].value));
    }
}

TEST_P(ResultsJson, MeetsTheDefinitionsRecomputedFromTheExamineeRows) {
    const auto rows = testing::parseCsv(composeExamineesCsv(r));
    const auto k = static_cast<std::size_t>(doc["categories"].get<int>());
    const std::size_t n = rows.size() - 1;
    ASSERT_EQ(n, doc["examinees"].get<std::size_t>());
    const double tol = 1e-12;

    double phi = 0, acc = 0, fp = 0, fn = 0, sum = 0, errorVariance = 0;
    double low = HUGE_VAL, high = -HUGE_VAL;
    std::vector<double> marginal(k, 0), trueByObserved(k * k, 0), agreement(k * k, 0);
    std::vector<double> cutAgree(k, 0), cutBelow(k, 0), cutAbove(k, 0), cutAcc(k, 0), cutFp(k, 0),
        cutFn(k, 0);
    std::vector<std::int64_t> observedCounts(k, 0), trueCounts(k, 0);
    struct Group {
        int n = 0;
        double phi = 0, acc = 0;
        std::vector<double> p;
    };
    std::map<double, Group> groups;
    std::vector<double> composites;
    for (std::size_t i = 1; i <= n; ++i) {
        const auto& row = rows[i];
        ASSERT_EQ(row.size(), 11 + k);
        const double x = testing::csvReal(row[1]);
        const auto observed = std::stoul(row[3]) - 1, truth = std::stoul(row[4]) - 1;
        std::vector<double> p(k);
        for (std::size_t m = 0; m < k; ++m) p[m] = testing::csvReal(row[5 + m]);
        double phiI = 0;
        for (std::size_t m = 0; m < k; ++m) {
            phiI += p[m] * p[m];
            marginal[m] += p[m];
            trueByObserved[truth * k + m] += p[m];
            for (std::size_t j = 0; j < k; ++j) agreement[j * k + m] += p[j] * p[m];
            (m > truth ? fp : m < truth ? fn : acc) += p[m];
        }
        phi += phiI;
        for (std::size_t cut = 1; cut < k; ++cut) {
            double below = 0, above = 0;
            for (std::size_t m = 0; m < k; ++m) (m < cut ? below : above) += p[m];
            cutAgree[cut] += below * below + above * above;
            cutBelow[cut] += below, cutAbove[cut] += above;
            cutAcc[cut] += truth >= cut ? above : below;
            cutFp[cut] += truth < cut ? above : 0;
            cutFn[cut] += truth >= cut ? below : 0;
        }
        ++observedCounts[observed], ++trueCounts[truth];
        sum += x, low = std::min(low, x), high = std::max(high, x);
        composites.push_back(x);
        errorVariance += testing::csvReal(row[9 + k]);
        EXPECT_EQ(testing::csvReal(row[10 + k]), std::sqrt(testing::csvReal(row[9 + k])));
        Group& g = groups[x];
        g.p.resize(k);
        ++g.n, g.phi += phiI, g.acc += p[truth];
        for (std::size_t m = 0; m < k; ++m) g.p[m] += p[m];
    }
    const double count = static_cast<double>(n);
    double chance = 0;
    for (double m : marginal) chance += (m / count) * (m / count);
    const Json& o = doc["overall"];
    EXPECT_NEAR(jsonReal(o["consistency"]), phi / count, tol);
    EXPECT_NEAR(jsonReal(o["chance"]), chance, tol);
    EXPECT_NEAR(jsonReal(o["kappa"]), (phi / count - chance) / (1 - chance), 1e-9);
    EXPECT_NEAR(jsonReal(o["accuracy"]), acc / count, tol);
    EXPECT_NEAR(jsonReal(o["false_positive"]), fp / count, tol);
    EXPECT_NEAR(jsonReal(o["false_negative"]), fn / count, tol);

    double mean = sum / count, variance = 0;
    for (double x : composites) variance += (x - mean) * (x - mean);
    variance /= count;
    EXPECT_NEAR(jsonReal(doc["composite"]["mean"]), mean, 1e-12 * std::abs(mean) + tol);
    EXPECT_NEAR(jsonReal(doc["composite"]["variance"]), variance, 1e-10 * variance);
    EXPECT_NEAR(jsonReal(doc["composite"]["sd"]), std::sqrt(variance), 1e-10 * std::sqrt(variance));
    EXPECT_EQ(jsonReal(doc["composite"]["min"]), low);
    EXPECT_EQ(jsonReal(doc["composite"]["max"]), high);
    EXPECT_EQ(jsonReal(doc["reliability"]["sample_variance"]),
              jsonReal(doc["composite"]["variance"]));
    const double averageError = errorVariance / count;
    EXPECT_NEAR(jsonReal(doc["reliability"]["average_error_variance"]), averageError,
                1e-10 * averageError);
    EXPECT_NEAR(jsonReal(doc["reliability"]["reliability"]), 1 - averageError / variance, 1e-10);
    EXPECT_EQ(doc["category_counts"]["observed"].get<std::vector<std::int64_t>>(), observedCounts);
    EXPECT_EQ(doc["category_counts"]["true"].get<std::vector<std::int64_t>>(), trueCounts);

    double trace = 0, diagonal = 0, upper = 0, lower = 0;
    for (std::size_t a = 0; a < k; ++a) {
        EXPECT_NEAR(jsonReal(doc["expected_proportions"][a]), marginal[a] / count, tol);
        trace += jsonReal(doc["consistency_table"][a][a]);
        for (std::size_t b = 0; b < k; ++b) {
            const double cell = jsonReal(doc["true_by_observed"][a][b]);
            EXPECT_NEAR(cell, trueByObserved[a * k + b] / count, tol);
            EXPECT_NEAR(jsonReal(doc["consistency_table"][a][b]), agreement[a * k + b] / count,
                        tol);
            (a == b ? diagonal : a < b ? upper : lower) += cell;
        }
    }
    EXPECT_NEAR(trace, jsonReal(o["consistency"]), tol);
    EXPECT_NEAR(diagonal, jsonReal(o["accuracy"]), tol);
    EXPECT_NEAR(upper, jsonReal(o["false_positive"]), tol);
    EXPECT_NEAR(lower, jsonReal(o["false_negative"]), tol);

    for (std::size_t cut = 1; cut < k; ++cut) {
        const Json& j = doc["cuts"][cut - 1];
        const double below = cutBelow[cut] / count, above = cutAbove[cut] / count;
        const double cutChance = below * below + above * above;
        EXPECT_NEAR(jsonReal(j["consistency"]), cutAgree[cut] / count, tol);
        EXPECT_NEAR(jsonReal(j["chance"]), cutChance, tol);
        EXPECT_NEAR(jsonReal(j["kappa"]), (cutAgree[cut] / count - cutChance) / (1 - cutChance),
                    1e-9);
        EXPECT_NEAR(jsonReal(j["accuracy"]), cutAcc[cut] / count, tol);
        EXPECT_NEAR(jsonReal(j["false_positive"]), cutFp[cut] / count, tol);
        EXPECT_NEAR(jsonReal(j["false_negative"]), cutFn[cut] / count, tol);
    }
    if (k == 2) {  // a single cut is the whole classification
        for (const char* index :
             {"consistency", "chance", "kappa", "accuracy", "false_positive", "false_negative"}) {
            EXPECT_NEAR(jsonReal(doc["cuts"][0][index]), jsonReal(o[index]), tol) << index;
        }
    }

    ASSERT_EQ(doc["conditional"].size(), groups.size());
    std::size_t i = 0;
    for (const auto& [score, g] : groups) {
        const Json& j = doc["conditional"][i++];
        EXPECT_EQ(jsonReal(j["score"]), score);
        EXPECT_EQ(j["examinees"], g.n);
        EXPECT_NEAR(jsonReal(j["consistency"]), g.phi / g.n, tol);
        EXPECT_NEAR(jsonReal(j["accuracy"]), g.acc / g.n, tol);
        for (std::size_t m = 0; m < k; ++m)
            EXPECT_NEAR(jsonReal(j["probabilities"][m]), g.p[m] / g.n, tol);
    }
}

INSTANTIATE_TEST_SUITE_P(Runs, ResultsJson, ::testing::ValuesIn(testing::resultsRuns()),
                         [](const auto& info) { return testing::testNameOf(info.param); });

}  // namespace
}  // namespace tl
