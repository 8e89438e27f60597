// Replays what the fuzzers do on their seed inputs and on every input that
// once broke them (fuzz/regressions/<target>/), so that a fault found by
// fuzzing stays fixed in every ordinary and sanitizer build.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "fuzz_checks.h"
#include "support/program_run.h"

namespace fs = std::filesystem;

namespace {

struct Target {
    std::string name;
    std::string (*check)(std::string_view);
};

// ctest lists a case by its name, not by its bytes.
void PrintTo(const Target& c, std::ostream* os) {
    *os << c.name;
}

std::vector<fs::path> inputsOf(const std::string& target) {
    std::vector<fs::path> inputs;
    for (const char* folder : {"corpus", "regressions"}) {
        const fs::path dir = fs::path(TESSERLINK_FUZZ_DIR) / folder / target;
        if (!fs::is_directory(dir)) continue;
        for (const auto& entry : fs::directory_iterator(dir)) {
            if (entry.is_regular_file()) inputs.push_back(entry.path());
        }
    }
    std::sort(inputs.begin(), inputs.end());
    return inputs;
}

class FuzzInputs : public ::testing::TestWithParam<Target> {};

TEST_P(FuzzInputs, AreHandledAsPromised) {
    const std::vector<fs::path> inputs = inputsOf(GetParam().name);
    EXPECT_FALSE(inputs.empty()) << "no seed inputs for " << GetParam().name;
    for (const fs::path& input : inputs) {
        SCOPED_TRACE(input.string());
        EXPECT_EQ(GetParam().check(tl::testing::readFile(input)), "");
    }
}

INSTANTIATE_TEST_SUITE_P(
    Fuzz, FuzzInputs,
    ::testing::Values(Target{"free_format_reader", tl::fuzz::checkFreeFormatReader},
                      Target{"control_card_reader", tl::fuzz::checkControlCard},
                      Target{"data_file_reader", tl::fuzz::checkDataFile},
                      Target{"analysis_file", tl::fuzz::checkAnalysisFile},
                      Target{"table_reader", tl::fuzz::checkTable},
                      Target{"analysis_file_deep", tl::fuzz::checkExpandedAnalysisFile},
                      Target{"table_long_lines", tl::fuzz::checkExpandedTable}),
    [](const auto& info) { return info.param.name; });

}  // namespace
