// Cuts given for a run in place of the file's: the numbers of a file written
// with those cuts, labels kept while they fit, and a refusal naming both
// counts when they do not.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "support/program_run.h"

namespace tl {
namespace {

namespace fs = std::filesystem;
using testing::readFile;
using testing::runWithArguments;
using testing::writeFile;

const char* const kData = "0 1 2 1\n2 2 1 0\n1 1 1 2\n0 0 1 2\n2 2 2 1\n1 2 0 1\n2 1 2 2\n";

std::string analysisFile(const std::string& classification) {
    return "[[sets]]\nfile = \"a.dat\"\nitems = 4\npoints = [0, 1, 2]\n[classification]\n" +
           classification + "[output]\nreport = \"a.out\"\nresults = \"out\"\n";
}

std::string card(const std::string& cutLines) {
    return "$Number of item sets\n1\n$Set1: weight, #items, #score points, score points, data "
           "file\n1\n4\n3\n0 1 2\na.dat\n$#categories, observed cut scores, true cut scores\n" +
           cutLines + "$Conditional results (Yes=1, No=0)\n0\n$Output file\na.out\n" +
           "$Bias correction (Yes=1, No=0)\n0\n";
}

struct Outputs {
    int status = -1;
    std::string err, report, results;
};

Outputs run(const std::string& name, const std::string& file, const std::string& fileName,
            const std::vector<std::string>& options) {
    const fs::path dir = testing::makeScratchDirectory("cuts-" + name);
    writeFile(dir / "a.dat", kData);
    writeFile(dir / fileName, file);
    std::vector<std::string> words = options;
    words.push_back(fileName);
    const testing::ProgramResult result = runWithArguments(dir, words);
    Outputs out{result.exitStatus, result.err, "", ""};
    if (fs::exists(dir / "a.out")) out.report = readFile(dir / "a.out");
    if (fs::exists(dir / "out" / "results.json"))
        out.results = readFile(dir / "out" / "results.json");
    return out;
}

struct SameAsWritten {
    std::string name;
    std::string given;               // the file's classification
    std::vector<std::string> words;  // the options over it
    std::string written;             // the file written with the options' cuts
};

class CutsGiven : public ::testing::TestWithParam<SameAsWritten> {};

TEST_P(CutsGiven, GiveTheNumbersOfTheFileWrittenWithThem) {
    const SameAsWritten& c = GetParam();
    const Outputs given = run(c.name + "-given", analysisFile(c.given), "a.toml", c.words);
    const Outputs written = run(c.name + "-written", analysisFile(c.written), "a.toml", {});
    ASSERT_EQ(given.status, 0) << given.err;
    ASSERT_EQ(written.status, 0) << written.err;
    EXPECT_EQ(given.report, written.report);
    EXPECT_EQ(given.results, written.results);
}

INSTANTIATE_TEST_SUITE_P(
    Table, CutsGiven,
    ::testing::Values(SameAsWritten{"MoreCuts",
                                    "observed_cuts = [4]\n",
                                    {"--cuts", "3,5"},
                                    "observed_cuts = [3, 5]\n"},
                      // The true cuts follow the observed ones unless given.
                      SameAsWritten{"OverDistinctTrueCuts",
                                    "observed_cuts = [4]\ntrue_cuts = [5]\n",
                                    {"--cuts", "3"},
                                    "observed_cuts = [3]\n"},
                      SameAsWritten{"TrueCutsAlone",
                                    "observed_cuts = [3, 5]\n",
                                    {"--true-cuts", "4,6"},
                                    "observed_cuts = [3, 5]\ntrue_cuts = [4, 6]\n"},
                      SameAsWritten{"Both",
                                    "observed_cuts = [4]\n",
                                    {"--cuts", "3.5,5", "--true-cuts=4,6"},
                                    "observed_cuts = [3.5, 5]\ntrue_cuts = [4, 6]\n"},
                      // Labels whose count still fits stay.
                      SameAsWritten{"LabelsThatStillFit",
                                    "labels = [\"No\", \"Yes\"]\nobserved_cuts = [4]\n",
                                    {"--cuts", "5"},
                                    "labels = [\"No\", \"Yes\"]\nobserved_cuts = [5]\n"}),
    [](const auto& info) { return info.param.name; });

TEST(CutsGiven, OverACardGiveTheReportOfTheCardWrittenWithThem) {
    const Outputs given = run("card-given", card("2\n4\n4\n"), "card.txt", {"--cuts", "3,5"});
    const Outputs written = run("card-written", card("3\n3 5\n3 5\n"), "card.txt", {});
    ASSERT_EQ(given.status, 0) << given.err;
    ASSERT_EQ(written.status, 0) << written.err;
    EXPECT_FALSE(given.report.empty());
    EXPECT_EQ(given.report, written.report);
}

struct Refused {
    std::string name;
    std::string classification;
    std::vector<std::string> words;
    std::string line;  // standard error
};

class CutsRefused : public ::testing::TestWithParam<Refused> {};

TEST_P(CutsRefused, WithOneLineAndNothingWritten) {
    const Refused& c = GetParam();
    const Outputs out = run(c.name, analysisFile(c.classification), "a.toml", c.words);
    EXPECT_EQ(out.status, 2);
    EXPECT_EQ(out.err, "tesserlink: " + c.line + "\n");
    EXPECT_EQ(out.report, "");
    EXPECT_EQ(out.results, "");
}

INSTANTIATE_TEST_SUITE_P(
    Table, CutsRefused,
    ::testing::Values(
        Refused{"LabelsNoLongerFit",
                "labels = [\"No\", \"Yes\"]\nobserved_cuts = [4]\n",
                {"--cuts", "3,5"},
                "--cuts 3,5: 3 categories, but 2 category labels: give cuts for 2 categories, "
                "or change the labels to match"},
        Refused{"Decreasing",
                "observed_cuts = [4]\n",
                {"--cuts", "5,3"},
                "--cuts 5,3: the cut scores must not decrease"},
        Refused{"TooMany",
                "observed_cuts = [4]\n",
                {"--cuts", "1,2,3,4,5,6,7,8,9,10"},
                "--cuts 1,2,3,4,5,6,7,8,9,10: give from 1 to 9 cut scores, separated by commas"},
        Refused{"TrueCutsCount",
                "observed_cuts = [4]\n",
                {"--true-cuts", "3,5"},
                "--true-cuts 3,5: 2 true cuts for 1 observed: give as many true cuts as observed "
                "cuts"}),
    [](const auto& info) { return info.param.name; });

// Other cut sets of one file: each a test of a testing program, with its own
// folder and summary row, and the numbers of a lone run with its cuts.
std::string withCutSets() {
    return analysisFile("observed_cuts = [4]\n") +
           "[[classification.alternatives]]\nname = \"lower\"\nobserved_cuts = [3, 5]\n"
           "[[classification.alternatives]]\nname = \"apart\"\nobserved_cuts = [4]\n"
           "true_cuts = [5]\n";
}

std::string loneResults(const std::string& classification) {
    const Outputs lone = run("lone", analysisFile(classification), "a.toml", {});
    EXPECT_EQ(lone.status, 0) << lone.err;
    return lone.results;
}

TEST(CutSets, AreTestsOfTheProgramWithTheNumbersOfLoneRuns) {
    const fs::path dir = testing::makeScratchDirectory("cut-sets");
    writeFile(dir / "a.dat", kData);
    writeFile(dir / "a.toml", withCutSets());
    std::string other = analysisFile("observed_cuts = [5]\n");
    other.replace(other.find("a.out"), 5, "b.out");
    writeFile(dir / "b.toml", other);
    for (const std::vector<std::string>& files :
         {std::vector<std::string>{"a.toml", "b.toml"}, std::vector<std::string>{"a.toml"}}) {
        fs::remove_all(dir / "all");
        fs::remove(dir / "a.out");
        std::vector<std::string> words{"--results", "all"};
        words.insert(words.end(), files.begin(), files.end());
        const testing::ProgramResult result = runWithArguments(dir, words);
        ASSERT_EQ(result.exitStatus, 0) << result.err;
        EXPECT_EQ(readFile(dir / "all" / "a" / "results.json"),
                  loneResults("observed_cuts = [4]\n"));
        EXPECT_EQ(readFile(dir / "all" / "a-lower" / "results.json"),
                  loneResults("observed_cuts = [3, 5]\n"));
        EXPECT_EQ(readFile(dir / "all" / "a-apart" / "results.json"),
                  loneResults("observed_cuts = [4]\ntrue_cuts = [5]\n"));
        // The file's report is its own cuts' alone.
        EXPECT_EQ(readFile(dir / "a.out"),
                  run("report", analysisFile("observed_cuts = [4]\n"), "a.toml", {}).report);
        const std::string summary = readFile(dir / "all" / "summary.csv");
        for (const char* row :
             {"\r\na.toml,multinomial,a,", "\r\na.toml#lower,multinomial,a-lower,",
              "\r\na.toml#apart,multinomial,a-apart,"})
            EXPECT_NE(summary.find(row), std::string::npos) << row << " in " << summary;
    }
}

// Without a folder for each test, a file runs its own cuts alone.
TEST(CutSets, WithoutResultsTheFileRunsItsOwnCuts) {
    const Outputs withSets = run("sets-alone", withCutSets(), "a.toml", {"--results", "out"});
    ASSERT_EQ(withSets.status, 0) << withSets.err;
    EXPECT_EQ(withSets.results, "");  // a program: the folder holds the tests' folders
    const fs::path dir = testing::makeScratchDirectory("cut-sets-plain");
    writeFile(dir / "a.dat", kData);
    std::string plain = withCutSets();
    plain.replace(plain.find("results = \"out\"\n"), 16, "");
    writeFile(dir / "a.toml", plain);
    const testing::ProgramResult result = runWithArguments(dir, {"a.toml"});
    ASSERT_EQ(result.exitStatus, 0) << result.err;
    EXPECT_EQ(readFile(dir / "a.out"),
              run("plain", analysisFile("observed_cuts = [4]\n"), "a.toml", {}).report);
    EXPECT_EQ(testing::subfolderNames(dir), std::vector<std::string>{});
}

}  // namespace
}  // namespace tl
