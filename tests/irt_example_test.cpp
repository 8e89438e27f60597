// The IRT example (examples/spisa/irt) is a regression test on real data: its
// analysis file, run from a scratch copy of the folder, writes the checked-in
// report and results folder byte for byte.
#include <gtest/gtest.h>

#include <filesystem>
#include <set>
#include <string>

#include "support/program_run.h"
#include "support/scratch_case.h"

namespace fs = std::filesystem;
using tl::testing::readFile;

namespace {

std::set<std::string> filesIn(const fs::path& directory) {
    std::set<std::string> names;
    for (const auto& entry : fs::directory_iterator(directory))
        names.insert(entry.path().filename().string());
    return names;
}

TEST(IrtExample, WritesTheCheckedInReportAndResults) {
    const tl::testing::ScratchCase scratch(tl::testing::ScratchCase::example("spisa") / "irt");
    const auto result = tl::testing::runWithArguments(scratch.dir(), {"--quiet", "analysis.toml"});
    ASSERT_EQ(result.exitStatus, 0) << result.err;
    EXPECT_EQ(readFile(scratch.dir() / "spisa-irt.out"),
              readFile(scratch.source() / "expected.out"));
    const fs::path checkedIn = scratch.source() / "results";
    EXPECT_EQ(filesIn(scratch.dir() / "results"), filesIn(checkedIn));
    for (const std::string& name : filesIn(checkedIn)) {
        EXPECT_TRUE(readFile(scratch.dir() / "results" / name) == readFile(checkedIn / name))
            << name << " is out of date; rerun the example and copy its results";
    }
}

}  // namespace
