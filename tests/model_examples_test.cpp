// The examples of the models beside the multinomial (examples/spisa/irt,
// examples/spisa/ll, and examples/spisa/compare with every model side by
// side) are regression tests on real data: each analysis file, run from a
// scratch copy of the spisa folder and its own, writes the checked-in report
// and results folder byte for byte, its models/ folder too.
#include <gtest/gtest.h>

#include <filesystem>
#include <set>
#include <string>

#include "support/program_run.h"
#include "support/scratch_case.h"

namespace fs = std::filesystem;
using tl::testing::readFile;

namespace {

// Every file under `directory`, by its path relative to it.
std::set<std::string> filesIn(const fs::path& directory) {
    std::set<std::string> names;
    for (const auto& entry : fs::recursive_directory_iterator(directory))
        if (entry.is_regular_file())
            names.insert(fs::relative(entry.path(), directory).generic_string());
    return names;
}

// The inputs of an example folder under spisa, copied into `work`.
void copyInputs(const fs::path& source, const fs::path& work) {
    fs::create_directories(work);
    for (const auto& entry : fs::directory_iterator(source)) {
        const std::string name = entry.path().filename().string();
        if (entry.is_regular_file() && name != "expected.out" && !fs::exists(work / name))
            fs::copy_file(entry.path(), work / name);
    }
}

struct ModelExample {
    const char* folder;  // under examples/spisa
    const char* report;
};

class ModelExamples : public ::testing::TestWithParam<ModelExample> {};

TEST_P(ModelExamples, WriteTheCheckedInReportAndResults) {
    // The spisa folder's data files are the examples' "..".
    const tl::testing::ScratchCase spisa(tl::testing::ScratchCase::example("spisa"));
    const fs::path source = spisa.source() / GetParam().folder;
    const fs::path work = spisa.dir() / GetParam().folder;
    copyInputs(source, work);
    // The comparison reads the IRT example's table and parameters.
    copyInputs(spisa.source() / "irt", spisa.dir() / "irt");
    const auto result = tl::testing::runWithArguments(work, {"--quiet", "analysis.toml"});
    ASSERT_EQ(result.exitStatus, 0) << result.err;
    EXPECT_EQ(readFile(work / GetParam().report), readFile(source / "expected.out"));
    const fs::path checkedIn = source / "results";
    EXPECT_EQ(filesIn(work / "results"), filesIn(checkedIn));
    for (const std::string& name : filesIn(checkedIn)) {
        EXPECT_TRUE(readFile(work / "results" / name) == readFile(checkedIn / name))
            << name << " is out of date; rerun the example and copy its results";
    }
}

INSTANTIATE_TEST_SUITE_P(Spisa, ModelExamples,
                         ::testing::Values(ModelExample{"irt", "spisa-irt.out"},
                                           ModelExample{"ll", "spisa-ll.out"},
                                           ModelExample{"compare", "spisa-compare.out"}),
                         [](const auto& info) { return std::string(info.param.folder); });

}  // namespace
