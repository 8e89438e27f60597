// Several models in one run: each model's numbers are those of a run of it
// alone, the comparison's spreads are those of the replicates every model
// drew alike, and the library matches models, methods and names as one rule
// for every front end.
#include "classify/model_comparison.h"

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <string>
#include <vector>

#include "classify/bootstrap_spread.h"
#include "input/analysis_file.h"
#include "results_files/results_directory.h"
#include "run/run.h"
#include "run/run_options.h"
#include "support/program_run.h"
#include "support/spisa_scratch.h"

namespace fs = std::filesystem;
using tl::testing::readFile;
using tl::testing::writeFile;

namespace {

const char* const kQuiz =
    "[data]\nfile = \"spisa.csv\"\nid = \"id\"\n\n[[sets]]\nitems = \"pol1:sci9\"\n"
    "points = [0, 1]\n\n[classification]\nobserved_cuts = [23, 32]\n\n"
    "[irt]\nitems = \"parameters.csv\"\nD = 1\n\n";

const char* const kThreeModels =
    "[[model]]\nkind = \"multinomial\"\n\n[[model]]\nkind = \"irt\"\nmethod = \"summed-p\"\n\n"
    "[[model]]\nkind = \"beta-binomial\"\nmethod = \"ll\"\n";

class ComparisonRuns : public ::testing::Test {
  protected:
    void SetUp() override { dir_ = tl::testing::spisaScratch("model-comparison"); }
    void TearDown() override { fs::remove_all(dir_); }

    // The quiz under `models`, with `bootstrap` replicates, analysed with its
    // tables and nothing written.
    tl::Results run(const std::string& models, std::int64_t bootstrap,
                    std::vector<tl::ModelKind> kinds = {},
                    std::vector<tl::ModelMethod> methods = {}) {
        const fs::path file = dir_ / ("run" + std::to_string(runs_++) + ".toml");
        writeFile(file, std::string(kQuiz) + models);
        tl::RunRequest request;
        request.file = file.string();
        request.bootstrap = bootstrap;
        request.write = false;
        request.tables = true;
        request.models = std::move(kinds);
        request.methods = std::move(methods);
        tl::RunOutcome outcome = tl::runRequest(request);
        EXPECT_EQ(outcome.exitStatus, 0)
            << (outcome.error() ? outcome.error()->text : std::string());
        return outcome.results ? std::move(*outcome.results) : tl::Results{};
    }

    fs::path dir_;
    int runs_ = 0;
};

TEST_F(ComparisonRuns, EachModelGivesEveryFileOfItsRunAlone) {
    const tl::Results compared = run(kThreeModels, 40);
    ASSERT_EQ(compared.otherModels.size(), 2u);
    const std::vector<tl::Results> alone{
        run("", 40),
        run("[model]\nkind = \"irt\"\nmethod = \"summed-p\"\n", 40),
        run("[model]\nkind = \"beta-binomial\"\nmethod = \"ll\"\n", 40),
    };
    const std::vector<const tl::Results*> models{&compared, &compared.otherModels[0],
                                                 &compared.otherModels[1]};
    for (std::size_t m = 0; m < models.size(); ++m) {
        tl::Results own = *models[m];
        own.otherModels.clear();
        own.comparison.reset();
        const auto expected = tl::composeResultsFiles(alone[m]);
        const auto got = tl::composeResultsFiles(own);
        ASSERT_EQ(got.size(), expected.size()) << m;
        for (std::size_t f = 0; f < got.size(); ++f) {
            EXPECT_EQ(got[f].first, expected[f].first);
            EXPECT_TRUE(got[f].second == expected[f].second) << m << " " << got[f].first;
        }
    }
    // The comparison holds the runs' own values.
    const tl::ModelComparison& comparison = *compared.comparison;
    ASSERT_EQ(comparison.models.size(), 3u);
    for (std::size_t m = 0; m < models.size(); ++m) {
        EXPECT_EQ(comparison.models[m].name, models[m]->modelName);
        EXPECT_EQ(comparison.models[m].values[1], models[m]->classification.overall.consistency);
        EXPECT_EQ(comparison.models[m].spreads[4].se, models[m]->bootstrap->overall.accuracy.se);
        EXPECT_EQ(comparison.models[m].values.back(), models[m]->tables->cuts.back().accuracy);
    }
}

// Each difference's spread, recomputed from the replicates: the standard
// deviation (divisor B - 1) of the replicate-by-replicate differences and
// their 2.5 % and 97.5 % quantiles.
TEST_F(ComparisonRuns, DifferenceSpreadsAreThoseOfTheReplicatesDifferences) {
    const std::int64_t replicates = 30;
    const tl::Results compared = run(kThreeModels, replicates);
    const tl::ModelComparison& comparison = *compared.comparison;
    ASSERT_EQ(comparison.replicates, replicates);
    const auto& primary = compared.bootstrap->comparedReplicates;
    ASSERT_EQ(primary.size(), static_cast<std::size_t>(replicates));
    for (std::size_t m = 1; m < comparison.models.size(); ++m) {
        const auto& other = compared.otherModels[m - 1].bootstrap->comparedReplicates;
        for (std::size_t i = 0; i < comparison.indices.size(); ++i) {
            std::vector<double> d;
            for (std::size_t b = 0; b < primary.size(); ++b)
                d.push_back(other[b][i] - primary[b][i]);
            double mean = 0.0;
            for (double v : d) mean += v;
            mean /= static_cast<double>(d.size());
            double squares = 0.0;
            for (double v : d) squares += (v - mean) * (v - mean);
            const double sd = std::sqrt(squares / static_cast<double>(d.size() - 1));
            std::sort(d.begin(), d.end());
            const tl::IndexSpread& s = comparison.models[m].differenceSpreads[i];
            EXPECT_NEAR(s.se, sd, 1e-15 + 1e-12 * sd) << m << " " << comparison.indices[i].name;
            EXPECT_EQ(s.ciLow, tl::quantileOfSorted(d, 0.025));
            EXPECT_EQ(s.ciHigh, tl::quantileOfSorted(d, 0.975));
        }
    }
    // The primary's differences from itself are nought.
    for (const double d : comparison.models[0].differences) EXPECT_EQ(d, 0.0);
}

// --- How a request's models and methods, and a file's, settle.
struct SettleCase {
    const char* name;
    const char* file;  // [[model]] tables after the quiz
    std::vector<tl::ModelKind> models;
    std::vector<tl::ModelMethod> methods;
    std::vector<std::string> expected;  // the models' names; or the refusal's key first
    const char* refusal = "";           // a part of the refusal's text
};

using tl::ModelKind;
using tl::ModelMethod;

const SettleCase kSettleCases[] = {
    {"NothingNamed", "", {}, {}, {"multinomial"}},
    {"FileModelsInOrder", kThreeModels, {}, {}, {"multinomial", "summed-p", "ll"}},
    {"MethodsNameTheirModels",
     "",
     {},
     {ModelMethod::SummedP, ModelMethod::RudnerP},
     {"summed-p", "rudner-p"}},
    {"MethodGoesToTheFirstModelOfItsKind",
     "",
     {ModelKind::BetaBinomial, ModelKind::Multinomial, ModelKind::BetaBinomial},
     {ModelMethod::HansonBrennan},
     {"hb", "multinomial", "ll"}},
    {"RequestModelsReplaceTheFiles", kThreeModels, {ModelKind::Irt}, {}, {"summed-p"}},
    {"FileLendsItsMethodToAModelOfItsKind",
     "[[model]]\nkind = \"beta-binomial\"\nmethod = \"hb\"\nname = \"hb-alpha\"\n",
     {ModelKind::Multinomial, ModelKind::BetaBinomial},
     {},
     {"multinomial", "hb-alpha"}},
    {"MethodOfNoModelNamed",
     "",
     {ModelKind::Multinomial, ModelKind::BetaBinomial},
     {ModelMethod::SummedP},
     {"method"},
     "the method \"summed-p\" belongs to the irt model, not to \"multinomial\", \"beta-binomial\""},
    {"TwoOfOneName",
     "",
     {ModelKind::Multinomial, ModelKind::Multinomial},
     {},
     {"model.name"},
     "two models are both named \"multinomial\""},
    {"CutsOnThetaBesideAnotherModel",
     "[[model]]\nkind = \"irt\"\n[[model]]\nkind = \"multinomial\"\n",
     {},
     {},
     {"irt.cuts_on"},
     "cuts on theta serve an IRT model run alone"},
};

class SettleModels : public ::testing::TestWithParam<SettleCase> {};

TEST_P(SettleModels, AsTheLibraryRules) {
    const SettleCase& c = GetParam();
    std::string text = std::string(kQuiz) + c.file;
    if (std::string(c.name) == "CutsOnThetaBesideAnotherModel")
        text.replace(text.find("D = 1"), 5, "D = 1\ncuts_on = \"theta\"");
    const tl::AnalysisFile file = tl::readAnalysisFile(text, "a.toml");
    tl::RunRequest request;
    request.models = c.models;
    request.methods = c.methods;
    try {
        const tl::SettledOptions settled = tl::settleOptions(request, &file);
        ASSERT_EQ(std::string(c.refusal), "");
        std::vector<std::string> names{tl::modelName(settled.analysis.model)};
        for (const tl::ModelChoice& m : settled.furtherModels) names.push_back(tl::modelName(m));
        EXPECT_EQ(names, c.expected);
        EXPECT_EQ(settled.analysis.tables, names.size() > 1);
    } catch (const tl::InputError& error) {
        ASSERT_NE(std::string(c.refusal), "") << error.what();
        EXPECT_EQ(error.finding().key, c.expected.front());
        EXPECT_NE(std::string(error.what()).find(c.refusal), std::string::npos) << error.what();
    }
}

INSTANTIATE_TEST_SUITE_P(Cases, SettleModels, ::testing::ValuesIn(kSettleCases),
                         [](const auto& info) { return std::string(info.param.name); });

// A results folder written by a comparison, with its models/ folder, is
// replaced by a run of one model and back; one whose models/ folder holds a
// file of another kind is refused, and stays as it was.
TEST_F(ComparisonRuns, ResultsFolderWithModelsIsReplacedWholeOrRefused) {
    writeFile(dir_ / "three.toml", std::string(kQuiz) + kThreeModels);
    writeFile(dir_ / "one.toml", kQuiz);
    const auto runTo = [&](const char* file) {
        return tl::testing::runWithArguments(dir_, {"--quiet", "--results", "out", file});
    };
    ASSERT_EQ(runTo("three.toml").exitStatus, 0);
    EXPECT_TRUE(fs::exists(dir_ / "out" / "models" / "ll" / "report.html"));
    EXPECT_NE(readFile(dir_ / "out" / "comparison.csv").find("summed-p,irt,summed-p,kappa,,"),
              std::string::npos);
    ASSERT_EQ(runTo("one.toml").exitStatus, 0);
    EXPECT_FALSE(fs::exists(dir_ / "out" / "models"));
    ASSERT_EQ(runTo("three.toml").exitStatus, 0);
    writeFile(dir_ / "out" / "models" / "ll" / "notes.txt", "mine");
    const auto refused = runTo("one.toml");
    EXPECT_NE(refused.exitStatus, 0);
    EXPECT_NE(refused.err.find("holds models"), std::string::npos) << refused.err;
    EXPECT_EQ(readFile(dir_ / "out" / "models" / "ll" / "notes.txt"), "mine");
}

}  // namespace
