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
              "file,folder,title,status,error,examinees,categories,reliability,consistency,"
              "chance,kappa,accuracy,false_positive,false_negative");
    EXPECT_EQ(rows[1],
              "g5.toml,g5,\"Grade 5, \"\"math\"\"\",0,,1234,3,0.9,0.7,0.3,0.3333333333333333,"
              "0.8,0.07,0.05");
    EXPECT_EQ(rows[2], "broken.txt,,,1,Error! The data file <scores>.dat does not exist,,,,,,,,,");
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
    EXPECT_EQ(cuts[0].substr(0, 36), "file,cut,observed_cut,true_cut,consi");
    EXPECT_EQ(cuts[1], "a.toml,1,22.5,23,0.88,0.53,0.76,0.92,0.04,0.04,,,,,,");
    EXPECT_EQ(cuts[2], "a.toml,2,22.5,23,0.88,0.53,0.76,0.92,0.04,0.04,0,0,0,0.25,0,0");
    EXPECT_EQ(cuts[4].substr(0, 9), "b.toml,2,");
}

// Subgroup rows come from groupSummaries; runs give none yet.
TEST(SummaryGroupsCsv, HoldsItsHeaderAloneWhenNoTestHasGroups) {
    EXPECT_EQ(groupSummaries(Results{}).size(), 0u);
    EXPECT_EQ(composeSummaryGroupsCsv({ranTest("a.toml", "a", 0.7), failedTest()}),
              "file,variable,level,examinees,small,consistency,chance,kappa,accuracy,"
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
    EXPECT_EQ(rows[1], "a.toml,sex,(missing),12,true,0.5,0.25,0.125,0.75,0.1,0.15");
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

}  // namespace
}  // namespace tl
