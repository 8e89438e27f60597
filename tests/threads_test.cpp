// Whole runs through the library: the report may depend neither on the thread
// count nor on whether the fast engines or the literal model kernels are used.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "reference/literal_model.h"
#include "support/library_run.h"
#include "support/program_run.h"
#include "support/scratch_case.h"

namespace {

namespace fs = std::filesystem;
using tl::testing::readFile;

// A scratch copy of a recorded case, run through the library.
class ScratchRun {
  public:
    explicit ScratchRun(const std::string& name)
        : scratch_(tl::testing::ScratchCase::fixture(name)),
          reportName_(scratch_.expectedReportName()) {}

    tl::testing::LibraryRun run(const tl::ModelOptions& options,
                                const std::string& card = "card.txt") const {
        return tl::testing::runInDirectory(scratch_.dir(), card, reportName_, options);
    }
    const fs::path& dir() const { return scratch_.dir(); }

  private:
    tl::testing::ScratchCase scratch_;
    std::string reportName_;
};

class WholeRun : public ::testing::TestWithParam<const char*> {};

TEST_P(WholeRun, ReportIsTheSameForAnyThreadCountAndForTheLiteralKernels) {
    const ScratchRun scratch(GetParam());
    const tl::testing::LibraryRun base = scratch.run({1});
    ASSERT_EQ(base.status, 0) << base.console << base.err;
    ASSERT_FALSE(base.report.empty());

    struct Variant {
        const char* name;
        tl::ModelOptions options;
    };
    const Variant variants[] = {
        {"2 threads", {2}},
        {"7 threads", {7}},
        {"literal kernels",
         {1, tl::reference::literalRawDistribution, tl::reference::literalCompositeDistribution}},
        {"literal kernels, 7 threads",
         {7, tl::reference::literalRawDistribution, tl::reference::literalCompositeDistribution}},
        {"literal composite only", {2, nullptr, tl::reference::literalCompositeDistribution}},
    };
    for (const Variant& v : variants) {
        const tl::testing::LibraryRun other = scratch.run(v.options);
        EXPECT_EQ(other.status, 0) << v.name;
        EXPECT_EQ(other.console, base.console) << v.name;
        EXPECT_TRUE(other.report == base.report) << v.name << ": the report differs";
    }
}

// Single-set, two-set with fractional points, 40 items on four points, and
// three sets with bias correction.
INSTANTIATE_TEST_SUITE_P(Recorded, WholeRun,
                         ::testing::Values("bias-01", "valid-02", "shape-40x0123", "bias-06",
                                           "shape-12x012-bias"),
                         [](const auto& info) { return tl::testing::testNameOf(info.param); });

// The lines of the reliability section (sample variance, average error
// variance, reliability).
std::string reliabilitySection(const std::string& report) {
    const std::size_t begin = report.find("Sample variance");
    const std::size_t end = report.find("***", begin);
    return begin == std::string::npos ? std::string() : report.substr(begin, end - begin);
}

TEST(WholeRunBias, ReportedVariancesDoNotDependOnTheCorrection) {
    for (const char* name : {"bias-01", "bias-06"}) {
        SCOPED_TRACE(name);
        const ScratchRun scratch(name);
        // The same card with the switch turned off: the value after the heading.
        std::string card = readFile(scratch.dir() / "card.txt");
        const std::size_t heading = card.find("$Bias correction");
        ASSERT_NE(heading, std::string::npos);
        const std::size_t value = card.find('1', card.find('\n', heading));
        ASSERT_NE(value, std::string::npos);
        card[value] = '0';
        tl::testing::writeFile(scratch.dir() / "card-off.txt", card);

        const tl::testing::LibraryRun on = scratch.run({2});
        const tl::testing::LibraryRun off = scratch.run({2}, "card-off.txt");
        ASSERT_EQ(on.status, 0) << on.console << on.err;
        ASSERT_EQ(off.status, 0) << off.console << off.err;
        EXPECT_FALSE(reliabilitySection(on.report).empty());
        EXPECT_EQ(reliabilitySection(on.report), reliabilitySection(off.report));
    }
}

}  // namespace
