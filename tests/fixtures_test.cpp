// Every recorded case: the console transcript, the exit status and the report
// (its five credit lines aside) must come out byte for byte.
#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>
#include <vector>

#include "support/program_run.h"
#include "support/scratch_case.h"

namespace fs = std::filesystem;
using tl::testing::readFile;

namespace {

// The report without its credit lines (7, 8, 9, 11 and 13), which name this program's own credits
// rather than the recording's.
std::string withoutCredits(const std::string& report) {
    std::istringstream in(report);
    std::string line, kept;
    for (int number = 1; std::getline(in, line); ++number) {
        if (number == 7 || number == 8 || number == 9 || number == 11 || number == 13) continue;
        kept += line + "\n";
    }
    return kept;
}

class Fixture : public ::testing::TestWithParam<std::string> {};

TEST_P(Fixture, ReproducesTranscriptStatusAndReport) {
    const tl::testing::ScratchCase scratch(tl::testing::ScratchCase::fixture(GetParam()));
    const fs::path& work = scratch.dir();
    const auto result = tl::testing::runProgram(work, "card.txt\n\n");
    const fs::path expected = scratch.source() / "expected";
    EXPECT_EQ(result.out, readFile(expected / "console.txt"));
    EXPECT_EQ(std::to_string(result.exitStatus), readFile(expected / "status").substr(0, 1));
    if (fs::exists(expected / "report-name")) {
        const std::string name = scratch.expectedReportName();
        ASSERT_TRUE(fs::exists(work / name)) << result.err;
        EXPECT_EQ(withoutCredits(readFile(work / name)),
                  withoutCredits(readFile(expected / "report")));
    }
}

// The dialogue's transcript less the prompt and the pause.
std::string batchTranscript(const std::string& dialogue) {
    std::string kept;
    std::istringstream in(dialogue);
    for (std::string line; std::getline(in, line);) {
        if (line != "Enter control card file name:" && line != "Press Enter to continue.")
            kept += line + "\n";
    }
    return kept;
}

TEST_P(Fixture, RunsTheSameFromTheCommandLine) {
    const tl::testing::ScratchCase scratch(tl::testing::ScratchCase::fixture(GetParam()));
    const fs::path expected = scratch.source() / "expected";
    const auto result = tl::testing::runWithArguments(scratch.dir(), {"card.txt"});
    EXPECT_EQ(result.out, batchTranscript(readFile(expected / "console.txt")));
    EXPECT_EQ(std::to_string(result.exitStatus), readFile(expected / "status").substr(0, 1));
    if (fs::exists(expected / "report-name")) {
        EXPECT_EQ(withoutCredits(readFile(scratch.dir() / scratch.expectedReportName())),
                  withoutCredits(readFile(expected / "report")));
    }
}

INSTANTIATE_TEST_SUITE_P(Recorded, Fixture,
                         ::testing::ValuesIn(tl::testing::subfolderNames(TESSERLINK_FIXTURES)),
                         [](const auto& info) { return tl::testing::testNameOf(info.param); });

}  // namespace
