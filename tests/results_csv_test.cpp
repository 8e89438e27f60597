// The CSV files: RFC 4180 syntax, their header rows and shapes, and every
// number the same double results.json holds (or the run, for examinees.csv).
#include "results_files/results_csv.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <nlohmann/json.hpp>

#include "results_files/csv_text.h"
#include "results_files/examinees_csv.h"
#include "results_files/results_json.h"
#include "support/csv_rows.h"
#include "support/results_files.h"

namespace tl {
namespace {

using Json = nlohmann::json;
using testing::csvReal;
using testing::jsonReal;
using testing::parseCsv;
using testing::sameDouble;

const std::vector<std::string> kIndices = {"consistency", "chance",         "kappa",
                                           "accuracy",    "false_positive", "false_negative"};

TEST(CsvText, QuotesOnlyWhatMustBeQuoted) {
    const struct {
        const char* field;
        const char* written;
    } cases[] = {
        {"plain", "plain"},
        {"", ""},
        {"a,b", "\"a,b\""},
        {"say \"hi\"", "\"say \"\"hi\"\"\""},
        {"two\r\nlines", "\"two\r\nlines\""},
        {"line\nfeed", "\"line\nfeed\""},
        {"café 1/2", "café 1/2"},
        // What a spreadsheet would open as a formula is written behind a quote,
        // and so is a leading quote, so that one quote always comes off again.
        {"=HYPERLINK(\"x\")", "\"'=HYPERLINK(\"\"x\"\")\""},
        {"+cmd|' /C calc'!A0", "'+cmd|' /C calc'!A0"},
        {"-2+3", "'-2+3"},
        {"@SUM(1,2)", "\"'@SUM(1,2)\""},
        {"\tx", "'\tx"},
        {"\rx", "\"'\rx\""},
        {"'quoted", "''quoted"},
        {"a=b", "a=b"},
        {" =b", " =b"},
    };
    CsvText csv;
    for (const auto& c : cases) {
        EXPECT_EQ(csvField(c.field), c.written);
        csv.text(c.field);
    }
    csv.endRow();
    const auto rows = parseCsv(csv.take());
    ASSERT_EQ(rows.size(), 1u);
    ASSERT_EQ(rows[0].size(), std::size(cases));
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        const std::string& read = rows[0][i];
        // A reader takes one leading quote off a cell that has it.
        EXPECT_EQ(
            opensAsFormula(cases[i].field) ? "'" + std::string(cases[i].field) : cases[i].field,
            read);
    }
}

// Numbers are never escaped, negative ones included.
TEST(CsvText, LeavesNegativeNumbersAlone) {
    CsvText csv;
    csv.number(-2.5);
    csv.integer(-3);
    csv.endRow();
    EXPECT_EQ(csv.take(), "-2.5,-3\r\n");
}

TEST(CsvText, WritesRealsShortestAndMissingValuesEmpty) {
    CsvText csv;
    for (double v : {0.1, 3.0, -2.5e-17, std::nan(""), std::numeric_limits<double>::infinity()}) {
        csv.number(v);
    }
    csv.integer(-42);
    csv.endRow();
    EXPECT_EQ(csv.take(), "0.1,3,-2.5e-17,,,-42\r\n");
}

class ResultsCsv : public ::testing::TestWithParam<std::string> {
  protected:
    const Results& r = testing::analysedRun(GetParam());
    const Json doc = Json::parse(composeResultsJson(r));
    const std::size_t k = static_cast<std::size_t>(r.categoryCount());
};

TEST_P(ResultsCsv, OverallAndCutsHoldTheJsonNumbers) {
    const auto overall = parseCsv(composeOverallCsv(r));
    ASSERT_EQ(overall.size(), 7u);
    EXPECT_EQ(overall[0], (testing::CsvRow{"index", "value"}));
    for (std::size_t i = 0; i < kIndices.size(); ++i) {
        ASSERT_EQ(overall[i + 1].size(), 2u);
        EXPECT_EQ(overall[i + 1][0], kIndices[i]);
        EXPECT_TRUE(sameDouble(jsonReal(doc["overall"][kIndices[i]]), csvReal(overall[i + 1][1])));
    }
    const auto cuts = parseCsv(composeCutsCsv(r));
    testing::CsvRow header = {"cut", "observed_cut", "true_cut"};
    header.insert(header.end(), kIndices.begin(), kIndices.end());
    header.push_back("csem");
    for (const CutDiagnosticsField& field : kCutDiagnosticsFields) header.emplace_back(field.key);
    ASSERT_EQ(cuts.size(), k);
    EXPECT_EQ(cuts[0], header);
    for (std::size_t c = 1; c < k; ++c) {
        ASSERT_EQ(cuts[c].size(), header.size());
        for (std::size_t col = 0; col < header.size(); ++col) {
            EXPECT_TRUE(
                sameDouble(jsonReal(doc["cuts"][c - 1][header[col]]), csvReal(cuts[c][col])))
                << "cut " << c << " " << header[col];
        }
    }
}

TEST_P(ResultsCsv, SquareTablesHoldTheJsonCellsAndMargins) {
    const struct {
        std::string csv, key, rowLabel, columnLabel;
    } tables[] = {{composeTrueByObservedCsv(r), "true_by_observed", "true", "observed"},
                  {composeConsistencyTableCsv(r), "consistency_table", "first", "second"}};
    for (const auto& table : tables) {
        const auto rows = parseCsv(table.csv);
        ASSERT_EQ(rows.size(), k + 2);
        testing::CsvRow header = {table.rowLabel + "_category"};
        for (std::size_t c = 1; c <= k; ++c)
            header.push_back(table.columnLabel + "_" + std::to_string(c));
        header.push_back("total");
        EXPECT_EQ(rows[0], header);
        const Json& margins = doc[table.key + "_margins"];
        for (std::size_t a = 0; a <= k; ++a) {
            const auto& row = rows[a + 1];
            ASSERT_EQ(row.size(), k + 2);
            EXPECT_EQ(row[0], a < k ? std::to_string(a + 1) : "total");
            for (std::size_t b = 0; b <= k; ++b) {
                const double expected = a < k && b < k ? jsonReal(doc[table.key][a][b])
                                        : a < k        ? jsonReal(margins["rows"][a])
                                        : b < k        ? jsonReal(margins["columns"][b])
                                                       : jsonReal(margins["total"]);
                EXPECT_TRUE(sameDouble(expected, csvReal(row[b + 1])))
                    << table.key << " " << a << "," << b;
            }
        }
    }
}

TEST_P(ResultsCsv, ConditionalHoldsTheJsonRows) {
    const auto rows = parseCsv(composeConditionalCsv(r));
    ASSERT_EQ(rows.size(), doc["conditional"].size() + 1);
    testing::CsvRow header = {"score", "examinees", "consistency", "accuracy"};
    for (std::size_t m = 1; m <= k; ++m) header.push_back("p_" + std::to_string(m));
    for (const char* column : {"false_positive", "false_negative", "error_variance", "csem"})
        header.push_back(column);
    EXPECT_EQ(rows[0], header);
    for (std::size_t i = 1; i < rows.size(); ++i) {
        const Json& j = doc["conditional"][i - 1];
        ASSERT_EQ(rows[i].size(), header.size());
        EXPECT_TRUE(sameDouble(jsonReal(j["score"]), csvReal(rows[i][0])));
        EXPECT_EQ(rows[i][1], std::to_string(j["examinees"].get<int>()));
        EXPECT_TRUE(sameDouble(jsonReal(j["consistency"]), csvReal(rows[i][2])));
        EXPECT_TRUE(sameDouble(jsonReal(j["accuracy"]), csvReal(rows[i][3])));
        for (std::size_t m = 0; m < k; ++m) {
            EXPECT_TRUE(sameDouble(jsonReal(j["probabilities"][m]), csvReal(rows[i][4 + m])));
        }
        for (std::size_t col = 4 + k; col < header.size(); ++col)
            EXPECT_TRUE(sameDouble(jsonReal(j[header[col]]), csvReal(rows[i][col]))) << header[col];
    }
}

// csem.csv, per_category.csv and agreement.csv: the results.json values.
TEST_P(ResultsCsv, PrecisionFilesHoldTheJsonNumbers) {
    const auto csem = parseCsv(composeCsemCsv(r));
    ASSERT_EQ(csem.size(), doc["csem"].size() + 1);
    const testing::CsvRow csemHeader{"score", "examinees", "error_variance", "csem"};
    EXPECT_EQ(csem[0], csemHeader);
    for (std::size_t i = 1; i < csem.size(); ++i) {
        for (const std::string& column : csemHeader)
            EXPECT_TRUE(sameDouble(jsonReal(doc["csem"][i - 1][column]),
                                   csvReal(csem[i][&column - &csemHeader[0]])));
    }

    const auto categories = parseCsv(composePerCategoryCsv(r));
    ASSERT_EQ(categories.size(), k + 1);
    EXPECT_EQ(categories[0], (testing::CsvRow{"category", "label", "sensitivity", "ppv"}));
    for (std::size_t m = 0; m < k; ++m) {
        const Json& j = doc["per_category"][m];
        EXPECT_EQ(categories[m + 1][0], std::to_string(m + 1));
        EXPECT_TRUE(sameDouble(jsonReal(j["sensitivity"]), csvReal(categories[m + 1][2])));
        EXPECT_TRUE(sameDouble(jsonReal(j["ppv"]), csvReal(categories[m + 1][3])));
    }

    const auto agreement = parseCsv(composeAgreementCsv(r));
    ASSERT_EQ(agreement.size(), doc["agreement"].size() + 1);
    ASSERT_EQ(agreement.size(), k >= 3 ? 5u : 3u);
    for (std::size_t i = 1; i < agreement.size(); ++i) {
        EXPECT_TRUE(
            sameDouble(jsonReal(doc["agreement"][agreement[i][0]]), csvReal(agreement[i][1])));
    }
}

TEST_P(ResultsCsv, ExamineesHoldEachExamineesDoubles) {
    const auto rows = parseCsv(composeExamineesCsv(r));
    ASSERT_EQ(rows.size(), r.observedComposite.size() + 1);
    ASSERT_EQ(rows[0].size(), 11 + k);
    EXPECT_EQ(rows[0][2], "true_category_composite");
    EXPECT_EQ(rows[0][9 + k], "error_variance");
    EXPECT_EQ(rows[0].back(), "csem");
    const Classification& c = r.classification;
    const auto truth = r.classificationComposite();
    for (std::size_t i = 0; i < r.observedComposite.size(); ++i) {
        const auto& row = rows[i + 1];
        ASSERT_EQ(row.size(), 11 + k);
        EXPECT_EQ(row[0], std::to_string(i + 1));
        EXPECT_TRUE(sameDouble(r.observedComposite[i], csvReal(row[1])));
        EXPECT_TRUE(sameDouble(truth[i], csvReal(row[2])));
        EXPECT_EQ(row[3], std::to_string(r.observedCategory[i]));
        EXPECT_EQ(row[4], std::to_string(c.trueCategory[i]));
        const auto p = r.categoryProbabilities(i);
        for (std::size_t m = 0; m < k; ++m) EXPECT_TRUE(sameDouble(p[m], csvReal(row[5 + m])));
        EXPECT_TRUE(sameDouble(c.conditionalConsistency[i], csvReal(row[5 + k])));
        EXPECT_TRUE(sameDouble(c.conditionalAccuracy[i], csvReal(row[6 + k])));
        EXPECT_TRUE(sameDouble(c.conditionalFalsePositive[i], csvReal(row[7 + k])));
        EXPECT_TRUE(sameDouble(c.conditionalFalseNegative[i], csvReal(row[8 + k])));
        EXPECT_TRUE(sameDouble(r.compositeErrorVariance[i], csvReal(row[9 + k])));
        EXPECT_TRUE(sameDouble(r.tables->examineeCsem[i], csvReal(row[10 + k])));
    }
}

INSTANTIATE_TEST_SUITE_P(Runs, ResultsCsv, ::testing::ValuesIn(testing::resultsRuns()),
                         [](const auto& info) { return testing::testNameOf(info.param); });

// After a bootstrap: the spread columns in both files and in results.json,
// and an undefined index as an empty field and as null.
TEST(ResultsCsvBootstrap, AddsSpreadColumnsAndLeavesUndefinedValuesEmpty) {
    const Results r =
        testing::withBootstrapAndUndefinedKappa(testing::analysedRun("fixture/bias-06"));
    const BootstrapSummary& b = *r.bootstrap;
    const Json doc = Json::parse(composeResultsJson(r));
    EXPECT_TRUE(doc["overall"]["kappa"].is_null());
    EXPECT_EQ(doc["bootstrap"]["replicates"], 200);
    EXPECT_EQ(doc["bootstrap"]["seed"], 77);
    EXPECT_TRUE(doc["bootstrap"]["overall"]["kappa"]["se"].is_null());

    const auto overall = parseCsv(composeOverallCsv(r));
    EXPECT_EQ(overall[0], (testing::CsvRow{"index", "value", "se", "ci_low", "ci_high",
                                           "replicates_undefined"}));
    EXPECT_EQ(overall[3][0], "kappa");
    EXPECT_EQ(overall[3][1], "");
    EXPECT_EQ(overall[3][2], "");
    for (std::size_t i = 0; i < kIndices.size(); ++i) {
        const Json& j = doc["bootstrap"]["overall"][kIndices[i]];
        const auto& row = overall[i + 1];
        ASSERT_EQ(row.size(), 6u);
        EXPECT_TRUE(sameDouble(jsonReal(j["se"]), csvReal(row[2])));
        EXPECT_TRUE(sameDouble(jsonReal(j["ci_low"]), csvReal(row[3])));
        EXPECT_TRUE(sameDouble(jsonReal(j["ci_high"]), csvReal(row[4])));
        EXPECT_EQ(row[5], std::to_string(j["replicates_undefined"].get<int>()));
    }

    const auto cuts = parseCsv(composeCutsCsv(r));
    ASSERT_EQ(cuts[0].size(), 9u + 6u * 4u + 6u + 5u * 4u);
    ASSERT_EQ(cuts.size(), b.cuts.size() + 1);
    for (std::size_t c = 0; c < b.cuts.size(); ++c) {
        for (std::size_t i = 0; i < kIndices.size(); ++i) {
            const std::size_t at = 9 + 4 * i;
            EXPECT_EQ(cuts[0][at], kIndices[i] + "_se");
            EXPECT_EQ(cuts[0][at + 3], kIndices[i] + "_replicates_undefined");
            const Json& j = doc["bootstrap"]["cuts"][c][kIndices[i]];
            EXPECT_TRUE(sameDouble(jsonReal(j["se"]), csvReal(cuts[c + 1][at])));
            EXPECT_TRUE(sameDouble(jsonReal(j["ci_low"]), csvReal(cuts[c + 1][at + 1])));
            EXPECT_TRUE(sameDouble(jsonReal(j["ci_high"]), csvReal(cuts[c + 1][at + 2])));
            EXPECT_EQ(cuts[c + 1][at + 3], std::to_string(j["replicates_undefined"].get<int>()));
        }
    }
    // The diagnostic statistics' spreads follow the csem and their values.
    for (std::size_t c = 0; c < b.cuts.size(); ++c) {
        for (std::size_t i = 0; i < kCutDiagnosticsFields.size(); ++i) {
            const std::string key(kCutDiagnosticsFields[i].key);
            const std::size_t at = 9 + 6 * 4 + 6 + 4 * i;
            EXPECT_EQ(cuts[0][at], key + "_se");
            const Json& j = doc["bootstrap"]["cuts"][c][key];
            EXPECT_TRUE(sameDouble(jsonReal(j["se"]), csvReal(cuts[c + 1][at])));
            EXPECT_TRUE(sameDouble(jsonReal(j["ci_high"]), csvReal(cuts[c + 1][at + 2])));
        }
    }
    const auto categories = parseCsv(composePerCategoryCsv(r));
    ASSERT_EQ(categories[0].size(), 4u + 2u * 4u);
    EXPECT_EQ(categories[0][4], "sensitivity_se");
    EXPECT_TRUE(sameDouble(jsonReal(doc["bootstrap"]["per_category"][1]["ppv"]["ci_low"]),
                           csvReal(categories[2][9])));
    const auto agreement = parseCsv(composeAgreementCsv(r));
    ASSERT_EQ(agreement[0].size(), 6u);
    for (std::size_t i = 1; i < agreement.size(); ++i) {
        const Json& j = doc["bootstrap"]["agreement"][agreement[i][0]];
        EXPECT_TRUE(sameDouble(jsonReal(j["se"]), csvReal(agreement[i][2])));
    }
    EXPECT_TRUE(sameDouble(b.reliability.se, jsonReal(doc["bootstrap"]["reliability"]["se"])));
    // The spreads written are the summary's own.
    EXPECT_TRUE(sameDouble(b.cuts.back().falseNegative.ciHigh,
                           jsonReal(doc["bootstrap"]["cuts"].back()["false_negative"]["ci_high"])));
}

}  // namespace
}  // namespace tl
