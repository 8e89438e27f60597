// Where a card's run opens its files and what it writes, as the request asks:
// names beside the card (R) or beside the working directory (the command
// line), the report in the card's output file, elsewhere or nowhere.
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <optional>
#include <string>

#include "run/run.h"
#include "support/program_run.h"

namespace tl {
namespace {

namespace fs = std::filesystem;

const char* const kCard =
    "$Number of item sets\n1\n$Set1: weight, #items, #score points, score points, data file\n"
    "1\n4\n3\n0 1 2\na.dat\n$#categories, observed cut scores, true cut scores\n2\n4\n4\n"
    "$Conditional results (Yes=1, No=0)\n0\n$Output file\nout.txt\n"
    "$Bias correction (Yes=1, No=0)\n0\n";

struct CardFilesCase {
    std::string name;
    std::function<void(RunRequest&, const fs::path& folder)> ask;
    int exitStatus;
    // The report written, relative to the card's folder ("": none); the run
    // is made from the folder's parent.
    std::string report;
};

void PrintTo(const CardFilesCase& c, std::ostream* os) {
    *os << c.name;
}

class CardFiles : public ::testing::TestWithParam<CardFilesCase> {};

TEST_P(CardFiles, OpenAndWriteWhereAsked) {
    const CardFilesCase& c = GetParam();
    const fs::path top = testing::makeScratchDirectory("card-files");
    const fs::path folder = top / "card";
    fs::create_directories(folder);
    testing::writeFile(folder / "card.txt", kCard);
    testing::writeFile(folder / "a.dat", "0 1 2 1\n2 2 1 0\n1 1 1 2\n0 0 1 2\n2 2 2 1\n");
    const testing::WorkingDirectory inTop(top);
    RunRequest request;
    request.file = "card/card.txt";
    c.ask(request, folder);
    const RunOutcome outcome = runRequest(request);
    EXPECT_EQ(outcome.exitStatus, c.exitStatus);
    if (c.report.empty()) {
        EXPECT_FALSE(outcome.reportWritten.has_value());
    } else {
        ASSERT_TRUE(outcome.reportWritten.has_value());
        EXPECT_TRUE(fs::exists(folder / c.report)) << *outcome.reportWritten;
    }
    const bool besideCard = c.report == "out.txt";
    EXPECT_EQ(fs::exists(folder / "out.txt"), besideCard);
    EXPECT_FALSE(fs::exists(top / "out.txt"));
}

const auto beside = [](RunRequest& r, const fs::path&) { r.namesBesideCard = true; };

INSTANTIATE_TEST_SUITE_P(
    Runs, CardFiles,
    ::testing::Values(
        // The command line's names, from the working directory: no a.dat there.
        CardFilesCase{"NamesFromTheWorkingDirectory", [](RunRequest&, const fs::path&) {},
                      kExitDetected, ""},
        CardFilesCase{"NamesBesideTheCard", beside, kExitSuccess, "out.txt"},
        CardFilesCase{"NothingWrittenUnlessAsked",
                      [](RunRequest& r, const fs::path& f) {
                          beside(r, f);
                          r.write = false;
                      },
                      kExitSuccess, ""},
        CardFilesCase{"NoReport",
                      [](RunRequest& r, const fs::path& f) {
                          beside(r, f);
                          r.cardReport = "";
                      },
                      kExitSuccess, ""},
        CardFilesCase{"ReportElsewhere",
                      [](RunRequest& r, const fs::path& f) {
                          beside(r, f);
                          r.cardReport = (f / "elsewhere.txt").string();
                      },
                      kExitSuccess, "elsewhere.txt"},
        // A report onto the data file is refused only when it is written.
        CardFilesCase{"ReportOntoTheDataIsRefused",
                      [](RunRequest& r, const fs::path& f) {
                          beside(r, f);
                          r.cardReport = (f / "a.dat").string();
                      },
                      kExitDetected, ""},
        CardFilesCase{"ReportOntoTheDataUnwrittenRuns",
                      [](RunRequest& r, const fs::path& f) {
                          beside(r, f);
                          r.cardReport = (f / "a.dat").string();
                          r.write = false;
                      },
                      kExitSuccess, ""}),
    [](const auto& info) { return info.param.name; });

}  // namespace
}  // namespace tl
