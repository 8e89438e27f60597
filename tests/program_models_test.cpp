// A testing program whose analysis file names two models and another cut
// set: both tests run both models on the one table, read once between them,
// and the summary gives a row for each test and model.
#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "analysis/shared_tables.h"
#include "run/run.h"
#include "support/csv_rows.h"
#include "support/program_run.h"

namespace fs = std::filesystem;
using tl::testing::parseCsv;
using tl::testing::readFile;

namespace {

// Sixty examinees on eight items, their scores spread by an ability from 0 to
// 8 with an item now and then against it.
std::string table() {
    std::string text = "id,i1,i2,i3,i4,i5,i6,i7,i8\n";
    for (int r = 0; r < 60; ++r) {
        text += std::to_string(r + 1);
        for (int j = 0; j < 8; ++j) {
            const bool right = (j < r % 9) != ((r * 7 + j * 3) % 11 == 0);
            text += right ? ",1" : ",0";
        }
        text += "\n";
    }
    return text;
}

constexpr const char* kAnalysisFile =
    "[data]\nfile = \"t.csv\"\nid = \"id\"\n\n[[sets]]\nitems = \"i1:i8\"\npoints = [0, 1]\n\n"
    "[classification]\nobserved_cuts = [4]\n\n"
    "[[classification.alternatives]]\nname = \"lower\"\nobserved_cuts = [3]\n\n"
    "[output]\nreport = \"a.out\"\n\n"
    "[[model]]\nkind = \"multinomial\"\n\n"
    "[[model]]\nkind = \"beta-binomial\"\nname = \"betabin\"\n";

class ProgramModels : public ::testing::Test {
  protected:
    void SetUp() override {
        dir_ = tl::testing::makeScratchDirectory("program-models");
        tl::testing::writeFile(dir_ / "t.csv", table());
        tl::testing::writeFile(dir_ / "a.toml", kAnalysisFile);
    }
    void TearDown() override { fs::remove_all(dir_); }
    fs::path dir_;
};

// Column name to cell, for each row after the header.
std::vector<std::map<std::string, std::string>> records(const std::string& text) {
    const auto rows = parseCsv(text);
    std::vector<std::map<std::string, std::string>> out;
    for (std::size_t r = 1; r < rows.size(); ++r) {
        std::map<std::string, std::string> record;
        for (std::size_t c = 0; c < rows[0].size() && c < rows[r].size(); ++c)
            record[rows[0][c]] = rows[r][c];
        out.push_back(record);
    }
    return out;
}

TEST_F(ProgramModels, EachTestGivesARowForEachModelWithItsOwnFolder) {
    const auto run = tl::testing::runWithArguments(dir_, {"--quiet", "--results", "out", "a.toml"});
    ASSERT_FALSE(run.timedOut);
    ASSERT_EQ(run.exitStatus, 0) << run.err;
    const fs::path out = dir_ / "out";
    struct Row {
        const char* file;
        const char* model;
        const char* folder;
    };
    const Row expected[] = {{"a.toml", "multinomial", "a"},
                            {"a.toml", "betabin", "a/models/betabin"},
                            {"a.toml#lower", "multinomial", "a-lower"},
                            {"a.toml#lower", "betabin", "a-lower/models/betabin"}};
    const auto tests = records(readFile(out / "summary.csv"));
    const auto json = nlohmann::json::parse(readFile(out / "summary.json"));
    ASSERT_EQ(tests.size(), std::size(expected));
    ASSERT_EQ(json["tests"].size(), std::size(expected));
    for (std::size_t r = 0; r < std::size(expected); ++r) {
        const Row& row = expected[r];
        EXPECT_EQ(tests[r].at("file"), row.file);
        EXPECT_EQ(tests[r].at("model"), row.model);
        EXPECT_EQ(tests[r].at("folder"), row.folder);
        EXPECT_EQ(json["tests"][r]["model"], row.model);
        EXPECT_EQ(json["tests"][r]["folder"], row.folder);
        // Each row's numbers are those of the results folder it names.
        const auto results = nlohmann::json::parse(readFile(out / row.folder / "results.json"));
        EXPECT_EQ(json["tests"][r]["overall"]["kappa"], results["overall"]["kappa"]) << row.folder;
        EXPECT_EQ(json["tests"][r]["reliability"], results["reliability"]["reliability"]);
        EXPECT_EQ(json["tests"][r].contains("comparison"), r % 2 == 0) << row.folder;
    }
    std::vector<std::string> cutRows;
    for (const auto& cut : records(readFile(out / "summary_cuts.csv")))
        cutRows.push_back(cut.at("file") + " " + cut.at("model") + " " + cut.at("observed_cut"));
    EXPECT_EQ(cutRows,
              (std::vector<std::string>{"a.toml multinomial 4", "a.toml betabin 4",
                                        "a.toml#lower multinomial 3", "a.toml#lower betabin 3"}));
    // The page links each test's comparison and each model's page, all there.
    const std::string html = readFile(out / "index.html");
    for (const char* link : {"a/comparison.csv", "a/models/betabin/report.html",
                             "a-lower/comparison.csv", "a-lower/models/betabin/report.html"}) {
        EXPECT_NE(html.find(std::string("href=\"") + link + "\""), std::string::npos) << link;
        EXPECT_TRUE(fs::exists(out / link)) << link;
    }
}

// Every run of the file takes the table once per model: the file's own cuts
// and its other set read it once between them (the rows cut short after the
// first run reach neither), and then it is let go.
TEST_F(ProgramModels, TheSharedTableIsReadOnceAndLetGoOnceEveryModelOfEveryRunHasIt) {
    const auto tables = std::make_shared<tl::SharedTables>();
    const std::string file = (dir_ / "a.toml").string();
    const std::string full = table();
    for (const std::vector<double>& cuts : {std::vector<double>{4}, std::vector<double>{3}}) {
        tl::RunRequest request;
        request.file = file;
        request.write = false;
        request.cuts = cuts;
        request.sharedTables = tables;
        request.tableUsers = 2;  // the file and its other cut set
        const tl::RunOutcome outcome = tl::runRequest(request);
        ASSERT_EQ(outcome.exitStatus, 0)
            << (outcome.error() ? outcome.error()->text : std::string());
        ASSERT_TRUE(outcome.results);
        ASSERT_EQ(outcome.results->otherModels.size(), 1u);
        EXPECT_EQ(outcome.results->examineeCount, 60);
        EXPECT_EQ(outcome.results->otherModels[0].examineeCount, 60);
        tl::testing::writeFile(dir_ / "t.csv", full.substr(0, full.find("\n31,")));
    }
    int reads = 0;
    tables->source(file, 1, [&] {
        ++reads;
        return std::shared_ptr<tl::TableDataSource>();
    });
    EXPECT_EQ(reads, 1);
}

}  // namespace
