// Every route of the program keeps to the same exit statuses (doc/tesserlink.1,
// EXIT STATUS): 0 success; 1 an error found in a control card, shown as its
// console line; 2 everything else, one "tesserlink: " line on standard error.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "support/card_text.h"
#include "support/program_run.h"

namespace tl {
namespace {

namespace fs = std::filesystem;

const char* const kData = "0 1 2 1\n2 2 1 0\n1 1 1 2\n0 0 1 2\n";
const char* const kAnalysis =
    "[[sets]]\nfile = \"a.dat\"\nitems = 4\npoints = [0, 1, 2]\n"
    "[classification]\nobserved_cuts = [CUT]\n[output]\nreport = \"a.out\"\n";

std::string analysisWithCut(const std::string& cut) {
    std::string text = kAnalysis;
    text.replace(text.find("CUT"), 3, cut);
    return text;
}

struct Route {
    const char* name;
    std::vector<std::string> arguments;
    const char* typed;  // standard input
    std::string data;   // a.dat
    int status;
    const char* out;  // a fragment standard output must hold ("" none)
    const char* err;  // a fragment standard error must hold ("" none)
};

void PrintTo(const Route& r, std::ostream* os) {
    *os << r.name;
}

class ExitStatus : public ::testing::TestWithParam<Route> {};

TEST_P(ExitStatus, IsTheSameOnEveryRoute) {
    const Route& r = GetParam();
    const fs::path dir = testing::makeScratchDirectory("exit-status");
    testing::CardText card;
    testing::writeFile(dir / "card.txt", card.text());
    testing::CardText tooMany;
    tooMany.setCount = "10";
    testing::writeFile(dir / "many.txt", tooMany.text());
    testing::writeFile(dir / "a.dat", r.data);
    testing::writeFile(dir / "a.toml", analysisWithCut("4"));
    testing::writeFile(dir / "far.toml", analysisWithCut("99"));
    const testing::ProgramResult result = testing::runProgram(dir, r.typed, 20, r.arguments);
    EXPECT_EQ(result.exitStatus, r.status) << result.out << result.err;
    EXPECT_NE(result.out.find(r.out), std::string::npos) << result.out;
    EXPECT_NE(result.err.find(r.err), std::string::npos) << result.err;
    if (r.status == 2 && std::string(r.err).empty() == false) {
        EXPECT_EQ(result.out.find("Press Enter"), std::string::npos) << "status 2 never pauses";
    }
}

const std::string kBad = "0 1 x 1\n";

INSTANTIATE_TEST_SUITE_P(
    Routes, ExitStatus,
    ::testing::Values(
        Route{"DialogueSuccess", {}, "card.txt\n\n", kData, 0, "Successful execution!", ""},
        Route{"DialogueDetected", {}, "nope.txt\n\n", kData, 1, "Error! File: nope.txt", ""},
        Route{"DialogueMalformed", {}, "card.txt\n\n", kBad, 2, "", "tesserlink: a.dat:1:"},
        Route{"DialogueNoNameTyped", {}, "", kData, 2, "", "tesserlink: "},
        Route{"CardSuccess", {"card.txt"}, "", kData, 0, "Successful execution!", ""},
        Route{"CardDetected", {"many.txt"}, "", kData, 1, "# item sets greater than 9", ""},
        Route{"CardMissing", {"nope.txt"}, "", kData, 1, "Error! File: nope.txt", ""},
        Route{"CardMalformed", {"card.txt"}, "", kBad, 2, "", "tesserlink: a.dat:1:"},
        Route{"CardStrictMisfit",
              {"--strict", "card.txt"},
              "",
              "0 1 9 1\n2 2 1 0\n",
              2,
              "",
              "(an error under --strict)"},
        Route{"AnalysisSuccess", {"a.toml"}, "", kData, 0, "Successful execution!", ""},
        // A card's detected error, named by the analysis file: status 2.
        Route{"AnalysisDetected", {"far.toml"}, "", kData, 2, "", "tesserlink: far.toml:"},
        Route{"AnalysisMalformed", {"a.toml"}, "", kBad, 2, "", "tesserlink: a.dat:1:"},
        Route{"AnalysisMissing", {"nope.toml"}, "", kData, 2, "", "tesserlink: nope.toml:"},
        Route{"AnalysisBootstrapOfOne",
              {"--bootstrap", "1", "a.toml"},
              "",
              kData,
              2,
              "",
              "the bootstrap needs at least 2"},
        Route{"ProgramHighestIsDetected",
              {"card.txt", "many.txt"},
              "",
              kData,
              1,
              "many.txt: # item sets greater than 9",
              ""},
        Route{"ProgramHighestIsFailure",
              {"many.txt", "far.toml"},
              "",
              kData,
              2,
              "",
              "far.toml: tesserlink: far.toml:"},
        Route{"ConvertSuccess", {"--convert", "card.txt"}, "", kData, 0, "[[sets]]", ""},
        Route{
            "ConvertMissing", {"--convert", "nope.txt"}, "", kData, 2, "", "tesserlink: nope.txt"},
        Route{"ConvertDetectedKeepsErrorLine",
              {"--convert", "many.txt"},
              "",
              kData,
              2,
              "",
              "tesserlink: many.txt: # item sets greater than 9"},
        Route{"CommandLineMistake", {"--threads", "0", "card.txt"}, "", kData, 2, "", "Usage:"}),
    [](const auto& info) { return info.param.name; });

}  // namespace
}  // namespace tl
