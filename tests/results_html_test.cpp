// report.html: each table cell that names a results.json value shows it
// rounded to five decimals as the text report rounds, scores in full, every
// number of the summary tables, and nothing from outside the page.
#include "results_files/results_html.h"

#include <gtest/gtest.h>

#include <nlohmann/json.hpp>
#include <regex>
#include <set>

#include "classify/model_comparison.h"
#include "core/number_field.h"
#include "results_files/comparison_svg.h"
#include "results_files/number_text.h"
#include "results_files/results_json.h"
#include "results_files/results_svg.h"
#include "results_files/svg_plot.h"
#include "support/results_files.h"

namespace tl {
namespace {

using Json = nlohmann::json;

// As a reader sees a results.json value: reals to five places by the report's
// rule, whole numbers as they are, null as "n/a".
std::string rounded(const Json& value) {
    if (value.is_null()) return "n/a";
    if (!value.is_number_float()) return value.dump();
    return fixedDecimals(value.get<double>(), 5);
}

// Scores are shown in full, like the cut scores.
bool isScore(const std::string& path) {
    return path.ends_with(".score") || path == "composite.min" || path == "composite.max" ||
           path.find("_cuts.") != std::string::npos;
}

// The paths every page must show.
std::set<std::string> requiredPaths(const Json& doc) {
    std::set<std::string> paths;
    const std::size_t k = doc["categories"];
    const std::vector<std::string> indices = {"consistency", "chance",         "kappa",
                                              "accuracy",    "false_positive", "false_negative"};
    for (const auto& index : indices) {
        paths.insert("overall." + index);
        for (std::size_t c = 0; c + 1 < k; ++c)
            paths.insert("cuts." + std::to_string(c) + "." + index);
        if (doc.contains("bootstrap")) {
            for (const char* what : {".se", ".ci_low", ".ci_high"}) {
                paths.insert("bootstrap.overall." + index + what);
                for (std::size_t c = 0; c + 1 < k; ++c) {
                    paths.insert("bootstrap.cuts." + std::to_string(c) + "." + index + what);
                }
            }
        }
    }
    for (const char* table : {"true_by_observed", "consistency_table"}) {
        const std::string margins = std::string(table) + "_margins.";
        paths.insert(margins + "total");
        for (std::size_t a = 0; a < k; ++a) {
            paths.insert(margins + "rows." + std::to_string(a));
            paths.insert(margins + "columns." + std::to_string(a));
            for (std::size_t b = 0; b < k; ++b) {
                paths.insert(std::string(table) + "." + std::to_string(a) + "." +
                             std::to_string(b));
            }
        }
    }
    for (std::size_t a = 0; a < k; ++a) {
        paths.insert("category_counts.observed." + std::to_string(a));
        paths.insert("category_counts.true." + std::to_string(a));
        paths.insert("expected_proportions." + std::to_string(a));
    }
    for (const char* path : {"examinees", "reliability.reliability", "reliability.sample_variance",
                             "reliability.average_error_variance", "composite.mean",
                             "composite.min", "composite.max"}) {
        paths.insert(path);
    }
    for (std::size_t i = 0; i < doc["conditional"].size(); ++i) {
        paths.insert("conditional." + std::to_string(i) + ".accuracy");
        paths.insert("conditional." + std::to_string(i) + ".csem");
    }
    // CSEM, diagnostic statistics and agreement, with their spreads.
    const bool spread = doc.contains("bootstrap");
    auto withSpread = [&](const std::string& path) {
        paths.insert(path);
        if (!spread) return;
        for (const char* what : {".se", ".ci_low", ".ci_high"})
            paths.insert("bootstrap." + path + what);
    };
    for (std::size_t c = 0; c + 1 < k; ++c) {
        const std::string cut = "cuts." + std::to_string(c) + ".";
        paths.insert(cut + "csem");
        for (const char* key : {"sensitivity", "specificity", "ppv", "npv", "youden"})
            withSpread(cut + key);
    }
    for (std::size_t m = 0; m < k; ++m) {
        for (const char* key : {"sensitivity", "ppv"})
            withSpread("per_category." + std::to_string(m) + "." + key);
    }
    for (const auto& [key, value] : doc["agreement"].items()) withSpread("agreement." + key);
    if (spread) {
        for (const char* what : {"se", "ci_low", "ci_high"})
            paths.insert(std::string("bootstrap.reliability.") + what);
    }
    return paths;
}

void checkPage(const Results& r) {
    const Json doc = Json::parse(composeResultsJson(r));
    const std::string html = composeResultsHtml(r);
    const std::regex cell("data-json=\"([^\"]+)\">([^<]*)<");
    std::set<std::string> shown;
    for (auto it = std::sregex_iterator(html.begin(), html.end(), cell);
         it != std::sregex_iterator(); ++it) {
        const std::string path = (*it)[1], text = (*it)[2];
        EXPECT_TRUE(shown.insert(path).second) << path << " shown twice";
        const Json& value = testing::jsonAt(doc, path);
        EXPECT_EQ(text, isScore(path) ? testing::shortestOf(value.get<double>()) : rounded(value))
            << path;
    }
    for (const std::string& path : requiredPaths(doc))
        EXPECT_TRUE(shown.count(path)) << path << " not shown";

    // Self-contained, no script; figures with text alternatives.
    for (const char* absent : {"<script", "src=", "<link", "http://", "https://", "@import"}) {
        std::string page = html;
        const std::string svgNamespace = "xmlns=\"http://www.w3.org/2000/svg\"";
        for (std::size_t at; (at = page.find(svgNamespace)) != std::string::npos;)
            page.erase(at, svgNamespace.size());
        EXPECT_EQ(page.find(absent), std::string::npos) << absent;
    }
    EXPECT_NE(html.find("<meta name=\"viewport\""), std::string::npos);
    for (const char* id : {"conditional", "histogram", "csem"}) {
        const std::string svg = "aria-labelledby=\"" + std::string(id) + "-title " + id + "-desc\"";
        EXPECT_NE(html.find(svg), std::string::npos) << id;
        EXPECT_NE(html.find("<title id=\"" + std::string(id) + "-title\">"), std::string::npos);
        EXPECT_NE(html.find("<desc id=\"" + std::string(id) + "-desc\">"), std::string::npos);
    }
}

class ResultsHtml : public ::testing::TestWithParam<std::string> {};

TEST_P(ResultsHtml, ShowsTheJsonValuesRounded) {
    checkPage(testing::analysedRun(GetParam()));
}

INSTANTIATE_TEST_SUITE_P(Runs, ResultsHtml, ::testing::ValuesIn(testing::resultsRuns()),
                         [](const auto& info) { return testing::testNameOf(info.param); });

TEST(ResultsHtmlBootstrap, ShowsSpreadsAndUndefinedValues) {
    const Results r =
        testing::withBootstrapAndUndefinedKappa(testing::analysedRun("fixture/bias-06"));
    checkPage(r);
    const std::string html = composeResultsHtml(r);
    EXPECT_NE(html.find("data-json=\"overall.kappa\">n/a<"), std::string::npos);
    EXPECT_NE(html.find("bootstrap of 200 replicates, seed 77"), std::string::npos);
}

// A run with scale scores: its cuts on both scales, its summary with the
// reliability's spread, and its CSEM figure, each cell the JSON's value.
TEST(ResultsHtmlScale, ShowsTheScaleCutsSummaryAndFigure) {
    Results r = testing::withBootstrapAndUndefinedKappa(testing::analysedRun("example/spisa"));
    ScaleRequest request;
    request.table.source = "conversion.csv";
    for (double x : r.scales.composite.compositeScores) {
        request.table.raw.push_back(x);
        request.table.scale.push_back(100.0 + 2.5 * x);
        request.table.lines.push_back(static_cast<std::int64_t>(request.table.raw.size() + 1));
    }
    r.bootstrap->scaleReliability = {0.0125, 0.7, 0.75, 3};
    r.scale = summarizeScale(planScale(request, r.card, r.scales.composite),
                             r.compositeErrorVariance, r.observedComposite);
    checkPage(r);
    const std::string html = composeResultsHtml(r);
    for (const char* path :
         {"scale.observed_cuts.1.scale", "scale.true_cuts.0.raw", "scale.reliability",
          "bootstrap.scale_reliability.se", "bootstrap.scale_reliability.ci_high"}) {
        EXPECT_NE(html.find("data-json=\"" + std::string(path) + "\""), std::string::npos) << path;
    }
    EXPECT_NE(html.find("aria-labelledby=\"scale-csem-title scale-csem-desc\""), std::string::npos);
    EXPECT_NE(html.find("<title>scale score 157.5, "), std::string::npos);
    // Without a table the page has no such section.
    EXPECT_EQ(composeResultsHtml(testing::analysedRun("example/spisa")).find("scale-heading"),
              std::string::npos);
}

// A tie rounds away from zero and a tiny negative value shows no minus sign,
// in the tables and in the figures, as in the text report.
TEST(ResultsHtmlText, RoundsAsTheReportDoes) {
    Results r = testing::analysedRun("fixture/valid-02");
    r.classification.categoryMarginal[0] = 0.015625;
    r.classification.categoryMarginal[1] = -1e-9;
    r.tables->conditional[0].accuracy = 0.015625;
    const std::string html = composeResultsHtml(r);
    EXPECT_NE(html.find("data-json=\"expected_proportions.0\">0.01563<"), std::string::npos);
    EXPECT_NE(html.find("data-json=\"expected_proportions.1\">0.00000<"), std::string::npos);
    EXPECT_NE(html.find("accuracy 0.01563</title>"), std::string::npos);
    EXPECT_EQ(html.find("-0.0"), std::string::npos);
}

// An axis of counts (or of whole scores) never labels a tick with decimals.
TEST(FigureAxis, WholeStepsTickAtWholeNumbers) {
    EXPECT_EQ(niceAxis(0, 2, 330, 34, 5).tickDecimals, 1);  // 0, 0.5, ..., 2
    const Axis whole = niceAxis(0, 2, 330, 34, 5, true);
    EXPECT_EQ(whole.ticks, (std::vector<double>{0, 1, 2}));
    EXPECT_EQ(whole.tickDecimals, 0);
}

TEST(ResultsHtmlText, EscapesTheCardsText) {
    Results r = testing::analysedRun("fixture/valid-02");
    r.card.itemSets[0].dataFile = "a<b>&\"c\".dat";
    const std::string html = composeResultsHtml(r);
    EXPECT_NE(html.find("<td>a&lt;b&gt;&amp;&quot;c&quot;.dat</td>"), std::string::npos);
}

// Labelled categories get a legend in both figures, each label beside the
// scores it holds, in rows that the figure grows to hold; unlabelled runs keep
// their figures as they were.
TEST(ResultsFigures, NameLabelledCategoriesInTheirLegends) {
    Results r = testing::analysedRun("fixture/valid-02");
    const std::string plainConditional = conditionalFigureSvg(r);
    const std::string plainHistogram = histogramSvg(r);
    EXPECT_EQ(plainConditional.find("category-legend"), std::string::npos);
    EXPECT_NE(plainHistogram.find("viewBox=\"0 0 720.0 440.0\""), std::string::npos);

    const std::size_t k = static_cast<std::size_t>(r.categoryCount());
    for (std::size_t c = 0; c < k; ++c)
        r.labels.categoryLabels.push_back("Level " + std::to_string(c + 1) + " <of " +
                                          std::string(40, 'x') + ">");
    const std::vector<double>& cuts = r.card.observedCuts;
    for (const std::string& svg : {conditionalFigureSvg(r), histogramSvg(r)}) {
        EXPECT_NE(svg.find(">Level 1 &lt;of " + std::string(40, 'x') + "&gt;: below " +
                           shortestText(cuts[0]) + "</text>"),
                  std::string::npos);
        EXPECT_NE(svg.find("&gt;: " + shortestText(cuts.back()) + " or above</text>"),
                  std::string::npos);
        // Every entry is about 60 characters: one a row, the figure taller.
        EXPECT_EQ(svg.find("viewBox=\"0 0 720.0 440.0\""), std::string::npos);
    }
}

// A run with a comparison of `models` models: the run's own values first,
// each further model's a little lower, and `replicates` bootstrap replicates
// of each spread around its values.
Results withComparison(Results r, std::size_t models, std::size_t replicates) {
    const ClassificationTables& t = *r.tables;
    const std::vector<double> values = comparedValues(
        r.reliability.reliability, r.classification.overall, t.cuts, t.precision.agreement);
    std::vector<ModelRunValues> runs(models);
    for (std::size_t m = 0; m < models; ++m) {
        const double shift = 0.01 * static_cast<double>(m);
        runs[m].name = m == 0 ? "multinomial" : "model-" + std::to_string(m + 1);
        for (double v : values) runs[m].values.push_back(v - shift);
        for (std::size_t b = 0; b < replicates; ++b) {
            const double step =
                0.002 * (static_cast<double>(b) - 0.5 * static_cast<double>(replicates));
            std::vector<double> replicate;
            for (double v : runs[m].values)
                replicate.push_back(v + step * static_cast<double>(m + 1));
            runs[m].replicates.push_back(std::move(replicate));
        }
        for (const ConditionalRow& row : t.conditional)
            runs[m].conditionalAccuracy.push_back({row.score, row.accuracy - shift});
    }
    r.comparison = compareModels(comparedIndices(r.categoryCount()), runs);
    return r;
}

std::size_t countOf(const std::string& text, const std::string& part) {
    std::size_t n = 0;
    for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1))
        ++n;
    return n;
}

// The part of `text` from `open` to the `close` after it.
std::string partOf(const std::string& text, const std::string& open, const std::string& close) {
    const std::size_t at = text.find(open);
    if (at == std::string::npos) return "";
    return text.substr(at, text.find(close, at) - at);
}

struct ComparisonCase {
    const char* name;
    std::size_t models;
    std::size_t replicates;
};

class ResultsHtmlComparison : public ::testing::TestWithParam<ComparisonCase> {};

// The section shows every model's values and differences as results.json
// holds them, links each further model's page, and draws a line per model and
// a dot per model and index, with an interval after a bootstrap.
TEST_P(ResultsHtmlComparison, ShowsEachModel) {
    const ComparisonCase& c = GetParam();
    const Results r = withComparison(testing::analysedRun("example/spisa"), c.models, c.replicates);
    checkPage(r);
    const std::string html = composeResultsHtml(r);
    EXPECT_EQ(countOf(html, "<h2 id=\"comparison-heading\">Models side by side</h2>"), 1u);
    EXPECT_NE(html.find("<th scope=\"col\">multinomial<br>(primary)</th>"), std::string::npos);
    const bool spread = c.replicates > 0;
    EXPECT_EQ(html.find("standard errors in parentheses") != std::string::npos, spread);
    EXPECT_EQ(html.find(".difference_spread.ci_low\"") != std::string::npos, spread);
    const std::string accuracy = comparisonAccuracyFigureSvg(r);
    const std::string dots = comparisonIndicesFigureSvg(r);
    EXPECT_NE(html.find(accuracy), std::string::npos);
    EXPECT_NE(html.find(dots), std::string::npos);
    EXPECT_EQ(countOf(accuracy, "<polyline "), c.models);
    for (const ComparedModel& m : r.comparison->models) {
        const std::string model = "data-model=\"" + m.name + "\"";
        EXPECT_EQ(countOf(accuracy, "<polyline " + model), 1u) << m.name;
        EXPECT_NE(accuracy.find(">" + m.name), std::string::npos) << m.name << " not in the legend";
        // Reliability, consistency, kappa and accuracy: a dot each, and an
        // interval (a bar and two caps) each after a bootstrap.
        const std::string group = partOf(dots, "<g " + model + ">", "\n</g>\n</g>");
        EXPECT_EQ(countOf(group, "<title>"), 4u) << m.name;
        EXPECT_EQ(countOf(group, "<line "), spread ? 12u : 0u) << m.name;
        if (&m != &r.comparison->models.front()) {
            EXPECT_EQ(countOf(html, "href=\"models/" + m.name + "/report.html\""), 3u) << m.name;
        }
    }
    EXPECT_EQ(html.find("href=\"models/multinomial/"), std::string::npos);
}

INSTANTIATE_TEST_SUITE_P(Table, ResultsHtmlComparison,
                         ::testing::Values(ComparisonCase{"two_models", 2, 0},
                                           ComparisonCase{"three_models_bootstrap", 3, 40},
                                           ComparisonCase{"eight_models", 8, 0}),
                         [](const auto& info) { return std::string(info.param.name); });

// A run of one model has no comparison, and its page no such section.
TEST(ResultsHtmlComparison, NoSectionWithoutAComparison) {
    const std::string html = composeResultsHtml(testing::analysedRun("example/spisa"));
    for (const char* part : {"comparison", "Models side by side", "data-model"})
        EXPECT_EQ(html.find(part), std::string::npos) << part;
}

}  // namespace
}  // namespace tl
