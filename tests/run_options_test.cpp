// The one merge of a run's request with its analysis file: a value the
// request gives wins, one it leaves empty comes from the file, then from the
// defaults; strict when either asks. Each rule has a case that fails when the
// rule is replaced by a constant.
#include "run/run_options.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <string>

#include "core/errors.h"
#include "support/program_run.h"

namespace tl {
namespace {

struct MergeCase {
    std::string name;
    std::function<void(RunRequest&)> request;
    std::function<void(AnalysisFile&)> file;  // empty: no analysis file
    std::function<void(const SettledOptions&)> check;
};

void PrintTo(const MergeCase& c, std::ostream* os) {
    *os << c.name;
}

class Merge : public ::testing::TestWithParam<MergeCase> {};

TEST_P(Merge, SettlesEachOption) {
    const MergeCase& c = GetParam();
    RunRequest request;
    if (c.request) c.request(request);
    AnalysisFile file;
    if (c.file) c.file(file);
    c.check(settleOptions(request, c.file ? &file : nullptr));
}

const auto none = [](RunRequest&) {};

INSTANTIATE_TEST_SUITE_P(
    Rules, Merge,
    ::testing::Values(
        MergeCase{"DefaultsWithoutAFile",
                  none,
                  {},
                  [](const SettledOptions& s) {
                      EXPECT_EQ(s.analysis.bootstrapReplicates, 0);
                      EXPECT_EQ(s.analysis.seed, AnalysisOptions{}.seed);
                      EXPECT_EQ(s.analysis.engine, Engine::Auto);
                      EXPECT_FALSE(s.strict);
                      EXPECT_FALSE(s.resultsDir);
                      EXPECT_FALSE(s.analysis.tables);
                  }},
        MergeCase{"FilesBootstrapWhenNotGiven", none, [](AnalysisFile& f) { f.bootstrap = 200; },
                  [](const SettledOptions& s) { EXPECT_EQ(s.analysis.bootstrapReplicates, 200); }},
        MergeCase{"GivenZeroTurnsTheFilesBootstrapOff", [](RunRequest& r) { r.bootstrap = 0; },
                  [](AnalysisFile& f) { f.bootstrap = 200; },
                  [](const SettledOptions& s) { EXPECT_EQ(s.analysis.bootstrapReplicates, 0); }},
        MergeCase{"GivenBootstrapWins", [](RunRequest& r) { r.bootstrap = 30; },
                  [](AnalysisFile& f) { f.bootstrap = 200; },
                  [](const SettledOptions& s) { EXPECT_EQ(s.analysis.bootstrapReplicates, 30); }},
        MergeCase{"GivenBootstrapWithoutAFile",
                  [](RunRequest& r) { r.bootstrap = 30; },
                  {},
                  [](const SettledOptions& s) { EXPECT_EQ(s.analysis.bootstrapReplicates, 30); }},
        MergeCase{"FilesSeedWhenNotGiven", none, [](AnalysisFile& f) { f.seed = 7; },
                  [](const SettledOptions& s) { EXPECT_EQ(s.analysis.seed, 7u); }},
        MergeCase{"GivenSeedWins", [](RunRequest& r) { r.seed = 0; },
                  [](AnalysisFile& f) { f.seed = 7; },
                  [](const SettledOptions& s) { EXPECT_EQ(s.analysis.seed, 0u); }},
        MergeCase{"FilesEngineWhenNotGiven", none, [](AnalysisFile& f) { f.engine = "convolve"; },
                  [](const SettledOptions& s) { EXPECT_EQ(s.analysis.engine, Engine::Convolve); }},
        MergeCase{"GivenEngineWins", [](RunRequest& r) { r.engine = Engine::Auto; },
                  [](AnalysisFile& f) { f.engine = "enumerate"; },
                  [](const SettledOptions& s) { EXPECT_EQ(s.analysis.engine, Engine::Auto); }},
        MergeCase{"GivenEngineWithoutAFile",
                  [](RunRequest& r) { r.engine = Engine::Enumerate; },
                  {},
                  [](const SettledOptions& s) { EXPECT_EQ(s.analysis.engine, Engine::Enumerate); }},
        MergeCase{"StrictByTheRequest", [](RunRequest& r) { r.strict = true; },
                  [](AnalysisFile&) {},
                  [](const SettledOptions& s) {
                      EXPECT_TRUE(s.strict);
                      EXPECT_FALSE(s.strictByFile);
                  }},
        MergeCase{"StrictByTheFile", none, [](AnalysisFile& f) { f.strict = true; },
                  [](const SettledOptions& s) {
                      EXPECT_TRUE(s.strict);
                      EXPECT_TRUE(s.strictByFile);
                  }},
        MergeCase{"StrictByBoth", [](RunRequest& r) { r.strict = true; },
                  [](AnalysisFile& f) { f.strict = true; },
                  [](const SettledOptions& s) {
                      EXPECT_TRUE(s.strict);
                      EXPECT_FALSE(s.strictByFile);
                  }},
        MergeCase{"FilesResultsWhenNotGiven", none,
                  [](AnalysisFile& f) { f.resultsDir = "from-file"; },
                  [](const SettledOptions& s) {
                      EXPECT_EQ(s.resultsDir, "from-file");
                      EXPECT_TRUE(s.analysis.tables);
                  }},
        MergeCase{"GivenResultsWin", [](RunRequest& r) { r.resultsDir = "given"; },
                  [](AnalysisFile& f) { f.resultsDir = "from-file"; },
                  [](const SettledOptions& s) { EXPECT_EQ(s.resultsDir, "given"); }},
        MergeCase{"FilesFiguresWhenNotGiven", none,
                  [](AnalysisFile& f) { f.figuresDir = "from-file"; },
                  [](const SettledOptions& s) {
                      EXPECT_EQ(s.figuresDir, "from-file");
                      EXPECT_FALSE(s.resultsDir);
                      EXPECT_TRUE(s.analysis.tables);
                  }},
        MergeCase{"GivenFiguresWin", [](RunRequest& r) { r.figuresDir = "given"; },
                  [](AnalysisFile& f) { f.figuresDir = "from-file"; },
                  [](const SettledOptions& s) { EXPECT_EQ(s.figuresDir, "given"); }},
        MergeCase{"FiguresNotWrittenNeedNoTables",
                  [](RunRequest& r) {
                      r.figuresDir = "given";
                      r.write = false;
                  },
                  {},
                  [](const SettledOptions& s) { EXPECT_FALSE(s.analysis.tables); }},
        MergeCase{"ResultsNotWrittenNeedNoTables",
                  [](RunRequest& r) {
                      r.resultsDir = "given";
                      r.write = false;
                  },
                  {},
                  [](const SettledOptions& s) { EXPECT_FALSE(s.analysis.tables); }},
        MergeCase{"TablesAskedForWithoutResults",
                  [](RunRequest& r) { r.tables = true; },
                  {},
                  [](const SettledOptions& s) { EXPECT_TRUE(s.analysis.tables); }},
        MergeCase{"ThreadsTravel",
                  [](RunRequest& r) { r.threads = 3; },
                  {},
                  [](const SettledOptions& s) { EXPECT_EQ(s.analysis.threads, 3u); }}),
    [](const auto& info) { return info.param.name; });

AnalysisFile fileWithScale(bool cutsOnScale) {
    AnalysisFile file;
    file.scale = AnalysisScale{};
    file.scale->table.source = "inline";
    file.scale->table.raw = {0.0, 1.0};
    file.scale->table.scale = {100.0, 110.0};
    file.scale->cutsOnScale = cutsOnScale;
    return file;
}

TEST(MergeScale, TheFilesOwnScaleAppliesWhenNothingIsGiven) {
    const AnalysisFile file = fileWithScale(true);
    EXPECT_FALSE(settleScale(RunRequest{}, &file));
}

TEST(MergeScale, GivenCutsOnOverTheFilesTable) {
    const AnalysisFile file = fileWithScale(true);
    RunRequest request;
    request.cutsOnScale = false;
    const std::optional<ScaleRequest> scale = settleScale(request, &file);
    ASSERT_TRUE(scale);
    EXPECT_FALSE(scale->cutsOnScale);
    EXPECT_EQ(scale->table.raw.size(), 2u);
}

TEST(MergeScale, GivenTableKeepsTheFilesCutsOnUnlessGiven) {
    const std::filesystem::path dir = testing::makeScratchDirectory("merge-scale");
    const std::string table = (dir / "conv.csv").string();
    testing::writeFile(table, "raw,scale\n0,100\n1,110\n");
    const AnalysisFile file = fileWithScale(true);
    RunRequest request;
    request.scaleFile = table;
    std::optional<ScaleRequest> scale = settleScale(request, &file);
    ASSERT_TRUE(scale);
    EXPECT_TRUE(scale->cutsOnScale);
    EXPECT_EQ(scale->table.source, table);
    request.cutsOnScale = false;
    scale = settleScale(request, &file);
    ASSERT_TRUE(scale);
    EXPECT_FALSE(scale->cutsOnScale);
}

TEST(MergeScale, CutsOnScaleWithoutAnyTableIsRefused) {
    RunRequest request;
    request.cutsOnScale = true;
    try {
        settleScale(request, nullptr);
        FAIL() << "no refusal";
    } catch (const InputError& error) {
        EXPECT_EQ(error.finding().code, FindingCode::OptionInvalid);
        EXPECT_EQ(error.finding().key, "scale.cuts_on");
    }
    request.cutsOnScale = false;
    EXPECT_FALSE(settleScale(request, nullptr));
}

}  // namespace
}  // namespace tl
