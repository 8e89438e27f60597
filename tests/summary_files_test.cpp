// The summary files of a testing program, from summaries made by hand: their
// columns, a failed test's row, the standard errors, the page's links.
#include "results_files/summary_files.h"

#include <gtest/gtest.h>

#include <nlohmann/json.hpp>
#include <string>
#include <vector>

namespace tl {
namespace {

TestSummary ranTest(const std::string& file, const std::string& folder, double base) {
    TestSummary test;
    test.file = file;
    test.folder = folder;
    test.title = "Grade 5, \"math\"";
    test.model = "multinomial";
    test.examinees = 1234;
    test.categories = 3;
    test.reliability = 0.9;
    test.overall = {base, 0.3, 0.1 + base / 3, 0.8, 0.07, 0.05};
    CutSummary cut;
    cut.observedCut = 22.5;
    cut.trueCut = 23;
    cut.indices = {0.88, 0.53, 0.76, 0.92, 0.04, 0.04};
    test.cuts = {cut, cut};
    return test;
}

TestSummary failedTest() {
    TestSummary test;
    test.file = "broken.txt";
    test.status = 1;
    test.error = "Error! The data file <scores>.dat does not exist";
    return test;
}

std::vector<std::string> lines(const std::string& csv) {
    std::vector<std::string> out;
    std::size_t begin = 0;
    while (begin < csv.size()) {
        const std::size_t end = csv.find("\r\n", begin);
        out.push_back(csv.substr(begin, end - begin));
        begin = end + 2;
    }
    return out;
}

TEST(SummaryCsv, OneRowPerTestWithTheFailedTestsStatusAndError) {
    const std::vector<std::string> rows =
        lines(composeSummaryCsv({ranTest("g5.toml", "g5", 0.7), failedTest()}));
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_EQ(rows[0],
              "file,model,folder,title,status,error,examinees,categories,reliability,consistency,"
              "chance,kappa,accuracy,false_positive,false_negative");
    EXPECT_EQ(rows[1],
              "g5.toml,multinomial,g5,\"Grade 5, \"\"math\"\"\",0,,1234,3,0.9,0.7,0.3,"
              "0.3333333333333333,0.8,0.07,0.05");
    EXPECT_EQ(rows[2], "broken.txt,,,,1,Error! The data file <scores>.dat does not exist,,,,,,,,,");
}

TEST(SummaryCsv, StandardErrorsWhenAnyTestWasBootstrapped) {
    TestSummary bootstrapped = ranTest("a.toml", "a", 0.7);
    bootstrapped.overallSpreads = IndexSetSpread{};
    bootstrapped.overallSpreads->kappa.se = 0.0125;
    bootstrapped.reliabilitySe = 0.03125;
    bootstrapped.cuts[1].spreads = IndexSetSpread{};
    bootstrapped.cuts[1].spreads->accuracy.se = 0.25;
    const std::vector<TestSummary> tests{bootstrapped, ranTest("b.toml", "b", 0.6), failedTest()};
    const std::vector<std::string> rows = lines(composeSummaryCsv(tests));
    EXPECT_TRUE(
        rows[0].ends_with(",false_negative,consistency_se,chance_se,kappa_se,accuracy_se,"
                          "false_positive_se,false_negative_se,reliability_se"));
    EXPECT_TRUE(rows[1].ends_with(",0.05,0,0,0.0125,0,0,0,0.03125")) << rows[1];
    EXPECT_TRUE(rows[2].ends_with(",0.05,,,,,,,")) << rows[2];
    EXPECT_TRUE(rows[3].ends_with("does not exist,,,,,,,,,,,,,,,,")) << rows[3];
    const std::vector<std::string> cuts = lines(composeSummaryCutsCsv(tests));
    ASSERT_EQ(cuts.size(), 5u);  // two cuts of each test that ran
    EXPECT_EQ(cuts[0].substr(0, 42), "file,model,cut,observed_cut,true_cut,consi");
    EXPECT_EQ(cuts[1], "a.toml,multinomial,1,22.5,23,0.88,0.53,0.76,0.92,0.04,0.04,,,,,,");
    EXPECT_EQ(cuts[2], "a.toml,multinomial,2,22.5,23,0.88,0.53,0.76,0.92,0.04,0.04,0,0,0,0.25,0,0");
    EXPECT_EQ(cuts[4].substr(0, 21), "b.toml,multinomial,2,");
}

// Subgroup rows come from groupSummaries; runs give none yet.
TEST(SummaryGroupsCsv, HoldsItsHeaderAloneWhenNoTestHasGroups) {
    EXPECT_EQ(groupSummaries(Results{}).size(), 0u);
    EXPECT_EQ(composeSummaryGroupsCsv({ranTest("a.toml", "a", 0.7), failedTest()}),
              "file,model,variable,level,examinees,small,consistency,chance,kappa,accuracy,"
              "false_positive,false_negative\r\n");
}

TEST(SummaryGroupsCsv, OneRowPerTestVariableAndLevel) {
    TestSummary test = ranTest("a.toml", "a", 0.7);
    GroupSummary group;
    group.variable = "sex";
    group.level = "(missing)";
    group.examinees = 12;
    group.small = true;
    group.indices = {0.5, 0.25, 0.125, 0.75, 0.1, 0.15};
    test.groups = {group};
    const std::vector<std::string> rows = lines(composeSummaryGroupsCsv({test}));
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[1], "a.toml,multinomial,sex,(missing),12,true,0.5,0.25,0.125,0.75,0.1,0.15");
}

TEST(SummaryJson, SameValuesAsTheCsv) {
    TestSummary test = ranTest("a.toml", "a", 0.7);
    test.overallSpreads = IndexSetSpread{};
    test.overallSpreads->kappa.se = 0.0125;
    const auto doc = nlohmann::json::parse(composeSummaryJson({test, failedTest()}));
    EXPECT_EQ(doc["program"]["name"], "tesserlink");
    ASSERT_EQ(doc["tests"].size(), 2u);
    const auto& ran = doc["tests"][0];
    EXPECT_EQ(ran["file"], "a.toml");
    EXPECT_EQ(ran["model"], "multinomial");
    EXPECT_EQ(ran["folder"], "a");
    EXPECT_EQ(ran["status"], 0);
    EXPECT_EQ(ran["title"], "Grade 5, \"math\"");
    EXPECT_EQ(ran["examinees"], 1234);
    EXPECT_EQ(ran["overall"]["kappa"].get<double>(), 0.1 + 0.7 / 3);
    EXPECT_EQ(ran["overall_se"]["kappa"].get<double>(), 0.0125);
    ASSERT_EQ(ran["cuts"].size(), 2u);
    EXPECT_EQ(ran["cuts"][1]["cut"], 2);
    EXPECT_EQ(ran["cuts"][1]["observed_cut"].get<double>(), 22.5);
    EXPECT_FALSE(ran["cuts"][1].contains("se"));
    EXPECT_EQ(ran["groups"], nlohmann::json::array());
    EXPECT_FALSE(ran.contains("comparison"));
    const auto& failed = doc["tests"][1];
    EXPECT_EQ(failed.size(), 3u);
    EXPECT_EQ(failed["status"], 1);
    EXPECT_EQ(failed["error"], "Error! The data file <scores>.dat does not exist");
}

TEST(ProgramIndexHtml, LinksEachTestsPageAndShowsAFailedTestsErrorLine) {
    const std::string html =
        composeProgramIndexHtml({ranTest("grade 5/math.toml", "grade 5_math", 0.7), failedTest()});
    EXPECT_NE(html.find("<a href=\"grade%205_math/report.html\">grade 5/math.toml</a>"),
              std::string::npos);
    EXPECT_NE(html.find("<td class=\"error\" colspan=\"9\" data-json=\"tests.1.error\">Error! "
                        "The data file &lt;scores&gt;.dat does not exist</td>"),
              std::string::npos);
    EXPECT_EQ(html.find("href=\"/report.html"), std::string::npos);  // no link for a failure
    EXPECT_NE(html.find("data-json=\"tests.0.overall.kappa\">0.33333<"), std::string::npos);
    EXPECT_NE(html.find("data-json=\"tests.0.cuts.1.observed_cut\">22.5<"), std::string::npos);
    EXPECT_NE(html.find("2 tests, 1 failed."), std::string::npos);
    EXPECT_EQ(html.find("id=\"groups\""), std::string::npos);
}

TEST(ProgramIndexHtml, TitleColumnOnlyWhenATestHasATitle) {
    TestSummary card = ranTest("g3.txt", "g3", 0.7);
    card.title.clear();
    EXPECT_EQ(composeProgramIndexHtml({card, failedTest()}).find(">Title<"), std::string::npos);
    EXPECT_NE(composeProgramIndexHtml({card, ranTest("g4.toml", "g4", 0.6)}).find(">Title<"),
              std::string::npos);
}

// A test that ran two models: the primary's values as ranTest gives them, a
// further model's with one cut and one subgroup level, and their comparison
// over the whole scale, bootstrapped.
TestSummary comparedTest(const std::string& file, const std::string& folder) {
    TestSummary test = ranTest(file, folder, 0.7);
    TestSummary irt = ranTest(file, "", 0.6);
    irt.model = "irt";
    irt.reliability = 0.85;
    irt.cuts.resize(1);
    GroupSummary group;
    group.variable = "sex";
    group.level = "f";
    group.examinees = 600;
    irt.groups = {group};
    test.otherModels = {irt};
    ComparisonSummary comparison;
    comparison.indices = {"reliability", "kappa", "weighted_kappa_linear"};
    comparison.models = {{"multinomial", {0.9, 0.5, 0.625}, {0.01, 0.02, 0.03}},
                         {"irt", {0.85, 0.4, 0.375}, {0.015, 0.025, 0.035}}};
    comparison.replicates = 20;
    test.comparison = comparison;
    return test;
}

std::vector<TestSummary> withComparedTest() {
    return {comparedTest("a.toml", "a"), failedTest(), ranTest("b.toml", "b", 0.6)};
}

// Each file's rows by their first columns: a test's models in order, the
// primary first; a failed test one row with no model.
TEST(SummaryModels, EachTestsRowsAreGivenForEachModelInOrder) {
    struct Case {
        const char* file;
        std::string (*compose)(const std::vector<TestSummary>&);
        std::size_t columns;  // leading columns compared
        std::vector<std::string> rows;
    };
    const Case cases[] = {
        {"summary.csv",
         composeSummaryCsv,
         5,
         {"file,model,folder,title,status", "a.toml,multinomial,a,\"Grade 5, \"\"math\"\"\",0",
          "a.toml,irt,a/models/irt,\"Grade 5, \"\"math\"\"\",0", "broken.txt,,,,1",
          "b.toml,multinomial,b,\"Grade 5, \"\"math\"\"\",0"}},
        {"summary_cuts.csv",
         composeSummaryCutsCsv,
         3,
         {"file,model,cut", "a.toml,multinomial,1", "a.toml,multinomial,2", "a.toml,irt,1",
          "b.toml,multinomial,1", "b.toml,multinomial,2"}},
        {"summary_groups.csv",
         composeSummaryGroupsCsv,
         4,
         {"file,model,variable,level", "a.toml,irt,sex,f"}},
    };
    for (const Case& c : cases) {
        const std::vector<std::string> rows = lines(c.compose(withComparedTest()));
        std::vector<std::string> leading;
        for (const std::string& row : rows) {
            std::size_t end = 0;
            bool quoted = false;
            for (std::size_t commas = 0; end < row.size(); ++end) {
                if (row[end] == '"') quoted = !quoted;
                if (row[end] == ',' && !quoted && ++commas == c.columns) break;
            }
            leading.push_back(row.substr(0, end));
        }
        EXPECT_EQ(leading, c.rows) << c.file;
    }
}

TEST(SummaryModels, FurtherModelsRowsHoldTheirOwnValues) {
    const std::vector<std::string> rows = lines(composeSummaryCsv(withComparedTest()));
    ASSERT_EQ(rows.size(), 5u);
    EXPECT_TRUE(rows[2].ends_with(",0,,1234,3,0.85,0.6,0.3,0.3,0.8,0.07,0.05")) << rows[2];
    const auto doc = nlohmann::json::parse(composeSummaryJson(withComparedTest()));
    ASSERT_EQ(doc["tests"].size(), 4u);
    const auto& irt = doc["tests"][1];
    EXPECT_EQ(irt["file"], "a.toml");
    EXPECT_EQ(irt["model"], "irt");
    EXPECT_EQ(irt["folder"], "a/models/irt");
    EXPECT_EQ(irt["reliability"].get<double>(), 0.85);
    EXPECT_EQ(irt["cuts"].size(), 1u);
    EXPECT_EQ(irt["groups"][0]["level"], "f");
    EXPECT_FALSE(irt.contains("comparison"));
    EXPECT_EQ(doc["tests"][2].size(), 3u);  // the failed test: file, status, error
    EXPECT_EQ(doc["tests"][3]["model"], "multinomial");
    const auto& comparison = doc["tests"][0]["comparison"];
    EXPECT_EQ(comparison["replicates"], 20);
    ASSERT_EQ(comparison["models"].size(), 2u);
    EXPECT_EQ(comparison["models"][1]["model"], "irt");
    EXPECT_EQ(comparison["models"][1]["overall"]["weighted_kappa_linear"].get<double>(), 0.375);
    EXPECT_EQ(comparison["models"][0]["overall_se"]["kappa"].get<double>(), 0.02);
}

// Each cell names its value's path in summary.json, whose rows for a test of
// several models push the later tests' rows down.
TEST(SummaryModels, IndexPageComparesEachTestsModelsAndLinksTheirPages) {
    std::vector<TestSummary> tests = withComparedTest();
    tests[0].folder = "grade 5";
    const std::string html = composeProgramIndexHtml(tests);
    for (const char* part : {
             "<h2>Models compared</h2>",
             "<a href=\"grade%205/comparison.csv\">comparison.csv</a>",
             "<a href=\"grade%205/comparison_differences.csv\">",
             "<th scope=\"row\"><a href=\"grade%205/report.html\">multinomial</a></th>",
             "<th scope=\"row\"><a href=\"grade%205/models/irt/report.html\">irt</a></th>",
             ">Weighted kappa (linear)</th>",
             "data-json=\"tests.0.comparison.models.1.overall.weighted_kappa_linear\">0.37500<",
             "data-json=\"tests.0.comparison.models.1.overall_se.kappa\">(0.02500)<",
             "data-json=\"tests.2.error\">",
             "data-json=\"tests.3.overall.kappa\">0.30000<",
             "data-json=\"tests.3.cuts.1.observed_cut\">22.5<",
         })
        EXPECT_NE(html.find(part), std::string::npos) << part;
    EXPECT_EQ(html.find("id=\"models-3\""), std::string::npos);  // b ran one model
    EXPECT_EQ(composeProgramIndexHtml({ranTest("b.toml", "b", 0.6)}).find("Models compared"),
              std::string::npos);
}

}  // namespace
}  // namespace tl
