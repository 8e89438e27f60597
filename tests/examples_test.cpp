// Every bundled example is a regression test on real data: run from a scratch
// copy of its folder, the program must print the usual transcript, exit 0 and
// write exactly one new file, the report, equal byte for byte to the checked-in
// expected.out (credit lines included).
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <set>
#include <string>
#include <vector>

#include "support/program_run.h"
#include "support/scratch_case.h"

namespace fs = std::filesystem;
using tl::testing::readFile;

namespace {

const char* const kExpectedReport = "expected.out";

std::set<std::string> filesIn(const fs::path& directory) {
    std::set<std::string> names;
    for (const auto& entry : fs::directory_iterator(directory)) {
        names.insert(entry.path().filename().string());
    }
    return names;
}

TEST(Examples, ThereAreSeveralAndEachIsComplete) {
    const std::vector<std::string> names = tl::testing::subfolderNames(TESSERLINK_EXAMPLES);
    EXPECT_GE(names.size(), 3u);
    for (const std::string& name : names) {
        const fs::path folder = fs::path(TESSERLINK_EXAMPLES) / name;
        for (const char* needed : {"card.txt", "PROVENANCE.md", "README.md", kExpectedReport}) {
            EXPECT_TRUE(fs::exists(folder / needed)) << name << " lacks " << needed;
        }
    }
}

class Example : public ::testing::TestWithParam<std::string> {};

TEST_P(Example, ReproducesTheCheckedInReport) {
    const tl::testing::ScratchCase scratch(tl::testing::ScratchCase::example(GetParam()));
    const fs::path& source = scratch.source();
    const fs::path& work = scratch.dir();
    const std::set<std::string> before = filesIn(work);

    const auto result = tl::testing::runProgram(work, "card.txt\n", 30);

    EXPECT_FALSE(result.timedOut);
    EXPECT_EQ(result.exitStatus, 0) << result.err;
    EXPECT_EQ(result.err, "");
    EXPECT_EQ(result.out,
              "Enter control card file name:\nSuccessful execution!\nPress Enter to continue.\n");
    std::vector<std::string> written;
    for (const std::string& name : filesIn(work)) {
        if (!before.count(name)) written.push_back(name);
    }
    ASSERT_EQ(written.size(), 1u) << "expected the report and nothing else";
    EXPECT_EQ(readFile(work / written.front()), readFile(source / kExpectedReport))
        << written.front() << " differs from " << (source / kExpectedReport).string();
}

// The example's results folder is what `tesserlink --results` writes today.
TEST_P(Example, ResultsFolderIsUpToDate) {
    const tl::testing::ScratchCase scratch(tl::testing::ScratchCase::example(GetParam()));
    const auto result = tl::testing::runWithArguments(
        scratch.dir(), {"--quiet", "--results", "results", "card.txt"});
    ASSERT_EQ(result.exitStatus, 0) << result.err;
    const fs::path checkedIn = scratch.source() / "results";
    ASSERT_TRUE(fs::is_directory(checkedIn)) << "regenerate with scripts/update-example-results";
    EXPECT_EQ(filesIn(scratch.dir() / "results"), filesIn(checkedIn));
    for (const std::string& name : filesIn(checkedIn)) {
        EXPECT_TRUE(readFile(scratch.dir() / "results" / name) == readFile(checkedIn / name))
            << name << " is out of date; regenerate with scripts/update-example-results";
    }
}

INSTANTIATE_TEST_SUITE_P(Bundled, Example,
                         ::testing::ValuesIn(tl::testing::subfolderNames(TESSERLINK_EXAMPLES)),
                         [](const auto& info) { return tl::testing::testNameOf(info.param); });

}  // namespace
